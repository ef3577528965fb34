// A page of thousands of shortcuts, taller than a window coordinate reaches: the scroll bar
// dragged to its end shows the last button where the grid puts it, and a click starts it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "app/Layout.h"
#include "support/Driver.h"
#include "support/Keys.h"
#include "support/MainWindow.h"

using namespace tsbtest;

namespace {

constexpr int PageSize = 3000;

// Drags the thumb of the window's vertical scroll bar, at the top of its track, to the end with
// the real mouse. (The scroll bar of another process can't be asked where its thumb is: at the
// start it sits just below the upper arrow, a few pixels high at least.)
void DragThumbToBottom(HWND box) {
    RECT bar = ScreenRect(box);
    int arrow = GetSystemMetrics(SM_CYVSCROLL);
    int x = bar.right - GetSystemMetrics(SM_CXVSCROLL) / 2;
    int thumbY = bar.top + arrow + 2;
    int endY = bar.bottom - arrow / 2;  // over the lower arrow: past the end of the track
    ASSERT_EQ(WindowFromPoint(POINT{x, thumbY}), box) << "something covers the scroll bar";
    ASSERT_TRUE(MouseAt(x, thumbY) && PointerReaches(x, thumbY));
    ASSERT_TRUE(MouseAt(x, thumbY, MOUSEEVENTF_LEFTDOWN));
    // The scroll bar captures the mouse while it tracks the thumb.
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    DWORD thread = GetWindowThreadProcessId(box, nullptr);
    ASSERT_TRUE(WaitFor([&] { return GetGUIThreadInfo(thread, &gui) && gui.hwndCapture == box; }, 5000))
        << "the press did not start a drag";
    for (int i = 1; i <= 8; ++i) ASSERT_TRUE(MouseAt(x, thumbY + (endY - thumbY) * i / 8));
    ASSERT_TRUE(PointerReaches(x, endY));
    ASSERT_TRUE(MouseAt(x, endY, MOUSEEVENTF_LEFTUP));
}

}  // namespace

// One tree of 3 000 links for both sizes (making them is the slow part): the configuration's
// button size is rewritten between the two starts.
TEST(BigPage, TheLastOfThreeThousandButtonsIsReachedByTheScrollBarAndStarts) {
    ProgramFolder dir;
    std::string root = dir / "shortcuts", app = dir / "app";
    MakeDir(root);
    MakeDir(app);
    ASSERT_TRUE(InstallMarker(app + "\\marker.exe"));
    auto made = std::chrono::steady_clock::now();
    for (int i = 0; i < PageSize; ++i)
        MakeLink(root + "\\" + NumberedName("s", i, 4) + ".lnk", {app + "\\marker.exe", NumberedName("s", i, 4), "", "", ""});
    std::printf("[ info     ] %d links made in %.1f s\n", PageSize,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - made).count());
    const std::string last = NumberedName("s", PageSize - 1, 4);

    for (int level : {8, 3}) {
        SCOPED_TRACE("button-size=" + std::to_string(level));
        WriteFile(dir / "Tessaboard.ini", "[options]\r\nbutton-size=" + std::to_string(level) + "\r\n");
        DeleteFileA((app + "\\marker.txt").c_str());
        Program program(dir.Exe());
        HWND main = program.WaitForWindow("TfrmMain", 30000);
        ASSERT_TRUE(main);
        ASSERT_TRUE(program.WaitForLine("TSB: TfrmMain.GetImageThumbnails", 180000));  // the page is built
        MainWindow w(main);
        HWND box = w.ScrollBox();
        HWND button = w.ButtonByCaption(last);
        ASSERT_TRUE(box && button);
        RECT client;
        GetClientRect(box, &client);

        // Where the grid puts the last button: its column, and the bottom row of the page.
        RECT mainClient;
        GetClientRect(main, &mainClient);
        tsb::ButtonLevel size = tsb::ButtonLevelFor(level);
        tsb::GridCursor grid;
        for (int i = 0; i < PageSize - 1; ++i) grid.Advance(size.width, mainClient.right);
        ASSERT_GT(tsb::GridTop(grid.row, size.height) + size.height, 32767) << "taller than a window coordinate";

        SetForegroundWindow(main);
        SaveScreenshot("big-page-start-" + std::to_string(level));
        DragThumbToBottom(box);
        ASSERT_TRUE(WaitFor([&] { return w.RectInScrollBox(button).bottom == client.bottom; }, 20000))
            << "the last button ends at " << w.RectInScrollBox(button).bottom << ", the view at " << client.bottom;
        RECT r = w.RectInScrollBox(button);
        EXPECT_EQ(r.left, tsb::GridLeft(grid.column, size.width));
        EXPECT_EQ(r.right - r.left, size.width);
        EXPECT_EQ(r.bottom - r.top, size.height);
        EXPECT_GE(r.top, 0);
        SaveScreenshot("big-page-end-" + std::to_string(level));

        RECT s = ScreenRect(button);
        POINT centre{(s.left + s.right) / 2, (s.top + s.bottom) / 2};
        ASSERT_EQ(WindowFromPoint(centre), button);
        PostClick(button);
        EXPECT_TRUE(WaitFor([&] { return ReadFile(app + "\\marker.txt").find("arg:" + last) != std::string::npos; },
                            15000));
        program.Kill();
    }
}
