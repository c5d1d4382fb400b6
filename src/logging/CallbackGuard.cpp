// What an exception that reached an entry point of the system leaves in the log.
#include "logging/CallbackGuard.h"

#include "logging/LogSave.h"
#include "text/CodePage.h"

#include <exception>
#include <string>

void LogEscapedException(std::string_view where) noexcept {
    try {
        std::string what = "?";
        try {
            throw;
        } catch (const std::exception& exception) {
            what = exception.what();
        } catch (...) {
        }
        LogToolFailure(NarrowGbk(L"工具内部错：未处理的异常（") + std::string(where) + NarrowGbk(L"）：") + what);
    } catch (...) {
        // Nothing is left to report with: the caller goes on with its failure answer.
    }
}
