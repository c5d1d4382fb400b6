// Console commands through CreateProcess and an anonymous pipe, with WOW64 redirection handled per thread.
#include "console/WindowsConsole.h"

#include <windows.h>

#include <atomic>
#include <vector>

namespace {

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);

// Looked up once; a missing entry point (older systems) is looked up again on the next call.
std::atomic<IsWow64ProcessFn> g_isWow64Process{nullptr};

constexpr DWORD kReadChunk = 1023;
constexpr DWORD kPauseAfterChunkMs = 10;

// Switches the calling thread's file-system redirection off for its lifetime, on 64-bit Windows only.
class RedirectionOff {
public:
    RedirectionOff() {
        if (Is64BitWindows())
            switched_ = Wow64DisableWow64FsRedirection(&oldValue_) == TRUE;
        else
            needed_ = false;
    }
    ~RedirectionOff() {
        if (switched_)
            Wow64RevertWow64FsRedirection(oldValue_);
    }
    RedirectionOff(const RedirectionOff&) = delete;
    RedirectionOff& operator=(const RedirectionOff&) = delete;

    bool Usable() const { return !needed_ || switched_; }

private:
    bool needed_ = true;
    bool switched_ = false;
    PVOID oldValue_ = nullptr;
};

class ScopedHandle {
public:
    ScopedHandle() = default;
    ~ScopedHandle() { Reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    HANDLE* Out() { return &handle_; }
    HANDLE Get() const { return handle_; }
    void Reset() {
        if (handle_ != nullptr)
            CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

} // namespace

bool Is64BitWindows() {
    IsWow64ProcessFn isWow64Process = g_isWow64Process.load();
    if (isWow64Process == nullptr) {
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        if (kernel == nullptr)
            return false;
        isWow64Process = reinterpret_cast<IsWow64ProcessFn>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
        if (isWow64Process == nullptr)
            return false;
        g_isWow64Process.store(isWow64Process);
    }
    BOOL wow64 = FALSE;
    return isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::wstring GetProgramFolder() {
    // Grow the buffer until the whole path fits: a cut path would name the wrong folder.
    std::vector<wchar_t> path(261);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size() - 1 || path.size() >= 32768) {
            const std::wstring full(path.data(), length);
            const size_t slash = full.rfind(L'\\');
            return slash == std::wstring::npos ? std::wstring() : full.substr(0, slash);
        }
        path.resize(path.size() * 2);
    }
}

bool ConsoleRunner::RunConsoleCommand(std::wstring_view command, std::string& output) {
    if (!FitsCommandLine(command))
        return false;

    RedirectionOff redirection;
    if (!redirection.Usable())
        return false;

    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    ScopedHandle readEnd;
    ScopedHandle writeEnd;
    if (!CreatePipe(readEnd.Out(), writeEnd.Out(), &security, 0))
        return false;

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();
    startup.wShowWindow = SW_HIDE;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;

    std::wstring commandLine(kInterpreterPrefix);
    commandLine += command;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;

    // Only the command's processes hold the write end now, so the reads end when the last of them exits.
    writeEnd.Reset();

    char chunk[kReadChunk + 1];
    DWORD bytesRead = 0;
    while (ReadFile(readEnd.Get(), chunk, kReadChunk, &bytesRead, nullptr)) {
        // Every byte read is kept, zero bytes included: a stray zero must not swallow the rest of a chunk.
        output.append(chunk, bytesRead);
        Sleep(kPauseAfterChunkMs);
    }
    readEnd.Reset();

    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
