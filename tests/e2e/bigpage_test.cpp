// A page of thousands of shortcuts, taller than a window coordinate reaches: the scroll bar
// dragged to its end shows the last button where the grid puts it, and a click starts it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "framework/core/Layout.h"
#include "support/Driver.h"
#include "support/MainWindow.h"

using namespace tsbtest;

namespace {

constexpr int PageSize = 3000;

std::string LinkName(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "s%04d", i);
    return name;
}

// Drags the thumb of the window's vertical scroll bar to the end with the real mouse.
void DragThumbToBottom(HWND box) {
    SCROLLBARINFO sbi{};
    sbi.cbSize = sizeof sbi;
    ASSERT_TRUE(GetScrollBarInfo(box, OBJID_VSCROLL, &sbi));
    int x = (sbi.rcScrollBar.left + sbi.rcScrollBar.right) / 2;
    int thumbY = sbi.rcScrollBar.top + (sbi.xyThumbTop + sbi.xyThumbBottom) / 2;
    int endY = sbi.rcScrollBar.bottom - (sbi.rcScrollBar.right - sbi.rcScrollBar.left) / 2;
    int w = GetSystemMetrics(SM_CXSCREEN) - 1, h = GetSystemMetrics(SM_CYSCREEN) - 1;
    auto at = [&](int px, int py, DWORD flags) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = px * 65535 / w;
        in.mi.dy = py * 65535 / h;
        in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
        return in;
    };
    std::vector<INPUT> moves{at(x, thumbY, 0), at(x, thumbY, MOUSEEVENTF_LEFTDOWN)};
    for (int i = 1; i <= 8; ++i) moves.push_back(at(x, thumbY + (endY - thumbY) * i / 8, 0));
    moves.push_back(at(x, endY, MOUSEEVENTF_LEFTUP));
    ASSERT_EQ(SendInput(static_cast<UINT>(moves.size()), moves.data(), sizeof(INPUT)), moves.size());
}

}  // namespace

// One tree of 3 000 links for both sizes (making them is the slow part): the configuration's
// button size is rewritten between the two starts.
TEST(BigPage, TheLastOfThreeThousandButtonsIsReachedByTheScrollBarAndStarts) {
    ProgramFolder dir;
    std::string root = dir / "shortcuts", app = dir / "app";
    MakeDir(root);
    MakeDir(app);
    ASSERT_TRUE(CopyFileA((ProgramBuildFolder() + "\\tsb_marker.exe").c_str(), (app + "\\marker.exe").c_str(), FALSE));
    auto made = std::chrono::steady_clock::now();
    for (int i = 0; i < PageSize; ++i)
        MakeLink(root + "\\" + LinkName(i) + ".lnk", {app + "\\marker.exe", LinkName(i), "", "", ""});
    std::printf("[ info     ] %d links made in %.1f s\n", PageSize,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - made).count());
    const std::string last = LinkName(PageSize - 1);

    for (int level : {8, 3}) {
        SCOPED_TRACE("button-size=" + std::to_string(level));
        WriteFile(dir / "Tessaboard.ini", "[options]\r\nbutton-size=" + std::to_string(level) + "\r\n");
        DeleteFileA((app + "\\marker.txt").c_str());
        Program program(dir.Exe());
        HWND main = program.WaitForWindow("TfrmMain", 30000);
        ASSERT_TRUE(main);
        ASSERT_TRUE(program.WaitForLine("TSB: Call TGetImagePreviews " + std::to_string(PageSize), 180000));
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
