#include "pictures/SlideShowUnit.h"

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
int ScreenWidth() { return Unscale(::GetSystemMetrics(SM_CXSCREEN)); }
int ScreenHeight() { return Unscale(::GetSystemMetrics(SM_CYSCREEN)); }
}  // namespace

TfrmSlideshow::TfrmSlideshow(const TControl* owner)
    : TForm({.className = "TfrmSlideshow", .clientWidth = ScreenWidth(), .clientHeight = ScreenHeight(),
             .color = RGB(0, 0, 0), .owner = owner}) {
    Image1 = Add<TImage>({.place = {0, 0, ScreenWidth(), ScreenHeight()}, .align = TAlign::alClient});
    FormCreate();
}

void TfrmSlideshow::FormCreate() {
    Page = {};
    SlideTime = 20;
    StopRequested = false;
}

void TfrmSlideshow::Start() {
    Log("TfrmSlideshow.Start");
    const TFolderRecord* page = Page.Get();
    if (!page || !DirectoryExists(page->Path) || page->Shortcuts.empty()) return;
    targets_.clear();
    for (const auto& s : page->Shortcuts)
        if (s && s->LinkInfo) targets_.push_back(s->LinkInfo->PathName);
    SetColor(RGB(0, 0, 0));
    SetBounds(0, 0, ScreenWidth(), ScreenHeight());
    ran_ = false;
    ShowModal();
}

void TfrmSlideshow::FormActivate() {
    if (ran_) return;
    ran_ = true;
    Execute();
    ::PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

void TfrmSlideshow::FormKeyDown() { StopRequested = true; }

// A pass that shows nothing ends the show (there is nothing to wait for), and a pass that waited
// less than a second (SlideTime 0 or less) is followed by a second's pause: the loop never spins
// and always comes back to the messages, where a key stops it.
void TfrmSlideshow::Execute() {
    try {
        while (!StopRequested) {
            bool shown = false;
            DWORD passStart = ::GetTickCount();
            for (const std::string& path : targets_) {
                if (!ShowSlide(path)) continue;
                shown = true;
                if (!Wait(SlideTime)) return;
            }
            if (StopRequested) {
                Log("TfrmSlideshow.Execute Completed");
                return;
            }
            if (!shown) {
                Log("TfrmSlideshow.Execute: Nothing to show");
                return;
            }
            if (::GetTickCount() - passStart < 1000 && !Wait(1)) return;
        }
    } catch (const std::exception& e) {
        Log(std::string("TfrmSlideshow.Start Exception: ") + e.what());
    }
}

// A decoder that rejects its file raises through here and ends the show.
bool TfrmSlideshow::ShowSlide(const std::string& path) {
    if (!FileExists(path) || !IsPictureFile(ExtractFileExt(path))) return false;
    Log("TfrmSlideshow.Execute: Loading " + ExtractFileName(path));
    RECT client;
    ::GetClientRect(Handle(), &client);
    TPicture picture;
    picture.LoadFromFile(path, client.right, client.bottom);  // decoded no larger than the screen needs
    int w = picture.OriginalWidth(), h = picture.OriginalHeight();
    if (w <= 0 || h <= 0) return false;
    FitRect fit = FitCentred(w, h, client.right, client.bottom);
    try {
        unique_hbitmap slide = RenderBitmap(client.right, client.bottom, RGB(0, 0, 0), [&](HDC dc) {
            picture.Draw(dc, RECT{fit.left, fit.top, fit.right, fit.bottom});
        });
        Image1->Picture().SetGraphic(std::make_shared<TBitmap>(slide.release()));
        Image1->Repaint();
    } catch (const std::exception& e) {
        Log(std::string("TfrmSlideshow.Execute Drawing Exception: ") + e.what());
        return false;  // the show goes on with the next picture, without waiting for this one
    }
    return true;
}

bool TfrmSlideshow::Wait(int seconds) {
    int rounds = seconds > 0 ? seconds : 1;
    DWORD wait = seconds > 0 ? 1000 : 0;
    for (int i = 0; i < rounds; ++i) {
        DWORD start = ::GetTickCount();
        for (;;) {
            // Every key of the thread counts, also one the form's own preview would take (Tab).
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) FormKeyDown();
                if (!Application().HandleOne(msg)) {
                    ::PostQuitMessage(static_cast<int>(msg.wParam));  // for the main loop
                    StopRequested = true;
                    return false;
                }
            }
            if (StopRequested) return false;
            DWORD passed = ::GetTickCount() - start;
            if (passed >= wait) break;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, wait - passed, QS_ALLINPUT);
        }
    }
    return true;
}

bool TfrmSlideshow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_ACTIVATE:
            if (LOWORD(wp) != WA_INACTIVE) ::PostMessageA(Handle(), WM_SLIDESHOWACTIVATE, 0, 0);
            return false;
        case WM_SLIDESHOWACTIVATE:
            FormActivate();
            return true;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            FormKeyDown();
            return false;
        default:
            return TForm::HandleMessage(msg, wp, lp, result);
    }
}

}  // namespace tsb
