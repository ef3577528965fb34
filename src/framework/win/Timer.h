#pragma once
// A timer on the GUI thread; ticks arrive through the message loop.
#include <functional>

#include "framework/win/Win.h"

namespace tsb {

class TTimer {
public:
    explicit TTimer(unsigned intervalMs = 1000) : interval_(intervalMs) {}
    ~TTimer() { SetEnabled(false); }
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    bool Enabled() const { return id_ != 0; }
    void SetEnabled(bool on);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned ms);
    std::function<void()> OnTimer;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    unsigned interval_;
    UINT_PTR id_ = 0;
};

}  // namespace tsb
