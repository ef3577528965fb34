#include "pictures/PixelBitmap.h"

#include <cstring>
#include <new>

#include "framework/win/Errors.h"
#include "framework/win/ScopedWin.h"

namespace tsb {

namespace {

BITMAPINFO TopDown24(int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

std::size_t Stride(int width) { return (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3); }

// Renders into a fresh section; hands the section and its bits to use before they go.
void RenderSection(int width, int height, TColor background, const std::function<void(HDC)>& draw,
                   const std::function<void(unique_hbitmap&, const void*)>& use) {
    if (width <= 0 || height <= 0) throw EError("Bitmap without extent");
    BITMAPINFO bi = TopDown24(width, height);
    unique_hdc dc(::CreateCompatibleDC(nullptr));
    if (!dc) RaiseLastOSError("CreateCompatibleDC");
    void* bits = nullptr;
    unique_hbitmap section(::CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section || !bits) throw EOutOfMemory();
    {
        ScopedSelect select(dc.get(), section.get());
        RECT all{0, 0, width, height};
        unique_hbrush brush(::CreateSolidBrush(ColorToRGB(background)));
        ::FillRect(dc.get(), &all, brush.get());
        draw(dc.get());
        ::GdiFlush();  // every pixel is in the bits before they are read
    }
    use(section, bits);
}

}  // namespace

unique_hbitmap RenderBitmap(int width, int height, TColor background, const std::function<void(HDC)>& draw) {
    unique_hbitmap out;
    RenderSection(width, height, background, draw, [&](unique_hbitmap& section, const void*) { out = std::move(section); });
    return out;
}

std::shared_ptr<const TPixelBitmap> TPixelBitmap::Render(int width, int height, TColor background,
                                                         const std::function<void(HDC)>& draw) {
    std::shared_ptr<TPixelBitmap> out(new TPixelBitmap);
    out->info_ = TopDown24(width, height);
    RenderSection(width, height, background, draw, [&](unique_hbitmap&, const void* bits) {
        const auto* from = static_cast<const std::uint8_t*>(bits);
        out->bits_.assign(from, from + Stride(width) * static_cast<std::size_t>(height));
    });
    return out;
}

void TPixelBitmap::Draw(HDC dc, const RECT& d, bool) const {
    int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchDIBits(dc, d.left, d.top, d.right - d.left, d.bottom - d.top, 0, 0, Width(), Height(), bits_.data(),
                    &info_, DIB_RGB_COLORS, SRCCOPY);
    ::SetStretchBltMode(dc, oldMode);
}

COLORREF TPixelBitmap::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
    const std::uint8_t* p = bits_.data() + Stride(Width()) * static_cast<std::size_t>(y) + static_cast<std::size_t>(x) * 3;
    return RGB(p[2], p[1], p[0]);
}

}  // namespace tsb
