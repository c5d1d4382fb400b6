// The Windows side of running console commands: the runner and the platform helpers it needs.
#pragma once

#include "console/CommandRunner.h"

#include <windows.h>

// True when this 32-bit program runs under the 32-bit emulation of a 64-bit Windows.
[[nodiscard]] bool Is64BitWindows();

// The folder of the running executable, without a trailing backslash ("C:" for a program in a drive root).
std::wstring GetProgramFolder();

// A library of the system folder, by its full path: a copy of the same name beside the program (a download
// folder holds anything) is never loaded in its place. Null when it cannot be loaded.
[[nodiscard]] HMODULE LoadSystemLibrary(const wchar_t* fileName);

// Runs commands through the system's own interpreter (never a cmd.exe found elsewhere) started in the command's
// folder, reading its output through a pipe until the pipe ends or the time is up; on 64-bit Windows the calling
// thread's file-system redirection is off while the command runs, so the native interpreter and tools start.
class ConsoleRunner : public ICommandRunner {
public:
    [[nodiscard]] CommandOutcome RunConsoleCommand(const ConsoleCommand& command, std::string& output) override;

    // An event (not owned) that stops the queries: once it is set, a running query is ended with everything it
    // started, as at its time limit, and no further query starts; both report TimedOut. Changes (commands not
    // ended at their limit) never watch it: a change to the driver store is never cut off half-way.
    void WatchStopEvent(HANDLE stopEvent) { stopEvent_ = stopEvent; }

private:
    // The stop event the command watches: the runner's for a query, none for a change.
    HANDLE StopEventFor(const ConsoleCommand& command) const;

    HANDLE stopEvent_ = nullptr;
};
