// Names in any script end to end: pages and shortcuts named in Greek, Cyrillic, Chinese and with
// an emoji show, sort, open, launch, are found by a search typed in another letter case and can
// be made as new pages; and a configuration file saved in the legacy code page keeps its accents.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/core/ScopeExit.h"
#include "support/Driver.h"
#include "support/Keys.h"
#include "support/MainWindow.h"
#include "support/Walk.h"

using namespace tsbtest;

namespace {

using Captions = std::vector<std::string>;

std::vector<std::string> StripCaptions(const MainWindow& w) {
    std::vector<std::string> out;
    for (HWND b : w.StripButtons()) out.push_back(TextOf(b));
    return out;
}

}  // namespace

TEST(AnyName, PagesAndShortcutsNamedInOtherScriptsShowSortOpenLaunchAndAreFound) {
    ProgramFolder dir;
    // The program it starts lies outside the watched program folder: what it writes starts no
    // redisplay, which would refuse the find dialog's button while it runs.
    TempFolder appFolder{"Приложение"};
    std::string root = dir / "shortcuts", app = appFolder.Path();
    MakeDir(root);
    std::string marker = app + "\\маркер.exe";
    ASSERT_TRUE(InstallMarker(marker));
    ASSERT_TRUE(Exists(marker));
    // Saved by an old editor in Windows-1252: "Écran" is the byte 0xC9 and "cran", not UTF-8.
    WriteFile(dir / "Tessaboard.ini", "[options]\r\ntitle=\xC9" "cran\r\n");

    // The home page's shortcuts, made in an order of their own; one is named by its description.
    for (const char* name : {"Мир", "漢字典", "Ωδή", "Zebra", "ψυχή", "apple", "Écran"})
        MakeLink(root + "\\" + name + ".lnk", {marker, "Ωμέγα 漢字", "", app, ""});
    MakeLink(root + "\\guitar.lnk", {marker, "", "🎸 Guitar", "", ""});
    // A page per script, each with a shortcut.
    const Captions pages{"Ωμέγα", "Привет", "漢字", "🎵 Music"};
    const Captions inside{"Άλφα", "ПРИВЕТ всем", "漢字テスト", "🎶 Song"};
    for (size_t i = 0; i < pages.size(); ++i) {
        MakeDir(root + "\\" + pages[i]);
        MakeLink(root + "\\" + pages[i] + "\\" + inside[i] + ".lnk", {marker, "", "", "", ""});
    }

    Program program(dir.Exe(), "/admin");
    tsb::ScopeExit dump([&] { DumpLinesOnFailure(program); });
    HWND main = program.WaitForWindow("TfrmMain", 30000);
    ASSERT_TRUE(main);
    ASSERT_TRUE(program.WaitForLine("TSB: TfrmMain.GetImageThumbnails"));
    MainWindow w(main);

    // The title read in the legacy code page.
    EXPECT_TRUE(w.HasLabel("Écran"));
    // Names in the program's order: A-Z folded, everything else by its code (so omega before psi).
    EXPECT_EQ(w.ShortcutCaptions(), (Captions{"apple", "Zebra", "Écran", "Ωδή", "ψυχή", "Мир", "漢字典", "🎸 Guitar"}));
    EXPECT_EQ(StripCaptions(w), pages);

    // Every page opens, its title and its shortcut in its own script.
    for (size_t i = 0; i < pages.size(); ++i) {
        HWND strip = w.ButtonByCaption(pages[i]);
        ASSERT_TRUE(strip) << pages[i];
        PostClick(strip);
        EXPECT_TRUE(WaitFor([&] { return TextOf(w.PageTitle()) == pages[i] && w.ShortcutCaptions() == Captions{inside[i]}; },
                            10000))
            << pages[i] << ": " << TextOf(w.PageTitle());
        PostClick(w.HomeButton());
        ASSERT_TRUE(WaitFor([&] { return TextOf(w.PageTitle()) == "Home Page" && w.ButtonByCaption("Мир"); }, 10000));
    }

    // A shortcut in Cyrillic to a program in a Cyrillic folder, with Greek and Chinese arguments.
    PostClick(w.ButtonByCaption("Мир"));
    std::string written;
    EXPECT_TRUE(WaitFor([&] { return (written = ReadFile(app + "\\marker.txt")).find("cwd:") != std::string::npos; }, 15000));
    EXPECT_NE(written.find("arg:Ωμέγα\narg:漢字\n"), std::string::npos) << written;
    EXPECT_NE(written.find("Приложение"), std::string::npos) << written;
    // The launch holds the menu a while with its indicator up, and keys pressed meanwhile are
    // handed on afterwards without their modifiers: the next keys wait for the indicator to go.
    EXPECT_TRUE(WaitFor([&] {
        for (HWND h : TopWindows(program.Pid(), "TfrmWorking"))
            if (IsWindowVisible(h)) return false;
        return true;
    }, 15000)) << "the launch's wait ends";
    DWORD_PTR r;
    ASSERT_TRUE(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_BLOCK, 15000, &r));

    // Search, typed in lower case: the Cyrillic shortcut written in capitals is found on its page.
    PressKeys(main, {VK_CONTROL, 'F'});
    HWND find = WaitForTopWindow(program, "#32770", "Find");
    ASSERT_TRUE(find) << "no find dialog";
    HWND what = GetDlgItem(find, 0x480);
    ASSERT_TRUE(what);
    TypeText(find, "привет");
    ASSERT_TRUE(WaitFor([&] { return TextOf(what) == "привет"; }, 5000)) << TextOf(what);
    // The button is refused while a display runs, and the folder monitor may start one at any
    // moment: clicked again while the page has not changed.
    auto shown = [&] { return TextOf(w.PageTitle()) == "Привет" && w.ButtonByCaption("ПРИВЕТ всем"); };
    for (int click = 0; click < 3 && !shown(); ++click) {
        PostMessageA(GetDlgItem(find, IDOK), BM_CLICK, 0, 0);
        WaitFor(shown, 4000);
    }
    EXPECT_TRUE(shown()) << TextOf(w.PageTitle());
    PostMessageA(find, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(find); }, 5000));

    // A new page named in Greek: its folder, and its button through the folder monitor.
    PressKeys(main, {VK_INSERT});
    HWND ask = WaitForTopWindow(program, nullptr, "New Page");
    ASSERT_TRUE(ask) << "no New Page box";
    auto edits = ChildWindows(ask, "Edit");
    ASSERT_EQ(edits.size(), 1u);
    // Typed over the proposal, which comes selected: characters of any script (an emoji too, as
    // two surrogates) reach the edit whole.
    TypeText(ask, "Νέα σελίδα 🎵");
    ASSERT_TRUE(WaitFor([&] { return TextOf(edits.front()) == "Νέα σελίδα 🎵"; }, 5000)) << TextOf(edits.front());
    PressKeys(ask, {VK_RETURN});
    EXPECT_TRUE(WaitFor([&] { return Exists(root + "\\Привет\\Νέα σελίδα 🎵"); }, 10000))
        << "the folder is made in the page on show";
    EXPECT_TRUE(WaitFor([&] { return w.ButtonByCaption("Νέα σελίδα 🎵") != nullptr; }))
        << "its button comes through the folder monitor";

    // The configuration is written back at the end as UTF-8: the accent is kept.
    PressKeys(main, {VK_CONTROL, 'Q'});
    ASSERT_TRUE(program.WaitForExit(15000));
    std::string ini = ReadFile(dir / "Tessaboard.ini");
    EXPECT_NE(ini.find("title=\xC3\x89" "cran\r\n"), std::string::npos) << ini;
}
