// Launching shortcuts, and the administrator's right-click menus on buttons.
#include "app/MainForm.h"

#include "app/Tools.h"
#include "framework/core/Text.h"
#include "framework/win/Convert.h"
#include "framework/win/Debug.h"
#include "framework/win/Files.h"
#include "pages/WorkingFormUnit.h"

namespace tsb {

void TfrmMain::ButtonClick(TControl* sender) {
    auto* s = dynamic_cast<TShortcutRecord*>(sender->Tag());
    try {
        struct Hide {
            ~Hide() { HideWorking(); }
        } hide;
        TShellLinkInfo* info = s ? s->LinkInfo.get() : nullptr;
        if (info && !FileExists(info->PathName)) {
            GetShellLinkInfo(AnsiToWide(s->Path), *info, true, Handle());
            if (FileExists(info->PathName)) SetShellLinkInfo(AnsiToWide(s->Path), *info);
        }
        if (!info || !FileExists(info->PathName)) return;
        // Pictures open in the built-in viewer once it exists; until then the shell shows them.
        ShowLoading("");
        ::ShellExecuteA(nullptr, "open", info->PathName.c_str(), info->Arguments.c_str(),
                        info->WorkingDirectory.c_str(), SW_SHOWNORMAL);
        ::Sleep(4000);
    } catch (const std::exception& e) {
        Log(std::string("ButtonClick Exception: ") + e.what());
    }
}

static void PopupAt(TPopupMenu& menu, TControl* sender, int x, int y) {
    POINT pt{x, y};
    ::ClientToScreen(sender->Handle(), &pt);
    menu.Tag = sender->Tag();
    menu.Popup(pt.x, pt.y);
}

void TfrmMain::ButtonRightClick(TControl* sender, TMouseButton, TShiftState, int x, int y) {
    PopupAt(ButtonPopupMenu, sender, x, y);
}

void TfrmMain::FolderRightClick(TControl* sender, TMouseButton, TShiftState, int x, int y) {
    PopupAt(FolderPopupMenu, sender, x, y);
}

void TfrmMain::Edit1Click(TControl*) {
    auto* s = dynamic_cast<TShortcutRecord*>(ButtonPopupMenu.Tag);
    if (s && FileExists(s->Path)) ::ShellExecuteA(nullptr, "properties", s->Path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TfrmMain::Delete1Click(TControl*) {
    auto* s = dynamic_cast<TShortcutRecord*>(ButtonPopupMenu.Tag);
    if (s && FileExists(s->Path)) ::DeleteFileA(s->Path.c_str());
}

void TfrmMain::OpenFolder1Click(TControl*) {
    auto* f = dynamic_cast<TFolderRecord*>(FolderPopupMenu.Tag);
    if (f && DirectoryExists(f->Path)) ::ShellExecuteA(nullptr, "open", f->Path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TfrmMain::DeleteFolder1Click(TControl*) {
    auto* f = dynamic_cast<TFolderRecord*>(FolderPopupMenu.Tag);
    if (f && DirectoryExists(f->Path)) ::RemoveDirectoryA(f->Path.c_str());  // only an empty folder goes
}

}  // namespace tsb
