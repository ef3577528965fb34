// The main window's page display: the page title, header, sub-page buttons and shortcut grid.
#include "app/MainForm.h"

#include <utility>

#include "app/Tools.h"
#include "framework/core/Layout.h"
#include "framework/win/Application.h"
#include "framework/win/Convert.h"
#include "framework/win/Debug.h"
#include "framework/win/Files.h"
#include "pages/WorkingFormUnit.h"

namespace tsb {

namespace {
constexpr TColor ShortcutButtonColor = 14200984;

// Drawing of a window switched off, and on again with one full redraw, on every way out.
class RedrawSuspended {
public:
    explicit RedrawSuspended(HWND w) : w_(w) { ::SendMessageA(w_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawSuspended() {
        ::SendMessageA(w_, WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(w_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
    RedrawSuspended(const RedrawSuspended&) = delete;
    RedrawSuspended& operator=(const RedrawSuspended&) = delete;

private:
    HWND w_;
};
}  // namespace

void TfrmMain::SetButtonSize(int level) {
    ButtonLevel b = ButtonLevelFor(level);
    ButtonSize = b.level;
    ButtonWidth = b.width;
    ButtonHeight = b.height;
}

void TfrmMain::LoadCurrentPage() {
    if (displaying_) {
        pendingPage_ = CurrentPage;
        return;
    }
    struct Displaying {
        TfrmMain* f;
        explicit Displaying(TfrmMain* form) : f(form) { f->displaying_ = true; }
        ~Displaying() {
            f->displaying_ = false;
            if (TFolderRecord* next = std::exchange(f->pendingPage_, nullptr))
                ::PostMessageA(f->Handle(), WM_LOADPAGE, reinterpret_cast<WPARAM>(next), 0);
        }
    } displaying{this};
    HomeButton->SetEnabled(false);
    BackButton->SetEnabled(false);
    Log("TfrmMain.LoadCurrentPage");
    std::string shortcuts = ProgramFolder() + "shortcuts";
    if (!DirectoryExists(shortcuts)) ForceDirectories(shortcuts);
    if (!IsLiveFolder(CurrentPage)) CurrentPage = RootFolder;  // its folder went away meanwhile
    if (CurrentPage->NeedsLoad) {
        Log("TfrmMain.LoadCurrentPage Reload Required");
        ShowLoading("");
        LoadFolder(CurrentPage, CurrentPage->Path, Handle());
        HideWorking();
    }
    Application().SetScreenCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    PageTitlePanel->SetCaption("Loading...");
    PageTitlePanel->Repaint();
    Application().ProcessMessages();

    struct CleanUp {
        TfrmMain* f;
        ~CleanUp() {
            HideWorking();
            bool away = f->CurrentPage != RootFolder;
            f->HomeButton->SetEnabled(away);
            f->BackButton->SetEnabled(away);
            Application().SetScreenCursor(nullptr);
            f->GetImageThumbnails();
        }
    } cleanUp{this};
    // A page handler run by the messages above may have replaced the tree below the page.
    if (!IsLiveFolder(CurrentPage)) CurrentPage = RootFolder;
    TFolderRecord* page = CurrentPage;
    pnlNav->SetVisible(!(page == RootFolder && RootFolder->Folders.empty()));
    PageScroller1->ScrollToStart();
    FolderPanel->SetBounds(0, 0, FolderPanel->Width(), PageScroller1->Height());
    PageTitlePanel->SetCaption(page->Name);
    // (no thumbnail thread runs yet, so none has to be stopped before the buttons go)
    RedrawSuspended redraw(Handle());
    if (page->HeaderText.empty()) {
        pnlPageHeader->Hide();
    } else {
        pnlPageHeader->Show();
        redPageHeader->SetRichText(WideToAnsi(page->HeaderText));
    }
    FolderPanel->DestroyControls();
    ScrollBox1->DestroyControls();
    MakeSubPageButtons(page);
    if (page->Shortcuts.size() > 100) ShowLoading("");
    MakeShortcutButtons(page);
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
        int x = 4;
        for (const auto& folder : folders) {
            TFolderRecord* f = folder.get();
            TColorButton* b = MakeNavButton(FolderPanel, FolderPanel->Font(), 75, hintOf(*f), f->Name, 2, x, click);
            attach(b, f);
            x += b->Width() + 6;
        }
        PageScroller1->SetContentWidth(x);
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

void TfrmMain::GetImageThumbnails() {
    Log("TfrmMain.GetImageThumbnails");
    std::vector<TColorButton*> buttons;
    for (const auto& c : ScrollBox1->Controls())
        if (auto* b = dynamic_cast<TColorButton*>(c.get()); b && dynamic_cast<TShortcutRecord*>(b->Tag()))
            buttons.push_back(b);
    if (buttons.empty()) return;
    Log("Call TGetImagePreviews " + std::to_string(buttons.size()));
    // The previews themselves are made by the thumbnail thread, which arrives with the pictures.
}

// --- navigation ---

void TfrmMain::HomeButtonClick(TControl*) { ::PostMessageA(Handle(), WM_LOADPAGE, reinterpret_cast<WPARAM>(RootFolder), 0); }

void TfrmMain::BackButtonClick(TControl*) {
    if (CurrentPage && CurrentPage->Parent)
        ::PostMessageA(Handle(), WM_LOADPAGE, reinterpret_cast<WPARAM>(CurrentPage->Parent), 0);
}

void TfrmMain::FolderClick(TControl* sender) {
    ::PostMessageA(Handle(), WM_LOADPAGE, reinterpret_cast<WPARAM>(dynamic_cast<TFolderRecord*>(sender->Tag())), 0);
}

void TfrmMain::WMLoadPage(TFolderRecord* page) {
    Log("WMLoadPage");
    // The posted reference may have outlived its record (a reload replaces what lies below).
    if (!IsLiveFolder(page)) return;
    if (displaying_) {
        pendingPage_ = page;
        return;
    }
    CurrentPage = page;
    LoadCurrentPage();
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
    // Minutes beyond what a 32-bit millisecond count holds wait as long as the timer can.
    long long ms = static_cast<long long>(IdleHomeTime) * 60000;
    IdleHomeTimer.SetEnabled(false);
    IdleHomeTimer.SetInterval(static_cast<unsigned>(std::min<long long>(ms, USER_TIMER_MAXIMUM)));
    IdleHomeTimer.SetEnabled(true);
}

void TfrmMain::IdleHomeTimerTimer() {
    if (CurrentPage == RootFolder) return;
    IdleHomeTimer.SetEnabled(false);
    CurrentPage = RootFolder;
    LoadCurrentPage();
}

}  // namespace tsb
