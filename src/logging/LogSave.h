// The log service of the process: decides whether an entry is written and hands it to the sink.
//
// Every failure the tool reports is logged as a short Chinese code text, GBK-encoded, to "videzure.txt" in the
// folder "ToolLog" of the machine-wide application-data folder, with force on:
//     LogToolFailure(u8"工具内部错14");                            // a UTF-8 literal, converted to GBK
//     CLogSave::GetInstance().Write(gbkText, kToolLogFile, true); // GBK bytes as they are
#pragma once

#include "logging/LogBase.h"
#include "logging/LogPlatform.h"

#include <memory>
#include <string>
#include <string_view>

// The log file every failure of the tool goes to.
inline constexpr char kToolLogFile[] = "videzure.txt";

class CLogSave {
public:
    // The process-wide service: created by the first call (also when several threads make it at once), kept
    // until the process ends.
    static CLogSave& GetInstance();

    // A service over `platform`: finds the folders, creates the log folder when nothing of that name exists,
    // and reads the "print" switch of the configuration file once.
    explicit CLogSave(std::unique_ptr<CLogPlatform> platform);
    CLogSave(const CLogSave&) = delete;
    CLogSave& operator=(const CLogSave&) = delete;
    virtual ~CLogSave();

    // Writes `message` (GBK) to `fileName` (GBK, a name inside the log folder) when `force` is set or the
    // switch is on. True when the entry reached the file; false when it was not wanted or could not be written.
    bool Write(std::string message, std::string fileName, bool force);

    bool Enabled() const { return enabled_; }
    // The log folder, ending in a backslash.
    const std::wstring& LogFolder() const { return logFolder_; }

private:
    bool enabled_ = false;
    std::wstring logFolder_;
    std::unique_ptr<CLogBase> sink_;
};

// Writes a failure entry to the tool's log file with force on, through the process-wide service.
bool LogToolFailure(std::string_view gbkMessage);
bool LogToolFailure(std::u8string_view message);
