#pragma once
// The system's modeless find dialog, and the one-line input box.
#include <string>

#include "framework/win/Control.h"

#include <commdlg.h>

namespace tsb {

// Lives as long as its owner may use it; the window itself is made by Execute and goes when
// the user closes it. It keeps its text and match-case choice between openings.
class TFindDialog {
public:
    explicit TFindDialog(const TControl* owner);
    ~TFindDialog();
    TFindDialog(const TFindDialog&) = delete;
    TFindDialog& operator=(const TFindDialog&) = delete;

    // The search goes down; the direction and whole-word choices are disabled.
    unsigned Options = FR_DOWN | FR_NOUPDOWN | FR_NOWHOLEWORD;
    std::wstring FindText() const { return text_; }
    void SetFindText(const std::wstring& text);
    TNotifyEvent OnFind;  // the find-next button

    void Execute();  // shows the dialog, or brings it to the front when it is open
    void CloseDialog();
    void PostClose();  // the same, from inside the dialog's own handler
    HWND Handle() const { return dialog_; }

    // The dialog reports to its owner with a registered message: the owner's window procedure
    // hands every message here first. True when it was the dialog's.
    bool OwnerMessage(UINT msg, LPARAM lp);

private:
    const TControl* owner_;
    FINDREPLACEW find_{};
    wchar_t text_[256]{};
    HWND dialog_ = nullptr;
};

// Asks for one line of text in a small modal box (caption, prompt, OK and Cancel); true when
// the user confirmed, with value holding what was typed.
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value,
                const TControl* owner = nullptr);

}  // namespace tsb
