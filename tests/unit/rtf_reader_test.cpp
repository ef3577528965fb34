// What the rich-text reader of a header is given, and what it is spared.
#include <gtest/gtest.h>

#include "framework/core/Text.h"

using namespace tsb;

namespace {
std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}
std::string FontTable(const std::string& name) { return "{\\rtf1{\\fonttbl{\\f0 " + name + ";}}x}"; }
const std::string E = "\xC3\xA9";  // "é" in UTF-8, the process code page
}  // namespace

TEST(RtfForReader, MeasuresWhatTheReaderIsGivenNotTheFile) {
    // In the file a backslash before "é" is a control symbol and ends the name; escaped, it is
    // an escaped backslash followed by the text "u233?": 300 of them make a name of 1 800.
    std::string lone = FontTable(Repeat("\\" + E, 300));
    ASSERT_LE(MeasureRtf(lone).longestTableName, 255u);
    EXPECT_FALSE(RtfForReader(Utf8ToUtf16(lone)));
    // A hex escape takes "\u" of the escape as its two digits; "233?" follows as text.
    std::string hex = FontTable(Repeat("\\'" + E, 100));
    ASSERT_LE(MeasureRtf(hex).longestTableName, 255u);
    EXPECT_FALSE(RtfForReader(Utf8ToUtf16(hex)));
}

TEST(RtfForReader, GivesTheEscapedTextWithinTheLimits) {
    EXPECT_EQ(RtfForReader(u"{\\rtf1 Caf\u00E9}"), "{\\rtf1 Caf\\u233?}");
    EXPECT_TRUE(RtfForReader(Utf8ToUtf16(FontTable(std::string(255, 'n')))));
    EXPECT_FALSE(RtfForReader(Utf8ToUtf16(FontTable(std::string(256, 'n')))));
    EXPECT_TRUE(RtfForReader(Utf8ToUtf16(FontTable(Repeat(E, 600))))) << "each escape is a control word of its own";
    EXPECT_TRUE(RtfForReader(Utf8ToUtf16("{\\rtf1" + Repeat("{", 31) + Repeat("}", 32))));
    EXPECT_FALSE(RtfForReader(Utf8ToUtf16("{\\rtf1" + Repeat("{", 32) + Repeat("}", 33))));
    EXPECT_TRUE(RtfForReader(Utf8ToUtf16("{\\rtf1 \\" + std::string(255, 'a') + " x}")));
    EXPECT_FALSE(RtfForReader(Utf8ToUtf16("{\\rtf1 \\" + std::string(256, 'a') + " x}")));
}
