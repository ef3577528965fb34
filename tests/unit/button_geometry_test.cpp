#include <gtest/gtest.h>

#include "controls/ButtonGeometry.h"

using namespace tsb;

TEST(BevelColours, DerivedAndCapped) {
    BevelColors c = DeriveBevelColors(15782080);  // red 192, green 208, blue 240
    EXPECT_EQ(c.highlight, 0xFFFFFFu);
    EXPECT_EQ(c.shadow, (176u << 16) | (144u << 8) | 128u);
    BevelColors dark = DeriveBevelColors(0x102030);
    EXPECT_EQ(dark.shadow, 0u);
    EXPECT_EQ(dark.highlight, 0x506070u);
}

TEST(CaptionPosition, MiddleRowSitsHalfABevelHigh) {
    EXPECT_EQ(CaptionTop(4, 100, 2, 4, 16), 41);
    EXPECT_EQ(CaptionTop(1, 100, 2, 4, 16), 4);
    EXPECT_EQ(CaptionTop(7, 100, 2, 4, 16), 80);
    EXPECT_EQ(CaptionTop(3, 9, 2, 4, 16), -4);  // truncates toward zero
}

TEST(PicturePosition, OppositeTheCaption) {
    const int W = 100, H = 80, E = 4, pw = 32, ph = 32;
    EXPECT_EQ(PictureOriginForAlignment(1, W, H, E, pw, ph).y, H - E - ph);
    EXPECT_EQ(PictureOriginForAlignment(7, W, H, E, pw, ph).y, E);
    EXPECT_EQ(PictureOriginForAlignment(3, W, H, E, pw, ph).x, W - E - pw);
    EXPECT_EQ(PictureOriginForAlignment(5, W, H, E, pw, ph).x, E);
    Point c = PictureOriginForAlignment(4, W, H, E, pw, ph);
    EXPECT_EQ(c.x, 34);
    EXPECT_EQ(c.y, 24);
}
