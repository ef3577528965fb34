#pragma once
// What every fuzz target shares: a check that stops the run with the broken property named, and
// the input cut into pieces at a separator byte.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#define FUZZ_CHECK(cond)                                                                      \
    do {                                                                                      \
        if (!(cond)) {                                                                        \
            std::fprintf(stderr, "property broken: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                                     \
        }                                                                                     \
    } while (0)

namespace tsb::fuzz {

inline std::string_view AsText(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The pieces of text between separators, at most limit of them (the rest is left out).
inline std::vector<std::string> Pieces(std::string_view text, char separator, size_t limit) {
    std::vector<std::string> out;
    while (out.size() < limit) {
        size_t at = text.find(separator);
        out.emplace_back(text.substr(0, at));
        if (at == std::string_view::npos) break;
        text.remove_prefix(at + 1);
    }
    return out;
}

inline int Sign(int v) { return (v > 0) - (v < 0); }

}  // namespace tsb::fuzz
