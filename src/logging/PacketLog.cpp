// One log entry on its way from the facade to the sink.
#include "logging/PacketLog.h"

#include <utility>

CPacketLog::CPacketLog(std::string fileName, std::string message)
    : fileName_(std::move(fileName)), message_(std::move(message)) {}
