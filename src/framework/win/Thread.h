#pragma once
// Worker threads, and the one channel by which they hand work to the GUI thread.
//
// A worker never touches a window: it hands the work to the GUI thread with Synchronize, which
// blocks until the work has run there (its result or its exception comes back to the worker).
// The owner starts and stops a worker explicitly. A destructor never starts, stops or waits
// for a thread: stopping runs the worker's last hand-overs, which may touch anything, and a
// destructor is no place for that. Destroying a worker whose body still runs is a fault of its
// owner; it writes a debug line and ends the program at once, rather than letting the body go
// on over a freed object.
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "framework/win/ScopedWin.h"

namespace tsb {

// Makes the channel on the calling thread, which becomes the GUI thread (once; the application
// object does it when it is initialised).
void InitSynchronize();
bool IsGuiThread();

// Runs work on the GUI thread and returns when it has run; an exception it raises is raised
// again here. On the GUI thread itself the work simply runs.
void SynchronizeWork(const std::function<void()>& work);
template <class F>
auto Synchronize(F&& work) -> std::invoke_result_t<F&> {
    using R = std::invoke_result_t<F&>;
    if constexpr (std::is_void_v<R>) {
        SynchronizeWork(work);
    } else {
        std::optional<R> result;
        SynchronizeWork([&] { result.emplace(work()); });
        return std::move(*result);
    }
}

// Runs the hand-overs that wait (GUI thread only). The channel's window does it for every
// message loop, modal ones included; TThread::WaitFor does it while it waits.
void CheckSynchronize();

// Lets ms milliseconds pass on the GUI thread handling no input and posting nothing, but
// answering what other threads and programs send its windows (a screen reader reading their
// texts, the system asking whether they still answer).
void SleepAnsweringSentMessages(DWORD ms);

class TThread {
public:
    TThread();
    virtual ~TThread();  // the body must have ended and been waited for (or never started)
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    void Start();  // once
    // Asks the body to end: Terminated() becomes true and TerminateEvent() is set.
    void Terminate();
    // Returns when the body has ended. On the GUI thread it keeps running the hand-overs of
    // every worker meanwhile, so a worker stopped while it hands over can finish.
    void WaitFor();
    void Stop() {
        Terminate();
        WaitFor();
    }

    bool Started() const { return thread_.get() != nullptr; }
    bool Finished() const { return finished_; }  // the body has returned
    bool Terminated() const { return terminated_; }
    HANDLE TerminateEvent() const { return terminateEvent_.get(); }
    // The message of an error that ended the body; empty when it returned normally.
    const std::string& FatalException() const { return fatalException_; }

protected:
    virtual void Execute() = 0;
    // Waits up to ms milliseconds; false as soon as a stop is asked for.
    bool SleepUnlessTerminated(DWORD ms) const;

private:
    static unsigned __stdcall ThreadProc(void* self);

    unique_thread thread_;
    unique_event terminateEvent_;
    DWORD threadId_ = 0;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    bool waited_ = false;
    std::string fatalException_;
};

}  // namespace tsb
