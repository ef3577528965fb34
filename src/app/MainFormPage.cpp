// The main window's page display: the page title, header, sub-page buttons and shortcut grid.
#include "app/MainForm.h"

#include <cstdint>
#include <utility>

#include "app/GridMoves.h"
#include "app/IdleTime.h"
#include "app/Layout.h"
#include "controls/MenuButtons.h"
#include "framework/core/ScopeExit.h"
#include "framework/win/Application.h"
#include "framework/win/Convert.h"
#include "framework/win/Debug.h"
#include "framework/win/Files.h"
#include "framework/win/Messages.h"
#include "pages/WorkingFormUnit.h"

namespace tsb {

namespace {
constexpr TColor ShortcutButtonColor = 14200984;
}  // namespace

void TfrmMain::SetButtonSize(int level) {
    ButtonLevel b = ButtonLevelFor(level);
    ButtonSize = b.level;
    ButtonWidth = b.width;
    ButtonHeight = b.height;
}

// The record of the page on show, or the home page when a handler run by messages let through
// has released it (a reload replaces the tree below the folder it reads).
TFolderRecord* TfrmMain::PageOnShow() {
    TFolderRecord* page = CurrentPage.Get();
    if (!page) {
        CurrentPage = RootFolder;
        page = RootFolder;
    }
    return page;
}

// Records are looked up again by reference after everything that lets messages through (the
// indicator, ProcessMessages); no record address is kept across one.
void TfrmMain::LoadCurrentPage() {
    // A walk over the tree (a search, a bulk creation) lets messages through: a display asked
    // for meanwhile would read folders under it. The change timer's tick shows the page after.
    if (PageTreeBusy()) {
        if (TFolderRecord* page = CurrentPage.Get()) page->Changed = true;
        RestartChangeTimer();
        return;
    }
    if (displaying_) {
        pendingPage_ = CurrentPage;
        return;
    }
    displaying_ = true;
    ScopeExit displaying([this] {
        displaying_ = false;
        if (TRef<TFolderRecord> next = std::exchange(pendingPage_, {}); !next.Empty()) PostLoadPage(next);
        ReplayHeldCommand();
    });
    // Thumbnails start after the clean-up below, and only for a display built to its end.
    bool built = false;
    ScopeExit thumbnails([this, &built] {
        if (built) GetImageThumbnails();
    });
    HomeButton->SetEnabled(false);
    BackButton->SetEnabled(false);
    // From here on every way out, a failed read of the folder included, restores the window.
    ScopeExit cleanUp([this] {
        HideWorking();
        bool away = CurrentPage != RootFolder;
        HomeButton->SetEnabled(away);
        BackButton->SetEnabled(away);
        Application().SetScreenCursor(nullptr);
    });
    Log("TfrmMain.LoadCurrentPage");
    StopThumbnails();  // before the folder is read again and before its buttons go
    std::string shortcuts = ProgramFolder() + "shortcuts";
    if (!DirectoryExists(shortcuts)) ForceDirectories(shortcuts);
    if (PageOnShow()->NeedsLoad) {
        Log("TfrmMain.LoadCurrentPage Reload Required");
        ShowLoading("");
        TFolderRecord* reading = PageOnShow();
        LoadFolder(reading, reading->Path, Handle());
        HideWorking();
    }
    Application().SetScreenCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    PageTitlePanel->SetCaption("Loading...");
    PageTitlePanel->Repaint();
    Application().ProcessMessages();

    TFolderRecord* page = PageOnShow();
    TRef<TFolderRecord> building = page;
    pnlNav->SetVisible(!(page == RootFolder && RootFolder->Folders.empty()));
    PageScroller1->ScrollToStart();
    FolderPanel->SetBounds(0, 0, FolderPanel->Width(), PageScroller1->Height());
    PageTitlePanel->SetCaption(page->Name);
    ::SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
    ScopeExit redraw([this] {
        ::SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(Handle(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    });
    if (page->HeaderText.empty()) {
        pnlPageHeader->Hide();
    } else {
        pnlPageHeader->Show();
        redPageHeader->SetRichText(WideToAnsi(page->HeaderText));
    }
    FolderPanel->DestroyControls();
    ScrollBox1->DestroyControls();
    MakeSubPageButtons(page);
    if (page->Shortcuts.size() > 100) {
        ShowLoading("");
        page = building.Get();
        if (!page) {  // released meanwhile: the page on show now is displayed next
            if (pendingPage_.Empty()) pendingPage_ = PageOnShow();
            return;
        }
    }
    MakeShortcutButtons(page);
    built = true;
}

void TfrmMain::MakeSubPageButtons(TFolderRecord* page) {
    const auto& folders = page->Folders;
    auto hintOf = [this](const TFolderRecord& f) { return AdminMode ? f.Path : f.Name; };
    auto attach = [this](TColorButton* b, TFolderRecord* f) {
        b->SetTag(f);
        if (AdminMode)
            b->OnRightClick = [this](TControl* s, TMouseButton mb, TShiftState sh, int x, int y) {
                FolderRightClick(s, mb, sh, x, y);
            };
    };
    auto click = [this](TControl* s) { FolderClick(s); };
    if (page->Shortcuts.empty() && !folders.empty()) {
        std::vector<BoxPos> boxes = BigFolderButtons(static_cast<int>(folders.size()), Width(), FullScreen, 54);
        for (size_t i = 0; i < folders.size(); ++i) {
            TFolderRecord* f = folders[i].get();
            TColorButton* b =
                MakeFolderButton(ScrollBox1, hintOf(*f), f->Name, boxes[i].width, boxes[i].top, boxes[i].left, click);
            ScrollBox1->PlaceChild(b, boxes[i].left, boxes[i].top, boxes[i].width, b->Height());
            attach(b, f);
        }
    }
    if (!page->Shortcuts.empty()) {
        // A nav button is as wide as its caption needs: the strip is laid out once every width is known.
        std::vector<TColorButton*> strip;
        std::vector<int> widths;
        strip.reserve(folders.size());
        widths.reserve(folders.size());
        for (const auto& folder : folders) {
            TFolderRecord* f = folder.get();
            TColorButton* b = MakeNavButton({.parent = FolderPanel, .font = FolderPanel->Font(), .width = 75,
                                             .hint = hintOf(*f), .caption = f->Name, .top = 2, .left = 0,
                                             .onClick = click});
            attach(b, f);
            strip.push_back(b);
            widths.push_back(b->Width());
        }
        std::vector<int> lefts = NavStripLefts(widths);
        for (size_t i = 0; i < strip.size(); ++i)
            FolderPanel->PlaceChild(strip[i], lefts[i], 2, widths[i], strip[i]->Height());
        PageScroller1->SetContentWidth(lefts.back());
    }
}

void TfrmMain::MakeShortcutButtons(TFolderRecord* page) {
    TIconCache icons;  // each distinct icon asked of the shell once per display, and shared
    int iconSize = ButtonLevelFor(ButtonSize).iconSize;
    TFont font = ScrollBox1->Font();
    font.height = ::MulDiv(10, 96, 72);
    GridCursor grid;
    int clientWidth = ClientWidth();
    for (const auto& shortcut : page->Shortcuts) {
        TShortcutRecord* s = shortcut.get();
        if (!s->LinkInfo) continue;
        auto* b = ScrollBox1->Add<TColorButton>();
        b->SetBevelStyle(bbNone);
        b->SetAlignment(alBottomCenter);
        b->SetFont(font);
        b->SetButtonColor(ShortcutButtonColor);
        b->SetCursor(HandPointCursor());
        ScrollBox1->PlaceChild(b, GridLeft(grid.column, ButtonWidth), GridTop(grid.row, ButtonHeight), ButtonWidth,
                               ButtonHeight);
        b->SetCaption(s->Name);
        b->SetHint(AdminMode ? s->LinkInfo->PathName : s->LinkInfo->Description);
        b->SetTag(s);
        b->OnClick = [this](TControl* sender) { ButtonClick(sender); };
        if (AdminMode)
            b->OnRightClick = [this](TControl* sender, TMouseButton mb, TShiftState sh, int x, int y) {
                ButtonRightClick(sender, mb, sh, x, y);
            };
        try {
            if (std::shared_ptr<const TIcon> icon = icons.Get(s, iconSize)) {
                b->SetPictureTop(8);
                b->SetPictureLeft((ButtonWidth - icon->Width()) / 2);
                b->Picture().SetGraphic(std::move(icon));
            }
        } catch (const std::exception& e) {
            Log(std::string("LoadCurrentPage: Exception assigning icon. ") + e.what());  // the button stays, bare
        }
        grid.Advance(ButtonWidth, clientWidth);
    }
}

// --- navigation ---

void TfrmMain::HomeButtonClick(TControl*) { PostLoadPage(RootFolder); }

void TfrmMain::BackButtonClick(TControl*) {
    if (TFolderRecord* page = CurrentPage.Get(); page && page->Parent) PostLoadPage(page->Parent);
}

void TfrmMain::FolderClick(TControl* sender) { PostLoadPage(sender->Tag().As<TFolderRecord>()); }

// The page is built again at the new scale: its buttons, pictures and grid are made for it.
void TfrmMain::DpiChanged(int dpi, const RECT& suggested) {
    TForm::DpiChanged(dpi, suggested);
    PostLoadPage(CurrentPage);
}

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
    if (displaying_) {
        pendingPage_ = page;
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
