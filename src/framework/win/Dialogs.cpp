#include "framework/win/Dialogs.h"

#include <cwchar>

#include <dlgs.h>

#include "framework/win/Application.h"
#include "framework/win/Errors.h"
#include "framework/win/Forms.h"
#include "framework/win/StdCtrls.h"

namespace tsb {

static UINT FindMessage() {
    static const UINT message = ::RegisterWindowMessageW(FINDMSGSTRINGW);
    return message;
}

TFindDialog::TFindDialog(const TControl* owner) : owner_(owner) {}

TFindDialog::~TFindDialog() {
    OnFind = nullptr;
    if (dialog_) {
        Application().RemoveModelessDialog(dialog_);
        ::DestroyWindow(std::exchange(dialog_, nullptr));
    }
}

void TFindDialog::SetFindText(const std::wstring& text) {
    std::wcsncpy(text_, text.c_str(), std::size(text_) - 1);
    text_[std::size(text_) - 1] = L'\0';
}

void TFindDialog::Execute() {
    if (dialog_) {
        ::SetForegroundWindow(dialog_);
        return;
    }
    find_ = {};
    find_.lStructSize = sizeof find_;
    find_.hwndOwner = owner_->Handle();
    find_.lpstrFindWhat = text_;
    // Read as characters by some systems and as bytes by others: the count of characters is
    // safe either way.
    find_.wFindWhatLen = static_cast<WORD>(std::size(text_));
    // What the user chose last time stays; what was reported then does not.
    find_.Flags = Options & ~(FR_FINDNEXT | FR_DIALOGTERM | FR_REPLACE | FR_REPLACEALL);
    FindMessage();
    dialog_ = ::FindTextW(&find_);
    if (!dialog_) RaiseLastOSError("FindText");
    Application().AddModelessDialog(dialog_);
}

void TFindDialog::CloseDialog() {
    // The dialog's own Cancel: it reports its end to the owner and destroys itself.
    if (dialog_) ::SendMessageW(dialog_, WM_COMMAND, IDCANCEL, 0);
}

void TFindDialog::PostClose() {
    if (dialog_) ::PostMessageW(dialog_, WM_COMMAND, IDCANCEL, 0);
}

bool TFindDialog::OwnerMessage(UINT msg, LPARAM lp) {
    if (msg != FindMessage() || reinterpret_cast<FINDREPLACEW*>(lp) != &find_) return false;
    Options = find_.Flags & ~(FR_FINDNEXT | FR_DIALOGTERM);
    if (find_.Flags & FR_DIALOGTERM) {
        Application().RemoveModelessDialog(dialog_);
        dialog_ = nullptr;
    } else if (find_.Flags & FR_FINDNEXT) {
        // Read from the dialog's own box: a 32-bit system whose code page is UTF-8 (Wine) hands
        // the dialog's text over as an empty string.
        if (dialog_) ::GetDlgItemTextW(dialog_, edt1, text_, static_cast<int>(std::size(text_)));
        if (OnFind) OnFind(nullptr);
    }
    return true;
}

namespace {

class TInputQueryForm : public TForm {
public:
    TInputQueryForm(const std::string& caption, const std::string& prompt, const TControl* owner)
        : TForm({.className = "TInputQueryForm", .clientWidth = 281, .clientHeight = 97, .border = true,
                 .dialog = true, .caption = caption, .font = TFont::Pixels("MS Sans Serif", 11), .owner = owner}) {
        Add<TLabel>({.place = {8, 8, 265, 13}}, prompt);
        Edit = Add<TEdit>({.place = {8, 26, 265, 21}});
        Add<TButton>({.place = {117, 62, 75, 25}}, "OK", true)->ModalResult = mrOk;
        Add<TButton>({.place = {198, 62, 75, 25}}, "Cancel", false, true)->ModalResult = mrCancel;
        if (owner && owner->Handle()) CenterOn(*owner);
        else CenterOnScreen();
        OnShow = [this](TControl*) {
            Edit->SetFocus();
            ::SendMessageA(Edit->Handle(), EM_SETSEL, 0, -1);
        };
    }
    TEdit* Edit;
};

}  // namespace

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value, const TControl* owner) {
    TInputQueryForm form(caption, prompt, owner);
    form.Edit->SetText(value);
    if (form.ShowModal() != mrOk) return false;
    value = form.Edit->Text();
    return true;
}

}  // namespace tsb
