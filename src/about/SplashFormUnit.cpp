#include "about/SplashFormUnit.h"

#include <cstring>

#include "about/VersionInfo.h"
#include "framework/core/Text.h"
#include "framework/win/Application.h"
#include "framework/win/Files.h"
#include "framework/win/Thread.h"

namespace tsb {

void HideTaskBarButton() {
    HWND app = Application().Handle();
    ::ShowWindow(app, SW_HIDE);
    ::SetWindowLongA(app, GWL_EXSTYLE, ::GetWindowLongA(app, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
}

TSplashForm::TSplashForm()
    : TForm({.className = "TSplashForm", .clientWidth = 509, .clientHeight = 269, .caption = "Tessaboard"}) {
    KeyPreview = true;
    // Every part of the window closes it on a click.
    TNotifyEvent click = [this](TControl* s) { FormClick(s); };
    auto text = [&](TBounds b, const char* caption, const char* face, int height, unsigned anchors = akLeft | akTop) {
        return Add<TLabel>({.place = b, .anchors = anchors, .font = TFont::Pixels(face, height), .onClick = click},
                           caption, TTextAlign::taCenter);
    };
    text({0, 1, 330, 101}, "Tessaboard", "Times New Roman", 45, akLeft | akTop | akRight);
    text({0, 108, 330, 26}, "by the Tessaboard makers", "Tahoma", 21);
    text({-1, 142, 330, 14}, "Copyright (c) the Tessaboard makers", "Tahoma", 11);
    txtVersion = text({-1, 159, 330, 16}, "", "Verdana", 11);
    text({222, 200, 262, 20}, "Free for schools and homes", "Tahoma", 16, akAll);
    text({222, 220, 262, 20}, "tessaboard.example.org", "Tahoma", 16, akAll);
    auto picture = [&](TBounds b, const char* resource) {
        Add<TImage>({.place = b, .onClick = click}, true, true)->Picture().SetGraphic(ArtworkResource(resource));
    };
    picture({40, 184, 161, 73}, "LOGO");
    picture({336, 0, 161, 161}, "WORKING");
    OnClick = [this](TControl* s) { FormClick(s); };
    OnKeyPress = [this](TControl* s, char& key) { FormKeyPress(s, key); };
    CenterOnScreen();
    FormCreate();
}

void TSplashForm::FormCreate() {
    HideTaskBarButton();
    TExeVersionInfo info;
    info.ExeName = ExtractFileName(ProgramFileName());
    info.LangId = "0C09";
    info.ReadVersionInfo();
    txtVersion->SetCaption("version: " + info.FileVersion);
}

void TSplashForm::FormClick(TControl*) { SetModalResult(mrOk); }
void TSplashForm::FormKeyPress(TControl*, char&) { SetModalResult(mrOk); }

void ShowSplash(unsigned milliseconds) {
    TSplashForm splash;
    splash.ShowForm();
    Application().ProcessMessages();
    // No input is handled meanwhile; what is sent to the window is, or a screen reader's
    // question would wait out the ten seconds and the system would take the splash for hung.
    SleepAnsweringSentMessages(milliseconds);
}

void ShowAbout() {
    TSplashForm about;
    about.ShowModal();
}

}  // namespace tsb
