// Console commands through CreateProcess and a pipe read with a time limit, with WOW64 redirection handled per
// thread.
#include "console/WindowsConsole.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);

// Looked up once; a missing entry point (older systems) is looked up again on the next call.
std::atomic<IsWow64ProcessFn> g_isWow64Process{nullptr};

constexpr DWORD kPipeBuffer = 64 * 1024;

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

namespace {

// The system's interpreter by its full path: a cmd.exe beside the program or on the PATH never runs.
std::wstring SystemInterpreter() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return std::wstring(folder, length) + L"\\cmd.exe";
}

// The read end of a pipe that can be waited on with a time limit (an anonymous pipe cannot), and its write end,
// inheritable, for the command's standard output and error.
bool CreateOutputPipe(ScopedHandle& readEnd, ScopedHandle& writeEnd) {
    static std::atomic<unsigned> s_counter{0};
    const std::wstring name = L"\\\\.\\pipe\\TolvikConsole." + std::to_wstring(GetCurrentProcessId()) + L"." +
                              std::to_wstring(++s_counter) + L"." + std::to_wstring(GetTickCount());
    *readEnd.Out() = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED |
                                                        FILE_FLAG_FIRST_PIPE_INSTANCE,
                                      PIPE_TYPE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, kPipeBuffer, 0,
                                      nullptr);
    if (readEnd.Get() == INVALID_HANDLE_VALUE) {
        *readEnd.Out() = nullptr;
        return false;
    }
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    *writeEnd.Out() = CreateFileW(name.c_str(), GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING, 0, nullptr);
    if (writeEnd.Get() == INVALID_HANDLE_VALUE) {
        *writeEnd.Out() = nullptr;
        return false;
    }
    return true;
}

class Deadline {
public:
    explicit Deadline(uint32_t timeoutMs) : end_(GetTickCount64() + timeoutMs) {}
    DWORD Remaining() const {
        const ULONGLONG now = GetTickCount64();
        return now >= end_ ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(end_ - now, INFINITE - 1));
    }

private:
    ULONGLONG end_;
};

// Appends what the pipe delivers until every writer has closed it; false when the time ran out first. A read
// waits for data, so there is no pause between chunks and no busy loop.
bool ReadUntilEnd(HANDLE readEnd, const Deadline& deadline, std::string& output) {
    ScopedHandle event;
    *event.Out() = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (event.Get() == nullptr)
        return true;
    char chunk[kPipeBuffer];
    for (;;) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = event.Get();
        DWORD bytesRead = 0;
        if (!ReadFile(readEnd, chunk, sizeof chunk, &bytesRead, &overlapped)) {
            if (GetLastError() != ERROR_IO_PENDING)
                return true; // every writer has closed the pipe
            if (WaitForSingleObject(event.Get(), deadline.Remaining()) != WAIT_OBJECT_0) {
                CancelIo(readEnd);
                GetOverlappedResult(readEnd, &overlapped, &bytesRead, TRUE);
                output.append(chunk, bytesRead);
                return false;
            }
            if (!GetOverlappedResult(readEnd, &overlapped, &bytesRead, FALSE))
                return true;
        }
        // Every byte read is kept, zero bytes included: a stray zero must not swallow the rest of a chunk.
        output.append(chunk, bytesRead);
    }
}

} // namespace

CommandOutcome ConsoleRunner::RunConsoleCommand(const ConsoleCommand& command, std::string& output) {
    if (!FitsCommandLine(command.text) || command.folder.empty())
        return CommandOutcome::NotStarted;
    const std::wstring interpreter = SystemInterpreter();
    if (interpreter.empty())
        return CommandOutcome::NotStarted;

    RedirectionOff redirection;
    if (!redirection.Usable())
        return CommandOutcome::NotStarted;

    ScopedHandle readEnd;
    ScopedHandle writeEnd;
    if (!CreateOutputPipe(readEnd, writeEnd))
        return CommandOutcome::NotStarted;

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();
    startup.wShowWindow = SW_HIDE;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;

    // A query that runs late is ended with everything it started, so its processes go with a job of their own.
    // Where the program already runs in a job that allows no other (Windows 7), only the interpreter can be ended.
    ScopedHandle job;
    if (command.endOnTimeout)
        *job.Out() = CreateJobObjectW(nullptr, nullptr);

    // /D: no AutoRun command of the user's may change the folder or anything else before ours runs. The working
    // folder is the program folder: when it cannot be entered, the interpreter does not start at all.
    std::wstring commandLine(kInterpreterPrefix);
    commandLine += command.text;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(interpreter.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                        command.folder.c_str(), &startup, &process))
        return CommandOutcome::NotStarted;
    ScopedHandle processHandle;
    *processHandle.Out() = process.hProcess;
    const bool inJob = job.Get() != nullptr && AssignProcessToJobObject(job.Get(), process.hProcess);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);

    // Only the command's processes hold the write end now, so the reads end when the last of them exits.
    writeEnd.Reset();
    const Deadline deadline(command.timeoutMs);
    bool ended = ReadUntilEnd(readEnd.Get(), deadline, output);
    readEnd.Reset();
    if (ended)
        ended = WaitForSingleObject(process.hProcess, deadline.Remaining()) == WAIT_OBJECT_0;
    if (ended)
        return CommandOutcome::Finished;

    if (command.endOnTimeout) {
        if (inJob)
            TerminateJobObject(job.Get(), 1);
        else
            TerminateProcess(process.hProcess, 1);
    }
    return CommandOutcome::TimedOut;
}
