// Two walks through the whole program as its two kinds of user meet it: the administrator who
// builds a menu from nothing, and the ordinary user who must not be able to change it. The real
// program, real keys from the keyboard's queue, real files; every step waits for something the
// program shows or writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "framework/core/ScopeExit.h"
#include "support/Driver.h"
#include "support/Keys.h"
#include "support/MainWindow.h"
#include "win/TwoColourPictures.h"  // HalvesBmp

using namespace tsbtest;

namespace {

using Captions = std::vector<std::string>;

// The popup menu window that the program has open, or none.
HWND OpenMenu(DWORD pid) {
    for (HWND m : TopWindows(pid, "#32768"))
        if (IsWindowVisible(m)) return m;
    return nullptr;
}

// The items of an open popup menu, read inside the program (see tools/menuprobe.cpp): one line
// each, "Find\tCtrl+F", "-" for a separator, sub-menu items after their parent with "> " before
// them, and " (checked)" or " (disabled)" after those so marked.
std::vector<std::string> MenuItems(HWND menuWindow) {
    std::vector<std::string> items;
    HMODULE probe = LoadLibraryA((BuildFolder() + "\\tsb_menuprobe.dll").c_str());
    EXPECT_TRUE(probe) << "tsb_menuprobe.dll beside the tests";
    if (!probe) return items;
    auto hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(probe, "MenuProbeHook")));
    constexpr DWORD BlockSize = 65536;
    std::string name = "TsbMenuProbe-" + std::to_string(GetCurrentProcessId());
    HANDLE block = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, BlockSize, name.c_str());
    HHOOK hooked = hook && block ? SetWindowsHookExA(WH_CALLWNDPROC, hook, probe,
                                                     GetWindowThreadProcessId(menuWindow, nullptr))
                                 : nullptr;
    EXPECT_TRUE(hooked);
    if (hooked) {
        DWORD_PTR r = 0;
        EXPECT_TRUE(SendMessageTimeoutA(menuWindow, RegisterWindowMessageA("TsbMenuProbe"), GetCurrentProcessId(), 0,
                                        SMTO_NORMAL, 5000, &r));
        UnhookWindowsHookEx(hooked);
        if (auto* view = static_cast<const char*>(MapViewOfFile(block, FILE_MAP_READ, 0, 0, BlockSize))) {
            std::istringstream lines(std::string(view, strnlen(view, BlockSize)));
            UnmapViewOfFile(view);
            for (std::string line; std::getline(lines, line);) {
                size_t bar = line.find('|');
                if (bar == std::string::npos) continue;
                std::string flags = line.substr(0, bar), item;
                for (char f : flags)
                    if (f == '>') item += "> ";
                item += flags.find('S') != std::string::npos ? "-" : line.substr(bar + 1);
                if (flags.find('C') != std::string::npos) item += " (checked)";
                if (flags.find('D') != std::string::npos) item += " (disabled)";
                items.push_back(item);
            }
        }
    }
    if (block) CloseHandle(block);
    FreeLibrary(probe);
    return items;
}

// Page displays: the menu and its keys are refused while one runs, so a step that sets one off
// waits for its end before the next command. Mark() before the step; Done() once a display
// begun since has ended and none other is under way.
class Displays {
public:
    explicit Displays(Program& app) : app_(app) {}
    void Mark() { mark_ = Count("TSB: TfrmMain.GetImageThumbnails"); }
    bool Done() {
        int ended = Count("TSB: TfrmMain.GetImageThumbnails");
        return ended > mark_ && ended == Count("TSB: TfrmMain.LoadCurrentPage");
    }

private:
    int Count(const std::string& line) {
        auto lines = app_.Lines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }
    Program& app_;
    int mark_ = 0;
};

// The main window once the start-up display has ended, or none.
HWND FirstDisplay(Program& app, Displays& display) {
    HWND main = app.WaitForWindow("TfrmMain", 30000);
    return main && WaitFor([&] { return display.Done(); }, 30000) ? main : nullptr;
}

// The program's debug lines, shown when the test has failed.
void DumpLinesOnFailure(Program& app) {
    if (!::testing::Test::HasFailure()) return;
    for (const std::string& line : app.Lines()) std::printf("  | %s\n", line.c_str());
}

// Opens the main context menu with a right click on the page area around the buttons.
HWND RightClickMenu(Program& app, MainWindow& w) {
    PostClick(w.ScrollBox(), true);
    HWND menu = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (menu = OpenMenu(app.Pid())) != nullptr; }, 5000)) << "no context menu";
    return menu;
}

void CloseMenu(Program& app, HWND menu) {
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitFor([&] { return OpenMenu(app.Pid()) == nullptr; }, 5000));
}

// A visible top-level window of the program with this class and caption.
HWND TopWindow(Program& app, const char* className, const std::string& caption) {
    for (HWND w : TopWindows(app.Pid(), className))
        if (IsWindowVisible(w) && TextOf(w) == caption) return w;
    return nullptr;
}

HWND WaitForTopWindow(Program& app, const char* className, const std::string& caption, int timeoutMs = 10000) {
    HWND found = nullptr;
    WaitFor([&] { return (found = TopWindow(app, className, caption)) != nullptr; }, timeoutMs);
    return found;
}

bool Gone(HWND w) { return !IsWindow(w) || !IsWindowVisible(w); }

Captions Sorted(Captions c) {
    std::sort(c.begin(), c.end());
    return c;
}

// Every file and folder under root but the configuration file, with its size and last write
// time: what a change on disk would show in.
std::vector<std::string> Listing(const std::string& root, const std::string& rel = "") {
    std::vector<std::string> out;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((root + (rel.empty() ? "" : "\\" + rel) + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == ".." || (rel.empty() && name == "Tessaboard.ini")) continue;
        std::string path = rel.empty() ? name : rel + "\\" + name;
        bool folder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        out.push_back(path + (folder ? "\\" : "") + " size " + std::to_string(fd.nFileSizeLow) + " written " +
                      std::to_string(fd.ftLastWriteTime.dwHighDateTime) + ":" +
                      std::to_string(fd.ftLastWriteTime.dwLowDateTime));
        if (folder) {
            auto below = Listing(root, path);
            out.insert(out.end(), below.begin(), below.end());
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return out;
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
    ASSERT_TRUE(WaitFor([&] { return Exists(root + "\\Holiday") && w.ButtonByCaption("Holiday") && display.Done(); }))
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
    app.Kill();  // what the system does once the session's end has been told
    EXPECT_EQ(ReadFile(dir / "Tessaboard.ini").find("the desk's own"), std::string::npos);
    EXPECT_EQ(Listing(dir.Path()), before);
}
