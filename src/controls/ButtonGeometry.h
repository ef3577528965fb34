#pragma once
// Paint geometry of the menu button: bevel colours, picture and caption positions.
#include <cstdint>

namespace tsb {

struct BevelColors {
    uint32_t highlight, shadow;  // 0x00BBGGRR
};
BevelColors DeriveBevelColors(uint32_t rgb);

struct Point {
    int x, y;
};
// Picture origin by caption alignment (0..8, row = value / 3), opposite the caption.
Point PictureOriginForAlignment(int alignment, int width, int height, int edge, int pw, int ph);
// Top of the caption text of height h by the alignment's row.
int CaptionTop(int alignment, int height, int bevel, int edge, int textHeight);

}  // namespace tsb
