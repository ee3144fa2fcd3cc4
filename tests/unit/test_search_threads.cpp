#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "search/threads.h"

namespace {

// A pool of plain worker threads driven like the search pool: the work runs
// until its stop flag is set, then the thread marks itself idle.
struct Pool {
    struct Slot {
        std::unique_ptr<WorkerThread> thread;
        std::atomic<int> stop{0};
        std::atomic<int> runs{0};
    };
    std::vector<std::unique_ptr<Slot>> slots;

    static void work(u32 index, void* user) {
        Pool* pool = static_cast<Pool*>(user);
        Slot& s = *pool->slots[index];
        s.runs.fetch_add(1);
        while (s.stop.load(std::memory_order_relaxed) == 0) std::this_thread::yield();
        s.thread->markIdle();
    }
    explicit Pool(u32 n) {
        for (u32 i = 0; i < n; i++) {
            slots.push_back(std::make_unique<Slot>());
            slots.back()->thread = std::make_unique<WorkerThread>(work, this, i);
        }
    }
    void start() {
        for (auto& s : slots) {
            s->stop.store(0);
            s->thread->start();
        }
    }
    void stop() {
        for (auto& s : slots) {
            if (!s->thread->isBusy()) continue;
            s->stop.store(1);
            s->thread->waitIdle();
        }
    }
    ~Pool() {
        for (auto& s : slots) s->thread->requestExit();
    }
};

}  // namespace

TEST(SearchThreads, StartAndStopManyTimesLosesNothing) {
    Pool pool(4);
    for (int round = 0; round < 300; round++) {
        pool.start();
        // Stop at once: a stop that arrives before the work starts is kept.
        pool.stop();
        for (auto& s : pool.slots) ASSERT_FALSE(s->thread->isBusy());
    }
    for (auto& s : pool.slots) EXPECT_EQ(s->runs.load(), 300);
}

TEST(SearchThreads, IdleThreadsAndNeverStartedThreads) {
    // Never started: exit and destruction do not wait for anything.
    { WorkerThread t(Pool::work, nullptr, 0); }
    Pool pool(2);
    pool.stop();  // nothing busy: does nothing
    for (auto& s : pool.slots) {
        EXPECT_EQ(s->thread->getState(), THREAD_IDLE);
        EXPECT_EQ(s->thread->thread, nullptr);
    }
}

TEST(SearchThreads, ExitRequestWaitsForTheWorkToEnd) {
    Pool pool(1);
    pool.start();
    Pool::Slot& s = *pool.slots[0];
    while (s.runs.load() == 0) std::this_thread::yield();
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        s.stop.store(1);
    });
    s.thread->requestExit();  // returns only once the work has ended
    EXPECT_EQ(s.thread->getState(), THREAD_EXIT);
    stopper.join();
}
