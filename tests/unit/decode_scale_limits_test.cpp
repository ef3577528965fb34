// The decoding scale of pictures whose headers claim sizes far beyond any real picture.
#include <gtest/gtest.h>

#include "framework/core/PictureCoding.h"

using namespace tsb;

TEST(DecodeScaleLimits, HugeSidesAreRefusedNotWrappedRound) {
    // 4 294 967 295 squared is past 64 bits: the budget test must not wrap round to "fits".
    EXPECT_EQ(DecodeEighths(0xFFFFFFFF, 0xFFFFFFFF, 0, 0), 0);
    EXPECT_EQ(DecodeEighths(0xFFFFFFFF, 0xFFFFFFFF, 160, 160), 0);
    EXPECT_EQ(DecodeEighths(0xFFFFFFFF, 0xC0000000, 1920, 1040), 0);
    EXPECT_EQ(DecodeEighths(8192, 4096, 0, 0), 8);  // exactly the budget still fits
    EXPECT_EQ(DecodeEighths(8192, 4097, 0, 0), 7);
}
