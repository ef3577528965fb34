// The order of page and shortcut names: a consistent order (antisymmetric, transitive, equal
// exactly when the names differ only in the letters A-Z), and the fast sort gives the order of
// the plain exchange sort pages were first sorted with, equal names in listing order.
#include <numeric>

#include "FuzzCheck.h"
#include "framework/core/Text.h"
#include "pages/NameOrder.h"

using namespace tsb;

namespace {

struct Item {
    std::string name;
    size_t listed;  // the place the file system listed it at
};

// Exchange sort as pages were first sorted: passes from the end, neighbours swap only when the
// first is greater, so equal names never swap.
void ExchangeSort(std::vector<Item>& items) {
    if (items.size() < 2) return;
    for (size_t p = items.size() - 1; p-- > 0;)
        for (size_t i = 0; i <= p; ++i)
            if (CompareNameKeys(items[i].name, items[i + 1].name) > 0) std::swap(items[i], items[i + 1]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One name a line; names may hold any byte but the line break.
    std::vector<std::string> names = fuzz::Pieces(fuzz::AsText(data, size), '\n', 48);

    for (const std::string& a : names) {
        FUZZ_CHECK(CompareNameKeys(a, a) == 0);
        FUZZ_CHECK(CompareNameKeys(a, LowerAZ(a)) == 0);
        for (const std::string& b : names) {
            int ab = fuzz::Sign(CompareNameKeys(a, b));
            FUZZ_CHECK(ab == -fuzz::Sign(CompareNameKeys(b, a)));
            FUZZ_CHECK((ab == 0) == (LowerAZ(a) == LowerAZ(b)));
            FUZZ_CHECK((ab == 0) == SameTextAZ(a, b));
            // A name sorts before every longer name it begins (after folding).
            if (a.size() < b.size() && LowerAZ(b).starts_with(LowerAZ(a))) FUZZ_CHECK(ab < 0);
            // Keys are unsigned bytes: "Écran" (0xC3 ...) after "zoo".
            if (!a.empty() && !b.empty() && static_cast<unsigned char>(LowerAZ(a)[0]) < static_cast<unsigned char>(LowerAZ(b)[0]))
                FUZZ_CHECK(ab < 0);
        }
    }
    // Transitive on every triple of the first names.
    size_t t = std::min<size_t>(names.size(), 12);
    for (size_t i = 0; i < t; ++i)
        for (size_t j = 0; j < t; ++j)
            for (size_t k = 0; k < t; ++k) {
                int ij = CompareNameKeys(names[i], names[j]), jk = CompareNameKeys(names[j], names[k]);
                int ik = CompareNameKeys(names[i], names[k]);
                if (ij <= 0 && jk <= 0) FUZZ_CHECK(ik <= 0);
                if (ij < 0 && jk <= 0) FUZZ_CHECK(ik < 0);
                if (ij == 0 && jk == 0) FUZZ_CHECK(ik == 0);
            }

    std::vector<Item> items;
    for (size_t i = 0; i < names.size(); ++i) items.push_back({names[i], i});
    std::vector<Item> fast = items, plain = items;
    SortByName(fast, [](const Item& it) -> const std::string& { return it.name; });
    ExchangeSort(plain);
    FUZZ_CHECK(fast.size() == items.size());
    for (size_t i = 0; i < fast.size(); ++i) {
        FUZZ_CHECK(fast[i].listed == plain[i].listed);
        if (i == 0) continue;
        int c = CompareNameKeys(fast[i - 1].name, fast[i].name);
        FUZZ_CHECK(c <= 0);
        if (c == 0) FUZZ_CHECK(fast[i - 1].listed < fast[i].listed);
    }
    return 0;
}
