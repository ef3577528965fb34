#pragma once
// The plain controls the forms are built from.
#include <functional>
#include <string>
#include <vector>

#include "framework/win/Control.h"
#include "framework/win/Convert.h"
#include "framework/win/Picture.h"

#include <richedit.h>

namespace tsb {

// Where a child goes and how big it is, in design pixels.
struct TBounds {
    int left = 0, top = 0, width = 0, height = 0;
};

enum class TBevelCut { bvNone, bvLowered, bvRaised };
enum class TTextAlign { taLeft, taCenter, taRight };

class TPanel : public TControl {
public:
    TPanel(TControl* parent, TBounds b, TBevelCut outer = TBevelCut::bvRaised);
    void SetBevelOuter(TBevelCut b) { bevel_ = b; Invalidate(); }

protected:
    void Paint(HDC dc) override;
    RECT AlignArea() const override;  // inside the bevel

private:
    TBevelCut bevel_;
};

// A caption drawn on the parent's (or its own) colour; labels and static texts alike.
class TLabel : public TControl {
public:
    TLabel(TControl* parent, TBounds b, const std::string& caption, TTextAlign align = TTextAlign::taLeft,
           bool wordWrap = false);

protected:
    void Paint(HDC dc) override;

private:
    TTextAlign align_;
    bool wordWrap_;
};
using TStaticText = TLabel;

class TBevel : public TControl {
public:
    TBevel(TControl* parent, TBounds b);

protected:
    void Paint(HDC dc) override;
};

class TImage : public TControl {
public:
    TImage(TControl* parent, TBounds b, bool stretch = true, bool transparent = false);
    TPicture& Picture() { return picture_; }
    void PictureChanged() { Invalidate(); }

protected:
    void Paint(HDC dc) override;

private:
    TPicture picture_;
    bool stretch_, transparent_;
};

// A borderless, read-only rich-edit box.
class TRichEdit : public TControl {
public:
    TRichEdit(TControl* parent, TBounds b);
    // Rich text when the text begins "{\rtf", plain text otherwise; a file in any encoding that
    // ReadTextFile reads.
    void LoadFromFile(const std::string& file);
    void SetRichText(const std::string& text);
    std::wstring TextW() const;  // paragraphs end with CR
    std::string Text() const { return WideToAnsi(TextW()); }

protected:
    void ColorChanged() override;

private:
    CHARFORMAT2W FormatAt(LONG pos) const;
    std::vector<LONG> MarksStartingRuns() const;
    void ReplaceChar(LONG pos, const std::wstring& with);
    void GuardRunStarts();
};

using TMouseWheelEvent = std::function<void(TControl* sender, TShiftState, int delta, POINT screenPos, bool& handled)>;

// A box whose children scroll vertically; its range follows the children. A child's place is
// kept in page coordinates, which may run far past the 32 767 pixels a window position holds:
// only the children in view have their windows there (relative to the view), the others are
// parked out of sight, so a page of any size scrolls and costs only what is on show.
class TScrollBox : public TControl {
public:
    TScrollBox(TControl* parent, TBounds b);
    // Children are placed in page order (tops never decreasing), as a page is laid out; a child
    // placed out of order still works, at the cost of a shift of the list. Places and scroll
    // positions are in design pixels, like every size the framework takes.
    void PlaceChild(TControl* child, int left, int top, int width, int height);
    TBounds ChildPlace(const TControl* child) const;
    int ScrollPos() const { return Unscale(pos_); }
    void SetScrollPos(int pos) { ScrollToPixel(Scale(pos)); }  // clamped to the range
    void ScrollInView(const TControl* child);
    void UpdateRange();  // coalesced: posts itself once

    // The wheel over the box or a child of it (the system passes it up from the focused one).
    TMouseWheelEvent OnMouseWheel;

protected:
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void Resized() override;
    void ChildrenChanged() override;
    void ChildFocused(TControl* child) override;

private:
    struct Place {
        TControl* child;
        TBounds b;
    };
    std::vector<Place>::iterator Find(const TControl* child);
    std::vector<Place>::const_iterator Find(const TControl* child) const;
    void Insert(TControl* child, TBounds b);
    bool InBand(const TBounds& b, int view) const;
    void Show(const Place& p, bool live);
    void PlaceWindows();
    void ApplyRange();
    void ScrollToPixel(int pos);
    void OnScroll(WORD code);
    int ViewHeight() const;  // window pixels

    std::vector<Place> places_;     // in page order
    std::vector<TControl*> live_;   // children whose windows are at their place in the view
    int maxHeight_ = 0;             // of any child, window pixels: how far above the view a child may still show
    int pos_ = 0;                   // window pixels, like the scroll bar
    bool rangePending_ = false;
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

protected:
    bool NotifyReflected(NMHDR* hdr, LRESULT& result) override;

private:
    TControl* child_ = nullptr;
    int contentWidth_ = 0;
};

}  // namespace tsb
