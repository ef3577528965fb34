// Text in UTF-8, the process code page: validity, lengths as the system counts them, and the
// encodings text files are read in.
#include <gtest/gtest.h>

#include "framework/core/Text.h"

using namespace tsb;

namespace {
const std::string Ecran = "\xC3\x89" "cran";              // "Écran"
const std::string Cyrillic = "\xD0\x9F\xD1\x83\xD1\x82";   // "Пут": two bytes a letter
const std::string Euro = "\xE2\x82\xAC";                   // U+20AC: three bytes, one unit
const std::string Clef = "\xF0\x9D\x84\x9E";               // U+1D11E: four bytes, two units
}  // namespace

TEST(Utf8, ValidityIsStrict) {
    for (const std::string& s : {std::string(), std::string("plain"), Ecran, Cyrillic, Euro, Clef,
                                 std::string("\xED\x9F\xBF"), std::string("\xF4\x8F\xBF\xBF")})
        EXPECT_TRUE(IsValidUtf8(s)) << s;
    const char* bad[] = {
        "title=\xC9" "cran",   // Windows-1252 "É"
        "\xC3",                // torn at the end
        "\xC3(",               // continuation missing
        "\x80",                // lone continuation
        "\xC0\xAF",            // overlong "/"
        "\xE0\x80\xAF",        // overlong, three bytes
        "\xED\xA0\x80",        // a surrogate
        "\xF4\x90\x80\x80",    // above U+10FFFF
        "\xF5\x80\x80\x80", "\xFF",
    };
    for (const char* s : bad) EXPECT_FALSE(IsValidUtf8(s)) << s;
}

TEST(Utf8, LengthsCountUtf16Units) {
    EXPECT_EQ(Utf16Length("abc"), 3u);
    EXPECT_EQ(Utf16Length(Ecran), 5u);
    EXPECT_EQ(Utf16Length(Euro), 1u);
    EXPECT_EQ(Utf16Length(Clef), 2u);
    EXPECT_EQ(Utf16Length("\xC9" "cran"), 5u);  // an invalid byte is one replacement character
    std::string path = "C:\\";
    while (Utf16Length(path) < 246) path += "\xD0\xAF";  // Cyrillic "Я"
    EXPECT_EQ(Utf16Length(path), 246u);
    EXPECT_EQ(path.size(), 3u + 2 * 243);  // far beyond 260 bytes
}

TEST(Utf8, PrefixNeverSplitsACharacter) {
    EXPECT_EQ(Utf16Prefix(Cyrillic, 2), "\xD0\x9F\xD1\x83");
    EXPECT_EQ(Utf16Prefix("a" + Clef + "b", 2), "a") << "half a surrogate pair is not taken";
    EXPECT_EQ(Utf16Prefix("a" + Clef + "b", 3), "a" + Clef);
    EXPECT_EQ(Utf16Prefix(Euro + Euro, 1), Euro);
    EXPECT_EQ(Utf16Prefix("short", 259), "short");
    EXPECT_EQ(Utf16Prefix(Ecran, 0), "");
}

TEST(Utf8, ConversionsRoundTripAndReplaceWhatIsBroken) {
    std::string all = "a" + Ecran + Cyrillic + Euro + Clef;
    std::u16string wide = Utf8ToUtf16(all);
    EXPECT_EQ(wide, u"a\u00C9cran\u041F\u0443\u0442\u20AC\U0001D11E");
    EXPECT_EQ(Utf16ToUtf8(wide), all);
    EXPECT_EQ(Utf8ToUtf16("x\xC9y"), u"x\uFFFDy");
    EXPECT_EQ(Utf16ToUtf8(u"x\xD800y"), "x\xEF\xBF\xBDy") << "an unpaired surrogate";
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xDC00')), "\xEF\xBF\xBD");
}

TEST(TextFiles, ByteOrderMarksDecideThenUtf8ThenTheLegacyCodePage) {
    EXPECT_EQ(DetectTextEncoding("[options]").encoding, TTextEncoding::teUtf8);
    EXPECT_EQ(DetectTextEncoding("title=" + Ecran).encoding, TTextEncoding::teUtf8);
    EXPECT_EQ(DetectTextEncoding("title=\xC9" "cran").encoding, TTextEncoding::teLegacy);
    EXPECT_EQ(DetectTextEncoding("").encoding, TTextEncoding::teUtf8);
    TTextKind bom = DetectTextEncoding("\xEF\xBB\xBF[options]");
    EXPECT_EQ(bom.encoding, TTextEncoding::teUtf8);
    EXPECT_EQ(bom.bomLength, 3u);
    EXPECT_EQ(DetectTextEncoding(std::string("\xFF\xFE[\0", 4)).encoding, TTextEncoding::teUtf16LE);
    EXPECT_EQ(DetectTextEncoding("\xFE\xFF").encoding, TTextEncoding::teUtf16BE);

    EXPECT_EQ(DecodeUnicodeText("\xEF\xBB\xBFtitle=" + Ecran), u"title=\u00C9cran") << "the mark is no text";
    EXPECT_EQ(DecodeUnicodeText(std::string("\xFF\xFEt\0\xC9\0", 6)), u"t\u00C9");
    EXPECT_EQ(DecodeUnicodeText(std::string("\xFE\xFF\0t\x04\x1F", 6)), u"t\u041F");
    EXPECT_EQ(DecodeUnicodeText(std::string("\xFF\xFEt\0x", 5)), u"t\uFFFD") << "a torn last unit";
    EXPECT_FALSE(DecodeUnicodeText("title=\xC9" "cran")) << "needs the system's legacy code page";
}

TEST(Paths, CaseFoldingLeavesMultiByteCharactersWhole) {
    // Only A-Z fold; every byte of a UTF-8 sequence is 0x80 or above, so none is touched.
    std::string name = "Ab" + Ecran + Cyrillic + Clef;
    EXPECT_EQ(LowerAZ(name), "ab" + Ecran + Cyrillic + Clef);
    EXPECT_TRUE(SameTextAZ("ECRAN-" + Ecran, "ecran-" + Ecran));
    EXPECT_FALSE(SameTextAZ(Ecran, "\xC3\xA9" "cran")) << "É and é are different letters to the key rule";
}

TEST(RichText, SizesAReaderMustHold) {
    EXPECT_EQ(MeasureRtf("{\\rtf1 plain}").groupDepth, 1);
    EXPECT_EQ(MeasureRtf("{\\rtf1 {\\b {\\i x}} {y}}").groupDepth, 3);
    EXPECT_EQ(MeasureRtf("{\\rtf1 \\{\\{\\{ \\\\{x}}").groupDepth, 2) << "escaped braces are text, an escaped backslash too";
    EXPECT_EQ(MeasureRtf("{\\rtf1 x} {{{{{{").groupDepth, 1) << "a reader stops at the end of the outermost group";
    EXPECT_EQ(MeasureRtf("{\\rtf1 " + std::string(33, '{')).groupDepth, 34) << "truncated: measured to the end";
    EXPECT_EQ(MeasureRtf("").groupDepth, 0);

    EXPECT_EQ(MeasureRtf("{\\rtf1 \\fs-24 x}").longestControlWord, 5u) << "letters, sign and digits";
    EXPECT_EQ(MeasureRtf("{\\rtf1 \\" + std::string(2000, 'a') + " x}").longestControlWord, 2000u);
    EXPECT_EQ(MeasureRtf("{\\rtf1 \\fs" + std::string(900, '9') + " x}").longestControlWord, 902u);
    EXPECT_EQ(MeasureRtf("{\\rtf1 " + std::string(5000, 'x') + "}").longestTableName, 0u) << "body text is no name";

    std::string table = "{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}{\\f1 Caf\\'e9 Sans;}}\\f0 body text}";
    EXPECT_EQ(MeasureRtf(table).longestTableName, 9u) << "\"Caf\\'e9 Sans\": an escape is one character";
    std::string longName = "{\\rtf1{\\fonttbl{\\f0 " + std::string(3000, 'A') + ";}}\\f0 x}";
    EXPECT_EQ(MeasureRtf(longName).longestTableName, 3000u);
    EXPECT_EQ(MeasureRtf("{\\rtf1{\\stylesheet{\\s1 " + std::string(400, 'S') + ";}}x}").longestTableName, 400u);
}

TEST(RichText, CharactersBeyondAsciiBecomeUnicodeEscapes) {
    EXPECT_EQ(RtfEscapeNonAscii(u"{\\rtf1 Caf\u00E9}"), "{\\rtf1 Caf\\u233?}");
    EXPECT_EQ(RtfEscapeNonAscii(u"\u0627\u064B"), "\\u1575?\\u1611?");
    EXPECT_EQ(RtfEscapeNonAscii(u"\uFFFD\U0001D11E"), "\\u-3?\\u-10188?\\u-8930?") << "signed 16-bit, pairs as two";
}
