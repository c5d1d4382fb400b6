#include "console/WorkerThreads.h"

#include <mutex>
#include <vector>

namespace {

// The handles of the started threads; the ones already ended are closed when the next thread starts.
class WorkerThreads {
public:
    bool Start(LPTHREAD_START_ROUTINE routine, void* parameter) {
        const std::lock_guard<std::mutex> lock(mutex_);
        CloseEnded();
        HANDLE thread = CreateThread(nullptr, 0, routine, parameter, 0, nullptr);
        if (thread == nullptr)
            return false;
        threads_.push_back(thread);
        return true;
    }

    void WaitForAll() {
        for (;;) {
            std::vector<HANDLE> started;
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                started.swap(threads_);
            }
            if (started.empty())
                return;
            for (HANDLE thread : started) {
                WaitAnsweringSentMessages(thread);
                CloseHandle(thread);
            }
        }
    }

private:
    // A worker may be waiting in SendMessageW for a window of the waiting thread: answer it meanwhile.
    static void WaitAnsweringSentMessages(HANDLE thread) {
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }

    void CloseEnded() {
        std::erase_if(threads_, [](HANDLE thread) {
            if (WaitForSingleObject(thread, 0) != WAIT_OBJECT_0)
                return false;
            CloseHandle(thread);
            return true;
        });
    }

    std::mutex mutex_;
    std::vector<HANDLE> threads_;
};

// Never destroyed: threads may still be starting while static objects are torn down.
WorkerThreads& Threads() {
    static WorkerThreads* const threads = new WorkerThreads;
    return *threads;
}

} // namespace

bool StartWorkerThread(LPTHREAD_START_ROUTINE routine, void* parameter) {
    return Threads().Start(routine, parameter);
}

void WaitForWorkerThreads() {
    Threads().WaitForAll();
}
