// The log sink that opens the target file for each entry and closes it again before returning.
#pragma once

#include "logging/LogBase.h"
#include "logging/LogPlatform.h"

#include <memory>
#include <mutex>
#include <string>

class CLogSaveCloseFile : public CLogBase {
public:
    CLogSaveCloseFile(std::wstring logFolder, std::unique_ptr<CLogPlatform> platform);
    ~CLogSaveCloseFile() override;

    // Appends the stamped entry; once the file has grown past the limit it is moved to its backup name.
    // Entries of all files of the process are serialised, from opening the file to closing it.
    bool WriteEntry(const CPacketLog& record) override;
    bool WriteText(const std::string& message, const std::string& fileName) override;

private:
    // Brings back a log folder that vanished while the program ran; a file in its place stays.
    bool RecreateMissingFolder();

    std::unique_ptr<CLogPlatform> platform_;
    std::mutex lock_;
};
