// The main window's side of the folder monitor: every change on disk updates the page tree or
// marks the configuration, and ChangeTimer, restarted by each one, redisplays once per burst.
#include <utility>
#include <vector>

#include "app/MainForm.h"
#include "framework/core/ScopeExit.h"
#include "framework/core/Text.h"
#include "framework/win/Files.h"

namespace tsb {

// Runs inside a blocking hand-over from the monitor's worker, possibly in the middle of a
// display: it only changes the tree's flags and paths and restarts the timer.
void TfrmMain::FolderMonChange(TFolderMon* sender, const TFolderItemInfo& change) {
    const std::string& folder = sender->Folder();
    std::string full = folder + change.FileName;
    std::string lower = LowerAZ(full);
    bool besideProgram = ExtractFilePath(change.FileName).empty() && SameTextAZ(folder, ProgramFolder());
    if (change.Action != actNewName) DropPendingRename();
    switch (change.Action) {
        case actOldName:
            RenameFrom = lower;
            break;
        case actNewName:
            // A new name without its old half is an arrival; an old half is used once.
            if (RenameFrom.empty()) MarkItemAdded(lower);
            else RenameOrMove(std::exchange(RenameFrom, {}), full);
            break;
        case actAdded:
            MarkItemAdded(lower);
            break;
        case actRemoved:
            ItemRemoved(lower);
            break;
        case actModified:
            if (besideProgram) ConfigChanged = true;
            else MarkFileChanged(lower);
            break;
    }
    // The home page's own folder back in its place (made anew, or renamed to it): no record
    // above the root notices, so the root is read again.
    if ((change.Action == actAdded || change.Action == actNewName) && RootFolder && lower == RootFolder->Path) {
        RootFolder->NeedsLoad = true;
        RootFolder->Changed = true;
    }
    if (besideProgram) ConfigChanged = true;
    RestartChangeTimer();
}

// The page on show moves to the folder that held the removed item when its path begins with
// the removed one (as text: a removed sibling "games" moves "games2" too); when that folder is
// no page (an item beside the program, the shortcuts folder itself) the home page is shown.
void TfrmMain::ItemRemoved(const std::string& lowerPath) {
    if (TFolderRecord* page = CurrentPage.Get(); page && StartsWith(page->Path, lowerPath)) {
        TFolderRecord* holder = FindFolderByPath(ExcludeTrailingDelimiter(ExtractFilePath(lowerPath)));
        CurrentPage = holder ? holder : RootFolder;
    }
    RemoveItem(lowerPath);
}

// A new name in another folder is a move (a cut and paste on one volume): it leaves the old
// folder's page and arrives on the new one's, both of which are then shown anew.
void TfrmMain::RenameOrMove(const std::string& lowerOld, const std::string& full) {
    std::string lowerNew = LowerAZ(full);
    if (ExtractFilePath(lowerOld) == ExtractFilePath(lowerNew)) {
        RenameItem(lowerOld, full);
        return;
    }
    ItemRemoved(lowerOld);
    MarkItemAdded(lowerNew);
}

// An old name whose new half did not follow was moved out of sight: it is gone.
void TfrmMain::DropPendingRename() {
    if (!RenameFrom.empty()) ItemRemoved(std::exchange(RenameFrom, {}));
}

// After a loss every folder is read again: one marked already may have been read since (a
// change marks the folder's parent too), and one never read holds no records below it.
void TfrmMain::Resynchronise() {
    std::vector<TFolderRecord*> pending;
    if (RootFolder) pending.push_back(RootFolder);
    while (!pending.empty()) {
        TFolderRecord* f = pending.back();
        pending.pop_back();
        f->NeedsLoad = true;
        for (const auto& sub : f->Folders) pending.push_back(sub.get());
    }
    ConfigChanged = true;
    RestartChangeTimer();
}

// Every notification starts the wait again: one tick for a burst.
void TfrmMain::RestartChangeTimer() {
    ChangeTimer.SetEnabled(false);
    ChangeTimer.SetEnabled(true);
}

void TfrmMain::ChangeTimerTimer() {
    ChangeTimer.SetEnabled(false);  // one tick per burst
    DropPendingRename();
    // Posted, not built here: the tick may come inside a button's handler (a menu, the viewer,
    // a launch's wait), and the page is rebuilt once that handler's loop hands the message on.
    // Also when the configuration cannot be read: its error box must not hold back the page.
    ScopeExit redisplay([this] {
        TFolderRecord* page = PageOnShow();
        if (page && (page->Changed || page->NeedsLoad)) PostLoadPage(page);
    });
    if (ConfigChanged) LoadConfig();
}

}  // namespace tsb
