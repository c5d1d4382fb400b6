// One log entry on its way from the facade to the sink.
#pragma once

#include "logging/ObjectBase.h"

#include <string>

class CPacketLog : public CObjectBase {
public:
    // Both texts are GBK bytes; the file name is relative to the log folder.
    CPacketLog(std::string fileName, std::string message);

    const std::string& FileName() const { return m_fileName; }
    const std::string& Message() const { return m_message; }

private:
    std::string m_fileName;
    std::string m_message;
};
