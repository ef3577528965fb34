#pragma once
// The containers that scroll what they hold: the page's box of buttons (by its scroll bar, the
// wheel, the keys and a drag of the content) and the strip of sub-page buttons.
#include <cstdint>
#include <functional>

#include "framework/core/DragScroll.h"
#include "framework/win/Control.h"
#include "framework/win/PagePlaces.h"
#include "framework/win/StdCtrls.h"

namespace tsb {

using TMouseWheelEvent = std::function<void(TControl* sender, TShiftState, int delta, POINT screenPos, bool& handled)>;

// A box whose children scroll vertically; its range follows the children. A child's place is
// kept in page coordinates (TPagePlaces), so a page of any size scrolls and costs only what is
// on show.
// (TDragScrolling comes after TControl: its end, which forgets a press under way, runs before
// TControl's destroys the children that may hold it.)
class TScrollBox : public TControl, public TDragScrolling {
public:
    TScrollBox(TControl* parent, TBounds b);
    // Places and scroll positions are in design pixels, like every size the framework takes.
    void PlaceChild(TControl* child, int left, int top, int width, int height);
    TBounds ChildPlace(const TControl* child) const { return places_.Place(child); }
    int ScrollPos() const { return Unscale(pos_); }
    void SetScrollPos(int pos);  // clamped to the range
    void ScrollInView(const TControl* child);
    void UpdateRange();  // coalesced: posts itself once

    // The wheel over the box or a child of it (the system passes it up from the focused one).
    TMouseWheelEvent OnMouseWheel;

protected:
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void Resized() override;
    void ChildrenChanged() override;
    void ChildFocused(TControl* child) override;
    void ScaleChanged(int oldDpi) override;
    bool PlacesChildren() const override { return true; }
    // A press on the box or on a button in it, dragged, scrolls the page with the pointer; a
    // drag released while moving flings on. A touch pan (the system's gesture) scrolls the same.
    TDragScrolling* DragScroller() override { return this; }
    bool DoubleClickIsPress() const override { return true; }  // quick swipes in a row
    void PressBegan(POINT screen) override;
    bool PressMoved(POINT screen) override;
    bool PressEnded(POINT screen, bool cancelled) override;

private:
    void Place(TControl* child, TBounds b);
    void FlingStep();
    void StopFling();
    bool Pan(HGESTUREINFO info);
    void ApplyRange();
    void ScrollToPixel(int pos);
    void OnScroll(WORD code);
    int ViewHeight() const;  // window pixels

    TPagePlaces places_{TPagePlaces::TAxis::axVertical};
    int pos_ = 0;  // window pixels, like the scroll bar
    bool rangePending_ = false;
    TDragGesture drag_;
    TFling fling_;
    std::int64_t flingAt_ = 0;  // ms of the fling's last step
    int panY_ = 0;              // where a touch pan was at its last message, screen pixels
    bool panned_ = false;       // a touch pan moved the page since the last press began
};

// The common-controls pager with one scrolled child.
class TPageScroller : public TControl {
public:
    TPageScroller(TControl* parent, TBounds b);
    void SetChild(TControl* child);
    // The width the child needs; the pager itself stretches a narrower child to its own width.
    void SetContentWidth(int width);
    int ContentWidth() const { return contentWidth_; }
    void ScrollToStart();
    int ScrollPos() const;         // window pixels, as the pager keeps it
    void SetScrollPos(int pixels);  // clamped by the pager

protected:
    bool NotifyReflected(NMHDR* hdr, LRESULT& result) override;
    void ScaleChanged(int oldDpi) override;

private:
    TControl* child_ = nullptr;
    int contentWidth_ = 0;
};

// The content of a page scroller that may be wider than a window coordinate reaches: its
// children keep their places in page coordinates along the strip (design pixels), its window
// stays as wide as the view, and the children near the view are placed relative to the
// scroller's position.
class TPageStrip : public TPanel {
public:
    TPageStrip(TControl* parent, TBounds b);  // parent: a TPageScroller
    void PlaceChild(TControl* child, int left, int top, int width, int height);
    TBounds ChildPlace(const TControl* child) const { return places_.Place(child); }

protected:
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void ChildrenChanged() override;
    void ChildFocused(TControl* child) override;
    void ScaleChanged(int oldDpi) override;
    bool PlacesChildren() const override { return true; }

private:
    int ViewWidth() const;  // window pixels: the scroller's client area
    int BandWidth() const;  // window pixels: the scroller's whole width, its arrows included

    TPageScroller* scroller_;
    TPagePlaces places_{TPagePlaces::TAxis::axHorizontal};
    int pos_ = 0;   // the scroller's position, window pixels
    int band_ = 0;  // the band width the children were placed for
};

}  // namespace tsb
