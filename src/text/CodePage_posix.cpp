// Code-page conversions for the native build through iconv. The native build stands for a machine whose
// ANSI, OEM and console code pages are all 936, as the target systems are.
#include "text/CodePage.h"

#include <iconv.h>

#include <cerrno>

namespace {

// Converts as much as iconv can; an unconvertible input unit becomes `replacement` and is skipped.
template <typename Out>
Out Convert(const char* to, const char* from, const char* in, size_t inLeft, size_t unit, const Out& replacement) {
    Out result;
    if (inLeft == 0)
        return result;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return result;
    using Char = typename Out::value_type;
    Char buffer[256];
    char* src = const_cast<char*>(in);
    while (inLeft > 0) {
        char* dst = reinterpret_cast<char*>(buffer);
        size_t outLeft = sizeof(buffer);
        const size_t rc = iconv(cd, &src, &inLeft, &dst, &outLeft);
        result.append(buffer, static_cast<size_t>(dst - reinterpret_cast<char*>(buffer)) / sizeof(Char));
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            result += replacement;
            const size_t skip = inLeft < unit ? inLeft : unit;
            src += skip;
            inLeft -= skip;
        }
    }
    iconv_close(cd);
    return result;
}

std::wstring Widen(const char* from, std::string_view bytes) {
    return Convert<std::wstring>("WCHAR_T", from, bytes.data(), bytes.size(), 1, L"\uFFFD");
}

std::string Narrow(const char* to, std::wstring_view wide) {
    return Convert<std::string>(to, "WCHAR_T", reinterpret_cast<const char*>(wide.data()),
                                wide.size() * sizeof(wchar_t), sizeof(wchar_t), "?");
}

} // namespace

std::wstring WidenGbk(std::string_view gbk) {
    return Widen("CP936", gbk);
}
std::string NarrowGbk(std::wstring_view wide) {
    return Narrow("CP936", wide);
}
std::string NarrowAnsi(std::wstring_view wide) {
    return Narrow("CP936", wide);
}
std::wstring WidenOem(std::string_view oem) {
    return Widen("CP936", oem);
}
std::string ToUtf8(std::wstring_view wide) {
    return Narrow("UTF-8", wide);
}
std::string GbkFromConsole(std::string bytes) {
    return bytes;
}
std::wstring FromUtf8(std::string_view utf8) {
    return Widen("UTF-8", utf8);
}
