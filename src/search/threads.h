// The search threads. A WorkerThread sleeps on its condition variable until the
// command loop sets its state to work, runs its work function, and sleeps
// again; the state word is the hand-shake:
//   0 idle, 1 work (set by the controller under the mutex), 2 exit.
// One condition variable per thread serves both the thread's own waiting and
// every controller waiting for it to become idle, so every notification is a
// notify_all and every wait has a predicate.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "search/searcher.h"

enum ThreadState : i32 { THREAD_IDLE = 0, THREAD_WORK = 1, THREAD_EXIT = 2 };

// The work function of every search thread: the thread's pool index and the
// ChessPlayer. It ends by calling markIdle() on its thread.
using WorkFunction = void (*)(u32 index, void* userData);
void searchThreadWork(u32 index, void* userData);

class Thread {
   public:
    virtual ~Thread() = default;
    virtual void run() = 0;
};

// The function handed to std::thread.
void threadEntry(Thread* thread);

// A descriptor that turns readable whenever a search thread goes idle, so that
// the command loop can block on its input and on the end of a search at once.
// -1 when the system gave none. drainIdleEvents() makes it unreadable again.
int idleEventDescriptor();
void drainIdleEvents();

class WorkerThread : public Thread {
   public:
    WorkerThread(WorkFunction function, void* userData, u32 index);
    ~WorkerThread() override;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    void run() override;

    // Controller side. start(): creates the std::thread on first use, then
    // state 1 under the mutex and a notification.
    void start();
    // Blocks until the state is 0 (or 2).
    void waitIdle();
    // Waits until idle, then state 2 and a notification; the thread leaves its loop.
    void requestExit();
    // Thread side: the end of the work function. State 1 becomes 0 (a pending
    // exit request is kept) and every waiter is woken.
    void markIdle();

    i32 getState() const { return state.load(std::memory_order_acquire); }
    bool isBusy() const { return getState() != THREAD_IDLE; }

    std::thread* thread = nullptr;
    std::mutex mutex;
    std::condition_variable condition;
    WorkFunction workFunction;
    void* userData;
    std::atomic<i32> state{THREAD_IDLE};
    u32 index;
};

class SearchThread : public WorkerThread {
   public:
    SearchThread(WorkFunction function, void* data, u32 threadIndex)
        : WorkerThread(function, data, threadIndex) {}

    Searcher searcher;
};
