#include "framework/win/Menus.h"

#include "framework/win/ScopedWin.h"

namespace tsb {

std::string ShortCutToText(TShortCut shortCut) {
    std::string text;
    if (shortCut & scCtrl) text += "Ctrl+";
    if (shortCut & scShift) text += "Shift+";
    if (shortCut & scAlt) text += "Alt+";
    unsigned key = shortCut & 0xFF;
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return text + static_cast<char>(key);
    if (key >= VK_F1 && key <= VK_F24) return text + "F" + std::to_string(key - VK_F1 + 1);
    switch (key) {
        case VK_INSERT: return text + "Ins";
        case VK_DELETE: return text + "Del";
        case VK_HOME: return text + "Home";
        case VK_END: return text + "End";
        case VK_ESCAPE: return text + "Esc";
        case VK_RETURN: return text + "Enter";
        case VK_SPACE: return text + "Space";
        case VK_BACK: return text + "BkSp";
        default: return {};
    }
}

TShortCut ShortCutOfKey(WPARAM virtualKey) {
    TShortCut s = static_cast<TShortCut>(virtualKey & 0xFF);
    if (::GetKeyState(VK_SHIFT) < 0) s |= scShift;
    if (::GetKeyState(VK_CONTROL) < 0) s |= scCtrl;
    if (::GetKeyState(VK_MENU) < 0) s |= scAlt;
    return s;
}

TMenuItem* TMenuItem::Add(std::string caption, TNotifyEvent onClick) {
    items_.push_back(std::make_unique<TMenuItem>(std::move(caption), std::move(onClick)));
    items_.back()->Owner = Owner;
    return items_.back().get();
}

TMenuItem* TPopupMenu::Add(std::string caption, TNotifyEvent onClick) {
    items_.push_back(std::make_unique<TMenuItem>(std::move(caption), std::move(onClick)));
    items_.back()->Owner = this;
    return items_.back().get();
}

// Builds the visible items into menu; every item that can be chosen gets the next command
// number, and chosen[number - 1] is the item.
static void BuildMenu(HMENU menu, const std::vector<std::unique_ptr<TMenuItem>>& items,
                      std::vector<TMenuItem*>& chosen) {
    for (const auto& item : items) {
        if (!item->Visible) continue;
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        if (item->IsSeparator()) {
            info.fMask = MIIM_FTYPE;
            info.fType = MFT_SEPARATOR;
            ::InsertMenuItemA(menu, ::GetMenuItemCount(menu), TRUE, &info);
            continue;
        }
        std::string text = item->Caption;
        if (std::string key = ShortCutToText(item->ShortCut); !key.empty()) text += "\t" + key;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_ID;
        info.fType = item->RadioItem ? MFT_RADIOCHECK : 0;
        info.fState = (item->Enabled ? MFS_ENABLED : MFS_DISABLED) | (item->Checked ? MFS_CHECKED : 0);
        info.dwTypeData = text.data();
        if (!item->Items().empty()) {
            HMENU sub = ::CreatePopupMenu();  // destroyed with its parent
            BuildMenu(sub, item->Items(), chosen);
            info.fMask |= MIIM_SUBMENU;
            info.hSubMenu = sub;
        } else {
            chosen.push_back(item.get());
            info.wID = static_cast<UINT>(chosen.size());
        }
        ::InsertMenuItemA(menu, ::GetMenuItemCount(menu), TRUE, &info);
    }
}

void TPopupMenu::Popup(int screenX, int screenY) {
    if (OnPopup) OnPopup();
    unique_hmenu menu(::CreatePopupMenu());
    std::vector<TMenuItem*> chosen;
    BuildMenu(menu.get(), items_, chosen);
    HWND owner = window_->Handle();
    ::SetForegroundWindow(owner);
    // Notifications stay on: WM_ENTERIDLE is how the menu's own loop tells its owner that it
    // waits, which runs the application's idle hook (the choice comes back by TPM_RETURNCMD).
    UINT cmd = static_cast<UINT>(
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screenX, screenY, 0, owner, nullptr));
    ::PostMessageA(owner, WM_NULL, 0, 0);
    if (cmd >= 1 && cmd <= chosen.size() && chosen[cmd - 1]->OnClick) chosen[cmd - 1]->OnClick(nullptr);
}

// The item with that key; only among those shown and enabled, unless any is true.
static TMenuItem* FindShortCut(const std::vector<std::unique_ptr<TMenuItem>>& items, TShortCut key, bool any) {
    for (const auto& item : items) {
        if (!any && (!item->Visible || !item->Enabled)) continue;
        if (!item->Items().empty()) {
            if (TMenuItem* found = FindShortCut(item->Items(), key, any)) return found;
        } else if (item->ShortCut == key && !item->IsSeparator()) {
            return item.get();
        }
    }
    return nullptr;
}

bool TPopupMenu::HasShortCut(TShortCut key) const { return key != 0 && FindShortCut(items_, key, true); }

bool TPopupMenu::IsShortCut(TShortCut key) {
    if (!HasShortCut(key)) return false;
    if (OnPopup) OnPopup();  // the rules of the moment decide, as when the menu opens
    TMenuItem* item = FindShortCut(items_, key, false);
    if (item && item->OnClick) item->OnClick(nullptr);
    return item != nullptr;
}

}  // namespace tsb
