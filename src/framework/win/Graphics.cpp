#include "framework/win/Graphics.h"

#include <map>
#include <mutex>
#include <tuple>

#include "framework/win/ScopedWin.h"

namespace tsb {

TColor ColorToRGB(TColor c) {
    if (c & 0x80000000) return ::GetSysColor(static_cast<int>(c & 0xFF));
    return c & 0xFFFFFF;
}

TColor SysColor(int index) { return 0x80000000 | static_cast<TColor>(index); }

static int g_scaleDpi = 96;
int ScaleDpi() { return g_scaleDpi; }
void SetScaleDpi(int dpi) { g_scaleDpi = dpi > 0 ? dpi : 96; }
int Scale(int designPixels) { return ::MulDiv(designPixels, g_scaleDpi, 96); }
int Unscale(int windowPixels) { return ::MulDiv(windowPixels, 96, g_scaleDpi); }

HFONT TFont::Handle() const {
    static std::mutex lock;
    static std::map<std::tuple<std::string, int, bool>, unique_hfont> cache;
    std::lock_guard<std::mutex> guard(lock);
    auto& slot = cache[{name, Scale(height), bold}];
    if (!slot) {
        LOGFONTA lf{};
        lf.lfHeight = -Scale(height);
        lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = DEFAULT_QUALITY;
        lstrcpynA(lf.lfFaceName, name.c_str(), LF_FACESIZE);
        slot.reset(::CreateFontIndirectA(&lf));
    }
    return slot.get();
}

SIZE TextExtent(const TFont& font, const std::string& text) {
    ScopedGetDC dc(nullptr);
    ScopedSelect sel(dc.get(), font.Handle());
    SIZE sz{};
    ::GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &sz);
    return {Unscale(sz.cx), Unscale(sz.cy)};
}

}  // namespace tsb
