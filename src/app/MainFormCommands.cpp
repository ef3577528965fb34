// The main window's context menu: its items, the rules that hide them, and every command.
#include "app/MainForm.h"

#include <algorithm>

#include "about/SplashFormUnit.h"
#include "creation/CreateShortcutsTool.h"
#include "framework/core/FilePatterns.h"
#include "framework/core/ScopeExit.h"
#include "framework/win/Application.h"
#include "framework/win/Debug.h"
#include "framework/win/Files.h"
#include "pictures/SlideShowUnit.h"

namespace tsb {

void TfrmMain::BuildMenu() {
    PopupMenu1.OnPopup = [this] { PopupMenu1Popup(); };
    PopupMenu = &PopupMenu1;
    auto add = [this](const char* caption, TShortCut key, void (TfrmMain::*handler)(TControl*)) {
        TMenuItem* item = PopupMenu1.Add(caption);
        if (handler) item->OnClick = Command([this, handler] { (this->*handler)(nullptr); });
        item->ShortCut = key;
        return item;
    };
    mnuFind = add("Find", scCtrl | 'F', &TfrmMain::mnuFindClick);
    mnuRedisplay = add("Redisplay", VK_F5, &TfrmMain::mnuRedisplayClick);
    mnuReload = add("Reload", scShift | VK_F5, &TfrmMain::mnuReloadClick);
    mnuEditConfig = add("Edit Config", 0, &TfrmMain::mnuEditConfigClick);
    mnuNewPage = add("New Page", VK_INSERT, &TfrmMain::mnuNewPageClick);
    mnuCreateShortcuts = add("Create Shortcuts", scCtrl | VK_INSERT, &TfrmMain::mnuCreateShortcutsClick);
    mnuExploreShortcuts = add("Explore Shortcuts", 0, &TfrmMain::mnuExploreShortcutsClick);
    mnuButtonSize = add("Button Size", 0, nullptr);
    const char* sizes[] = {"Biggest", "Bigger", "Normal", "Small", "Smaller", "Smallest"};
    for (int i = 0; i < 6; ++i) {
        TMenuItem* item = mnuButtonSize->Add(sizes[i]);
        item->OnClick = Command([this, item] { ButtonSizeClick(item); });
        item->RadioItem = true;
        item->Tag = 3 + i;
        mnuButtonSizes[i] = item;
    }
    mnuButtonSizes[2]->Checked = true;  // Normal, as designed
    mnuSlideshow = add("Slide Show", VK_F10, &TfrmMain::mnuSlideshowClick);
    N1 = add("-", 0, nullptr);
    mnuAbout = add("About", VK_F1, &TfrmMain::mnuAboutClick);
    mnuQuit = add("Quit", scCtrl | 'Q', &TfrmMain::mnuQuitClick);
    // The find dialog stays open beside the window: its button is refused like the menu while
    // the window is busy.
    auto find = Command([this] { FindDialog1Find(nullptr); });
    FindDialog1.OnFind = [this, find](TControl* sender) {
        if (AcceptsCommands()) find(sender);
        else if (HoldsCommands()) HoldCommand([find] { find(nullptr); });  // a display: once it ends
    };
}

TNotifyEvent TfrmMain::Command(std::function<void()> run) {
    return [this, run = std::move(run)](TControl*) {
        auto command = gate_.Command();
        run();
    };
}

// Quit in the middle of a run, or a second run inside the first, would pull the ground from
// under it.
bool TfrmMain::AcceptsCommands() const { return gate_.AcceptsCommands(); }
bool TfrmMain::HoldsCommands() const { return gate_.HoldsCommands(); }

void TfrmMain::ShowMenuItem(TMenuItem* item, bool show) {
    item->Visible = show;
    item->Enabled = show;
}

void TfrmMain::PopupMenu1Popup() {
    for (TMenuItem* item : {mnuReload, mnuEditConfig, mnuNewPage, mnuCreateShortcuts, mnuExploreShortcuts})
        ShowMenuItem(item, AdminMode);
    ShowMenuItem(mnuFind, FindVisible || AdminMode);
    ShowMenuItem(mnuButtonSize, ButtonSizeVisible || AdminMode);
    ShowMenuItem(mnuSlideshow, SlideshowVisible || AdminMode);
    ShowMenuItem(mnuQuit, QuitVisible || AdminMode);
    int level = ButtonSize >= 3 && ButtonSize <= 8 ? ButtonSize : 5;
    for (TMenuItem* item : mnuButtonSizes) item->Checked = item->Tag == level;
}

void TfrmMain::mnuFindClick(TControl*) { FindDialog1.Execute(); }

// The find dialog's choices in the search's own terms: only match case counts.
static unsigned SearchOptionsOf(const TFindDialog& dialog) {
    return (dialog.Options & FR_MATCHCASE) ? SearchMatchCase : 0;
}

void TfrmMain::FindDialog1Find(TControl*) {
    TObjectRef found;
    if (!FindNextItem(FindDialog1.FindText(), SearchOptionsOf(FindDialog1), PageOnShow(), found)) {
        ::MessageBoxA(FindDialog1.Handle() ? FindDialog1.Handle() : Handle(), "Search complete",
                      Application().Title().c_str(), MB_OK | MB_ICONINFORMATION);
        FindDialog1.PostClose();  // the dialog's own find-next handler is still running
        return;
    }
    TRef<TShortcutRecord> shortcut = found.As<TShortcutRecord>();
    if (auto* folder = found.As<TFolderRecord>()) CurrentPage = folder;
    else if (TShortcutRecord* s = shortcut.Get()) CurrentPage = s->Parent;
    else return;  // released while the search let messages through
    LoadCurrentPage();
    if (shortcut.Empty()) return;
    for (const auto& control : ScrollBox1->Controls())
        if (control->Tag().As<TShortcutRecord>() == shortcut.Get() && shortcut.Get()) {
            ScrollBox1->ScrollInView(control.get());
            break;
        }
}

void TfrmMain::mnuRedisplayClick(TControl*) { PostLoadPage(CurrentPage); }

void TfrmMain::mnuReloadClick(TControl*) {
    if (RootFolder) RootFolder->NeedsLoad = true;
    if (TFolderRecord* page = CurrentPage.Get()) page->NeedsLoad = true;
    ReloadAll();
}

void TfrmMain::mnuEditConfigClick(TControl*) {
    ::ShellExecuteA(Handle(), "open", IniFileName().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::string TfrmMain::NewPageName() {
    std::string folder = PageOnShow()->Path + "\\";
    std::string name = "New Page";
    for (int n = 1; DirectoryExists(folder + name); ++n) name = "New Page (" + std::to_string(n) + ")";
    return name;
}

void TfrmMain::mnuNewPageClick(TControl*) {
    std::string name = NewPageName();
    if (!InputQuery("New Page", "Page Name", name, this)) return;
    // A name that is no plain folder name would make nested pages, or a folder outside the
    // tree; one that exists is left as it is. Neither is told: nothing is made.
    // A name beginning with a dot makes a folder that is never shown as a page.
    if (!IsPlainFolderName(name) || name.front() == '.') return;
    std::string path = PageOnShow()->Path + "\\" + name;
    if (DirectoryExists(path)) return;
    try {
        ForceDirectories(path);  // the folder monitor brings the new page to the display
    } catch (const std::exception& e) {
        Log(std::string("TfrmMain.mnuNewPageClick: ") + e.what());
    }
}

void TfrmMain::mnuCreateShortcutsClick(TControl*) {
    TCreateShortcutsHooks hooks;
    hooks.BeforeRun = [this] {
        StopMonitor();
        ChangeTimer.SetEnabled(false);
    };
    hooks.AfterRun = [this] {
        // The monitor was off during the run: what it missed is found by reading again, this
        // page now and every other page read so far when it is next shown.
        if (TFolderRecord* page = CurrentPage.Get()) page->NeedsLoad = true;
        StartMonitor();
        Resynchronise();
    };
    ExecuteCreateShortcuts(this, LastSourcePath, [this] { return PageOnShow()->Path; }, hooks);
}

std::string TfrmMain::ExploreShortcutsPath() const {
    std::string path = ProgramFolder() + "shortcuts";
    return DirectoryExists(path) ? path : ProgramFolder();
}

void TfrmMain::mnuExploreShortcutsClick(TControl*) {
    ::ShellExecuteA(Handle(), "open", ExploreShortcutsPath().c_str(), "", "", SW_SHOWNORMAL);
}

void TfrmMain::ButtonSizeClick(TMenuItem* sender) {
    if (std::find(std::begin(mnuButtonSizes), std::end(mnuButtonSizes), sender) == std::end(mnuButtonSizes))
        return;
    SetButtonSize(sender->Tag);
    for (TMenuItem* item : mnuButtonSizes) item->Checked = item == sender;
    if (TFolderRecord* page = CurrentPage.Get()) page->Changed = true;
    RestartChangeTimer();
}

void TfrmMain::mnuSlideshowClick(TControl*) {
    TfrmSlideshow show(this);  // above the menu, which waits for it
    show.Page = CurrentPage;
    show.SlideTime = SlideshowTime;
    show.Start();
}

void TfrmMain::mnuAboutClick(TControl*) { ShowAbout(); }

void TfrmMain::mnuQuitClick(TControl*) { CloseAsQuit(); }

void TfrmMain::CloseAsQuit() {
    quitting_ = true;
    ScopeExit stay([this] { quitting_ = false; });  // a close that fails leaves the menu as it was
    Close();
}

}  // namespace tsb
