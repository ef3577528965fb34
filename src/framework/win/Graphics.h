#pragma once
// Fonts, colours and sizes.
//
// One unit for sizes: every size and position that the framework takes or gives (layouts,
// SetBounds, Left, Width, ClientWidth, places in a scroll box and its scroll position, mouse
// positions in a control, font heights, a button's bevel, spacing and picture place, and the
// size of a picture, which is drawn scaled) is in design pixels, that is pixels at 96 dots per
// inch. They become window pixels only where they meet Win32, through Scale(), and come back
// through Unscale(). Positions on the screen (the monitor's size, where a menu pops up, the
// pointer of a wheel event) are the system's own and stay in window pixels.
#include <string>

#include "framework/win/Win.h"

namespace tsb {

using TColor = COLORREF;  // 0x00BBGGRR
constexpr TColor clNone = 0x1FFFFFFF;
TColor ColorToRGB(TColor c);  // system colours (0x80000000 | index) to their current value
TColor SysColor(int index);   // the system colour as a TColor that follows the system

int Scale(int designPixels);   // to window pixels
int Unscale(int windowPixels);  // to design pixels (rounded: Unscale(Scale(n)) == n)
// Window pixels per inch for 96 design pixels: 96 (one to one) unless set, for instance by a
// test that checks a layout at another scale. Windows made before a change keep their sizes.
int ScaleDpi();
void SetScaleDpi(int dpi);
// The system's dots per inch (the primary monitor's), what the program starts at.
int SystemDpi();

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

// Text extent of a single line in the font, in design pixels.
SIZE TextExtent(const TFont& font, const std::string& text);

}  // namespace tsb
