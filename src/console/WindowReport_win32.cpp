// Worker reports on Windows.
#include "console/WindowReport.h"

#include "logging/LogSave.h"
#include "text/CodePage.h"

#include <windows.h>

void WindowReport::Send(uint32_t message, uintptr_t wParam) {
    SendMessageW(static_cast<HWND>(window_), message, wParam, 0);
}

void WindowReport::LogFailure(std::wstring_view entry) {
    CLogSave::GetInstance().Write(NarrowGbk(entry), kToolLogFile, true);
}
