// The main window in-process, on a program folder of the test's own: configuration, page
// display and launching.
#include "app/MainForm.h"

#include <algorithm>

#include "framework/core/Text.h"
#include "framework/win/Application.h"
#include "framework/win/Files.h"
#include "pages/WorkingFormUnit.h"
#include "win/MainFormFixture.h"
#include "win/ProcessCounts.h"

using namespace tsb;
using namespace tsbtest;

TEST_F(MainFormTest, HomePageWithoutSubPages) {
    Link("b.lnk", "Beta");
    Link("a.lnk", "Alpha");
    Start();
    EXPECT_FALSE(frm->pnlNav->Visible()) << "no sub-pages on the home page: no nav bar";
    auto buttons = PageButtons();
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0]->Caption(), "Alpha");
    EXPECT_EQ(buttons[0]->Left(), 16);
    EXPECT_EQ(buttons[0]->Top(), 10);
    EXPECT_EQ(buttons[1]->Left(), 182);
    EXPECT_EQ(buttons[0]->Width(), 150);
    EXPECT_EQ(buttons[0]->Height(), 110);
    EXPECT_EQ(buttons[0]->Alignment(), alBottomCenter);
    EXPECT_EQ(buttons[0]->BevelStyle(), bbNone);
    EXPECT_EQ(buttons[0]->Hint(), "Alpha");
    EXPECT_EQ(buttons[0]->Tag().As<TShortcutRecord>(), RootFolder->Shortcuts[0].get());
    EXPECT_FALSE(frm->HomeButton->Enabled());
    EXPECT_FALSE(frm->BackButton->Enabled());
    EXPECT_EQ(frm->PageTitlePanel->Caption(), "Home Page");
    EXPECT_FALSE(frm->pnlPageHeader->Visible());
    EXPECT_EQ(Lines("TSB: TfrmMain.GetImageThumbnails"), 1);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return StartsWith(l, "TSB: Call TGetImagePreviews"); }),
              0)
        << "no target is a picture: no thumbnail run";
    EXPECT_EQ(Lines("TSB: TfrmMain.LoadCurrentPage Reload Required"), 1);
    EXPECT_FALSE(frmWorking) << "the indicator is gone after the load";
}

TEST_F(MainFormTest, SubPagesOnlyGiveBigButtonsAndThenTheStrip) {
    for (const char* sub : {"Art", "Books", "Cards"}) MakeDir(root + "\\" + sub);
    MakeLink(root + "\\Books\\read.lnk", {target, "", "Read", "", ""});
    MakeDir(root + "\\Books\\Old");
    Start();
    EXPECT_TRUE(frm->pnlNav->Visible());
    auto big = PageButtons();
    ASSERT_EQ(big.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(big[i]->Left(), 176);
        EXPECT_EQ(big[i]->Width(), 528);
        EXPECT_EQ(big[i]->Top(), 20 + 64 * static_cast<int>(i));
        EXPECT_EQ(big[i]->Height(), 54);
    }
    EXPECT_EQ(big[1]->Caption(), "Books");
    EXPECT_TRUE(StripButtons().empty());
    EXPECT_FALSE(frm->HomeButton->Enabled()) << "home page";

    Go(big[1]->Tag().As<TFolderRecord>());  // a page with a shortcut and a sub-page
    EXPECT_EQ(frm->PageTitlePanel->Caption(), "Books");
    EXPECT_TRUE(frm->HomeButton->Enabled());
    EXPECT_TRUE(frm->BackButton->Enabled());
    auto strip = StripButtons();
    ASSERT_EQ(strip.size(), 1u);
    EXPECT_EQ(strip[0]->Caption(), "Old");
    EXPECT_EQ(strip[0]->Left(), 4);
    EXPECT_EQ(frm->PageScroller1->ContentWidth(), 85);
    ASSERT_EQ(PageButtons().size(), 1u);
    EXPECT_EQ(PageButtons()[0]->Caption(), "Read");

    Go(frm->CurrentPage.Get()->Folders[0].get());  // neither shortcuts nor sub-pages
    EXPECT_TRUE(PageButtons().empty());
    EXPECT_TRUE(frm->pnlNav->Visible());
    frm->BackButtonClick(nullptr);
    Application().ProcessMessages();
    EXPECT_EQ(frm->PageTitlePanel->Caption(), "Books");
    frm->HomeButtonClick(nullptr);
    Application().ProcessMessages();
    EXPECT_EQ(frm->CurrentPage, RootFolder);
}

TEST_F(MainFormTest, NavStripLeftsAndWidth) {
    for (const char* sub : {"A", "B", "C"}) MakeDir(root + "\\" + sub);
    Link("x.lnk");
    Start(true);
    auto strip = StripButtons();
    ASSERT_EQ(strip.size(), 3u);
    EXPECT_EQ(strip[0]->Left(), 4);
    EXPECT_EQ(strip[1]->Left(), 85);
    EXPECT_EQ(strip[2]->Left(), 166);
    EXPECT_EQ(strip[2]->Width(), 75);
    EXPECT_EQ(frm->PageScroller1->ContentWidth(), 247);
    EXPECT_EQ(strip[0]->Hint(), LowerAZ(root) + "\\a") << "administrators see the path";
    EXPECT_TRUE(strip[0]->OnRightClick);
}

TEST_F(MainFormTest, IndicatorOnlyAboveOneHundredShortcuts) {
    MakeDir(root + "\\Hundred");
    MakeDir(root + "\\More");
    for (int i = 0; i < 101; ++i) {
        std::string name = std::string("s") + std::to_string(1000 + i) + ".lnk";
        if (i < 100) MakeLink(root + "\\Hundred\\" + name, {target, "", "", "", ""});
        MakeLink(root + "\\More\\" + name, {target, "", "", "", ""});
    }
    Start();
    TFolderRecord* hundred = RootFolder->Folders[0].get();
    TFolderRecord* more = RootFolder->Folders[1].get();
    Go(hundred);
    Go(more);
    ASSERT_EQ(PageButtons().size(), 101u);
    std::vector<std::string> shown;
    WorkingShown = [&](const std::string& title) { shown.push_back(title); };
    Go(hundred);  // loaded already: only the 100-button rule could show the indicator
    EXPECT_TRUE(shown.empty());
    Go(more);
    EXPECT_EQ(shown, (std::vector<std::string>{"Loading..."}));
    EXPECT_FALSE(frmWorking);
}

TEST_F(MainFormTest, ButtonSizesAndIcons) {
    char sys[MAX_PATH];
    GetSystemDirectoryA(sys, MAX_PATH);
    for (int i = 0; i < 9; ++i) Link("n" + std::to_string(i) + ".lnk", "", std::string(sys) + "\\notepad.exe");
    Link("z-none.lnk", "", dir / "missing.exe");
    Start();
    auto b = PageButtons();
    EXPECT_FALSE(b[0]->Picture().Empty());
    EXPECT_EQ(b[0]->Picture().Width(), 48);
    EXPECT_EQ(b[0]->PictureTop(), 8);
    EXPECT_EQ(b[0]->PictureLeft(), (150 - 48) / 2);
    EXPECT_TRUE(b[9]->Picture().Empty()) << "no icon file: no icon, still a button";
    frm->SetButtonSize(8);
    frm->LoadCurrentPage();
    b = PageButtons();
    EXPECT_EQ(b[0]->Width(), 85);
    EXPECT_EQ(b[0]->Picture().Width(), 32);
    EXPECT_EQ(b[0]->PictureLeft(), (85 - 32) / 2);
    EXPECT_EQ(b[7]->Top(), 10);
    EXPECT_EQ(b[7]->Left(), 16 + 101 * 7);
    EXPECT_EQ(b[8]->Top(), 100);
    EXPECT_EQ(b[8]->Left(), 16);
}

TEST_F(MainFormTest, ConfigurationIsApplied) {
    WriteFile(dir / "Tessaboard.ini",
              "[options]\n TITLE=ignored\nTITLE=Library\ntitle-font=Arial\nbutton-size=1\nheader-color=#102030\n"
              "logo=logo.bmp\nidle-home-time=2\nslideshow-time=x\n");
    std::string bmp = BuildFolder() + "\\..\\..\\resources\\working.bmp";
    CopyFileA(bmp.c_str(), (dir / "logo.bmp").c_str(), FALSE);
    WriteFile(dir / "header.rtf", "{\\rtf1\\ansi Welcome}");
    Start();
    EXPECT_EQ(frm->lblTitle->Caption(), "Library");
    EXPECT_EQ(frm->lblTitle->Font().name, "Arial");
    EXPECT_EQ(frm->lblSubtitle->Caption(), "Click the first button to open the configuration.");
    EXPECT_EQ(frm->ButtonSize, 3);
    EXPECT_EQ(frm->ButtonWidth, 260);
    EXPECT_EQ(frm->IdleHomeTime, 2);
    EXPECT_EQ(frm->SlideshowTime, 20);
    EXPECT_EQ(frm->pnlHeader->Color(), 0x302010u);
    EXPECT_EQ(frm->pnlNav->Color(), 10515526u);
    EXPECT_TRUE(frm->pnlImage->Visible());
    EXPECT_EQ(frm->pnlImage->Width(), 881 / 3);
    EXPECT_EQ(frm->LogoFile, dir / "logo.bmp");
    EXPECT_TRUE(frm->redHeader->Visible());
    EXPECT_EQ(frm->redHeader->Text(), "Welcome");
    EXPECT_FALSE(frm->FullScreen);

    WriteFile(dir / "Tessaboard.ini", "[options]\nbutton-size=99\nlogo=broken.bmp\n");
    WriteFile(dir / "broken.bmp", "BM not really");
    DeleteFileA((dir / "header.rtf").c_str());
    EXPECT_THROW(frm->LoadConfig(), std::exception) << "a logo that can't be decoded";
    EXPECT_EQ(frm->ButtonSize, 8) << "what was applied before the logo stays";
    EXPECT_EQ(frm->lblTitle->Caption(), "Library") << "a missing title keeps the last one";
}

TEST_F(MainFormTest, MissingOptionsSectionIsWritten) {
    WriteFile(dir / "Tessaboard.ini", "; only a comment\n[other]\nx=1\n");
    Start();
    EXPECT_EQ(ReadFile(dir / "Tessaboard.ini"),
              "[other]\r\nx=1\r\n\r\n[options]\r\ntitle=Tessaboard\r\nsub-title=Click the first button to open "
              "the configuration.\r\n\r\n");
}

TEST_F(MainFormTest, LaunchStartsTheTargetWithArgumentsAndFolder) {
    std::string app = dir / "app";
    MakeDir(app);
    MakeDir(dir / "work");
    InstallMarker(app + "\\marker.exe");
    MakeLink(root + "\\run.lnk", {app + "\\marker.exe", "one two", "Run", dir / "work", ""});
    MakeLink(root + "\\folder.lnk", {dir / "work", "", "Folder", "", ""});
    Start();
    auto b = PageButtons();
    ASSERT_EQ(b.size(), 2u);
    frm->ButtonClick(b[0]);  // the folder: nothing
    EXPECT_FALSE(Exists(app + "\\marker.txt"));
    frm->ButtonClick(b[1]);
    ASSERT_TRUE(WaitFor([&] { return Exists(app + "\\marker.txt") && ReadFile(app + "\\marker.txt").find("cwd") != std::string::npos; }, 10000));
    std::string marker = ReadFile(app + "\\marker.txt");
    EXPECT_NE(marker.find("arg:one\narg:two\n"), std::string::npos) << marker;
    EXPECT_NE(LowerAZ(marker).find("cwd:" + LowerAZ(dir / "work")), std::string::npos) << marker;
    EXPECT_FALSE(frmWorking);
}

TEST_F(MainFormTest, MissingTargetLaunchesNothingAndKeepsTheLink) {
    std::string gone = dir / "gone.exe";
    WriteFile(gone, "x");
    MakeLink(root + "\\gone.lnk", {gone, "", "Gone", "", ""});
    DeleteFileA(gone.c_str());
    std::string before = ReadFile(root + "\\gone.lnk");
    Start();
    frm->ButtonClick(PageButtons()[0]);
    EXPECT_EQ(ReadFile(root + "\\gone.lnk"), before);
    for (auto& l : lines) EXPECT_EQ(l.find("ButtonClick Exception"), std::string::npos) << l;

    DeleteFileA((root + "\\gone.lnk").c_str());  // the link itself vanished: logged, never shown
    frm->ButtonClick(PageButtons()[0]);
    int logged = 0;
    for (auto& l : lines) logged += l.rfind("TSB: ButtonClick Exception: ", 0) == 0;
    EXPECT_EQ(logged, 1);
}

TEST_F(MainFormTest, AdministratorMenusDeleteOnlyWhatTheyMay) {
    Link("mail.lnk", "Mail");
    MakeDir(root + "\\Empty");
    MakeDir(root + "\\Full");
    Link("Full\\x.lnk");
    Start(false);
    EXPECT_FALSE(PageButtons()[0]->OnRightClick) << "ordinary users get no right-click menu";
    frm.reset();
    Start(true);
    TColorButton* mail = PageButtons()[0];
    EXPECT_TRUE(mail->OnRightClick);
    EXPECT_EQ(mail->Hint(), target) << "administrators see the target";
    RightClick(mail, [&] { PostMenuChoice(1); });  // "&Delete"
    EXPECT_FALSE(Exists(root + "\\mail.lnk"));
    frm->Delete1Click(nullptr);  // gone already: nothing
    // The page follows the disk: without shortcuts its sub-pages become the big buttons.
    ASSERT_TRUE(PumpUntil([&] { return StripButtons().empty() && PageButtons().size() == 2; }));
    auto folders = PageButtons();
    RightClick(folders[1], [&] { PostMenuChoice(1); });  // "Delete" on Full
    EXPECT_TRUE(Exists(root + "\\Full")) << "a folder with shortcuts stays";
    RightClick(folders[0], [&] { PostMenuChoice(1); });  // "Delete" on Empty
    EXPECT_FALSE(Exists(root + "\\Empty"));
}

TEST_F(MainFormTest, StalePageLoadsAreDropped) {
    MakeDir(root + "\\Games");
    Start();
    TFolderRecord* games = RootFolder->Folders[0].get();
    // A load that went through would show a page (a null one falls back to home): so the
    // home page stays, and no display runs.
    ASSERT_EQ(frm->CurrentPage, RootFolder);
    int handled = Lines("TSB: WMLoadPage"), displays = Lines("TSB: TfrmMain.LoadCurrentPage");
    frm->PostLoadPage(games);
    RemoveItem(games->Path);  // the record goes before the posted load runs
    Application().ProcessMessages();
    EXPECT_EQ(Lines("TSB: WMLoadPage"), handled + 1) << "the load was handled";
    EXPECT_EQ(Lines("TSB: TfrmMain.LoadCurrentPage"), displays) << "and dropped";
    EXPECT_EQ(frm->CurrentPage, RootFolder);
}

// Messages are let through while a page is built; a page asked for then is shown after the
// build, never mixed into it.
TEST_F(MainFormTest, PageAskedForDuringADisplayIsShownAfterIt) {
    MakeDir(root + "\\More");
    MakeDir(root + "\\More\\Inner");
    MakeDir(root + "\\Three");
    for (int i = 0; i < 101; ++i) MakeLink(root + "\\More\\s" + std::to_string(1000 + i) + ".lnk", {target, "", "", "", ""});
    for (int i = 0; i < 3; ++i) Link("Three\\t" + std::to_string(i) + ".lnk");
    Start();
    TFolderRecord* more = RootFolder->Folders[0].get();
    TFolderRecord* three = RootFolder->Folders[1].get();
    auto expectThree = [&](const char* when) {
        EXPECT_EQ(frm->CurrentPage, three) << when;
        EXPECT_EQ(PageButtons().size(), 3u) << when;
        EXPECT_TRUE(StripButtons().empty()) << when;
        EXPECT_EQ(frm->PageTitlePanel->Caption(), "Three") << when;
        EXPECT_TRUE(frm->BackButton->Enabled()) << when;
    };

    // Asked for while the indicator of a big page lets messages through, after the strip is made.
    Go(more);
    Go(RootFolder);
    WorkingShown = [&](const std::string&) {
        WorkingShown = nullptr;
        frm->PostLoadPage(three);
        Application().ProcessMessages();
    };
    Go(more);
    Application().ProcessMessages();
    expectThree("during the shortcut buttons");

    // Asked for before the build begins, while the title says "Loading...".
    frm->CurrentPage = more;
    frm->PostLoadPage(three);
    frm->LoadCurrentPage();
    Application().ProcessMessages();
    expectThree("at the start");
}
