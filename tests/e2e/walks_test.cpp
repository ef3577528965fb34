// Two walks through the whole program as its two kinds of user meet it: the administrator who
// builds a menu from nothing, and the ordinary user who must not be able to change it. The real
// program, real keys from the keyboard's queue, real files; every step waits for something the
// program shows or writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "framework/core/ScopeExit.h"
#include "support/Driver.h"
#include "support/Keys.h"
#include "support/MainWindow.h"
#include "support/Walk.h"
#include "win/TwoColourPictures.h"  // HalvesBmp

using namespace tsbtest;

namespace {

using Captions = std::vector<std::string>;

Captions Sorted(Captions c) {
    std::sort(c.begin(), c.end());
    return c;
}

const std::vector<std::string> ButtonSizeItems = {"> Biggest", "> Bigger", "> Normal (checked)",
                                                  "> Small",   "> Smaller", "> Smallest"};

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace

TEST(Walks, Administrator) {
    ProgramFolder dir;
    std::string root = dir / "shortcuts";
    TempFolder source{"walksrc"};
    WriteFile(source / "minutes.txt", "Minutes of the first meeting.");
    WriteFile(source / "budget.pdf", "%PDF-1.4 not much of a budget");
    WriteFile(source / "harbour.bmp", HalvesBmp(96, 64));
    WriteFile(source / "lighthouse.bmp", HalvesBmp(64, 96));
    WriteFile(source / "song.mp3", "no category asked for");
    WriteFile(source / "empty.txt", "");

    // First start beside nothing: the two first-run links.
    Program app(dir.Exe(), "/admin");
    tsb::ScopeExit dump([&] { DumpLinesOnFailure(app); });
    Displays display(app);
    HWND main = FirstDisplay(app, display);
    ASSERT_TRUE(main);
    MainWindow w(main);
    ASSERT_EQ(w.ShortcutCaptions(), (Captions{"Tessaboard Configuration", "Tessaboard Manual"}));
    SaveScreenshot("walk-admin-first-start");

    // Every command is offered to the administrator.
    HWND menu = RightClickMenu(app, w);
    ASSERT_TRUE(menu);
    SaveScreenshot("walk-admin-menu");
    EXPECT_EQ(MenuItems(menu), Concat({{"Find\tCtrl+F", "Redisplay\tF5", "Reload\tShift+F5", "Edit Config",
                                        "New Page\tIns", "Create Shortcuts\tCtrl+Ins", "Explore Shortcuts",
                                        "Button Size"},
                                       ButtonSizeItems,
                                       {"Slide Show\tF10", "-", "About\tF1", "Quit\tCtrl+Q"}}));
    CloseMenu(app, menu);

    // The title edited in the configuration file shows without a restart.
    display.Mark();
    WriteFile(dir / "Tessaboard.ini", "; edited by hand\r\n[options]\r\ntitle=Walk Menu\r\nsub-title=Made in a walk\r\n");
    ASSERT_TRUE(WaitFor([&] { return w.HasLabel("Walk Menu") && w.HasLabel("Made in a walk") && display.Done(); }));

    // A new page, named in the box that Ins opens.
    PressKeys(main, {VK_INSERT});
    HWND ask = WaitForTopWindow(app, nullptr, "New Page");
    ASSERT_TRUE(ask) << "no New Page box";
    EXPECT_TRUE(ChildWithText(ask, "Page Name"));
    auto edits = ChildWindows(ask, "Edit");
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(TextOf(edits.front()), "New Page") << "the name proposed";
    TypeText(ask, "Holiday");  // over the proposal, which the box selects
    ASSERT_TRUE(WaitFor([&] { return TextOf(edits.front()) == "Holiday"; }, 5000)) << TextOf(edits.front());
    SaveScreenshot("walk-admin-new-page");
    display.Mark();
    PressKeys(ask, {VK_RETURN});
    ASSERT_TRUE(WaitFor([&] { return Gone(ask); }, 5000));
    ASSERT_TRUE(WaitFor([&] { return Exists(root + "\\Holiday"); }, 10000)) << "the folder is made";
    ASSERT_TRUE(WaitFor([&] { return w.ButtonByCaption("Holiday") && display.Done(); }))
        << "the page's button comes through the folder monitor";

    display.Mark();
    PostClick(w.ButtonByCaption("Holiday"));
    ASSERT_TRUE(WaitFor([&] { return TextOf(w.PageTitle()) == "Holiday" && display.Done(); }));
    EXPECT_TRUE(w.ShortcutCaptions().empty());

    // Shortcuts made in bulk into the page on show: documents and photos of the source folder.
    int thumbnailRuns = app.CountLines("TSB: TGetImagePreviews.Execute Completed");
    PressKeys(main, {VK_CONTROL, VK_INSERT});
    HWND tool = WaitForTopWindow(app, "TCreateShortcutsForm", "Create Shortcuts");
    ASSERT_TRUE(tool) << "no Create Shortcuts window";
    HWND path = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (path = ChildWithText(tool, "C:\\", "Edit")) != nullptr; }, 5000))
        << "the path field";
    SendMessageTimeoutA(path, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(source.Path().c_str()), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    for (const char* category : {"Documents", "Photos"}) {
        HWND box = ChildWithText(tool, category, "Button");
        ASSERT_TRUE(box) << category;
        PostMessageA(box, BM_CLICK, 0, 0);
    }
    HWND group = ChildWithText(tool, "Included Files", "TGroupBox");
    ASSERT_TRUE(group);
    auto patternBoxes = ChildWindows(group, "Edit");
    ASSERT_EQ(patternBoxes.size(), 1u);
    ASSERT_TRUE(WaitFor([&] {
        std::string patterns = TextOf(patternBoxes.front());
        return patterns.find("*.txt") != std::string::npos && patterns.find("*.bmp") != std::string::npos;
    }, 5000)) << TextOf(patternBoxes.front());
    SaveScreenshot("walk-create-shortcuts");
    HWND ok = ChildWithText(tool, "&OK", "Button");
    ASSERT_TRUE(ok);
    display.Mark();
    PostMessageA(ok, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return Gone(tool); }, 10000));
    const Captions made{"budget.pdf", "harbour.bmp", "lighthouse.bmp", "minutes.txt"};
    ASSERT_TRUE(WaitFor([&] { return Sorted(w.ShortcutCaptions()) == made && display.Done(); })) << "the page read again";
    auto links = FilesIn(root + "\\Holiday");
    EXPECT_EQ(Sorted(links), (Captions{"budget.pdf.lnk", "harbour.bmp.lnk", "lighthouse.bmp.lnk", "minutes.txt.lnk"}));
    EXPECT_EQ(ReadLink(root + "\\Holiday\\harbour.bmp.lnk").target, source / "harbour.bmp");
    EXPECT_TRUE(WaitFor([&] { return app.CountLines("TSB: TGetImagePreviews.Execute Completed") > thumbnailRuns; }))
        << "the pictures' previews";
    SaveScreenshot("walk-admin-shortcuts-made");

    // A picture's button opens the viewer; Escape closes it.
    int shown = app.CountLines("TSB: TImageViewer.ShowImage Completed");
    PostClick(w.ButtonByCaption("harbour.bmp"));
    HWND viewer = app.WaitForWindow("TImageViewer", 15000);
    ASSERT_TRUE(viewer);
    ASSERT_TRUE(WaitFor([&] { return app.CountLines("TSB: TImageViewer.ShowImage Completed") > shown; }, 10000));
    EXPECT_TRUE(WaitFor([&] { return ChildWithText(viewer, "harbour.bmp") != nullptr; }, 5000));
    SaveScreenshot("walk-admin-viewer");
    PostMessageA(viewer, WM_CHAR, 27, 0);
    ASSERT_TRUE(WaitFor([&] { return Gone(viewer); }, 10000));

    // The slide show of the page: full screen, ended by a key.
    PressKeys(main, {VK_F10});
    HWND show = app.WaitForWindow("TfrmSlideshow", 10000);
    ASSERT_TRUE(show) << "no slide show";
    ASSERT_TRUE(app.WaitForLine("TSB: TfrmSlideshow.Execute: Loading harbour.bmp", 10000));
    RECT r = ScreenRect(show);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN));
    SaveScreenshot("walk-admin-slideshow");
    PressKeys(show, {VK_SPACE});
    ASSERT_TRUE(WaitFor([&] { return Gone(show); }, 10000)) << "a key ends the show";

    // Search from the home page: the page holding the match is shown, then nothing more is found.
    display.Mark();
    PostClick(w.HomeButton());
    ASSERT_TRUE(WaitFor([&] { return TextOf(w.PageTitle()) == "Home Page" && display.Done(); }));
    PressKeys(main, {VK_CONTROL, 'F'});
    HWND find = WaitForTopWindow(app, "#32770", "Find");
    ASSERT_TRUE(find) << "no find dialog";
    HWND what = GetDlgItem(find, 0x480);  // the dialog's text field
    ASSERT_TRUE(what);
    TypeText(find, "harbour");
    ASSERT_TRUE(WaitFor([&] { return TextOf(what) == "harbour"; }, 5000)) << TextOf(what);
    SaveScreenshot("walk-admin-find");
    display.Mark();
    PostMessageA(GetDlgItem(find, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return TextOf(w.PageTitle()) == "Holiday" && w.ButtonByCaption("harbour.bmp") && display.Done(); }));
    EXPECT_TRUE(IsWindowVisible(find)) << "the dialog stays for the next search";
    PostMessageA(GetDlgItem(find, IDOK), BM_CLICK, 0, 0);
    HWND done = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND box : TopWindows(app.Pid(), "#32770"))
            if (IsWindowVisible(box) && ChildWithText(box, "Search complete", "Static")) return (done = box) != nullptr;
        return false;
    }, 10000)) << "no \"Search complete\"";
    SaveScreenshot("walk-admin-search-complete");
    PostMessageA(GetDlgItem(done, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return Gone(done) && Gone(find); }, 10000)) << "the box and the find dialog close";
    EXPECT_EQ(TextOf(w.PageTitle()), "Holiday");

    // Quit: the program ends and writes its configuration in normal form.
    PressKeys(main, {VK_CONTROL, 'Q'});
    ASSERT_TRUE(app.WaitForExit(15000)) << "Ctrl+Q ends the program";
    std::string ini = ReadFile(dir / "Tessaboard.ini");
    EXPECT_EQ(ini.find("edited by hand"), std::string::npos) << ini;
    EXPECT_NE(ini.find("title=Walk Menu\r\n"), std::string::npos) << ini;
}

TEST(Walks, OrdinaryUser) {
    ProgramFolder dir;
    std::string root = dir / "shortcuts";
    WriteFile(dir / "notes.txt", "Opening hours: nine to five.");
    MakeDir(root);
    MakeDir(root + "\\Games");
    MakeLink(root + "\\notes.lnk", {dir / "notes.txt", "", "Notes", "", ""});
    MakeLink(root + "\\Games\\cards.lnk", {dir / "notes.txt", "", "Cards", "", ""});
    WriteFile(dir / "Tessaboard.ini", "[options]\r\ntitle=Reception\r\n");
    const std::vector<std::string> before = Listing(dir.Path());
    ASSERT_EQ(before.size(), 6u) << "the program, notes.txt, two folders and two links";

    Program app(dir.Exe());
    tsb::ScopeExit dump([&] { DumpLinesOnFailure(app); });
    Displays display(app);
    HWND main = FirstDisplay(app, display);
    ASSERT_TRUE(main);
    MainWindow w(main);
    ASSERT_EQ(w.ShortcutCaptions(), (Captions{"Notes"}));
    ASSERT_TRUE(w.HasLabel("Reception"));

    // The harmless commands only.
    HWND menu = RightClickMenu(app, w);
    ASSERT_TRUE(menu);
    SaveScreenshot("walk-user-menu");
    EXPECT_EQ(MenuItems(menu), Concat({{"Find\tCtrl+F", "Redisplay\tF5", "Button Size"},
                                       ButtonSizeItems,
                                       {"Slide Show\tF10", "-", "About\tF1", "Quit\tCtrl+Q"}}));
    CloseMenu(app, menu);

    // The keys of the hidden commands do nothing: About, asked for after them, is what opens.
    int configsRead = app.CountLines("TSB: TfrmMain.LoadConfig");
    int iniWrites = app.CountLines("TSB: TfrmMain.TouchIniFile");
    PressKeys(main, {VK_INSERT});
    PressKeys(main, {VK_CONTROL, VK_INSERT});
    PressKeys(main, {VK_SHIFT, VK_F5});
    PressKeys(main, {VK_F1});
    HWND about = app.WaitForWindow("TSplashForm", 10000);
    ASSERT_TRUE(about) << "F1 opens About";
    EXPECT_FALSE(TopWindow(app, nullptr, "New Page"));
    EXPECT_TRUE(TopWindows(app.Pid(), "TCreateShortcutsForm").empty());
    EXPECT_EQ(app.CountLines("TSB: TfrmMain.LoadConfig"), configsRead) << "no reload";
    EXPECT_EQ(app.CountLines("TSB: TfrmMain.TouchIniFile"), iniWrites) << "no reload";
    SaveScreenshot("walk-user-about");
    PostClick(about);
    ASSERT_TRUE(WaitFor([&] { return Gone(about); }, 5000)) << "a click closes About";

    // A shortcut button has no menu of its own for this user: the main one opens there.
    HWND notes = w.ButtonByCaption("Notes");
    ASSERT_TRUE(notes);
    PostClick(notes, true);
    ASSERT_TRUE(WaitFor([&] { return (menu = OpenMenu(app.Pid())) != nullptr; }, 5000));
    std::vector<std::string> items = MenuItems(menu);
    EXPECT_NE(std::find(items.begin(), items.end(), "Redisplay\tF5"), items.end());
    EXPECT_EQ(std::find(items.begin(), items.end(), "&Properties"), items.end());
    EXPECT_EQ(std::find(items.begin(), items.end(), "&Delete"), items.end());
    CloseMenu(app, menu);

    // Find, button size, slide show and quit turned off while the program runs.
    display.Mark();
    WriteFile(dir / "Tessaboard.ini",
              "; the desk's own\r\n[options]\r\ntitle=Reception desk\r\nfind-visible=0\r\nbutton-size-visible=0\r\n"
              "slideshow-visible=0\r\nquit-visible=0\r\n");
    ASSERT_TRUE(WaitFor([&] { return w.HasLabel("Reception desk") && display.Done(); }));
    menu = RightClickMenu(app, w);
    ASSERT_TRUE(menu);
    SaveScreenshot("walk-user-menu-restricted");
    EXPECT_EQ(MenuItems(menu), (std::vector<std::string>{"Redisplay\tF5", "-", "About\tF1"}));
    CloseMenu(app, menu);

    // Their keys are dead too; About still opens after them and the program still runs.
    PressKeys(main, {VK_CONTROL, 'Q'});
    PressKeys(main, {VK_CONTROL, 'F'});
    PressKeys(main, {VK_F10});
    PressKeys(main, {VK_F1});
    about = app.WaitForWindow("TSplashForm", 10000);
    ASSERT_TRUE(about) << "F1 opens About";
    EXPECT_TRUE(app.Running());
    EXPECT_FALSE(TopWindow(app, "#32770", "Find"));
    EXPECT_EQ(app.CountLines("TSB: TfrmSlideshow.Start"), 0);
    PostClick(about);
    ASSERT_TRUE(WaitFor([&] { return Gone(about); }, 5000));

    // With Quit hidden, another program's close request is refused; the session's end closes
    // it: the configuration file is written in normal form, and nothing else on disk has changed.
    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(app.WaitForLine("TSB: TfrmMain: close refused", 10000));
    EXPECT_TRUE(app.Running());
    int writes = app.CountLines("TSB: TfrmMain.TouchIniFile");
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer));
    EXPECT_TRUE(answer) << "the menu lets the session end";
    ASSERT_TRUE(SendMessageTimeoutA(main, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 10000, &answer));
    ASSERT_TRUE(WaitFor([&] { return app.CountLines("TSB: TfrmMain.TouchIniFile") > writes; }, 10000));
    ASSERT_TRUE(app.WaitForExit(10000)) << "the menu ends with the session";
    EXPECT_EQ(ReadFile(dir / "Tessaboard.ini").find("the desk's own"), std::string::npos);
    EXPECT_EQ(Listing(dir.Path()), before);
}
