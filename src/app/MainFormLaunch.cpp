// Launching shortcuts, and the administrator's right-click menus on buttons.
#include "app/MainForm.h"

#include <vector>

#include "framework/core/PictureFile.h"
#include "framework/core/ScopeExit.h"
#include "framework/core/Text.h"
#include "framework/win/Convert.h"
#include "framework/win/Debug.h"
#include "framework/win/Files.h"
#include "pages/WorkingFormUnit.h"
#include "pictures/ImageViewerUnit.h"

namespace tsb {

// The pictures of the clicked shortcut's page, copied in page order, and where the clicked one
// is among them (as clicked, repaired or not). Only the clicked one when its page is gone.
static std::vector<TViewerEntry> PagePictures(TRef<TShortcutRecord> clicked, const TViewerEntry& asClicked,
                                       size_t& current) {
    std::vector<TViewerEntry> out;
    current = 0;
    const TShortcutRecord* s = clicked.Get();
    if (s && s->Parent) {
        for (const auto& entry : s->Parent->Shortcuts) {
            if (entry.get() == s) {
                current = out.size();
                out.push_back(asClicked);
            } else if (entry->LinkInfo && IsPictureFile(ExtractFileExt(entry->LinkInfo->PathName))) {
                const TShellLinkInfo& i = *entry->LinkInfo;
                out.push_back({entry->Name, i.PathName, i.Arguments, i.WorkingDirectory});
            }
        }
    }
    if (out.empty()) out.push_back(asClicked);
    return out;
}

// Clicks and Space/Enter made while a launch waits would start it again (an impatient second
// click) once the wait ends: they are dropped. Other keys are handed on in their order, and the
// wheel stays.
static void DiscardLaunchingInput() {
    MSG m;
    while (::PeekMessageA(&m, nullptr, WM_LBUTTONDOWN, WM_MBUTTONDBLCLK, PM_REMOVE)) {
    }
    std::vector<MSG> keep;
    while (::PeekMessageA(&m, nullptr, WM_KEYDOWN, WM_KEYUP, PM_REMOVE))
        if (m.wParam != VK_SPACE && m.wParam != VK_RETURN) keep.push_back(m);
    for (const MSG& k : keep) ::PostMessageA(k.hwnd, k.message, k.wParam, k.lParam);
}

void TfrmMain::ButtonClick(TControl* sender) {
    // The repair's dialog and the indicator let messages through, and a reload run by them
    // releases the record: the launch works on copies taken before.
    TRef<TShortcutRecord> ref = sender ? sender->Tag().As<TShortcutRecord>() : nullptr;
    const TShortcutRecord* s = ref.Get();
    if (!s || !s->LinkInfo) return;  // a button of a page that has been read again since
    std::string link = s->Path;
    std::string name = s->Name;
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
        if (IsPictureFile(ExtractFileExt(info.PathName))) {
            TImageViewer viewer(this);  // modal over the menu, above it
            viewer.pnlNavBar->SetColor(MainWindowColor);
            viewer.ViewerButtonVisible = SystemImageViewerVisible || AdminMode;
            size_t current = 0;
            std::vector<TViewerEntry> pictures = PagePictures(ref, {name, info.PathName, info.Arguments,
                                                                    info.WorkingDirectory}, current);
            viewer.Execute(std::move(pictures), current);
            return;
        }
        ShowLoading("");
        ::ShellExecuteA(nullptr, "open", info.PathName.c_str(), info.Arguments.c_str(), info.WorkingDirectory.c_str(),
                        SW_SHOWNORMAL);
        ::Sleep(4000);
        DiscardLaunchingInput();
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
