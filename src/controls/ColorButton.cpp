#include "controls/ColorButton.h"

#include <cctype>

#include "controls/ButtonAccessible.h"
#include "controls/ButtonGeometry.h"
#include "framework/core/Text.h"
#include "framework/win/Debug.h"
#include "framework/win/ScopedWin.h"

namespace tsb {

TColorButton::TColorButton(TControl* parent) : TControl(parent) {
    SetColor(SysColor(COLOR_BTNFACE));
    shadow_ = SysColor(COLOR_BTNSHADOW);
    highlight_ = SysColor(COLOR_BTNHIGHLIGHT);
    TCreateParams p;
    p.className = "TColorButton";
    p.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS;
    p.width = 75;
    p.height = 25;
    CreateHandle(p);
    ColorChanged();  // the stored settings are in: derive the bevel colours once
}

TColorButton::~TColorButton() {
    try {
        picture_.SetGraphic(nullptr);
    } catch (const std::exception& e) {
        Log(std::string("TColorButton.Destroy Exception: ") + e.what());
    }
}

void TColorButton::SetAlignment(TAlignment v) { if (v != alignment_) { alignment_ = v; Invalidate(); } }
void TColorButton::SetBevelStyle(TButtonBevel v) { if (v != bevelStyle_) { bevelStyle_ = v; Invalidate(); } }
void TColorButton::SetFontStyle(TFontStyle v) { if (v != fontStyle_) { fontStyle_ = v; Invalidate(); } }
void TColorButton::SetStyle(TButtonStyle v) { if (!(v == style_)) { style_ = v; Invalidate(); } }

void TColorButton::SetBevelSize(int v) {
    if (v < 1) v = 1;
    if (v != bevelSize_) { bevelSize_ = v; Invalidate(); }
}

void TColorButton::SetSpacing(int v) {
    if (v < -2) v = -2;
    if (v != spacing_) { spacing_ = v; Invalidate(); }
}

void TColorButton::SetCaptionW(const std::wstring& v) {
    captionW_ = v;
    Invalidate();
}

void TColorButton::SetButtonColor(TColor c) { SetColor(c); }  // ColorChanged repaints, always

void TColorButton::ColorChanged() {
    BevelColors bc = DeriveBevelColors(ColorToRGB(Color()));
    highlight_ = bc.highlight;
    shadow_ = bc.shadow;
    Invalidate();
}

void TColorButton::SetValue(bool v) {
    if (!style_.Has(bsMultiState)) return;
    state_ = v ? bstDown : bstUp;
    Invalidate();
}

void TColorButton::SyncStateWithEnabled() { state_ = Enabled() ? bstUp : bstDisabled; }

void TColorButton::SetEnabled(bool v) {
    TControl::SetEnabled(v);
    SyncStateWithEnabled();
    Invalidate();
}

bool TColorButton::DialogChar(char ch) {
    char m = MnemonicOf(Caption());
    if (!m || !Enabled()) return false;
    if (std::toupper(static_cast<unsigned char>(m)) != std::toupper(static_cast<unsigned char>(ch))) return false;
    Click();
    return true;
}

void TColorButton::Press() {
    if (style_.Has(bsMultiState)) state_ = state_ == bstDown ? bstUp : bstDown;
    else state_ = bstDown;
    Invalidate();
}

// The page under the finger scrolls instead: the press is taken back, so the button looks as before.
void TColorButton::PressBecameDrag() {
    if (!Enabled()) return;
    if (style_.Has(bsMultiState)) state_ = state_ == bstDown ? bstUp : bstDown;
    else state_ = bstUp;
    Invalidate();
}

bool TColorButton::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_GETOBJECT:
            if (static_cast<LONG>(lp) != static_cast<LONG>(OBJID_CLIENT)) return false;
            result = ButtonAccessibleObject(Handle(), wp);
            return true;
        case BM_CLICK:  // what a screen reader's default action sends
            if (Enabled()) Click();
            return true;
        default:
            return TControl::HandleMessage(msg, wp, lp, result);
    }
}

void TColorButton::FocusChanged(bool focused) {
    focused_ = focused;
    if (focused_) ::NotifyWinEvent(EVENT_OBJECT_FOCUS, Handle(), OBJID_CLIENT, CHILDID_SELF);
    Invalidate();
}

void TColorButton::EnabledChanged() {
    SyncStateWithEnabled();
    Invalidate();
}

bool TColorButton::MouseDown(TMouseButton b, TShiftState shift, POINT at) {
    if (b == TMouseButton::mbRight) {
        // Taken over completely: no OnMouseDown, no pressed look.
        if (OnRightClick) OnRightClick(this, b, 0, Unscale(at.x), Unscale(at.y));
        return true;
    }
    TControl::MouseDown(b, shift, at);
    if (!Enabled()) return true;
    if (b == TMouseButton::mbLeft && !Focused() && ::IsWindowVisible(Handle())) SetFocus();
    Press();
    return true;
}

bool TColorButton::MouseUp(TMouseButton b, TShiftState shift, POINT at) {
    TControl::MouseUp(b, shift, at);
    if (Enabled() && !style_.Has(bsMultiState)) {
        state_ = bstUp;
        Invalidate();
    }
    // A button without a menu of its own leaves the right click to the window's menu.
    return b != TMouseButton::mbRight || OnRightClick;
}

bool TColorButton::KeyDown(WORD key, bool repeat) {
    if (key == VK_SPACE && Enabled() && !repeat) Press();
    return false;
}

bool TColorButton::KeyUp(WORD key) {
    if (!Enabled() || (key != VK_SPACE && key != VK_RETURN)) return false;
    // Space lets a plain button up; Enter leaves a multi-state one down.
    bool multiState = style_.Has(bsMultiState);
    if ((key == VK_SPACE && !multiState) || (key == VK_RETURN && multiState)) {
        state_ = key == VK_SPACE ? bstUp : bstDown;
        Invalidate();
    }
    Click();
    return false;
}

static SIZE WindowSize(HWND w) {
    RECT r;
    ::GetClientRect(w, &r);
    return {r.right, r.bottom};
}

void TColorButton::Paint(HDC dc) {
    // Drawn off screen and copied in one go: no flicker.
    SIZE size = WindowSize(Handle());
    unique_hdc mem(::CreateCompatibleDC(dc));
    unique_hbitmap bmp(::CreateCompatibleBitmap(dc, std::max<int>(size.cx, 1), std::max<int>(size.cy, 1)));
    {
        ScopedSelect sel(mem.get(), bmp.get());
        PaintTo(mem.get());
        ::BitBlt(dc, 0, 0, size.cx, size.cy, mem.get(), 0, 0, SRCCOPY);
    }
}

// The dotted focus rectangle, drawn by inverting every other pixel of its edges (as the
// system's own does; drawn here so it looks the same on every device context).
static void DrawDottedFocusRect(HDC dc, RECT r) {
    auto dot = [dc](int x, int y) {
        if ((x + y) % 2 == 0) ::PatBlt(dc, x, y, 1, 1, DSTINVERT);
    };
    for (int x = r.left; x < r.right; ++x) {
        dot(x, r.top);
        dot(x, r.bottom - 1);
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        dot(r.left, y);
        dot(r.right - 1, y);
    }
}

void TColorButton::PaintTo(HDC dc) {
    // The state follows Enabled.
    if (!Enabled()) state_ = bstDisabled;
    else if (state_ == bstDisabled) state_ = bstUp;
    // The properties, the picture's size included, are design pixels; the drawing is in the
    // window's pixels, its edges where the window's are.
    if (!picture_.Empty() && style_.Has(bsAutoSize)) {
        SetWidth(picture_.Width() + 2 * bevelSize_);
        SetHeight(picture_.Height() + 2 * bevelSize_);
    }
    const SIZE size = WindowSize(Handle());
    const int B = Scale(bevelSize_), S = Scale(spacing_);
    RECT r{0, 0, size.cx, size.cy};
    unique_hbrush face(::CreateSolidBrush(ColorToRGB(Color())));
    ::FillRect(dc, &r, face.get());
    if (bevelStyle_ != bbNone) {
        PaintBevel(dc, size, B);
        r = {B, B, size.cx - B, size.cy - B};
    }
    // A button without a picture gets its inner fill first: filled after the focus rectangle,
    // as the picture would be, it wiped the rectangle out.
    if (picture_.Empty()) {
        RECT inner{B, B, size.cx - B, size.cy - B};
        ::FillRect(dc, &inner, face.get());
    }
    if (focused_ && style_.Has(bsShowFocus) && Enabled())
        DrawDottedFocusRect(dc, {r.left + S - 1, r.top + S - 1, r.right - S + 1, r.bottom - S + 1});
    PaintPicture(dc, size, B + S);
    PaintCaption(dc);
}

void TColorButton::PaintBevel(HDC dc, SIZE size, int rings) {
    bool sunken = (state_ == bstDown) != (bevelStyle_ == bbLowered);
    unique_hpen light(::CreatePen(PS_SOLID, 1, ColorToRGB(highlight_)));
    unique_hpen dark(::CreatePen(PS_SOLID, 1, ColorToRGB(shadow_)));
    HPEN topLeft = sunken ? dark.get() : light.get(), bottomRight = sunken ? light.get() : dark.get();
    for (int i = 0; i < rings; ++i) {
        RECT ring{i, i, size.cx - i, size.cy - i};
        {
            ScopedSelect s(dc, topLeft);
            ::MoveToEx(dc, ring.left, ring.bottom - 1, nullptr);
            ::LineTo(dc, ring.left, ring.top);
            ::LineTo(dc, ring.right, ring.top);
        }
        ScopedSelect s(dc, bottomRight);
        ::MoveToEx(dc, ring.right - 1, ring.top + 1, nullptr);
        ::LineTo(dc, ring.right - 1, ring.bottom - 1);
        ::LineTo(dc, ring.left, ring.bottom - 1);
    }
}

// edge: bevel and spacing, window pixels.
void TColorButton::PaintPicture(HDC dc, SIZE size, int edge) {
    const int pw = picture_.Width(), ph = picture_.Height();
    // The picture's default place, stored once.
    if (pictureTop_ == -1) pictureTop_ = (Height() - ph) / 2;
    if (pictureLeft_ == -1) pictureLeft_ = (Width() - pw) / 2;
    if (picture_.Empty()) return;
    const int spw = Scale(pw), sph = Scale(ph);
    RECT d;
    if (style_.Has(bsStretch)) {
        d = {edge, edge, size.cx - edge, size.cy - edge};
    } else if (style_.Has(bsCenter)) {
        d = {Scale(pictureLeft_), Scale(pictureTop_), Scale(pictureLeft_) + spw, Scale(pictureTop_) + sph};
    } else {
        Point o = PictureOriginForAlignment(alignment_, size.cx, size.cy, edge, spw, sph);
        d = {o.x, o.y, o.x + spw, o.y + sph};
    }
    picture_.Draw(dc, d);
}

// The caption, embossed as the font style and the state say.
void TColorButton::PaintCaption(HDC dc) {
    if (Caption().empty() && captionW_.empty()) return;
    ::SetBkMode(dc, TRANSPARENT);
    ScopedSelect font(dc, Font().Handle());
    if (!Enabled()) {
        DrawCaption(dc, 1, 1, highlight_);
        DrawCaption(dc, 0, 0, shadow_);
    } else if (fontStyle_ == fnRaised) {
        DrawCaption(dc, -1, -1, highlight_);
        DrawCaption(dc, 1, 1, shadow_);
        DrawCaption(dc, 0, 0, Font().color);
    } else if (fontStyle_ == fnLowered) {
        DrawCaption(dc, 1, 1, highlight_);
        DrawCaption(dc, -1, -1, shadow_);
        DrawCaption(dc, 0, 0, Font().color);
    } else {
        DrawCaption(dc, 0, 0, Font().color);
    }
}

// In window pixels, like the rest of the painting; the emboss offsets (dx, dy) are design pixels.
void TColorButton::DrawCaption(HDC dc, int dx, int dy, TColor color) {
    const SIZE size = WindowSize(Handle());
    const int W = size.cx, H = size.cy, B = Scale(bevelSize_), E = B + Scale(spacing_);
    dx = Scale(dx);
    dy = Scale(dy);
    UINT flags = style_.Has(bsMultiLine) ? DT_WORDBREAK : DT_SINGLELINE;
    if (!style_.Has(bsSpeedKey)) flags |= DT_NOPREFIX;
    flags |= alignment_ % 3 == 0 ? DT_LEFT : alignment_ % 3 == 1 ? DT_CENTER : DT_RIGHT;
    ::SetTextColor(dc, ColorToRGB(color));
    // The caption is drawn whole whatever its length: no fixed working buffer to overflow.
    std::string caption = captionW_.empty() ? Caption() : std::string();
    auto draw = [&](RECT* rc, UINT f) {
        return captionW_.empty()
                   ? ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), rc, f)
                   : ::DrawTextW(dc, captionW_.c_str(), static_cast<int>(captionW_.size()), rc, f);
    };
    RECT calc{E, E, W - E, H - E};
    int h = draw(&calc, flags | DT_CALCRECT);
    int top = CaptionTop(alignment_, H, B, E, h);
    RECT rc{E + dx, top + dy, W - E + dx, top + h + dy};
    draw(&rc, flags);
}

}  // namespace tsb
