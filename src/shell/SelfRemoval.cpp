// The self-removal command and the rules for what it may touch.
#include "shell/SelfRemoval.h"

#include <cstddef>

namespace {

// "%TOLVIK_REMOVE_FOLDER%": expanded once by the interpreter, never again.
std::wstring FolderReference() {
    return std::wstring(L"%") + kSelfRemovalFolderVariable + L"%";
}

bool IsForbiddenCharacter(wchar_t c) {
    return c < 0x20 || c == L'/' || c == L'*' || c == L'?' || c == L'"' || c == L'<' || c == L'>' || c == L'|' ||
           c == L':';
}

// One folder or file name of a path: not empty, no "." or "..", none of the characters Windows refuses in names,
// and no trailing dot or blank (Windows drops those, so the name would mean another folder).
bool IsPlainPart(std::wstring_view part) {
    if (part.empty() || part.back() == L'.' || part.back() == L' ') {
        return false;
    }
    for (const wchar_t c : part) {
        if (c == L'\\' || IsForbiddenCharacter(c)) {
            return false;
        }
    }
    return true;
}

// The parts of `rest` between backslashes, each of them plain; at least `minimum` of them.
bool ArePlainParts(std::wstring_view rest, std::size_t minimum) {
    std::size_t count = 0;
    while (true) {
        const std::size_t slash = rest.find(L'\\');
        if (!IsPlainPart(rest.substr(0, slash))) {
            return false;
        }
        ++count;
        if (slash == std::wstring_view::npos) {
            return count >= minimum;
        }
        rest.remove_prefix(slash + 1);
    }
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

} // namespace

std::wstring_view FolderOfModule(std::wstring_view modulePath) {
    const std::size_t slash = modulePath.rfind(L'\\');
    return slash == std::wstring_view::npos ? std::wstring_view() : modulePath.substr(0, slash);
}

bool IsRemovableProgramFolder(std::wstring_view folder) {
    if (!PercentNames(folder).empty()) {
        return false;
    }
    // "X:\" and at least one folder below the drive's root.
    if (folder.size() >= 3 && IsDriveLetter(folder[0]) && folder[1] == L':' && folder[2] == L'\\') {
        return ArePlainParts(folder.substr(3), 1);
    }
    // "\\server\share\" and at least one folder below the share's root; "\\?\" and "\\.\" fail on their "?" or ".".
    if (folder.size() >= 2 && folder[0] == L'\\' && folder[1] == L'\\') {
        return ArePlainParts(folder.substr(2), 3);
    }
    return false;
}

std::vector<std::wstring_view> PercentNames(std::wstring_view folder) {
    std::vector<std::wstring_view> names;
    std::size_t open = folder.find(L'%');
    while (open != std::wstring_view::npos) {
        const std::size_t close = folder.find(L'%', open + 1);
        if (close == std::wstring_view::npos) {
            break;
        }
        names.push_back(folder.substr(open + 1, close - open - 1));
        open = close;
    }
    return names;
}

bool IsPlainFileName(std::wstring_view name) {
    // File names stand in the command text itself, where the interpreter would expand a %NAME% pair.
    return IsPlainPart(name) && name.find(L'%') == std::wstring_view::npos;
}

std::optional<std::wstring> SelfRemovalArguments(std::wstring_view folder, std::span<const std::wstring> files) {
    if (!IsRemovableProgramFolder(folder)) {
        return std::nullopt;
    }
    for (const std::wstring& file : files) {
        if (!IsPlainFileName(file)) {
            return std::nullopt;
        }
    }
    const std::wstring at = FolderReference();
    // /S: the interpreter takes everything between the outer quotes as it stands. /D: no AutoRun commands.
    // /V:OFF: "!" in a name stays a plain character. The three-second wait lets the program's process end (its
    // file cannot be deleted while it runs); ping waits alike on every Windows version and under Wine.
    std::wstring arguments = L"/D /V:OFF /S /C \"ping -n 4 127.0.0.1 >nul";
    for (const std::wstring& file : files) {
        // "del" of a file link deletes the link, but "del" of a folder, or of a junction or link to one,
        // deletes the files inside it. "name\*" exists only for a folder (a junction or link to one
        // included), so such a name is skipped. A plain file is deleted; a link in its place would lose only
        // itself.
        const std::wstring path = at + L"\\" + file;
        arguments += L" & if not exist \"" + path + L"\\*\" del /f /q \"" + path + L"\"";
    }
    // Without /s rmdir leaves a folder that still holds anything, the user's files included.
    arguments += L" & rmdir \"" + at + L"\"\"";
    return arguments;
}
