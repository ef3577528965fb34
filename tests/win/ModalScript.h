#pragma once
// A scenario driven from inside whatever modal loop runs (a viewer, a menu, a launch's wait).
#include <windows.h>

#include <chrono>
#include <functional>
#include <utility>

#include "framework/core/ScopeExit.h"

namespace tsbtest {

// Calls step every 30 ms on the GUI thread (inside whatever modal loop runs) until it returns
// false, or until 20 s have passed, when giveUp runs (so a failing scenario can't hang).
class ModalScript {
public:
    ModalScript(std::function<bool()> step, std::function<void()> giveUp)
        : step_(std::move(step)), giveUp_(std::move(giveUp)) {
        current_ = this;
        started_ = std::chrono::steady_clock::now();
        timer_ = ::SetTimer(nullptr, 0, 30, &Tick);
    }
    ~ModalScript() {
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool TimedOut() const { return timedOut_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        ModalScript* s = current_;
        if (!s || s->done_ || s->busy_) return;  // a step that lets messages through is not re-entered
        s->busy_ = true;
        tsb::ScopeExit idle([s] { s->busy_ = false; });
        if (std::chrono::steady_clock::now() - s->started_ > std::chrono::seconds(20)) {
            s->done_ = s->timedOut_ = true;
            s->giveUp_();
            return;
        }
        if (!s->step_()) s->done_ = true;
    }
    static inline ModalScript* current_ = nullptr;
    std::function<bool()> step_;
    std::function<void()> giveUp_;
    std::chrono::steady_clock::time_point started_;
    UINT_PTR timer_ = 0;
    bool done_ = false, timedOut_ = false, busy_ = false;
};

}  // namespace tsbtest
