// Starts the launcher, waits until its home page is on screen, saves a screenshot of the whole
// screen and closes it again: demo_shot PROGRAM.EXE SCREENSHOT.BMP [ARGUMENTS...].
// Exits non-zero, saying why, when the menu never shows or the screen stays blank, so that a
// demo never passes off an empty screen as the program.
#include <cstdio>
#include <set>
#include <string>

#include "support/Driver.h"

using namespace tsbtest;

static int Fail(const char* why) {
    std::fprintf(stderr, "demo: %s\n", why);
    return 1;
}

int main(int argc, char** argv) {
    if (argc < 3) return Fail("usage: demo_shot PROGRAM.EXE SCREENSHOT.BMP [ARGUMENTS...]");
    std::string args;
    for (int i = 3; i < argc; ++i) {
        if (!args.empty()) args += ' ';
        args += argv[i];
    }
    Program app(argv[1], args);
    if (!app.Pid()) return Fail("the program could not be started");
    // The splash stands for ten seconds before the main window comes.
    HWND main = app.WaitForWindow("TfrmMain", 90000);
    if (!main) return Fail(app.Running() ? "no main window within 90 s" : "the program ended before its main window showed");
    if (!app.WaitForLine("TSB: TfrmMain.GetImageThumbnails", 60000)) return Fail("the home page was not displayed within 60 s");
    // The page is built with drawing off and repainted whole afterwards: wait until the window
    // shows more than one colour.
    RECT r = ScreenRect(main);
    auto colours = [&] {
        std::set<COLORREF> seen;
        for (int y = r.top + 4; y < r.bottom; y += 23)
            for (int x = r.left + 4; x < r.right; x += 29) seen.insert(ScreenPixel(x, y));
        return seen.size();
    };
    if (!WaitFor([&] { return colours() >= 3; }, 20000)) return Fail("the screen stayed blank");
    Sleep(500);
    if (!SaveScreenshotFile(argv[2])) return Fail("the screenshot could not be written");
    app.Kill();
    std::printf("demo: the menu is on screen at %ld,%ld, %ldx%ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
}
