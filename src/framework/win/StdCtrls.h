#pragma once
// The plain controls the forms are built from.
#include <functional>
#include <string>
#include <vector>

#include "framework/win/Control.h"
#include "framework/win/Convert.h"
#include "framework/win/PagePlaces.h"
#include "framework/win/Picture.h"

#include <richedit.h>

namespace tsb {

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
    // The control the caption's mnemonic focuses; with one, "&" marks the mnemonic.
    void SetFocusControl(TControl* c) { focusControl_ = c; Invalidate(); }
    bool DialogChar(char ch) override;

protected:
    void Paint(HDC dc) override;

private:
    TTextAlign align_;
    bool wordWrap_;
    TControl* focusControl_ = nullptr;
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

// A one-line edit box.
class TEdit : public TControl {
public:
    TEdit(TControl* parent, TBounds b, const std::string& text = {});
    std::string Text() const { return Caption(); }
    void SetText(const std::string& text) { SetCaption(text); }  // OnChange runs for this too
    TNotifyEvent OnChange;
    std::function<void(TControl* sender, WORD key)> OnKeyUp;

protected:
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void CommandReflected(WORD code) override;
};

// A push button. Clicking it runs OnClick, then gives its form ModalResult unless that is mrNone.
// The default button takes Enter, the cancel button Esc.
class TButton : public TControl {
public:
    TButton(TControl* parent, TBounds b, const std::string& caption, bool isDefault = false, bool isCancel = false);
    int ModalResult = 0;
    bool DialogChar(char ch) override;
    bool DialogKey(UINT key, bool focused) override;
    void PerformClick() { Click(); }

protected:
    void CommandReflected(WORD code) override;
    void Click() override;

private:
    bool default_, cancel_;
};

class TCheckBox : public TControl {
public:
    TCheckBox(TControl* parent, TBounds b, const std::string& caption);
    bool Checked() const;
    void SetChecked(bool on);  // as the program sets it: OnClick does not run
    bool DialogChar(char ch) override;

protected:
    void CommandReflected(WORD code) override;  // a click by the user: OnClick
};

// A captioned frame around other controls.
class TGroupBox : public TControl {
public:
    TGroupBox(TControl* parent, TBounds b, const std::string& caption);

protected:
    void Paint(HDC dc) override;
};

// A group box of radio buttons, one column of items; exactly one is chosen once one was.
class TRadioGroup : public TGroupBox {
public:
    TRadioGroup(TControl* parent, TBounds b, const std::string& caption, const std::vector<std::string>& items);
    int ItemIndex() const;  // -1 when none is chosen
    void SetItemIndex(int index);
    bool DialogChar(char ch) override;

private:
    std::vector<HWND> buttons_;
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
// kept in page coordinates (TPagePlaces), so a page of any size scrolls and costs only what is
// on show.
class TScrollBox : public TControl {
public:
    TScrollBox(TControl* parent, TBounds b);
    // Places and scroll positions are in design pixels, like every size the framework takes.
    void PlaceChild(TControl* child, int left, int top, int width, int height);
    TBounds ChildPlace(const TControl* child) const { return places_.Place(child); }
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
    void ScaleChanged(int oldDpi) override;
    bool PlacesChildren() const override { return true; }

private:
    void Place(TControl* child, TBounds b);
    void ApplyRange();
    void ScrollToPixel(int pos);
    void OnScroll(WORD code);
    int ViewHeight() const;  // window pixels

    TPagePlaces places_{TPagePlaces::TAxis::axVertical};
    int pos_ = 0;  // window pixels, like the scroll bar
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
