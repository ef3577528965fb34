// Pictures end to end: thumbnails replacing icons, a rejected picture ending the run, and the
// viewer opened by a click, stepping and closed by Escape.
#include <gtest/gtest.h>

#include "support/Driver.h"
#include "support/MainWindow.h"
#include "win/TwoColourPictures.h"

using namespace tsbtest;

namespace {

COLORREF ScreenPixel(HWND w, int x, int y) {
    RECT r;
    GetWindowRect(w, &r);
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, r.left + x, r.top + y) & 0xFFFFFF;
    ReleaseDC(nullptr, screen);
    return c;
}

HWND ChildWithText(HWND parent, const std::string& text) {
    for (HWND c : ChildWindows(parent))
        if (TextOf(c) == text) return c;
    return nullptr;
}

}  // namespace

TEST(Pictures, ThumbnailsReplaceIconsUntilARejectedPictureAndTheViewerSteps) {
    ProgramFolder dir;
    std::string root = dir / "shortcuts";
    MakeDir(root);
    WriteFile(dir / "a.bmp", HalvesBmp(64, 32));
    WriteFile(dir / "b.jpg", "no picture at all, whatever the name says");
    WriteFile(dir / "c.bmp", HalvesBmp(64, 32));
    MakeLink(root + "\\a.lnk", {dir / "a.bmp", "", "A", "", ""});
    MakeLink(root + "\\b.lnk", {dir / "b.jpg", "", "B", "", ""});
    MakeLink(root + "\\c.lnk", {dir / "c.bmp", "", "C", "", ""});
    Program app(dir.Exe());
    HWND main = app.WaitForWindow("TfrmMain", 30000);
    ASSERT_TRUE(main);
    ASSERT_TRUE(app.WaitForLine("TSB: TfrmMain.GetImageThumbnails"));
    MainWindow w(main);
    HWND a = w.ButtonByCaption("A"), c = w.ButtonByCaption("C");
    ASSERT_TRUE(a && c);
    // Level 5: a 64 x 32 thumbnail at 43, 8 of a 150-wide button, red on its left half.
    ASSERT_TRUE(app.WaitForLine("TSB: TGetImagePreviews.Execute Exception: ", 15000));
    EXPECT_TRUE(WaitFor([&] { return ScreenPixel(a, 43 + 8, 8 + 16) == Red; }, 5000));
    EXPECT_EQ(ScreenPixel(a, 43 + 56, 8 + 16), Blue);
    EXPECT_NE(ScreenPixel(c, 43 + 8, 8 + 16), Red) << "the run ended at the rejected picture";
    EXPECT_EQ(app.CountLines("TSB: TGetImagePreviews.Execute Completed"), 0);
    SaveScreenshot("thumbnails");

    PostClick(a);
    HWND viewer = app.WaitForWindow("TImageViewer", 15000);
    ASSERT_TRUE(viewer);
    ASSERT_TRUE(WaitFor([&] { return app.CountLines("TSB: TImageViewer.ShowImage Completed") >= 1; }, 10000));
    EXPECT_TRUE(WaitFor([&] { return ChildWithText(viewer, "Return To Menu") != nullptr; }, 5000));
    HWND next = ChildWithText(viewer, "    Next Image");
    ASSERT_TRUE(next);
    EXPECT_TRUE(ChildWithText(viewer, "A")) << "the title";
    SaveScreenshot("viewer");
    PostClick(next);  // b.jpg: rejected, A stays on show
    ASSERT_TRUE(app.WaitForLine("TSB: TImageViewer Exception: ", 10000));
    PostClick(next);  // c.bmp
    ASSERT_TRUE(WaitFor([&] { return app.CountLines("TSB: TImageViewer.ShowImage Completed") >= 2; }, 10000));
    EXPECT_TRUE(WaitFor([&] { return ChildWithText(viewer, "C") != nullptr; }, 5000));
    PostClick(next);  // around to a.bmp
    ASSERT_TRUE(WaitFor([&] { return app.CountLines("TSB: TImageViewer.ShowImage Completed") >= 3; }, 10000));
    EXPECT_TRUE(WaitFor([&] { return ChildWithText(viewer, "A") != nullptr; }, 5000));
    PostMessageA(viewer, WM_CHAR, 27, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(viewer); }, 10000)) << "Escape returns to the menu";
    EXPECT_TRUE(IsWindowVisible(main));
}
