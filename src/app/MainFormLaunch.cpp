// Launching shortcuts, and the administrator's right-click menus on buttons.
#include "app/MainForm.h"

#include "app/Tools.h"
#include "framework/core/ScopeExit.h"
#include "framework/core/Text.h"
#include "framework/win/Convert.h"
#include "framework/win/Debug.h"
#include "framework/win/Files.h"
#include "pages/WorkingFormUnit.h"

namespace tsb {

void TfrmMain::ButtonClick(TControl* sender) {
    // The repair's dialog and the indicator let messages through, and a reload run by them
    // releases the record: the launch works on copies taken before.
    TRef<TShortcutRecord> ref = sender ? sender->Tag().As<TShortcutRecord>() : nullptr;
    const TShortcutRecord* s = ref.Get();
    if (!s || !s->LinkInfo) return;  // a button of a page that has been read again since
    std::string link = s->Path;
    TShellLinkInfo info = *s->LinkInfo;
    s = nullptr;
    try {
        ScopeExit hide([] { HideWorking(); });
        if (!FileExists(info.PathName)) {
            GetShellLinkInfo(AnsiToWide(link), info, true, Handle());
            if (FileExists(info.PathName)) {
                SetShellLinkInfo(AnsiToWide(link), info);
                if (TShortcutRecord* still = ref.Get(); still && still->LinkInfo) *still->LinkInfo = info;
            }
        }
        if (!FileExists(info.PathName)) return;
        // Pictures open in the built-in viewer once it exists; until then the shell shows them.
        ShowLoading("");
        ::ShellExecuteA(nullptr, "open", info.PathName.c_str(), info.Arguments.c_str(), info.WorkingDirectory.c_str(),
                        SW_SHOWNORMAL);
        ::Sleep(4000);
    } catch (const std::exception& e) {
        Log(std::string("ButtonClick Exception: ") + e.what());
    }
}

static void PopupAt(TPopupMenu& menu, TControl* sender, const std::string& path, int x, int y) {
    POINT pt = sender->ScreenPoint(x, y);
    menu.Tag = sender->Tag();
    menu.TagPath = path;
    menu.Popup(pt.x, pt.y);
}

// A button whose record has gone (its page was read again) has nothing left to offer.
void TfrmMain::ButtonRightClick(TControl* sender, TMouseButton, TShiftState, int x, int y) {
    if (auto* s = sender->Tag().As<TShortcutRecord>()) PopupAt(ButtonPopupMenu, sender, s->Path, x, y);
}

void TfrmMain::FolderRightClick(TControl* sender, TMouseButton, TShiftState, int x, int y) {
    if (auto* f = sender->Tag().As<TFolderRecord>()) PopupAt(FolderPopupMenu, sender, f->Path, x, y);
}

// The path of what the menu was opened on: the record's own while it lives (it follows a
// rename), else the one it had then; never whatever took the record's place.
template <class Record>
static std::string MenuPath(const TPopupMenu& menu) {
    if (const Record* r = menu.Tag.As<Record>()) return r->Path;
    return menu.TagPath;
}

void TfrmMain::Edit1Click(TControl*) {
    std::string path = MenuPath<TShortcutRecord>(ButtonPopupMenu);
    if (FileExists(path))
        ::ShellExecuteA(nullptr, "properties", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TfrmMain::Delete1Click(TControl*) {
    std::string path = MenuPath<TShortcutRecord>(ButtonPopupMenu);
    if (FileExists(path)) ::DeleteFileA(path.c_str());
}

void TfrmMain::OpenFolder1Click(TControl*) {
    std::string path = MenuPath<TFolderRecord>(FolderPopupMenu);
    if (DirectoryExists(path))
        ::ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TfrmMain::DeleteFolder1Click(TControl*) {
    std::string path = MenuPath<TFolderRecord>(FolderPopupMenu);
    if (DirectoryExists(path)) ::RemoveDirectoryA(path.c_str());  // only an empty folder goes
}

}  // namespace tsb
