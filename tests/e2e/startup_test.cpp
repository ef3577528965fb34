// Start-up end to end: the real program in a fresh program folder under Wine.
#include <gtest/gtest.h>

#include "support/Driver.h"
#include "support/MainWindow.h"

using namespace tsbtest;

TEST(Startup, FirstRunMakesLinksAndConfigurationAndShowsTheSplashFirst) {
    ProgramFolder dir;
    Program app(dir.Exe());
    HWND splash = app.WaitForWindow("TSplashForm", 20000);
    ASSERT_TRUE(splash);
    auto splashSeen = std::chrono::steady_clock::now();
    // Read once start-up has gone on to its wait, as a screen reader may: the window answers.
    Sleep(1000);
    EXPECT_TRUE(WaitFor([&] {
        for (HWND c : ChildWindows(splash))
            if (TextOf(c) == "version: 1.8.0.382") return true;
        return false;
    }, 5000));
    SaveScreenshot("splash");

    HWND main = app.WaitForWindow("TfrmMain", 30000);
    ASSERT_TRUE(main);
    double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - splashSeen).count();
    EXPECT_GT(waited, 9.0) << "the splash stands for ten seconds before the main window";
    EXPECT_TRUE(TopWindows(app.Pid(), "TSplashForm").empty() || !IsWindowVisible(splash));
    ASSERT_TRUE(app.WaitForLine("TSB: TfrmMain.GetImageThumbnails"));

    std::vector<std::string> links = FilesIn(dir / "shortcuts");
    std::sort(links.begin(), links.end());
    EXPECT_EQ(links, (std::vector<std::string>{"TessaboardConfiguration.lnk", "TessaboardManual.lnk"}));
    LinkSpec config = ReadLink(dir / "shortcuts\\TessaboardConfiguration.lnk");
    EXPECT_EQ(config.target, dir / "Tessaboard.ini");
    EXPECT_EQ(config.description, "Tessaboard Configuration");
    EXPECT_EQ(config.workingDir, dir.Path() + "\\");
    LinkSpec manual = ReadLink(dir / "shortcuts\\TessaboardManual.lnk");
    EXPECT_EQ(manual.target, dir / "Tessaboard.pdf");
    EXPECT_EQ(manual.description, "Tessaboard Manual");
    EXPECT_EQ(ReadFile(dir / "Tessaboard.ini"),
              "[options]\r\ntitle=Tessaboard\r\nsub-title=Click the first button to open the configuration.\r\n\r\n");

    // Borderless, centred, no task-bar button.
    RECT r = ScreenRect(main);
    EXPECT_EQ(r.left, 520);
    EXPECT_EQ(r.top, 193);
    EXPECT_EQ(r.right - r.left, 881);
    EXPECT_EQ(r.bottom - r.top, 695);
    LONG style = GetWindowLongA(main, GWL_STYLE);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER));
    EXPECT_FALSE(GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    HWND owner = GetWindow(main, GW_OWNER);
    ASSERT_TRUE(owner);
    EXPECT_FALSE(IsWindowVisible(owner));
    EXPECT_TRUE(GetWindowLongA(owner, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

    // The home page: two buttons, no nav bar without sub-pages.
    MainWindow w(main);
    EXPECT_EQ(w.ShortcutCaptions(), (std::vector<std::string>{"Tessaboard Configuration", "Tessaboard Manual"}));
    EXPECT_FALSE(IsWindowVisible(w.HomeButton()));
    EXPECT_EQ(app.CountLines("TSB: TfrmMain.LoadConfig"), 1);
    SaveScreenshot("main-first-run");
}

TEST(Startup, SecondStartKeepsLinksAndAppliesTheConfiguration) {
    ProgramFolder dir;
    MakeDir(dir / "shortcuts");
    MakeDir(dir / "shortcuts\\Games");
    WriteFile(dir / "Tessaboard.ini",
              "; kiosk\n[options]\ntitle=Room 12\nsub-title=Ask the teacher\nheader-color=#FF0000\n"
              "nav-color=00FF00\nfooter-color=#F00\nbackground-color=0000ff\n");
    Program app(dir.Exe(), "first /ADMIN last");
    HWND main = app.WaitForWindow("TfrmMain", 30000);
    ASSERT_TRUE(main);
    ASSERT_TRUE(app.WaitForLine("TSB: TfrmMain.GetImageThumbnails"));
    EXPECT_TRUE(FilesIn(dir / "shortcuts", "*.lnk").empty()) << "an existing shortcuts folder gets no links";

    MainWindow w(main);
    EXPECT_TRUE(w.HasLabel("Room 12"));
    EXPECT_TRUE(w.HasLabel("Ask the teacher"));
    RECT r = ScreenRect(main);
    WaitFor([&] { return ScreenPixel(r.left + 300, r.top + 5) == RGB(255, 0, 0); }, 3000);
    EXPECT_EQ(ScreenPixel(r.left + 300, r.top + 5), RGB(255, 0, 0)) << "header";
    EXPECT_EQ(ScreenPixel(r.left + 300, r.top + 143 + 10), RGB(0, 255, 0)) << "nav bar";
    EXPECT_EQ(ScreenPixel(r.left + 860, r.bottom - 50), RGB(255, 0, 0)) << "background";
    EXPECT_EQ(ScreenPixel(r.left + 5, r.bottom - 5), RGB(0x46, 0x74, 0xA0)) << "footer: #F00 falls back";
    // The comment went with the rewrite at start-up.
    EXPECT_EQ(ReadFile(dir / "Tessaboard.ini").find("kiosk"), std::string::npos);

    // Administrator mode: a right click on a sub-page button opens its menu.
    HWND games = w.ButtonByCaption("Games");
    ASSERT_TRUE(games);
    PostClick(games, true);
    EXPECT_TRUE(WaitFor([&] { return !TopWindows(app.Pid(), "#32768").empty(); }, 5000));
}

TEST(Startup, FullScreenByConfigurationAndNoAdminForLookalikes) {
    ProgramFolder dir;
    MakeDir(dir / "shortcuts");
    MakeDir(dir / "shortcuts\\Games");
    WriteFile(dir / "Tessaboard.ini", "[options]\nfull-screen=2\n");
    Program app(dir.Exe(), "-admin admin /admin2");
    HWND main = app.WaitForWindow("TfrmMain", 30000);
    ASSERT_TRUE(main);
    ASSERT_TRUE(app.WaitForLine("TSB: TfrmMain.GetImageThumbnails"));
    RECT r = ScreenRect(main);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 1920);
    EXPECT_EQ(r.bottom, 1080);
    MainWindow w(main);
    HWND games = w.ButtonByCaption("Games");
    ASSERT_TRUE(games);
    // Ins (New Page, an administrator's command) and then F1 (About, everyone's): About opening
    // shows the Ins before it was read, and no page-name box may have come up by then.
    PostMessageA(games, WM_KEYDOWN, VK_INSERT, 1);
    PostMessageA(games, WM_KEYDOWN, VK_F1, 1);
    HWND about = app.WaitForWindow("TSplashForm", 10000);
    ASSERT_TRUE(about) << "F1 opens About";
    EXPECT_TRUE(TopWindows(app.Pid(), "TInputQueryForm").empty()) << "no administrator mode";
    PostClick(about);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(about); }, 5000));
    PostClick(games);
    EXPECT_TRUE(WaitFor([&] { return TextOf(w.PageTitle()) == "Games"; }, 10000));
}

TEST(Startup, LockedConfigurationShowsTheErrorBoxAndLosesNothing) {
    ProgramFolder dir;
    MakeDir(dir / "shortcuts");
    std::string text = "[options]\r\ntitle=Mine\r\n; keep me\r\n";
    WriteFile(dir / "Tessaboard.ini", text);
    HANDLE lock = CreateFileA((dir / "Tessaboard.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    Program app(dir.Exe());
    HWND box = app.WaitForWindow("#32770", 40000);
    EXPECT_TRUE(box) << "the standard error box";
    if (box) {
        EXPECT_EQ(TextOf(box), "Tessaboard");
    }
    CloseHandle(lock);
    app.Kill();
    EXPECT_EQ(ReadFile(dir / "Tessaboard.ini"), text);
}

TEST(Startup, SmallMonitorForcesFullScreen) {
    ProgramFolder dir;
    MakeDir(dir / "shortcuts");
    WriteFile(dir / "Tessaboard.ini", "[options]\nfull-screen=0\n");
    HeldDesktop small("Small", 1024, 600);
    ASSERT_TRUE(small.Ready()) << "the small desktop of the Wine prefix";
    Program app(dir.Exe(), "", "Small");
    ASSERT_TRUE(app.WaitForLine("TSB: TfrmMain.GetImageThumbnails", 40000));
    auto mains = WindowsOnDesktop("Small", "TfrmMain");
    ASSERT_EQ(mains.size(), 1u);
    HWND main = mains.front();
    ASSERT_TRUE(main);
    RECT r = ScreenRect(main);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 1024);
    EXPECT_EQ(r.bottom, 600);
}
