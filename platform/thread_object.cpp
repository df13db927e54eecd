#include "platform/thread_object.h"

#include <system_error>

namespace platform {

ThreadObject::~ThreadObject() {
    if (!thread_.joinable()) return;
    Stop();
    {
        std::lock_guard<std::mutex> guard(lock_);
        resumeGiven_ = true;
    }
    resumed_.notify_one();
    if (thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();
    } else {
        thread_.join();
    }
}

void ThreadObject::Create() {
    if (thread_.joinable()) throw CCtrlFailed("thread already created");
    resumeGiven_ = false;
    stopRequested_.store(false, std::memory_order_release);
    killed_.store(0, std::memory_order_release);
    failure_ = nullptr;
    try {
        thread_ = std::thread(&ThreadObject::Entry, this);
    } catch (const std::system_error&) {
        throw CCtrlFailed("thread creation failed");
    }
}

void ThreadObject::Resume() {
    std::lock_guard<std::mutex> guard(lock_);
    if (!thread_.joinable() || resumeGiven_) throw CCtrlFailed("no suspended thread");
    resumeGiven_ = true;
    resumed_.notify_one();
}

void ThreadObject::CheckStop() const {
    if (StopRequested()) throw CExKilledByCtrl();
}

void ThreadObject::Wait() {
    if (!thread_.joinable()) throw CCtrlFailed("no thread to wait for");
    if (thread_.get_id() == std::this_thread::get_id()) {
        throw CCtrlFailed("a thread cannot wait for itself");
    }
    try {
        thread_.join();
    } catch (const std::system_error&) {
        throw CCtrlFailed("waiting for the thread failed");
    }
    if (failure_) {
        std::exception_ptr pending = failure_;
        failure_ = nullptr;
        std::rethrow_exception(pending);
    }
}

void ThreadObject::Entry() {
    {
        std::unique_lock<std::mutex> guard(lock_);
        resumed_.wait(guard, [this] { return resumeGiven_; });
    }
    // Stopped while still suspended: the body never runs.
    if (StopRequested()) {
        killed_.store(1, std::memory_order_release);
        return;
    }
    running_.store(1, std::memory_order_release);
    try {
        Run();
    } catch (const CExKilledByCtrl&) {
        killed_.store(1, std::memory_order_release);
    } catch (...) {
        // An exception may not leave a thread; the owner sees it at Wait.
        failure_ = std::current_exception();
    }
    running_.store(0, std::memory_order_release);
}

}  // namespace platform
