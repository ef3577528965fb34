// Pictures end to end: thumbnails replacing icons, a rejected picture ending the run, and the
// viewer opened by a click, stepping and closed by Escape; a camera's portrait photo upright.
#include <gtest/gtest.h>

#include "support/Driver.h"
#include "support/Keys.h"
#include "support/MainWindow.h"
#include "support/Walk.h"
#include "win/PictureFiles.h"       // JpegBytes, ExifBlock, WithApp1
#include "win/TwoColourPictures.h"  // HalvesBmp

using namespace tsbtest;

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
    HWND a = w.ButtonByCaption("A");
    ASSERT_TRUE(a);
    // The run decodes in button order and ends at the picture its decoder rejects: a's thumbnail
    // is made, c is never reached. (What a thumbnail paints is checked in-process: reading the
    // screen from here proved unreliable after other programs' desktops.)
    ASSERT_TRUE(app.WaitForLine("TSB: TGetImagePreviews.Execute Exception: ", 15000));
    EXPECT_EQ(app.CountLines("TSB: TGetImagePreviews.Execute: Loading a.bmp"), 1);
    EXPECT_EQ(app.CountLines("TSB: TGetImagePreviews.Execute: Loading b.jpg"), 1);
    EXPECT_EQ(app.CountLines("TSB: TGetImagePreviews.Execute: Loading c.bmp"), 0);
    EXPECT_EQ(app.CountLines("TSB: TGetImagePreviews.Execute Drawing Exception"), 0);
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

// Its own suite, run by a driver of its own: it reads the screen's pixels (see the test command).
TEST(Portrait, APhotoStoredSidewaysStandsUprightInItsThumbnailTheViewerAndTheSlideShow) {
    // Stored 400 x 200, as a phone stores a portrait photo, with the tag that turns it upright.
    // One colour: this sees the shape in all three places; which way each orientation turns is
    // checked by its corners in-process.
    ProgramFolder dir;
    std::string root = dir / "shortcuts";
    MakeDir(root);
    WriteFile(dir / "portrait.jpg", WithApp1(JpegBytes(400, 200, Red), ExifBlock(6)));
    MakeLink(root + "\\portrait.lnk", {dir / "portrait.jpg", "", "Portrait", "", ""});
    Program app(dir.Exe());
    HWND main = app.WaitForWindow("TfrmMain", 30000);
    ASSERT_TRUE(main);
    ASSERT_TRUE(app.WaitForLine("TSB: TGetImagePreviews.Execute Completed", 15000));
    MainWindow w(main);
    HWND button = w.ButtonByCaption("Portrait");
    ASSERT_TRUE(button);
    auto expectUpright = [](const RECT& red, const char* where) {
        int width = red.right - red.left, height = red.bottom - red.top;
        EXPECT_GT(width, 0) << where;
        // 1 : 2 within the rounding of the fit and the lossy edges.
        EXPECT_NEAR(height, 2 * width, 4 + height / 20) << where << ": " << width << " x " << height;
    };
    RECT thumb = ScreenBoundsOf(ScreenRect(button), Red);
    expectUpright(thumb, "thumbnail");
    SaveScreenshot("portrait-thumbnail");

    PostClick(button);
    HWND viewer = app.WaitForWindow("TImageViewer", 15000);
    ASSERT_TRUE(viewer);
    ASSERT_TRUE(WaitFor([&] { return app.CountLines("TSB: TImageViewer.ShowImage Completed") >= 1; }, 10000));
    RECT shown = ScreenBoundsOf(ScreenRect(viewer), Red);
    expectUpright(shown, "viewer");
    RECT area = ScreenRect(viewer);
    EXPECT_GE(shown.bottom - shown.top, area.bottom - area.top - 60) << "as tall as the picture area above the bar";
    SaveScreenshot("portrait-viewer");
    PostMessageA(viewer, WM_CHAR, 27, 0);
    ASSERT_TRUE(WaitFor([&] { return Gone(viewer); }, 10000));

    PressKeys(main, {VK_F10});
    HWND show = app.WaitForWindow("TfrmSlideshow", 10000);
    ASSERT_TRUE(show) << "no slide show";
    ASSERT_TRUE(app.WaitForLine("TSB: TfrmSlideshow.Execute: Loading portrait.jpg", 10000));
    RECT slide{};
    EXPECT_TRUE(WaitFor([&] { return !IsRectEmpty(&(slide = ScreenBoundsOf(ScreenRect(show), Red))); }, 5000));
    expectUpright(slide, "slide show");
    EXPECT_EQ(slide.bottom - slide.top, GetSystemMetrics(SM_CYSCREEN)) << "as tall as the screen";
    SaveScreenshot("portrait-slideshow");
    PressKeys(show, {VK_SPACE});
    EXPECT_TRUE(WaitFor([&] { return Gone(show); }, 10000)) << "a key ends the show";
}
