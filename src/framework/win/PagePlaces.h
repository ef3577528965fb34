#pragma once
// Children kept at places in page coordinates along one axis: design pixels, of any size, far
// past the 32 767 pixels a window position holds. Only the children near the view have their
// windows there, relative to the view; the others wait out of sight. Used by the controls that
// scroll their children (scroll box, page strip).
#include <vector>

#include "framework/win/Control.h"

namespace tsb {

class TPagePlaces {
public:
    enum class TAxis { axVertical, axHorizontal };
    explicit TPagePlaces(TAxis axis) : axis_(axis) {}

    bool Has(const TControl* child) const;
    TBounds Place(const TControl* child) const;  // raises for a child not placed here
    // Places a child (again); pos and view are the view's start and length along the axis, in
    // window pixels. Children are placed in page order, as a page is laid out; one placed out of
    // order still works, at the cost of a shift of the list.
    void Set(TControl* child, TBounds b, int pos, int view);
    void PlaceWindows(int pos, int view);
    void Clear();
    void Rescaled();  // after a change of scale: the window-pixel lengths again
    int End() const;  // where the visible children end along the axis, window pixels
    // A child's start and end along the axis, window pixels.
    int Start(const TBounds& b) const;
    int Length(const TBounds& b) const;

private:
    struct Slot {
        TControl* child;
        TBounds b;
    };
    std::vector<Slot>::const_iterator Find(const TControl* child) const;
    void Show(const Slot& p, bool live, int pos);

    TAxis axis_;
    std::vector<Slot> places_;    // in page order
    std::vector<TControl*> live_;  // children whose windows are at their place in the view
    int maxLength_ = 0;            // of any child, window pixels: how far before the view a child may still show
};

}  // namespace tsb
