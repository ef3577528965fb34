// Rich-text headers: the sizes measured before a header reaches the system's reader are within
// the text, and the limits checked on the file hold for what the reader is then given, the
// text with every character beyond ASCII written as an escape; the escapes read back as the
// characters they stand for.
#include <algorithm>

#include "FuzzCheck.h"
#include "framework/core/Text.h"

using namespace tsb;

namespace {

// The limits the rich-text box refuses a header beyond.
bool WithinLimits(const TRtfSizes& s) {
    return s.groupDepth <= 32 && s.longestControlWord <= 255 && s.longestTableName <= 255;
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The characters a reader takes from rich text, as far as escapes of single characters go: an
// escaped backslash stays text, "\uN?" is the character N; everything else is itself.
std::u16string ReadEscapes(std::u16string_view t) {
    std::u16string out;
    for (size_t i = 0; i < t.size();) {
        if (t[i] == u'\\' && i + 1 < t.size() && t[i + 1] == u'\\') {
            out += t.substr(i, 2);
            i += 2;
            continue;
        }
        if (t[i] == u'\\' && i + 1 < t.size() && t[i + 1] == u'u') {
            size_t j = i + 2;
            bool negative = j < t.size() && t[j] == u'-';
            if (negative) ++j;
            size_t digits = j;
            long value = 0;
            while (j < t.size() && IsDigit(t[j]) && j - digits < 6) value = value * 10 + (t[j++] - u'0');
            if (j > digits && j < t.size() && t[j] == u'?') {
                out += static_cast<char16_t>(negative ? 65536 - value : value);
                i = j + 1;
                continue;
            }
        }
        out += t[i++];
    }
    return out;
}

// True when a backslash stands right before a character beyond ASCII: in the file a control
// symbol, escaped an escaped backslash and text. Such text means nothing to a reader either way.
bool LoneBackslashBeforeNonAscii(std::u16string_view t) {
    for (size_t i = 1; i < t.size(); ++i)
        if (t[i] >= 0x80 && t[i - 1] == u'\\') return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view file = fuzz::AsText(data, size);
    TRtfSizes sizes = MeasureRtf(file);
    FUZZ_CHECK(sizes.groupDepth >= 0);
    FUZZ_CHECK(static_cast<size_t>(sizes.groupDepth) <= static_cast<size_t>(std::count(file.begin(), file.end(), '{')));
    FUZZ_CHECK(sizes.longestControlWord <= file.size() && sizes.longestTableName <= file.size());

    // The box widens the file's text from the process code page (UTF-8) and hands the reader
    // what RtfForReader makes of it.
    std::u16string wide = Utf8ToUtf16(file);
    std::string escaped = RtfEscapeNonAscii(wide);
    for (char c : escaped) FUZZ_CHECK(static_cast<unsigned char>(c) < 0x80);
    std::u16string escapedWide(escaped.begin(), escaped.end());
    if (!LoneBackslashBeforeNonAscii(wide)) FUZZ_CHECK(ReadEscapes(escapedWide) == ReadEscapes(wide));

    std::optional<std::string> given = RtfForReader(wide);
    if (given) {
        FUZZ_CHECK(*given == escaped);
        FUZZ_CHECK(WithinLimits(MeasureRtf(*given)));
    } else {
        FUZZ_CHECK(!WithinLimits(MeasureRtf(escaped)));
    }
    // Plain ASCII goes to the reader as it is, refused exactly when the file is beyond the limits.
    if (escaped.size() == file.size()) FUZZ_CHECK(escaped == file && given.has_value() == WithinLimits(sizes));
    return 0;
}
