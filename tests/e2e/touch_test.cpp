// A long page swiped with the real mouse (as Windows turns a touch screen's finger into one):
// the page follows the pointer, a press that became a drag starts nothing, a tap still starts,
// swipes follow one another quickly, a quick swipe flings on and comes to rest (or stops at the
// next press), and no swipe runs past the first or last row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Layout.h"
#include "support/Driver.h"
#include "support/Keys.h"
#include "support/MainWindow.h"

using namespace tsbtest;

namespace {

constexpr int PageSize = 300;

// The page of 300 buttons on show, and where the grid puts each of them in the page.
struct SwipedPage {
    MainWindow w;
    HWND box;
    RECT view;  // the box's client area
    std::vector<HWND> buttons;
    std::vector<int> tops;  // in page coordinates
    int height = 0;         // of a button

    // The buttons' windows, by their captions (a page displayed again has new ones).
    void Find() {
        buttons.assign(PageSize, nullptr);
        for (HWND b : w.PageButtons()) {
            std::string text = TextOf(b);
            if (text.size() == 4 && text[0] == 't') buttons[static_cast<size_t>(std::stoi(text.substr(1)))] = b;
        }
    }
    // The scroll position, read off whichever button is on show: where the grid puts it, less
    // where it is in the box. -1 when none is on show.
    int Position() {
        if (!buttons.front() || !IsWindow(buttons.front())) Find();
        for (size_t i = 0; i < buttons.size(); ++i) {
            if (!ReallyVisible(buttons[i])) continue;
            RECT r = ScreenRect(buttons[i]);
            MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
            if (r.bottom > 0 && r.top < view.bottom) return tops[i] - r.top;
        }
        return -1;
    }
    // The position once it has not changed for 300 ms (within 5 s).
    int Resting() {
        int last = Position();
        for (int i = 0; i < 50; ++i) {
            Sleep(300);
            int now = Position();
            if (now == last) return now;
            last = now;
        }
        return last;
    }
};

// Presses at x, y, moves the pointer by dy in steps (pausing between them when slow), and
// releases: after a rest, or while still moving (at once after the last step, as a finger that
// flicks lifts).
void Swipe(int x, int y, int dy, int steps, bool slow, bool restBeforeRelease) {
    ASSERT_TRUE(MouseAt(x, y) && PointerReaches(x, y));
    ASSERT_TRUE(MouseAt(x, y, MOUSEEVENTF_LEFTDOWN));
    Sleep(50);
    for (int i = 1; i <= steps; ++i) {
        ASSERT_TRUE(MouseAt(x, y + dy * i / steps));
        if (i < steps || restBeforeRelease) Sleep(slow ? 25 : 8);
    }
    if (restBeforeRelease) {
        ASSERT_TRUE(PointerReaches(x, y + dy));
        Sleep(200);
    }
    ASSERT_TRUE(MouseAt(x, y + dy, MOUSEEVENTF_LEFTUP));
    ASSERT_TRUE(PointerReaches(x, y + dy));
}

POINT CentreOf(HWND w) {
    RECT r = ScreenRect(w);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

}  // namespace

TEST(Touch, APageFollowsASwipeWhichStartsNothingFlingsOnAndStopsAtTheLastRow) {
    ProgramFolder dir;
    TempFolder elsewhere("tsbtouch");  // what the marker writes is no change the menu follows
    std::string root = dir / "shortcuts", app = elsewhere.Path();
    MakeDir(root);
    ASSERT_TRUE(InstallMarker(app + "\\marker.exe"));
    for (int i = 0; i < PageSize; ++i)
        MakeLink(root + "\\" + NumberedName("t", i, 3) + ".lnk", {app + "\\marker.exe", NumberedName("t", i, 3), "", "", ""});
    WriteFile(dir / "Tessaboard.ini", "[options]\r\nfull-screen=1\r\n");  // as a kiosk's screen
    Program program(dir.Exe());
    HWND main = program.WaitForWindow("TfrmMain", 60000);
    ASSERT_TRUE(main);
    ASSERT_TRUE(program.WaitForLine("TSB: TfrmMain.GetImageThumbnails", 60000));  // the page is built

    SwipedPage page{MainWindow(main)};
    page.box = page.w.ScrollBox();
    ASSERT_TRUE(page.box);
    GetClientRect(page.box, &page.view);
    RECT mainClient;
    GetClientRect(main, &mainClient);
    tsb::ButtonLevel size = tsb::ButtonLevelFor(5);
    page.height = size.height;
    tsb::GridCursor grid;
    for (int i = 0; i < PageSize; ++i) {
        page.tops.push_back(tsb::GridTop(grid.row, size.height));
        grid.Advance(size.width, mainClient.right);
    }
    page.Find();
    for (int i = 0; i < PageSize; ++i) ASSERT_TRUE(page.buttons[static_cast<size_t>(i)]) << NumberedName("t", i, 3);
    const int end = page.tops.back() + size.height - page.view.bottom;  // the last row at the bottom
    ASSERT_GT(end, 2000) << "a page several views long";
    SetForegroundWindow(main);
    ASSERT_EQ(page.Position(), 0);
    // A place between the buttons (the gap after the first column), low in the view.
    RECT boxOnScreen = ScreenRect(page.box);
    const POINT gap{boxOnScreen.left + tsb::GridLeft(1, size.width) - 8, boxOnScreen.top + page.view.bottom * 3 / 4};
    ASSERT_EQ(WindowFromPoint(gap), page.box);

    // At the first row a swipe down moves nothing.
    Swipe(gap.x, gap.y - 300, 200, 10, true, true);
    EXPECT_EQ(page.Resting(), 0);

    // A button low in the view, pressed and dragged 400 pixels up slowly: the page follows it
    // pixel for pixel, and the button's program does not start.
    size_t pressed = 0;
    while (page.tops[pressed] < 500) ++pressed;
    const std::string name = NumberedName("t", static_cast<int>(pressed), 3);
    POINT at = CentreOf(page.buttons[pressed]);
    ASSERT_EQ(WindowFromPoint(at), page.buttons[pressed]);
    Swipe(at.x, at.y, -400, 20, true, true);
    EXPECT_NEAR(page.Resting(), 400, 3);
    SaveScreenshot("touch-after-drag");
    Sleep(1500);
    EXPECT_EQ(ReadFile(app + "\\marker.txt"), "") << "a drag started " << name;

    // A tap on the same button, where it is now, starts it.
    at = CentreOf(page.buttons[pressed]);
    ASSERT_EQ(WindowFromPoint(at), page.buttons[pressed]);
    ASSERT_TRUE(MouseAt(at.x, at.y) && PointerReaches(at.x, at.y));
    ASSERT_TRUE(MouseAt(at.x, at.y, MOUSEEVENTF_LEFTDOWN));
    ASSERT_TRUE(MouseAt(at.x, at.y, MOUSEEVENTF_LEFTUP));
    EXPECT_TRUE(WaitFor([&] { return ReadFile(app + "\\marker.txt").find("arg:" + name) != std::string::npos; },
                        15000))
        << "a tap starts " << name;
    DeleteFileA((app + "\\marker.txt").c_str());
    // The launch's hold: the menu takes no input until its "Loading" window has gone.
    EXPECT_TRUE(WaitFor([&] {
        for (HWND w : TopWindows(program.Pid(), "TfrmWorking"))
            if (IsWindowVisible(w)) return false;
        return true;
    }, 15000));
    SetForegroundWindow(main);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == main; }, 5000));

    // Two swipes in quick succession between the buttons (the second press within the time of
    // a double click): each moves the page.
    int before = page.Position();
    EXPECT_EQ(before, 400) << "back from the launch where it was";
    Swipe(gap.x, gap.y, -100, 5, true, true);
    Swipe(gap.x, gap.y, -100, 5, true, true);
    EXPECT_NEAR(page.Resting(), before + 200, 3);

    // A quick swipe of 200 pixels released while moving: the page goes on, then rests within 2 s.
    before = page.Position();
    Swipe(gap.x, gap.y, -200, 5, false, false);
    Sleep(2000);
    int rested = page.Position();
    Sleep(300);
    EXPECT_EQ(page.Position(), rested) << "still moving 2 s after the release";
    EXPECT_GT(rested, before + 250) << "the fling carried the page on past the swipe";
    const int flung = rested - before;
    SaveScreenshot("touch-after-fling");
    // The next press stops a fling where it is: a press where the finger was lifted, as the
    // pointer does not jump first (a jump just before a press is read late by a loaded machine).
    before = page.Position();
    Swipe(gap.x, gap.y, -200, 5, false, false);
    Sleep(100);
    Swipe(gap.x, gap.y - 200, 0, 1, false, false);
    Sleep(100);  // the press handled: a fling not stopped would still be moving
    int stopped = page.Position();
    EXPECT_EQ(page.Resting(), stopped) << "a press stops the fling";
    EXPECT_LT(stopped - before, flung - 100) << "short of where the same fling went unstopped";
    const POINT at2 = gap;

    // Swipes well past the end: the page stops with the last row at the bottom.
    for (int i = 0; i < 12 && page.Position() < end; ++i) Swipe(at2.x, at2.y, -page.view.bottom / 2, 10, true, true);
    Swipe(at2.x, at2.y, -page.view.bottom / 2, 10, true, true);
    EXPECT_EQ(page.Resting(), end);
    RECT last = page.w.RectInScrollBox(page.buttons.back());
    EXPECT_EQ(last.bottom, page.view.bottom) << "the last row ends the view";
    EXPECT_EQ(ReadFile(app + "\\marker.txt"), "") << "no swipe started anything";
    program.Kill();
}
