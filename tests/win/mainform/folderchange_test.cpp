// The main window kept in step with the disk by its live folder monitor: real files changed
// under a running window, the display checked once it has followed.
#include "app/MainForm.h"

#include <algorithm>

#include "app/IdleTime.h"
#include "framework/core/Text.h"
#include "framework/win/Application.h"
#include "framework/win/Files.h"
#include "win/MainFormFixture.h"
#include "win/ModalScript.h"
#include "win/ProcessCounts.h"

using namespace tsb;
using namespace tsbtest;

namespace {

class FolderChangeTest : public MainFormTest {
protected:
    std::string Title() const { return frm->PageTitlePanel->Caption(); }
    std::vector<std::string> Captions() const {
        std::vector<std::string> out;
        for (TColorButton* b : PageButtons()) out.push_back(b->Caption());
        return out;
    }
    // Shows the page of that folder (relative to the shortcuts folder), level by level.
    void Show(const std::string& rel) {
        TFolderRecord* page = RootFolder;
        size_t from = 0;
        while (from <= rel.size()) {
            size_t end = std::min(rel.find('\\', from), rel.size());
            page = FindFolderByPath(page->Path + "\\" + rel.substr(from, end - from));
            ASSERT_TRUE(page) << rel;
            Go(page);
            from = end + 1;
        }
        ASSERT_EQ(frm->CurrentPage.Get(), page);
    }
    bool Follows(const std::function<bool()>& pred) { return PumpUntil(pred, 10000); }
};

}  // namespace

// The start-up reads its pages under watch: a link made once the home page has been read, before
// the display has ended, is shown at the next tick.
TEST_F(FolderChangeTest, ALinkMadeWhileTheStartUpDisplaysIsShown) {
    Link("first.lnk", "First");
    bool made = false;
    SetDebugHook([&](const std::string& l) {
        lines.push_back(l);
        if (!made && l == "TSB: TfrmMain.GetImageThumbnails") {
            made = true;
            Link("late.lnk", "Late");
        }
    });
    Start();
    ASSERT_TRUE(made);
    EXPECT_TRUE(Follows([&] { return Captions() == std::vector<std::string>{"First", "Late"}; }));
}

TEST_F(FolderChangeTest, ABurstOfLinksIntoThePageOnShowRebuildsItOnce) {
    Link("first.lnk", "First");
    Start();
    TempFolder outside{"tsbout"};
    std::vector<std::string> names;
    for (int i = 100; i < 140; ++i) names.push_back(std::to_string(i) + ".lnk");
    for (const std::string& name : names) MakeLink(outside / name, {target, "", "", "", ""});
    int before = Lines("TSB: TfrmMain.LoadCurrentPage");
    // Moved in while the window handles nothing: the records wait for it and come as one burst.
    for (const std::string& name : names) {
        ASSERT_TRUE(MoveFileA((outside / name).c_str(), (root + "\\" + name).c_str()));
    }
    ASSERT_TRUE(Follows([&] { return PageButtons().size() == 41; }));
    EXPECT_EQ(Lines("TSB: TfrmMain.LoadCurrentPage") - before, 1);
    EXPECT_EQ(Captions().back(), "First");
    EXPECT_FALSE(frm->ChangeTimer.Enabled()) << "one tick per burst";
}

TEST_F(FolderChangeTest, RenamesAndRemovalsOfShortcutsOnShow) {
    Link("alpha.lnk");
    Link("beta.lnk");
    Start();
    ASSERT_EQ(Captions(), (std::vector<std::string>{"alpha", "beta"}));
    ASSERT_TRUE(MoveFileA((root + "\\alpha.lnk").c_str(), (root + "\\Zulu.lnk").c_str()));
    ASSERT_TRUE(Follows([&] { return Captions() == std::vector<std::string>{"beta", "Zulu"}; }));
    EXPECT_EQ(frm->RenameFrom, "") << "an old half is used once";
    ASSERT_TRUE(DeleteFileA((root + "\\beta.lnk").c_str()));
    ASSERT_TRUE(Follows([&] { return Captions() == std::vector<std::string>{"Zulu"}; }));

    // Moved out of the watched tree (its new half never comes) and back in (a new half alone).
    TempFolder outside{"tsbout"};
    ASSERT_TRUE(MoveFileA((root + "\\Zulu.lnk").c_str(), (outside / "Zulu.lnk").c_str()));
    ASSERT_TRUE(Follows([&] { return Captions().empty(); }));
    ASSERT_TRUE(MoveFileA((outside / "Zulu.lnk").c_str(), (root + "\\Back.lnk").c_str()));
    ASSERT_TRUE(Follows([&] { return Captions() == std::vector<std::string>{"Back"}; }));
}

// "games" is a leading part of "games2" as text, not its folder: the display moves to the
// folder that held "games", as the page-path comparison is plain text.
TEST_F(FolderChangeTest, ASiblingWhosePathBeginsThePageOnShowMovesToTheCommonParent) {
    MakeDir(root + "\\games");
    MakeDir(root + "\\games2");
    Link("games2\\solo.lnk", "Solo");
    Link("top.lnk", "Top");
    Start();
    Show("games2");
    RemoveTree(root + "\\games");
    ASSERT_TRUE(Follows([&] { return Title() == "Home Page"; }));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Top"}));
}

// A file beside the program whose name begins the shortcuts folder's: its folder (the program
// folder) is no page, so the display falls back to the home page and the next tick works.
TEST_F(FolderChangeTest, AnItemBesideTheProgramWhoseNameBeginsTheTreeFallsBackHome) {
    MakeDir(root + "\\Sub");
    Link("Sub\\in.lnk", "In");
    Start();
    Show("Sub");
    WriteFile(dir / "s", "x");
    ASSERT_TRUE(DeleteFileA((dir / "s").c_str()));
    ASSERT_TRUE(Follows([&] { return Title() == "Home Page" && !frm->ChangeTimer.Enabled(); }));
    EXPECT_EQ(frm->CurrentPage.Get(), RootFolder);
    EXPECT_FALSE(frm->HomeButton->Enabled());
}

// The shortcuts folder itself removed: the home page is shown empty (the display makes the
// folder anew, as at a first start). What is put into it later appears as usual: checked end to
// end, in a fresh process (Wine loses records of a folder made anew at times in a process that
// has made and removed many folders).
TEST_F(FolderChangeTest, TheShortcutsFolderRemovedShowsAnEmptyHomePageThatFollowsTheDiskAgain) {
    MakeDir(root + "\\Sub");
    Link("Sub\\in.lnk", "In");
    Link("top.lnk", "Top");
    Start();
    Show("Sub");
    RemoveTree(root);
    ASSERT_TRUE(Follows([&] { return Title() == "Home Page" && PageButtons().empty() && DirectoryExists(root); }));
    EXPECT_EQ(frm->CurrentPage.Get(), RootFolder);
    EXPECT_FALSE(frm->pnlNav->Visible());
    EXPECT_TRUE(frm->lblTitle->Visible()) << "the header stays";
    EXPECT_TRUE(RootFolder->Folders.empty());
}

TEST_F(FolderChangeTest, ARenamedFolderOnShowKeepsItsPageUnderTheNewName) {
    MakeDir(root + "\\Old");
    Link("Old\\x.lnk", "X");
    Start();
    Show("Old");
    ASSERT_TRUE(MoveFileA((root + "\\Old").c_str(), (root + "\\New Name").c_str()));
    ASSERT_TRUE(Follows([&] { return Title() == "New Name"; }));
    EXPECT_EQ(frm->CurrentPage.Get()->Path, LowerAZ(root + "\\new name"));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"X"}));
}

TEST_F(FolderChangeTest, SavingTheConfigurationShowsItWithoutARestart) {
    Start();
    WriteFile(dir / "Tessaboard.ini", "[options]\r\ntitle=Fresh Title\r\n");
    ASSERT_TRUE(Follows([&] { return frm->lblTitle->Caption() == "Fresh Title"; }));
    EXPECT_FALSE(frm->ConfigChanged);
}

TEST_F(FolderChangeTest, IdleReturnHomeWaitsTheConfiguredMinutesWithinTheTimersRange) {
    MakeDir(root + "\\Sub");
    Start();
    Show("Sub");
    frm->IdleHomeTime = 1;
    frm->RestartIdleHomeTimer();
    EXPECT_TRUE(frm->IdleHomeTimer.Enabled());
    EXPECT_EQ(frm->IdleHomeTimer.Interval(), 60000u);
    frm->IdleHomeTime = 50000;  // minutes whose milliseconds don't fit 31 bits
    frm->RestartIdleHomeTimer();
    EXPECT_EQ(frm->IdleHomeTimer.Interval(), LongestTimerInterval);
    EXPECT_TRUE(frm->IdleHomeTimer.Enabled());
    frm->IdleHomeTimerTimer();
    Application().ProcessMessages();  // the return home is posted
    EXPECT_EQ(Title(), "Home Page");
    EXPECT_FALSE(frm->IdleHomeTimer.Enabled());
    frm->RestartIdleHomeTimer();
    EXPECT_FALSE(frm->IdleHomeTimer.Enabled()) << "the home page needs no return";
}

// A cut and paste between pages: the link and the folder leave the one and arrive on the other,
// the page on show at once, the other when it is shown again.
TEST_F(FolderChangeTest, ItemsMovedToAnotherPageLeaveTheOneAndArriveOnTheOther) {
    MakeDir(root + "\\From");
    MakeDir(root + "\\From\\Album");
    MakeDir(root + "\\To");
    Link("From\\Mover.lnk", "Mover");
    Link("From\\Stayer.lnk", "Stayer");
    Link("To\\Resident.lnk", "Resident");
    Start();
    Show("From");
    Show("To");
    ASSERT_TRUE(MoveFileA((root + "\\From\\Mover.lnk").c_str(), (root + "\\To\\Mover.lnk").c_str()));
    ASSERT_TRUE(MoveFileA((root + "\\From\\Album").c_str(), (root + "\\To\\Album").c_str()));
    EXPECT_TRUE(Follows([&] {
        return Captions() == std::vector<std::string>{"Mover", "Resident"} && FindFolderByPath(root + "\\to\\album");
    }));
    Show("From");
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Stayer"}));
    EXPECT_TRUE(frm->CurrentPage.Get()->Folders.empty()) << "the folder left the page it was on";
}

// A loss of records reads every folder again, also when the folders above the page on show were
// marked already (a link rewritten in a page marks the page above it too).
TEST_F(FolderChangeTest, ALossReadsThePageOnShowAgainWhateverTheMarksAboveIt) {
    MakeDir(root + "\\Sub");
    Link("Sub\\a.lnk", "A");
    Start();
    Show("Sub");
    TRef<TFolderRecord> page = frm->CurrentPage;
    MarkFileChanged(LowerAZ(root + "\\Sub\\a.lnk"));
    Go(page);
    ASSERT_TRUE(RootFolder->NeedsLoad);
    frm->FolderMonitor->Deactivate();  // only the loss can tell of what follows
    Link("Sub\\b.lnk", "B");
    frm->Resynchronise();
    EXPECT_TRUE(Follows([&] { return Captions() == std::vector<std::string>{"A", "B"}; }));
}

// A save of the configuration noticed while its last read still lets messages through is read
// at the next tick.
TEST_F(FolderChangeTest, AConfigurationSavedWhileItIsReadIsReadAgain) {
    Start();
    frm->FolderMonitor->Deactivate();  // the save's record is handed over by the script below
    bool reading = false, savedDuringRead = false;
    ModalScript save(
        [&] {
            savedDuringRead = reading;
            WriteFile(dir / "Tessaboard.ini", "[options]\r\ntitle=Saved Meanwhile\r\n");
            frm->FolderMonChange(frm->FolderMonitor.get(), {"Tessaboard.ini", actModified});
            return false;
        },
        [] {});
    Sleep(60);  // the script's first step is due within the read's own handling of messages
    reading = true;
    frm->LoadConfig();
    reading = false;
    ASSERT_TRUE(savedDuringRead);
    EXPECT_TRUE(Follows([&] { return frm->lblTitle->Caption() == "Saved Meanwhile"; }));
}

// A folder renamed as its read begins (a record handled while the indicator lets messages
// through) is read under its new name.
TEST_F(FolderChangeTest, AFolderRenamedAsItsReadBeginsIsReadAtItsNewName) {
    MakeDir(root + "\\Old");
    Link("Old\\a.lnk", "Inside");
    Start();
    TRef<TFolderRecord> page = FindFolderByPath(root + "\\old");
    ASSERT_TRUE(page.Get());
    SetDebugHook([&](const std::string& l) {
        lines.push_back(l);
        if (l != "TSB: LoadFolder " + LowerAZ(root + "\\old")) return;
        ASSERT_TRUE(MoveFileA((root + "\\Old").c_str(), (root + "\\New").c_str()));
        RenameItem(LowerAZ(root + "\\old"), root + "\\New");
    });
    Go(page);
    SetDebugHook([&](const std::string& l) { lines.push_back(l); });
    EXPECT_EQ(Title(), "New");
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Inside"}));
}

// A tick whose configuration cannot be read still shows what changed on the page.
TEST_F(FolderChangeTest, ATickWhoseConfigurationFailsStillShowsThePage) {
    Link("a.lnk", "A");
    Start();
    frm->FolderMonitor->Deactivate();
    Link("b.lnk", "B");
    RootFolder->NeedsLoad = true;  // as the link's record marks it
    WriteFile(dir / "broken.bmp", "not a bitmap");
    WriteFile(dir / "Tessaboard.ini", "[options]\r\nlogo=broken.bmp\r\n");
    frm->ConfigChanged = true;
    EXPECT_THROW(frm->ChangeTimerTimer(), std::exception);
    Application().ProcessMessages();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"A", "B"}));
}
