#include "platform/thread_object.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>

namespace {

using platform::CCtrlFailed;
using platform::ThreadObject;

class CountingThread : public ThreadObject {
public:
    ~CountingThread() override {
        if (IsRunning()) Stop();
    }
    void Run() override { runs.fetch_add(1); }
    std::atomic<int> runs{0};
};

// Spins until stopped, polling the flag as a conversion job does.
class LoopingThread : public ThreadObject {
public:
    void Run() override {
        started.store(true);
        for (;;) {
            CheckStop();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    std::atomic<bool> started{false};
};

// Counts its runs outside itself, so the count survives the object.
class ReportingThread : public ThreadObject {
public:
    explicit ReportingThread(std::atomic<int>* runs) : runs(runs) {}
    void Run() override { runs->fetch_add(1); }
    std::atomic<int>* runs;
};

class ThrowingThread : public ThreadObject {
public:
    void Run() override { throw std::logic_error("job failed"); }
};

// Created suspended: nothing runs before Resume, the body runs once after.
TEST(ThreadObjectTest, RunsOnlyAfterResume) {
    CountingThread thread;
    thread.Create();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(thread.runs.load(), 0);
    thread.Resume();
    thread.Wait();
    EXPECT_EQ(thread.runs.load(), 1);
    EXPECT_EQ(thread.WasKilled(), 0);
    // Released by Wait: the object can make a new thread.
    thread.Create();
    thread.Resume();
    thread.Wait();
    EXPECT_EQ(thread.runs.load(), 2);
}

// The stop flag ends a running body through CExKilledByCtrl, caught on the
// thread, so that Wait returns normally.
TEST(ThreadObjectTest, StopEndsARunningBody) {
    LoopingThread thread;
    thread.Create();
    thread.Resume();
    while (!thread.started.load()) std::this_thread::yield();
    EXPECT_EQ(thread.IsRunning(), 1);
    thread.Stop();
    EXPECT_NO_THROW(thread.Wait());
    EXPECT_EQ(thread.WasKilled(), 1);
    EXPECT_EQ(thread.IsRunning(), 0);
}

TEST(ThreadObjectTest, StoppedBeforeResumeNeverRuns) {
    CountingThread thread;
    thread.Create();
    thread.Stop();
    thread.Resume();
    thread.Wait();
    EXPECT_EQ(thread.runs.load(), 0);
    EXPECT_EQ(thread.WasKilled(), 1);
}

TEST(ThreadObjectTest, MisuseRaisesCCtrlFailed) {
    CountingThread thread;
    EXPECT_THROW(thread.Resume(), CCtrlFailed);
    EXPECT_THROW(thread.Wait(), CCtrlFailed);
    thread.Create();
    EXPECT_THROW(thread.Create(), CCtrlFailed);
    thread.Resume();
    EXPECT_THROW(thread.Resume(), CCtrlFailed);
    thread.Wait();
    EXPECT_THROW(thread.Wait(), CCtrlFailed);
}

// Any other exception would end the process if it left the thread; the owner
// receives it at Wait instead.
TEST(ThreadObjectTest, FailureOfTheBodyReachesWait) {
    ThrowingThread thread;
    thread.Create();
    thread.Resume();
    EXPECT_THROW(thread.Wait(), std::logic_error);
}

// A thread never resumed must not keep the owner from being destroyed, and
// the destructor's release must not run the body it wakes.
TEST(ThreadObjectTest, DestroyingASuspendedThreadDoesNotHang) {
    auto runs = std::make_shared<std::atomic<int>>(0);
    auto destroyed = std::make_shared<std::promise<void>>();
    std::future<void> done = destroyed->get_future();
    // Destroyed on a helper thread so that a hang fails here instead of
    // stopping the whole run; the helper is left behind if it hangs.
    std::thread([runs, destroyed] {
        auto thread = std::make_unique<ReportingThread>(runs.get());
        thread->Create();
        thread.reset();
        destroyed->set_value();
    }).detach();
    ASSERT_TRUE(done.wait_for(std::chrono::seconds(5)) == std::future_status::ready)
        << "destroying the suspended thread hangs";
    EXPECT_EQ(runs->load(), 0);
}

}  // namespace
