// The pictures of the manual and the README, taken from the real program on a small menu of the
// kind a new user builds: documents, a page of photos, a program, the configuration and manual
// buttons. One administrator's run walks the home page, a button's own menu, the photo page with
// its thumbnails and the viewer; each step is checked before its screen is saved.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <set>

#include "support/Driver.h"

#include <commctrl.h>  // after <windows.h>, which it needs
#include "support/MainWindow.h"

using namespace tsbtest;

namespace {

struct Scene {
    COLORREF skyTop, skyLow, sun, hills, ground;
    double hillHeight, hillWaves;
};

// A landscape as a 24-bit bitmap file: a sky fading to the horizon, a sun, a line of hills and
// the ground, so that thumbnails and the viewer show something a reader recognises.
std::string SceneBmp(int w, int h, const Scene& s) {
    auto mix = [](COLORREF a, COLORREF b, double t) {
        auto channel = [t](int ca, int cb) { return static_cast<BYTE>(static_cast<int>(ca + (cb - ca) * t)); };
        return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
                   channel(GetBValue(a), GetBValue(b)));
    };
    const double sunX = w * 0.72, sunY = h * 0.28, sunR = h * 0.09;
    return Bmp24(w, h, [&](int x, int y) {
        double hill = h * (0.62 - s.hillHeight * std::sin(x * s.hillWaves / w * 3.14159));
        if (y > h * 0.82) return s.ground;
        if (y > hill) return mix(s.hills, s.ground, (y - hill) / (h * 0.82 - hill + 1));
        if (std::hypot(x - sunX, y - sunY) < sunR) return s.sun;
        return mix(s.skyTop, s.skyLow, y / hill);
    });
}

// Another desktop shown and closed by an earlier test can leave this one's pixels lost on the X
// server while its windows count as painted: everything is painted again, once a second.
void RepaintNowAndThen() {
    static auto last = std::chrono::steady_clock::time_point();
    if (std::chrono::steady_clock::now() - last < std::chrono::seconds(1)) return;
    last = std::chrono::steady_clock::now();
    RedrawWindow(GetDesktopWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

int ColoursIn(HWND w) {
    RepaintNowAndThen();
    RECT r = ScreenRect(w);
    std::set<COLORREF> seen;
    for (int y = r.top + 4; y < r.bottom; y += 23)
        for (int x = r.left + 4; x < r.right; x += 29) seen.insert(ScreenPixel(x, y));
    return static_cast<int>(seen.size());
}

std::vector<std::string> Captions(const std::vector<HWND>& buttons) {
    std::vector<std::string> out;
    for (HWND b : buttons) out.push_back(TextOf(b));
    return out;
}

// The pointer rests where the X server put it, over whatever button lies there: its tip would
// cover part of the picture.
void SwitchTipsOff(Program& app) {
    for (HWND tip : TopWindows(app.Pid(), "tooltips_class32")) SendMessageA(tip, TTM_ACTIVATE, FALSE, 0);
}

}  // namespace

TEST(ManualShots, HomePageButtonMenuPhotoPageAndViewer) {
    ProgramFolder dir;
    std::string root = dir / "shortcuts";
    std::string files = dir / "files";
    MakeDir(root);
    MakeDir(root + "\\Documents");
    MakeDir(root + "\\Games");
    MakeDir(root + "\\Holiday Photos");
    MakeDir(files);

    // The two buttons a first start makes, and a program.
    WriteFile(dir / "Tessaboard.ini", "[options]\r\ntitle=Tessaboard\r\n");
    WriteFile(dir / "Tessaboard.pdf", "%PDF-1.4\n");
    MakeLink(root + "\\TessaboardConfiguration.lnk", {dir / "Tessaboard.ini", "", "Tessaboard Configuration", "", ""});
    MakeLink(root + "\\TessaboardManual.lnk", {dir / "Tessaboard.pdf", "", "Tessaboard Manual", "", ""});
    MakeLink(root + "\\Notepad.lnk", {"C:\\windows\\notepad.exe", "", "Notepad", "", ""});
    MakeLink(root + "\\Games\\Mines.lnk", {"C:\\windows\\system32\\winemine.exe", "", "Mines", "", ""});

    WriteFile(files + "\\Shopping list.txt", "Bread\r\nMilk\r\nApples\r\n");
    WriteFile(files + "\\Letter.txt", "Dear Grandma,\r\n");
    MakeLink(root + "\\Documents\\Shopping list.txt.lnk", {files + "\\Shopping list.txt", "", "Shopping list", "", ""});
    MakeLink(root + "\\Documents\\Letter.txt.lnk", {files + "\\Letter.txt", "", "Letter to Grandma", "", ""});

    const std::vector<std::pair<std::string, Scene>> photos = {
        {"Beach", {RGB(40, 110, 220), RGB(170, 215, 250), RGB(255, 240, 150), RGB(235, 215, 150), RGB(30, 120, 200), 0.06, 1.0}},
        {"Hills", {RGB(70, 140, 230), RGB(200, 230, 255), RGB(255, 250, 210), RGB(60, 150, 60), RGB(30, 100, 40), 0.12, 3.0}},
        {"Mountains", {RGB(20, 60, 140), RGB(150, 190, 230), RGB(250, 250, 250), RGB(110, 110, 130), RGB(240, 245, 250), 0.22, 5.0}},
        {"Sunset", {RGB(60, 30, 110), RGB(250, 140, 60), RGB(255, 210, 90), RGB(40, 30, 50), RGB(20, 15, 30), 0.08, 2.0}},
    };
    for (const auto& [name, scene] : photos) {
        WriteFile(files + "\\" + name + ".bmp", SceneBmp(480, 360, scene));
        MakeLink(root + "\\Holiday Photos\\" + name + ".lnk", {files + "\\" + name + ".bmp", "", name, "", ""});
    }
    WriteFile(root + "\\Holiday Photos\\page-header.rtf",
              "{\\rtf1\\ansi{\\fonttbl{\\f0 Verdana;}}\\f0\\fs32 {\\b Our summer holiday}\\par\\fs22 "
              "Click a picture to see it large.}\r\n");
    // Left out of the menu: a hidden folder and a name beginning with a dot.
    MakeDir(root + "\\.trash");
    MakeDir(root + "\\Private");
    SetFileAttributesA((root + "\\Private").c_str(), FILE_ATTRIBUTE_HIDDEN);

    Program app(dir.Exe(), "/admin");
    HWND main = app.WaitForWindow("TfrmMain", 60000);
    ASSERT_TRUE(main);
    ASSERT_TRUE(app.WaitForLine("TSB: TfrmMain.GetImageThumbnails", 30000));
    MainWindow w(main);
    EXPECT_EQ(w.ShortcutCaptions(), (std::vector<std::string>{"Notepad", "Tessaboard Configuration", "Tessaboard Manual"}));
    EXPECT_EQ(Captions(w.StripButtons()), (std::vector<std::string>{"Documents", "Games", "Holiday Photos"}));
    ASSERT_TRUE(WaitFor([&] { return ColoursIn(main) >= 3; }, 20000)) << "the home page is painted";
    SwitchTipsOff(app);
    SaveScreenshot("manual-home");

    // The administrator's own menu on a button.
    HWND notepad = w.ButtonByCaption("Notepad");
    ASSERT_TRUE(notepad);
    PostClick(notepad, true);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        auto menus = TopWindows(app.Pid(), "#32768");
        return !menus.empty() && IsWindowVisible(menu = menus.front());
    }, 5000));
    RECT m = ScreenRect(menu), b = ScreenRect(notepad);
    EXPECT_TRUE(m.left >= b.left && m.left <= b.right && m.top >= b.top && m.top <= b.bottom)
        << "the menu opens where the button was clicked";
    SaveScreenshot("manual-admin");
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(menu, WM_KEYUP, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitFor([&] {
        auto menus = TopWindows(app.Pid(), "#32768");
        return menus.empty() || !IsWindowVisible(menus.front());
    }, 5000)) << "Escape closes the menu";

    // The photo page: its header, and a thumbnail on every button.
    PostClick(w.ButtonByCaption("Holiday Photos"));
    ASSERT_TRUE(WaitFor([&] { return TextOf(w.PageTitle()) == "Holiday Photos"; }, 15000));
    EXPECT_EQ(w.ShortcutCaptions(), (std::vector<std::string>{"Beach", "Hills", "Mountains", "Sunset"}));
    ASSERT_TRUE(app.WaitForLine("TSB: TGetImagePreviews.Execute Completed 4", 30000));
    EXPECT_EQ(app.CountLines("TSB: TGetImagePreviews.Execute: Loading "), 4);
    EXPECT_EQ(app.CountLines("TSB: TGetImagePreviews.Execute Exception"), 0);
    // A thumbnail shows the sky of its picture: the Beach button's upper part holds its blue.
    HWND beach = w.ButtonByCaption("Beach");
    ASSERT_TRUE(beach);
    ASSERT_TRUE(WaitFor([&] {
        RepaintNowAndThen();
        RECT r = ScreenRect(beach);
        int cx = (r.left + r.right) / 2;
        for (int y = r.top + 8; y < r.top + 40; ++y) {
            COLORREF c = ScreenPixel(cx, y);
            if (GetBValue(c) > 200 && GetRValue(c) < 120) return true;
        }
        return false;
    }, 10000)) << "the thumbnail is painted";
    SwitchTipsOff(app);
    SaveScreenshot("manual-pictures");

    // The viewer on a picture; Escape brings the menu back.
    PostClick(beach);
    HWND viewer = app.WaitForWindow("TImageViewer", 15000);
    ASSERT_TRUE(viewer);
    ASSERT_TRUE(app.WaitForLine("TSB: TImageViewer.ShowImage Completed", 10000));
    ASSERT_TRUE(WaitFor([&] { return ChildWithText(viewer, "Return To Menu") && ChildWithText(viewer, "Beach"); }, 5000));
    EXPECT_TRUE(ReallyVisible(ChildWithText(viewer, "    Viewer"))) << "an administrator is offered the system's viewer";
    ASSERT_TRUE(WaitFor([&] { return ColoursIn(viewer) >= 8; }, 10000)) << "the picture is painted";
    SaveScreenshot("manual-viewer");
    PostMessageA(viewer, WM_CHAR, 27, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(viewer); }, 10000));
    EXPECT_TRUE(IsWindowVisible(main));
}
