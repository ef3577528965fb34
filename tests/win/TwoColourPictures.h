#pragma once
// Two-coloured pictures made by the tests (where a picture lands shows in its halves), and
// reading back what a control or a graphic shows.
#include <functional>
#include <string>

#include "framework/win/Control.h"
#include "framework/win/Picture.h"
#include "framework/win/ScopedWin.h"
#include "support/Driver.h"

namespace tsbtest {

constexpr COLORREF Red = RGB(255, 0, 0), Blue = RGB(0, 0, 255), Black = RGB(0, 0, 0);

// A 24-bit bitmap file of w x h: the left half red, the right half blue.
inline std::string HalvesBmp(int w, int h) {
    return Bmp24(w, h, [w](int x, int) { return x < w / 2 ? Red : Blue; });
}

// The pixel at x, y of what paint draws on a width x height surface.
inline COLORREF PaintedPixel(int width, int height, int x, int y, const std::function<void(HDC)>& paint) {
    tsb::ScopedGetDC screen(nullptr);
    tsb::unique_hdc dc(::CreateCompatibleDC(screen.get()));
    tsb::unique_hbitmap bmp(::CreateCompatibleBitmap(screen.get(), width, height));
    tsb::ScopedSelect sel(dc.get(), bmp.get());
    paint(dc.get());
    return ::GetPixel(dc.get(), x, y) & 0xFFFFFF;
}

inline COLORREF GraphicPixel(const tsb::TGraphic& g, int x, int y) {
    return PaintedPixel(g.Width(), g.Height(), x, y,
                        [&](HDC dc) { g.Draw(dc, RECT{0, 0, g.Width(), g.Height()}, false); });
}

}  // namespace tsbtest
