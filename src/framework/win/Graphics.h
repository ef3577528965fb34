#pragma once
// Fonts, colours and sizes. Every size from a layout passes through Scale(), the single place
// where high-DPI scaling will go.
#include <string>

#include "framework/win/Win.h"

namespace tsb {

using TColor = COLORREF;  // 0x00BBGGRR
constexpr TColor clNone = 0x1FFFFFFF;
TColor ColorToRGB(TColor c);  // system colours (0x80000000 | index) to their current value
TColor SysColor(int index);   // the system colour as a TColor that follows the system

inline int Scale(int pixels) { return pixels; }

struct TFont {
    std::string name = "MS Sans Serif";
    int height = 11;  // character height in pixels
    bool bold = false;
    TColor color = 0x80000000 | COLOR_WINDOWTEXT;

    static TFont Pixels(std::string face, int pixelHeight, bool bold = false) {
        return {std::move(face), pixelHeight, bold, 0x80000000 | COLOR_WINDOWTEXT};
    }
    static TFont Points(std::string face, int points, bool bold = false) {
        return Pixels(std::move(face), ::MulDiv(points, 96, 72), bold);
    }
    bool operator==(const TFont&) const = default;
    // A shared handle, cached for the whole run: fonts are few and buttons are many.
    HFONT Handle() const;
};

// Text extent of a single line in the font.
SIZE TextExtent(const TFont& font, const std::string& text);

}  // namespace tsb
