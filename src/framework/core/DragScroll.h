#pragma once
// Scrolling by dragging the content (a finger swiping a page, or the mouse): when a press
// becomes a drag, how far the content moves with the pointer, and the fling a drag released
// while moving ends in. Positions are in window pixels, times in milliseconds.
#include <cstdint>

namespace tsb {

class TDragGesture {
public:
    // The pointer may move within a box of width x height centred on the press (the system's
    // drag rectangle) before the press is a drag.
    explicit TDragGesture(int width = 4, int height = 4)
        : halfWidth_(width > 1 ? width / 2 : 1), halfHeight_(height > 1 ? height / 2 : 1) {}

    void Press(int x, int y, std::int64_t ms);
    // The pointer moved, pressed: how far the content is to scroll down (0 until the press is a
    // drag). Once a drag, for good: the content then follows the pointer from where it was
    // pressed, one pixel for one. A move to where the pointer already was is no move.
    int Move(int x, int y, std::int64_t ms);
    bool Pressed() const { return pressed_; }
    bool Dragging() const { return dragging_; }
    // The drag ends: how fast the content was moving (pixels per ms, down positive), measured
    // over the last moves; 0 when the pointer had come to rest before the release, or for a press
    // that never became a drag.
    double Release(std::int64_t ms);
    void Cancel() { pressed_ = dragging_ = false; }

    static constexpr std::int64_t VelocityWindowMs = 100;  // the moves a release's speed is taken from
    static constexpr std::int64_t SparseWindowMs = 250;  // two moves further apart tell no speed
    static constexpr std::int64_t RestMs = 60;  // no move for this long before the release: at rest

private:
    struct Sample {
        std::int64_t ms;
        int y;
    };
    int halfWidth_, halfHeight_;
    bool pressed_ = false, dragging_ = false;
    int startX_ = 0, startY_ = 0, lastY_ = 0;  // lastY_: where the content last followed to
    int sampleX_ = 0, sampleY_ = 0;             // the last move's place
    static constexpr int Samples = 8;
    Sample samples_[Samples]{};
    int count_ = 0, next_ = 0;
};

// Goes on scrolling after a drag released while moving, slowing down the way a thrown object on
// a surface does (its speed falls by the same share every moment) until it rests.
class TFling {
public:
    static constexpr double MinVelocity = 0.3;  // pixels per ms: slower releases do not fling
    static constexpr double MaxVelocity = 8.0;  // faster ones fling at this speed
    static constexpr double StopVelocity = 0.03;
    static constexpr double TimeConstantMs = 325.0;  // the speed falls to 37 % in this time

    void Start(double velocity);  // pixels per ms, down positive
    void Stop() { velocity_ = 0, carry_ = 0; }
    bool Active() const { return velocity_ != 0; }
    // How far to scroll for elapsed ms since the last step (whole pixels; the rest is carried);
    // ends the fling once it has slowed below StopVelocity.
    int Step(double elapsedMs);

private:
    double velocity_ = 0, carry_ = 0;
};

// A side of the drag rectangle in window pixels: the system's (a size at 96 dots per inch), scaled.
int DragThreshold(int systemPixels, int dpi);

}  // namespace tsb
