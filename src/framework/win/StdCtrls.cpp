#include "framework/win/StdCtrls.h"

#include <cctype>

#include <algorithm>

#include "framework/core/Text.h"
#include "framework/win/Forms.h"
#include "framework/win/ScopedWin.h"

namespace tsb {

TCreateParams ChildParams(const char* cls, TBounds b, const std::string& text) {
    TCreateParams p;
    p.className = cls;
    p.style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    p.left = b.left;
    p.top = b.top;
    p.width = b.width;
    p.height = b.height;
    p.text = text;
    return p;
}

static void Frame(HDC dc, RECT r, TColor topLeft, TColor bottomRight) {
    unique_hpen tl(::CreatePen(PS_SOLID, 1, ColorToRGB(topLeft)));
    unique_hpen br(::CreatePen(PS_SOLID, 1, ColorToRGB(bottomRight)));
    {
        ScopedSelect s(dc, tl.get());
        ::MoveToEx(dc, r.left, r.bottom - 1, nullptr);
        ::LineTo(dc, r.left, r.top);
        ::LineTo(dc, r.right - 1, r.top);
    }
    ScopedSelect s(dc, br.get());
    ::MoveToEx(dc, r.right - 1, r.top, nullptr);
    ::LineTo(dc, r.right - 1, r.bottom - 1);
    ::LineTo(dc, r.left - 1, r.bottom - 1);
}

// --- panel ---

TPanel::TPanel(TControl* parent, TBounds b, TBevelCut outer) : TControl(parent), bevel_(outer) {
    TCreateParams p = ChildParams("TPanel", b);
    p.exStyle = WS_EX_CONTROLPARENT;
    CreateHandle(p);
}

void TPanel::Paint(HDC dc) {
    RECT r;
    ::GetClientRect(Handle(), &r);
    if (bevel_ == TBevelCut::bvRaised) Frame(dc, r, SysColor(COLOR_BTNHIGHLIGHT), SysColor(COLOR_BTNSHADOW));
    if (bevel_ == TBevelCut::bvLowered) Frame(dc, r, SysColor(COLOR_BTNSHADOW), SysColor(COLOR_BTNHIGHLIGHT));
    std::string text = Caption();
    if (text.empty()) return;
    ScopedSelect f(dc, Font().Handle());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ColorToRGB(Font().color));
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

RECT TPanel::AlignArea() const {
    RECT r = TControl::AlignArea();
    if (bevel_ != TBevelCut::bvNone) ::InflateRect(&r, -1, -1);
    return r;
}

// --- label ---

TLabel::TLabel(TControl* parent, TBounds b, const std::string& caption, TTextAlign align, bool wordWrap)
    : TControl(parent), align_(align), wordWrap_(wordWrap) {
    CreateHandle(ChildParams("TLabel", b, caption));
}

void TLabel::Paint(HDC dc) {
    RECT r;
    ::GetClientRect(Handle(), &r);
    std::string text = Caption();
    ScopedSelect f(dc, Font().Handle());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ColorToRGB(Font().color));
    UINT flags = (focusControl_ ? 0 : DT_NOPREFIX) | (wordWrap_ ? DT_WORDBREAK : 0) |
                 (align_ == TTextAlign::taCenter ? DT_CENTER : align_ == TTextAlign::taRight ? DT_RIGHT : DT_LEFT);
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
}

static bool IsMnemonic(const std::string& caption, char ch) {
    char m = MnemonicOf(caption);
    return m && std::toupper(static_cast<unsigned char>(m)) == std::toupper(static_cast<unsigned char>(ch));
}

bool TLabel::DialogChar(char ch) {
    if (!focusControl_ || !IsMnemonic(Caption(), ch)) return false;
    focusControl_->SetFocus();
    return true;
}

// --- edit ---

TEdit::TEdit(TControl* parent, TBounds b, const std::string& text) : TControl(parent) {
    TCreateParams p = ChildParams("EDIT", b, text);
    p.systemClass = true;
    p.unicode = true;
    p.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
    p.exStyle = WS_EX_CLIENTEDGE;
    CreateHandle(p);
}

bool TEdit::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_KEYUP && OnKeyUp) {
        if (!TControl::HandleMessage(msg, wp, lp, result)) result = DefaultHandler(msg, wp, lp);
        OnKeyUp(this, static_cast<WORD>(wp));
        return true;
    }
    return TControl::HandleMessage(msg, wp, lp, result);
}

void TEdit::CommandReflected(WORD code) {
    if (code == EN_CHANGE && OnChange) OnChange(this);
}

// --- push button ---

TButton::TButton(TControl* parent, TBounds b, const std::string& caption, bool isDefault, bool isCancel)
    : TControl(parent), default_(isDefault), cancel_(isCancel) {
    TCreateParams p = ChildParams("BUTTON", b, caption);
    p.systemClass = true;
    p.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    CreateHandle(p);
}

void TButton::CommandReflected(WORD code) {
    if (code == BN_CLICKED) Click();
}

void TButton::Click() {
    TControl::Click();
    if (ModalResult == 0) return;
    TControl* top = this;
    while (top->Parent()) top = top->Parent();
    if (auto* form = dynamic_cast<TForm*>(top)) form->SetModalResult(ModalResult);
}

bool TButton::DialogChar(char ch) {
    if (!Enabled() || !IsMnemonic(Caption(), ch)) return false;
    SetFocus();
    Click();
    return true;
}

bool TButton::DialogKey(UINT key, bool focused) {
    bool mine = key == VK_RETURN ? (focused || default_) : (key == VK_ESCAPE && cancel_ && !focused);
    if (!mine || !Enabled()) return false;
    Click();
    return true;
}

// --- check box ---

TCheckBox::TCheckBox(TControl* parent, TBounds b, const std::string& caption) : TControl(parent) {
    TCreateParams p = ChildParams("BUTTON", b, caption);
    p.systemClass = true;
    p.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
    CreateHandle(p);
}

bool TCheckBox::Checked() const { return ::SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TCheckBox::SetChecked(bool on) { ::SendMessageA(Handle(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

void TCheckBox::CommandReflected(WORD code) {
    if (code == BN_CLICKED) Click();
}

bool TCheckBox::DialogChar(char ch) {
    if (!Enabled() || !IsMnemonic(Caption(), ch)) return false;
    SetFocus();
    SetChecked(!Checked());
    Click();
    return true;
}

// --- group box and radio group ---

TGroupBox::TGroupBox(TControl* parent, TBounds b, const std::string& caption) : TControl(parent) {
    TCreateParams p = ChildParams("TGroupBox", b, caption);
    p.exStyle = WS_EX_CONTROLPARENT;
    CreateHandle(p);
}

void TGroupBox::Paint(HDC dc) {
    RECT r;
    ::GetClientRect(Handle(), &r);
    std::string text = Caption();
    ScopedSelect f(dc, Font().Handle());
    TEXTMETRICA tm{};
    ::GetTextMetricsA(dc, &tm);
    RECT frame = r;
    frame.top += tm.tmHeight / 2;
    ::DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    if (text.empty()) return;
    RECT label{Scale(8), 0, r.right - Scale(8), tm.tmHeight};
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &label, DT_CALCRECT | DT_SINGLELINE);
    ::InflateRect(&label, Scale(2), 0);
    PaintBackground(dc, label);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ColorToRGB(Font().color));
    ::InflateRect(&label, -Scale(2), 0);
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &label, DT_SINGLELINE);
}

TRadioButton::TRadioButton(TControl* parent, TBounds b, const std::string& caption, bool first)
    : TControl(parent) {
    TCreateParams p = ChildParams("BUTTON", b, caption);
    p.systemClass = true;
    p.style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (first ? WS_GROUP | WS_TABSTOP : 0);
    CreateHandle(p);
}

bool TRadioButton::Checked() const { return ::SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TRadioButton::SetChecked(bool on) { ::SendMessageA(Handle(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

TRadioGroup::TRadioGroup(TControl* parent, TBounds b, const std::string& caption,
                         const std::vector<std::string>& items)
    : TGroupBox(parent, b, caption) {
    if (items.empty()) return;
    // Items share the room below the caption evenly, in one column.
    int top = 16, step = std::max((b.height - top - 4) / static_cast<int>(items.size()), 1);
    for (size_t i = 0; i < items.size(); ++i) {
        TBounds place{8, top + step * static_cast<int>(i), b.width - 16, std::min(step, 17)};
        buttons_.push_back(Add<TRadioButton>({.place = place}, items[i], i == 0));
    }
}

int TRadioGroup::ItemIndex() const {
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i]->Checked()) return static_cast<int>(i);
    return -1;
}

void TRadioGroup::SetItemIndex(int index) {
    for (size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->SetChecked(static_cast<int>(i) == index);
}

// The items are the group's only children: once they are destroyed, none is left to reach.
void TRadioGroup::ChildrenChanged() {
    if (Controls().empty()) buttons_.clear();
}

// The caption's mnemonic moves the focus to the chosen item.
bool TRadioGroup::DialogChar(char ch) {
    if (buttons_.empty() || !IsMnemonic(Caption(), ch)) return false;
    int i = std::max(ItemIndex(), 0);
    buttons_[static_cast<size_t>(i)]->SetFocus();
    return true;
}

// --- bevel ---

TBevel::TBevel(TControl* parent, TBounds b) : TControl(parent) { CreateHandle(ChildParams("TBevel", b)); }

void TBevel::Paint(HDC dc) {
    RECT r;
    ::GetClientRect(Handle(), &r);
    Frame(dc, r, SysColor(COLOR_BTNSHADOW), SysColor(COLOR_BTNHIGHLIGHT));
}

// --- image ---

TImage::TImage(TControl* parent, TBounds b, bool stretch, bool transparent)
    : TControl(parent), stretch_(stretch), transparent_(transparent) {
    CreateHandle(ChildParams("TImage", b));
}

void TImage::Paint(HDC dc) {
    if (picture_.Empty()) return;
    RECT r;
    ::GetClientRect(Handle(), &r);
    if (!stretch_) r = {0, 0, Scale(picture_.Width()), Scale(picture_.Height())};  // its size is design pixels
    picture_.Draw(dc, r, transparent_);
}

}  // namespace tsb
