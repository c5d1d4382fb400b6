#include "console/WorkerThreads.h"

#include "base/UniqueHandle.h"

#include <mutex>
#include <vector>

namespace {

// The handles of the started threads; the ones already ended are closed when the next thread starts.
class WorkerThreads {
public:
    bool Start(LPTHREAD_START_ROUTINE routine, void* parameter) {
        const std::lock_guard<std::mutex> lock(mutex_);
        CloseEnded();
        UniqueHandle thread(CreateThread(nullptr, 0, routine, parameter, 0, nullptr));
        if (!thread)
            return false;
        threads_.push_back(std::move(thread));
        return true;
    }

    void WaitForAll() {
        for (;;) {
            std::vector<UniqueHandle> started;
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                started.swap(threads_);
            }
            if (started.empty())
                return;
            for (UniqueHandle& thread : started) {
                WaitAnsweringSentMessages(thread.Get());
                thread.Reset();
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
        std::erase_if(threads_,
                      [](const UniqueHandle& thread) { return WaitForSingleObject(thread.Get(), 0) == WAIT_OBJECT_0; });
    }

    std::mutex mutex_;
    std::vector<UniqueHandle> threads_;
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
