#include "framework/win/Scrolling.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>

#include "framework/win/Errors.h"
#include "framework/win/Graphics.h"
#include "framework/win/Messages.h"

namespace tsb {

// --- scroll box ---

namespace {
constexpr int ScrollLine = 16;

// Not while a mouse button is down: a click must not move what it is clicking.
bool MouseButtonDown() {
    for (int key : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON})
        if (::GetKeyState(key) < 0) return true;
    return false;
}

constexpr UINT_PTR FlingTimer = 1;
constexpr UINT FlingIntervalMs = 15;

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// When the input being handled was made (the message's time, unwrapped): moves that queued up
// while the page was busy keep their own pace.
std::int64_t InputMs() {
    static std::int64_t last = 0;
    static bool started = false;
    auto now = static_cast<DWORD>(::GetMessageTime());
    if (!started) last = now, started = true;
    last += static_cast<std::int32_t>(now - static_cast<DWORD>(last));
    return last;
}

// What user32 offers by name: touch gestures came with later systems, metrics per scale later still.
template <class Fn>
Fn User32(const char* name) {
    HMODULE user = ::GetModuleHandleA("user32.dll");
    return user ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(user, name))) : nullptr;
}

// A press, with the system's drag rectangle in window pixels at the scale of the moment.
TDragGesture NewGesture() {
    using ForDpiFn = int(WINAPI*)(int, UINT);
    static const ForDpiFn forDpi = User32<ForDpiFn>("GetSystemMetricsForDpi");
    const auto dpi = static_cast<UINT>(ScaleDpi());
    if (forDpi) return TDragGesture(forDpi(SM_CXDRAG, dpi), forDpi(SM_CYDRAG, dpi));
    return TDragGesture(DragThreshold(::GetSystemMetrics(SM_CXDRAG), ScaleDpi()),
                        DragThreshold(::GetSystemMetrics(SM_CYDRAG), ScaleDpi()));
}

// Where a new child's window was made, in its parent's client coordinates, window pixels.
RECT WindowRectInParent(const TControl& child) {
    RECT r;
    ::GetWindowRect(child.Handle(), &r);
    ::MapWindowPoints(nullptr, ::GetParent(child.Handle()), reinterpret_cast<POINT*>(&r), 2);
    return r;
}
}  // namespace

TScrollBox::TScrollBox(TControl* parent, TBounds b) : TControl(parent) {
    TCreateParams p = ChildParams("TScrollBox", b);
    p.style |= WS_VSCROLL | WS_TABSTOP;
    p.exStyle = WS_EX_CONTROLPARENT;
    CreateHandle(p);
}

int TScrollBox::ViewHeight() const {
    RECT client;
    ::GetClientRect(Handle(), &client);
    return client.bottom;
}

void TScrollBox::Place(TControl* child, TBounds b) {
    places_.Set(child, b, pos_, ViewHeight());
    UpdateRange();
}

void TScrollBox::PlaceChild(TControl* child, int left, int top, int width, int height) {
    if (!places_.Has(child)) throw EError("Control is not a child of the scroll box");
    Place(child, TBounds{left, top, width, height});
}

void TScrollBox::UpdateRange() {
    if (rangePending_) return;
    rangePending_ = true;
    ::PostMessageA(Handle(), WM_TSB_UPDATERANGE, 0, 0);
}

void TScrollBox::Resized() {
    places_.PlaceWindows(pos_, ViewHeight());
    UpdateRange();
}

void TScrollBox::ScaleChanged(int oldDpi) {
    pos_ = ::MulDiv(pos_, ScaleDpi(), oldDpi);  // the same place of the page stays in view
    places_.Rescaled();
    places_.PlaceWindows(pos_, ViewHeight());
    UpdateRange();
}

void TScrollBox::ChildrenChanged() {
    StopFling();  // what it was moving is another page now
    const auto& children = Controls();
    if (children.empty()) {  // new children are placed from the top again
        places_.Clear();
        if (pos_ != 0) {
            pos_ = 0;
            SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, 0, 0};
            ::SetScrollInfo(Handle(), SB_VERT, &si, FALSE);
        }
    } else if (TControl* added = children.back().get(); !places_.Has(added)) {
        // Until it is placed, a new child stays where its window was made, in the view.
        RECT r = WindowRectInParent(*added);
        Place(added, TBounds{added->Left(), Unscale(r.top + pos_), added->Width(), added->Height()});
    }
    UpdateRange();
}

void TScrollBox::ChildFocused(TControl* child) {
    if (!MouseButtonDown()) ScrollInView(child);
}

void TScrollBox::SetScrollPos(int pos) {
    StopFling();
    ScrollToPixel(Scale(pos));
}

void TScrollBox::ScrollInView(const TControl* child) {
    StopFling();  // the keys take over
    TBounds b = ChildPlace(child);
    int view = ViewHeight(), top = places_.Start(b), bottom = top + places_.Length(b);
    if (top < pos_) ScrollToPixel(top);
    else if (bottom > pos_ + view) ScrollToPixel(std::min(top, bottom - view));
}

void TScrollBox::ApplyRange() {
    rangePending_ = false;
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, std::max(places_.End() - 1, 0),
                  static_cast<UINT>(ViewHeight()), 0, 0};
    ::SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
    ScrollToPixel(pos_);  // the range may have shrunk below the view
}

void TScrollBox::ScrollToPixel(int pos) {
    if (rangePending_) ApplyRange();  // what is asked for is within the children placed by now
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    ::GetScrollInfo(Handle(), SB_VERT, &si);
    int maxPos = std::max(0, si.nMax - static_cast<int>(si.nPage) + 1);
    pos = std::clamp(pos, 0, maxPos);
    if (pos == pos_) return;
    pos_ = pos;
    places_.PlaceWindows(pos_, ViewHeight());
    si.fMask = SIF_POS;
    si.nPos = pos_;
    ::SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
}

void TScrollBox::OnScroll(WORD code) {
    StopFling();  // the scroll bar, the wheel and the keys take over
    if (rangePending_) ApplyRange();
    // The position from the scroll bar itself: the message's own is 16 bits.
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    ::GetScrollInfo(Handle(), SB_VERT, &si);
    int line = Scale(ScrollLine), page = static_cast<int>(si.nPage);
    switch (code) {
        case SB_LINEUP: ScrollToPixel(pos_ - line); break;
        case SB_LINEDOWN: ScrollToPixel(pos_ + line); break;
        case SB_PAGEUP: ScrollToPixel(pos_ - page); break;
        case SB_PAGEDOWN: ScrollToPixel(pos_ + page); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: ScrollToPixel(si.nTrackPos); break;
        case SB_TOP: ScrollToPixel(0); break;
        case SB_BOTTOM: ScrollToPixel(si.nMax); break;
        default: break;
    }
}

bool TScrollBox::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_TSB_UPDATERANGE:
            if (rangePending_) ApplyRange();
            return true;
        case WM_VSCROLL:
            OnScroll(LOWORD(wp));
            return true;
        case WM_TIMER:
            if (wp != FlingTimer) return false;
            FlingStep();
            return true;
        case WM_GESTURE:
            // A pan from a button in the box reaches here too: unhandled, gestures go to the parent.
            if (wp != GID_PAN || !Pan(reinterpret_cast<HGESTUREINFO>(lp))) return false;
            result = 0;
            return true;
        case WM_MOUSEWHEEL: {
            bool handled = false;
            POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            if (OnMouseWheel)
                OnMouseWheel(this, static_cast<TShiftState>(LOWORD(wp)), static_cast<short>(HIWORD(wp)), at, handled);
            return handled;  // else on to the parent
        }
        default:
            return TControl::HandleMessage(msg, wp, lp, result);
    }
}

void TScrollBox::PressBegan(POINT screen) {
    StopFling();
    panned_ = false;
    drag_ = NewGesture();
    drag_.Press(screen.x, screen.y, InputMs());
}

bool TScrollBox::PressMoved(POINT screen) {
    if (int by = drag_.Move(screen.x, screen.y, InputMs())) ScrollToPixel(pos_ + by);
    return drag_.Dragging();
}

bool TScrollBox::PressEnded(POINT screen, bool cancelled) {
    if (drag_.Pressed() && !cancelled) PressMoved(screen);
    bool dragged = drag_.Dragging() || panned_;
    panned_ = false;
    if (cancelled) {
        drag_.Cancel();
        return dragged;
    }
    fling_.Start(drag_.Release(InputMs()));
    if (fling_.Active()) {
        flingAt_ = NowMs();
        ::SetTimer(Handle(), FlingTimer, FlingIntervalMs, nullptr);
    }
    return dragged;
}

void TScrollBox::FlingStep() {
    std::int64_t now = NowMs();
    int by = fling_.Step(static_cast<double>(now - flingAt_));
    flingAt_ = now;
    int was = pos_;
    if (by != 0) ScrollToPixel(pos_ + by);
    // At rest, or against the first or last row.
    if (!fling_.Active() || (by != 0 && pos_ == was)) StopFling();
}

// Also once the fling has slowed to rest by itself: its timer goes with it.
void TScrollBox::StopFling() {
    fling_.Stop();
    ::KillTimer(Handle(), FlingTimer);
}

bool TScrollBox::Pan(HGESTUREINFO info) {
    using InfoFn = BOOL(WINAPI*)(HGESTUREINFO, PGESTUREINFO);
    using CloseFn = BOOL(WINAPI*)(HGESTUREINFO);
    static const InfoFn getInfo = User32<InfoFn>("GetGestureInfo");
    static const CloseFn close = User32<CloseFn>("CloseGestureInfoHandle");
    GESTUREINFO gi{};
    gi.cbSize = sizeof gi;
    if (!getInfo || !close || !getInfo(info, &gi)) return false;
    // Positions on the screen; the system's own inertia goes on sending them after the finger lifts.
    if (gi.dwFlags & GF_BEGIN) {
        StopFling();
        panned_ = true;  // a press the system also gave as the mouse's is a drag: it clicks nothing
    } else {
        ScrollToPixel(pos_ - (gi.ptsLocation.y - panY_));
    }
    panY_ = gi.ptsLocation.y;
    close(info);
    return true;
}

// --- page scroller ---

TPageScroller::TPageScroller(TControl* parent, TBounds b) : TControl(parent) {
    TCreateParams p = ChildParams(WC_PAGESCROLLERA, b);
    p.systemClass = true;
    p.style = WS_CHILD | WS_VISIBLE | PGS_HORZ;
    CreateHandle(p);
    ::SendMessageA(Handle(), PGM_SETBUTTONSIZE, 0, Scale(26));
}

void TPageScroller::ScaleChanged(int) {
    ::SendMessageA(Handle(), PGM_SETBUTTONSIZE, 0, Scale(26));
    ::SendMessageA(Handle(), PGM_RECALCSIZE, 0, 0);
}

void TPageScroller::SetChild(TControl* child) {
    child_ = child;
    contentWidth_ = child->Width();
    ::SendMessageA(Handle(), PGM_SETCHILD, 0, reinterpret_cast<LPARAM>(child->Handle()));
}

void TPageScroller::SetContentWidth(int width) {
    contentWidth_ = width;
    if (child_) child_->SetWidth(width);
    ::SendMessageA(Handle(), PGM_RECALCSIZE, 0, 0);
}

void TPageScroller::ScrollToStart() { SetScrollPos(0); }

int TPageScroller::ScrollPos() const { return static_cast<int>(::SendMessageA(Handle(), PGM_GETPOS, 0, 0)); }

void TPageScroller::SetScrollPos(int pixels) { ::SendMessageA(Handle(), PGM_SETPOS, 0, pixels); }

bool TPageScroller::NotifyReflected(NMHDR* hdr, LRESULT& result) {
    if (hdr->code != PGN_CALCSIZE || !child_) return false;
    auto* calc = reinterpret_cast<NMPGCALCSIZE*>(hdr);
    if (calc->dwFlag == PGF_CALCWIDTH) calc->iWidth = Scale(contentWidth_);
    if (calc->dwFlag == PGF_CALCHEIGHT) {
        RECT r;
        ::GetWindowRect(child_->Handle(), &r);
        calc->iHeight = r.bottom - r.top;
    }
    result = 0;
    return true;
}

// --- page strip ---

TPageStrip::TPageStrip(TControl* parent, TBounds b)
    : TPanel(parent, b, TBevelCut::bvNone), scroller_(dynamic_cast<TPageScroller*>(parent)) {
    if (!scroller_) throw EError("A page strip belongs in a page scroller");
}

int TPageStrip::ViewWidth() const {
    RECT client;
    ::GetClientRect(scroller_->Handle(), &client);
    return client.right;
}

// The arrows come and go with the position: children are placed for the widest view there is.
int TPageStrip::BandWidth() const {
    RECT r;
    ::GetWindowRect(scroller_->Handle(), &r);
    return r.right - r.left;
}

void TPageStrip::PlaceChild(TControl* child, int left, int top, int width, int height) {
    if (!places_.Has(child)) throw EError("Control is not a child of the strip");
    places_.Set(child, TBounds{left, top, width, height}, pos_, BandWidth());
}

// The scroller moves its child to minus its position and sizes it to the whole content, both
// clamped to a window coordinate: the strip stays over the view instead, and moves its children.
bool TPageStrip::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg != WM_WINDOWPOSCHANGING) return TPanel::HandleMessage(msg, wp, lp, result);
    auto* wpos = reinterpret_cast<WINDOWPOS*>(lp);
    RECT now = WindowRectInParent(*this);
    if (wpos->flags & SWP_NOMOVE) wpos->y = now.top;
    if (wpos->flags & SWP_NOSIZE) wpos->cy = now.bottom - now.top;
    wpos->x = 0;
    wpos->cx = ViewWidth();
    wpos->flags &= ~static_cast<UINT>(SWP_NOMOVE | SWP_NOSIZE);
    if (int pos = scroller_->ScrollPos(), band = BandWidth(); pos != pos_ || band != band_) {
        pos_ = pos;
        band_ = band;
        places_.PlaceWindows(pos_, band_);
    }
    result = 0;
    return true;
}

void TPageStrip::ScaleChanged(int) {
    pos_ = scroller_->ScrollPos();
    band_ = BandWidth();
    places_.Rescaled();
    places_.PlaceWindows(pos_, band_);
}

void TPageStrip::ChildrenChanged() {
    const auto& children = Controls();
    if (children.empty()) {
        places_.Clear();
    } else if (TControl* added = children.back().get(); !places_.Has(added)) {
        // Until it is placed, a new child stays where its window was made, in the view.
        RECT r = WindowRectInParent(*added);
        places_.Set(added, TBounds{Unscale(r.left + pos_), added->Top(), added->Width(), added->Height()}, pos_,
                    BandWidth());
    }
}

void TPageStrip::ChildFocused(TControl* child) {
    if (MouseButtonDown()) return;
    TBounds b = ChildPlace(child);
    int left = places_.Start(b), right = left + places_.Length(b);
    // Twice: the scroller's arrows come or go with the first move, and the view with them.
    for (int pass = 0; pass < 2; ++pass) {
        int view = ViewWidth();
        if (left < pos_) scroller_->SetScrollPos(left);
        else if (right > pos_ + view) scroller_->SetScrollPos(std::min(left, right - view));
    }
}

}  // namespace tsb
