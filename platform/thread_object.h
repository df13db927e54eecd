#pragma once
// A worker thread for the converters' jobs and the engine's movie reader:
// created suspended, started by Resume, its body the derived class's Run.
// Stop only sets a flag that the body polls; a body that sees it calls
// CheckStop, which raises CExKilledByCtrl to end the run early. Start and
// wait failures raise CCtrlFailed.
//
// Thread safety: Create, Resume and Wait belong to the owning thread; Stop
// and StopRequested may be called from any thread.

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace platform {

// A thread could not be created, resumed or waited for.
class CCtrlFailed : public std::runtime_error {
public:
    explicit CCtrlFailed(const char* what) : std::runtime_error(what) {}
};

// Raised inside the thread when it was stopped from outside.
class CExKilledByCtrl : public std::runtime_error {
public:
    CExKilledByCtrl() : std::runtime_error("thread stopped by its owner") {}
};

class ThreadObject {
public:
    // The thread's body.
    virtual void Run() = 0;

    ThreadObject() = default;
    // Stops, resumes and waits for a thread still running, so that a derived
    // object is never destroyed under its body. A derived class whose Run
    // uses its own members should call Wait in its own destructor.
    virtual ~ThreadObject();
    ThreadObject(const ThreadObject&) = delete;
    ThreadObject& operator=(const ThreadObject&) = delete;

    // Makes the thread, suspended: Run begins at Resume. Raises CCtrlFailed
    // when a thread exists already or the system refuses one.
    void Create();
    // Raises CCtrlFailed without a suspended thread.
    void Resume();
    void Stop() { stopRequested_.store(true, std::memory_order_release); }
    bool StopRequested() const { return stopRequested_.load(std::memory_order_acquire); }
    // For the body: raises CExKilledByCtrl once Stop was called.
    void CheckStop() const;
    // Waits for the thread and releases it. Raises CCtrlFailed without a
    // thread or from the thread itself; an exception other than
    // CExKilledByCtrl that ended Run is raised again here.
    void Wait();

    // 1 when the last run ended by CExKilledByCtrl (or was stopped before it
    // began), else 0.
    bool WasKilled() const { return killed_.load(std::memory_order_acquire); }
    // 1 while a run has begun and not yet ended.
    bool IsRunning() const { return running_.load(std::memory_order_acquire); }

private:
    void Entry();

    std::thread thread_;
    std::mutex lock_;
    std::condition_variable resumed_;
    bool resumeGiven_ = false;
    std::atomic<bool> stopRequested_{false};
    std::atomic<int> killed_{0};
    std::atomic<int> running_{0};
    std::exception_ptr failure_;
};

}  // namespace platform
