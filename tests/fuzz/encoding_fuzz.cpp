// Text files and names in their encodings: UTF-8 and UTF-16 convert into each other and back
// without loss (an invalid byte or an unpaired surrogate becomes U+FFFD and nothing else is
// touched); lengths and cut points count UTF-16 units as the system does; a file's bytes decode
// as their byte-order mark or their validity says.
#include "FuzzCheck.h"
#include "framework/core/Text.h"

using namespace tsb;

namespace {

bool IsSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// The UTF-16 text with every unpaired surrogate replaced, as a well-formed text must read.
std::u16string Paired(std::u16string_view u) {
    std::u16string out(u);
    for (size_t i = 0; i < out.size(); ++i) {
        bool high = out[i] >= 0xD800 && out[i] <= 0xDBFF;
        if (high && i + 1 < out.size() && out[i + 1] >= 0xDC00 && out[i + 1] <= 0xDFFF) ++i;
        else if (IsSurrogate(out[i])) out[i] = 0xFFFD;
    }
    return out;
}

std::u16string Units(std::string_view bytes, bool littleEndian) {
    std::u16string u;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        u += static_cast<char16_t>(littleEndian ? (b << 8 | a) : (a << 8 | b));
    }
    return u;
}

std::string Bytes(std::u16string_view u, bool littleEndian) {
    std::string out;
    for (char16_t c : u) {
        char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
        out += littleEndian ? lo : hi;
        out += littleEndian ? hi : lo;
    }
    return out;
}

void CheckUtf8(std::string_view s) {
    std::u16string u = Utf8ToUtf16(s);
    FUZZ_CHECK(u.size() == Utf16Length(s));
    FUZZ_CHECK(Paired(u) == u);  // never a lone surrogate
    std::string back = Utf16ToUtf8(u);
    FUZZ_CHECK(IsValidUtf8(back));
    if (IsValidUtf8(s)) {
        FUZZ_CHECK(back == s);
        FUZZ_CHECK(u.find(u'\xFFFD') == std::u16string::npos || s.find("\xEF\xBF\xBD") != std::string_view::npos);
    } else {
        FUZZ_CHECK(u.find(u'\xFFFD') != std::u16string::npos);
    }
    FUZZ_CHECK(Utf8ToUtf16(back) == u);  // converting twice changes nothing more

    // A cut at any number of units: a beginning of the text, within the count, ending between
    // characters, as long as the next character would not fit.
    for (size_t n : {size_t{0}, size_t{1}, size_t{2}, u.size() / 2, u.size() > 0 ? u.size() - 1 : 0, u.size(),
                     size_t{259}}) {
        std::string_view cut = Utf16Prefix(s, n);
        FUZZ_CHECK(s.substr(0, cut.size()) == cut);
        size_t units = Utf16Length(cut);
        FUZZ_CHECK(units <= n);
        FUZZ_CHECK(std::u16string_view(u).substr(0, units) == Utf8ToUtf16(cut));
        if (cut.size() < s.size()) FUZZ_CHECK(units + (u[units] >= 0xD800 && u[units] <= 0xDBFF ? 2 : 1) > n);
        if (IsValidUtf8(s)) FUZZ_CHECK(IsValidUtf8(cut));
    }
}

void CheckUtf16(std::u16string_view u) {
    std::string s = Utf16ToUtf8(u);
    FUZZ_CHECK(IsValidUtf8(s));
    FUZZ_CHECK(Utf8ToUtf16(s) == Paired(u));
    FUZZ_CHECK(Utf16Length(s) == u.size());
    for (bool le : {true, false}) {
        std::string file = (le ? "\xFF\xFE" : "\xFE\xFF") + Bytes(u, le);
        TTextKind kind = DetectTextEncoding(file);
        FUZZ_CHECK(kind.bomLength == 2);
        FUZZ_CHECK(kind.encoding == (le ? TTextEncoding::teUtf16LE : TTextEncoding::teUtf16BE));
        FUZZ_CHECK(DecodeUnicodeText(file) == std::u16string(u));
    }
    std::string withBom = "\xEF\xBB\xBF" + s;
    FUZZ_CHECK(DetectTextEncoding(withBom).encoding == TTextEncoding::teUtf8);
    FUZZ_CHECK(DecodeUnicodeText(withBom) == Paired(u));
}

void CheckFile(std::string_view bytes) {
    TTextKind kind = DetectTextEncoding(bytes);
    FUZZ_CHECK(kind.bomLength <= bytes.size());
    std::optional<std::u16string> text = DecodeUnicodeText(bytes);
    std::string_view body = bytes.substr(kind.bomLength);
    switch (kind.encoding) {
        case TTextEncoding::teUtf8:
            FUZZ_CHECK(kind.bomLength == 3 || IsValidUtf8(bytes));
            FUZZ_CHECK(text && *text == Utf8ToUtf16(body));
            break;
        case TTextEncoding::teUtf16LE:
        case TTextEncoding::teUtf16BE: {
            bool le = kind.encoding == TTextEncoding::teUtf16LE;
            FUZZ_CHECK(text && text->size() == (body.size() + 1) / 2);
            FUZZ_CHECK(text->substr(0, body.size() / 2) == Units(body, le));
            if (body.size() % 2) FUZZ_CHECK(text->back() == u'\xFFFD');
            else FUZZ_CHECK(Bytes(*text, le) == body);
            break;
        }
        case TTextEncoding::teLegacy:
            FUZZ_CHECK(kind.bomLength == 0 && !IsValidUtf8(bytes) && !text);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes = fuzz::AsText(data, size);
    CheckUtf8(bytes);
    CheckUtf16(Units(bytes, true));
    CheckFile(bytes);
    return 0;
}
