// One unit for sizes: at a scale other than one, windows are made and placed in window pixels
// while every size the framework gives and takes stays in design pixels; seen from the screen,
// at one and a half window pixels per design pixel what is painted, placed and popped up lands
// on the window pixels it should, and at one to one nothing moves.
#include <string>

#include "controls/ColorButton.h"
#include "framework/win/Forms.h"
#include "framework/win/Scrolling.h"
#include "framework/win/StdCtrls.h"
#include "win/MainFormFixture.h"

using namespace tsb;
using namespace tsbtest;

namespace {

constexpr COLORREF Face = 15782080;  // red 192, green 208, blue 240
constexpr COLORREF White = RGB(255, 255, 255), Shadow = RGB(128, 144, 176);

RECT RectIn(HWND parent, HWND w) {
    RECT r = ScreenRect(w);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Sets the scale for one test; later windows are made at it.
class ScaleFor {
public:
    explicit ScaleFor(int dpi) { SetScaleDpi(dpi); }
    ~ScaleFor() { SetScaleDpi(96); }
};

// What the popup menu looked like while it was open: found from a timer that the menu's own
// loop dispatches, then closed.
RECT g_menuRect;
bool g_menuSeen;
void CALLBACK LookAtMenu(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND menu = FindWindowA("#32768", nullptr); menu && IsWindowVisible(menu)) {
        GetWindowRect(menu, &g_menuRect);
        g_menuSeen = true;
        EndMenu();
    }
}

RECT RectInParent(HWND w) { return RectIn(GetParent(w), w); }

}  // namespace

class Scaling : public WinTest {
protected:
    void SetUp() override {
        SetScaleDpi(144);  // one and a half window pixels per design pixel
        form = std::make_unique<TForm>(TFormParams{.className = "TScaledForm", .clientWidth = 200, .clientHeight = 100});
    }
    void TearDown() override {
        form.reset();
        SetScaleDpi(96);
    }
    std::unique_ptr<TForm> form;
};

TEST_F(Scaling, BoundsAreDesignPixelsAndWindowsAreScaled) {
    RECT client;
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 150);
    EXPECT_EQ(form->ClientWidth(), 200);
    EXPECT_EQ(form->ClientHeight(), 100);

    TPanel* made = form->Add<TPanel>(TBounds{4, 6, 20, 10});
    RECT r = RectInParent(made->Handle());
    EXPECT_EQ(r.left, 6);
    EXPECT_EQ(r.top, 9);
    EXPECT_EQ(r.right - r.left, 30);
    EXPECT_EQ(r.bottom - r.top, 15);

    made->SetBounds(10, 20, 30, 40);
    r = RectInParent(made->Handle());
    EXPECT_EQ(r.left, 15);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right - r.left, 45);
    EXPECT_EQ(r.bottom - r.top, 60);
    EXPECT_EQ(made->Left(), 10);
    EXPECT_EQ(made->Top(), 20);
    EXPECT_EQ(made->Width(), 30);
    EXPECT_EQ(made->Height(), 40);
    EXPECT_EQ(made->ClientWidth(), 30);
}

TEST_F(Scaling, AlignmentAndAnchorsWorkInOneUnit) {
    TPanel* top = form->Add<TPanel>(TBounds{0, 0, 50, 40}, TBevelCut::bvNone);
    top->SetAlign(TAlign::alTop);
    TPanel* rest = form->Add<TPanel>(TBounds{0, 0, 10, 10}, TBevelCut::bvNone);
    rest->SetAlign(TAlign::alClient);
    TPanel* right = form->Add<TPanel>(TBounds{150, 50, 40, 20}, TBevelCut::bvNone);
    right->SetAnchors(akTop | akRight);

    EXPECT_EQ(top->Width(), 200);
    EXPECT_EQ(top->Height(), 40);
    EXPECT_EQ(rest->Top(), 40);
    EXPECT_EQ(rest->Height(), 60);
    EXPECT_EQ(RectInParent(rest->Handle()).bottom, 150);

    form->SetBounds(0, 0, 300, 100);  // borderless: the client area is the window
    EXPECT_EQ(form->ClientWidth(), 300);
    EXPECT_EQ(top->Width(), 300);
    EXPECT_EQ(right->Left(), 250) << "10 design pixels from the right edge, as before";
    EXPECT_EQ(right->Width(), 40);
}

TEST_F(Scaling, MousePositionsAndFontsAreDesignPixels) {
    TPanel* panel = form->Add<TPanel>(TBounds{0, 0, 100, 50});
    int x = -1, y = -1;
    panel->OnMouseDown = [&](TControl*, TMouseButton, TShiftState, int px, int py) { x = px, y = py; };
    SendMessageA(panel->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 45));
    EXPECT_EQ(x, 20);
    EXPECT_EQ(y, 30);

    LOGFONTA lf{};
    GetObjectA(TFont::Pixels("Arial", 20).Handle(), sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, -30);
    SetScaleDpi(96);
    GetObjectA(TFont::Pixels("Arial", 20).Handle(), sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, -20);
}

class UnitsButton : public WinTest, public ::testing::WithParamInterface<int> {};

// The frame of a raised button lies on the window's outermost pixels, at any scale; inside it
// is the face. Read back from the button's window on screen.
TEST_P(UnitsButton, FramePaintedAtTheWindowsPixelEdges) {
    ScaleFor scale(GetParam());
    TForm host{{.className = "TUnitsButtonHost", .clientWidth = 300, .clientHeight = 200}};
    TColorButton* b = host.Add<TColorButton>();
    b->SetBounds(10, 10, 100, 60);
    b->SetButtonColor(Face);
    host.Show();
    UpdateWindow(host.Handle());

    RECT client;
    GetClientRect(b->Handle(), &client);
    const int w = client.right, h = client.bottom, rings = Scale(2);
    ASSERT_EQ(w, Scale(100));
    ASSERT_EQ(h, Scale(60));
    HDC dc = GetDC(b->Handle());
    auto at = [dc](int x, int y) { return GetPixel(dc, x, y); };
    EXPECT_EQ(at(0, h / 2), White);
    EXPECT_EQ(at(rings - 1, h / 2), White);
    EXPECT_EQ(at(w / 2, 0), White);
    EXPECT_EQ(at(w - 1, h / 2), Shadow) << "right edge, outer ring";
    EXPECT_EQ(at(w - rings, h / 2), Shadow) << "right edge, inner ring";
    EXPECT_EQ(at(w / 2, h - 1), Shadow) << "bottom edge, outer ring";
    EXPECT_EQ(at(w / 2, h - rings), Shadow) << "bottom edge, inner ring";
    EXPECT_EQ(at(w - rings - 1, h / 2), Face) << "just inside the right rings";
    EXPECT_EQ(at(w / 2, h - rings - 1), Face) << "just inside the bottom rings";
    EXPECT_EQ(at(rings, h / 2), Face) << "just inside the left rings";
    ReleaseDC(b->Handle(), dc);
}

// A picture is design pixels like the rest: centred in the button, it is drawn centred in the
// window's pixels, at its size scaled.
TEST_P(UnitsButton, PictureCentredInWindowPixels) {
    ScaleFor scale(GetParam());
    TForm host{{.className = "TUnitsPictureHost", .clientWidth = 300, .clientHeight = 200}};
    TColorButton* b = host.Add<TColorButton>();
    b->SetBounds(0, 0, 120, 80);
    b->SetBevelStyle(bbNone);
    b->SetButtonColor(Face);

    HDC screen = GetDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 40, 20);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, bmp);
    RECT all{0, 0, 40, 20};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(mem, &all, red);
    DeleteObject(red);
    SelectObject(mem, old);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    b->Picture().SetGraphic(std::make_shared<TBitmap>(bmp));

    host.Show();
    UpdateWindow(host.Handle());
    EXPECT_EQ(b->PictureLeft(), 40);
    EXPECT_EQ(b->PictureTop(), 30);
    HDC dc = GetDC(b->Handle());
    int left = Scale(40), top = Scale(30), right = left + Scale(40), bottom = top + Scale(20);
    EXPECT_EQ(GetPixel(dc, left, top), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, right - 1, bottom - 1), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, right, (top + bottom) / 2), Face);
    EXPECT_EQ(GetPixel(dc, (left + right) / 2, bottom), Face);
    EXPECT_EQ(GetPixel(dc, left - 1, top), Face);
    ReleaseDC(b->Handle(), dc);
}

INSTANTIATE_TEST_SUITE_P(Dpi, UnitsButton, ::testing::Values(96, 144));

// The main window on the 1920 x 1080 screen of the test desktop.
class UnitsMainWindow : public MainFormTest, public ::testing::WithParamInterface<int> {
protected:
    void StartAt(bool fullScreen, bool admin = false) {
        WriteFile(dir / "Tessaboard.ini", std::string("[options]\r\nfull-screen=") + (fullScreen ? "1" : "0") + "\r\n");
        Start(admin);
    }
    void TearDown() override {
        MainFormTest::TearDown();  // the window goes before the scale returns to one
        SetScaleDpi(96);
    }
};

TEST_P(UnitsMainWindow, FullScreenCoversTheScreenExactly) {
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
    SetScaleDpi(GetParam());
    StartAt(true);
    RECT r = ScreenRect(frm->Handle());
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 1920);
    EXPECT_EQ(r.bottom, 1080);
    EXPECT_TRUE(frm->FullScreen);
}

// Windowed, the window is the design size scaled, centred in the screen's pixels.
TEST_P(UnitsMainWindow, WindowedIsTheDesignSizeCentred) {
    SetScaleDpi(GetParam());
    StartAt(false);
    RECT r = ScreenRect(frm->Handle());
    int w = Scale(881), h = Scale(695);
    EXPECT_EQ(r.right - r.left, w);
    EXPECT_EQ(r.bottom - r.top, h);
    EXPECT_EQ(r.left, 1920 / 2 - w / 2);
    EXPECT_EQ(r.top, 1080 / 2 - h / 2);
    EXPECT_FALSE(frm->FullScreen);
    EXPECT_EQ(frm->Width(), 881);
    EXPECT_EQ(frm->Height(), 695);
}

// A right click at a window pixel of a button reports that place in design pixels, as every
// mouse event does, and the button's menu opens at that very screen pixel.
TEST_P(UnitsMainWindow, RightClickOpensTheMenuWhereThePointerIs) {
    SetScaleDpi(GetParam());
    Link("one.lnk");
    StartAt(false, true);
    frm->Show();
    Application().ProcessMessages();
    auto buttons = PageButtons();
    ASSERT_EQ(buttons.size(), 1u);
    TColorButton* b = buttons[0];

    int seenX = -1, seenY = -1;
    TMouseEvent menu = b->OnRightClick;
    b->OnRightClick = [&](TControl* s, TMouseButton mb, TShiftState sh, int x, int y) {
        seenX = x, seenY = y;
        menu(s, mb, sh, x, y);
    };
    const int px = 30, py = 45;  // window pixels that are whole design pixels at both scales
    g_menuSeen = false;
    UINT_PTR look = SetTimer(nullptr, 0, 50, LookAtMenu);
    UINT_PTR guard = SetTimer(nullptr, 0, 10000, EndMenuAfterTimeout);
    SendMessageA(b->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(px, py));
    KillTimer(nullptr, guard);
    KillTimer(nullptr, look);

    EXPECT_EQ(seenX, Unscale(px));
    EXPECT_EQ(seenY, Unscale(py));
    ASSERT_TRUE(g_menuSeen) << "no menu opened";
    RECT s = ScreenRect(b->Handle());
    EXPECT_EQ(g_menuRect.left, s.left + px);
    EXPECT_EQ(g_menuRect.top, s.top + py);
}

INSTANTIATE_TEST_SUITE_P(Dpi, UnitsMainWindow, ::testing::Values(96, 144));

// The scroll box's places and position are design pixels; its windows and its scroll bar are
// window pixels, also for a page far taller than a window coordinate reaches.
class UnitsScrollBox : public WinTest {};

TEST_F(UnitsScrollBox, PlacesAreDesignPixelsWindowsAndRangeArePixels) {
    ScaleFor scale(144);
    TForm host{{.className = "TUnitsScrollHost", .clientWidth = 300, .clientHeight = 200}};
    TScrollBox* box = host.Add<TScrollBox>(TBounds{0, 0, 300, 200});
    std::vector<TPanel*> children;
    for (int i = 0; i < 1000; ++i) {
        TPanel* c = box->Add<TPanel>(TBounds{0, 0, 10, 10});
        box->PlaceChild(c, 20, 60 * i, 100, 50);
        children.push_back(c);
    }
    Application().ProcessMessages();
    const int bottom = 60 * 999 + 50;  // design pixels: 59 990, scaled 89 985

    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(box->Handle(), SB_VERT, &si);
    EXPECT_EQ(si.nMax + 1, Scale(bottom));
    RECT client;
    GetClientRect(box->Handle(), &client);
    EXPECT_EQ(static_cast<int>(si.nPage), client.bottom);

    box->SetScrollPos(60 * 900);
    EXPECT_EQ(box->ScrollPos(), 60 * 900);
    GetScrollInfo(box->Handle(), SB_VERT, &si);
    EXPECT_EQ(si.nPos, Scale(60 * 900));
    RECT r = RectIn(box->Handle(), children[900]->Handle());
    EXPECT_EQ(r.left, Scale(20));
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, Scale(100));
    EXPECT_EQ(r.bottom - r.top, Scale(50));
    TBounds place = box->ChildPlace(children[900]);
    EXPECT_EQ(place.top, 60 * 900);
    EXPECT_EQ(place.height, 50);

    SendMessageA(box->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
    GetScrollInfo(box->Handle(), SB_VERT, &si);
    EXPECT_EQ(si.nPos, Scale(bottom) - client.bottom);
    r = RectIn(box->Handle(), children.back()->Handle());
    EXPECT_EQ(r.bottom, client.bottom) << "the last child ends the view";
    EXPECT_EQ(r.top, client.bottom - Scale(50));
}
