#include "controls/MenuButtons.h"

#include <algorithm>

#include "framework/win/StdCtrls.h"

namespace tsb {

HCURSOR HandPointCursor() {
    static const HCURSOR hand = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));  // shared: never freed
    return hand;
}

static TColorButton* MakeButton(TControl* parent, const TFont& font, TButtonStyle style, const std::string& hint,
                                const std::string& caption, TBounds b, TNotifyEvent onClick) {
    auto* btn = parent->Add<TColorButton>();
    btn->SetBevelStyle(bbNone);
    btn->SetStyle(style);
    btn->SetFont(font);
    btn->SetBounds(b.left, b.top, b.width, b.height);
    btn->SetCaption(caption);
    btn->SetHint(hint);
    btn->SetButtonColor(NavButtonColor);
    btn->SetCursor(HandPointCursor());
    btn->OnClick = std::move(onClick);
    return btn;
}

TColorButton* MakeNavButton(TNavButtonParams p) {
    int captionWidth = TextExtent(p.font, p.caption).cx;
    return MakeButton(p.parent, p.font, {bsAutoSize, bsCenter}, p.hint, p.caption,
                      {p.left, p.top, std::max(p.width, captionWidth + 16), 38}, std::move(p.onClick));
}

TColorButton* MakeFolderButton(TControl* parent, const std::string& hint, const std::string& caption, int width,
                               int top, int left, TNotifyEvent onClick) {
    return MakeButton(parent, TFont::Points("Tahoma", 16), {bsAutoSize, bsCenter, bsMultiLine}, hint, caption,
                      {left, top, width, 54}, std::move(onClick));
}

}  // namespace tsb
