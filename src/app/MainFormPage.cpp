// The main window's page display: the page title, header, sub-page buttons and shortcut grid.
#include "app/MainForm.h"

#include "app/Layout.h"
#include "controls/MenuButtons.h"
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

// One display of a page, from its beginning to its end on every way out, a failed read of the
// folder included: what the end does is here, in its order.
class TfrmMain::TPageDisplay {
public:
    explicit TPageDisplay(TfrmMain& w) : w_(w) {}
    ~TPageDisplay() {
        if (drawingOff_) {
            ::SendMessageA(w_.Handle(), WM_SETREDRAW, TRUE, 0);
            ::RedrawWindow(w_.Handle(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
        }
        HideWorking();
        bool away = w_.CurrentPage != RootFolder;
        w_.HomeButton->SetEnabled(away);
        w_.BackButton->SetEnabled(away);
        Application().SetScreenCursor(nullptr);
        // Thumbnails start after the window is restored, and only for a display built to its end.
        if (built_) w_.GetImageThumbnails();
        if (TRef<TFolderRecord> next = w_.gate_.End(); !next.Empty()) w_.PostLoadPage(next);
        w_.ReplayHeldCommand();
    }
    TPageDisplay(const TPageDisplay&) = delete;
    TPageDisplay& operator=(const TPageDisplay&) = delete;

    void DrawingOff() {
        ::SendMessageA(w_.Handle(), WM_SETREDRAW, FALSE, 0);
        drawingOff_ = true;
    }
    void Built() { built_ = true; }

private:
    TfrmMain& w_;
    bool drawingOff_ = false;
    bool built_ = false;
};

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
    if (!gate_.Begin(CurrentPage)) return;
    TPageDisplay display(*this);
    HomeButton->SetEnabled(false);
    BackButton->SetEnabled(false);
    Log("TfrmMain.LoadCurrentPage");
    ReadPageOnShow();
    TFolderRecord* page = PageOnShow();
    TRef<TFolderRecord> building = page;
    ShowPageFrame(page);
    display.DrawingOff();
    ShowPageHeader(page);
    FolderPanel->DestroyControls();
    ScrollBox1->DestroyControls();
    MakeSubPageButtons(page);
    if (page->Shortcuts.size() > 100) {
        ShowLoading("");
        page = building.Get();
        if (!page) {  // released meanwhile: the page on show now is displayed next
            if (!gate_.Holds()) gate_.Hold(PageOnShow());
            return;
        }
    }
    MakeShortcutButtons(page);
    display.Built();
}

// The folder of the page on show, read again if it must be; the window says it is loading.
void TfrmMain::ReadPageOnShow() {
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
}

void TfrmMain::ShowPageFrame(TFolderRecord* page) {
    pnlNav->SetVisible(!(page == RootFolder && RootFolder->Folders.empty()));
    PageScroller1->ScrollToStart();
    FolderPanel->SetBounds(0, 0, FolderPanel->Width(), PageScroller1->Height());
    PageTitlePanel->SetCaption(page->Name);
}

void TfrmMain::ShowPageHeader(TFolderRecord* page) {
    if (page->HeaderText.empty()) {
        pnlPageHeader->Hide();
    } else {
        pnlPageHeader->Show();
        redPageHeader->SetRichText(WideToAnsi(page->HeaderText));
    }
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

// The page is built again at the new scale: its buttons, pictures and grid are made for it.
void TfrmMain::DpiChanged(int dpi, const RECT& suggested) {
    TForm::DpiChanged(dpi, suggested);
    PostLoadPage(CurrentPage);
}

}  // namespace tsb
