#include "search/threads.h"

#include <sys/eventfd.h>
#include <unistd.h>

void threadEntry(Thread* thread) {
    thread->run();
}

WorkerThread::WorkerThread(WorkFunction function, void* data, u32 position)
    : workFunction(function), userData(data), index(position) {}

WorkerThread::~WorkerThread() {
    // The controller normally ended the thread already (requestExit); make sure
    // it leaves its loop before the mutex and condition variable go away.
    if (thread != nullptr) {
        requestExit();
        thread->join();
        delete thread;
        thread = nullptr;
    }
}

void WorkerThread::run() {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            // Waking here also wakes a controller waiting for this thread to be idle.
            condition.notify_all();
            condition.wait(lock, [this] { return getState() != THREAD_IDLE; });
        }
        if (getState() == THREAD_EXIT) return;
        workFunction(index, userData);
        if (getState() == THREAD_EXIT) return;
    }
}

void WorkerThread::start() {
    if (thread == nullptr) thread = new std::thread(threadEntry, static_cast<Thread*>(this));
    std::lock_guard<std::mutex> lock(mutex);
    state.store(THREAD_WORK, std::memory_order_release);
    condition.notify_all();
}

void WorkerThread::waitIdle() {
    std::unique_lock<std::mutex> lock(mutex);
    condition.wait(lock, [this] { return getState() != THREAD_WORK; });
}

void WorkerThread::requestExit() {
    std::unique_lock<std::mutex> lock(mutex);
    condition.wait(lock, [this] { return getState() != THREAD_WORK; });
    state.store(THREAD_EXIT, std::memory_order_release);
    condition.notify_all();
}

void WorkerThread::markIdle() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        i32 expected = THREAD_WORK;
        state.compare_exchange_strong(expected, THREAD_IDLE, std::memory_order_acq_rel);
        condition.notify_all();
    }
    const int fd = idleEventDescriptor();
    if (fd >= 0) eventfd_write(fd, 1);
}

int idleEventDescriptor() {
    static const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    return fd;
}

void drainIdleEvents() {
    const int fd = idleEventDescriptor();
    eventfd_t count;
    if (fd >= 0) eventfd_read(fd, &count);  // non-blocking: resets the counter
}
