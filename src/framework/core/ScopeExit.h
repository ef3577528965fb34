#pragma once
// Runs a clean-up when the scope ends, by return or by exception: the one way the code
// restores state (cursor, indicator, drawing, flags) on every path out.
#include <utility>

namespace tsb {

template <class F>
class ScopeExit {
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ~ScopeExit() {
        if (armed_) f_();
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    void Release() { armed_ = false; }  // the clean-up is no longer wanted

private:
    F f_;
    bool armed_ = true;
};

}  // namespace tsb
