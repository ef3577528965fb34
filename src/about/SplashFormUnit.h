#pragma once
// The splash screen at start-up and the About window: one small borderless window.
#include "framework/win/Forms.h"
#include "framework/win/StdCtrls.h"

namespace tsb {

class TSplashForm : public TForm {
public:
    TSplashForm();
    TLabel* txtVersion;

private:
    void FormCreate();
    void FormClick(TControl*);
    void FormKeyPress(TControl*, char& key);
};

void ShowSplash(unsigned milliseconds = 10000);
void ShowAbout();

// The application's hidden owner window loses its task-bar button for good.
void HideTaskBarButton();

}  // namespace tsb
