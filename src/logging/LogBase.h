// A log sink: writes entries into files of one log folder.
#pragma once

#include "logging/PacketLog.h"

#include <string>

class CLogBase {
public:
    // `logFolder` ends in a backslash, or is empty for the current directory.
    explicit CLogBase(std::wstring logFolder);
    CLogBase(const CLogBase&) = delete;
    CLogBase& operator=(const CLogBase&) = delete;
    virtual ~CLogBase();

    // Writes one entry; true when the whole entry reached its file.
    virtual bool WriteEntry(const CPacketLog& record) = 0;
    // Writes `message` to the file `fileName` of the log folder (both GBK bytes).
    virtual bool WriteText(const std::string& message, const std::string& fileName) = 0;

    const std::wstring& LogFolder() const { return logFolder_; }

private:
    std::wstring logFolder_;
};
