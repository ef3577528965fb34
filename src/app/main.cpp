// Program entry: the splash, then the main window until it closes.
#include "about/SplashFormUnit.h"
#include "app/MainForm.h"
#include "framework/win/Application.h"
#include "framework/win/ScopedWin.h"
#include "pages/DataObject.h"
#include "pages/WinShell.h"
#include "pictures/GdiPlusPictures.h"

using namespace tsb;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CoInitGuard com;
    try {
        SetScaleDpi(SystemDpi());  // every window is made at the screen's scale
        RegisterPictureClasses();  // before any window: the logo and every picture decode through them
        Application().Initialize();
        Application().SetTitle("Tessaboard");
        InitWinShell();
        ShowSplash(10000);
        {
            TfrmMain frmMain;
            Application().SetMainForm(&frmMain);
            frmMain.ShowForm();
            Application().Run();
            Application().SetMainForm(nullptr);
        }
        ReleaseGdiPlusLibrary();  // the main window, and with it every thread that draws pictures, is gone
        DoneRootFolder();
        DoneWinShell();
    } catch (const std::exception& e) {
        Application().HandleException(e);
        return 1;
    }
    return 0;
}
