// The image viewer opened by a real click path, and the slide show, in-process on pictures made
// here. Both run modal loops: a timer drives each scenario from inside the loop.
#include <chrono>

#include "framework/core/Text.h"
#include "pictures/ImageViewerUnit.h"
#include "pictures/SlideShowUnit.h"
#include "win/MainFormFixture.h"
#include "win/ModalScript.h"
#include "win/TwoColourPictures.h"

using namespace tsb;
using namespace tsbtest;

namespace {

TImageViewer* OpenViewer() {
    return dynamic_cast<TImageViewer*>(TControl::FromHandle(::FindWindowA("TImageViewer", nullptr)));
}

}  // namespace

class PictureWindows : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        WriteFile(dir / "wide.bmp", HalvesBmp(400, 200));
        WriteFile(dir / "tall.bmp", HalvesBmp(200, 400));
        MakeLink(root + "\\a.lnk", {dir / "wide.bmp", "", "A wide", "", ""});
        MakeLink(root + "\\b.lnk", {target, "", "B program", "", ""});
        MakeLink(root + "\\c.lnk", {dir / "tall.bmp", "", "C tall", "", ""});
        Start(true);
        frm->StopThumbnails();  // no worker writes lines while the scenarios read them
    }
    int Shown() const { return Lines("TSB: TImageViewer.ShowImage Completed"); }
    int Slides() const {
        int n = 0;
        for (auto& l : lines) n += StartsWith(l, "TSB: TfrmSlideshow.Execute: Loading ");
        return n;
    }
};

TEST_F(PictureWindows, ViewerOpensOnAPictureClickStepsAroundItsPicturesAndEscapeCloses) {
    std::vector<std::string> titles;
    int stage = 0;
    ModalScript script(
        [&] {
            TImageViewer* v = OpenViewer();
            if (!v || Shown() <= stage) return true;  // the next picture is not on show yet
            titles.push_back(v->txtImageTitle->Caption());
            if (stage == 0) {
                // The screen is 1920 x 1080: the picture area 1920 x 1040, the nav bar under it.
                EXPECT_EQ(v->Image1->Width(), 1920);
                EXPECT_EQ(v->Image1->Height(), 1040);
                EXPECT_EQ(v->pnlNavBar->Top(), 1040);
                EXPECT_EQ(v->ReturnButton->Left(), 885);
                EXPECT_EQ(v->PreviousButton->Left(), 731);
                EXPECT_EQ(v->NextButton->Left(), 1039);
                EXPECT_EQ(v->ViewerButton->Left(), 1768);
                EXPECT_EQ(v->NextButton->Caption(), "    Next Image");
                EXPECT_TRUE(v->ViewerButton->Visible()) << "administrator";
                EXPECT_EQ(GetWindow(v->Handle(), GW_OWNER), frm->Handle()) << "modal over the main window";
                // 400 x 200 in 1920 x 1040: 1920 x 960 at top 40, on black.
                const TGraphic* g = v->Image1->Picture().Graphic();
                EXPECT_TRUE(g);
                if (g) {
                    EXPECT_EQ(GraphicPixel(*g, 100, 20), Black);
                    EXPECT_EQ(GraphicPixel(*g, 100, 500), Red);
                    EXPECT_EQ(GraphicPixel(*g, 1800, 500), Blue);
                    EXPECT_EQ(GraphicPixel(*g, 100, 1020), Black);
                }
                // The arrow sits in the right third of Next, on the button's own colour.
                TColorButton* next = v->NextButton;
                auto paint = [&](HDC dc) { next->PaintTo(dc); };
                EXPECT_EQ(PaintedPixel(next->Width(), 38, next->Width() * 5 / 6, 19, paint), RGB(32, 48, 96));
                EXPECT_EQ(PaintedPixel(next->Width(), 38, next->Width() - 4, 3, paint), RGB(0xC0, 0xD0, 0xF0));
            }
            ++stage;
            if (stage <= 2) PostClick(v->NextButton->Handle());
            else if (stage == 3) PostClick(v->PreviousButton->Handle());
            else {
                PostMessageA(v->Handle(), WM_CHAR, 27, 0);
                return false;
            }
            return true;
        },
        [] {
            if (TImageViewer* v = OpenViewer()) v->Close();
        });
    frm->ButtonClick(PageButtons()[0]);
    EXPECT_FALSE(script.TimedOut());
    EXPECT_FALSE(OpenViewer()) << "the viewer is gone";
    EXPECT_EQ(titles, (std::vector<std::string>{"A wide", "C tall", "A wide", "C tall"}))
        << "next passes over the program and wraps; previous wraps back";
    EXPECT_EQ(Lines("TSB: TImageViewer.Execute"), 1);
}

TEST_F(PictureWindows, ViewerOfAPageReadAgainMeanwhileKeepsItsPictures) {
    // Each step waits for the title it expects (a repaint on reactivation may come in between).
    const std::vector<std::string> expected{"C tall", "A wide", "C tall"};
    size_t stage = 0;
    ModalScript script(
        [&] {
            TImageViewer* v = OpenViewer();
            if (!v || v->txtImageTitle->Caption() != expected[stage]) return true;
            if (stage == 0) {
                // The page is read again while the viewer is open: its records are replaced.
                RootFolder->NeedsLoad = true;
                frm->LoadCurrentPage();
                frm->StopThumbnails();
            }
            if (++stage < expected.size()) {
                PostClick(v->NextButton->Handle());
                return true;
            }
            PostClick(v->ReturnButton->Handle());
            return false;
        },
        [] {
            if (TImageViewer* v = OpenViewer()) v->Close();
        });
    frm->ButtonClick(PageButtons()[2]);
    EXPECT_FALSE(script.TimedOut()) << "reached title " << stage;
    EXPECT_EQ(stage, expected.size());
    EXPECT_FALSE(OpenViewer());
}

TEST_F(PictureWindows, SlideShowRepeatsThePicturesUntilAnyKey) {
    TfrmSlideshow show;
    show.Page = RootFolder;
    show.SlideTime = 1;
    std::chrono::steady_clock::time_point keyAt;
    bool posted = false;
    ModalScript script(
        [&] {
            // Once the key is posted the script goes on ticking: a show the key fails to end is
            // stopped when the script gives up, and the test fails instead of hanging.
            if (posted || Slides() < 3) return true;  // a, c, then a again: the program is passed over
            // Tab: a key the form's own preview would take for itself.
            keyAt = std::chrono::steady_clock::now();
            PostMessageA(show.Handle(), WM_KEYDOWN, VK_TAB, 0);
            posted = true;
            return true;
        },
        [&] { show.StopRequested = true; });
    // The tall picture is on show between the second and third lines: checked after the show.
    show.Start();
    auto ended = std::chrono::steady_clock::now();
    EXPECT_FALSE(script.TimedOut());
    EXPECT_LT(ended - keyAt, std::chrono::milliseconds(1500)) << "a key ends the show within a second";
    EXPECT_EQ(Lines("TSB: TfrmSlideshow.Execute: Loading wide.bmp"), 2);
    EXPECT_EQ(Lines("TSB: TfrmSlideshow.Execute: Loading tall.bmp"), 1);
    EXPECT_EQ(Lines("TSB: TfrmSlideshow.Start"), 1);
    // The last slide, wide: 1920 x 960 at top 60 of the 1920 x 1080 screen.
    const TGraphic* g = show.Image1->Picture().Graphic();
    ASSERT_TRUE(g);
    EXPECT_EQ(GraphicPixel(*g, 100, 30), Black);
    EXPECT_EQ(GraphicPixel(*g, 100, 540), Red);
    EXPECT_EQ(GraphicPixel(*g, 1800, 540), Blue);
}

TEST_F(PictureWindows, SlideShowWithoutWaitingStaysStoppable) {
    TfrmSlideshow show;
    show.Page = RootFolder;
    show.SlideTime = 0;
    bool posted = false;
    ModalScript script(
        [&] {
            if (posted || Slides() < 4) return true;  // after the key: until the show ends, or the script gives up
            PostMessageA(show.Handle(), WM_KEYDOWN, 'Q', 0);
            posted = true;
            return true;
        },
        [&] { show.StopRequested = true; });
    show.Start();
    EXPECT_FALSE(script.TimedOut());
}

TEST_F(PictureWindows, SlideShowOfAPageWithNothingToShowEnds) {
    DeleteFileA((dir / "wide.bmp").c_str());
    DeleteFileA((dir / "tall.bmp").c_str());
    TfrmSlideshow show;
    show.Page = RootFolder;
    show.SlideTime = 0;
    ModalScript script([] { return true; }, [&] { show.StopRequested = true; });
    show.Start();
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(Lines("TSB: TfrmSlideshow.Execute: Nothing to show"), 1);
    EXPECT_EQ(Slides(), 0);
}

TEST_F(PictureWindows, SlideShowWithoutAPageShowsNothing) {
    TfrmSlideshow show;
    show.Start();
    EXPECT_FALSE(show.Visible());
    EXPECT_EQ(Lines("TSB: TfrmSlideshow.Start"), 1);
    EXPECT_EQ(Slides(), 0);
}
