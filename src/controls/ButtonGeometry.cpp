#include "controls/ButtonGeometry.h"

#include <algorithm>

namespace tsb {

static uint32_t Shift(uint32_t rgb, int by) {
    uint32_t out = 0;
    for (int i = 0; i < 3; ++i) {
        int c = static_cast<int>((rgb >> (8 * i)) & 0xFF) + by;
        out |= static_cast<uint32_t>(std::clamp(c, 0, 255)) << (8 * i);
    }
    return out;
}

BevelColors DeriveBevelColors(uint32_t rgb) { return {Shift(rgb, 64), Shift(rgb, -64)}; }

Point PictureOriginForAlignment(int alignment, int w, int h, int e, int pw, int ph) {
    switch (alignment) {
        case 0: case 1: case 2: return {(w - pw) / 2, h - e - ph};
        case 3: return {w - e - pw, (h - ph) / 2};
        case 5: return {e, (h - ph) / 2};
        case 6: case 7: case 8: return {(w - pw) / 2, e};
        default: return {(w - pw) / 2, (h - ph) / 2};
    }
}

int CaptionTop(int alignment, int height, int bevel, int edge, int textHeight) {
    switch (alignment / 3) {
        case 0: return edge;
        case 1: return (height - bevel - textHeight) / 2;
        default: return height - edge - textHeight;
    }
}

}  // namespace tsb
