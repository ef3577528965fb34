#include "framework/win/Thread.h"

#include <process.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <exception>
#include <mutex>
#include <vector>

#include "framework/core/ScopeExit.h"
#include "framework/win/Control.h"
#include "framework/win/Debug.h"
#include "framework/win/Errors.h"
#include "framework/win/Messages.h"

namespace tsb {

namespace {

struct HandOver {
    const std::function<void()>* work;
    DWORD fromThread;
    std::exception_ptr error;
    bool done = false;
};

struct Channel {
    std::mutex lock;
    std::condition_variable doneChanged;
    std::deque<HandOver*> waiting;
    unique_event pending;  // set whenever a hand-over is queued: what WaitFor watches
    HWND window = nullptr;
    DWORD guiThread = 0;
    std::vector<DWORD> serving;  // workers whose hand-over runs now (GUI thread only)
};

Channel& TheChannel() {
    static Channel c;
    return c;
}

LRESULT CALLBACK ChannelProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_TSB_SYNCHRONIZE) return ::DefWindowProcA(h, msg, wp, lp);
    CheckSynchronize();  // every error of the work goes back to its worker
    return 0;
}

}  // namespace

void InitSynchronize() {
    Channel& c = TheChannel();
    if (c.window) return;
    c.pending.reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!c.pending) RaiseLastOSError("CreateEvent");
    EnsureWindowClass("TSyncChannel", 0, &ChannelProc);
    c.window = ::CreateWindowExA(0, "TSyncChannel", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 ::GetModuleHandleA(nullptr), nullptr);
    if (!c.window) RaiseLastOSError("CreateWindow TSyncChannel");
    c.guiThread = ::GetCurrentThreadId();
}

bool IsGuiThread() { return ::GetCurrentThreadId() == TheChannel().guiThread; }

void SynchronizeWork(const std::function<void()>& work) {
    Channel& c = TheChannel();
    if (IsGuiThread()) {
        work();
        return;
    }
    if (!c.window) throw EError("No channel to the GUI thread");
    HandOver h{&work, ::GetCurrentThreadId(), nullptr};
    {
        std::unique_lock<std::mutex> guard(c.lock);
        c.waiting.push_back(&h);
        ::SetEvent(c.pending.get());
        ::PostMessageA(c.window, WM_TSB_SYNCHRONIZE, 0, 0);
        c.doneChanged.wait(guard, [&] { return h.done; });
    }
    if (h.error) std::rethrow_exception(h.error);
}

void CheckSynchronize() {
    Channel& c = TheChannel();
    for (;;) {
        HandOver* h;
        {
            std::lock_guard<std::mutex> guard(c.lock);
            if (c.waiting.empty()) return;
            h = c.waiting.front();
            c.waiting.pop_front();
        }
        try {
            c.serving.push_back(h->fromThread);
            ScopeExit served([&] { c.serving.pop_back(); });
            (*h->work)();
        } catch (...) {
            h->error = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> guard(c.lock);
            h->done = true;
        }
        c.doneChanged.notify_all();
    }
}

// --- worker ---

TThread::TThread() : terminateEvent_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    if (!terminateEvent_) RaiseLastOSError("CreateEvent");
}

TThread::~TThread() {
    if (!thread_ || waited_) return;
    if (!finished_) {
        Log("TThread destroyed while its body runs");
        std::abort();
    }
    // The body has returned; only the thread's own exit remains, which takes no time.
    ::WaitForSingleObject(thread_.get(), INFINITE);
}

void TThread::Start() {
    if (thread_) throw EError("Thread already started");
    unsigned id = 0;
    auto h = reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &TThread::ThreadProc, this, 0, &id));
    if (!h) RaiseLastOSError("CreateThread");
    thread_.reset(h);
    threadId_ = id;
}

unsigned __stdcall TThread::ThreadProc(void* p) {
    auto* self = static_cast<TThread*>(p);
    try {
        self->Execute();
    } catch (const std::exception& e) {
        self->fatalException_ = e.what();
    } catch (...) {
        self->fatalException_ = "Unknown error";
    }
    if (!self->fatalException_.empty()) Log("TThread.Execute Exception: " + self->fatalException_);
    self->finished_ = true;
    return 0;
}

void TThread::Terminate() {
    terminated_ = true;
    ::SetEvent(terminateEvent_.get());
}

void TThread::WaitFor() {
    if (!thread_ || waited_) return;
    if (!IsGuiThread()) {
        ::WaitForSingleObject(thread_.get(), INFINITE);
        waited_ = true;
        return;
    }
    Channel& c = TheChannel();
    // A worker waited for from inside its own hand-over could never end.
    if (std::find(c.serving.begin(), c.serving.end(), threadId_) != c.serving.end())
        throw EError("A worker cannot be waited for from its own hand-over");
    // Messages sent to our windows by other threads are served too: a worker that sends one
    // (directly or through a system call that does) would otherwise never end.
    HANDLE handles[2] = {thread_.get(), c.pending.get()};
    for (;;) {
        DWORD r = ::MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) break;
        if (r == WAIT_OBJECT_0 + 1) {
            CheckSynchronize();
        } else if (r == WAIT_OBJECT_0 + 2) {
            MSG msg;
            ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // runs the sent ones
        } else {
            RaiseLastOSError("WaitFor");
        }
    }
    waited_ = true;
}

void SleepAnsweringSentMessages(DWORD ms) {
    DWORD start = ::GetTickCount();
    for (DWORD gone = 0; gone < ms; gone = ::GetTickCount() - start) {
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - gone, QS_SENDMESSAGE) == WAIT_OBJECT_0) {
            MSG msg;
            ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // runs the sent ones
        }
    }
}

bool TThread::SleepUnlessTerminated(DWORD ms) const {
    return ::WaitForSingleObject(terminateEvent_.get(), ms) == WAIT_TIMEOUT;
}

}  // namespace tsb
