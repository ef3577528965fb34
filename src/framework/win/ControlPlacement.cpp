#include "framework/win/Control.h"

// Where controls are: places and sizes in design pixels, alignment and anchors, a new scale.
#include <algorithm>
#include <vector>

namespace tsb {

RECT TControl::WindowBounds() const {
    RECT r;
    ::GetWindowRect(hwnd_, &r);
    HWND parent = (::GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD) ? ::GetParent(hwnd_) : nullptr;
    if (parent) ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int TControl::Left() const { return Unscale(WindowBounds().left); }
int TControl::Top() const { return Unscale(WindowBounds().top); }
int TControl::Width() const { RECT r = WindowBounds(); return Unscale(r.right - r.left); }
int TControl::Height() const { RECT r = WindowBounds(); return Unscale(r.bottom - r.top); }
int TControl::ClientWidth() const { RECT r; ::GetClientRect(hwnd_, &r); return Unscale(r.right); }
int TControl::ClientHeight() const { RECT r; ::GetClientRect(hwnd_, &r); return Unscale(r.bottom); }

void TControl::SetBounds(int left, int top, int width, int height) {
    PlaceWindow(Scale(left), Scale(top), Scale(std::max(width, 0)), Scale(std::max(height, 0)));
}

void TControl::SetLeft(int v) {
    RECT r = WindowBounds();
    PlaceWindow(Scale(v), r.top, r.right - r.left, r.bottom - r.top);
}

void TControl::SetTop(int v) {
    RECT r = WindowBounds();
    PlaceWindow(r.left, Scale(v), r.right - r.left, r.bottom - r.top);
}

void TControl::SetWidth(int v) {
    RECT r = WindowBounds();
    PlaceWindow(r.left, r.top, Scale(std::max(v, 0)), r.bottom - r.top);
}

void TControl::SetHeight(int v) {
    RECT r = WindowBounds();
    PlaceWindow(r.left, r.top, r.right - r.left, Scale(std::max(v, 0)));
}

POINT TControl::ScreenPoint(int x, int y) const {
    POINT pt{Scale(x), Scale(y)};
    ::ClientToScreen(hwnd_, &pt);
    return pt;
}

void TControl::PlaceWindow(int left, int top, int width, int height) {
    ::SetWindowPos(hwnd_, nullptr, left, top, std::max(width, 0), std::max(height, 0), SWP_NOZORDER | SWP_NOACTIVATE);
    if (parent_ && !parent_->aligning_) {
        RecordAnchorMargins();
        if (align_ != TAlign::alNone) parent_->Realign();
    }
}

// A child's place and anchor margins in design pixels, read before the scale changes.
struct TControl::TDesignPlace {
    TControl* control;
    TBounds bounds;
    RECT margins;
};

void TControl::CollectDesignPlaces(std::vector<TDesignPlace>& places) {
    for (auto& c : children_) {
        RECT r = c->WindowBounds();
        const RECT& m = c->margins_;
        places.push_back({c.get(), {Unscale(r.left), Unscale(r.top), Unscale(r.right - r.left), Unscale(r.bottom - r.top)},
                          {Unscale(m.left), Unscale(m.top), Unscale(m.right), Unscale(m.bottom)}});
        c->CollectDesignPlaces(places);
    }
}

void TControl::ChangeScale(int dpi) {
    int oldDpi = ScaleDpi();
    std::vector<TDesignPlace> places;  // parents before their children
    CollectDesignPlaces(places);
    SetScaleDpi(dpi);
    for (const TDesignPlace& p : places) {
        TControl* c = p.control;
        if (!c->parent_->PlacesChildren()) {
            const TBounds& b = p.bounds;
            ::SetWindowPos(c->hwnd_, nullptr, Scale(b.left), Scale(b.top), Scale(b.width), Scale(b.height),
                           SWP_NOZORDER | SWP_NOACTIVATE);
        }
        c->margins_ = {Scale(p.margins.left), Scale(p.margins.top), Scale(p.margins.right), Scale(p.margins.bottom)};
    }
    // Fonts are cached by their height in window pixels: asking again gives the new ones.
    FontChanged();
    for (const TDesignPlace& p : places)
        if (p.control->font_) p.control->FontChanged();
    ScaleChanged(oldDpi);
    for (const TDesignPlace& p : places) p.control->ScaleChanged(oldDpi);
    Realign();
    for (const TDesignPlace& p : places) p.control->Realign();
    ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TControl::SetAlign(TAlign a) {
    align_ = a;
    if (parent_) parent_->Realign();
}

void TControl::SetAnchors(unsigned a) {
    anchors_ = a;
    if (parent_) RecordAnchorMargins();
}

void TControl::RecordAnchorMargins() {
    RECT r = WindowBounds(), client;
    ::GetClientRect(parent_->hwnd_, &client);
    margins_ = {r.left, r.top, client.right - r.right, client.bottom - r.bottom};
}

RECT TControl::AlignArea() const {
    RECT r;
    ::GetClientRect(hwnd_, &r);
    return r;
}

void TControl::Realign() {
    if (aligning_ || !hwnd_) return;
    aligning_ = true;
    // In window pixels throughout: no rounding between the children of one parent.
    RECT area = AlignArea();
    auto place = [&](TAlign which) {
        for (auto& c : children_) {
            if (c->align_ != which || !c->Visible()) continue;
            RECT b = c->WindowBounds();
            int w = b.right - b.left, h = b.bottom - b.top;
            switch (which) {
                case TAlign::alTop: c->PlaceWindow(area.left, area.top, area.right - area.left, h); area.top += h; break;
                case TAlign::alBottom: area.bottom -= h; c->PlaceWindow(area.left, area.bottom, area.right - area.left, h); break;
                case TAlign::alLeft: c->PlaceWindow(area.left, area.top, w, area.bottom - area.top); area.left += w; break;
                case TAlign::alRight: area.right -= w; c->PlaceWindow(area.right, area.top, w, area.bottom - area.top); break;
                case TAlign::alClient: c->PlaceWindow(area.left, area.top, area.right - area.left, area.bottom - area.top); break;
                default: break;
            }
        }
    };
    for (TAlign a : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) place(a);
    RECT client;
    ::GetClientRect(hwnd_, &client);
    int pw = client.right, ph = client.bottom;
    for (auto& c : children_) {
        unsigned k = c->anchors_;
        if (c->align_ != TAlign::alNone || k == (akLeft | akTop)) continue;
        const RECT& m = c->margins_;
        RECT b = c->WindowBounds();
        int w = b.right - b.left, h = b.bottom - b.top, l = m.left, t = m.top;
        if ((k & akLeft) && (k & akRight)) w = pw - m.left - m.right;
        else if (k & akRight) l = pw - m.right - w;
        if ((k & akTop) && (k & akBottom)) h = ph - m.top - m.bottom;
        else if (k & akBottom) t = ph - m.bottom - h;
        c->PlaceWindow(l, t, w, h);
    }
    aligning_ = false;
}

}  // namespace tsb
