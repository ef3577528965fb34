#pragma once
// The control base: an object that owns its window. The parent owns its children: destroying
// a control destroys everything inside it.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "framework/core/ObjectRef.h"
#include "framework/win/Graphics.h"
#include "framework/win/Win.h"

namespace tsb {

class TControl;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchors : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8, akAll = 15 };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
using TShiftState = unsigned;  // MK_SHIFT, MK_CONTROL... as the mouse messages give them

using TNotifyEvent = std::function<void(TControl* sender)>;
using TMouseEvent = std::function<void(TControl* sender, TMouseButton, TShiftState, int x, int y)>;
using TKeyPressEvent = std::function<void(TControl* sender, char& key)>;

// What a derived class tells the base about the window it wants.
struct TCreateParams {
    const char* className = nullptr;  // our own class (registered lazily) unless systemClass
    bool systemClass = false;         // a class of the system, subclassed after creation
    bool unicode = false;             // a system class made as a UTF-16 window, so that text typed
                                      // in any script reaches it whole
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    DWORD exStyle = 0;
    UINT classStyle = CS_DBLCLKS;
    HWND owner = nullptr;             // top-level windows only
    int left = 0, top = 0, width = 0, height = 0;  // design pixels
    std::string text;
};

// Where a child goes and how big it is, in design pixels.
struct TBounds {
    int left = 0, top = 0, width = 0, height = 0;
};

// How a form lays out a child (Add): where it goes and what most of its controls are given on
// creation. The control's own arguments (caption, bevel...) follow it.
struct TControlParams {
    TBounds place;
    TAlign align = TAlign::alNone;
    unsigned anchors = akLeft | akTop;
    std::optional<TFont> font;    // none: the parent's
    std::optional<TColor> color;  // none: the parent's
    bool visible = true;
    bool enabled = true;
    TNotifyEvent onClick;
};
void ApplyControlParams(TControl& control, const TControlParams& p);

// A control that scrolls its content when a press on it, or on a control inside it, is dragged.
// The pressed control reports the press here; the scroller decides when it has become a drag,
// and a press that became a drag clicks nothing. GUI thread only.
class TDragScrolling {
public:
    virtual void PressBegan(POINT screen) = 0;
    virtual bool PressMoved(POINT screen) = 0;  // true: the press is a drag now
    // cancelled: the press ended without a release (the capture went elsewhere, the window went).
    // True when the press was a drag, so that its release clicks nothing.
    virtual bool PressEnded(POINT screen, bool cancelled) = 0;

protected:
    ~TDragScrolling();  // a press still under way forgets this scroller
};

class TControl {
public:
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    HWND Handle() const { return hwnd_; }
    TControl* Parent() const { return parent_; }
    const std::vector<std::unique_ptr<TControl>>& Controls() const { return children_; }
    static TControl* FromHandle(HWND hwnd);

    // Creates a child owned by this control, from its constructor's arguments: for a control its
    // container places (the page's buttons). A form lays out its controls with the Add below.
    template <class T, class... Args>
        requires std::is_constructible_v<T, TControl*, Args...>
    T* Add(Args&&... args) {
        auto child = std::make_unique<T>(this, std::forward<Args>(args)...);
        T* raw = child.get();
        AdoptChild(std::move(child));
        return raw;
    }
    // Creates a child owned by this control at p's place, with its constructor's own arguments
    // after the place, then gives it the rest of p.
    template <class T, class... Args>
    T* Add(const TControlParams& p, Args&&... args) {
        T* child = Add<T>(p.place, std::forward<Args>(args)...);
        ApplyControlParams(*child, p);
        return child;
    }
    void DestroyControls();  // every child, in reverse order of creation

    // Geometry in the parent's client coordinates, in design pixels (Graphics.h).
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    int ClientWidth() const;
    int ClientHeight() const;
    void SetBounds(int left, int top, int width, int height);
    // Each changes one coordinate; the others stay exactly where they are in window pixels.
    void SetLeft(int v);
    void SetTop(int v);
    void SetWidth(int v);
    void SetHeight(int v);
    // A point of the client area, in design pixels, on the screen (window pixels, as the system's
    // own screen positions are).
    POINT ScreenPoint(int x, int y) const;

    TAlign Align() const { return align_; }
    void SetAlign(TAlign a);
    unsigned Anchors() const { return anchors_; }
    void SetAnchors(unsigned a);

    bool Visible() const;
    void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const;
    virtual void SetEnabled(bool v);

    std::string Caption() const;  // the window text
    void SetCaption(const std::string& text);

    // What the control stands for: never owned, and resolving to null once it is gone.
    const TObjectRef& Tag() const { return tag_; }
    void SetTag(TObjectRef t) { tag_ = t; }
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);  // shown as a tooltip
    void SetCursor(HCURSOR c) { cursor_ = c; }

    const TFont& Font() const;  // own font, or the parent's
    void SetFont(const TFont& f);
    TColor Color() const;       // own colour, or the parent's
    void SetColor(TColor c);

    void Invalidate(bool erase = true);
    void Repaint();  // paint now
    void SetFocus();
    bool Focused() const { return ::GetFocus() == hwnd_; }
    void BringToFront();
    void Realign();  // places aligned and anchored children
    // A new scale for the whole program (SetScaleDpi), applied to this window's children: each
    // keeps its place, size and font in design pixels, now in the window pixels of dpi. The
    // caller then gives this window its own new place and size.
    void ChangeScale(int dpi);

    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;

    // This control or one inside it is running one of its own handlers: destroying it now would
    // pull the window out from under that handler.
    bool Busy() const;
    // A mnemonic character (Alt and a letter): true when this control took it.
    virtual bool DialogChar(char) { return false; }
    // Enter or Esc in a dialog (key VK_RETURN or VK_ESCAPE): true when this control took it.
    // focused: the key was pressed while this control had the focus.
    virtual bool DialogKey(UINT /*key*/, bool /*focused*/) { return false; }

protected:
    explicit TControl(TControl* parent);
    void CreateHandle(const TCreateParams& params);

    // Message handling. The base's HandleMessage calls the typed handlers below, which is what
    // a control overrides; HandleMessage itself only for messages of its own kind. True when
    // the message was handled (result set); false passes it on to DefaultHandler.
    virtual bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    LRESULT DefaultHandler(UINT msg, WPARAM wp, LPARAM lp);
    virtual void Paint(HDC) {}                   // own classes: called for WM_PAINT
    virtual bool PaintsBackground() const { return false; }  // true: WM_ERASEBKGND does nothing
    virtual void FontChanged();
    virtual void ColorChanged() { Invalidate(); }
    virtual void Resized() {}
    virtual void FocusChanged(bool /*focused*/) {}  // this window got or lost the keyboard focus
    virtual void EnabledChanged() {}
    virtual void TextChanged() {}  // after the window text was set
    // A mouse button went down or up at a point of the client area (window pixels). The base
    // reports it to OnMouseDown or OnMouseUp and runs the left button's press: the capture, the
    // click on a release over the control, the drag of what scrolls it. True: taken whole.
    virtual bool MouseDown(TMouseButton b, TShiftState shift, POINT at);
    virtual bool MouseUp(TMouseButton b, TShiftState shift, POINT at);
    // A key went down (repeat: held down, the system repeating it) or up. True: taken whole.
    virtual bool KeyDown(WORD /*key*/, bool /*repeat*/) { return false; }
    virtual bool KeyUp(WORD /*key*/) { return false; }
    // True: a quick second press of the left button is a press like the first (a double click
    // means nothing to this control).
    virtual bool DoubleClickIsPress() const { return false; }
    virtual void ChildrenChanged() {}  // a child was added or the children destroyed
    // After a change of scale from oldDpi (ChangeScale). Controls that keep their children at
    // places of their own (PlacesChildren) put them there again.
    virtual void ScaleChanged(int /*oldDpi*/) {}
    virtual bool PlacesChildren() const { return false; }
    // The keyboard focus went to child (one of this control's own) or to a control inside it.
    virtual void ChildFocused(TControl*) {}
    // Where aligned children go, in window pixels: the client area by default.
    virtual RECT AlignArea() const;
    virtual bool NotifyReflected(NMHDR*, LRESULT&) { return false; }  // WM_NOTIFY from this control
    virtual void CommandReflected(WORD) {}                            // WM_COMMAND from this control
    virtual void Click() { if (OnClick) OnClick(this); }
    // A press on this control has become a drag: a pressed look goes (the release clicks nothing).
    virtual void PressBecameDrag() {}
    // This control scrolls what a drag on it or inside it moves; none by default.
    virtual TDragScrolling* DragScroller() { return nullptr; }
    void PaintBackground(HDC dc, const RECT& r) const;

    friend class TApplication;

private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR control);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    void Forget();  // the window is going: this control no longer stands for it
    void EraseBackground(HDC dc);
    bool SetCursorFor(LPARAM hitTest);
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);  // WM_NOTIFY, WM_COMMAND
    bool MouseButton(UINT msg, WPARAM wp, LPARAM lp);
    void AddHintTool(LPARAM firstMove);
    void PressMove();
    void AdoptChild(std::unique_ptr<TControl> child);
    void RecordAnchorMargins();
    struct TDesignPlace;
    void CollectDesignPlaces(std::vector<TDesignPlace>& places);
    RECT WindowBounds() const;  // in the parent's client coordinates, window pixels
    void PlaceWindow(int left, int top, int width, int height);  // window pixels
    void ApplyFontToWindow();

    HWND hwnd_ = nullptr;
    bool subclassed_ = false;  // a window of a system class, whose own procedure comes after ours
    TControl* parent_ = nullptr;
    std::vector<std::unique_ptr<TControl>> children_;
    TAlign align_ = TAlign::alNone;
    unsigned anchors_ = akLeft | akTop;
    RECT margins_{};  // distances to the parent's client edges, for anchors (window pixels)
    bool aligning_ = false;
    TObjectRef tag_;
    std::string hint_;
    bool hintTool_ = false;  // pages make thousands of controls: a tool only once the mouse came
    HCURSOR cursor_ = nullptr;
    std::optional<TFont> font_;
    std::optional<TColor> color_;
    int dispatchDepth_ = 0;
};

// Registers one of our window classes the first time it is needed.
void EnsureWindowClass(const char* className, UINT classStyle, WNDPROC proc);

}  // namespace tsb
