#include "framework/win/PagePlaces.h"

#include <algorithm>

#include "framework/win/Errors.h"

namespace tsb {

namespace {
// Where children out of view wait, in window pixels: before the view, far enough for any child
// to be out of sight, and still a window coordinate.
constexpr int ParkAt = -30000;
}  // namespace

int TPagePlaces::Start(const TBounds& b) const {
    return Scale(axis_ == TAxis::axVertical ? b.top : b.left);
}

int TPagePlaces::Length(const TBounds& b) const {
    return Scale(std::max(axis_ == TAxis::axVertical ? b.height : b.width, 0));
}

// The newest children are the ones placed most often: search from the back.
std::vector<TPagePlaces::Slot>::const_iterator TPagePlaces::Find(const TControl* child) const {
    auto r = std::find_if(places_.rbegin(), places_.rend(), [&](const Slot& p) { return p.child == child; });
    return r == places_.rend() ? places_.end() : std::prev(r.base());
}

bool TPagePlaces::Has(const TControl* child) const { return Find(child) != places_.end(); }

TBounds TPagePlaces::Place(const TControl* child) const {
    auto it = Find(child);
    if (it == places_.end()) throw EError("Control is not placed in the page");
    return it->b;
}

void TPagePlaces::Show(const Slot& p, bool live, int pos) {
    int x = Scale(p.b.left), y = Scale(p.b.top);
    int& along = axis_ == TAxis::axVertical ? y : x;
    along = live ? along - pos : ParkAt;
    ::SetWindowPos(p.child->Handle(), nullptr, x, y, Scale(std::max(p.b.width, 0)), Scale(std::max(p.b.height, 0)),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    auto at = std::find(live_.begin(), live_.end(), p.child);
    if (live && at == live_.end()) live_.push_back(p.child);
    if (!live && at != live_.end()) live_.erase(at);
}

void TPagePlaces::Set(TControl* child, TBounds b, int pos, int view) {
    if (auto it = Find(child); it != places_.end()) places_.erase(it);
    auto at = std::upper_bound(places_.begin(), places_.end(), Start(b),
                               [this](int start, const Slot& p) { return start < Start(p.b); });
    const Slot& p = *places_.insert(at, Slot{child, b});
    if (Length(b) > maxLength_) {
        maxLength_ = Length(b);  // the band before the view widens
        PlaceWindows(pos, view);
    } else {
        Show(p, Start(b) + maxLength_ > pos && Start(b) < pos + view, pos);
    }
}

void TPagePlaces::PlaceWindows(int pos, int view) {
    auto first = std::partition_point(places_.begin(), places_.end(),
                                      [&](const Slot& p) { return Start(p.b) + maxLength_ <= pos; });
    auto last = std::partition_point(first, places_.end(), [&](const Slot& p) { return Start(p.b) < pos + view; });
    std::vector<TControl*> was;
    was.swap(live_);
    for (auto it = first; it != last; ++it) Show(*it, true, pos);
    for (TControl* c : was) {
        if (std::find(live_.begin(), live_.end(), c) != live_.end()) continue;
        RECT r;
        ::GetWindowRect(c->Handle(), &r);
        ::MapWindowPoints(nullptr, ::GetParent(c->Handle()), reinterpret_cast<POINT*>(&r), 2);
        bool vertical = axis_ == TAxis::axVertical;
        ::SetWindowPos(c->Handle(), nullptr, vertical ? r.left : ParkAt, vertical ? ParkAt : r.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TPagePlaces::Clear() {
    places_.clear();
    live_.clear();
    maxLength_ = 0;
}

void TPagePlaces::Rescaled() {
    maxLength_ = 0;
    for (const Slot& p : places_) maxLength_ = std::max(maxLength_, Length(p.b));
}

int TPagePlaces::End() const {
    int end = 0;
    for (const Slot& p : places_)
        if (p.child->Visible()) end = std::max(end, Start(p.b) + Length(p.b));
    return end;
}

}  // namespace tsb
