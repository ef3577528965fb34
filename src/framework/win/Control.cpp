#include "framework/win/Control.h"

#include <algorithm>
#include <set>

#include "framework/win/Application.h"
#include "framework/win/Convert.h"
#include "framework/win/Errors.h"
#include "framework/win/ScopedWin.h"

namespace tsb {

void EnsureWindowClass(const char* className, UINT classStyle, WNDPROC proc) {
    static std::set<std::string> registered;
    if (!registered.insert(className).second) return;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = className;
    if (!::RegisterClassExA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        RaiseLastOSError(std::string("RegisterClass ") + className);
}

// Our windows carry their control in a property: a subclass (the tooltip's, say) replaces the
// window procedure but leaves properties alone.
static const char* const ControlProperty = "TsbControl";

static void Attach(HWND h, TControl* control) {
    ::SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
    ::SetPropA(h, ControlProperty, control);
}

static void Detach(HWND h) {
    ::SetWindowLongPtrA(h, GWLP_USERDATA, 0);
    ::RemovePropA(h, ControlProperty);
}

TControl::TControl(TControl* parent) : parent_(parent) {}

namespace {

// The one press of the left button under way in the process, and the scroller it may drag.
struct TPress {
    TControl* control = nullptr;
    TDragScrolling* scroller = nullptr;
    bool dragged = false;
};
TPress press;

// Where the pointer was for the message being handled: from the screen, as a pressed button
// scrolled far out of view keeps the capture and its own coordinates may pass 16 bits.
POINT PointOnScreen() {
    DWORD at = ::GetMessagePos();
    return {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
}

// Ends the press of control, if it is the one under way; true when it was a drag.
bool EndPress(const TControl* control, bool cancelled) {
    if (press.control != control) return false;
    TDragScrolling* scroller = press.scroller;
    bool dragged = press.dragged;
    press = {};
    if (scroller && scroller->PressEnded(PointOnScreen(), cancelled)) dragged = true;
    return dragged;
}

}  // namespace

TDragScrolling::~TDragScrolling() {
    if (press.scroller == this) press.scroller = nullptr;
}

TControl::~TControl() {
    EndPress(this, true);
    while (!children_.empty()) children_.pop_back();
    if (hwnd_) {
        if (hintTool_) Application().RemoveToolTip(hwnd_);
        HWND h = hwnd_;
        Forget();
        ::DestroyWindow(h);
    }
}

void TControl::Forget() {
    Detach(hwnd_);
    if (subclassed_) ::RemoveWindowSubclass(hwnd_, &TControl::SubclassProc, 0);
    subclassed_ = false;
    hwnd_ = nullptr;
}

TControl* TControl::FromHandle(HWND hwnd) {
    // Another program's window may carry a property of that name too.
    DWORD process = 0;
    if (!hwnd || !::GetWindowThreadProcessId(hwnd, &process) || process != ::GetCurrentProcessId()) return nullptr;
    return static_cast<TControl*>(::GetPropA(hwnd, ControlProperty));
}

void TControl::CreateHandle(const TCreateParams& p) {
    HWND parentWnd = parent_ ? parent_->Handle() : p.owner;
    HINSTANCE inst = ::GetModuleHandleA(nullptr);
    if (!p.systemClass) EnsureWindowClass(p.className, p.classStyle, &TControl::WindowProc);
    // A UTF-16 window keeps characters the ANSI code page cannot carry one per message.
    HWND h = p.systemClass && p.unicode
                 ? ::CreateWindowExW(p.exStyle, AnsiToWide(p.className).c_str(), AnsiToWide(p.text).c_str(), p.style,
                                     Scale(p.left), Scale(p.top), Scale(p.width), Scale(p.height), parentWnd, nullptr,
                                     inst, nullptr)
                 : ::CreateWindowExA(p.exStyle, p.className, p.text.c_str(), p.style, Scale(p.left), Scale(p.top),
                                     Scale(p.width), Scale(p.height), parentWnd, nullptr, inst,
                                     p.systemClass ? nullptr : this);
    if (!h) RaiseLastOSError(std::string("CreateWindow ") + p.className);
    if (p.systemClass) {
        hwnd_ = h;
        Attach(h, this);
        if (!::SetWindowSubclass(h, &TControl::SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this))) {
            Forget();
            ::DestroyWindow(h);
            throw EError(std::string("The window of class ") + p.className + " could not be subclassed");
        }
        subclassed_ = true;
    }
    if (parent_) RecordAnchorMargins();
    ApplyFontToWindow();
}

LRESULT CALLBACK TControl::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TControl*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self && msg == WM_NCCREATE) {
        self = static_cast<TControl*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        if (self) {
            self->hwnd_ = hwnd;
            Attach(hwnd, self);
        }
    }
    if (!self) return ::DefWindowProcA(hwnd, msg, wp, lp);
    return self->Dispatch(msg, wp, lp);
}

// The system's subclasses take messages in their UTF-16 form, whichever form the window was
// made in; the default procedure hands them on in the form the class expects.
LRESULT CALLBACK TControl::SubclassProc(HWND, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR control) {
    return reinterpret_cast<TControl*>(control)->Dispatch(msg, wp, lp);
}

LRESULT TControl::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    ++dispatchDepth_;
    LRESULT result = 0;
    Application().Barrier([&] {
        // Plumbing every control needs, whatever its own handling of the message.
        if (msg == WM_MOUSEMOVE) AddHintTool(lp);
        if (msg == WM_SETFOCUS)
            for (TControl *child = this, *p = parent_; p; child = p, p = p->parent_) p->ChildFocused(child);
        if (!HandleMessage(msg, wp, lp, result)) result = DefaultHandler(msg, wp, lp);
    });
    --dispatchDepth_;
    if (msg == WM_NCDESTROY) Forget();
    return result;
}

LRESULT TControl::DefaultHandler(UINT msg, WPARAM wp, LPARAM lp) {
    if (subclassed_) return ::DefSubclassProc(hwnd_, msg, wp, lp);
    return ::DefWindowProcA(hwnd_, msg, wp, lp);
}

bool TControl::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_SIZE:
            Realign();
            Resized();
            return false;
        case WM_ERASEBKGND:
            if (subclassed_) return false;
            EraseBackground(reinterpret_cast<HDC>(wp));
            result = 1;
            return true;
        case WM_PAINT:
            if (subclassed_) return false;
            {
                ScopedPaint paint(hwnd_);
                Paint(paint.get());
            }
            return true;
        case WM_SETCURSOR:
            if (!SetCursorFor(lp)) return false;
            result = TRUE;
            return true;
        case WM_ENTERIDLE:  // a menu or a dialog of the system waits for messages
            Application().Idle();
            return false;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            FocusChanged(msg == WM_SETFOCUS);
            return false;
        case WM_ENABLE:
            EnabledChanged();
            return false;
        case WM_SETTEXT:
            result = DefaultHandler(msg, wp, lp);
            TextChanged();
            return true;
        case WM_KEYDOWN:
            return KeyDown(static_cast<WORD>(wp), (lp & 0x40000000) != 0);
        case WM_KEYUP:
            return KeyUp(static_cast<WORD>(wp));
        case WM_MOUSEMOVE:
            if (wp & MK_LBUTTON) PressMove();
            return false;
        case WM_CAPTURECHANGED:
            EndPress(this, true);
            return false;
        default:
            return Reflected(msg, wp, lp, result) || MouseButton(msg, wp, lp);
    }
}

// Notifications come to the parent: the control they are from handles them.
bool TControl::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(lp);
        TControl* from = FromHandle(hdr->hwndFrom);
        return from && from->NotifyReflected(hdr, result);
    }
    if (msg != WM_COMMAND || !lp) return false;
    TControl* from = FromHandle(reinterpret_cast<HWND>(lp));
    if (!from) return false;
    from->CommandReflected(HIWORD(wp));
    return true;
}

void TControl::EraseBackground(HDC dc) {
    if (PaintsBackground()) return;
    RECT r;
    ::GetClientRect(hwnd_, &r);
    PaintBackground(dc, r);
}

bool TControl::SetCursorFor(LPARAM hitTest) {
    if (LOWORD(hitTest) != HTCLIENT) return false;
    HCURSOR c = Application().ScreenCursor();
    if (!c) c = cursor_;
    if (!c) return false;
    ::SetCursor(c);
    return true;
}

// Pages make thousands of controls: a hint's tooltip tool is made once the mouse came over it,
// and handed that first move.
void TControl::AddHintTool(LPARAM at) {
    if (hintTool_ || hint_.empty()) return;
    hintTool_ = true;
    MSG move{hwnd_, WM_MOUSEMOVE, 0, at, static_cast<DWORD>(::GetMessageTime()), {}};
    ::GetCursorPos(&move.pt);
    Application().AddToolTip(hwnd_, hint_, move);
}

bool TControl::MouseButton(UINT msg, WPARAM wp, LPARAM lp) {
    TMouseButton b;
    bool down;
    switch (msg) {
        case WM_LBUTTONDOWN: b = TMouseButton::mbLeft, down = true; break;
        case WM_RBUTTONDOWN: b = TMouseButton::mbRight, down = true; break;
        case WM_MBUTTONDOWN: b = TMouseButton::mbMiddle, down = true; break;
        case WM_LBUTTONUP: b = TMouseButton::mbLeft, down = false; break;
        case WM_RBUTTONUP: b = TMouseButton::mbRight, down = false; break;
        case WM_MBUTTONUP: b = TMouseButton::mbMiddle, down = false; break;
        case WM_LBUTTONDBLCLK:
            if (!DoubleClickIsPress()) return false;
            b = TMouseButton::mbLeft, down = true;
            break;
        default: return false;
    }
    auto shift = static_cast<TShiftState>(wp);
    POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    return down ? MouseDown(b, shift, at) : MouseUp(b, shift, at);
}

// Own classes click on a left release over the control, like push buttons, unless the press
// became a drag of what scrolls them.
bool TControl::MouseDown(TMouseButton b, TShiftState shift, POINT at) {
    if (OnMouseDown) OnMouseDown(this, b, shift, Unscale(at.x), Unscale(at.y));
    if (subclassed_ || b != TMouseButton::mbLeft) return false;
    ::SetCapture(hwnd_);
    TDragScrolling* scroller = nullptr;
    for (TControl* c = this; c && !scroller; c = c->parent_) scroller = c->DragScroller();
    press = {this, scroller, false};
    if (scroller) scroller->PressBegan(PointOnScreen());
    return false;
}

bool TControl::MouseUp(TMouseButton b, TShiftState shift, POINT at) {
    if (OnMouseUp) OnMouseUp(this, b, shift, Unscale(at.x), Unscale(at.y));
    if (subclassed_ || b != TMouseButton::mbLeft || ::GetCapture() != hwnd_) return false;
    bool dragged = EndPress(this, false);  // before the capture goes, which would cancel it
    ::ReleaseCapture();
    RECT r;
    ::GetClientRect(hwnd_, &r);
    if (!dragged && ::PtInRect(&r, at)) Click();
    return false;
}

void TControl::PressMove() {
    if (press.control != this || !press.scroller || !press.scroller->PressMoved(PointOnScreen())) return;
    if (press.dragged) return;
    press.dragged = true;
    PressBecameDrag();
}

void ApplyControlParams(TControl& control, const TControlParams& p) {
    if (p.font) control.SetFont(*p.font);
    if (p.color) control.SetColor(*p.color);
    if (p.align != TAlign::alNone) control.SetAlign(p.align);
    if (p.anchors != (akLeft | akTop)) control.SetAnchors(p.anchors);
    if (!p.enabled) control.SetEnabled(false);
    if (!p.visible) control.Hide();
    if (p.onClick) control.OnClick = p.onClick;
}

void TControl::PaintBackground(HDC dc, const RECT& r) const {
    unique_hbrush brush(::CreateSolidBrush(ColorToRGB(Color())));
    ::FillRect(dc, &r, brush.get());
}

void TControl::AdoptChild(std::unique_ptr<TControl> child) {
    children_.push_back(std::move(child));
    if (children_.back()->align_ != TAlign::alNone) Realign();
    ChildrenChanged();
}

bool TControl::Busy() const {
    if (dispatchDepth_ > 0) return true;
    for (const auto& child : children_)
        if (child->Busy()) return true;
    return false;
}

void TControl::DestroyControls() {
    // The children leave the list first and the owner hears of it, so that nothing it keeps
    // about them (places, focus) can be read while they are being destroyed.
    std::vector<std::unique_ptr<TControl>> leaving = std::move(children_);
    children_.clear();
    ChildrenChanged();
    while (!leaving.empty()) {
        std::unique_ptr<TControl> child = std::move(leaving.back());
        leaving.pop_back();
        // A control whose own handler is still running dies when that handler has returned.
        if (child->Busy()) Application().DeferDestruction(std::move(child));
    }
}

bool TControl::Visible() const { return (::GetWindowLongA(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }

void TControl::SetVisible(bool v) {
    if (Visible() == v) return;
    ::ShowWindow(hwnd_, v ? SW_SHOWNA : SW_HIDE);
    if (parent_ && align_ != TAlign::alNone) parent_->Realign();
}

bool TControl::Enabled() const { return ::IsWindowEnabled(hwnd_) != FALSE; }
void TControl::SetEnabled(bool v) { ::EnableWindow(hwnd_, v); }

std::string TControl::Caption() const {
    int n = ::GetWindowTextLengthA(hwnd_);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = ::GetWindowTextA(hwnd_, s.data(), n + 1);
    s.resize(static_cast<size_t>(std::max(n, 0)));
    return s;
}

void TControl::SetCaption(const std::string& text) {
    if (Caption() == text) return;
    ::SetWindowTextA(hwnd_, text.c_str());
    Invalidate();
}

void TControl::SetHint(const std::string& hint) {
    hint_ = hint;
    if (!hintTool_) return;
    if (hint_.empty()) {
        Application().RemoveToolTip(hwnd_);
        hintTool_ = false;
    } else {
        Application().UpdateToolTip(hwnd_, hint_);
    }
}

const TFont& TControl::Font() const {
    static const TFont defaultFont;
    if (font_) return *font_;
    return parent_ ? parent_->Font() : defaultFont;
}

void TControl::SetFont(const TFont& f) {
    font_ = f;
    FontChanged();
}

void TControl::FontChanged() {
    ApplyFontToWindow();
    Invalidate();
    for (auto& c : children_)
        if (!c->font_) c->FontChanged();
}

void TControl::ApplyFontToWindow() {
    if (hwnd_) ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
}

TColor TControl::Color() const {
    if (color_) return *color_;
    return parent_ ? parent_->Color() : SysColor(COLOR_BTNFACE);
}

void TControl::SetColor(TColor c) {
    color_ = c;
    ColorChanged();
    for (auto& child : children_)
        if (!child->color_) child->ColorChanged();
}

void TControl::Invalidate(bool erase) {
    // A window that cannot be seen is painted whole when it appears; asking costs a trip to the
    // window server per setter, thousands of times while a page is built with drawing off.
    if (hwnd_ && ::IsWindowVisible(hwnd_)) ::InvalidateRect(hwnd_, nullptr, erase);
}

void TControl::Repaint() {
    Invalidate();
    if (hwnd_) ::UpdateWindow(hwnd_);
}

void TControl::SetFocus() { ::SetFocus(hwnd_); }

void TControl::BringToFront() { ::SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); }

}  // namespace tsb
