#include "platform/thread_object.h"

#include <system_error>

namespace platform {

ThreadObject::~ThreadObject() {
    if (!thread.joinable()) return;
    Stop();
    {
        std::lock_guard<std::mutex> guard(lock);
        resumeGiven = true;
    }
    resumed.notify_one();
    if (thread.get_id() == std::this_thread::get_id()) {
        thread.detach();
    } else {
        thread.join();
    }
}

void ThreadObject::Create() {
    if (thread.joinable()) throw CCtrlFailed("thread already created");
    resumeGiven = false;
    stopRequested.store(false, std::memory_order_release);
    killed.store(0, std::memory_order_release);
    failure = nullptr;
    try {
        thread = std::thread(&ThreadObject::Entry, this);
    } catch (const std::system_error&) {
        throw CCtrlFailed("thread creation failed");
    }
}

void ThreadObject::Resume() {
    std::lock_guard<std::mutex> guard(lock);
    if (!thread.joinable() || resumeGiven) throw CCtrlFailed("no suspended thread");
    resumeGiven = true;
    resumed.notify_one();
}

void ThreadObject::CheckStop() const {
    if (StopRequested()) throw CExKilledByCtrl();
}

void ThreadObject::Wait() {
    if (!thread.joinable()) throw CCtrlFailed("no thread to wait for");
    if (thread.get_id() == std::this_thread::get_id()) {
        throw CCtrlFailed("a thread cannot wait for itself");
    }
    try {
        thread.join();
    } catch (const std::system_error&) {
        throw CCtrlFailed("waiting for the thread failed");
    }
    if (failure) {
        std::exception_ptr pending = failure;
        failure = nullptr;
        std::rethrow_exception(pending);
    }
}

void ThreadObject::Entry() {
    {
        std::unique_lock<std::mutex> guard(lock);
        resumed.wait(guard, [this] { return resumeGiven; });
    }
    // Stopped while still suspended: the body never runs.
    if (StopRequested()) {
        killed.store(1, std::memory_order_release);
        return;
    }
    running.store(1, std::memory_order_release);
    try {
        Run();
    } catch (const CExKilledByCtrl&) {
        killed.store(1, std::memory_order_release);
    } catch (...) {
        // An exception may not leave a thread; the owner sees it at Wait.
        failure = std::current_exception();
    }
    running.store(0, std::memory_order_release);
}

}  // namespace platform
