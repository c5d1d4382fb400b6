// Console commands through CreateProcess and a pipe read on a thread of its own, waited for with a time limit;
// WOW64 redirection is handled per thread.
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
// How long the output of a query that was ended may take to arrive in full.
constexpr DWORD kEndedReadMs = 5000;

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

// A file of the system folder by its full path.
std::wstring SystemFile(const wchar_t* fileName) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return std::wstring(folder, length) + L"\\" + fileName;
}

// The system's interpreter by its full path: a cmd.exe beside the program or on the PATH never runs.
std::wstring SystemInterpreter() {
    return SystemFile(L"cmd.exe");
}

// The command's output, read on another thread with plain blocking reads until every writer has closed the
// pipe, so that the runner can wait for it with a time limit. The runner and the reading share it; whichever
// lets go last closes the pipe and frees it, so a reading left behind by a change that runs late ends by itself
// when the command does.
class PipeReading {
public:
    explicit PipeReading(HANDLE readEnd) : readEnd_(readEnd), done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

    // Runs on a thread of the system's pool: its threads outlive the commands, so no thread is made and ended for
    // each command (under Wine that cost more than the rest of the runner's work together).
    bool StartOnPooledThread() {
        return done_ != nullptr && QueueUserWorkItem(&PipeReading::Read, this, WT_EXECUTELONGFUNCTION);
    }

    // Signalled once the pipe has ended.
    HANDLE Done() const { return done_; }

    void ReadToEnd() {
        char chunk[kPipeBuffer];
        DWORD bytesRead = 0;
        // Every byte read is kept, zero bytes included: a stray zero must not swallow the rest of a chunk.
        while (ReadFile(readEnd_, chunk, sizeof chunk, &bytesRead, nullptr) && bytesRead > 0)
            bytes_.append(chunk, bytesRead);
    }

    // Only once Done is signalled.
    const std::string& Bytes() const { return bytes_; }

    void Release() {
        if (--owners_ == 0) {
            CloseHandle(readEnd_);
            if (done_ != nullptr)
                CloseHandle(done_);
            delete this;
        }
    }

private:
    ~PipeReading() = default;

    static DWORD WINAPI Read(LPVOID parameter) {
        auto* reading = static_cast<PipeReading*>(parameter);
        reading->ReadToEnd();
        SetEvent(reading->done_);
        reading->Release();
        return 0;
    }

    HANDLE readEnd_;
    HANDLE done_;
    std::string bytes_;
    std::atomic<int> owners_{2};
};

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

} // namespace

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
    const std::wstring path = SystemFile(fileName);
    return path.empty() ? nullptr : LoadLibraryW(path.c_str());
}

bool ConsoleRunner::StopRequested(const ConsoleCommand& command) const {
    return command.endOnTimeout && stopEvent_ != nullptr && WaitForSingleObject(stopEvent_, 0) == WAIT_OBJECT_0;
}

bool ConsoleRunner::WaitUnlessStopped(const ConsoleCommand& command, HANDLE done, DWORD milliseconds) const {
    if (!command.endOnTimeout || stopEvent_ == nullptr)
        return WaitForSingleObject(done, milliseconds) == WAIT_OBJECT_0;
    const HANDLE handles[2] = {done, stopEvent_};
    return WaitForMultipleObjects(2, handles, FALSE, milliseconds) == WAIT_OBJECT_0;
}

CommandOutcome ConsoleRunner::RunConsoleCommand(const ConsoleCommand& command, std::string& output) {
    if (StopRequested(command))
        return CommandOutcome::TimedOut;
    if (!FitsCommandLine(command.text) || command.folder.empty())
        return CommandOutcome::NotStarted;
    const std::wstring interpreter = SystemInterpreter();
    if (interpreter.empty())
        return CommandOutcome::NotStarted;

    RedirectionOff redirection;
    if (!redirection.Usable())
        return CommandOutcome::NotStarted;

    // The write end is inherited by the command; the read end stays with this process.
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    ScopedHandle readEnd;
    ScopedHandle writeEnd;
    if (!CreatePipe(readEnd.Out(), writeEnd.Out(), &inheritable, kPipeBuffer) ||
        !SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0))
        return CommandOutcome::NotStarted;

    // Nothing of this program's own start-up information is passed on: the command gets no input (it needs none,
    // and a terminal's input handed down made every command slower under Wine), only the pipe for its output.
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
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
    auto* reading = new PipeReading(readEnd.Get());
    *readEnd.Out() = nullptr; // the reading owns it now
    if (!reading->StartOnPooledThread()) {
        // No thread to spare: read here, without a time limit.
        reading->ReadToEnd();
        output += reading->Bytes();
        reading->Release();
        reading->Release();
        WaitForSingleObject(process.hProcess, INFINITE);
        return CommandOutcome::Finished;
    }

    const Deadline deadline(command.timeoutMs);
    if (WaitUnlessStopped(command, reading->Done(), deadline.Remaining())) {
        output += reading->Bytes();
        reading->Release();
        if (WaitForSingleObject(process.hProcess, deadline.Remaining()) == WAIT_OBJECT_0)
            return CommandOutcome::Finished;
        if (command.endOnTimeout)
            TerminateProcess(process.hProcess, 1);
        return CommandOutcome::TimedOut;
    }

    // Late, or a stopped query. A query is ended with what it started, and what it printed until then is kept;
    // a change is left to finish on its own, with its reading.
    if (command.endOnTimeout) {
        if (inJob)
            TerminateJobObject(job.Get(), 1);
        else
            TerminateProcess(process.hProcess, 1);
        if (WaitForSingleObject(reading->Done(), kEndedReadMs) == WAIT_OBJECT_0)
            output += reading->Bytes();
    }
    reading->Release();
    return CommandOutcome::TimedOut;
}
