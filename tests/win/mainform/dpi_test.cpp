// High-DPI screens: a page painted at 144 dots per inch puts its icons and captions where the
// scaled geometry says, with icons taken at the size shown; a move to a monitor of another scale
// lays the main window out again; the program's own pictures come in the version for the scale.
#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/core/ScopeExit.h"
#include "framework/win/Picture.h"
#include "win/MainFormFixture.h"

using namespace tsb;
using namespace tsbtest;

namespace {

constexpr COLORREF Face = 14200984;  // of a shortcut button

// The box around every pixel of the part of the window's client area for which keep(colour)
// holds; empty when there is none.
RECT BoxOf(HWND w, RECT part, const std::function<bool(COLORREF)>& keep) {
    HDC dc = GetDC(w);
    RECT box{part.right, part.bottom, -1, -1};
    for (int y = part.top; y < part.bottom; ++y)
        for (int x = part.left; x < part.right; ++x)
            if (keep(GetPixel(dc, x, y))) {
                box.left = std::min<LONG>(box.left, x), box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1), box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    ReleaseDC(w, dc);
    if (box.right < 0) return {};
    return box;
}

bool Dark(COLORREF c) { return GetRValue(c) < 96 && GetGValue(c) < 96 && GetBValue(c) < 96; }

RECT RectIn(HWND parent, HWND w) {
    RECT r = ScreenRect(w);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The height of the font the control draws with, in window pixels (negative: of the characters).
int FontHeight(const TControl& c) {
    LOGFONTA lf{};
    GetObjectA(c.Font().Handle(), sizeof lf, &lf);
    return lf.lfHeight;
}

}  // namespace

class DpiPage : public MainFormTest {
protected:
    void TearDown() override {
        MainFormTest::TearDown();  // the window goes before the scale returns to one
        SetScaleDpi(96);
    }
    // The main window at the scale, windowed, level-5 buttons: a sub-page, and one shortcut
    // "Games" with the shell's icon of its target.
    TColorButton* StartPage(int dpi) {
        if (frm) {  // a window of the scale before goes first
            Application().SetMainForm(nullptr);
            frm.reset();
            DoneRootFolder();
        }
        SetScaleDpi(dpi);
        WriteFile(dir / "Tessaboard.ini", "[options]\r\nfull-screen=0\r\nbutton-size=5\r\n");
        Link("Games.lnk");
        MakeDir(root + "\\Sub");
        Start();
        frm->Show();
        Application().ProcessMessages();
        auto buttons = PageButtons();
        if (buttons.size() != 1) return nullptr;
        UpdateWindow(buttons[0]->Handle());
        return buttons[0];
    }
};

// The icon's pixel size, and the size it is placed by.
SIZE IconPixels(const TColorButton& b) {
    const auto* icon = dynamic_cast<const TIcon*>(b.Picture().Graphic());
    ICONINFO ii{};
    if (!icon || !GetIconInfo(icon->Handle(), &ii)) return {};
    BITMAP bm{};
    GetObjectA(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof bm, &bm);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
    return {bm.bmWidth, ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2};
}

// The rule: every size is its 96-dpi size scaled, MulDiv(size, dpi, 96). A level-5 button is
// 150 x 110; its icon is the extra large one (48), 8 from the top and centred; its caption sits
// at the bottom, centred. At 144 the icon is taken at 72 pixels, the size it is shown at, not
// the 48 of 96 enlarged; the caption's ink is the one of 96 scaled, to within a pixel or two of
// the font's own rounding.
TEST_F(DpiPage, Level5ButtonAt144PaintsItsIconAndCaptionWhereTheScaledGeometrySays) {
    auto notFace = [](COLORREF c) { return c != Face; };
    RECT icon96{}, ink96{};
    {
        TColorButton* b = StartPage(96);
        ASSERT_TRUE(b);
        EXPECT_EQ(IconPixels(*b).cx, 48);
        icon96 = BoxOf(b->Handle(), {0, 0, 150, 8 + 48}, notFace);
        EXPECT_GE(icon96.left, (150 - 48) / 2);
        EXPECT_GE(icon96.top, 8);
        EXPECT_LE(icon96.right, (150 - 48) / 2 + 48);
        ASSERT_GT(icon96.right - icon96.left, 24) << "no icon painted";
        ink96 = BoxOf(b->Handle(), {0, 8 + 48, 150, 110}, Dark);
        ASSERT_GT(ink96.bottom - ink96.top, 5) << "no caption painted";
    }
    TColorButton* b = StartPage(144);
    ASSERT_TRUE(b);
    RECT client;
    GetClientRect(b->Handle(), &client);
    EXPECT_EQ(client.right, MulDiv(150, 144, 96));
    EXPECT_EQ(client.bottom, MulDiv(110, 144, 96));
    EXPECT_EQ(b->Width(), 150);
    EXPECT_EQ(b->Height(), 110);

    auto scaled = [](LONG v) { return MulDiv(v, 144, 96); };
    EXPECT_EQ(b->Picture().Width(), 48) << "placed by its size at 96";
    SIZE pixels = IconPixels(*b);
    EXPECT_EQ(pixels.cx, 72) << "taken at the size shown";
    EXPECT_EQ(pixels.cy, 72);
    const int left = scaled((150 - 48) / 2), top = scaled(8);
    RECT icon = BoxOf(b->Handle(), {0, 0, client.right, top + 72}, notFace);
    EXPECT_GE(icon.left, left);
    EXPECT_GE(icon.top, top);
    EXPECT_LE(icon.right, left + 72);
    EXPECT_LE(icon.bottom, top + 72);
    EXPECT_GE(icon.right - icon.left, scaled(icon96.right - icon96.left) - 4) << "drawn at the size shown";

    RECT ink = BoxOf(b->Handle(), {0, top + 72, client.right, client.bottom}, Dark);
    EXPECT_NEAR(ink.bottom, scaled(ink96.bottom), 2) << "the caption's baseline";
    EXPECT_NEAR(ink.top, scaled(ink96.top), 3) << "the caption's height";
    EXPECT_NEAR(ink.left + ink.right, client.right, 2) << "the caption is centred";
    EXPECT_NEAR(ink.right - ink.left, scaled(ink96.right - ink96.left), 4) << "the caption's width";
}

// WM_DPICHANGED: the window takes the suggested place, and everything in it is laid out at the
// new scale: windows, fonts, the page's buttons. Back at 96, every window is where it was to the
// pixel.
TEST_F(DpiPage, AMoveToAMonitorOfAnotherScaleLaysTheWindowOutAgain) {
    ASSERT_TRUE(StartPage(96));
    std::map<HWND, RECT> at96;
    std::vector<HWND> fixed = ChildWindows(frm->Handle());
    for (HWND w : fixed) at96[w] = RectIn(frm->Handle(), w);
    RECT windowAt96 = ScreenRect(frm->Handle());

    RECT suggested{100, 20, 100 + MulDiv(881, 144, 96), 20 + MulDiv(695, 144, 96)};
    SendMessageA(frm->Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    Application().ProcessMessages();  // the page is shown again

    EXPECT_EQ(ScaleDpi(), 144);
    RECT r = ScreenRect(frm->Handle());
    EXPECT_EQ(r.left, suggested.left);
    EXPECT_EQ(r.top, suggested.top);
    EXPECT_EQ(r.right, suggested.right);
    EXPECT_EQ(r.bottom, suggested.bottom);
    EXPECT_EQ(frm->ClientWidth(), 881);
    RECT header = RectIn(frm->Handle(), frm->pnlHeader->Handle());
    EXPECT_EQ(header.bottom - header.top, MulDiv(143, 144, 96));
    RECT nav = RectIn(frm->Handle(), frm->pnlNav->Handle());
    EXPECT_EQ(nav.top, header.bottom);
    EXPECT_EQ(nav.bottom - nav.top, MulDiv(65, 144, 96));
    EXPECT_EQ(FontHeight(*frm->lblTitle), -MulDiv(43, 144, 96));
    EXPECT_EQ(FontHeight(*frm->ScrollBox1), -MulDiv(16, 144, 96));
    RECT home = ScreenRect(frm->HomeButton->Handle());
    EXPECT_EQ(home.right - home.left, MulDiv(75, 144, 96));
    EXPECT_EQ(home.bottom - home.top, MulDiv(38, 144, 96));

    auto buttons = PageButtons();
    ASSERT_EQ(buttons.size(), 1u);
    RECT b = RectIn(frm->ScrollBox1->Handle(), buttons[0]->Handle());
    EXPECT_EQ(b.left, MulDiv(16, 144, 96));
    EXPECT_EQ(b.top, MulDiv(10, 144, 96));
    EXPECT_EQ(b.right - b.left, MulDiv(150, 144, 96));
    EXPECT_EQ(b.bottom - b.top, MulDiv(110, 144, 96));
    EXPECT_EQ(IconPixels(*buttons[0]).cx, 72) << "the icon is taken again at the size shown";
    auto strip = StripButtons();
    ASSERT_EQ(strip.size(), 1u);
    RECT sub = ScreenRect(strip[0]->Handle());
    EXPECT_EQ(sub.right - sub.left, MulDiv(75, 144, 96));

    SendMessageA(frm->Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&windowAt96));
    Application().ProcessMessages();
    EXPECT_EQ(ScaleDpi(), 96);
    RECT back = ScreenRect(frm->Handle());
    EXPECT_TRUE(EqualRect(&back, &windowAt96));
    for (HWND w : fixed) {
        if (!IsWindow(w)) continue;  // a button of the page, made again
        RECT now = RectIn(frm->Handle(), w);
        EXPECT_TRUE(EqualRect(&now, &at96[w])) << "a window of class " << [&] {
            char name[64] = "";
            GetClassNameA(w, name, sizeof name);
            return std::string(name);
        }() << " moved";
    }
    EXPECT_EQ(FontHeight(*frm->lblTitle), -43);
}

// The program's pictures: the version made for the scale, or the nearest above it, placed by
// the size of the 96-dpi one.
TEST(DpiArtwork, TheVersionForTheScaleIsTakenAndPlacedByTheDesignSize) {
    ScopeExit restore([] { SetScaleDpi(96); });
    struct Case {
        int dpi, pixelsWide;
    };
    for (Case c : {Case{96, 160}, Case{120, 240}, Case{144, 240}, Case{168, 320}, Case{192, 320}, Case{240, 320}}) {
        SetScaleDpi(c.dpi);
        std::shared_ptr<const TGraphic> art = ArtworkResource("WORKING");
        EXPECT_EQ(art->Width(), 160) << c.dpi;
        EXPECT_EQ(art->Height(), 144) << c.dpi;
        const auto* sized = dynamic_cast<const TDesignSized*>(art.get());
        int wide = sized ? sized->Pixels().Width() : art->Width();
        EXPECT_EQ(wide, c.pixelsWide) << c.dpi;
        std::shared_ptr<const TGraphic> logo = ArtworkResource("LOGO");
        EXPECT_EQ(logo->Width(), 377) << c.dpi;
        EXPECT_EQ(logo->Height(), 175) << c.dpi;
    }
}
