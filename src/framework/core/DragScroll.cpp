#include "framework/core/DragScroll.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tsb {

void TDragGesture::Press(int x, int y, std::int64_t ms) {
    pressed_ = true;
    dragging_ = false;
    startX_ = x, startY_ = y, lastY_ = y;
    sampleX_ = x, sampleY_ = y;
    samples_[0] = {ms, y};
    count_ = 1, next_ = 1;
}

int TDragGesture::Move(int x, int y, std::int64_t ms) {
    // The same place again (a release where the last move ended) says nothing of the speed.
    if (!pressed_ || (x == sampleX_ && y == sampleY_)) return 0;
    samples_[next_] = {ms, y};
    next_ = (next_ + 1) % Samples;
    count_ = std::min(count_ + 1, Samples);
    sampleX_ = x, sampleY_ = y;
    if (!dragging_) {
        if (std::abs(x - startX_) <= halfWidth_ && std::abs(y - startY_) <= halfHeight_) return 0;
        dragging_ = true;
    }
    int moved = y - lastY_;
    lastY_ = y;
    return -moved;  // the pointer going up scrolls the content down the page
}

double TDragGesture::Release(std::int64_t ms) {
    bool wasDrag = dragging_;
    Cancel();
    if (!wasDrag || count_ < 2) return 0;
    const Sample& last = samples_[(next_ + Samples - 1) % Samples];
    if (ms - last.ms > RestMs) return 0;
    // The oldest move within the window before the last one; where a busy receiver saw the moves
    // merged into one, the one before it.
    const Sample* first = &samples_[(next_ + Samples - 2) % Samples];
    if (last.ms - first->ms > SparseWindowMs) return 0;
    for (int i = 3; i <= count_; ++i) {
        const Sample& s = samples_[(next_ + Samples - i) % Samples];
        if (last.ms - s.ms > VelocityWindowMs) break;
        first = &s;
    }
    if (last.ms <= first->ms) return 0;
    return -static_cast<double>(last.y - first->y) / static_cast<double>(last.ms - first->ms);
}

void TFling::Start(double velocity) {
    carry_ = 0;
    velocity_ = std::abs(velocity) < MinVelocity ? 0 : std::clamp(velocity, -MaxVelocity, MaxVelocity);
}

int TFling::Step(double elapsedMs) {
    if (velocity_ == 0 || elapsedMs <= 0) return 0;
    // Speed v * e^(-t/T): over the step it covers v * T * (1 - e^(-dt/T)).
    double decay = std::exp(-elapsedMs / TimeConstantMs);
    carry_ += velocity_ * TimeConstantMs * (1 - decay);
    velocity_ *= decay;
    if (std::abs(velocity_) < StopVelocity) velocity_ = 0;
    int whole = static_cast<int>(carry_);  // towards zero: the rest stays for the next step
    carry_ -= whole;
    return whole;
}

int DragThreshold(int systemPixels, int dpi) {
    if (systemPixels < 1) systemPixels = 1;
    return dpi > 0 ? static_cast<int>((static_cast<long long>(systemPixels) * dpi + 48) / 96) : systemPixels;
}

}  // namespace tsb
