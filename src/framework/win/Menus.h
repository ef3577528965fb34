#pragma once
// Popup menus: items with captions and handlers; the menu's Tag carries what it is about.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/win/Control.h"

namespace tsb {

class TMenuItem {
public:
    TMenuItem(std::string caption, TNotifyEvent onClick) : Caption(std::move(caption)), OnClick(std::move(onClick)) {}
    std::string Caption;
    TNotifyEvent OnClick;  // sender: the item's owner menu is reachable through Owner
    bool Visible = true;
    class TPopupMenu* Owner = nullptr;
};

class TPopupMenu {
public:
    explicit TPopupMenu(TControl* window) : window_(window) {}
    TMenuItem* Add(std::string caption, TNotifyEvent onClick);
    const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return items_; }
    // Shows the menu at a screen point and runs the chosen item's handler.
    void Popup(int screenX, int screenY);

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
