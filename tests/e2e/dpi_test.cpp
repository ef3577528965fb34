// High-DPI screens end to end: the real program started with the screen's scale set to 96, 120,
// 144 and 192 dots per inch (the user's LogPixels setting, which every new process reads).
//
// The rule: every size of the layout is its size at 96 dots per inch times dpi / 96, rounded to
// the nearest pixel (MulDiv(size, dpi, 96)); the windowed main window (881 x 695 at 96) goes
// full screen when that scaled size does not fit the screen; text is drawn in fonts of the
// scaled height, so its ink scales alike, to within the font's own rounding (its height to a
// pixel or two, its width to a few per cent).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "framework/core/ScopeExit.h"
#include "support/Driver.h"
#include "support/MainWindow.h"

using namespace tsbtest;

namespace {

constexpr const char* DesktopKey = "Control Panel\\Desktop";

// The user's LogPixels value, or 0 when it is not set (the system's default, 96).
DWORD ReadLogPixels() {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, DesktopKey, "LogPixels", RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return 0;
    return value;
}

void WriteLogPixels(DWORD dpi) {
    if (dpi == 0) {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, DesktopKey, "LogPixels");
        return;
    }
    RegSetKeyValueA(HKEY_CURRENT_USER, DesktopKey, "LogPixels", REG_DWORD, &dpi, sizeof dpi);
}

// A run ended half-way (killed by a time limit) would leave the screen's scale changed for every
// later program of the prefix: the value found is kept beside it until it is put back, and a run
// that finds one kept puts that back first.
constexpr const char* KeptName = "TsbLogPixelsBeforeTests";

DWORD KeepLogPixels() {
    DWORD kept = 0, size = sizeof kept;
    if (RegGetValueA(HKEY_CURRENT_USER, DesktopKey, KeptName, RRF_RT_REG_DWORD, nullptr, &kept, &size) == ERROR_SUCCESS) {
        WriteLogPixels(kept);
        return kept;
    }
    kept = ReadLogPixels();
    RegSetKeyValueA(HKEY_CURRENT_USER, DesktopKey, KeptName, REG_DWORD, &kept, sizeof kept);
    return kept;
}

void PutBackLogPixels(DWORD kept) {
    WriteLogPixels(kept);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, DesktopKey, KeptName);
}

int Scaled(int size, int dpi) { return MulDiv(size, dpi, 96); }

// The box around the dark pixels of a part of the screen (screen coordinates), relative to it.
RECT InkIn(RECT part) {
    int w = part.right - part.left, h = part.bottom - part.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, part.left, part.top, SRCCOPY);
    GdiFlush();
    RECT box{w, h, -1, -1};
    const auto* px = static_cast<const unsigned char*>(bits);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char* p = px + (static_cast<size_t>(y) * w + x) * 4;  // blue, green, red
            if (p[0] < 96 && p[1] < 96 && p[2] < 96) {
                box.left = std::min<LONG>(box.left, x), box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1), box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
        }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return box.right < 0 ? RECT{} : box;
}


}  // namespace

TEST(HighDpi, WindowsButtonsAndFontsScaleWithTheScreen) {
    const DWORD before = KeepLogPixels();
    tsb::ScopeExit restore([before] { PutBackLogPixels(before); });  // whatever happens below
    std::map<int, RECT> seen;  // the ink of the "Tessaboard Manual" button's caption, in the button
    for (int dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE(dpi);
        WriteLogPixels(static_cast<DWORD>(dpi));
        ASSERT_EQ(ReadLogPixels(), static_cast<DWORD>(dpi));
        ProgramFolder dir;
        WriteFile(dir / "Tessaboard.ini", "[options]\r\nfull-screen=0\r\n");
        Program app(dir.Exe());

        HWND splash = app.WaitForWindow("TSplashForm", 20000);
        ASSERT_TRUE(splash);
        RECT client;
        GetClientRect(splash, &client);
        EXPECT_EQ(client.right, Scaled(509, dpi));
        EXPECT_EQ(client.bottom, Scaled(269, dpi));

        HWND main = app.WaitForWindow("TfrmMain", 30000);
        ASSERT_TRUE(main);
        ASSERT_TRUE(app.WaitForLine("TSB: TfrmMain.GetImageThumbnails"));
        RECT r = ScreenRect(main);
        int w = Scaled(881, dpi), h = Scaled(695, dpi);
        if (w > 1920 || h > 1080) {
            EXPECT_EQ(r.left, 0);
            EXPECT_EQ(r.top, 0);
            EXPECT_EQ(r.right, 1920);
            EXPECT_EQ(r.bottom, 1080);
        } else {
            EXPECT_EQ(r.right - r.left, w);
            EXPECT_EQ(r.bottom - r.top, h);
            EXPECT_EQ(r.left, 1920 / 2 - w / 2);
            EXPECT_EQ(r.top, 1080 / 2 - h / 2);
        }

        MainWindow window(main);
        RECT title = ScreenRect(window.PageTitle());
        EXPECT_EQ(title.bottom - title.top, Scaled(22, dpi));
        std::vector<HWND> buttons = window.PageButtons();
        ASSERT_EQ(buttons.size(), 2u);
        RECT first = window.RectInScrollBox(buttons[0]), second = window.RectInScrollBox(buttons[1]);
        EXPECT_EQ(first.right - first.left, Scaled(150, dpi));
        EXPECT_EQ(first.bottom - first.top, Scaled(110, dpi));
        EXPECT_EQ(first.left, Scaled(16, dpi));
        EXPECT_EQ(first.top, Scaled(10, dpi));
        EXPECT_EQ(second.left, Scaled(16 + 150 + 16, dpi));

        // The caption, below where the icon (48 at 96) ends.
        ASSERT_EQ(TextOf(buttons[1]), "Tessaboard Manual");
        RECT b = ScreenRect(buttons[1]);
        RECT lower{b.left, b.top + Scaled(8 + 48, dpi), b.right, b.bottom};
        RECT ink{};
        ASSERT_TRUE(WaitFor([&] {
            ink = InkIn(lower);
            return ink.bottom - ink.top > 4;
        }, 5000)) << "no caption seen";
        ink.top += lower.top - b.top, ink.bottom += lower.top - b.top;
        seen[dpi] = ink;
        SaveScreenshot("dpi-" + std::to_string(dpi));
    }
    const RECT at96 = seen[96];
    for (int dpi : {120, 144, 192}) {
        SCOPED_TRACE(dpi);
        const RECT ink = seen[dpi];
        EXPECT_NEAR(ink.bottom, Scaled(at96.bottom, dpi), 2) << "the caption's baseline";
        EXPECT_NEAR(ink.bottom - ink.top, Scaled(at96.bottom - at96.top, dpi), 2) << "the caption's height";
        // A width adds up every character's advance, each rounded to whole pixels at its size.
        const int width = Scaled(at96.right - at96.left, dpi);
        EXPECT_NEAR(ink.right - ink.left, width, width * 8 / 100) << "the caption's width";
    }
}
