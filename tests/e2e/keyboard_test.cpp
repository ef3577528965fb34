// The keyboard end to end: real keys from the keyboard's queue move the focus through a page of
// 30 buttons by their places, the focused button is scrolled into view and shows its focus
// rectangle, and Backspace and Alt+Home go back and home.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "framework/core/ScopeExit.h"
#include "support/Driver.h"
#include "support/Keys.h"
#include "support/MainWindow.h"
#include "support/Walk.h"

using namespace tsbtest;

namespace {

constexpr int ButtonCount = 30;

// The screen's pixels under a window, row by row.
std::vector<COLORREF> PixelsOf(HWND w) {
    RECT r = ScreenRect(w);
    int width = r.right - r.left, height = r.bottom - r.top;
    std::vector<COLORREF> out;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, width, height);
    tsb::ScopeExit release([&] {
        DeleteObject(bmp);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
    });
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    out.resize(static_cast<size_t>(width) * height);
    GetDIBits(mem, bmp, 0, height, out.data(), &bi, DIB_RGB_COLORS);
    return out;
}

// A focus rectangle's edge: a row in which a third or more of the pixels across the button changed
// between the two pictures (the dotted edge inverts every other pixel; the icon and the caption,
// in the middle, never span the width).
bool RowAcrossDiffers(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b, int width) {
    if (a.size() != b.size() || width <= 0) return false;
    for (size_t row = 0; row + 1 <= a.size() / static_cast<size_t>(width); ++row) {
        int differ = 0;
        for (int x = 0; x < width; ++x) differ += a[row * width + x] != b[row * width + x];
        if (differ * 3 >= width) return true;
    }
    return false;
}

}  // namespace

TEST(Keyboard, ArrowsHomeEndAndPageKeysMoveTheFocusOverThirtyButtons) {
    ProgramFolder dir;
    std::string root = dir / "shortcuts", app = dir / "app";
    MakeDir(root);
    MakeDir(root + "\\Menu");
    MakeDir(root + "\\Menu\\Grid");
    MakeDir(app);
    ASSERT_TRUE(InstallMarker(app + "\\marker.exe"));
    for (int i = 1; i <= ButtonCount; ++i)
        MakeLink(root + "\\Menu\\Grid\\" + NumberedName("Item ", i, 2) + ".lnk", {app + "\\marker.exe", "", "", "", ""});
    // The biggest buttons: the page is taller than the view.
    WriteFile(dir / "Tessaboard.ini", "[options]\r\nbutton-size=3\r\n");

    Program program(dir.Exe());
    tsb::ScopeExit dump([&] { DumpLinesOnFailure(program); });
    HWND main = program.WaitForWindow("TfrmMain", 30000);
    ASSERT_TRUE(main);
    ASSERT_TRUE(program.WaitForLine("TSB: TfrmMain.GetImageThumbnails"));
    MainWindow w(main);
    auto open = [&](const char* page) {
        HWND strip = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (strip = w.ButtonByCaption(page)) != nullptr; }, 10000)) << page;
        PostClick(strip);
        ASSERT_TRUE(WaitFor([&] { return TextOf(w.PageTitle()) == page; }, 10000)) << page;
    };
    open("Menu");
    open("Grid");
    std::vector<HWND> buttons;
    ASSERT_TRUE(WaitFor([&] {
        buttons = w.PageButtons();
        return buttons.size() == ButtonCount && TextOf(buttons.back()) == NumberedName("Item ", ButtonCount, 2);
    }, 15000));
    for (int i = 0; i < ButtonCount; ++i) ASSERT_EQ(TextOf(buttons[i]), NumberedName("Item ", i + 1, 2));

    // The grid as shown at the top: its columns and the distance from row to row. (Buttons far
    // out of view are parked where their places can't be read.)
    HWND box = w.ScrollBox();
    RECT view;
    GetClientRect(box, &view);
    std::vector<RECT> at;
    for (HWND b : buttons) at.push_back(w.RectInScrollBox(b));
    size_t columns = 0;
    while (columns < at.size() && at[columns].top == at[0].top) ++columns;
    ASSERT_GE(columns, 3u);
    ASSERT_LT(columns, at.size());
    int pitch = at[columns].top - at[0].top;
    ASSERT_GT(pitch, 0);
    size_t rows = (buttons.size() + columns - 1) / columns;
    auto index = [&](size_t row, size_t column) { return std::min(row * columns + column, buttons.size() - 1); };
    auto inView = [&](HWND b) {
        RECT r = w.RectInScrollBox(b);
        return r.top >= 0 && r.bottom <= view.bottom && r.left >= 0 && r.right <= view.right;
    };
    ASSERT_FALSE(inView(buttons.back())) << "the page is taller than its view";
    // Each key takes the focus to the button it names, and that button is in view.
    auto press = [&](std::initializer_list<WORD> keys, size_t expected, const char* what) {
        PressKeys(main, keys);
        EXPECT_TRUE(WaitFor([&] { return FocusOf(main) == buttons[expected] && inView(buttons[expected]); }, 5000))
            << what << ": the focus is on \"" << TextOf(FocusOf(main)) << "\", expected \""
            << TextOf(buttons[expected]) << "\"";
    };

    // Into the grid by the keyboard alone: the focus starts outside it, and Home enters it.
    SetForegroundWindow(main);
    ASSERT_EQ(std::find(buttons.begin(), buttons.end(), FocusOf(main)), buttons.end()) << "the focus starts in the grid";
    press({VK_HOME}, 0, "Home from outside the grid");

    // The focused button shows its focus rectangle, and loses it with the focus.
    int width = static_cast<int>(at[1].right - at[1].left);
    auto unfocused = PixelsOf(buttons[1]);
    press({VK_RIGHT}, 1, "Right");
    std::vector<COLORREF> focused;
    EXPECT_TRUE(WaitFor([&] { return RowAcrossDiffers(unfocused, focused = PixelsOf(buttons[1]), width); }, 5000))
        << "a focus rectangle on the focused button";
    press({VK_LEFT}, 0, "Left");
    EXPECT_TRUE(WaitFor([&] { return RowAcrossDiffers(focused, PixelsOf(buttons[1]), width); }, 5000))
        << "the rectangle goes with the focus";

    // Right at the end of a row goes on at the start of the next; Left goes back over it.
    for (size_t i = 1; i < columns; ++i) press({VK_RIGHT}, i, "Right along the row");
    press({VK_RIGHT}, columns, "Right at the row's end");
    press({VK_LEFT}, columns - 1, "Left at the row's start");

    // Up and down keep the column.
    press({VK_DOWN}, index(1, columns - 1), "Down");
    press({VK_DOWN}, index(2, columns - 1), "Down again");
    press({VK_UP}, index(1, columns - 1), "Up");

    // End and Home: the last and the first button, each scrolled into view.
    press({VK_END}, buttons.size() - 1, "End");
    press({VK_HOME}, 0, "Home");

    // The page keys go as many rows as the view holds, in the same column.
    size_t pageRows = 0;
    for (size_t r = 1; r < rows; ++r)
        if (static_cast<int>(r) * pitch <= view.bottom) pageRows = r;
    if (pageRows == 0) pageRows = 1;
    press({VK_RIGHT}, 1, "Right");
    press({VK_NEXT}, index(pageRows, 1), "Page Down");
    EXPECT_LT(w.RectInScrollBox(buttons[0]).top, 0) << "the page scrolled";
    press({VK_PRIOR}, 1, "Page Up");

    // Backspace is Back (to the page above), Alt+Home is Home.
    PressKeys(main, {VK_BACK});
    ASSERT_TRUE(WaitFor([&] { return TextOf(w.PageTitle()) == "Menu"; }, 10000))
        << "Backspace goes back, not to " << TextOf(w.PageTitle());
    open("Grid");
    ASSERT_TRUE(WaitFor([&] { return w.PageButtons().size() == ButtonCount; }, 10000));
    PressKeys(main, {VK_MENU, VK_HOME});
    EXPECT_TRUE(WaitFor([&] { return TextOf(w.PageTitle()) == "Home Page"; }, 10000)) << "Alt+Home goes home";
}
