#pragma once
// Popup menus: items with captions, shortcut keys, sub-menus and handlers; the menu's Tag
// carries what it is about.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/win/Control.h"

namespace tsb {

// A key with its modifiers: the virtual-key code in the low byte and these bits above it.
using TShortCut = unsigned;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
std::string ShortCutToText(TShortCut shortCut);  // "Ctrl+F", "Shift+F5", "Ins"
// The shortcut of a key-down message, with the modifiers held at the time it was queued.
TShortCut ShortCutOfKey(WPARAM virtualKey);

class TMenuItem {
public:
    TMenuItem(std::string caption, TNotifyEvent onClick) : Caption(std::move(caption)), OnClick(std::move(onClick)) {}
    std::string Caption;  // "-": a separator line
    TNotifyEvent OnClick;  // sender: the item's owner menu is reachable through Owner
    TShortCut ShortCut = 0;
    bool Visible = true;
    bool Enabled = true;
    bool Checked = false;
    bool RadioItem = false;  // checked with a dot
    int Tag = 0;
    class TPopupMenu* Owner = nullptr;

    TMenuItem* Add(std::string caption, TNotifyEvent onClick = nullptr);  // a sub-menu item
    const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return items_; }
    bool IsSeparator() const { return Caption == "-"; }

private:
    std::vector<std::unique_ptr<TMenuItem>> items_;
};

class TPopupMenu {
public:
    explicit TPopupMenu(TControl* window) : window_(window) {}
    TMenuItem* Add(std::string caption, TNotifyEvent onClick = nullptr);
    const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return items_; }
    // Shows the menu at a screen point and runs the chosen item's handler.
    void Popup(int screenX, int screenY);
    // A shortcut key acts as a click through the menu: OnPopup runs first, then the handler of
    // the item with that key, when it and every menu above it are visible and enabled. True
    // when the key belongs to such an item.
    bool IsShortCut(TShortCut key);
    bool HasShortCut(TShortCut key) const;  // some item has that key, shown or not

    std::function<void()> OnPopup;  // before the menu shows, and before a shortcut key acts

    // What the menu is about, set before it pops up. Its handlers run after the menu's own
    // message loop, which may have released the object: TagPath keeps the object's path for
    // them, and the Tag resolves to null then.
    TObjectRef Tag;
    std::string TagPath;

private:
    TControl* window_;
    std::vector<std::unique_ptr<TMenuItem>> items_;
};

}  // namespace tsb
