#include "framework/core/Text.h"

#include <algorithm>

namespace tsb {

std::string LowerAZ(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

bool SameTextAZ(std::string_view a, std::string_view b) {
    return a.size() == b.size() && LowerAZ(a) == LowerAZ(b);
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

char MnemonicOf(std::string_view caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] != '&') return caption[i + 1];
        ++i;
    }
    return 0;
}

bool IsPathDelimiter(char c) { return c == '\\' || c == '/'; }

std::string ExcludeTrailingDelimiter(std::string_view path) {
    if (!path.empty() && IsPathDelimiter(path.back())) path.remove_suffix(1);
    return std::string(path);
}

std::string IncludeTrailingDelimiter(std::string_view path) {
    std::string r(path);
    if (r.empty() || !IsPathDelimiter(r.back())) r += '\\';
    return r;
}

static size_t NameStart(std::string_view path) {
    size_t pos = path.find_last_of("\\/:");
    return pos == std::string_view::npos ? 0 : pos + 1;
}

std::string ExtractFileName(std::string_view path) { return std::string(path.substr(NameStart(path))); }
std::string ExtractFilePath(std::string_view path) { return std::string(path.substr(0, NameStart(path))); }

std::string ExtractFileExt(std::string_view path) {
    std::string_view name = path.substr(NameStart(path));
    size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0, i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

}  // namespace tsb

namespace tsb {

namespace {
// Length of the well-formed UTF-8 sequence at s[i], or 0 when the byte there starts none.
size_t SequenceLength(std::string_view s, size_t i) {
    auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    auto cont = [&](size_t k, unsigned lo = 0x80, unsigned hi = 0xBF) {
        return k < s.size() && b(k) >= lo && b(k) <= hi;
    };
    unsigned c = b(i);
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return cont(i + 1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        unsigned lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;  // no overlongs, no surrogates
        return cont(i + 1, lo, hi) && cont(i + 2) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        unsigned lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;  // U+10000..U+10FFFF
        return cont(i + 1, lo, hi) && cont(i + 2) && cont(i + 3) ? 4 : 0;
    }
    return 0;
}

char32_t DecodeSequence(std::string_view s, size_t i, size_t n) {
    auto b = [&](size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(s[k])); };
    switch (n) {
        case 1: return b(i);
        case 2: return (b(i) & 0x1F) << 6 | (b(i + 1) & 0x3F);
        case 3: return (b(i) & 0x0F) << 12 | (b(i + 1) & 0x3F) << 6 | (b(i + 2) & 0x3F);
        default: return (b(i) & 0x07) << 18 | (b(i + 1) & 0x3F) << 12 | (b(i + 2) & 0x3F) << 6 | (b(i + 3) & 0x3F);
    }
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}
}  // namespace

bool IsValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        size_t n = SequenceLength(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

size_t Utf16Length(std::string_view utf8) {
    size_t units = 0;
    for (size_t i = 0; i < utf8.size();) {
        size_t n = SequenceLength(utf8, i);
        units += n == 4 ? 2 : 1;
        i += n ? n : 1;
    }
    return units;
}

std::string_view Utf16Prefix(std::string_view utf8, size_t maxUnits) {
    size_t units = 0, i = 0;
    while (i < utf8.size()) {
        size_t n = SequenceLength(utf8, i);
        size_t u = n == 4 ? 2 : 1;
        if (units + u > maxUnits) break;
        units += u;
        i += n ? n : 1;
    }
    return utf8.substr(0, i);
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        size_t n = SequenceLength(utf8, i);
        char32_t c = n ? DecodeSequence(utf8, i, n) : 0xFFFD;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += n ? n : 1;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        AppendUtf8(out, c);
    }
    return out;
}

TTextKind DetectTextEncoding(std::string_view bytes) {
    if (StartsWith(bytes, "\xEF\xBB\xBF")) return {TTextEncoding::teUtf8, 3};
    if (StartsWith(bytes, "\xFF\xFE")) return {TTextEncoding::teUtf16LE, 2};
    if (StartsWith(bytes, "\xFE\xFF")) return {TTextEncoding::teUtf16BE, 2};
    return {IsValidUtf8(bytes) ? TTextEncoding::teUtf8 : TTextEncoding::teLegacy, 0};
}

std::optional<std::u16string> DecodeUnicodeText(std::string_view bytes) {
    TTextKind kind = DetectTextEncoding(bytes);
    bytes.remove_prefix(kind.bomLength);
    switch (kind.encoding) {
        case TTextEncoding::teUtf8:
            return Utf8ToUtf16(bytes);
        case TTextEncoding::teUtf16LE:
        case TTextEncoding::teUtf16BE: {
            bool le = kind.encoding == TTextEncoding::teUtf16LE;
            std::u16string out;
            out.reserve(bytes.size() / 2);
            for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
                auto lo = static_cast<unsigned char>(bytes[le ? i : i + 1]);
                auto hi = static_cast<unsigned char>(bytes[le ? i + 1 : i]);
                out += static_cast<char16_t>(hi << 8 | lo);
            }
            if (bytes.size() % 2) out += u'\xFFFD';  // a torn last unit
            return out;
        }
        default:
            return std::nullopt;
    }
}

TRtfSizes MeasureRtf(std::string_view rtf) {
    TRtfSizes sizes;
    auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    int depth = 0, tableDepth = 0;  // the depth of the font table or style sheet being read
    size_t name = 0;                // the length of the table's name being read
    bool groupJustOpened = false;
    for (size_t i = 0; i < rtf.size();) {
        char c = rtf[i];
        bool text = false;
        if (c == '{' || c == '}') {
            depth += c == '{' ? 1 : -1;
            sizes.groupDepth = std::max(sizes.groupDepth, depth);
            if (depth < tableDepth) tableDepth = 0;
            groupJustOpened = c == '{';
            name = 0;
            ++i;
            if (depth <= 0) break;
            continue;
        }
        if (c == '\\' && i + 1 < rtf.size() && letter(rtf[i + 1])) {
            size_t start = ++i;
            while (i < rtf.size() && letter(rtf[i])) ++i;
            std::string_view word = rtf.substr(start, i - start);
            if (i < rtf.size() && rtf[i] == '-') ++i;
            while (i < rtf.size() && digit(rtf[i])) ++i;
            sizes.longestControlWord = std::max(sizes.longestControlWord, i - start);
            if (i < rtf.size() && rtf[i] == ' ') ++i;
            if (groupJustOpened && (word == "fonttbl" || word == "stylesheet")) tableDepth = depth;
            groupJustOpened = false;
            name = 0;
            continue;
        }
        if (c == '\\' && i + 1 < rtf.size()) {
            char next = rtf[i + 1];
            text = next == '{' || next == '}' || next == '\\' || next == '\'';
            i += next == '\'' ? 4 : 2;
        } else {
            text = c != '\r' && c != '\n' && c != '\t' && c != ';';
            ++i;
        }
        groupJustOpened = false;
        name = text ? name + 1 : 0;
        if (tableDepth) sizes.longestTableName = std::max(sizes.longestTableName, name);
    }
    return sizes;
}

std::string RtfEscapeNonAscii(std::u16string_view rtf) {
    std::string out;
    out.reserve(rtf.size());
    for (char16_t c : rtf) {
        if (c < 0x80) out += static_cast<char>(c);
        else out += "\\u" + std::to_string(static_cast<int16_t>(c)) + '?';
    }
    return out;
}

std::optional<std::string> RtfForReader(std::u16string_view rtf) {
    // Measured as escaped, as the reader meets it: an escape written after a lone backslash, or
    // where a hex escape takes its two digits, is read as plain text, so a name that is short in
    // the file can be long for the reader.
    std::string escaped = RtfEscapeNonAscii(rtf);
    TRtfSizes sizes = MeasureRtf(escaped);
    if (sizes.groupDepth > 32 || sizes.longestControlWord > 255 || sizes.longestTableName > 255) return std::nullopt;
    return escaped;
}

}  // namespace tsb
