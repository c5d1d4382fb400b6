// One log entry on its way from the facade to the sink.
#include "logging/PacketLog.h"

#include <utility>

CPacketLog::CPacketLog(std::string fileName, std::string message)
    : m_fileName(std::move(fileName)), m_message(std::move(message)) {}
