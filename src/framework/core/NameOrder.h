#pragma once
// Ordering of page and shortcut names: only A-Z folded, unsigned bytes, stable exchange sort.
#include <string>
#include <string_view>
#include <vector>

namespace tsb {

int CompareNameKeys(std::string_view a, std::string_view b);  // <0, 0, >0

// Exchange sort by the name of each item: equal keys never swap, so they keep listing order.
template <class T, class NameOf>
void SortByName(std::vector<T>& items, NameOf nameOf) {
    size_t n = items.size();
    if (n < 2) return;
    for (size_t p = n - 1; p-- > 0;)
        for (size_t i = 0; i <= p; ++i)
            if (CompareNameKeys(nameOf(items[i]), nameOf(items[i + 1])) > 0) std::swap(items[i], items[i + 1]);
}

}  // namespace tsb
