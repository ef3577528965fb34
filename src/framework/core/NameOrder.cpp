#include "framework/core/NameOrder.h"

#include "framework/core/Text.h"

namespace tsb {

int CompareNameKeys(std::string_view a, std::string_view b) {
    std::string ka = LowerAZ(a), kb = LowerAZ(b);
    size_t n = std::min(ka.size(), kb.size());
    for (size_t i = 0; i < n; ++i) {
        auto ca = static_cast<unsigned char>(ka[i]), cb = static_cast<unsigned char>(kb[i]);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return ka.size() == kb.size() ? 0 : (ka.size() < kb.size() ? -1 : 1);
}

}  // namespace tsb
