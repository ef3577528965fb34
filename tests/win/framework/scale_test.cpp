// One unit for sizes: at a scale other than one, windows are made and placed in window pixels
// while every size the framework gives and takes stays in design pixels.
#include "framework/win/Forms.h"
#include "framework/win/StdCtrls.h"
#include "win/WinTestMain.h"

using namespace tsb;
using namespace tsbtest;

namespace {

RECT RectInParent(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

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
