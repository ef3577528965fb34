// Records released while messages are let through: a reload replaces every record below the
// folder it reads, and clicks, menus and posted page loads that came before must never reach
// the released ones, nor whatever takes their place.
#include "win/MainFormFixture.h"
#include "win/ProcessCounts.h"

#include "framework/core/Text.h"

using namespace tsb;
using namespace tsbtest;

class LifetimeTest : public MainFormTest {
protected:
    // A copy of the marker program in its own folder, and a link to it with these arguments.
    std::string Marker(const std::string& name, const std::string& arguments) {
        std::string app = dir / name;
        MakeDir(app);
        InstallMarker(app + "\\marker.exe");
        MakeLink(root + "\\" + name + ".lnk", {app + "\\marker.exe", arguments, name, app, ""});
        return app + "\\marker.txt";
    }
    // Watches the debug lines as the fixture does, and calls then for each.
    void OnLine(std::function<void(const std::string&)> then) {
        SetDebugHook([this, then](const std::string& l) {
            lines.push_back(l);
            then(l);
        });
    }
    static bool Indicating(const std::string& message) { return frmWorking && frmWorking->txtMessage->Caption() == message; }
    // A sub-page of the home page for an existing folder, its record made amid others that stay,
    // so that its address is handed out again once it is released (the heap keeps the place).
    TFolderRecord* FolderAmidOthers(const std::string& name) {
        for (int i = 0; i < 1000; ++i) neighbours.push_back(std::make_unique<TFolderRecord>());
        return SubPage(std::move(neighbours[500]), name);
    }
    std::vector<std::unique_ptr<TFolderRecord>> neighbours;

    // A new folder record at the address of a released one, put in the tree under the root.
    TFolderRecord* RecordAt(const void* address, const std::string& name) {
        std::unique_ptr<TFolderRecord> found;
        std::vector<std::unique_ptr<TFolderRecord>> elsewhere;
        for (int i = 0; i < 100000 && !found; ++i) {
            auto r = std::make_unique<TFolderRecord>();
            if (r.get() == address) found = std::move(r);
            else elsewhere.push_back(std::move(r));
        }
        return found ? SubPage(std::move(found), name) : nullptr;
    }
    // The record, not yet read, put in the tree as the home page's sub-page of that name.
    TFolderRecord* SubPage(std::unique_ptr<TFolderRecord> record, const std::string& name) {
        record->Name = name;
        record->Path = LowerAZ(root + "\\" + name);
        record->Parent = RootFolder;
        record->NeedsLoad = true;
        RootFolder->Folders.push_back(std::move(record));
        return RootFolder->Folders.back().get();
    }
};

// The reload clears the folder behind the indicator that LoadFolder shows; a click queued then
// is handled by the old button while the page title says "Loading...".
TEST_F(LifetimeTest, AClickQueuedDuringAReloadStartsNothing) {
    std::string marker = Marker("run", "now");
    Start();
    TColorButton* old = PageButtons().at(0);
    TRef<TShortcutRecord> clicked = old->Tag().As<TShortcutRecord>();
    ASSERT_TRUE(clicked.Get());
    int clicks = 0, launches = 0;
    bool inClick = false;
    old->OnClick = [&](TControl* sender) {
        ++clicks;
        inClick = true;
        frm->ButtonClick(sender);
        inClick = false;
    };
    bool queued = false;
    WorkingShown = [&](const std::string&) {
        if (inClick) ++launches;  // a launch shows the indicator before it starts the target
        if (!queued && Indicating("shortcuts")) {
            PostClick(old->Handle());
            queued = true;
        }
    };
    RootFolder->NeedsLoad = true;
    frm->LoadCurrentPage();
    ASSERT_TRUE(queued);
    EXPECT_EQ(clicks, 1) << "the click reached the button of the page being read";
    EXPECT_EQ(launches, 0);
    EXPECT_EQ(clicked.Get(), nullptr) << "its record was released by the reload";
    ASSERT_EQ(PageButtons().size(), 1u);
    EXPECT_EQ(PageButtons()[0]->Caption(), "run");
    EXPECT_FALSE(frmWorking);
}

// A launch shows the indicator, which lets a posted reload run; the target started is still the
// one clicked, with its own arguments.
TEST_F(LifetimeTest, AReloadDuringALaunchStartsTheShortcutClicked) {
    std::string alpha = Marker("alpha", "first");
    std::string beta = Marker("beta", "second");
    Start();
    TColorButton* button = PageButtons().at(0);
    ASSERT_EQ(button->Caption(), "alpha");
    TRef<TShortcutRecord> clicked = button->Tag().As<TShortcutRecord>();
    bool inClick = false;
    int reloadsInClick = 0;
    button->OnClick = [&](TControl* sender) {
        inClick = true;
        frm->ButtonClick(sender);
        inClick = false;
    };
    OnLine([&](const std::string& l) { reloadsInClick += inClick && l.rfind("TSB: LoadFolder ", 0) == 0; });
    RootFolder->NeedsLoad = true;
    PostClick(button->Handle());
    frm->PostLoadPage(RootFolder);
    Application().ProcessMessages();
    EXPECT_EQ(reloadsInClick, 1);
    EXPECT_EQ(clicked.Get(), nullptr) << "the clicked record was released while the launch went on";
    ASSERT_TRUE(WaitFor([&] { return ReadFile(alpha).find("cwd:") != std::string::npos; }, 10000));
    EXPECT_NE(ReadFile(alpha).find("arg:first\n"), std::string::npos) << ReadFile(alpha);
    EXPECT_FALSE(frmWorking);
}

// The menu's own loop lets a posted reload run; Delete then removes the file the menu was
// opened on, never one whose record took the released one's place.
TEST_F(LifetimeTest, MenusOpenAcrossAReloadActOnWhatTheyWereOpenedOn) {
    Link("a.lnk", "Alpha");
    Link("b.lnk", "Beta");
    MakeDir(root + "\\One");
    MakeDir(root + "\\Two");
    Start(true);
    bool reloaded = false, chosen = false;
    OnLine([&](const std::string& l) {
        if (l.rfind("TSB: LoadFolder ", 0) == 0) reloaded = true;
        // the end of the reload's display: the menu reads its keys next
        if (reloaded && !chosen && l == "TSB: TfrmMain.GetImageThumbnails") {
            PostMenuChoice(1);  // "&Delete" and "Delete"
            chosen = true;
        }
    });
    auto reloadWhileOpen = [&](TColorButton* button) {
        reloaded = chosen = false;
        RootFolder->NeedsLoad = true;
        TObjectRef record = button->Tag();
        RightClick(button, [&] { frm->PostLoadPage(RootFolder); });
        EXPECT_TRUE(chosen);
        EXPECT_EQ(record.Get(), nullptr) << "the menu's record was released while it was open";
    };

    TColorButton* alpha = PageButtons().at(0);
    ASSERT_EQ(alpha->Caption(), "Alpha");
    reloadWhileOpen(alpha);
    EXPECT_FALSE(Exists(root + "\\a.lnk"));
    EXPECT_TRUE(Exists(root + "\\b.lnk"));
    // The page follows the deleted link before the next menu is opened on it.
    ASSERT_TRUE(PumpUntil([&] { return PageButtons().size() == 1 && !frm->ChangeTimer.Enabled(); }));

    TColorButton* one = StripButtons().at(0);
    ASSERT_EQ(one->Caption(), "One");
    reloadWhileOpen(one);
    EXPECT_FALSE(Exists(root + "\\One"));
    EXPECT_TRUE(Exists(root + "\\Two"));
}

// The page's folder goes while LoadFolder's indicator lets messages through, before it clears
// the folder, and a new record takes its address: the read is dropped, the new record left as
// it was, and the home page shown.
TEST_F(LifetimeTest, AFolderRemovedWhileItIsReadIsLeftAlone) {
    Link("home.lnk", "Home Link");
    Start();
    MakeDir(root + "\\Games");
    Link("Games\\chess.lnk", "Chess");
    TFolderRecord* games = FolderAmidOthers("Games");
    Go(games);
    ASSERT_EQ(frm->PageTitlePanel->Caption(), "Games");
    TRef<TFolderRecord> read = games;
    games->NeedsLoad = true;
    const void* address = games;
    TFolderRecord* intruder = nullptr;
    bool removed = false;
    WorkingShown = [&](const std::string&) {
        if (removed || !Indicating("games")) return;
        RemoveTree(root + "\\Games");
        RemoveItem(LowerAZ(root + "\\Games"));  // as the folder monitor reports it
        removed = true;
        intruder = RecordAt(address, "Intruder");
    };
    frm->LoadCurrentPage();
    ASSERT_TRUE(removed);
    EXPECT_EQ(read.Get(), nullptr);
    ASSERT_TRUE(intruder) << "no record was made at the released address";
    ASSERT_EQ(RootFolder->Folders.size(), 1u);
    EXPECT_EQ(RootFolder->Folders[0].get(), intruder);
    EXPECT_TRUE(intruder->NeedsLoad) << "the read did not reach the record at the old address";
    EXPECT_FALSE(intruder->Changed);
    EXPECT_EQ(frm->CurrentPage, RootFolder);
    EXPECT_EQ(frm->PageTitlePanel->Caption(), "Home Page");
    ASSERT_EQ(PageButtons().size(), 1u);
    EXPECT_EQ(PageButtons()[0]->Caption(), "Home Link");
    EXPECT_FALSE(frm->HomeButton->Enabled());
    EXPECT_FALSE(frmWorking);
}

// A page load posted for a folder that was then removed, and a new record made at the released
// record's address and put in the tree: the posted reference must not reach it.
TEST_F(LifetimeTest, APostedPageDoesNotReachARecordAtItsOldAddress) {
    Start();
    MakeDir(root + "\\Games");
    TFolderRecord* games = FolderAmidOthers("Games");
    const void* address = games;
    TRef<TFolderRecord> posted = games;
    frm->PostLoadPage(posted);
    RemoveItem(games->Path);
    ASSERT_TRUE(RecordAt(address, "Intruder")) << "no record was made at the released address";
    int loads = Lines("TSB: WMLoadPage"), displays = Lines("TSB: TfrmMain.LoadCurrentPage");
    Application().ProcessMessages();
    EXPECT_EQ(Lines("TSB: WMLoadPage"), loads + 1) << "the posted load arrived";
    EXPECT_EQ(Lines("TSB: TfrmMain.LoadCurrentPage"), displays) << "and was dropped";
    EXPECT_EQ(posted.Get(), nullptr);
    EXPECT_EQ(frm->CurrentPage, RootFolder);
    EXPECT_EQ(frm->PageTitlePanel->Caption(), "Home Page");
}
