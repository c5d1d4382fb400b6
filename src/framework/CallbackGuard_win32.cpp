// Logging a failed window callback.
#include "framework/CallbackGuard.h"

#include "logging/LogSave.h"

#include <cstdio>
#include <string>

void LogCallbackFailure(UINT message, const char* what) noexcept {
    try {
        char number[16];
        std::snprintf(number, sizeof(number), "0x%04X", message);
        std::u8string entry = u8"窗口消息处理异常 ";
        for (const char* c = number; *c != '\0'; ++c) {
            entry += static_cast<char8_t>(*c);
        }
        // The text of a standard exception is the library's: only its printable ASCII goes into the log.
        if (what != nullptr) {
            entry += u8' ';
            for (const char* c = what; *c != '\0'; ++c) {
                entry += (*c >= 0x20 && *c < 0x7F) ? static_cast<char8_t>(*c) : u8'?';
            }
        }
        static_cast<void>(LogToolFailure(entry)); // an entry that cannot be written is lost, nothing more
    } catch (...) {
        // The log failed as well (no memory left): nothing more can be told.
    }
}
