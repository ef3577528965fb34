// The search across pages on real folders and real links.
#include <string>
#include <vector>

#include "framework/core/Text.h"
#include "framework/win/Application.h"
#include "pages/DataObject.h"
#include "pages/WorkingFormUnit.h"
#include "win/MainFormFixture.h"
#include "win/PageTreeFixture.h"
#include "win/WinTestMain.h"

using namespace tsb;
using namespace tsbtest;

class Search : public PageTreeTest {
protected:
    Search() : PageTreeTest("tsbfind") {}
    std::vector<std::string> shows;  // title and detail line of every show of the indicator

    void SetUp() override {
        PageTreeTest::SetUp();
        WorkingShown = [this](const std::string& title) {
            shows.push_back(title + " " + frmWorking->txtMessage->Caption());
        };
    }
    void TearDown() override {
        WorkingShown = nullptr;
        PageTreeTest::TearDown();
    }
    void Folder(const std::string& rel) { MakeDir(root + "\\" + rel); }
    void LoadRoot() { LoadFolder(RootFolder, RootFolder->Path, nullptr); }
    // The path of what a search from start finds, relative to the home folder; "" for nothing.
    std::string Find(const std::wstring& text, TObjectRef start, unsigned options = 0) {
        TObjectRef found;
        bool ok = FindNextItem(text, options, start, found);
        EXPECT_EQ(ok, !found.Empty());
        EXPECT_FALSE(frmWorking) << "the indicator is hidden when the search ends";
        if (auto* s = found.As<TShortcutRecord>()) return "sr:" + s->Path.substr(RootFolder->Path.size());
        if (auto* f = found.As<TFolderRecord>()) return "fr:" + f->Path.substr(RootFolder->Path.size());
        return "";
    }
};

TEST_F(Search, OnlyTheHomePageFindsItsFirstMatchEveryTime) {
    Link("Alpha mail.lnk");
    Link("Beta mail.lnk");
    LoadRoot();
    std::string first = Find(L"mail", RootFolder);
    EXPECT_EQ(first, "sr:\\alpha mail.lnk");
    TObjectRef again = RootFolder->Shortcuts[0].get();
    EXPECT_EQ(Find(L"mail", again), first);
    EXPECT_EQ(Find(L"mail", RootFolder->Shortcuts[1].get()), first);
}

TEST_F(Search, NextSearchGoesOnAfterTheFoundPage) {
    Folder("Games");
    Folder("Games\\Arcade");
    Folder("Music");
    Link("Games\\Chess one.lnk");
    Link("Games\\Chess two.lnk");
    Link("Games\\Arcade\\Chess three.lnk");
    Link("Music\\Chess song.lnk");
    LoadRoot();
    std::string first = Find(L"chess", RootFolder);
    EXPECT_EQ(first, "sr:\\games\\chess one.lnk");
    // From the shortcut found (its page now on show): "Chess two" beside it is not returned.
    TFolderRecord* games = RootFolder->Folders[0].get();
    EXPECT_EQ(Find(L"chess", games->Shortcuts[0].get()), "sr:\\games\\arcade\\chess three.lnk");
    TFolderRecord* arcade = games->Folders[0].get();
    EXPECT_EQ(Find(L"chess", arcade->Shortcuts[0].get()), "sr:\\music\\chess song.lnk");
    // After the last folder of the tree the walk ends: it never comes back to earlier pages.
    TFolderRecord* music = RootFolder->Folders[1].get();
    EXPECT_EQ(Find(L"chess", music), "");
}

TEST_F(Search, TheHomePagesOwnSubFolderNamesAreNotCompared) {
    Folder("Games");
    Folder("Music");
    LoadRoot();
    EXPECT_EQ(Find(L"music", RootFolder), "");
    // One level further down names are compared.
    Folder("Games\\Music box");
    RootFolder->NeedsLoad = true;
    LoadRoot();
    EXPECT_EQ(Find(L"music", RootFolder), "fr:\\games\\music box");
}

TEST_F(Search, AFolderTwoLevelsDownIsFoundBeforeItsContents) {
    Folder("A");
    Folder("A\\B");
    Folder("A\\B\\Target folder");
    Link("A\\B\\Target folder\\Target link.lnk");
    LoadRoot();
    EXPECT_EQ(Find(L"target", RootFolder), "fr:\\a\\b\\target folder");
    // The folder found is read, its contents not yet compared: they come on the next search.
    TFolderRecord* found = RootFolder->Folders[0]->Folders[0]->Folders[0].get();
    EXPECT_FALSE(found->NeedsLoad);
    EXPECT_EQ(Find(L"target", found), "");  // no sub-folder, nothing after it: its own shortcuts are not searched
    EXPECT_EQ(Find(L"target", RootFolder->Folders[0].get()), "fr:\\a\\b\\target folder");
}

TEST_F(Search, HeadersAreComparedAsStoredMarkupIncluded) {
    Folder("A");
    Folder("A\\Plain");
    Folder("A\\Holidays");
    WriteFile(root + "\\A\\Holidays\\page-header.rtf", "{\\rtf1\\ansi Summer in Provence}");
    LoadRoot();
    EXPECT_EQ(Find(L"provence", RootFolder), "fr:\\a\\holidays");
    EXPECT_EQ(Find(L"rtf", RootFolder), "fr:\\a\\holidays");
}

TEST_F(Search, MatchCaseOnAndOff) {
    Folder("A");
    Link("A\\mail.lnk");
    Link("A\\Ärger.lnk");
    LoadRoot();
    EXPECT_EQ(Find(L"Mail", RootFolder, SearchMatchCase), "");
    EXPECT_EQ(Find(L"Mail", RootFolder), "sr:\\a\\mail.lnk");
    EXPECT_EQ(Find(L"MAIL", RootFolder), "sr:\\a\\mail.lnk");
    // Every letter is folded, not only A-Z.
    EXPECT_EQ(Find(L"\u00e4RGER", RootFolder), "sr:\\a\\\xc3\x84rger.lnk");
    EXPECT_EQ(Find(L"\u00e4rger", RootFolder, SearchMatchCase), "");
    // Letters the language rules leave unfolded (here Deseret, beyond the 16-bit range) still
    // meet where the system's own lower-case mapping makes them meet.
    Link("A\\\xf0\x90\x90\xa8.lnk");
    LoadRoot();
    EXPECT_EQ(Find(L"\U00010400", RootFolder), "sr:\\a\\\xf0\x90\x90\xa8.lnk");
}

TEST_F(Search, EmptyTextFindsNothing) {
    Link("Anything.lnk");
    LoadRoot();
    EXPECT_EQ(Find(L"", RootFolder), "");
}

TEST_F(Search, TheIndicatorSaysSearchingThenNamesEachFolderRead) {
    Folder("Games");
    Folder("Games\\Arcade");
    Link("Games\\Arcade\\Pinball.lnk");
    LoadRoot();
    shows.clear();
    EXPECT_EQ(Find(L"pinball", RootFolder), "sr:\\games\\arcade\\pinball.lnk");
    EXPECT_EQ(shows, (std::vector<std::string>{"Working... Searching...", "Loading... games", "Loading... arcade"}));
    // A second search reads nothing again.
    shows.clear();
    EXPECT_EQ(Find(L"pinball", RootFolder), "sr:\\games\\arcade\\pinball.lnk");
    EXPECT_EQ(shows, (std::vector<std::string>{"Working... Searching..."}));
}

TEST_F(Search, AFolderRemovedAheadOfTheWalkIsPassedOver) {
    Folder("A");
    Folder("B");
    Folder("C");
    Link("B\\Needle one.lnk");
    Link("C\\Needle two.lnk");
    LoadRoot();
    std::string b = RootFolder->Folders[1]->Path;
    // While the walk reads A, the messages let through take B out of the tree.
    WorkingShown = [&](const std::string& title) {
        if (title == "Loading..." && frmWorking->txtMessage->Caption() == "a") RemoveItem(b);
    };
    EXPECT_EQ(Find(L"needle", RootFolder), "sr:\\c\\needle two.lnk");
}

TEST_F(Search, TheFolderTheWalkIsInRemovedItGoesOnAfterIt) {
    Folder("A");
    Folder("A\\Inner");
    Folder("B");
    Link("B\\Needle.lnk");
    LoadRoot();
    std::string a = RootFolder->Folders[0]->Path;
    // While the walk reads below A, the messages let through take A out of the tree.
    WorkingShown = [&](const std::string& title) {
        if (title == "Loading..." && frmWorking->txtMessage->Caption() == "inner") RemoveItem(a);
    };
    EXPECT_EQ(Find(L"needle", RootFolder), "sr:\\b\\needle.lnk");
}

TEST_F(Search, ASubFolderRemovedWhileItIsReadIsPassedOver) {
    Folder("A");
    Folder("A\\Inner1");
    Folder("A\\Inner2");
    Link("A\\Inner2\\Needle.lnk");
    LoadRoot();
    std::string inner1 = LowerAZ(root + "\\A\\Inner1");
    WorkingShown = [&](const std::string& title) {
        if (title == "Loading..." && frmWorking->txtMessage->Caption() == "inner1") RemoveItem(inner1);
    };
    EXPECT_EQ(Find(L"needle", RootFolder), "sr:\\a\\inner2\\needle.lnk");
}

TEST_F(Search, InputWaitsWhileTheWalkRuns) {
    TForm other({.className = "TSearchOther", .clientWidth = 100, .clientHeight = 100});
    other.ShowForm();
    Folder("A");
    LoadRoot();
    bool enabledDuringWalk = true, busyDuringWalk = false;
    WorkingShown = [&](const std::string& title) {
        if (title != "Loading...") return;
        enabledDuringWalk = IsWindowEnabled(other.Handle()) != FALSE;
        busyDuringWalk = PageTreeBusy();
    };
    Find(L"x", RootFolder);
    EXPECT_FALSE(enabledDuringWalk);
    EXPECT_TRUE(busyDuringWalk);
    EXPECT_TRUE(IsWindowEnabled(other.Handle()));
    EXPECT_FALSE(PageTreeBusy());
}

class SearchFromMainWindow : public MainFormTest {};

// A display asked for during the walk (a posted page load, the idle return home) would read the
// folders under it: it waits for the change timer's tick after the walk.
TEST_F(SearchFromMainWindow, ADisplayAskedForMeanwhileLeavesTheTreeAlone) {
    MakeDir(root + "\\A");
    MakeDir(root + "\\A\\Deep");
    Link("A\\Deep\\Needle.lnk");
    Start(true);
    TFolderRecord* a = RootFolder->Folders[0].get();
    TRef<TFolderRecord> aRef = a;
    frm->ChangeTimer.SetEnabled(false);
    WorkingShown = [&](const std::string& title) {
        if (title != "Loading...") return;
        RootFolder->NeedsLoad = true;  // as a Reload would leave it
        frm->CurrentPage = RootFolder;
        frm->LoadCurrentPage();
    };
    TObjectRef found;
    RootFolder->Changed = false;  // so that only the deferred change can set it again
    ASSERT_TRUE(FindNextItem(L"needle", 0, RootFolder, found));
    WorkingShown = nullptr;
    EXPECT_TRUE(aRef.Get()) << "the folder under the walk was not read again";
    EXPECT_TRUE(found.As<TShortcutRecord>());
    EXPECT_TRUE(frm->ChangeTimer.Enabled());
    EXPECT_TRUE(RootFolder->Changed);
}
