// The menu button painted into memory bitmaps, and its keyboard and mouse behaviour.
#include "controls/ColorButton.h"
#include "framework/core/Text.h"

#include "framework/win/Application.h"
#include "framework/win/Forms.h"
#include "win/WinTestMain.h"

#include <functional>
#include <utility>

using namespace tsb;
using namespace tsbtest;

namespace {

// A 24-bit bitmap the button paints into; pixels read back as COLORREF.
class Canvas {
public:
    Canvas(int w, int h) : w_(w), h_(h) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        dc_.reset(CreateCompatibleDC(nullptr));
        bmp_.reset(CreateDIBSection(dc_.get(), &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
        old_ = SelectObject(dc_.get(), bmp_.get());
    }
    ~Canvas() { SelectObject(dc_.get(), old_); }
    HDC dc() const { return dc_.get(); }
    COLORREF At(int x, int y) const {
        GdiFlush();
        uint32_t p = bits_[y * w_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    std::vector<COLORREF> Pixels() const {
        std::vector<COLORREF> all;
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) all.push_back(At(x, y));
        return all;
    }
    int Count(COLORREF c) const {
        int n = 0;
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) n += At(x, y) == c;
        return n;
    }

private:
    int w_, h_;
    unique_hdc dc_;
    unique_hbitmap bmp_;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

std::shared_ptr<TBitmap> SolidBitmap(int w, int h, COLORREF c) {
    HDC screen = GetDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, bmp);
    HBRUSH brush = CreateSolidBrush(c);
    RECT r{0, 0, w, h};
    FillRect(mem, &r, brush);
    DeleteObject(brush);
    SelectObject(mem, old);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return std::make_shared<TBitmap>(bmp);
}

constexpr COLORREF Face = 15782080;  // red 192, green 208, blue 240
constexpr COLORREF White = RGB(255, 255, 255), Shadow = RGB(128, 144, 176);

}  // namespace

class ColorButtonTest : public WinTest {
protected:
    TForm host{{.className = "TColorButtonHost", .clientWidth = 400, .clientHeight = 300}};
    TColorButton* b = host.Add<TColorButton>();
    int clicks = 0;
    void SetUp() override {
        b->SetBounds(10, 10, 120, 100);
        b->SetButtonColor(Face);
        b->OnClick = [this](TControl*) { ++clicks; };
    }
    std::unique_ptr<Canvas> Paint() {
        auto c = std::make_unique<Canvas>(b->Width(), b->Height());
        b->PaintTo(c->dc());
        return c;
    }
};

TEST_F(ColorButtonTest, ConstructionDefaults) {
    TColorButton* fresh = host.Add<TColorButton>();
    EXPECT_EQ(fresh->Alignment(), alMiddleCenter);
    EXPECT_EQ(fresh->BevelStyle(), bbRaised);
    EXPECT_EQ(fresh->BevelSize(), 2);
    EXPECT_EQ(fresh->Spacing(), 2);
    EXPECT_EQ(fresh->Style().Bits(), 0x5A);
    EXPECT_EQ(fresh->PictureTop(), -1);
    EXPECT_EQ(fresh->Width(), 75);
    EXPECT_EQ(fresh->Height(), 25);
    EXPECT_TRUE(GetWindowLongA(fresh->Handle(), GWL_STYLE) & WS_TABSTOP);
}

TEST_F(ColorButtonTest, RaisedBevelColoursComeFromTheColour) {
    EXPECT_EQ(b->HighlightColor(), White);
    EXPECT_EQ(b->ShadowColor(), Shadow);
    auto c = Paint();
    EXPECT_EQ(c->At(0, 50), White);  // left edge, outer ring
    EXPECT_EQ(c->At(1, 50), White);  // second ring
    EXPECT_EQ(c->At(60, 0), White);  // top
    EXPECT_EQ(c->At(119, 50), Shadow);
    EXPECT_EQ(c->At(60, 98), Shadow);
    EXPECT_EQ(c->At(2, 50), Face);  // inside the two rings
}

TEST_F(ColorButtonTest, LoweredBevelLooksRaisedWhilePressed) {
    b->SetBevelStyle(bbLowered);
    EXPECT_EQ(Paint()->At(0, 50), Shadow);
    SendMessageA(b->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(b->State(), bstDown);
    EXPECT_EQ(Paint()->At(0, 50), White);
    SendMessageA(b->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(b->State(), bstUp);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ColorButtonTest, NoBevelNoChangeWhenPressed) {
    b->SetBevelStyle(bbNone);
    EXPECT_EQ(Paint()->At(0, 0), Face);
    SendMessageA(b->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(Paint()->At(0, 0), Face);
    SendMessageA(b->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

TEST_F(ColorButtonTest, FocusRectangleInsideTheBevel) {
    host.ShowForm();
    b->SetFocus();
    ASSERT_TRUE(b->Focused());
    auto c = Paint();
    // (R.Left + S - 1, ...) with R inset by the bevel: the rectangle runs along x = 3.
    int changed = 0;
    for (int y = 10; y < 90; ++y) changed += c->At(3, y) != Face;
    EXPECT_GT(changed, 10);
    for (int y = 10; y < 90; ++y) EXPECT_EQ(c->At(4, y), Face);
    host.Hide();
}

TEST_F(ColorButtonTest, PicturePositionsAreStoredAtTheFirstPaint) {
    Paint();
    EXPECT_EQ(b->PictureTop(), 50);  // H / 2 with no picture yet
    EXPECT_EQ(b->PictureLeft(), 60);
    b->Picture().SetGraphic(SolidBitmap(10, 10, RGB(0, 0, 0)));
    auto c = Paint();
    EXPECT_EQ(c->At(60, 50), RGB(0, 0, 0));  // bsCenter: at the stored point, not centred
    EXPECT_EQ(c->At(59, 50), Face);
    b->SetBounds(10, 10, 200, 150);
    Paint();
    EXPECT_EQ(b->PictureTop(), 50) << "a resize does not re-centre";
}

TEST_F(ColorButtonTest, PictureOppositeTheCaption) {
    b->SetStyle(TButtonStyle{bsShowFocus, bsMultiLine});
    b->Picture().SetGraphic(SolidBitmap(10, 10, RGB(0, 0, 0)));
    struct Case { TAlignment a; int x, y; } cases[] = {
        {alTopCenter, 55, 100 - 4 - 10}, {alBottomLeft, 55, 4}, {alMiddleLeft, 120 - 4 - 10, 45},
        {alMiddleRight, 4, 45}, {alMiddleCenter, 55, 45}};
    for (const Case& k : cases) {
        b->SetAlignment(k.a);
        auto c = Paint();
        EXPECT_EQ(c->At(k.x, k.y), RGB(0, 0, 0)) << k.a;
        EXPECT_EQ(c->At(k.x - 1, k.y), Face) << k.a;
        EXPECT_EQ(c->At(k.x, k.y - 1), Face) << k.a;
    }
    b->SetStyle(TButtonStyle{bsStretch});
    auto s = Paint();
    EXPECT_EQ(s->At(4, 4), RGB(0, 0, 0));
    EXPECT_EQ(s->At(115, 95), RGB(0, 0, 0));
    EXPECT_EQ(s->At(116, 96), Face);
}

TEST_F(ColorButtonTest, AutoSizeFollowsThePicture) {
    b->SetStyle(TButtonStyle{bsAutoSize, bsCenter});
    Paint();
    EXPECT_EQ(b->Width(), 120) << "no picture: no effect";
    b->Picture().SetGraphic(SolidBitmap(32, 32, RGB(0, 0, 0)));
    Paint();
    EXPECT_EQ(b->Width(), 36);
    EXPECT_EQ(b->Height(), 36);
}

TEST_F(ColorButtonTest, DisabledCaptionIsEmbossed) {
    b->SetCaption("MMMM");
    b->SetFont(TFont::Pixels("Arial", 40, true));
    b->SetBevelStyle(bbNone);
    b->SetEnabled(false);
    EXPECT_EQ(b->State(), bstDisabled);
    auto c = Paint();
    EXPECT_GT(c->Count(White), 10);
    EXPECT_GT(c->Count(Shadow), 10);
    // Every shadow pixel's lower-right neighbour was drawn first in white or is shadow too.
    b->SetEnabled(true);
    EXPECT_EQ(b->State(), bstUp);
    auto e = Paint();
    EXPECT_EQ(e->Count(White), 0);
    EXPECT_GT(e->Count(RGB(0, 0, 0)), 10);
}

TEST_F(ColorButtonTest, WideCaptionWinsInEveryLook) {
    b->SetBevelStyle(bbNone);
    b->SetFont(TFont::Pixels("Arial", 40, true));
    auto with = [&](const std::string& caption, const std::wstring& wide) {
        b->SetCaption(caption);
        b->SetCaptionW(wide);
        return Paint()->Pixels();
    };
    std::pair<const char*, std::function<void()>> looks[] = {
        {"normal", [] {}}, {"raised", [&] { b->SetFontStyle(fnRaised); }}, {"disabled", [&] { b->SetEnabled(false); }}};
    for (auto& [name, look] : looks) {
        look();
        std::vector<COLORREF> wideOnly = with("", L"\x00C9i"), both = with("MMMM", L"\x00C9i"),
                              narrowOnly = with("MMMM", L"");
        EXPECT_EQ(both, wideOnly) << name << ": the single-byte caption has no part in the drawing";
        EXPECT_NE(both, narrowOnly) << name;
        EXPECT_NE(wideOnly, with("", L"")) << name << ": something was drawn";
    }
}

// Beyond 256 characters the caption is drawn whole: its end shows where a cut one would show
// nothing (right-aligned on one line, the spaces before it draw nothing).
TEST_F(ColorButtonTest, LongCaptionsAreDrawnWhole) {
    b->SetBevelStyle(bbNone);
    b->SetFont(TFont::Pixels("Arial", 20, true));
    b->SetStyle(TButtonStyle{bsCenter});
    b->SetAlignment(alMiddleRight);
    b->SetCaption("MM");
    std::vector<COLORREF> shortOne = Paint()->Pixels();
    b->SetCaption(std::string(300, ' ') + "MM");
    auto c = Paint();
    EXPECT_GT(c->Count(RGB(0, 0, 0)), 20);
    EXPECT_EQ(c->Pixels(), shortOne);
    b->SetStyle(TButtonStyle{bsCenter, bsMultiLine});  // word-wrapped: drawn too, nothing overflows
    b->SetAlignment(alBottomRight);
    b->SetCaption(std::string(5000, 'W') + " end");
    EXPECT_GT(Paint()->Count(RGB(0, 0, 0)), 20);
}

TEST_F(ColorButtonTest, SettersClampAndValueNeedsMultiState) {
    b->SetBevelSize(0);
    EXPECT_EQ(b->BevelSize(), 1);
    b->SetBevelSize(-5);
    EXPECT_EQ(b->BevelSize(), 1);
    b->SetSpacing(-3);
    EXPECT_EQ(b->Spacing(), -2);
    b->SetSpacing(5);
    EXPECT_EQ(b->Spacing(), 5);
    b->SetValue(true);
    EXPECT_FALSE(b->Value());
    b->SetStyle(TButtonStyle{bsMultiState});
    b->SetValue(true);
    EXPECT_TRUE(b->Value());
    SendMessageA(b->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 0);  // toggles up
    SendMessageA(b->Handle(), WM_LBUTTONUP, 0, 0);
    EXPECT_FALSE(b->Value());
    SendMessageA(b->Handle(), WM_KEYUP, VK_RETURN, 0);  // Enter sets, never toggles
    EXPECT_TRUE(b->Value());
    SendMessageA(b->Handle(), WM_KEYUP, VK_RETURN, 0);
    EXPECT_TRUE(b->Value());
}

TEST_F(ColorButtonTest, RightClickOnlyFiresItsOwnEvent) {
    int right = 0, down = 0, rx = -1, ry = -1;
    b->OnRightClick = [&](TControl* s, TMouseButton mb, TShiftState, int x, int y) {
        EXPECT_EQ(s, b);
        EXPECT_EQ(mb, TMouseButton::mbRight);
        ++right, rx = x, ry = y;
    };
    b->OnMouseDown = [&](TControl*, TMouseButton, TShiftState, int, int) { ++down; };
    SendMessageA(b->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(7, 9));
    EXPECT_EQ(right, 1);
    EXPECT_EQ(rx, 7);
    EXPECT_EQ(ry, 9);
    EXPECT_EQ(down, 0);
    EXPECT_EQ(b->State(), bstUp);
    SendMessageA(b->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(7, 9));
    EXPECT_EQ(clicks, 0);
}

TEST_F(ColorButtonTest, KeysAndMnemonicsClick) {
    SendMessageA(b->Handle(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(b->State(), bstDown);
    SendMessageA(b->Handle(), WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(b->State(), bstUp);
    EXPECT_EQ(clicks, 1);
    SendMessageA(b->Handle(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(clicks, 1) << "Enter clicks on release";
    SendMessageA(b->Handle(), WM_KEYUP, VK_RETURN, 0);
    EXPECT_EQ(clicks, 2);

    b->SetCaption("&Home");
    MSG alt{b->Handle(), WM_SYSCHAR, 'h', 0, 0, {0, 0}};
    EXPECT_TRUE(host.PreviewKey(alt));
    EXPECT_EQ(clicks, 3);
    MSG other{b->Handle(), WM_SYSCHAR, 'x', 0, 0, {0, 0}};
    EXPECT_FALSE(host.PreviewKey(other));
    b->SetStyle(TButtonStyle{bsCenter});  // without speed keys the mnemonic still clicks
    EXPECT_TRUE(host.PreviewKey(alt));
    EXPECT_EQ(clicks, 4);
    b->SetEnabled(false);
    EXPECT_FALSE(host.PreviewKey(alt));
    SendMessageA(b->Handle(), WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(clicks, 4);
    EXPECT_EQ(MnemonicOf("Save && &Quit"), 'Q');
    EXPECT_EQ(MnemonicOf("A&&B"), 0);
    EXPECT_EQ(MnemonicOf("End&"), 0);
}

TEST_F(ColorButtonTest, HintToolArrivesWithTheMouseAndLeavesWithTheButton) {
    auto toolCount = [] {
        HWND tip = Application().ToolTipWindow();
        return tip ? static_cast<int>(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0)) : 0;
    };
    auto toolText = [](TControl* c) {
        char text[80] = {};
        TOOLINFOA ti{};
        ti.cbSize = TTTOOLINFOA_V2_SIZE;
        ti.hwnd = GetParent(c->Handle());
        ti.uId = reinterpret_cast<UINT_PTR>(c->Handle());
        ti.lpszText = text;
        SendMessageA(Application().ToolTipWindow(), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&ti));
        return std::string(text);
    };
    int before = toolCount();
    b->SetHint("first");
    EXPECT_EQ(toolCount(), before) << "no tool until the mouse comes";
    SendMessageA(b->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(toolCount(), before + 1);
    EXPECT_EQ(toolText(b), "first");
    SendMessageA(b->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
    EXPECT_EQ(toolCount(), before + 1) << "one tool per button";
    b->SetHint("second");
    EXPECT_EQ(toolText(b), "second");
    b->SetHint("");
    EXPECT_EQ(toolCount(), before);

    TColorButton* other = host.Add<TColorButton>();
    other->SetHint("other");
    SendMessageA(other->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    ASSERT_EQ(toolCount(), before + 1);
    host.DestroyControls();
    EXPECT_EQ(toolCount(), before) << "a destroyed button leaves no tool behind";
}

// A page is built with drawing switched off; what was set meanwhile shows once it is back on.
TEST_F(ColorButtonTest, SettingsMadeWhileDrawingIsOffShowAfterwards) {
    b->SetBevelStyle(bbNone);
    host.Show();
    UpdateWindow(host.Handle());
    SendMessageA(host.Handle(), WM_SETREDRAW, FALSE, 0);
    b->SetButtonColor(RGB(10, 200, 30));
    SendMessageA(host.Handle(), WM_SETREDRAW, TRUE, 0);
    RedrawWindow(host.Handle(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HDC dc = GetDC(b->Handle());
    COLORREF seen = GetPixel(dc, b->Width() / 2, 3);
    ReleaseDC(b->Handle(), dc);
    EXPECT_EQ(seen, RGB(10, 200, 30));

    b->Hide();
    b->SetButtonColor(RGB(200, 20, 90));
    b->Show();
    UpdateWindow(host.Handle());
    dc = GetDC(b->Handle());
    seen = GetPixel(dc, b->Width() / 2, 3);
    ReleaseDC(b->Handle(), dc);
    EXPECT_EQ(seen, RGB(200, 20, 90)) << "a hidden button changed meanwhile";
}
