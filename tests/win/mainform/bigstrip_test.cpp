// A strip of sub-page buttons wider than a window coordinate reaches (81 pixels a button: about
// 400 of them): every button can be scrolled to, by the scroller and by the focus, and clicked.
#include <string>

#include "win/MainFormFixture.h"

using namespace tsb;
using namespace tsbtest;

namespace {

constexpr int Folders = 1000;

RECT RectIn(HWND parent, HWND w) {
    RECT r = ScreenRect(w);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

class BigStrip : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        for (int i = 0; i < Folders; ++i) MakeDir(root + "\\" + NumberedName("f", i, 4));
        Link("one.lnk");  // with a shortcut on the page, its sub-pages go in the strip
        Start();
        frm->Show();
        Application().ProcessMessages();
        buttons = StripButtons();
    }
    // Where the page display puts the strip's button i: 75 wide, 6 apart, from 4.
    static int LeftOf(int i) { return 4 + 81 * i; }
    int ViewWidth() const {
        RECT c;
        GetClientRect(frm->PageScroller1->Handle(), &c);
        return c.right;
    }
    // Every button whose place meets the view has its window there; every other one is out of sight.
    void ExpectWindowsFollowPlaces() {
        int pos = frm->PageScroller1->ScrollPos(), view = ViewWidth(), wrong = 0;
        for (int i = 0; i < Folders; ++i) {
            RECT r = RectIn(frm->FolderPanel->Handle(), buttons[i]->Handle());
            int left = LeftOf(i) - pos;
            bool shows = left < view && left + 75 > 0;
            bool ok = shows ? r.left == left && r.right - r.left == 75 && r.top == 2 : r.right <= 0 || r.left >= view;
            if (!ok && ++wrong <= 3)
                ADD_FAILURE() << "button " << i << " (scrolled " << pos << "): window " << r.left << "," << r.top;
        }
        EXPECT_EQ(wrong, 0);
    }
    // A click at the button's centre on the screen reaches it, and its page is shown.
    void ExpectClickShowsPage(int i) {
        TColorButton* b = buttons[i];
        RECT s = ScreenRect(b->Handle());
        POINT centre{(s.left + s.right) / 2, (s.top + s.bottom) / 2};
        ASSERT_EQ(WindowFromPoint(centre), b->Handle()) << "button " << i << " is not under its own centre";
        PostClick(b->Handle());
        ASSERT_TRUE(WaitFor([&] {
            Application().ProcessMessages();
            TFolderRecord* page = frm->CurrentPage.Get();
            return page && page->Name == NumberedName("f", i, 4);
        }, 10000)) << "the page of button " << i << " was not shown";
    }
    std::vector<TColorButton*> buttons;
};

TEST_F(BigStrip, TheLastButtonIsScrolledToAndClicked) {
    ASSERT_EQ(buttons.size(), static_cast<size_t>(Folders));
    EXPECT_EQ(frm->PageScroller1->ContentWidth(), LeftOf(Folders));
    EXPECT_EQ(frm->FolderPanel->ChildPlace(buttons.back()).left, LeftOf(Folders - 1));
    ASSERT_EQ(frm->PageScroller1->ScrollPos(), 0);
    ExpectWindowsFollowPlaces();

    frm->PageScroller1->SetScrollPos(1 << 30);  // the scroller stops at its end
    Application().ProcessMessages();
    EXPECT_EQ(frm->PageScroller1->ScrollPos(), LeftOf(Folders) - ViewWidth());
    RECT strip;
    GetClientRect(frm->FolderPanel->Handle(), &strip);
    EXPECT_EQ(strip.right, ViewWidth()) << "the strip stays over the view";
    RECT last = RectIn(frm->FolderPanel->Handle(), buttons.back()->Handle());
    EXPECT_EQ(last.right, ViewWidth() - 6) << "the last button ends the strip, a gap before its end";
    ExpectWindowsFollowPlaces();
    ExpectClickShowsPage(Folders - 1);
}

// Tab order reaches a button far along the strip: the focus brings it into view.
TEST_F(BigStrip, TheFocusBringsAFarButtonIntoView) {
    const int distant = Folders - 300;
    buttons[distant]->SetFocus();
    Application().ProcessMessages();
    int pos = frm->PageScroller1->ScrollPos();
    EXPECT_EQ(pos, LeftOf(distant) + 75 - ViewWidth()) << "scrolled just far enough";
    ExpectWindowsFollowPlaces();

    buttons[3]->SetFocus();
    Application().ProcessMessages();
    EXPECT_EQ(frm->PageScroller1->ScrollPos(), LeftOf(3));
    ExpectWindowsFollowPlaces();
    ExpectClickShowsPage(3);
}
