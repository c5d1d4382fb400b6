// Console commands through CreateProcess and a pipe read on a thread of its own, waited for with a time limit;
// WOW64 redirection is handled per thread.
#include "console/WindowsConsole.h"

#include "base/UniqueHandle.h"
#include "logging/CallbackGuard.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);

// Looked up once; a missing entry point (older systems) is looked up again on the next call.
std::atomic<IsWow64ProcessFn> g_isWow64Process{nullptr};

constexpr DWORD kPipeBuffer = 64 * 1024;
// How long the output of a query that was ended may take to arrive in full. The pipe ends as soon as the ended
// processes are gone, which under load takes seconds; only processes that escaped the ending make it wait longer.
constexpr DWORD kEndedReadMs = 30000;

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

} // namespace

bool Is64BitWindows() {
    IsWow64ProcessFn isWow64Process = g_isWow64Process.load();
    if (isWow64Process == nullptr) {
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        if (kernel == nullptr)
            return false;
        isWow64Process =
            reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
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
    explicit PipeReading(UniqueHandle readEnd)
        : readEnd_(std::move(readEnd)), done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

    // Runs on a thread of the system's pool: its threads outlive the commands, so no thread is made and ended for
    // each command (under Wine that cost more than the rest of the runner's work together).
    [[nodiscard]] bool StartOnPooledThread() {
        return done_ && QueueUserWorkItem(&PipeReading::Read, this, WT_EXECUTELONGFUNCTION);
    }

    // Signalled once the pipe has ended.
    HANDLE Done() const { return done_.Get(); }

    // Reads until the pipe reports its end (every writer gone). A read that succeeds with no bytes is not the end:
    // a pipe gives one for any writer's empty write, and what the command prints after it must not be lost.
    void ReadToEnd() {
        char chunk[kPipeBuffer];
        DWORD bytesRead = 0;
        // Every byte read is kept, zero bytes included: a stray zero must not swallow the rest of a chunk.
        while (ReadFile(readEnd_.Get(), chunk, sizeof chunk, &bytesRead, nullptr))
            bytes_.append(chunk, bytesRead);
    }

    // Only once Done is signalled.
    const std::string& Bytes() const { return bytes_; }

    void Release() {
        if (--owners_ == 0)
            delete this;
    }

private:
    ~PipeReading() = default;

    static DWORD WINAPI Read(LPVOID parameter) {
        auto* reading = static_cast<PipeReading*>(parameter);
        // Bytes that cannot be kept end the reading as the pipe's end would: the runner gets what was read.
        CallGuarded("PipeReading", [reading] { reading->ReadToEnd(); });
        SetEvent(reading->done_.Get());
        reading->Release();
        return 0;
    }

    UniqueHandle readEnd_;
    UniqueHandle done_;
    std::string bytes_;
    std::atomic<int> owners_{2};
};

// The one handle a command inherits (PROC_THREAD_ATTRIBUTE_HANDLE_LIST, Windows Vista and later). Without the list
// it would inherit every inheritable handle of this program: a caller's output pipe handed to the command line,
// another command's pipe, and a change left running at its time limit would hold them all until it ended.
class InheritedHandleList {
public:
    explicit InheritedHandleList(HANDLE only) : handles_{only} {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        storage_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
        if (size == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &size))
            return;
        initialised_ = true;
        if (UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_, sizeof handles_, nullptr,
                                      nullptr))
            list_ = list;
    }
    ~InheritedHandleList() {
        if (initialised_)
            DeleteProcThreadAttributeList(reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data()));
    }
    InheritedHandleList(const InheritedHandleList&) = delete;
    InheritedHandleList& operator=(const InheritedHandleList&) = delete;

    // Null when the list could not be made.
    LPPROC_THREAD_ATTRIBUTE_LIST Get() const { return list_; }

private:
    HANDLE handles_[1]; // read by CreateProcess, so it lives as long as the list
    std::vector<char> storage_;
    bool initialised_ = false;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
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

// The command's output pipe: the write end is inherited by the command, the read end stays with this process.
bool CreateOutputPipe(UniqueHandle& readEnd, UniqueHandle& writeEnd) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreatePipe(readEnd.Out(), writeEnd.Out(), &inheritable, kPipeBuffer) &&
           SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);
}

// A started command: the interpreter's process and, for a query, the job that its processes go with.
struct StartedCommand {
    UniqueHandle job;
    UniqueHandle process;
    bool inJob = false;
};

// Starts the interpreter on the command, writing to `output`. Nothing of this program's own start-up information
// is passed on: the command gets no input (it needs none, and a terminal's input handed down made every command
// slower under Wine), only the pipe for its output, and that pipe is the only handle it inherits.
bool StartCommand(const std::wstring& interpreter, const ConsoleCommand& command, HANDLE output,
                  StartedCommand& started) {
    const InheritedHandleList inherited(output);
    if (inherited.Get() == nullptr)
        return false;
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.hStdOutput = output;
    startup.StartupInfo.hStdError = output;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.lpAttributeList = inherited.Get();

    // A query that runs late is ended with everything it started, so its processes go with a job of their own.
    // Where the program already runs in a job that allows no other (Windows 7), only the interpreter can be ended.
    if (command.endOnTimeout)
        started.job.Reset(CreateJobObjectW(nullptr, nullptr));

    // /D: no AutoRun command of the user's may change the folder or anything else before ours runs. The working
    // folder is the program folder: when it cannot be entered, the interpreter does not start at all.
    std::wstring commandLine(kInterpreterPrefix);
    commandLine += command.text;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(interpreter.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT, nullptr, command.folder.c_str(),
                        &startup.StartupInfo, &process))
        return false;
    started.process.Reset(process.hProcess);
    const UniqueHandle thread(process.hThread);
    started.inJob = started.job && AssignProcessToJobObject(started.job.Get(), process.hProcess);
    ResumeThread(thread.Get());
    return true;
}

bool IsSet(HANDLE event) {
    return event != nullptr && WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

// Waits for `done` until the time is up or `stop` (when there is one) is set; true when `done` came.
bool WaitUnlessStopped(HANDLE done, HANDLE stop, DWORD milliseconds) {
    if (stop == nullptr)
        return WaitForSingleObject(done, milliseconds) == WAIT_OBJECT_0;
    const HANDLE handles[2] = {done, stop};
    return WaitForMultipleObjects(2, handles, FALSE, milliseconds) == WAIT_OBJECT_0;
}

// No pooled thread to spare: the output is read here, without a time limit.
CommandOutcome ReadHere(PipeReading& reading, const StartedCommand& started, std::string& output) {
    reading.ReadToEnd();
    output += reading.Bytes();
    reading.Release();
    reading.Release();
    WaitForSingleObject(started.process.Get(), INFINITE);
    return CommandOutcome::Finished;
}

// Waits for the output and then for the interpreter, within the command's time. A query that runs late or is
// stopped is ended with what it started, and what it printed until then is kept; a change is left to finish on
// its own, with its reading. Lets go of the reading.
CommandOutcome AwaitCommand(const ConsoleCommand& command, HANDLE stop, const StartedCommand& started,
                            PipeReading& reading, std::string& output) {
    const Deadline deadline(command.timeoutMs);
    if (WaitUnlessStopped(reading.Done(), stop, deadline.Remaining())) {
        output += reading.Bytes();
        reading.Release();
        if (WaitForSingleObject(started.process.Get(), deadline.Remaining()) == WAIT_OBJECT_0)
            return CommandOutcome::Finished;
        if (command.endOnTimeout)
            TerminateProcess(started.process.Get(), 1);
        return CommandOutcome::TimedOut;
    }
    if (command.endOnTimeout) {
        if (started.inJob)
            TerminateJobObject(started.job.Get(), 1);
        else
            TerminateProcess(started.process.Get(), 1);
        if (WaitForSingleObject(reading.Done(), kEndedReadMs) == WAIT_OBJECT_0)
            output += reading.Bytes();
    }
    reading.Release();
    return CommandOutcome::TimedOut;
}

} // namespace

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
    const std::wstring path = SystemFile(fileName);
    return path.empty() ? nullptr : LoadLibraryW(path.c_str());
}

HANDLE ConsoleRunner::StopEventFor(const ConsoleCommand& command) const {
    return command.endOnTimeout ? stopEvent_ : nullptr;
}

CommandOutcome ConsoleRunner::RunConsoleCommand(const ConsoleCommand& command, std::string& output) {
    const HANDLE stop = StopEventFor(command);
    if (IsSet(stop))
        return CommandOutcome::TimedOut;
    if (!FitsCommandLine(command.text) || command.folder.empty())
        return CommandOutcome::NotStarted;
    const std::wstring interpreter = SystemInterpreter();
    if (interpreter.empty())
        return CommandOutcome::NotStarted;

    RedirectionOff redirection;
    if (!redirection.Usable())
        return CommandOutcome::NotStarted;

    UniqueHandle readEnd;
    UniqueHandle writeEnd;
    StartedCommand started;
    if (!CreateOutputPipe(readEnd, writeEnd) || !StartCommand(interpreter, command, writeEnd.Get(), started))
        return CommandOutcome::NotStarted;

    // Only the command's processes hold the write end now, so the reads end when the last of them exits.
    writeEnd.Reset();
    auto* reading = new PipeReading(std::move(readEnd));
    if (!reading->StartOnPooledThread())
        return ReadHere(*reading, started, output);
    return AwaitCommand(command, stop, started, *reading, output);
}
