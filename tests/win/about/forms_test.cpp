// The working indicator, the version reader and the About window.
#include "about/SplashFormUnit.h"
#include "about/VersionInfo.h"
#include "framework/core/Text.h"
#include "framework/win/Application.h"
#include "framework/win/Files.h"
#include "framework/win/StdCtrls.h"
#include "pages/WorkingFormUnit.h"
#include "win/WinTestMain.h"

using namespace tsb;
using namespace tsbtest;

class Working : public WinTest {
protected:
    void TearDown() override { HideWorking(); }
};

TEST_F(Working, OneWindowWhoseTitleChanges) {
    HideWorking();  // nothing on show: nothing happens
    EXPECT_FALSE(frmWorking);
    ShowWorking("Searching...");
    ASSERT_TRUE(frmWorking);
    HWND first = frmWorking->Handle();
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_EQ(frmWorking->StaticText1->Caption(), "Working...");
    EXPECT_EQ(frmWorking->txtMessage->Caption(), "Searching...");
    EXPECT_TRUE(frmWorking->txtMessage->Visible());
    ShowLoading("games");
    EXPECT_EQ(frmWorking->Handle(), first);
    EXPECT_EQ(frmWorking->StaticText1->Caption(), "Loading...");
    EXPECT_EQ(frmWorking->txtMessage->Caption(), "games");
    EXPECT_EQ(frmWorking->ClientWidth(), 326);
    EXPECT_EQ(frmWorking->ClientHeight(), 101);
    EXPECT_FALSE(GetWindowLongA(first, GWL_STYLE) & WS_CAPTION);
    HideWorking();
    EXPECT_FALSE(frmWorking);
    EXPECT_FALSE(IsWindow(first));
}

TEST_F(Working, EachShowIsCentredOnTheMainWindow) {
    TForm main({.className = "TWorkingHost", .clientWidth = 600, .clientHeight = 400});
    Application().SetMainForm(&main);
    main.SetBounds(100, 50, 600, 400);
    ShowLoading("");
    RECT r;
    GetWindowRect(frmWorking->Handle(), &r);
    EXPECT_EQ((r.left + r.right) / 2, 400);
    EXPECT_EQ((r.top + r.bottom) / 2, 250);
    HideWorking();
    main.SetBounds(300, 250, 600, 400);
    ShowLoading("");
    GetWindowRect(frmWorking->Handle(), &r);
    EXPECT_EQ((r.left + r.right) / 2, 600);
    HideWorking();
    Application().SetMainForm(nullptr);
}

TEST(VersionInfo, ReadsTheProgramsOwnResource) {
    TExeVersionInfo info;
    info.ExeName = ProgramFileName();
    EXPECT_EQ(info.LangId, "040C");
    info.ReadVersionInfo();
    EXPECT_EQ(info.FileVersion, "") << "the default language finds nothing";
    info.LangId = "0C09";
    info.ReadVersionInfo();
    EXPECT_EQ(info.FileVersion, "1.8.0.382");
    EXPECT_EQ(info.ProductVersion, "1.8");
    EXPECT_EQ(info.ProductName, "Tessaboard");
    EXPECT_EQ(info.OriginalFilename, "Tessaboard.exe");

    TExeVersionInfo none;  // a program without a version resource
    none.ExeName = BuildFolder() + "\\tsb_marker.exe";
    none.LangId = "0C09";
    none.FileVersion = "kept";
    none.ReadVersionInfo();
    EXPECT_EQ(none.FileVersion, "kept");
}

TEST_F(Working, AboutShowsTheVersionAndClosesOnAKeyOrAClick) {
    TSplashForm about;
    EXPECT_EQ(about.txtVersion->Caption(), "version: 1.8.0.382");
    EXPECT_EQ(about.ClientWidth(), 509);
    PostMessageA(about.Handle(), WM_CHAR, 'q', 0);
    EXPECT_EQ(about.ShowModal(), mrOk);
    // A click on one of its texts closes it too.
    HWND text = about.txtVersion->Handle();
    PostMessageA(text, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageA(text, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(about.ShowModal(), mrOk);
    HWND app = Application().Handle();
    EXPECT_FALSE(IsWindowVisible(app));
    EXPECT_TRUE(GetWindowLongA(app, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}
