// Test helper: runs a program (of its own folder, unless given with a drive) on the caller's console and
// handles, and hands on its exit code whole — Wine gives a shell only the low byte of a process's exit code,
// while 1605 or 3010 mean something.
// usage: program_launcher.exe [--standard-user] [--exit-code FILE] PROGRAM.exe [ARGUMENTS...]
//   --standard-user  runs it as the user's programs run before they are elevated: with the limited half of the
//                    caller's token
//   --exit-code FILE writes the program's exit code to FILE, in decimal
#include <windows.h>

#include <string>

namespace {

// One argument as CommandLineToArgvW reads it back.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    return quoted.append(backslashes * 2, L'\\') + L"\"";
}

// The limited token linked to the caller's elevated one; null when there is none.
HANDLE LimitedToken() {
    HANDLE own = nullptr;
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own))
        return nullptr;
    const bool found = GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size) != FALSE;
    CloseHandle(own);
    return found ? linked.LinkedToken : nullptr;
}

bool WriteExitCode(const std::wstring& path, DWORD exitCode) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const std::string text = std::to_string(exitCode);
    DWORD written = 0;
    const bool done = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != FALSE;
    CloseHandle(file);
    return done;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    bool standardUser = false;
    std::wstring exitCodeFile;
    int next = 1;
    for (; next < argc; ++next) {
        const std::wstring option = argv[next];
        if (option == L"--standard-user")
            standardUser = true;
        else if (option == L"--exit-code" && next + 1 < argc)
            exitCodeFile = argv[++next];
        else
            break;
    }
    if (next >= argc)
        return 87;
    wchar_t self[MAX_PATH] = {};
    std::wstring folder(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    folder.erase(folder.find_last_of(L'\\'));
    const std::wstring program = argv[next];
    std::wstring commandLine = Quoted(program.size() > 1 && program[1] == L':' ? program : folder + L"\\" + program);
    for (int i = next + 1; i < argc; ++i)
        commandLine += L" " + Quoted(argv[i]);

    const HANDLE token = standardUser ? LimitedToken() : nullptr;
    if (standardUser && token == nullptr)
        return 1;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started = token != nullptr ? CreateProcessAsUserW(token, nullptr, commandLine.data(), nullptr, nullptr,
                                                                 TRUE, 0, nullptr, nullptr, &startup, &process)
                                          : CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                                           nullptr, nullptr, &startup, &process);
    if (token != nullptr)
        CloseHandle(token);
    if (!started)
        return 1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    if (!exitCodeFile.empty() && !WriteExitCode(exitCodeFile, exitCode))
        return 1;
    return static_cast<int>(exitCode);
}
