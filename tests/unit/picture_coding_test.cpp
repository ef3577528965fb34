#include <gtest/gtest.h>

#include "framework/core/PictureCoding.h"

using namespace tsb;

TEST(DecodeScale, SmallestEighthThatStillCoversTheFit) {
    // 4000 x 3000 into a 128 square: an eighth (500 x 375) still covers 128 x 96.
    EXPECT_EQ(DecodeEighths(4000, 3000, 128, 128), 1);
    // Into 1920 x 1040 the height limits (fit 1386 x 1040): 3/8 gives 1500 x 1125, 2/8 only 750.
    EXPECT_EQ(DecodeEighths(4000, 3000, 1920, 1040), 3);
    // A wide picture limited by width: 1000 x 200 into 1920 x 1040 needs all of it.
    EXPECT_EQ(DecodeEighths(1000, 200, 1920, 1040), 8);
    // Exactly half: 2/8 of 1024 is 256, the fitted width.
    EXPECT_EQ(DecodeEighths(1024, 512, 256, 256), 2);
    EXPECT_EQ(DecodeEighths(1024, 512, 257, 257), 3);
}

TEST(DecodeScale, FullSizeWithoutAFitOrWhenTheFitIsBigger) {
    EXPECT_EQ(DecodeEighths(4000, 3000, 0, 0), 8);
    EXPECT_EQ(DecodeEighths(4000, 3000, 128, 0), 8);
    EXPECT_EQ(DecodeEighths(4000, 3000, -5, 100), 8);
    EXPECT_EQ(DecodeEighths(100, 50, 1920, 1080), 8);
}

TEST(DecodeScale, RoundsUpAsTheDecoderDoes) {
    EXPECT_EQ(ScaledExtent(4000, 1), 500);
    EXPECT_EQ(ScaledExtent(4001, 1), 501);
    EXPECT_EQ(ScaledExtent(1, 1), 1);
    EXPECT_EQ(ScaledExtent(65500, 3), 24563);
    // The choice itself goes by the exact ratio: 16 at an eighth covers 2, 9 needs two eighths.
    EXPECT_EQ(DecodeEighths(16, 16, 2, 2), 1);
    EXPECT_EQ(DecodeEighths(9, 9, 2, 2), 2);
}

TEST(DecodeScale, HugePicturesShrinkUnderTheBoundOrAreRefused) {
    // 10000 x 10000 is 100 megapixels: full size is over the bound, half (25 MP) is under.
    EXPECT_EQ(DecodeEighths(10000, 10000, 0, 0), 4);
    // A fit that needs less than the bound allows keeps its own choice.
    EXPECT_EQ(DecodeEighths(10000, 10000, 128, 128), 1);
    // 60000 x 60000 at an eighth is still 56 megapixels: refused whatever the fit.
    EXPECT_EQ(DecodeEighths(60000, 60000, 128, 128), 0);
    EXPECT_EQ(DecodeEighths(60000, 60000, 0, 0), 0);
    // The largest a 16-bit header can claim: products stay in 64 bits.
    EXPECT_EQ(DecodeEighths(65535, 65535, 0, 0), 0);
    EXPECT_EQ(DecodeEighths(65535, 1, 0, 0), 8);
    // Right at the bound.
    EXPECT_EQ(DecodeEighths(8192, 4096, 0, 0), 8);
    EXPECT_EQ(DecodeEighths(8192, 4097, 0, 0), 7);
}

TEST(TiffCompression, KnownKindsKeptAnythingElseLzw) {
    for (int kind = 2; kind <= 6; ++kind) EXPECT_EQ(TiffCompressionFor(kind), kind);
    for (int other : {-1, 0, 1, 7, 80, 100}) EXPECT_EQ(TiffCompressionFor(other), 2) << other;
}

TEST(DecodeScale, APreviewStandsInOnlyWhereItCoversTheFitInTheSameShape) {
    // A 12-megapixel photo's 160 x 120 preview: enough for a 128 box (128 x 96), not for 200.
    EXPECT_TRUE(PreviewServes(160, 120, 4000, 3000, 128, 128));
    EXPECT_TRUE(PreviewServes(160, 120, 4000, 3000, 160, 160));
    EXPECT_FALSE(PreviewServes(160, 120, 4000, 3000, 200, 200));
    // 3:2 photos keep their truncation: 6000 x 4000 at 64 is 64 x 42, its 160 x 106 preview too.
    EXPECT_TRUE(PreviewServes(160, 106, 6000, 4000, 64, 64));
    // A wide photo whose preview is letterboxed into 4:3 would show its bars.
    EXPECT_FALSE(PreviewServes(160, 120, 1920, 1080, 64, 64));
    EXPECT_FALSE(PreviewServes(160, 120, 4000, 3000, 0, 0));
}
