// Pages and launching end to end: a prepared tree of pages, real clicks, real programs.
#include <gtest/gtest.h>

#include "support/Driver.h"
#include "support/MainWindow.h"

#include <tlhelp32.h>  // after <windows.h>

using namespace tsbtest;

namespace {

struct Tree {
    ProgramFolder dir;
    std::string root = dir / "shortcuts";
    std::string app = dir / "app";
    Tree() {
        MakeDir(root);
        MakeDir(app);
        InstallMarker(app + "\\marker.exe");
        MakeDir(dir / "work");
        MakeDir(root + "\\Games");
        MakeDir(root + "\\Games\\Cards");
        MakeDir(root + "\\Music");
        MakeLink(root + "\\run.lnk", {app + "\\marker.exe", "hello world", "Run Me", dir / "work", ""});
        MakeLink(root + "\\Games\\chess.lnk", {app + "\\marker.exe", "", "Chess", "", ""});
        MakeLink(root + "\\Games\\gone.lnk", {dir / "gone.exe", "", "Gone", "", ""});
    }
};

int Running(const char* exeName) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    int n = 0;
    PROCESSENTRY32 p{};
    p.dwSize = sizeof p;
    for (BOOL more = Process32First(snap, &p); more; more = Process32Next(snap, &p)) n += _stricmp(p.szExeFile, exeName) == 0;
    CloseHandle(snap);
    return n;
}

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(Pages, LazyLoadingNavigationAndLaunching) {
    Tree t;
    std::string goneBefore = ReadFile(t.root + "\\Games\\gone.lnk");
    Program app(t.dir.Exe());
    HWND main = app.WaitForWindow("TfrmMain", 30000);
    ASSERT_TRUE(main);
    ASSERT_TRUE(app.WaitForLine("TSB: TfrmMain.GetImageThumbnails"));
    EXPECT_EQ(app.CountLines("TSB: LoadFolder "), 1) << "only the home page is read at start";
    MainWindow w(main);
    EXPECT_TRUE(IsWindowVisible(w.HomeButton()));
    EXPECT_EQ(w.ShortcutCaptions(), (std::vector<std::string>{"Run Me"}));
    std::vector<std::string> strip;
    for (HWND b : w.StripButtons()) strip.push_back(TextOf(b));
    EXPECT_EQ(strip, (std::vector<std::string>{"Games", "Music"}));
    EXPECT_FALSE(IsWindowEnabled(w.HomeButton()));
    SaveScreenshot("home-page");

    PostClick(w.ButtonByCaption("Games"));
    ASSERT_TRUE(app.WaitForLine("TSB: WMLoadPage"));
    ASSERT_TRUE(WaitFor([&] { return w.ShortcutCaptions() == std::vector<std::string>{"Chess", "Gone"}; }, 10000));
    EXPECT_EQ(app.CountLines("TSB: LoadFolder "), 2);
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(w.BackButton()) != FALSE; }, 5000));

    // A missing target launches nothing and leaves its link as it was. The click on Back queued
    // behind it shows the home page only once the click on Gone has been handled.
    PostClick(w.ButtonByCaption("Gone"));
    PostClick(w.BackButton());
    ASSERT_TRUE(WaitFor([&] { return w.ShortcutCaptions() == std::vector<std::string>{"Run Me"}; }, 10000));
    EXPECT_EQ(ReadFile(t.root + "\\Games\\gone.lnk"), goneBefore);
    EXPECT_FALSE(Exists(t.app + "\\marker.txt"));
    EXPECT_EQ(app.CountLines("TSB: ButtonClick Exception"), 0);
    EXPECT_EQ(app.CountLines("TSB: LoadFolder "), 2) << "the home page is still in memory";

    PostClick(w.ButtonByCaption("Run Me"));
    ASSERT_TRUE(WaitFor([&] { return ReadFile(t.app + "\\marker.txt").find("cwd:") != std::string::npos; }, 15000));
    std::string marker = ReadFile(t.app + "\\marker.txt");
    EXPECT_NE(marker.find("arg:hello\narg:world\n"), std::string::npos) << marker;
    EXPECT_NE(marker.find("work"), std::string::npos) << marker;
    SaveScreenshot("launching");

    // An impatient second click a second later, made while the launch waits, starts nothing.
    HWND runMe = w.ButtonByCaption("Run Me");
    DWORD_PTR r;
    ASSERT_TRUE(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_BLOCK, 15000, &r)) << "the first launch's wait ends";
    ASSERT_TRUE(DeleteFileA((t.app + "\\marker.txt").c_str()));
    PostClick(runMe);
    Sleep(1000);
    PostClick(runMe);
    ASSERT_FALSE(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_BLOCK, 200, &r)) << "the launch still waits";
    ASSERT_TRUE(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_BLOCK, 15000, &r)) << "the wait ends";
    // A click made after the wait shows a page once everything queued before it has been
    // handled: a start the second click made would have come first.
    PostClick(w.ButtonByCaption("Games"));
    ASSERT_TRUE(WaitFor([&] { return w.ShortcutCaptions() == std::vector<std::string>{"Chess", "Gone"}; }, 15000));
    ASSERT_TRUE(WaitFor([&] { return Running("marker.exe") == 0; }, 15000));
    EXPECT_EQ(Count(ReadFile(t.app + "\\marker.txt"), "cwd:"), 1);
}

TEST(Pages, AdministratorDeletesAShortcutFromItsMenu) {
    Tree t;
    Program app(t.dir.Exe(), "/Admin");
    HWND main = app.WaitForWindow("TfrmMain", 30000);
    ASSERT_TRUE(main);
    ASSERT_TRUE(app.WaitForLine("TSB: TfrmMain.GetImageThumbnails"));
    MainWindow w(main);
    HWND run = w.ButtonByCaption("Run Me");
    ASSERT_TRUE(run);
    PostClick(run, true);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        auto menus = TopWindows(app.Pid(), "#32768");
        return !menus.empty() && (menu = menus.front()) != nullptr;
    }, 5000));
    // "&Delete": its key chooses it.
    PostMessageA(menu, WM_KEYDOWN, 'D', 0);
    PostMessageA(menu, WM_CHAR, 'd', 0);
    PostMessageA(menu, WM_KEYUP, 'D', 0);
    EXPECT_TRUE(WaitFor([&] { return !Exists(t.root + "\\run.lnk"); }, 5000));
    EXPECT_TRUE(Exists(t.root + "\\Games\\chess.lnk"));
}
