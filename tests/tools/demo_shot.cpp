// Starts the launcher, waits until its home page is on screen, saves a screenshot of the whole
// screen, and, when asked, opens a page and a picture on it and saves those screens too; then
// ends the program:
//   demo_shot PROGRAM.EXE HOME.BMP [--page CAPTION PAGE.BMP [--picture CAPTION VIEWER.BMP]]
//             [ARGUMENTS...]
// Exits non-zero, saying why, when the menu never shows, a button is missing or the screen stays
// blank, so that a demo never passes off an empty screen as the program.
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "support/Driver.h"

#include <commctrl.h>  // after <windows.h>, which it needs

using namespace tsbtest;

static int Fail(const std::string& why) {
    std::fprintf(stderr, "demo: %s\n", why.c_str());
    return 1;
}

static HWND ButtonByCaption(HWND top, const std::string& caption) {
    for (HWND b : ChildWindows(top, "TColorButton"))
        if (TextOf(b) == caption && ReallyVisible(b)) return b;
    return nullptr;
}

// The pointer rests where the X server put it, over whatever button lies there: its tip would
// cover part of the screen.
static void SwitchTipsOff(Program& app) {
    for (HWND tip : TopWindows(app.Pid(), "tooltips_class32")) SendMessageA(tip, TTM_ACTIVATE, FALSE, 0);
}

// The page is built with drawing off and repainted whole afterwards: a painted window shows
// more than a couple of colours.
static bool WaitUntilPainted(HWND w, int colours) {
    RECT r = ScreenRect(w);
    return WaitFor([&] {
        std::set<COLORREF> seen;
        for (int y = r.top + 4; y < r.bottom; y += 23)
            for (int x = r.left + 4; x < r.right; x += 29) seen.insert(ScreenPixel(x, y));
        return static_cast<int>(seen.size()) >= colours;
    }, 20000);
}

int main(int argc, char** argv) {
    if (argc < 3)
        return Fail("usage: demo_shot PROGRAM.EXE HOME.BMP [--page CAPTION PAGE.BMP [--picture CAPTION VIEWER.BMP]] [ARGUMENTS...]");
    std::string page, pageShot, picture, pictureShot;
    int i = 3;
    if (i + 2 < argc && std::strcmp(argv[i], "--page") == 0) {
        page = argv[i + 1], pageShot = argv[i + 2];
        i += 3;
        if (i + 2 < argc && std::strcmp(argv[i], "--picture") == 0) {
            picture = argv[i + 1], pictureShot = argv[i + 2];
            i += 3;
        }
    }
    std::string args;
    for (; i < argc; ++i) {
        if (!args.empty()) args += ' ';
        args += argv[i];
    }
    Program app(argv[1], args);
    if (!app.Pid()) return Fail("the program could not be started");
    // The splash stands for ten seconds before the main window comes.
    HWND main = app.WaitForWindow("TfrmMain", 90000);
    if (!main) return Fail(app.Running() ? "no main window within 90 s" : "the program ended before its main window showed");
    if (!app.WaitForLine("TSB: TfrmMain.GetImageThumbnails", 60000)) return Fail("the home page was not displayed within 60 s");
    if (!WaitUntilPainted(main, 3)) return Fail("the screen stayed blank");
    SwitchTipsOff(app);
    Sleep(500);
    if (!SaveScreenshotFile(argv[2])) return Fail("the screenshot could not be written");
    RECT r = ScreenRect(main);
    std::printf("demo: the menu is on screen at %ld,%ld, %ldx%ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);

    if (!page.empty()) {
        HWND button = ButtonByCaption(main, page);
        if (!button) return Fail("the home page has no button \"" + page + "\"");
        int shown = app.CountLines("TSB: TfrmMain.GetImageThumbnails");
        PostClick(button);
        if (!WaitFor([&] { return app.CountLines("TSB: TfrmMain.GetImageThumbnails") > shown; }, 30000))
            return Fail("the page \"" + page + "\" was not displayed");
        // Thumbnails are made after the page shows; a page of pictures is ready when its run ends.
        if (!picture.empty() && !app.WaitForLine("TSB: TGetImagePreviews.Execute Completed", 30000))
            return Fail("the thumbnails of \"" + page + "\" were not made");
        if (!WaitUntilPainted(main, 3)) return Fail("the page stayed blank");
        SwitchTipsOff(app);
        Sleep(500);
        if (!SaveScreenshotFile(pageShot)) return Fail("the page's screenshot could not be written");
        std::printf("demo: the page \"%s\" is on screen\n", page.c_str());
    }
    if (!picture.empty()) {
        HWND button = ButtonByCaption(main, picture);
        if (!button) return Fail("the page has no button \"" + picture + "\"");
        PostClick(button);
        HWND viewer = app.WaitForWindow("TImageViewer", 15000);
        if (!viewer) return Fail("the picture viewer did not open");
        if (!app.WaitForLine("TSB: TImageViewer.ShowImage Completed", 15000)) return Fail("the picture was not shown");
        if (!WaitUntilPainted(viewer, 6)) return Fail("the viewer stayed blank");
        Sleep(500);
        if (!SaveScreenshotFile(pictureShot)) return Fail("the viewer's screenshot could not be written");
        std::printf("demo: the picture \"%s\" is in the viewer\n", picture.c_str());
    }
    app.Kill();
    return 0;
}
