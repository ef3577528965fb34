// The main window's context menu and its commands, in-process on a program folder of the
// test's own: what the menu shows to whom, its keys, New Page, Find, Button Size, Create
// Shortcuts and the refusal of commands while one runs.
#include <chrono>

#include "creation/CreateShortcutsFormUnit.h"
#include "framework/core/ScopeExit.h"
#include "framework/win/Application.h"
#include "framework/win/Files.h"
#include "win/DialogAnswerer.h"
#include "win/MainFormFixture.h"
#include "win/ModalScript.h"
#include "win/ProcessCounts.h"

using namespace tsb;
using namespace tsbtest;

namespace {

// The captions of an open menu, "-" for a separator; sub-menus follow their item in braces.
std::vector<std::string> MenuTexts(HMENU menu) {
    std::vector<std::string> out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        if (info.fType & MFT_SEPARATOR) {
            out.push_back("-");
            continue;
        }
        std::string item = text;
        if (info.fState & MFS_CHECKED) item += (info.fType & MFT_RADIOCHECK) ? " (o)" : " (x)";
        if (info.fState & MFS_DISABLED) item += " (disabled)";
        out.push_back(item);
        if (info.hSubMenu) {
            out.push_back("{");
            for (auto& sub : MenuTexts(info.hSubMenu)) out.push_back(sub);
            out.push_back("}");
        }
    }
    return out;
}

// Holds the given modifier keys down, as the thread's keyboard state, while it lives.
class HeldKeys {
public:
    explicit HeldKeys(std::initializer_list<int> keys) {
        GetKeyboardState(saved_);
        BYTE state[256];
        memcpy(state, saved_, sizeof state);
        for (int k : keys) state[k] = 0x80;
        SetKeyboardState(state);
    }
    ~HeldKeys() { SetKeyboardState(saved_); }

private:
    BYTE saved_[256];
};

// A visible and enabled system dialog into *lp (the find dialog is disabled under its box).
BOOL CALLBACK EnabledBox(HWND h, LPARAM lp) {
    char cls[16] = {};
    GetClassNameA(h, cls, sizeof cls);
    if (strcmp(cls, "#32770") != 0 || !IsWindowVisible(h) || !IsWindowEnabled(h)) return TRUE;
    *reinterpret_cast<HWND*>(lp) = h;
    return FALSE;
}

const std::vector<std::string> AllItems{"Find\tCtrl+F", "Redisplay\tF5", "Reload\tShift+F5", "Edit Config",
                                        "New Page\tIns", "Create Shortcuts\tCtrl+Ins", "Explore Shortcuts",
                                        "Button Size", "{", "Biggest", "Bigger", "Normal (o)", "Small",
                                        "Smaller", "Smallest", "}", "Slide Show\tF10", "-", "About\tF1",
                                        "Quit\tCtrl+Q"};

}  // namespace

class CommandsTest : public MainFormTest {
protected:
    // A real right click on w; what the menu it opens shows, read while it is open, after which
    // it is closed unchosen. Empty when no menu opened.
    std::vector<std::string> MenuOn(HWND w) {
        std::vector<std::string> seen;
        bool done = false;
        ModalScript script(
            [&] {
                HWND menu = FindWindowA("#32768", nullptr);
                if (!menu || !IsWindowVisible(menu)) return true;
                seen = MenuTexts(reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0)));
                EndMenu();
                done = true;
                return false;
            },
            [&] { done = true; });
        PostClick(w, true);
        PumpUntil([&] { return done; }, 3000);
        return seen;
    }
    void WriteIni(const std::string& options) { WriteFile(frm->IniFileName(), "[options]\r\n" + options); }
    // Posts a key to the focused control (a shortcut button), with the modifiers held.
    void PostKey(UINT vk, bool system = false) {
        PostMessageA(GetFocus(), system ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 1);
        PostMessageA(GetFocus(), system ? WM_SYSKEYUP : WM_KEYUP, vk, 0xC0000001);
    }
    // Windows of these classes that came up meanwhile are recorded and closed; body sees the
    // record as it grows.
    std::vector<std::string> WindowsOpened(const std::function<void(const std::vector<std::string>&)>& body) {
        std::vector<std::string> opened;
        ModalScript script(
            [&] {
                for (const char* cls : {"TInputQueryForm", "TCreateShortcutsForm", "TSplashForm", "TfrmSlideshow", "#32770"})
                    if (HWND w = FindWindowA(cls, nullptr); w && IsWindowVisible(w)) {
                        opened.push_back(cls);
                        PostMessageA(w, WM_CLOSE, 0, 0);
                    }
                return true;
            },
            [] {});
        body(opened);
        return opened;
    }
    void FocusFirstButton() {
        ASSERT_FALSE(PageButtons().empty());
        PageButtons()[0]->SetFocus();
        ASSERT_EQ(GetFocus(), PageButtons()[0]->Handle());
    }
};

TEST_F(CommandsTest, TheMenuShowsWhatTheRulesAllowToWhom) {
    Link("a.lnk", "Alpha");
    Start();
    // An ordinary user's shortcut button has no menu of its own: the window's opens.
    EXPECT_EQ(MenuOn(PageButtons()[0]->Handle()),
              (std::vector<std::string>{"Find\tCtrl+F", "Redisplay\tF5", "Button Size", "{", "Biggest", "Bigger",
                                        "Normal (o)", "Small", "Smaller", "Smallest", "}", "Slide Show\tF10", "-",
                                        "About\tF1", "Quit\tCtrl+Q"}));
    WriteIni("find-visible=0\r\nbutton-size-visible=0\r\nslideshow-visible=0\r\nquit-visible=0\r\nbutton-size=7\r\n");
    frm->LoadConfig();
    EXPECT_EQ(MenuOn(frm->ScrollBox1->Handle()), (std::vector<std::string>{"Redisplay\tF5", "-", "About\tF1"}));
    // The administrator sees everything, whatever the file says; the size in use is ticked.
    frm->AdminMode = true;
    std::vector<std::string> all = AllItems;
    all[11] = "Normal";
    all[13] = "Smaller (o)";
    EXPECT_EQ(MenuOn(frm->pnlFooter->Handle()), all);
}

TEST_F(CommandsTest, KeysReachOnlyTheCommandsShown) {
    Link("a.lnk", "Alpha");
    WriteFile(dir / "Tessaboard.ini", "[options]\r\nquit-visible=0\r\nslideshow-visible=0\r\n");
    Start();
    FocusFirstButton();
    int configReads = Lines("TSB: TfrmMain.LoadConfig");
    int displays = Lines("TSB: WMLoadPage");
    std::vector<std::string> opened = WindowsOpened([&](const std::vector<std::string>&) {
        PostKey(VK_INSERT);  // New Page
        PostKey(VK_F5);      // Redisplay: the sign that the key before has been read
        ASSERT_TRUE(PumpUntil([&] { return Lines("TSB: WMLoadPage") > displays; }));
        displays = Lines("TSB: WMLoadPage");
        {
            HeldKeys ctrl{VK_CONTROL};
            PostKey(VK_INSERT);  // Create Shortcuts
            PostKey('Q');        // Quit, hidden by the file
            PumpUntil([] { return false; }, 200);
        }
        {
            HeldKeys shift{VK_SHIFT};
            PostKey(VK_F5);  // Reload
            PumpUntil([] { return false; }, 200);
        }
        PostKey(VK_F10, true);  // Slide Show, hidden by the file
        PostKey(VK_F5);         // Redisplay: shown to everyone, and the sign the keys before were read
        ASSERT_TRUE(PumpUntil([&] { return Lines("TSB: WMLoadPage") > displays; }));
    });
    EXPECT_TRUE(opened.empty()) << opened[0];
    EXPECT_EQ(Lines("TSB: TfrmMain.LoadConfig"), configReads) << "no reload";
    EXPECT_FALSE(Application().Terminated());
    EXPECT_EQ(FilesIn(root, "*").size(), 1u) << "no page made";

    // F1 opens About from a button with the focus.
    opened = WindowsOpened([&](const std::vector<std::string>& seen) {
        PostKey(VK_F1);
        PumpUntil([&] { return !seen.empty(); });
    });
    EXPECT_EQ(opened, (std::vector<std::string>{"TSplashForm"}));
}

TEST_F(CommandsTest, NewPageProposesAFreeNameAndMakesOnlyPlainNewFolders) {
    Link("a.lnk", "Alpha");
    MakeDir(root + "\\New Page");
    MakeDir(root + "\\New Page (1)");
    Start(true);
    FocusFirstButton();
    // Types into the box that Ins brings up (the name it proposes is kept) and confirms.
    auto answer = [&](const std::string& typed, std::string* proposed) {
        bool answered = false;
        ModalScript script(
            [&] {
                HWND w = FindWindowA("TInputQueryForm", nullptr);
                if (!w || !IsWindowVisible(w)) return true;
                HWND edit = FindWindowExA(w, nullptr, "Edit", nullptr);
                if (proposed) *proposed = TextOf(edit);
                char caption[64] = {};
                GetWindowTextA(w, caption, sizeof caption);
                EXPECT_STREQ(caption, "New Page");
                SetWindowTextA(edit, typed.c_str());
                PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);  // the default button, OK
                answered = true;
                return false;
            },
            [] {});
        PostKey(VK_INSERT);
        EXPECT_TRUE(PumpUntil([&] { return answered && !IsWindowVisible(FindWindowA("TInputQueryForm", nullptr)); }));
    };
    std::string proposed;
    answer("Projects", &proposed);
    EXPECT_EQ(proposed, "New Page (2)");
    ASSERT_TRUE(DirectoryExists(root + "\\Projects"));
    EXPECT_TRUE(PumpUntil([&] {
        for (auto* b : StripButtons())
            if (b->Caption() == "Projects") return true;
        return false;
    })) << "the new page's button comes through the folder monitor";

    WriteFile(root + "\\Projects\\keep.txt", "x");
    std::vector<std::string> before = FilesIn(root, "*");
    std::vector<std::string> boxes = WindowsOpened([&](const std::vector<std::string>&) {
        for (const char* bad : {"Projects", "a\\b", "..", "..\\outside", "c:x", "Trail.", "Trail ", "CON", "", ".hidden"})
            answer(bad, nullptr);
    });
    EXPECT_TRUE(boxes.empty()) << "nothing is told";
    EXPECT_EQ(FilesIn(root, "*"), before);
    EXPECT_EQ(FilesIn(root + "\\Projects", "*"), (std::vector<std::string>{"keep.txt"}));
    EXPECT_FALSE(DirectoryExists(dir / "outside"));
}

TEST_F(CommandsTest, FindShowsEachMatchInTurnAndEndsWithSearchComplete) {
    MakeDir(root + "\\Games");
    for (int i = 0; i < 40; ++i) Link("Games\\g" + std::to_string(100 + i) + ".lnk", "Game " + std::to_string(100 + i));
    Link("Games\\zz.lnk", "Zz Chess");
    MakeDir(root + "\\Music");
    Link("Music\\song.lnk", "Chess Song");
    Start();
    frm->mnuFindClick(nullptr);
    HWND dialog = frm->FindDialog1.Handle();
    ASSERT_TRUE(dialog);
    SetDlgItemTextW(dialog, 0x480, L"CHESS");  // the dialog's text box; match case is off
    // Enter in the dialog's text box presses Find Next: the dialog gets its keys.
    PostMessageA(GetDlgItem(dialog, 0x480), WM_KEYDOWN, VK_RETURN, 1);
    ASSERT_TRUE(PumpUntil([&] { return frm->PageTitlePanel->Caption() == "Games"; }));
    TColorButton* found = PageButtons().back();
    EXPECT_EQ(found->Caption(), "Zz Chess");
    EXPECT_GT(frm->ScrollBox1->ScrollPos(), 0) << "the found button is scrolled into view";
    RECT view = ScreenRect(frm->ScrollBox1->Handle()), button = ScreenRect(found->Handle());
    EXPECT_GE(button.top, view.top);
    EXPECT_LE(button.bottom, view.bottom);

    // The dialog stays open: the next press goes on from the page on show.
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(frm->PageTitlePanel->Caption(), "Music");
    // Answers the next box that comes up beside the dialog, keeping what it said.
    std::string told;
    auto answerBox = [&] {
        return [&] {
            HWND box = nullptr;
            EnumThreadWindows(GetCurrentThreadId(), &EnabledBox, reinterpret_cast<LPARAM>(&box));
            if (!box || box == dialog) return true;
            told = detail::StaticTexts(box);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return false;
        };
    };
    ModalScript answer(answerBox(), [] {});
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_NE(told.find("Search complete"), std::string::npos) << told;
    EXPECT_TRUE(PumpUntil([&] { return frm->FindDialog1.Handle() == nullptr; })) << "closed after the last match";
    EXPECT_FALSE(IsWindow(dialog));
    // Opened again, it keeps its text and the match-case choice; whole word stays disabled.
    frm->mnuFindClick(nullptr);
    dialog = frm->FindDialog1.Handle();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(TextOf(GetDlgItem(dialog, 0x480)), "CHESS");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 0x410)));
    CheckDlgButton(dialog, 0x411, BST_CHECKED);
    // A text longer than the dialog keeps: cut, and the search runs on it (none matches).
    SetDlgItemTextW(dialog, 0x480, std::wstring(300, L'x').c_str());
    ModalScript again(answerBox(), [] {});
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_LT(frm->FindDialog1.FindText().size(), 256u);
    ASSERT_TRUE(PumpUntil([&] { return frm->FindDialog1.Handle() == nullptr; }));
    frm->mnuFindClick(nullptr);
    dialog = frm->FindDialog1.Handle();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 0x411), static_cast<UINT>(BST_CHECKED));
    // Match case ticked: "CHESS" is in none of the names as typed, "Chess" is.
    Go(RootFolder);
    SetDlgItemTextW(dialog, 0x480, L"CHESS");
    told.clear();
    ModalScript caseMatters(answerBox(), [] {});
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_NE(told.find("Search complete"), std::string::npos) << frm->PageTitlePanel->Caption();
    ASSERT_TRUE(PumpUntil([&] { return frm->FindDialog1.Handle() == nullptr; }));
    frm->mnuFindClick(nullptr);
    dialog = frm->FindDialog1.Handle();
    ASSERT_TRUE(dialog);
    SetDlgItemTextW(dialog, 0x480, L"Chess");
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(frm->PageTitlePanel->Caption(), "Games");
    frm->FindDialog1.CloseDialog();
    EXPECT_EQ(frm->FindDialog1.Handle(), nullptr);
}

TEST_F(CommandsTest, ButtonSizeRedrawsAfterATenthAndReloadBringsBackTheFile) {
    Link("a.lnk", "Alpha");
    Start();
    auto started = std::chrono::steady_clock::now();
    frm->ButtonSizeClick(frm->mnuButtonSizes[5]);  // Smallest
    ASSERT_TRUE(PumpUntil([&] { return PageButtons()[0]->Width() == 85; }));
    auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(90));
    EXPECT_EQ(PageButtons()[0]->Height(), 80);
    EXPECT_TRUE(frm->mnuButtonSizes[5]->Checked);
    EXPECT_EQ(ReadFile(frm->IniFileName()).find("button-size=8"), std::string::npos) << "not written";
    frm->mnuReloadClick(nullptr);
    EXPECT_EQ(PageButtons()[0]->Width(), 150);
    EXPECT_EQ(frm->ButtonSize, 5);

    // Explore Shortcuts opens the program folder once the shortcuts folder has gone.
    EXPECT_EQ(frm->ExploreShortcutsPath(), dir.Path() + "\\shortcuts");
    frm->StopMonitor();
    RemoveTree(root);
    EXPECT_EQ(frm->ExploreShortcutsPath(), dir.Path() + "\\");
}

TEST_F(CommandsTest, CreateShortcutsRunsFromItsKeyAndQuitWaitsForItsEnd) {
    TempFolder source{"tsbsrc"};
    for (int i = 0; i < 20; ++i) WriteFile(source / ("doc" + std::to_string(i) + ".txt"), "x");
    Link("a.lnk", "Alpha");
    Start(true);
    FocusFirstButton();
    bool filled = false;
    ModalScript script(
        [&] {
            auto* form = dynamic_cast<TCreateShortcutsForm*>(TControl::FromHandle(FindWindowA("TCreateShortcutsForm", nullptr)));
            if (!form || !IsWindowVisible(form->Handle())) return true;
            form->PathEdit->SetText(source.Path());  // no category chosen: every file
            // Ctrl+Q, queued before the run starts (Ctrl is still held): read while the run
            // lets messages through.
            PostMessageA(frm->Handle(), WM_KEYDOWN, 'Q', 1);
            form->OkButton->PerformClick();
            filled = true;
            return false;
        },
        [] {});
    {
        HeldKeys ctrl{VK_CONTROL};
        PostKey(VK_INSERT);
        ASSERT_TRUE(PumpUntil([&] { return filled; }));
    }
    ASSERT_TRUE(PumpUntil([&] { return PageButtons().size() == 21; }, 20000)) << PageButtons().size();
    EXPECT_FALSE(Application().Terminated()) << "Quit was refused during the run";
    EXPECT_EQ(FilesIn(root, "*.lnk").size(), 21u);
    ASSERT_TRUE(frm->FolderMonitor);
    EXPECT_TRUE(frm->FolderMonitor->Active());
    // The monitor is back: a link made now shows without anything else.
    Link("b.lnk", "Beta");
    EXPECT_TRUE(PumpUntil([&] { return PageButtons().size() == 22; }));
    EXPECT_EQ(frm->LastSourcePath, source.Path());
}

TEST_F(CommandsTest, KeysMoveTheFocusThroughTheGridAndNavigate) {
    MakeDir(root + "\\Games");
    for (int i = 0; i < 30; ++i) Link("Games\\g" + std::to_string(100 + i) + ".lnk", "Game " + std::to_string(100 + i));
    MakeDir(root + "\\Games\\Cards");
    Start();
    Go(RootFolder->Folders[0].get());
    ASSERT_EQ(frm->PageTitlePanel->Caption(), "Games");
    auto buttons = PageButtons();
    ASSERT_EQ(buttons.size(), 30u);
    auto focusedIndex = [&] {
        for (size_t i = 0; i < buttons.size(); ++i)
            if (buttons[i]->Handle() == GetFocus()) return static_cast<int>(i);
        return -1;
    };
    auto press = [&](UINT vk, bool system = false) {
        PostKey(vk, system);
        Application().ProcessMessages();
        return focusedIndex();
    };
    // From outside the grid a move key enters it: End at the last button, the others the first.
    ::SetFocus(frm->Handle());
    EXPECT_EQ(press(VK_END), 29);
    frm->HomeButton->SetFocus();
    EXPECT_EQ(press(VK_DOWN), 0);
    int columns = 1;
    while (columns < 30 && buttons[columns]->Top() == buttons[0]->Top()) ++columns;
    ASSERT_GT(columns, 1);
    EXPECT_EQ(press(VK_LEFT), 0) << "the first stays";
    EXPECT_EQ(press(VK_RIGHT), 1);
    EXPECT_EQ(press(VK_DOWN), 1 + columns) << "same column, next row";
    EXPECT_EQ(press(VK_UP), 1);
    EXPECT_EQ(press(VK_HOME), 0);
    for (int i = 0; i < columns - 2; ++i) press(VK_RIGHT);
    EXPECT_EQ(press(VK_RIGHT), columns - 1);
    EXPECT_EQ(press(VK_RIGHT), columns) << "wraps to the next row";
    EXPECT_EQ(press(VK_END), 29);
    EXPECT_GT(frm->ScrollBox1->ScrollPos(), 0) << "the last button scrolled into view";
    RECT view = ScreenRect(frm->ScrollBox1->Handle()), last = ScreenRect(buttons[29]->Handle());
    EXPECT_LE(last.bottom, view.bottom);
    EXPECT_EQ(press(VK_HOME), 0);
    view = ScreenRect(frm->ScrollBox1->Handle());
    EXPECT_GE(ScreenRect(buttons[0]->Handle()).top, view.top) << "the first button scrolled into view";
    int paged = press(VK_NEXT);
    EXPECT_GT(paged, columns - 1) << "a page down goes at least a row";
    EXPECT_EQ(paged % columns, 0) << "in the same column";
    EXPECT_EQ(press(VK_PRIOR), 0);

    // Backspace is Back; Alt+Home is Home, where they can be clicked.
    int displays = Lines("TSB: WMLoadPage");
    PostKey(VK_BACK);
    ASSERT_TRUE(PumpUntil([&] { return Lines("TSB: WMLoadPage") > displays; }));
    EXPECT_EQ(frm->PageTitlePanel->Caption(), "Home Page");
    Go(RootFolder->Folders[0]->Folders[0].get());
    ASSERT_EQ(frm->PageTitlePanel->Caption(), "Cards");
    frm->BackButton->SetFocus();
    {
        HeldKeys alt{VK_MENU};
        PostKey(VK_HOME, true);
        ASSERT_TRUE(PumpUntil([&] { return frm->PageTitlePanel->Caption() == "Home Page"; }));
    }
    EXPECT_FALSE(frm->BackButton->Enabled());
    FocusFirstButton();
    displays = Lines("TSB: WMLoadPage");
    PostKey(VK_BACK);  // Back is off on the home page: nothing, and F5 after it is read
    PostKey(VK_F5);
    ASSERT_TRUE(PumpUntil([&] { return Lines("TSB: WMLoadPage") > displays; }));
    EXPECT_EQ(Lines("TSB: WMLoadPage"), displays + 1);
}

TEST_F(CommandsTest, WhereQuitIsHiddenOnlyTheSessionsEndClosesTheMenu) {
    Link("a.lnk", "Alpha");
    WriteFile(dir / "Tessaboard.ini", "[options]\r\nquit-visible=0\r\n");
    Start();
    int writes = Lines("TSB: TfrmMain.TouchIniFile");
    SendMessageA(frm->Handle(), WM_CLOSE, 0, 0);             // another program's request
    SendMessageA(frm->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);  // what Alt+F4 sends
    EXPECT_FALSE(Application().Terminated());
    EXPECT_TRUE(IsWindowVisible(frm->Handle()));
    PostMessageA(Application().Handle(), WM_CLOSE, 0, 0);  // to the hidden window that owns it
    PumpUntil([&] { return Lines("TSB: TfrmMain: close refused") == 3; });
    EXPECT_EQ(Lines("TSB: TfrmMain: close refused"), 3);
    EXPECT_TRUE(IsWindow(frm->Handle()));
    EXPECT_EQ(Lines("TSB: TfrmMain.TouchIniFile"), writes) << "nothing of the close ran";
    ASSERT_TRUE(frm->FolderMonitor);
    // A shut-down or log-off closes it all the same, with the configuration written. (Not the
    // application's main window here, it is hidden rather than ending this test program.)
    Application().SetMainForm(nullptr);
    EXPECT_TRUE(SendMessageA(frm->Handle(), WM_QUERYENDSESSION, 0, 0));
    SendMessageA(frm->Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(Lines("TSB: TfrmMain.TouchIniFile"), writes + 1);
    EXPECT_FALSE(frm->FolderMonitor) << "the monitor has stopped";
    EXPECT_FALSE(IsWindowVisible(frm->Handle())) << "the window has closed";
}

TEST_F(CommandsTest, AMenuKeyPressedDuringADisplayActsWhenItHasEnded) {
    Link("a.lnk", "Alpha");
    Start();
    FocusFirstButton();
    {
        HeldKeys ctrl{VK_CONTROL};
        PostKey('F');  // read by the display below, which lets messages through
        RootFolder->NeedsLoad = true;
        frm->LoadCurrentPage();
    }
    EXPECT_FALSE(frm->FindDialog1.Handle()) << "not in the middle of the display";
    ASSERT_TRUE(PumpUntil([&] { return frm->FindDialog1.Handle() != nullptr; })) << "the key was held, not lost";

    // The find dialog's Find Next, pressed during a display (one the folder monitor can start at
    // any time), is held the same way.
    MakeDir(root + "\\Music");
    Link("Music\\song.lnk", "Chess Song");
    HWND dialog = frm->FindDialog1.Handle();
    SetDlgItemTextW(dialog, 0x480, L"chess");
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    RootFolder->NeedsLoad = true;
    frm->LoadCurrentPage();
    EXPECT_EQ(frm->PageTitlePanel->Caption(), "Home Page") << "not in the middle of the display";
    EXPECT_TRUE(PumpUntil([&] { return frm->PageTitlePanel->Caption() == "Music"; })) << "Find Next held, not lost";
    frm->FindDialog1.CloseDialog();
}
