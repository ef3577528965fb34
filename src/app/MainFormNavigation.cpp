// The main window's navigation: Home, Back and sub-page buttons, the page message, the keys that
// move through the buttons, the wheel and the return home when the menu is left idle.
#include "app/MainForm.h"

#include <cstdint>

#include "app/GridMoves.h"
#include "app/IdleTime.h"
#include "framework/win/Messages.h"
#include "framework/win/Debug.h"

namespace tsb {

void TfrmMain::HomeButtonClick(TControl*) { PostLoadPage(RootFolder); }

void TfrmMain::BackButtonClick(TControl*) {
    if (TFolderRecord* page = CurrentPage.Get(); page && page->Parent) PostLoadPage(page->Parent);
}

void TfrmMain::FolderClick(TControl* sender) { PostLoadPage(sender->Tag().As<TFolderRecord>()); }

// Serials are 64 bits on both targets (they are never given twice), a WPARAM only 32 on one.
void TfrmMain::PostLoadPage(TRef<TFolderRecord> page) {
    TSerial serial = page.Serial();
    ::PostMessageA(Handle(), WM_LOADPAGE, static_cast<WPARAM>(static_cast<std::uint32_t>(serial)),
                   static_cast<LPARAM>(static_cast<std::uint32_t>(serial >> 32)));
}

void TfrmMain::WMLoadPage(WPARAM wp, LPARAM lp) {
    Log("WMLoadPage");
    TSerial serial = static_cast<std::uint32_t>(wp) | static_cast<TSerial>(static_cast<std::uint32_t>(lp)) << 32;
    TRef<TFolderRecord> page = TRef<TFolderRecord>::FromSerial(serial);
    // The posted reference may have outlived its record (a reload replaces what lies below).
    if (!page.Get()) return;
    if (gate_.Displaying()) {
        gate_.Hold(page);
        return;
    }
    CurrentPage = page;
    LoadCurrentPage();
}

// Arrows, Home, End and the page keys move the focus among the buttons of the box that holds
// it (the page, or the strip of sub-pages) by their places; the box scrolls the focused one
// into view. Backspace is Back and Alt+Home is Home, where those buttons can be clicked.
bool TfrmMain::FormKeyDown(TShortCut key) {
    auto clickable = [](TColorButton* b) { return ::IsWindowVisible(b->Handle()) && b->Enabled(); };
    if (key == VK_BACK || key == (scAlt | VK_HOME)) {
        TColorButton* b = key == VK_BACK ? BackButton : HomeButton;
        if (!clickable(b) || !AcceptsCommands()) return false;
        if (b == BackButton) BackButtonClick(b);
        else HomeButtonClick(b);
        return true;
    }
    TGridMove move;
    switch (key) {
        case VK_LEFT: move = TGridMove::gmLeft; break;
        case VK_RIGHT: move = TGridMove::gmRight; break;
        case VK_UP: move = TGridMove::gmUp; break;
        case VK_DOWN: move = TGridMove::gmDown; break;
        case VK_HOME: move = TGridMove::gmFirst; break;
        case VK_END: move = TGridMove::gmLast; break;
        case VK_PRIOR: move = TGridMove::gmPageUp; break;
        case VK_NEXT: move = TGridMove::gmPageDown; break;
        default: return false;
    }
    TControl* focused = TControl::FromHandle(::GetFocus());
    TControl* box = focused ? focused->Parent() : nullptr;
    if (box != ScrollBox1 && box != FolderPanel) {
        // From outside the grid (the window itself, Back, Home) a move key enters it, so that a
        // keyboard alone reaches every button.
        const auto& grid = ScrollBox1->Controls();
        if (grid.empty()) return false;
        (move == TGridMove::gmLast ? grid.back() : grid.front())->SetFocus();
        return true;
    }
    std::vector<TCellPlace> places;
    size_t from = 0;
    for (const auto& child : box->Controls()) {
        if (child.get() == focused) from = places.size();
        TBounds b = box == ScrollBox1 ? ScrollBox1->ChildPlace(child.get()) : FolderPanel->ChildPlace(child.get());
        places.push_back({b.left, b.top});
    }
    RECT view;
    ::GetClientRect(ScrollBox1->Handle(), &view);
    if (auto to = GridNeighbour(places, from, move, Unscale(view.bottom))) box->Controls()[*to]->SetFocus();
    return true;  // at an end the focus stays where it is
}

void TfrmMain::ScrollBox1MouseWheel(TControl*, TShiftState shift, int wheelDelta, POINT, bool& handled) {
    POINT at;
    ::GetCursorPos(&at);
    handled = ::WindowFromPoint(at) == ScrollBox1->Handle();  // over a button or outside: not ours
    if (!handled) return;
    UINT msg = (shift & MK_SHIFT) ? WM_HSCROLL : WM_VSCROLL;
    WPARAM direction = wheelDelta < 0 ? SB_LINEDOWN : SB_LINEUP;
    UINT lines = 3;
    ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    int times = static_cast<int>(lines) + 1;  // one screen per notch reads as -1: no lines at all
    for (int i = 0; i < times; ++i) ::SendMessageA(ScrollBox1->Handle(), msg, direction, 0);
    ::SendMessageA(ScrollBox1->Handle(), msg, SB_ENDSCROLL, 0);
}

void TfrmMain::RestartIdleHomeTimer() {
    if (IdleHomeTime <= 0 || CurrentPage == RootFolder) return;
    IdleHomeTimer.SetEnabled(false);
    IdleHomeTimer.SetInterval(IdleHomeInterval(IdleHomeTime));
    IdleHomeTimer.SetEnabled(true);
}

void TfrmMain::IdleHomeTimerTimer() {
    IdleHomeTimer.SetEnabled(false);  // ticks again only after new input away from home
    if (CurrentPage == RootFolder) return;
    PostLoadPage(RootFolder);  // as the change timer does: never built inside a handler's loop
}

}  // namespace tsb
