// The menu following the disk end to end: the real program, files changed under it by hand,
// navigation by real clicks. One start for everything (each costs the ten-second splash).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Driver.h"
#include "support/MainWindow.h"

using namespace tsbtest;

namespace {

using Captions = std::vector<std::string>;

}  // namespace

TEST(Monitor, TheMenuFollowsTheDiskAndNavigates) {
    ProgramFolder dir;
    std::string root = dir / "shortcuts";
    std::string target = dir / "target.txt";
    WriteFile(target, "x");
    MakeDir(root);
    for (const char* sub : {"Arcade", "games", "games2"}) MakeDir(root + "\\" + sub);
    MakeLink(root + "\\top.lnk", {target, "", "Top", "", ""});
    std::string tools = dir / "app";
    MakeDir(tools);
    InstallMarker(tools + "\\marker.exe");
    MakeLink(root + "\\Arcade\\pin.lnk", {tools + "\\marker.exe", "", "Pin", tools, ""});
    MakeLink(root + "\\games2\\solo.lnk", {target, "", "Solo", "", ""});
    TempFolder outside{"tsbdrop"};
    std::vector<std::string> drop;
    for (int i = 1000; i < 1200; ++i) drop.push_back(std::to_string(i) + ".lnk");
    for (const std::string& name : drop) MakeLink(outside / name, {target, "", "", "", ""});

    Program app(dir.Exe());
    HWND main = app.WaitForWindow("TfrmMain", 30000);
    ASSERT_TRUE(main);
    ASSERT_TRUE(app.WaitForLine("TSB: TfrmMain.GetImageThumbnails"));
    MainWindow w(main);
    auto shows = [&](const Captions& c) { return WaitFor([&] { return w.ShortcutCaptions() == c; }, 10000); };
    auto click = [&](const std::string& caption) {  // the page may be being rebuilt: wait for it
        HWND b = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (b = w.ButtonByCaption(caption)) != nullptr; }, 5000)) << caption;
        PostClick(b);
    };
    ASSERT_EQ(w.ShortcutCaptions(), Captions{"Top"});
    EXPECT_FALSE(IsWindowEnabled(w.HomeButton()));
    EXPECT_FALSE(IsWindowEnabled(w.BackButton()));

    // Back from a first-level page goes home; Home and Back are enabled on every other page.
    click("Arcade");
    ASSERT_TRUE(shows({"Pin"}));
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(w.HomeButton()) && IsWindowEnabled(w.BackButton()); }, 5000));
    PostClick(w.BackButton());
    ASSERT_TRUE(shows({"Top"}));

    // The configuration saved in an editor shows without a restart.
    int shown = app.CountLines("TSB: TfrmMain.GetImageThumbnails");
    WriteFile(dir / "Tessaboard.ini", "[options]\r\ntitle=Watched Menu\r\n");
    EXPECT_TRUE(WaitFor([&] { return w.HasLabel("Watched Menu"); }, 5000));
    // the same tick redisplays the page
    ASSERT_TRUE(WaitFor([&] { return app.CountLines("TSB: TfrmMain.GetImageThumbnails") == shown + 1; }, 5000));

    // 200 links dropped into the page on show in one burst: one rebuild shows them all.
    int builds = app.CountLines("TSB: TfrmMain.GetImageThumbnails");
    for (const std::string& name : drop)
        ASSERT_TRUE(MoveFileA((outside / name).c_str(), (root + "\\" + name).c_str()));
    ASSERT_TRUE(WaitFor([&] { return w.ShortcutCaptions().size() == 201; }, 30000));
    ASSERT_TRUE(WaitFor([&] { return app.CountLines("TSB: TfrmMain.GetImageThumbnails") > builds; }, 30000));
    EXPECT_EQ(app.CountLines("TSB: TfrmMain.GetImageThumbnails") - builds, 1);

    // The 200 links cut and pasted into a sub-page on show, and back while a launch from that
    // page holds the menu: each page shows what it holds.
    click("Arcade");
    ASSERT_TRUE(shows({"Pin"}));
    for (const std::string& name : drop)
        ASSERT_TRUE(MoveFileA((root + "\\" + name).c_str(), (root + "\\Arcade\\" + name).c_str()));
    ASSERT_TRUE(WaitFor([&] { return w.ShortcutCaptions().size() == 201; }, 30000));
    click("Pin");
    DWORD_PTR r;
    ASSERT_TRUE(WaitFor([&] { return !SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_BLOCK, 200, &r); }, 10000))
        << "the launch holds the menu";
    for (const std::string& name : drop)
        ASSERT_TRUE(MoveFileA((root + "\\Arcade\\" + name).c_str(), (root + "\\" + name).c_str()));
    ASSERT_TRUE(WaitFor([&] { return w.ShortcutCaptions() == Captions{"Pin"}; }, 30000));
    PostClick(w.BackButton());
    ASSERT_TRUE(WaitFor([&] { return w.ShortcutCaptions().size() == 201; }, 30000));

    // The folder of the page on show removed: its parent is shown.
    click("Arcade");
    ASSERT_TRUE(shows({"Pin"}));
    RemoveTree(root + "\\Arcade");
    EXPECT_TRUE(WaitFor([&] { return w.ShortcutCaptions().size() == 201; }, 10000));
    EXPECT_EQ(TextOf(w.PageTitle()), "Home Page");

    // A removed sibling whose name begins the page's ("games" of "games2") moves to their parent.
    click("games2");
    ASSERT_TRUE(shows({"Solo"}));
    RemoveTree(root + "\\games");
    EXPECT_TRUE(WaitFor([&] { return w.ShortcutCaptions().size() == 201; }, 10000));
    EXPECT_FALSE(IsWindowEnabled(w.BackButton()));
    SaveScreenshot("monitor-followed");

    // The shortcuts folder itself removed: an empty home page, its folder made anew, and what is
    // put into that folder shown as usual.
    RemoveTree(root);
    // The display is over once the title is the page's again: mid-display it says "Loading...".
    EXPECT_TRUE(WaitFor([&] {
        return w.ShortcutCaptions().empty() && w.StripButtons().empty() && Exists(root) &&
               TextOf(w.PageTitle()) != "Loading...";
    }, 10000));
    EXPECT_EQ(TextOf(w.PageTitle()), "Home Page");
    MakeLink(root + "\\again.lnk", {target, "", "Again", "", ""});
    EXPECT_TRUE(shows({"Again"}));
}
