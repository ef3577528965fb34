// The page display when something fails inside it, and the indicator during a launch.
#include <chrono>
#include <new>

#include "framework/core/ScopeExit.h"
#include "framework/win/Errors.h"
#include "pages/WinShell.h"
#include "win/MainFormFixture.h"

using namespace tsb;
using namespace tsbtest;

class PageDisplay : public MainFormTest {
protected:
    // Started as the program starts: shown, and the first load run by the message it posts.
    void StartShown() {
        frm = std::make_unique<TMainWindowView>();
        frm->AdminMode = true;  // no idle hook to outlive the window
        Application().SetMainForm(frm.get());
        frm->Show();
        Application().ProcessMessages();
        ASSERT_EQ(Lines("TSB: TfrmMain.GetImageThumbnails"), 1) << "the first load ran";
    }
    bool DrawingOn() const { return (GetWindowLongA(frm->Handle(), GWL_STYLE) & WS_VISIBLE) != 0; }
};

TEST_F(PageDisplay, FailureMidwayStillRunsTheCleanUp) {
    MakeDir(root + "\\Big");
    MakeDir(root + "\\Big\\Inner");
    for (int i = 0; i < 101; ++i) MakeLink(root + "\\Big\\s" + std::to_string(1000 + i) + ".lnk", {target, "", "", "", ""});
    StartShown();
    TFolderRecord* big = RootFolder->Folders[0].get();
    Go(big);  // read once, so the display below reads nothing from disk
    ASSERT_EQ(PageButtons().size(), 101u);
    Go(RootFolder);
    ASSERT_TRUE(DrawingOn());

    // The indicator of a page of over 100 shortcuts fails to come up: after the strip, before
    // the first shortcut button.
    bool drawingOffMeanwhile = false;
    HCURSOR cursorMeanwhile = nullptr;
    WorkingShown = [&](const std::string&) {
        drawingOffMeanwhile = !DrawingOn();
        cursorMeanwhile = Application().ScreenCursor();
        throw EError("no indicator");
    };
    frm->CurrentPage = big;
    lines.clear();
    EXPECT_THROW(frm->LoadCurrentPage(), EError);
    WorkingShown = nullptr;
    EXPECT_TRUE(drawingOffMeanwhile);
    EXPECT_TRUE(cursorMeanwhile) << "the hourglass was up";
    EXPECT_EQ(StripButtons().size(), 1u);
    EXPECT_TRUE(PageButtons().empty());

    EXPECT_FALSE(frmWorking) << "indicator hidden";
    EXPECT_EQ(Application().ScreenCursor(), nullptr) << "cursor restored";
    EXPECT_TRUE(DrawingOn());
    EXPECT_TRUE(frm->HomeButton->Enabled()) << "not the home page";
    EXPECT_TRUE(frm->BackButton->Enabled());
    EXPECT_EQ(Lines("TSB: TfrmMain.GetImageThumbnails"), 0) << "a display that failed midway starts no thumbnails";

    frm->LoadCurrentPage();  // nothing left behind: the next display is whole
    EXPECT_EQ(PageButtons().size(), 101u);
    frm->CurrentPage = RootFolder;
    frm->LoadCurrentPage();
    EXPECT_FALSE(frm->HomeButton->Enabled()) << "the home page again";
    EXPECT_FALSE(frm->BackButton->Enabled());
}

TEST_F(PageDisplay, AnIconThatCannotBeGivenIsLoggedAndTheButtonStays) {
    // Memory runs out as the icon of the one named "Odd" is asked for, once.
    std::string odd = dir / "odd.txt";
    WriteFile(odd, "x");
    WriteFile(dir / "plain.txt", "x");
    Link("a.lnk", "Odd", odd);
    Link("b.lnk", "Plain", dir / "plain.txt");
    Start();
    ASSERT_FALSE(PageButtons()[0]->Picture().Empty()) << "an icon when memory suffices";
    lines.clear();
    std::string failing = "Odd";
    TIconCache::OnAsk = [&](const TShortcutRecord& s) {
        if (s.Name != failing) return;
        failing.clear();
        throw std::bad_alloc();
    };
    ScopeExit unhook([] { TIconCache::OnAsk = nullptr; });
    frm->LoadCurrentPage();
    EXPECT_EQ(failing, "") << "the icon was asked for";
    auto b = PageButtons();
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0]->Caption(), "Odd");
    EXPECT_TRUE(b[0]->Picture().Empty());
    EXPECT_FALSE(b[1]->Picture().Empty()) << "the loop went on";
    EXPECT_EQ(Lines("TSB: LoadCurrentPage: Exception assigning icon. std::bad_alloc"), 1);
}

TEST_F(PageDisplay, LaunchShowsLoadingThroughItsWait) {
    std::string app = dir / "app";
    MakeDir(app);
    InstallMarker(app + "\\marker.exe");
    MakeLink(root + "\\run.lnk", {app + "\\marker.exe", "", "Run", "", ""});
    Start();
    std::vector<std::string> titles;
    bool visible = false;
    std::string message = "not shown";
    WorkingShown = [&](const std::string& title) {
        titles.push_back(title);
        visible = IsWindowVisible(frmWorking->Handle()) != FALSE;
        message = frmWorking->txtMessage->Caption();
    };
    HWND run = PageButtons()[0]->Handle();
    auto start = std::chrono::steady_clock::now();
    SendMessageA(run, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(run, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(titles, (std::vector<std::string>{"Loading..."}));
    EXPECT_TRUE(visible);
    EXPECT_EQ(message, "");
    EXPECT_GE(took, 3.9) << "the indicator stands through the wait after the start";
    EXPECT_FALSE(frmWorking) << "and goes with the click";
    EXPECT_TRUE(WaitFor([&] { return Exists(app + "\\marker.txt") && ReadFile(app + "\\marker.txt").find("cwd") != std::string::npos; }, 10000));
}

TEST_F(PageDisplay, AFolderThatCannotBeReadStillRunsTheCleanUp) {
    MakeDir(root + "\\Locked");
    MakeLink(root + "\\Locked\\one.lnk", {target, "", "", "", ""});
    WriteFile(root + "\\Locked\\page-header.rtf", "{\\rtf1 locked}");
    StartShown();
    // Held open without sharing: reading the folder fails on its header.
    HANDLE held = CreateFileA((root + "\\Locked\\page-header.rtf").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    frm->CurrentPage = RootFolder->Folders[0].get();
    EXPECT_ANY_THROW(frm->LoadCurrentPage());
    CloseHandle(held);
    EXPECT_FALSE(frmWorking) << "indicator hidden";
    EXPECT_EQ(Application().ScreenCursor(), nullptr) << "cursor restored";
    EXPECT_TRUE(frm->HomeButton->Enabled()) << "not the home page: Home and Back stay usable";
    EXPECT_TRUE(frm->BackButton->Enabled());
}
