// Fuzz target for the self-removal's path rules: a folder accepted for removal has the shape of a folder below a
// drive's or share's root and holds no percent pair; the command built for it never holds the folder's text,
// and outside its quotes holds only the command's own words, while every quoted text is the folder's variable,
// alone or followed by one of the given plain file names.
#include "FuzzCheck.h"
#include "shell/SelfRemoval.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const wchar_t* const kPieces[] = {L"C:\\", L"\\\\", L"\\",    L"%", L"PATH",       L"CD",      L"..",
                                  L".",    L" ",    L"&",     L"^", L"\"",         L"!",       L"(",
                                  L")",    L"驱动", L":",     L"*", L"?",          L"/",       L"<",
                                  L"|",    L"\n",   L"tools", L"a", L"devcon.exe", L"\\\\?\\", L"UNC"};

std::wstring FuzzedText(FuzzedDataProvider& input) {
    std::wstring text;
    const int parts = input.ConsumeIntegralInRange(0, 10);
    for (int i = 0; i < parts; ++i) {
        if (input.ConsumeBool())
            text += kPieces[input.ConsumeIntegralInRange<size_t>(0, std::size(kPieces) - 1)];
        else
            text += static_cast<wchar_t>(input.ConsumeIntegralInRange<uint32_t>(1, 0xFFFF));
    }
    return text;
}

bool IsCommandWordCharacter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L' ' || c == L'.' ||
           c == L'-' || c == L'/' || c == L'&' || c == L'>';
}

void CheckFolderShape(const std::wstring& folder) {
    Check(std::count(folder.begin(), folder.end(), L'%') <= 1);
    Check(folder.size() >= 4 && folder.back() != L'\\');
    const bool drive = folder[1] == L':';
    Check(drive ? folder[2] == L'\\' : folder.rfind(L"\\\\", 0) == 0);
    for (size_t i = 0; i < folder.size(); ++i) {
        const wchar_t c = folder[i];
        Check(c >= 0x20 && c != L'/' && c != L'*' && c != L'?' && c != L'"' && c != L'<' && c != L'>' && c != L'|');
        Check(c != L':' || (drive && i == 1));
    }
    // No empty, "." or ".." part below the root.
    Check(folder.find(L"\\\\", 2) == std::wstring::npos);
    Check(folder.find(L".\\") == std::wstring::npos && folder.back() != L'.');
}

void CheckArguments(const std::wstring& folder, const std::vector<std::wstring>& files, const std::wstring& arguments) {
    Check(arguments.find(folder) == std::wstring::npos);
    const std::wstring head = L"/D /V:OFF /S /C \"";
    Check(arguments.rfind(head, 0) == 0 && arguments.size() > head.size() && arguments.back() == L'"');
    const std::wstring body = arguments.substr(head.size(), arguments.size() - head.size() - 1);
    const std::wstring variable = std::wstring(L"%") + kSelfRemovalFolderVariable + L"%";

    std::vector<std::wstring> quoted;
    bool inside = false;
    for (const wchar_t c : body) {
        if (c == L'"') {
            if (!inside)
                quoted.emplace_back();
            inside = !inside;
        } else if (inside) {
            quoted.back() += c;
        } else {
            Check(IsCommandWordCharacter(c));
        }
    }
    Check(!inside);
    Check(quoted.size() == 2 * files.size() + 1);
    Check(quoted.back() == variable);
    for (size_t i = 0; i + 1 < quoted.size(); ++i) {
        const std::wstring& file = files[i / 2];
        Check(quoted[i] == variable + L"\\" + file + (i % 2 == 0 ? L"\\*" : L""));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::wstring folder = FuzzedText(input);
    std::vector<std::wstring> files(input.ConsumeIntegralInRange(0, 3));
    for (std::wstring& file : files)
        file = input.ConsumeBool() ? std::wstring(kShippedFiles[input.ConsumeIntegralInRange<size_t>(0, 4)])
                                   : FuzzedText(input);

    const std::vector<std::wstring_view> names = PercentNames(folder);
    const auto percents = static_cast<size_t>(std::count(folder.begin(), folder.end(), L'%'));
    Check(names.size() == (percents > 1 ? percents - 1 : 0));
    for (const std::wstring_view name : names)
        Check(name.find(L'%') == std::wstring_view::npos);

    const bool removable = IsRemovableProgramFolder(folder);
    if (removable)
        CheckFolderShape(folder);
    bool plain = true;
    for (const std::wstring& file : files) {
        const bool isPlain = IsPlainFileName(file);
        if (isPlain)
            Check(!file.empty() && file.find_first_of(L"%\\/:*?\"<>|") == std::wstring::npos && file != L"." &&
                  file != L"..");
        plain = plain && isPlain;
    }
    const std::optional<std::wstring> arguments = SelfRemovalArguments(folder, files);
    Check(arguments.has_value() == (removable && plain));
    if (arguments)
        CheckArguments(folder, files, *arguments);
    return 0;
}
