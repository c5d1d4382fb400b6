// Windows: the scan and uninstall threads. They run detached from whoever starts them, but the process keeps
// their handles so that a program about to end can let them finish first: a thread still winding down while
// the process exits can bring the process down at its very end.
#pragma once

#include <windows.h>

// Starts `routine(parameter)` on a new thread. False when the thread cannot be created.
[[nodiscard]] bool StartWorkerThread(LPTHREAD_START_ROUTINE routine, void* parameter);

// Waits until every started thread has ended, answering the messages they send to the calling thread
// meanwhile.
void WaitForWorkerThreads();
