#include <gtest/gtest.h>

#include "framework/core/Values.h"

using namespace tsb;

TEST(Integers, PrefixesAndLimits) {
    EXPECT_EQ(ParseInteger("0"), 0);
    EXPECT_EQ(ParseInteger("$ff"), 255);
    EXPECT_EQ(ParseInteger("0X1a"), 26);
    EXPECT_EQ(ParseInteger("0x"), std::nullopt);   // not longer than two characters: decimal, fails
    EXPECT_EQ(ParseInteger("00"), 0);
    EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseInteger("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseInteger("2147483648"), std::nullopt);
    EXPECT_EQ(ParseInteger("$FFFFFFFF"), -1);
    EXPECT_EQ(ParseInteger("$100000000"), std::nullopt);
    EXPECT_EQ(ParseInteger(" 5"), std::nullopt);
    EXPECT_EQ(ParseInteger("5 "), std::nullopt);
    EXPECT_EQ(ParseInteger(""), std::nullopt);
    EXPECT_EQ(ParseInteger("-"), std::nullopt);
    EXPECT_EQ(ParseInteger("$"), std::nullopt);
    EXPECT_EQ(ParseInteger("1e3"), std::nullopt);
}

TEST(Colors, HtmlFormIsReorderedOnlyAtSevenCharacters) {
    EXPECT_EQ(HtmlColorToBGR("#5BADFF"), "FFAD5B");
    EXPECT_EQ(HtmlColorToBGR("#F00"), "#F00");
    EXPECT_EQ(HtmlColorToBGR("FFAD5B"), "FFAD5B");
    EXPECT_EQ(HtmlColorToBGR("#5BADFF0"), "#5BADFF0");
    EXPECT_EQ(HtmlColorToBGR(""), "");
}

TEST(Colors, BothSpellingsOfRedAgree) {
    EXPECT_EQ(ParseColor("#FF0000", "FFAD5B"), 0x0000FFu);
    EXPECT_EQ(ParseColor("0000FF", "FFAD5B"), 0x0000FFu);
    EXPECT_EQ(ParseColor("#ff0000", "FFAD5B"), 0x0000FFu);
    EXPECT_EQ(ParseColor("FFAD5B", "000000"), 16756059u);
    EXPECT_EQ(ParseColor("#5BADFF", "000000"), 16756059u);
}

TEST(Colors, UnparsableValuesTakeTheDefault) {
    EXPECT_EQ(ParseColor("#F00", "A07446"), 10515526u);
    EXPECT_EQ(ParseColor("blue", "A07446"), 10515526u);
    EXPECT_EQ(ParseColor("", "A07446"), 10515526u);
    EXPECT_EQ(ParseColor("-1", "A07446"), 10515526u);
}

TEST(Colors, MoreThanSixDigitsIsNoColour) {
    // Above FFFFFF the high byte would pick a system or palette colour: the default applies.
    EXPECT_EQ(ParseColor("1000000", "A07446"), 10515526u);
    EXPECT_EQ(ParseColor("80000005", "A07446"), 10515526u);
    EXPECT_EQ(ParseColor("0FFFFFF", "A07446"), 0xFFFFFFu);  // leading zeros keep it a colour
}
