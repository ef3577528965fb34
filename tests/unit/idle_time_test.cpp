// The idle return home's interval: minutes to the timer's milliseconds, within what it takes.
#include <gtest/gtest.h>

#include <climits>

#include "app/IdleTime.h"

using namespace tsb;

TEST(IdleHomeInterval, MinutesBecomeMilliseconds) {
    EXPECT_EQ(IdleHomeInterval(1), 60000u);
    EXPECT_EQ(IdleHomeInterval(30), 1800000u);
    // The last minute count whose milliseconds fit 31 bits is taken exactly.
    EXPECT_EQ(IdleHomeInterval(35791), 2147460000u);
}

TEST(IdleHomeInterval, NoneAtZeroOrLess) {
    EXPECT_EQ(IdleHomeInterval(0), 0u);
    EXPECT_EQ(IdleHomeInterval(-5), 0u);
    EXPECT_EQ(IdleHomeInterval(INT_MIN), 0u);
}

TEST(IdleHomeInterval, TooLongWaitsAsLongAsTheTimerCan) {
    // 35 792 minutes are 2 147 520 000 ms, past the signed 32-bit range: no wrap to a short or
    // negative interval.
    EXPECT_EQ(IdleHomeInterval(35792), 0x7FFFFFFFu);
    EXPECT_EQ(IdleHomeInterval(71583), 0x7FFFFFFFu);  // in 32 bits this wraps to 12 704 ms
    EXPECT_EQ(IdleHomeInterval(INT_MAX), 0x7FFFFFFFu);
}
