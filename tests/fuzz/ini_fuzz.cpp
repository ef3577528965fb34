// The configuration file: any text read, written out and read again holds the same data; keys
// written are read back as written, and no other key changes; every value read through the
// integer, boolean and colour rules gives what those rules promise.
#include <charconv>
#include <map>
#include <optional>
#include <utility>

#include "FuzzCheck.h"
#include "app/IdleTime.h"
#include "app/Layout.h"
#include "framework/core/IniFile.h"
#include "framework/core/Text.h"
#include "framework/core/Values.h"

using namespace tsb;

namespace {

bool AllOf(std::string_view s, std::string_view set) { return s.find_first_not_of(set) == std::string_view::npos; }
constexpr std::string_view Hex = "0123456789abcdefABCDEF";

std::string HexText(uint32_t v) {
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, v, 16);
    return std::string(buf, r.ptr);
}

// Decimal texts against the standard library's reading of the same digits.
void CheckDecimal(std::string_view text, std::optional<int32_t> got) {
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty() || !AllOf(digits, "0123456789")) return;
    uint64_t magnitude = 0;
    auto r = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    bool fits = r.ec == std::errc() && magnitude <= (negative ? 0x80000000ull : 0x7FFFFFFFull);
    FUZZ_CHECK(got.has_value() == fits);
    if (fits) FUZZ_CHECK(*got == (negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude)));
}

void CheckInteger(std::string_view text) {
    std::optional<int32_t> n = ParseInteger(text);
    // Only signs, "$", the "x" of "0x" and hexadecimal digits make a number.
    if (!AllOf(text, "+-$xX0123456789abcdefABCDEF")) FUZZ_CHECK(!n);
    if (text.empty()) FUZZ_CHECK(!n);
    CheckDecimal(text, n);
    if (n) {
        FUZZ_CHECK(ParseInteger(std::to_string(*n)) == n);
        std::string hex = HexText(static_cast<uint32_t>(*n));
        FUZZ_CHECK(ParseInteger("$" + hex) == n);
        FUZZ_CHECK(ParseInteger("0x" + hex) == n);
        FUZZ_CHECK(ParseInteger("0X" + hex) == n);
        FUZZ_CHECK(StrToIntDef(text, *n == 7 ? 8 : 7) == *n);
    } else {
        FUZZ_CHECK(StrToIntDef(text, 12345) == 12345);
    }
}

void CheckColour(std::string_view text) {
    constexpr uint32_t fallback = 0xFFAD5B;  // "FFAD5B", the header's default, blue in the high byte
    uint32_t c = ParseColor(text, "FFAD5B");
    FUZZ_CHECK(c <= 0xFFFFFF);
    if (text.size() == 7 && text[0] == '#') {
        std::string bgr = HtmlColorToBGR(text);
        FUZZ_CHECK(bgr.size() == 6);
        FUZZ_CHECK("#" + HtmlColorToBGR("#" + bgr) == text);  // the swap undoes itself
        if (AllOf(text.substr(1), Hex)) {
            uint32_t rgb = static_cast<uint32_t>(std::stoul(std::string(text.substr(1)), nullptr, 16));
            FUZZ_CHECK(c == ((rgb & 0xFF) << 16 | (rgb & 0xFF00) | rgb >> 16));
        }
    } else {
        FUZZ_CHECK(HtmlColorToBGR(text) == text);
    }
    if (!text.empty() && text.size() <= 6 && AllOf(text, Hex))
        FUZZ_CHECK(c == static_cast<uint32_t>(std::stoul(std::string(text), nullptr, 16)));
    if (!AllOf(text, "#+-$xX0123456789abcdefABCDEF") || text.empty()) FUZZ_CHECK(c == fallback);
}

// What the configuration's numbers become: the button size level and the idle interval.
void CheckUses(int n) {
    ButtonLevel level = ButtonLevelFor(n);
    FUZZ_CHECK(level.level == ClampButtonSize(n) && level.level >= 3 && level.level <= 8);
    FUZZ_CHECK(level.width > 0 && level.height > 0);
    uint32_t ms = IdleHomeInterval(n);
    FUZZ_CHECK(ms <= LongestTimerInterval);
    FUZZ_CHECK((ms == 0) == (n <= 0));
    if (n > 0 && n < 35792) FUZZ_CHECK(ms == static_cast<uint32_t>(n) * 60000u);
    if (n < 0x7FFFFFFF) FUZZ_CHECK(ms <= IdleHomeInterval(n + 1));
}

// A line the reader keeps as it is: not empty, no comment, no section header.
bool KeptLine(std::string_view line) {
    return !line.empty() && line[0] != ';' && !(line.size() >= 2 && line.front() == '[' && line.back() == ']');
}

using Probe = std::pair<std::string, std::string>;  // section, key

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text = fuzz::AsText(data, size);
    std::vector<std::string> lines = SplitLines(text);

    IniDocument doc(text);
    std::string normal = doc.Serialize();
    FUZZ_CHECK(IniDocument(normal).Serialize() == normal);

    // Keys to ask for: the names before "=" in the text, under the section they stand in.
    std::vector<Probe> probes;
    std::string section;
    for (const std::string& line : lines) {
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') section = line.substr(1, line.size() - 2);
        else if (size_t eq = line.find('='); eq != std::string::npos && probes.size() < 12)
            probes.emplace_back(section, line.substr(0, eq));
    }
    probes.emplace_back("options", "title");

    std::map<Probe, std::optional<std::string>> expected;  // by section and key, letter case folded
    auto folded = [](const Probe& p) { return Probe{LowerAZ(p.first), LowerAZ(p.second)}; };
    IniDocument reread(normal);
    for (const Probe& p : probes) {
        std::optional<std::string> v = doc.Find(p.first, p.second);
        FUZZ_CHECK(reread.Find(p.first, p.second) == v);
        FUZZ_CHECK(doc.SectionExists(p.first) == reread.SectionExists(p.first));
        if (v) {
            FUZZ_CHECK(doc.SectionExists(p.first));
            FUZZ_CHECK(doc.ReadString(p.first, p.second, "\x01") == *v);
            CheckInteger(*v);
            CheckColour(*v);
            int n = doc.ReadInteger(p.first, p.second, -7);
            FUZZ_CHECK(n == StrToIntDef(*v, -7));
            FUZZ_CHECK(doc.ReadBool(p.first, p.second, true) == (n != 0 || !ParseInteger(*v)));
            CheckUses(n);
        }
        expected[folded(p)] = v;
    }

    // Write each probe the text of another line, and a key of its own beside it.
    for (size_t i = 0; i < probes.size() && i < 8; ++i) {
        const Probe& p = probes[i];
        std::string value = lines.empty() ? std::string() : lines[(i + 1) % lines.size()];
        if (KeptLine(p.second + "=" + value)) {
            doc.WriteString(p.first, p.second, value);
            expected[folded(p)] = value;
        }
        Probe fresh{p.first, p.second + "-" + std::to_string(i)};
        if (KeptLine(fresh.second + "=" + value)) {
            doc.WriteString(fresh.first, fresh.second, value);
            expected[folded(fresh)] = value;
        }
    }
    std::string written = doc.Serialize();
    IniDocument after(written);
    FUZZ_CHECK(after.Serialize() == written);
    for (const auto& [p, v] : expected) {
        FUZZ_CHECK(doc.Find(p.first, p.second) == v);
        FUZZ_CHECK(after.Find(p.first, p.second) == v);
    }
    return 0;
}
