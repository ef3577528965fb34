#include "framework/win/Graphics.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <tuple>

#include "framework/core/Text.h"
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

int SystemDpi() {
    // Asked by name: older systems have only the screen's device context to tell.
    using GetDpiForSystemFn = UINT(WINAPI*)();
    if (HMODULE user = ::GetModuleHandleA("user32.dll")) {
        auto fn = reinterpret_cast<GetDpiForSystemFn>(reinterpret_cast<void*>(::GetProcAddress(user, "GetDpiForSystem")));
        if (fn) {
            if (UINT dpi = fn(); dpi > 0) return static_cast<int>(dpi);
        }
    }
    ScopedGetDC dc(nullptr);
    int dpi = dc.get() ? ::GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : 96;
}

HFONT TFont::Handle() const {
    static std::mutex lock;
    static std::map<std::tuple<std::string, int, bool>, unique_hfont> cache;
    std::lock_guard<std::mutex> guard(lock);
    auto& slot = cache[{name, Scale(height), bold}];
    if (!slot) {
        LOGFONTW lf{};
        lf.lfHeight = -Scale(height);
        lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = DEFAULT_QUALITY;
        // The face name is cut in UTF-16 units, never inside a character's bytes.
        std::u16string face = Utf8ToUtf16(name).substr(0, LF_FACESIZE - 1);
        std::copy(face.begin(), face.end(), lf.lfFaceName);
        slot.reset(::CreateFontIndirectW(&lf));
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
