#include "support/MainWindow.h"

namespace tsbtest {

HWND MainWindow::ScrollBox() const {
    auto boxes = ChildWindows(main_, "TScrollBox");
    return boxes.empty() ? nullptr : boxes.front();
}

HWND MainWindow::FolderPanel() const {
    auto pagers = ChildWindows(main_, "SysPager");
    if (pagers.empty()) return nullptr;
    auto panels = ChildWindows(pagers.front(), "TPanel");
    return panels.empty() ? nullptr : panels.front();
}

HWND MainWindow::PageTitle() const {
    HWND home = HomeButton();
    // HomePanel -> NavPanel -> pnlNav, whose first child is the title panel.
    HWND nav = GetParent(GetParent(home));
    return GetWindow(nav, GW_HWNDPREV) ? GetWindow(nav, GW_HWNDPREV) : nullptr;
}

std::vector<HWND> MainWindow::PageButtons() const {
    std::vector<HWND> out;
    for (HWND w = GetWindow(ScrollBox(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) out.push_back(w);
    return out;
}

std::vector<HWND> MainWindow::StripButtons() const {
    std::vector<HWND> out;
    for (HWND w = GetWindow(FolderPanel(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) out.push_back(w);
    return out;
}

std::vector<std::string> MainWindow::ShortcutCaptions() const {
    std::vector<std::string> out;
    for (HWND b : PageButtons()) out.push_back(TextOf(b));
    return out;
}

HWND MainWindow::ButtonByCaption(const std::string& caption) const {
    for (HWND b : ChildWindows(main_, "TColorButton"))
        if (TextOf(b) == caption) return b;
    return nullptr;
}

bool MainWindow::HasLabel(const std::string& text) const {
    for (HWND l : ChildWindows(main_, "TLabel"))
        if (TextOf(l) == text) return true;
    return false;
}

RECT MainWindow::RectInScrollBox(HWND button) const {
    RECT r = ScreenRect(button);
    MapWindowPoints(nullptr, ScrollBox(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace tsbtest
