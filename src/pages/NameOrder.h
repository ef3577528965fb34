#pragma once
// Ordering of page and shortcut names: only A-Z folded, unsigned bytes, stable.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace tsb {

int CompareNameKeys(std::string_view a, std::string_view b);  // <0, 0, >0

// Orders items by name: equal keys keep listing order. A stable sort gives exactly the order of
// the stable exchange sort that pages were first sorted with, but stays fast on big pages.
template <class T, class NameOf>
void SortByName(std::vector<T>& items, NameOf nameOf) {
    std::stable_sort(items.begin(), items.end(),
                     [&](const T& a, const T& b) { return CompareNameKeys(nameOf(a), nameOf(b)) < 0; });
}

}  // namespace tsb
