#include "framework/win/Timer.h"

#include <map>

#include "framework/win/Application.h"

namespace tsb {

static std::map<UINT_PTR, TTimer*>& Timers() {
    static std::map<UINT_PTR, TTimer*> m;
    return m;
}

void TTimer::SetEnabled(bool on) {
    if (id_) {
        ::KillTimer(nullptr, id_);
        Timers().erase(id_);
        id_ = 0;
    }
    if (on && interval_ > 0) {
        id_ = ::SetTimer(nullptr, 0, interval_, &TTimer::Tick);
        if (id_) Timers()[id_] = this;
    }
}

void TTimer::SetInterval(unsigned ms) {
    interval_ = ms;
    if (Enabled()) SetEnabled(true);
}

void CALLBACK TTimer::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Timers().find(id);
    if (it == Timers().end() || !it->second->OnTimer) return;
    Application().Barrier(it->second->OnTimer);
}

}  // namespace tsb
