// Code-page conversions through the Win32 converters; no C runtime locale is involved.
#include "text/CodePage.h"

#include <windows.h>

namespace {

constexpr UINT kGbkCodePage = 936;

std::wstring Widen(UINT codePage, std::string_view bytes) {
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), needed);
    return wide;
}

std::string Narrow(UINT codePage, std::wstring_view wide) {
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int needed = WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), size, bytes.data(), needed, nullptr, nullptr);
    return bytes;
}

} // namespace

std::wstring WidenGbk(std::string_view gbk) {
    return Widen(kGbkCodePage, gbk);
}
std::string NarrowGbk(std::wstring_view wide) {
    return Narrow(kGbkCodePage, wide);
}
std::string NarrowAnsi(std::wstring_view wide) {
    return Narrow(CP_ACP, wide);
}
std::wstring WidenOem(std::string_view oem) {
    return Widen(CP_OEMCP, oem);
}
std::string ToUtf8(std::wstring_view wide) {
    return Narrow(CP_UTF8, wide);
}

std::string GbkFromConsole(std::string bytes) {
    UINT console = GetConsoleOutputCP();
    if (console == 0)
        console = GetOEMCP();
    return console == kGbkCodePage ? bytes : NarrowGbk(Widen(console, bytes));
}
std::wstring FromUtf8(std::string_view utf8) {
    return Widen(CP_UTF8, utf8);
}
