// The backup parts of the command line: the clean-up's rules and the sizes of --max-size.
#include "cli/CliArguments.h"

#include "text/TextCase.h"

#include <cwctype>

std::wstring CheckOldCleanup(const CliArguments& arguments) {
    if (!arguments.inf.empty())
        return L"--old 删除全部旧驱动包，不能与 --inf 同用";
    if (arguments.allDevices == !arguments.device.empty())
        return L"--old 需要 --device KEY 或 --all-devices 之一";
    return {};
}

long long ParseSize(const std::wstring& text) {
    size_t digits = 0;
    long long value = 0;
    while (digits < text.size() && std::iswdigit(text[digits]) && digits < 15)
        value = value * 10 + (text[digits++] - L'0');
    if (digits == 0)
        return -1;
    const std::wstring unit = ToUpperAscii(std::wstring_view(text).substr(digits));
    if (unit == L"" || unit == L"B")
        return value;
    if (unit == L"K" || unit == L"KB")
        return value << 10;
    if (unit == L"M" || unit == L"MB")
        return value << 20;
    if (unit == L"G" || unit == L"GB")
        return value << 30;
    return -1;
}
