#include "framework/core/Values.h"

namespace tsb {

static std::optional<uint64_t> ParseDigits(std::string_view s, unsigned base) {
    if (s.empty()) return std::nullopt;
    uint64_t v = 0;
    for (char c : s) {
        unsigned d;
        if (c >= '0' && c <= '9') d = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f') d = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
        else return std::nullopt;
        v = v * base + d;
        if (v > 0xFFFFFFFFull) return std::nullopt;
    }
    return v;
}

std::optional<int32_t> ParseInteger(std::string_view s) {
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    std::optional<uint64_t> v;
    bool hex = false;
    if (!s.empty() && s[0] == '$') {
        v = ParseDigits(s.substr(1), 16);
        hex = true;
    } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        v = ParseDigits(s.substr(2), 16);
        hex = true;
    } else {
        v = ParseDigits(s, 10);
    }
    if (!v) return std::nullopt;
    int64_t r;
    if (hex)  // hexadecimal may spell the full 32-bit pattern, as negative numbers do
        r = static_cast<int32_t>(static_cast<uint32_t>(*v));
    else if (*v > 0x80000000ull || (!negative && *v == 0x80000000ull))
        return std::nullopt;
    else
        r = static_cast<int64_t>(*v);
    return static_cast<int32_t>(negative ? -r : r);
}

int StrToIntDef(std::string_view s, int def) {
    auto v = ParseInteger(s);
    return v ? *v : def;
}

std::string HtmlColorToBGR(std::string_view s) {
    if (s.size() == 7 && s[0] == '#')
        return std::string(s.substr(5, 2)) + std::string(s.substr(3, 2)) + std::string(s.substr(1, 2));
    return std::string(s);
}

static std::optional<uint32_t> ColorValue(std::string_view text) {
    std::string hex = "$";
    hex += HtmlColorToBGR(text);
    auto v = ParseInteger(hex);
    if (!v || static_cast<uint32_t>(*v) > 0xFFFFFFu) return std::nullopt;
    return static_cast<uint32_t>(*v);
}

uint32_t ParseColor(std::string_view text, std::string_view defText) {
    if (auto v = ColorValue(text)) return *v;
    if (auto v = ColorValue(defText)) return *v;
    return 0;
}

}  // namespace tsb
