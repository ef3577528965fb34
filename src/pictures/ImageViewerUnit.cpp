#include "pictures/ImageViewerUnit.h"

#include <shellapi.h>

#include "controls/MenuButtons.h"
#include "controls/MenuColors.h"
#include "framework/core/PictureFile.h"
#include "framework/core/PictureFit.h"
#include "framework/core/Text.h"
#include "framework/win/Application.h"
#include "framework/win/Debug.h"
#include "framework/win/Files.h"
#include "framework/win/Messages.h"
#include "pictures/PixelBitmap.h"

namespace tsb {

namespace {

constexpr TColor ArtBackground = RGB(255, 0, 255);
constexpr TColor ArtInk = RGB(32, 48, 96);

int ScreenWidth() { return Unscale(::GetSystemMetrics(SM_CXSCREEN)); }
int ScreenHeight() { return Unscale(::GetSystemMetrics(SM_CYSCREEN)); }

void FillPolygon(HDC dc, const POINT* points, int count, TColor color) {
    unique_hbrush brush(::CreateSolidBrush(color));
    unique_hpen pen(::CreatePen(PS_SOLID, 1, color));
    ScopedSelect b(dc, brush.get());
    ScopedSelect p(dc, pen.get());
    ::Polygon(dc, points, count);
}

void FillBox(HDC dc, RECT r, TColor color) {
    unique_hbrush brush(::CreateSolidBrush(color));
    ::FillRect(dc, &r, brush.get());
}

std::shared_ptr<const TBitmap> Art(int width, int height, const std::function<void(HDC)>& draw) {
    return std::make_shared<TBitmap>(RenderBitmap(width, height, ArtBackground, draw).release());
}

}  // namespace

std::shared_ptr<const TBitmap> MakeArrowArt(bool pointsRight) {
    return Art(260, 198, [pointsRight](HDC dc) {
        // A shaft and a head, pointing right; mirrored for the left arrow.
        POINT arrow[] = {{20, 69}, {140, 69}, {140, 14}, {245, 99}, {140, 184}, {140, 129}, {20, 129}};
        if (!pointsRight)
            for (POINT& p : arrow) p.x = 259 - p.x;
        FillPolygon(dc, arrow, static_cast<int>(std::size(arrow)), ArtInk);
    });
}

std::shared_ptr<const TBitmap> MakeViewerArt() {
    return Art(256, 256, [](HDC dc) {
        // A framed landscape: sky, a sun and two hills.
        FillBox(dc, {16, 40, 240, 216}, ArtInk);
        FillBox(dc, {28, 52, 228, 204}, RGB(150, 200, 250));
        unique_hbrush sun(::CreateSolidBrush(RGB(250, 200, 40)));
        unique_hpen sunPen(::CreatePen(PS_SOLID, 1, RGB(250, 200, 40)));
        {
            ScopedSelect b(dc, sun.get());
            ScopedSelect p(dc, sunPen.get());
            ::Ellipse(dc, 160, 64, 208, 112);
        }
        POINT backHill[] = {{28, 204}, {28, 150}, {90, 100}, {170, 204}};
        FillPolygon(dc, backHill, 4, RGB(60, 140, 70));
        POINT frontHill[] = {{90, 204}, {160, 130}, {228, 176}, {228, 204}};
        FillPolygon(dc, frontHill, 4, RGB(40, 110, 50));
    });
}

TImageViewer::TImageViewer(const TControl* owner)
    : TForm({.className = "TImageViewer", .clientWidth = ScreenWidth(), .clientHeight = ScreenHeight(),
             .color = RGB(0, 0, 0), .font = TFont::Pixels("MS Sans Serif", 13), .owner = owner}) {
    int w = ScreenWidth(), h = ScreenHeight();
    pnlNavBar = Add<TPanel>({.place = {0, h - 40, w, 40}, .align = TAlign::alBottom,
                             .font = TFont::Pixels("MS Sans Serif", 13), .color = MainWindowColor},
                            TBevelCut::bvNone);
    txtImageTitle = pnlNavBar->Add<TStaticText>(
        {.place = {8, 10, w / 2 - 75 - 154 - 16, 20}, .font = TFont::Pixels("MS Sans Serif", 16)}, "");
    Image1 = Add<TImage>({.place = {0, 0, w, h - 40}, .align = TAlign::alClient});
    imgRightArrow = MakeArrowArt(true);
    imgLeftArrow = MakeArrowArt(false);
    imgViewer = MakeViewerArt();
    KeyPreview = true;
    OnKeyPress = [this](TControl*, char& key) { FormKeyPress(key); };
    OnShow = [this](TControl*) { FormShow(); };
    FormCreate();
}

void TImageViewer::FormCreate() { SetBounds(0, 0, ScreenWidth(), ScreenHeight()); }

void TImageViewer::Execute(std::vector<TViewerEntry> entries, std::size_t current) {
    Log("TImageViewer.Execute");
    if (current >= entries.size() || !FileExists(entries[current].PathName)) return;
    Entries = std::move(entries);
    CurrentEntry = current;
    ShowModal();
}

void TImageViewer::FormShow() {
    if (ReturnButton) return;  // made on the first showing, kept after
    const TFont& font = pnlNavBar->Font();
    int navWidth = pnlNavBar->Width();
    int returnLeft = navWidth / 2 - 75;
    ReturnButton = MakeNavButton({.parent = pnlNavBar, .font = font, .width = 150, .hint = "",
                                  .caption = "Return To Menu", .top = 2, .left = returnLeft,
                                  .onClick = [this](TControl*) { Close(); }});
    PreviousButton = MakeNavButton({.parent = pnlNavBar, .font = font, .width = 150, .hint = "",
                                    .caption = "Previous Image", .top = 2, .left = returnLeft - 154,
                                    .onClick = [this](TControl*) { PreviousImage(); }});
    NextButton = MakeNavButton({.parent = pnlNavBar, .font = font, .width = 150, .hint = "",
                                .caption = "    Next Image", .top = 2, .left = returnLeft + 154,
                                .onClick = [this](TControl*) { NextImage(); }});
    ViewerButton = MakeNavButton({.parent = pnlNavBar, .font = font, .width = 150, .hint = "Open in external viewer",
                                  .caption = "    Viewer", .top = 2, .left = navWidth - 152,
                                  .onClick = [this](TControl*) { ViewerButtonClick(); }});
    ViewerButton->SetVisible(ViewerButtonVisible);
    NextButton->SetAlignment(alMiddleLeft);
    PreviousButton->SetAlignment(alMiddleRight);
    ViewerButton->SetAlignment(alMiddleCenter);
    PaintIcon(NextButton, *imgRightArrow, true);
    PaintIcon(PreviousButton, *imgLeftArrow, false);
    PaintIcon(ViewerButton, *imgViewer, false);
}

// The icon, scaled into a third of the button, on a white picture whose white is left out when
// the button draws it. Made in the window pixels of the scale, so that it is drawn unstretched.
void TImageViewer::PaintIcon(TColorButton* button, const TBitmap& source, bool rightThird) {
    const int W = button->Width(), H = button->Height(), B = button->BevelSize();
    RECT d{Scale(rightThird ? W * 2 / 3 : 0), 0, 0, 0};
    d.right = d.left + Scale(W / 3 - 2 * B);
    d.bottom = Scale(H - 2 * B);
    unique_hbitmap icon = RenderBitmap(Scale(W - 2 * B), Scale(H - 2 * B), RGB(255, 255, 255), [&](HDC dc) {
        unique_hdc from(::CreateCompatibleDC(dc));
        ScopedSelect select(from.get(), source.Handle());
        COLORREF key = ::GetPixel(from.get(), 0, 0);
        ::TransparentBlt(dc, d.left, d.top, d.right - d.left, d.bottom - d.top, from.get(), 0, 0, source.Width(),
                         source.Height(), key);
    });
    button->Picture().SetGraphic(DesignSized(
        std::make_shared<TTransparentBitmap>(std::make_shared<TBitmap>(icon.release())), W - 2 * B, H - 2 * B));
    button->Invalidate();
}

void TImageViewer::FormActivate() { ShowImage(); }

void TImageViewer::ShowImage() {
    if (CurrentEntry >= Entries.size()) return;
    const TViewerEntry& entry = Entries[CurrentEntry];
    try {
        RECT client;
        ::GetClientRect(Image1->Handle(), &client);
        const int W = client.right, H = client.bottom;
        TPicture picture;
        if (IsPictureFile(ExtractFileExt(entry.PathName))) {
            picture.LoadFromFile(entry.PathName, W, H);  // decoded no larger than the screen needs
            int w = picture.OriginalWidth(), h = picture.OriginalHeight();
            if (w <= 0 || h <= 0) return;  // unreadable: the previous picture and title stay
            FitRect fit = FitCentred(w, h, W, H);
            std::shared_ptr<const TGraphic> shown;
            try {
                shown = std::make_shared<TBitmap>(RenderBitmap(W, H, RGB(0, 0, 0), [&](HDC dc) {
                    picture.Draw(dc, RECT{fit.left, fit.top, fit.right, fit.bottom});
                }).release());
            } catch (const std::exception& e) {
                Log(std::string("TImageViewer.ShowImage Drawing Exception: ") + e.what());
                shown = std::make_shared<TBitmap>(RenderBitmap(W, H, RGB(0, 0, 0), [](HDC) {}).release());
            }
            Image1->Picture().SetGraphic(std::move(shown));
            Image1->PictureChanged();
        }
        txtImageTitle->SetCaption(entry.Name);
        txtImageTitle->Invalidate();
        Log("TImageViewer.ShowImage Completed");
    } catch (const std::exception& e) {
        Log(std::string("TImageViewer Exception: ") + e.what());
    }
}

// The copy holds the page's pictures only, so a step is one place on, around the ends.
void TImageViewer::NextImage() {
    if (Entries.empty()) return;
    CurrentEntry = (CurrentEntry + 1) % Entries.size();
    ShowImage();
}

void TImageViewer::PreviousImage() {
    if (Entries.empty()) return;
    CurrentEntry = (CurrentEntry + Entries.size() - 1) % Entries.size();
    ShowImage();
}

void TImageViewer::ViewerButtonClick() {
    if (CurrentEntry >= Entries.size()) return;
    const TViewerEntry& e = Entries[CurrentEntry];
    ::ShellExecuteA(Application().Handle(), "open", e.PathName.c_str(), e.Arguments.c_str(), e.WorkingDirectory.c_str(),
                    SW_SHOWNORMAL);
}

void TImageViewer::FormKeyPress(char& key) {
    if (key != 27) return;
    key = 0;
    Close();
}

// The bar follows the new scale; its pictures and the one on show are made again for it.
void TImageViewer::DpiChanged(int dpi, const RECT& suggested) {
    TForm::DpiChanged(dpi, suggested);
    if (ReturnButton) {
        PaintIcon(NextButton, *imgRightArrow, true);
        PaintIcon(PreviousButton, *imgLeftArrow, false);
        PaintIcon(ViewerButton, *imgViewer, false);
    }
    ShowImage();
}

bool TImageViewer::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_ACTIVATE && LOWORD(wp) != WA_INACTIVE) ::PostMessageA(Handle(), WM_VIEWERACTIVATE, 0, 0);
    if (msg == WM_VIEWERACTIVATE) {
        FormActivate();
        return true;
    }
    return TForm::HandleMessage(msg, wp, lp, result);
}

}  // namespace tsb
