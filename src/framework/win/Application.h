#pragma once
// The application object: the hidden owner window, the message loop with its idle hook,
// the standard error box, the screen cursor, tooltips and deferred destruction.
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/win/Win.h"

namespace tsb {

class TControl;
class TForm;

class TApplication {
public:
    void Initialize();
    HWND Handle() const { return handle_; }  // owner of every form: no task-bar button of their own
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);

    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* f) { mainForm_ = f; }

    void Run();              // until the main form closes
    // One turn of every message loop, the main one and the modal ones: handles one queued
    // message or, with the queue empty, runs the idle hook and waits. False on WM_QUIT.
    bool HandleMessage();
    void ProcessMessages();  // handles what is queued now, then returns
    bool Terminated() const { return terminated_; }
    void Terminate();

    // Called each time a message loop's queue has run empty, also inside modal loops and the
    // system's own (menus, message boxes: through WM_ENTERIDLE).
    std::function<void()> OnIdle;
    void Idle();

    // The standard error box; tests may take the messages instead.
    void HandleException(const std::exception& e);
    std::function<void(const std::string& message)> OnException;
    // The barrier where our code is called by the system (a window procedure, a timer, the idle
    // hook, the message loop): no exception may cross into the system, so one raised by work
    // ends here in the standard error box.
    template <class Work>
    void Barrier(Work&& work) {
        try {
            work();
        } catch (...) {
            HandleCurrentException();
        }
    }

    HCURSOR ScreenCursor() const { return screenCursor_; }
    void SetScreenCursor(HCURSOR c);  // nullptr: each control's own cursor again

    // Tooltip tools, one per control with a hint, registered when the mouse first comes over it.
    void AddToolTip(HWND control, const std::string& text, const MSG& firstMove);
    void UpdateToolTip(HWND control, const std::string& text);
    void RemoveToolTip(HWND control);
    HWND ToolTipWindow() const { return toolTip_; }

    void DeferDestruction(std::unique_ptr<TControl> control);
    void FlushDeferred();

    // Modeless dialogs of the system (the find dialog): the loop gives them their keys.
    void AddModelessDialog(HWND dialog);
    void RemoveModelessDialog(HWND dialog);

    // Keyboard handling that comes before a message is dispatched (mnemonics, Tab, key preview).
    bool PreTranslate(MSG& msg);
    bool HandleOne(MSG& msg);  // false on WM_QUIT

private:
    void HandleCurrentException();  // inside a catch block

    HWND handle_ = nullptr;
    HWND toolTip_ = nullptr;
    std::string title_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    bool idleDone_ = false;  // the hook has run since the queue last ran empty
    HCURSOR screenCursor_ = nullptr;
    std::vector<std::unique_ptr<TControl>> deferred_;
    std::vector<HWND> modeless_;
};

TApplication& Application();

}  // namespace tsb
