#include <gtest/gtest.h>

#include <cmath>

#include "framework/core/DragScroll.h"

using namespace tsb;

TEST(DragScroll, APressIsADragOnlyBeyondTheThresholdThenTheContentFollowsThePointer) {
    // The system's rectangle of 8 x 4 centred on the press: 4 across, 2 up or down.
    TDragGesture g(8, 4);
    g.Press(100, 500, 0);
    // Within it on both axes, back and forth: still a press (a tap clicks).
    EXPECT_EQ(g.Move(104, 498, 10), 0);
    EXPECT_EQ(g.Move(96, 502, 20), 0);
    EXPECT_FALSE(g.Dragging());
    EXPECT_EQ(g.Release(30), 0.0) << "a tap flings nothing";
    // Sideways beyond it is a drag too, though the page moves only up and down.
    g.Press(100, 500, 0);
    EXPECT_EQ(g.Move(105, 500, 10), 0);
    EXPECT_TRUE(g.Dragging());
    // From then on, one pixel for one from where it was pressed: 7 up scrolls 7 down the page.
    EXPECT_EQ(g.Move(105, 493, 20), 7);
    EXPECT_EQ(g.Move(105, 496, 30), -3);
    EXPECT_EQ(g.Move(100, 500, 40), -4) << "back within the rectangle, still a drag";
    EXPECT_TRUE(g.Dragging());
    // Scaled for the screen where the system gives no size per scale.
    EXPECT_EQ(DragThreshold(4, 144), 6);
    EXPECT_EQ(DragThreshold(4, 192), 8);
}

TEST(DragScroll, TheReleaseSpeedComesFromTheLastMovesAndIsNoneAfterARest) {
    TDragGesture g;
    g.Press(0, 1000, 0);
    // Slowly at first, then 2 pixels per ms up over the last 100 ms.
    for (int t = 10; t <= 200; t += 10) g.Move(0, 1000 - (t <= 100 ? t / 10 : 10 + 2 * (t - 100)), t);
    EXPECT_NEAR(g.Release(205), 2.0, 0.01);
    // The same swipe held still for longer than a rest before the release, which reports the
    // place of the release as a move first, as the scroller does.
    g.Press(0, 1000, 0);
    for (int t = 10; t <= 100; t += 10) g.Move(0, 1000 - 2 * t, t);
    const std::int64_t released = 100 + TDragGesture::RestMs + 1;
    EXPECT_EQ(g.Move(0, 800, released), 0);
    EXPECT_EQ(g.Release(released), 0.0);
    // Moves merged by a busy receiver: one sample after the press still tells the speed.
    g.Press(0, 1000, 0);
    g.Move(0, 700, 150);
    EXPECT_NEAR(g.Release(150), 2.0, 0.01);
}

TEST(DragScroll, AFlingSlowsToRestWithinTwoSecondsAndGoesNoFurtherThanItsSpeedAllows) {
    TFling f;
    f.Start(TFling::MinVelocity / 2);
    EXPECT_FALSE(f.Active()) << "too slow to fling";
    for (double v : {-50.0, 3.0}) {
        f.Start(v);
        ASSERT_TRUE(f.Active());
        double speed = std::min(std::abs(v), TFling::MaxVelocity);
        int total = 0, ms = 0;
        for (; f.Active() && ms < 10000; ms += 16) total += f.Step(16);
        EXPECT_LE(ms, 2000) << v;
        EXPECT_EQ(total < 0, v < 0) << "the direction of the swipe";
        // The whole distance is speed x time constant, less what was left when it stopped.
        EXPECT_LE(std::abs(total), speed * TFling::TimeConstantMs + 1) << v;
        EXPECT_GE(std::abs(total), (speed - TFling::StopVelocity) * TFling::TimeConstantMs - 2) << v;
    }
    // Steps of any length cover the same ground.
    TFling fine, coarse;
    fine.Start(2), coarse.Start(2);
    int a = 0, b = 0;
    for (int i = 0; i < 400; ++i) a += fine.Step(1);
    for (int i = 0; i < 25; ++i) b += coarse.Step(16);
    EXPECT_NEAR(a, b, 2);
}
