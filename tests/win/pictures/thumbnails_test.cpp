// Thumbnails in-process, on pictures made here. Lines written by the thread are read once it has
// ended (the hook's list is not shared safely while it runs).
#include <atomic>
#include <chrono>
#include <thread>

#include "framework/core/Text.h"
#include "pictures/PixelBitmap.h"
#include "win/MainFormFixture.h"
#include "win/ProcessCounts.h"
#include "win/TwoColourPictures.h"

using namespace tsb;
using namespace tsbtest;

class Thumbnails : public MainFormTest {
protected:
    void TearDown() override {
        if (frm) frm->StopThumbnails();
        MainFormTest::TearDown();
    }
    // A picture file and a shortcut to it, named so that shortcuts sort as given.
    std::string Picture(const std::string& name, const std::string& bytes, const std::string& description) {
        std::string file = dir / name;
        WriteFile(file, bytes);
        MakeLink(root + "\\" + description + ".lnk", {file, "", description, "", ""});
        return file;
    }
    void StartAtLevel(int level) {
        WriteFile(dir / "Tessaboard.ini", "[options]\nbutton-size=" + std::to_string(level) + "\n");
        Start(true);
    }
    // Waits for the run to end (serving its hand-overs); the lines it wrote can be read then.
    void FinishRun() {
        ASSERT_TRUE(frm->Previews);
        frm->Previews->WaitFor();
    }
    static const TPixelBitmap* Thumb(TColorButton* b) {
        return dynamic_cast<const TPixelBitmap*>(b->Picture().Graphic());
    }
    TColorButton* ButtonCalled(const std::string& caption) {
        for (TColorButton* b : PageButtons())
            if (b->Caption() == caption) return b;
        return nullptr;
    }
};

TEST_F(Thumbnails, ReplaceIconsOfPictureButtonsAfterThePause) {
    Picture("wide.bmp", HalvesBmp(400, 200), "A wide");
    Link("b.lnk", "B program");
    Picture("tall.BMP", HalvesBmp(200, 400), "C tall");
    Picture("square.bmp", HalvesBmp(300, 300), "D square");
    StartAtLevel(4);  // buttons 190 wide, thumbnails in 128
    auto buttons = PageButtons();
    ASSERT_EQ(buttons.size(), 4u);
    for (TColorButton* b : buttons) EXPECT_FALSE(Thumb(b)) << b->Caption() << ": icons first";
    auto started = std::chrono::steady_clock::now();
    FinishRun();
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(900)) << "the pause came first";

    const TPixelBitmap* wide = Thumb(buttons[0]);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->Width(), 128);
    EXPECT_EQ(wide->Height(), 64);
    EXPECT_EQ(buttons[0]->PictureLeft(), 31);
    EXPECT_EQ(buttons[0]->PictureTop(), 8) << "the icon's top is kept";
    EXPECT_EQ(wide->Pixel(10, 32), Red);
    EXPECT_EQ(wide->Pixel(117, 32), Blue);
    EXPECT_FALSE(Thumb(buttons[1])) << "a program keeps its icon";
    ASSERT_TRUE(Thumb(buttons[2])) << "an upper-case extension is a picture too";
    EXPECT_EQ(Thumb(buttons[2])->Width(), 64);
    EXPECT_EQ(Thumb(buttons[2])->Height(), 128);
    EXPECT_EQ(buttons[2]->PictureLeft(), 63);
    ASSERT_TRUE(Thumb(buttons[3]));
    EXPECT_EQ(Thumb(buttons[3])->Width(), 128);
    EXPECT_EQ(Thumb(buttons[3])->Height(), 128);

    // What the button paints is the thumbnail, where PictureLeft and PictureTop put it.
    auto paint = [&](HDC dc) { buttons[0]->PaintTo(dc); };
    EXPECT_EQ(PaintedPixel(190, 130, 31 + 10, 8 + 32, paint), Red);
    EXPECT_EQ(PaintedPixel(190, 130, 31 + 117, 8 + 32, paint), Blue);

    EXPECT_EQ(Lines("TSB: Call TGetImagePreviews 3"), 1);
    EXPECT_EQ(Lines("TSB: TGetImagePreviews.Create 3"), 1);
    EXPECT_EQ(Lines("TSB: TGetImagePreviews.Execute 3"), 1);
    EXPECT_EQ(Lines("TSB: TGetImagePreviews.Execute: Loading wide.bmp"), 1);
    EXPECT_EQ(Lines("TSB: TGetImagePreviews.Execute: Loading tall.BMP"), 1);
    EXPECT_EQ(Lines("TSB: TGetImagePreviews.Execute Completed 3"), 1);
}

TEST_F(Thumbnails, APictureItsDecoderRejectsEndsTheRunEarlierOnesStay) {
    Picture("a.bmp", HalvesBmp(64, 32), "A");
    Picture("b.bmp", "this is no bitmap", "B");
    Picture("c.bmp", HalvesBmp(64, 32), "C");
    StartAtLevel(5);
    FinishRun();
    auto buttons = PageButtons();
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_TRUE(Thumb(buttons[0]));
    EXPECT_FALSE(Thumb(buttons[1]));
    EXPECT_FALSE(Thumb(buttons[2])) << "the run ended at the bad picture";
    int exceptions = 0, completed = 0;
    for (auto& l : lines) {
        exceptions += StartsWith(l, "TSB: TGetImagePreviews.Execute Exception: ");
        completed += StartsWith(l, "TSB: TGetImagePreviews.Execute Completed");
    }
    EXPECT_EQ(exceptions, 1);
    EXPECT_EQ(completed, 0);
}

TEST_F(Thumbnails, AStopEndsThePauseAtOnce) {
    Picture("a.bmp", HalvesBmp(64, 32), "A");
    StartAtLevel(5);
    ASSERT_TRUE(frm->Previews);
    auto asked = std::chrono::steady_clock::now();
    frm->StopThumbnails();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(500));
    EXPECT_FALSE(frm->Previews);
    EXPECT_FALSE(Thumb(PageButtons()[0]));
    EXPECT_EQ(Lines("TSB: TGetImagePreviews.Execute Completed 0"), 1);
}

TEST_F(Thumbnails, ADisplayStopsTheRunBeforeItsButtonsGo) {
    Picture("a.bmp", HalvesBmp(64, 32), "A");
    StartAtLevel(5);
    ASSERT_TRUE(frm->Previews);
    RootFolder->NeedsLoad = true;  // read again: the records and buttons are replaced
    frm->LoadCurrentPage();
    FinishRun();
    EXPECT_EQ(Lines("TSB: TGetImagePreviews.Execute Completed 0"), 1) << "the first run was stopped";
    EXPECT_TRUE(Thumb(PageButtons()[0])) << "the second run made it";
}

TEST_F(Thumbnails, APageShownAgainGetsThemFromMemoryUnlessItsFileChanged) {
    MakeDir(root + "\\Other");
    std::string a = Picture("a.bmp", HalvesBmp(64, 32), "A");
    Picture("b.bmp", HalvesBmp(32, 64), "B");
    StartAtLevel(5);
    FinishRun();
    const TGraphic* madeA = PageButtons()[0]->Picture().Graphic();
    const TGraphic* madeB = PageButtons()[1]->Picture().Graphic();
    ASSERT_TRUE(dynamic_cast<const TPixelBitmap*>(madeA));

    Go(RootFolder->Folders[0].get());
    lines.clear();
    Go(RootFolder);
    EXPECT_EQ(Lines("TSB: TfrmMain.GetImageThumbnails From Memory 2"), 1);
    EXPECT_FALSE(frm->Previews) << "nothing left to decode";
    EXPECT_EQ(PageButtons()[0]->Picture().Graphic(), madeA) << "installed by the display itself";
    EXPECT_EQ(PageButtons()[1]->Picture().Graphic(), madeB);
    EXPECT_EQ(PageButtons()[0]->PictureLeft(), (150 - 64) / 2);

    WriteFile(a, HalvesBmp(48, 32));  // another size: made again
    Go(RootFolder->Folders[0].get());
    lines.clear();
    Go(RootFolder);
    FinishRun();
    EXPECT_EQ(Lines("TSB: TfrmMain.GetImageThumbnails From Memory 1"), 1);
    EXPECT_EQ(Lines("TSB: Call TGetImagePreviews 1"), 1);
    ASSERT_TRUE(Thumb(PageButtons()[0]));
    EXPECT_EQ(Thumb(PageButtons()[0])->Height(), 42) << "48 x 32 in 64";
    EXPECT_EQ(PageButtons()[1]->Picture().Graphic(), madeB) << "the unchanged one still from memory";
}

TEST_F(Thumbnails, CloseStopsTheRun) {
    Picture("a.bmp", HalvesBmp(64, 32), "A");
    StartAtLevel(5);
    ASSERT_TRUE(frm->Previews);
    frm->FormClose();
    EXPECT_FALSE(frm->Previews);
}

// The session's end, sent from outside while a stop waits for the run (the wait serves such
// messages), closes the menu: that close waits for the same end and destroys nothing under the
// first stop.
TEST_F(Thumbnails, ACloseWhileAStopWaitsWaitsForTheSameEnd) {
    Picture("a.bmp", HalvesBmp(64, 32), "A");
    StartAtLevel(5);
    ASSERT_TRUE(frm->Previews);
    HWND main = frm->Handle();
    Application().SetMainForm(nullptr);  // the close hides the window rather than ending this program
    std::atomic<bool> served{false};
    std::thread session([&] {
        DWORD_PTR r;
        SendMessageTimeoutA(main, WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, 10000, &r);
        served = true;
    });
    Sleep(200);  // the message is waiting when the stop begins to wait
    EXPECT_NO_THROW(frm->StopThumbnails());
    EXPECT_TRUE(PumpUntil([&] { return served.load(); }, 10000));
    session.join();
    EXPECT_FALSE(frm->Previews);
}
