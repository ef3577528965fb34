// The Create Shortcuts tool's pattern text: ticking and clearing categories in any order keeps
// exactly the ticked categories' patterns, each once, beside the user's own patterns in their
// order; a category ticked and cleared again gives back the text it started from (tidied and
// lower-cased); the text splits into the patterns it holds.
#include <algorithm>
#include <set>

#include "FuzzCheck.h"
#include "framework/core/FilePatterns.h"
#include "framework/core/Text.h"

using namespace tsb;

namespace {

constexpr int Categories = 9;
const std::vector<std::string>& Patterns(int c) { return CategoryPatterns(static_cast<TFileCategory>(c)); }

// The text as the update leaves it: no ";" at either end, none doubled, lower case.
std::string Tidy(std::string_view text) {
    std::string out;
    for (const std::string& p : SplitPatterns(text))
        if (!p.empty()) out += (out.empty() ? "" : ";") + p;
    if (out == "*.*" && text.find("*.*") == std::string_view::npos) out.clear();
    return LowerAZ(out);
}

// The patterns a tidy text lists; none for the empty text.
std::vector<std::string> Listed(const std::string& tidy) {
    return tidy.empty() ? std::vector<std::string>() : SplitPatterns(tidy);
}

// True when no pattern of any category occurs in the text: the user's own patterns then stay
// untouched by every update.
bool FreeOfCategories(std::string_view text) {
    std::string lower = LowerAZ(text);
    for (int c = 0; c < Categories; ++c)
        for (const std::string& p : Patterns(c))
            if (lower.find(p) != std::string::npos) return false;
    return true;
}

void CheckShape(const std::string& t) {
    FUZZ_CHECK(t.empty() || (t.front() != ';' && t.back() != ';'));
    FUZZ_CHECK(t.find(";;") == std::string::npos);
    FUZZ_CHECK(LowerAZ(t) == t);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first line holds clicks, one digit each (the category's place, 0 to 8); the rest is
    // the text the user typed.
    std::string_view input = fuzz::AsText(data, size);
    size_t eol = std::min(input.find('\n'), input.size());
    std::string clicks;
    for (char c : input.substr(0, std::min<size_t>(eol, 24)))
        if (c >= '0' && c <= '8') clicks += c;
    std::string_view typed = input.substr(std::min(input.size(), eol + 1));

    bool userFree = FreeOfCategories(typed);
    std::string tidyTyped = Tidy(typed);
    for (int c = 0; c < Categories; ++c) {
        const std::vector<std::string>& list = Patterns(c);
        // The order the update depends on: a pattern found inside another stands after it.
        for (size_t i = 0; i < list.size(); ++i)
            for (size_t j = i + 1; j < list.size(); ++j) FUZZ_CHECK(list[j].find(list[i]) == std::string::npos);
        std::string on = UpdatePatterns(std::string(typed), list, true);
        CheckShape(on);
        for (const std::string& p : list) FUZZ_CHECK(on.find(p) != std::string::npos);
        std::string off = UpdatePatterns(on, list, false);
        CheckShape(off);
        // Removal is by plain text: in a text typed around category patterns ("**.wmv.swf") a
        // removal can join what is left into another pattern, so this holds for the user's own.
        if (!userFree) continue;
        for (const std::string& p : list) FUZZ_CHECK(off.find(p) == std::string::npos);
        FUZZ_CHECK(off == tidyTyped);
    }

    // Clicks in order: each toggles its category.
    bool ticked[Categories] = {};
    std::string text(typed);
    for (char click : clicks) {
        int c = click - '0';
        ticked[c] = !ticked[c];
        text = UpdatePatterns(text, Patterns(c), ticked[c]);
        CheckShape(text);
        if (!userFree) continue;
        // The user's patterns first, in order; then each ticked pattern once, and nothing else.
        std::vector<std::string> split = Listed(text), user = Listed(tidyTyped);
        FUZZ_CHECK(split.size() >= user.size());
        FUZZ_CHECK(std::equal(user.begin(), user.end(), split.begin()));
        std::multiset<std::string> rest(split.begin() + static_cast<std::ptrdiff_t>(user.size()), split.end());
        std::multiset<std::string> want;
        for (int k = 0; k < Categories; ++k)
            if (ticked[k]) want.insert(Patterns(k).begin(), Patterns(k).end());
        FUZZ_CHECK(rest == want);
    }

    // Splitting: the patterns between the separators, in order; "*.*" when there are none.
    std::vector<std::string> split = SplitPatterns(typed);
    FUZZ_CHECK(!split.empty());
    std::string joined;
    for (size_t i = 0; i < split.size(); ++i) joined += (i ? ";" : "") + split[i];
    if (typed.empty()) FUZZ_CHECK(split.size() == 1 && split[0] == "*.*");
    else FUZZ_CHECK(joined == typed || joined + ";" == typed);
    for (const std::string& p : split) FUZZ_CHECK(p.find(';') == std::string::npos);
    return 0;
}
