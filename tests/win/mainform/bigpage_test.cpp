// Pages taller than a window coordinate reaches (about 32 767 pixels): every child of the
// scroll box can be scrolled to, by the scroll bar, the wheel and the focus, and clicked.
#include <algorithm>
#include <string>
#include <vector>

#include "app/Layout.h"
#include "win/MainWindowView.h"
#include "controls/ColorButton.h"
#include "framework/win/Application.h"
#include "framework/win/Files.h"
#include "framework/win/Forms.h"
#include "framework/win/Scrolling.h"
#include "framework/win/StdCtrls.h"
#include "pages/DataObject.h"
#include "win/WinTestMain.h"

using namespace tsb;
using namespace tsbtest;

namespace {

constexpr int PageSize = 3000;

// The children's windows, in the box's client coordinates.
RECT RectInBox(const TScrollBox& box, const TControl& c) {
    RECT r = ScreenRect(c.Handle());
    MapWindowPoints(nullptr, box.Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

struct Page {
    TScrollBox* box;
    std::vector<TColorButton*> buttons;
    std::vector<TBounds> layout;  // where the grid puts each button, in page coordinates
    TControl* clicked = nullptr;
};

// A page of shortcut-sized buttons laid out by the menu's grid, as the page display does.
void MakePage(Page& p, int gridWidth, int level, bool settle = true) {
    TScrollBox* box = p.box;
    ButtonLevel size = ButtonLevelFor(level);
    GridCursor grid;
    for (int i = 0; i < PageSize; ++i) {
        auto* b = box->Add<TColorButton>();
        b->SetCaption("Shortcut " + std::to_string(i));
        TBounds at{GridLeft(grid.column, size.width), GridTop(grid.row, size.height), size.width, size.height};
        box->PlaceChild(b, at.left, at.top, at.width, at.height);
        b->OnClick = [&p](TControl* sender) { p.clicked = sender; };
        p.buttons.push_back(b);
        p.layout.push_back(at);
        grid.Advance(size.width, gridWidth);
    }
    if (settle) Application().ProcessMessages();  // the range follows the children
}

int ContentBottom(const Page& p) {
    int bottom = 0;
    for (const TBounds& b : p.layout) bottom = std::max(bottom, b.top + b.height);
    return bottom;
}

// Every child whose place meets the view has its window there; every other one is out of sight.
void ExpectWindowsFollowPlaces(const Page& p) {
    int pos = p.box->ScrollPos(), view = p.box->ClientHeight();
    int wrong = 0;
    for (size_t i = 0; i < p.buttons.size(); ++i) {
        const TBounds& b = p.layout[i];
        RECT r = RectInBox(*p.box, *p.buttons[i]);
        bool shows = b.top < pos + view && b.top + b.height > pos;
        bool ok = shows ? (r.left == b.left && r.top == b.top - pos && r.right - r.left == b.width &&
                           r.bottom - r.top == b.height)
                        : (r.bottom <= 0 || r.top >= view);
        if (!ok && ++wrong <= 3)
            ADD_FAILURE() << "button " << i << " at page top " << b.top << " (scrolled " << pos << "): window "
                          << r.left << "," << r.top << " - " << r.right << "," << r.bottom;
    }
    EXPECT_EQ(wrong, 0);
}

// The last button at the end of the range: wholly in the client area, where the layout puts it,
// and a click at its centre reaches it.
void ExpectLastShownAndClickable(Page& p) {
    TColorButton* last = p.buttons.back();
    const TBounds& b = p.layout.back();
    int view = p.box->ClientHeight();
    EXPECT_EQ(p.box->ScrollPos(), ContentBottom(p) - view);
    RECT r = RectInBox(*p.box, *last);
    EXPECT_EQ(r.left, b.left);
    EXPECT_EQ(r.top, b.top - p.box->ScrollPos());
    EXPECT_EQ(r.bottom, view) << "the last row ends the page";
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.right, p.box->ClientWidth());
    ExpectWindowsFollowPlaces(p);

    RECT s = ScreenRect(last->Handle());
    POINT centre{(s.left + s.right) / 2, (s.top + s.bottom) / 2};
    ASSERT_EQ(WindowFromPoint(centre), last->Handle());
    p.clicked = nullptr;
    PostClick(last->Handle());
    ASSERT_TRUE(WaitFor([&] {
        Application().ProcessMessages();
        return p.clicked != nullptr;
    }, 5000));
    EXPECT_EQ(p.clicked, last);
}

void BackToTop(Page& p) {
    SendMessageA(p.box->Handle(), WM_VSCROLL, SB_TOP, 0);
    ASSERT_EQ(p.box->ScrollPos(), 0);
    ExpectWindowsFollowPlaces(p);
}

// Drags the scroll bar's thumb to the bottom with the real mouse.
void DragThumbToBottom(const TScrollBox& box) {
    SCROLLBARINFO sbi{};
    sbi.cbSize = sizeof sbi;
    ASSERT_TRUE(GetScrollBarInfo(box.Handle(), OBJID_VSCROLL, &sbi));
    int x = (sbi.rcScrollBar.left + sbi.rcScrollBar.right) / 2;
    int thumbY = sbi.rcScrollBar.top + (sbi.xyThumbTop + sbi.xyThumbBottom) / 2;
    int arrow = sbi.rcScrollBar.right - sbi.rcScrollBar.left;
    int endY = sbi.rcScrollBar.bottom - arrow / 2;  // over the lower arrow: past the end of the track
    SetCursorPos(x, thumbY);
    int w = GetSystemMetrics(SM_CXSCREEN) - 1, h = GetSystemMetrics(SM_CYSCREEN) - 1;
    auto abs = [&](int px, int py, DWORD flags) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = px * 65535 / w;
        in.mi.dy = py * 65535 / h;
        in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
        return in;
    };
    std::vector<INPUT> moves{abs(x, thumbY, MOUSEEVENTF_LEFTDOWN)};
    for (int i = 1; i <= 8; ++i) moves.push_back(abs(x, thumbY + (endY - thumbY) * i / 8, 0));
    moves.push_back(abs(x, endY, MOUSEEVENTF_LEFTUP));
    ASSERT_EQ(SendInput(static_cast<UINT>(moves.size()), moves.data(), sizeof(INPUT)), moves.size());
}

}  // namespace

class BigPageTest : public WinTest, public ::testing::WithParamInterface<int> {
protected:
    TForm host{{.className = "TBigPageHost", .clientWidth = 900, .clientHeight = 560}};
    TScrollBox* box = host.Add<TScrollBox>(TBounds{0, 0, 900, 560});

    void SetUp() override {
        host.ShowForm();
        SetForegroundWindow(host.Handle());
    }
};

TEST_P(BigPageTest, EveryWayToTheEndShowsTheLastButtonWhereTheLayoutSaysAndItTakesAClick) {
    Page p{.box = box};
    MakePage(p, box->ClientWidth(), GetParam());
    ASSERT_GT(ContentBottom(p), 32767) << "the page must be taller than a window coordinate reaches";
    ExpectWindowsFollowPlaces(p);
    {
        SCOPED_TRACE("thumb dragged to the end");
        DragThumbToBottom(*box);
        ASSERT_TRUE(WaitFor([&] {
            Application().ProcessMessages();
            return box->ScrollPos() == ContentBottom(p) - box->ClientHeight();
        }, 5000)) << "scrolled to " << box->ScrollPos();
        ExpectLastShownAndClickable(p);
        BackToTop(p);
    }
    {
        SCOPED_TRACE("SB_BOTTOM");
        SendMessageA(box->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
        ExpectLastShownAndClickable(p);
        BackToTop(p);
    }
    {
        SCOPED_TRACE("the last button focused");
        p.buttons.front()->SetFocus();  // the clicks above left the focus on the last one
        ASSERT_EQ(box->ScrollPos(), 0);
        p.buttons.back()->SetFocus();
        ExpectLastShownAndClickable(p);
        p.buttons.front()->SetFocus();
        EXPECT_EQ(box->ScrollPos(), p.layout.front().top) << "the first button focused is scrolled to";
        ExpectWindowsFollowPlaces(p);
    }
}

TEST_P(BigPageTest, AScrollMovesOnlyTheWindowsNearTheView) {
    Page p{.box = box};
    MakePage(p, box->ClientWidth(), GetParam());
    SendMessageA(box->Handle(), WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    SendMessageA(box->Handle(), WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    std::vector<RECT> before;
    for (auto* b : p.buttons) before.push_back(ScreenRect(b->Handle()));
    SendMessageA(box->Handle(), WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    ASSERT_GT(box->ScrollPos(), 0);
    int moved = 0;
    for (size_t i = 0; i < p.buttons.size(); ++i) {
        RECT now = ScreenRect(p.buttons[i]->Handle());
        if (!EqualRect(&before[i], &now)) ++moved;
    }
    ButtonLevel size = ButtonLevelFor(GetParam());
    int perRow = (box->ClientWidth() - 16) / (size.width + 16) + 1;
    int rowsNear = box->ClientHeight() / (size.height + 10) + 2;
    EXPECT_GT(moved, 0);
    EXPECT_LE(moved, perRow * rowsNear) << "of " << p.buttons.size();
    ExpectWindowsFollowPlaces(p);
}

TEST_P(BigPageTest, TheEndIsReachedBeforeTheRangeHasCaughtUpWithTheChildren) {
    Page p{.box = box};
    MakePage(p, box->ClientWidth(), GetParam(), false);
    SendMessageA(box->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(box->ScrollPos(), ContentBottom(p) - box->ClientHeight());
    ExpectWindowsFollowPlaces(p);
}

INSTANTIATE_TEST_SUITE_P(Sizes, BigPageTest, ::testing::Values(3, 8),
                         [](const auto& info) { return info.param == 3 ? "Biggest" : "Smallest"; });

// The main window's wheel rule over a page of the same size: notch after notch down to the end.
class BigPageWheelTest : public WinTest, public ::testing::WithParamInterface<int> {
protected:
    TempFolder dir{"tsbbig"};
    std::unique_ptr<TMainWindowView> frm;

    void SetUp() override {
        SetProgramFolder(dir.Path());
        MakeDir(dir / "shortcuts");
        frm = std::make_unique<TMainWindowView>();
        Application().SetMainForm(frm.get());
        frm->ReloadAll();
        frm->ShowForm();
        SetForegroundWindow(frm->Handle());
    }
    void TearDown() override {
        Application().SetMainForm(nullptr);
        frm.reset();
        DoneRootFolder();
        SetProgramFolder("");
    }
};

TEST_P(BigPageWheelTest, TheWheelOverTheGapsScrollsToTheEnd) {
    TScrollBox* box = frm->ScrollBox1;
    Page p{.box = box};
    MakePage(p, frm->ClientWidth(), GetParam());
    p.buttons.front()->SetFocus();  // the wheel goes to the focused button and on to the box
    RECT boxOnScreen = ScreenRect(box->Handle());
    POINT gap{boxOnScreen.left + 6, boxOnScreen.top + 40};  // left of the first column
    // The real pointer: a warp alone can be undone by the pointer's next report.
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = gap.x * 65536 / GetSystemMetrics(SM_CXSCREEN) + 1;
    move.mi.dy = gap.y * 65536 / GetSystemMetrics(SM_CYSCREEN) + 1;
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ASSERT_EQ(SendInput(1, &move, sizeof move), 1u);
    ASSERT_TRUE(WaitFor([&] {
        Application().ProcessMessages();
        POINT at;
        GetCursorPos(&at);
        return at.x == gap.x && at.y == gap.y;
    }, 5000));
    ASSERT_EQ(WindowFromPoint(gap), box->Handle());
    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    ASSERT_GT(static_cast<int>(lines), 0);
    int end = ContentBottom(p) - box->ClientHeight();
    ASSERT_GT(ContentBottom(p), 32767) << "the page must be taller than a window coordinate reaches";
    // Each notch costs Wine a moment: start two views before the end.
    box->SetScrollPos(end - 2 * box->ClientHeight());
    int notches = 0, limit = (end - box->ScrollPos()) / (16 * (static_cast<int>(lines) + 1)) + 2;
    while (box->ScrollPos() < end && notches < limit) {
        int was = box->ScrollPos();
        SendMessageA(p.buttons.front()->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                     MAKELPARAM(gap.x, gap.y));
        ++notches;
        POINT cur;
        GetCursorPos(&cur);
        ASSERT_GT(box->ScrollPos(), was) << "notch " << notches << ", pointer at " << cur.x << "," << cur.y;
    }
    EXPECT_EQ(box->ScrollPos(), end) << "after " << notches << " notches";
    ExpectLastShownAndClickable(p);
}

INSTANTIATE_TEST_SUITE_P(Sizes, BigPageWheelTest, ::testing::Values(3, 8),
                         [](const auto& info) { return info.param == 3 ? "Biggest" : "Smallest"; });
