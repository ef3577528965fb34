#pragma once
// Pictures made by the program itself: a 24-bit bitmap rendered once and then only drawn.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "framework/win/Graphics.h"
#include "framework/win/Picture.h"

namespace tsb {

// Pixels in plain memory, drawn with StretchDIBits: no GDI object, so any number of them can be
// kept (the thumbnail cache holds thousands) and any thread can make one. Immutable once made.
class TPixelBitmap : public TGraphic {
public:
    // A width x height bitmap filled with background, then drawn on by draw (which may raise:
    // nothing is left behind).
    static std::shared_ptr<const TPixelBitmap> Render(int width, int height, TColor background,
                                                      const std::function<void(HDC)>& draw);

    int Width() const override { return info_.bmiHeader.biWidth; }
    int Height() const override { return -info_.bmiHeader.biHeight; }
    void Draw(HDC dc, const RECT& dest, bool transparent) const override;
    std::size_t Bytes() const { return bits_.size(); }
    COLORREF Pixel(int x, int y) const;  // for tests and checks; 0 outside

private:
    TPixelBitmap() = default;
    BITMAPINFO info_{};
    std::vector<std::uint8_t> bits_;
};

// A bitmap section of the given size (24 bits per pixel, top-down), filled with background and
// drawn on by draw; raises when it cannot be made.
unique_hbitmap RenderBitmap(int width, int height, TColor background, const std::function<void(HDC)>& draw);

// A bitmap drawn with its key colour left out: every pixel of the colour of its bottom-left pixel
// shows what lies under it.
class TTransparentBitmap : public TGraphic {
public:
    explicit TTransparentBitmap(std::shared_ptr<const TBitmap> bitmap) : bitmap_(std::move(bitmap)) {}
    int Width() const override { return bitmap_->Width(); }
    int Height() const override { return bitmap_->Height(); }
    void Draw(HDC dc, const RECT& dest, bool) const override { bitmap_->Draw(dc, dest, true); }

private:
    std::shared_ptr<const TBitmap> bitmap_;
};

}  // namespace tsb
