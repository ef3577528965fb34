#include "framework/win/Menus.h"

#include "framework/win/ScopedWin.h"

namespace tsb {

TMenuItem* TPopupMenu::Add(std::string caption, TNotifyEvent onClick) {
    items_.push_back(std::make_unique<TMenuItem>(std::move(caption), std::move(onClick)));
    items_.back()->Owner = this;
    return items_.back().get();
}

void TPopupMenu::Popup(int screenX, int screenY) {
    unique_hmenu menu(::CreatePopupMenu());
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->Visible)
            ::AppendMenuA(menu.get(), MF_STRING, static_cast<UINT_PTR>(i + 1), items_[i]->Caption.c_str());
    HWND owner = window_->Handle();
    ::SetForegroundWindow(owner);
    // Notifications stay on: WM_ENTERIDLE is how the menu's own loop tells its owner that it
    // waits, which runs the application's idle hook (the choice comes back by TPM_RETURNCMD).
    UINT cmd = static_cast<UINT>(
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screenX, screenY, 0, owner, nullptr));
    ::PostMessageA(owner, WM_NULL, 0, 0);
    if (cmd >= 1 && cmd <= items_.size() && items_[cmd - 1]->OnClick) items_[cmd - 1]->OnClick(nullptr);
}

}  // namespace tsb
