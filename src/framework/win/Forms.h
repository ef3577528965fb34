#pragma once
// Top-level forms: borderless or captioned, shown modelessly or modally.
#include <functional>
#include <vector>

#include "framework/win/Control.h"
#include "framework/win/Menus.h"

namespace tsb {

constexpr int mrNone = 0, mrOk = 1, mrCancel = 2;

// Every visible, enabled top-level window of the thread but except is disabled, so input waits
// while the thread is busy with one thing; the windows disabled are returned for EnableWindows.
std::vector<HWND> DisableThreadWindows(HWND except = nullptr);
void EnableWindows(const std::vector<HWND>& windows);

struct TFormParams {
    const char* className;
    int clientWidth, clientHeight;  // as designed
    bool border = false;            // false: no border, no caption
    bool dialog = false;            // with border: a fixed dialog frame without title-bar buttons
    std::string caption;
    TColor color = SysColor(COLOR_BTNFACE);
    TFont font;
    const TControl* owner = nullptr;  // the window it stays above; none: the application's window
};

class TForm : public TControl {
public:
    explicit TForm(const TFormParams& p);

    void ShowForm();  // shows and activates
    int ShowModal();  // returns the modal result
    void Close();
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int r) { modalResult_ = r; }
    void CenterOnScreen();
    // Screen positions and sizes, in window pixels: a window that covers a monitor covers it
    // exactly, whatever the scale.
    void PlaceOnScreen(int left, int top, int width, int height);
    void CenterOn(const TControl& other);

    bool KeyPreview = false;          // the form sees characters and keys before its controls
    TKeyPressEvent OnKeyPress;
    std::function<bool(TShortCut key)> OnKeyDown;  // true: the key was the form's
    TNotifyEvent OnShow;              // each time the window becomes visible
    std::function<void()> OnCloseQuery;  // may raise: the window then stays open
    // The context menu: opens on a right click that no control of the form takes for itself
    // (and on the menu key), and its shortcut keys act wherever the focus is in the form.
    TPopupMenu* PopupMenu = nullptr;

    bool PreviewKey(MSG& msg);  // from the message loop

protected:
    // False while the form is busy with something that lets messages through: the context
    // menu does not open and its keys do nothing then.
    virtual bool AcceptsCommands() const { return true; }
    // True while the form is busy only for a moment: the last menu request (a key of the menu
    // or the opening of the menu) is held, and ReplayHeldCommand acts on it afterwards.
    virtual bool HoldsCommands() const { return false; }
    void ReplayHeldCommand();
    // A request that came by another way (a dialog's button) and is held the same way.
    void HoldCommand(std::function<void()> run);
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // WM_DPICHANGED: the window moved to a monitor of another scale. One scale serves the whole
    // program: it changes, the form's controls follow, and the form takes the place the system
    // suggests (window pixels).
    virtual void DpiChanged(int dpi, const RECT& suggested);

private:
    void CloseQuery();  // WM_CLOSE
    bool DialogKey(const MSG& msg);

    struct THeldCommand {
        bool waiting = false;
        TShortCut key = 0;   // a shortcut key, or
        LPARAM menuAt = 0;   // where the menu was asked for, or
        std::function<void()> run;
    } held_;
    bool modal_ = false;
    int modalResult_ = mrNone;
};

}  // namespace tsb
