// One log entry on its way from the facade to the sink.
#pragma once

#include "logging/ObjectBase.h"

#include <string>

class CPacketLog : public CObjectBase {
public:
    // Both texts are GBK bytes; the file name is relative to the log folder.
    CPacketLog(std::string fileName, std::string message);

    const std::string& FileName() const { return fileName_; }
    const std::string& Message() const { return message_; }

private:
    std::string fileName_;
    std::string message_;
};
