// The page tree on real folders and real links.
#include "pages/DataObject.h"

#include "framework/core/Text.h"
#include "framework/win/Convert.h"
#include "framework/win/Debug.h"
#include "pages/WorkingFormUnit.h"
#include "win/PageTreeFixture.h"

using namespace tsb;
using namespace tsbtest;

class PageTree : public PageTreeTest {
protected:
    PageTree() : PageTreeTest("tsbtree") {}
    static std::vector<std::string> Names(const TFolderRecord* f) {
        std::vector<std::string> out;
        for (auto& s : f->Shortcuts) out.push_back(s->Name);
        return out;
    }
    static std::vector<std::string> FolderNames(const TFolderRecord* f) {
        std::vector<std::string> out;
        for (auto& s : f->Folders) out.push_back(s->Name);
        return out;
    }
    void Load(TFolderRecord* f) { LoadFolder(f, f->Path, nullptr); }
};

TEST_F(PageTree, EmptyFolderLoadsAndFlagsFollowTheTable) {
    EXPECT_EQ(RootFolder->Name, "Home Page");
    EXPECT_EQ(RootFolder->Path, LowerAZ(root));
    EXPECT_TRUE(RootFolder->NeedsLoad);
    RootFolder->Changed = false;
    std::vector<std::string> lines;
    SetDebugHook([&](const std::string& l) { lines.push_back(l); });
    Load(RootFolder);
    SetDebugHook(nullptr);
    EXPECT_EQ(lines, (std::vector<std::string>{"TSB: LoadFolder " + LowerAZ(root)}));
    EXPECT_FALSE(RootFolder->NeedsLoad);
    EXPECT_TRUE(RootFolder->Changed);
    EXPECT_TRUE(RootFolder->Folders.empty());
    EXPECT_TRUE(RootFolder->Shortcuts.empty());
    ASSERT_TRUE(frmWorking);
    EXPECT_EQ(frmWorking->txtMessage->Caption(), "shortcuts");  // the loader leaves the indicator up
}

TEST_F(PageTree, WhatBecomesPartOfThePage) {
    for (const char* sub : {"Games", "hidden", "system", ".dot", "Music"}) MakeDir(root + "\\" + sub);
    SetFileAttributesA((root + "\\hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((root + "\\system").c_str(), FILE_ATTRIBUTE_SYSTEM);
    Link("Mail.lnk");
    Link("Post.LNK");
    Link("report.lnk", "Report.lnk");
    Link("secret.lnk", "Secret");
    SetFileAttributesA((root + "\\secret.lnk").c_str(), FILE_ATTRIBUTE_HIDDEN);
    Link(".dotted.lnk", "Dotted");
    WriteFile(root + "\\empty.lnk", "");
    WriteFile(root + "\\garbage.lnk", std::string(100, 'g'));
    WriteFile(root + "\\readme.txt", "not a shortcut");
    Load(RootFolder);
    EXPECT_EQ(FolderNames(RootFolder), (std::vector<std::string>{"Games", "Music"}));
    EXPECT_EQ(Names(RootFolder), (std::vector<std::string>{"Mail", "Post.LNK", "Report", "Secret"}));
    TFolderRecord* games = RootFolder->Folders[0].get();
    EXPECT_EQ(games->Path, LowerAZ(root) + "\\games");
    EXPECT_TRUE(games->NeedsLoad);
    EXPECT_FALSE(games->Changed);
    EXPECT_EQ(games->Parent, RootFolder);
    EXPECT_EQ(RootFolder->Shortcuts[0]->Path, LowerAZ(root + "\\Mail.lnk"));
    EXPECT_EQ(RootFolder->Shortcuts[0]->IconFile, LowerAZ(target));
    EXPECT_EQ(RootFolder->Shortcuts[0]->Parent, RootFolder);
}

TEST_F(PageTree, SortingFoldsOnlyAToZAndKeepsEqualNamesInListingOrder) {
    for (const char* sub : {"zoo", "\xC3\x89" "cran", "Alpha", "beta"}) MakeDir(root + "\\" + sub);
    Link("a.lnk", "notes");
    Link("b.lnk", "Notes");
    Link("c.lnk", "NOTES");
    Load(RootFolder);
    EXPECT_EQ(FolderNames(RootFolder), (std::vector<std::string>{"Alpha", "beta", "zoo", "\xC3\x89" "cran"}));
    EXPECT_EQ(Names(RootFolder), (std::vector<std::string>{"notes", "Notes", "NOTES"}));
}

TEST_F(PageTree, LinkPathsOf260CharactersLoadAnd261DoNot) {
    std::string base = root + "\\";
    auto nameOfLength = [&](size_t total) { return std::string(total - base.size() - 4, 'n') + ".lnk"; };
    ASSERT_LT(base.size() + 10, 250u);
    Link(nameOfLength(260));
    Link(nameOfLength(261));
    Link("short.lnk");
    if (FilesIn(root, "*.lnk").size() != 3) GTEST_SKIP() << "this file system refuses the long names";
    Load(RootFolder);
    ASSERT_EQ(RootFolder->Shortcuts.size(), 2u);
    EXPECT_EQ(RootFolder->Shortcuts[0]->Path.size(), 260u);
}

TEST_F(PageTree, PageHeaderIsKeptWhenItsFileGoes) {
    WriteFile(root + "\\page-header.rtf", "{\\rtf1 Hello}\nsecond\rthird");
    Load(RootFolder);
    EXPECT_EQ(RootFolder->HeaderText, L"{\\rtf1 Hello}\r\nsecond\r\nthird\r\n");
    DeleteFileA((root + "\\page-header.rtf").c_str());
    Load(RootFolder);
    EXPECT_EQ(RootFolder->HeaderText, L"{\\rtf1 Hello}\r\nsecond\r\nthird\r\n");
}

TEST_F(PageTree, LazyLoadingAndFindFolderByPath) {
    MakeDir(root + "\\Games");
    MakeDir(root + "\\Games\\Cards");
    Load(RootFolder);
    EXPECT_EQ(FindFolderByPath(root + "\\GAMES"), RootFolder->Folders[0].get());
    EXPECT_EQ(FindFolderByPath(root + "\\games\\cards"), nullptr) << "its parent was never loaded";
    Load(RootFolder->Folders[0].get());
    EXPECT_NE(FindFolderByPath(root + "\\games\\cards"), nullptr);
    EXPECT_EQ(FindFolderByPath(root + "\\nothing"), nullptr);
}

TEST_F(PageTree, ReferencesToReleasedRecordsResolveToNothing) {
    MakeDir(root + "\\Games");
    MakeDir(root + "\\Games\\Cards");
    Link("mail.lnk");
    Load(RootFolder);
    TRef<TFolderRecord> games = RootFolder->Folders[0].get();
    TRef<TShortcutRecord> mail = RootFolder->Shortcuts[0].get();
    Load(games.Get());
    TRef<TFolderRecord> cards = games.Get()->Folders[0].get();
    EXPECT_EQ(cards.Get()->Name, "Cards");
    RemoveItem(LowerAZ(root + "\\games"));
    EXPECT_EQ(games.Get(), nullptr);  // a posted page load for it must be dropped
    EXPECT_EQ(cards.Get(), nullptr) << "and everything below it went too";
    EXPECT_EQ(mail.Get(), RootFolder->Shortcuts[0].get());
    TRef<TFolderRecord> home = RootFolder;
    Load(RootFolder);  // read again: the records below are new, the folder's own stays
    EXPECT_EQ(mail.Get(), nullptr);
    ASSERT_EQ(RootFolder->Shortcuts.size(), 1u);
    EXPECT_FALSE(TRef<TShortcutRecord>(RootFolder->Shortcuts[0].get()) == mail);
    EXPECT_EQ(home.Get(), RootFolder);
}

TEST_F(PageTree, VanishedFolderLoadsEmpty) {
    MakeDir(root + "\\Gone");
    Load(RootFolder);
    TFolderRecord* gone = RootFolder->Folders[0].get();
    RemoveDirectoryA((root + "\\Gone").c_str());
    Load(gone);
    EXPECT_FALSE(gone->NeedsLoad);
    EXPECT_TRUE(gone->Shortcuts.empty());
}

TEST_F(PageTree, RenamedFolderMovesItsPagesAndShortcuts) {
    MakeDir(root + "\\Games");
    MakeDir(root + "\\Games\\Cards");
    MakeDir(root + "\\Music");
    MakeLink(root + "\\Games\\chess.lnk", {target, "", "Chess", "", ""});
    Load(RootFolder);
    TFolderRecord* games = RootFolder->Folders[0].get();
    Load(games);
    Load(games->Folders[0].get());
    ASSERT_TRUE(MoveFileA((root + "\\Games").c_str(), (root + "\\Zebra Games").c_str()));
    RootFolder->Changed = games->Changed = false;
    RenameItem(LowerAZ(root + "\\Games"), root + "\\Zebra Games");
    EXPECT_EQ(games->Name, "Zebra Games");
    EXPECT_EQ(games->Path, LowerAZ(root + "\\Zebra Games"));
    EXPECT_TRUE(games->Changed);
    EXPECT_TRUE(RootFolder->Changed);
    EXPECT_FALSE(games->NeedsLoad);
    TFolderRecord* cards = games->Folders[0].get();
    EXPECT_EQ(cards->Path, LowerAZ(root + "\\Zebra Games\\Cards"));
    EXPECT_TRUE(cards->NeedsLoad);
    EXPECT_EQ(games->Shortcuts[0]->Path, LowerAZ(root + "\\Zebra Games\\chess.lnk"));
    EXPECT_EQ(FolderNames(RootFolder), (std::vector<std::string>{"Music", "Zebra Games"}));
}

TEST_F(PageTree, RenamedShortcutTakesItsNewName) {
    Link("old.lnk");
    Link("zz.lnk", "Described");
    Load(RootFolder);
    MoveFileA((root + "\\old.lnk").c_str(), (root + "\\New.lnk").c_str());
    RootFolder->Changed = false;
    RenameItem(LowerAZ(root + "\\old.lnk"), root + "\\New.lnk");
    EXPECT_EQ(Names(RootFolder), (std::vector<std::string>{"Described", "New"}));
    EXPECT_EQ(RootFolder->Shortcuts[1]->Path, LowerAZ(root + "\\New.lnk"));
    EXPECT_TRUE(RootFolder->Changed);
    RenameItem(LowerAZ(root + "\\nothing.lnk"), root + "\\still-nothing.lnk");  // nothing there: no change
    EXPECT_EQ(Names(RootFolder).size(), 2u);
}

TEST_F(PageTree, RemoveNeedsTheExactPath) {
    MakeDir(root + "\\games");
    MakeDir(root + "\\games2");
    Link("mail.lnk");
    Load(RootFolder);
    TFolderRecord* games2 = RootFolder->Folders[1].get();
    RootFolder->Changed = false;
    RemoveItem(LowerAZ(root + "\\games"));
    ASSERT_EQ(RootFolder->Folders.size(), 1u);
    EXPECT_EQ(RootFolder->Folders[0].get(), games2);
    EXPECT_TRUE(RootFolder->Changed);
    RemoveItem(LowerAZ(root + "\\mail.lnk"));
    EXPECT_TRUE(RootFolder->Shortcuts.empty());
    RemoveItem(LowerAZ(root + "\\unknown"));
    EXPECT_EQ(RootFolder->Folders.size(), 1u);
}

TEST_F(PageTree, MarksOnChangedAndAddedItems) {
    MakeDir(root + "\\Games");
    Load(RootFolder);
    TFolderRecord* games = RootFolder->Folders[0].get();
    Load(games);
    MakeLink(root + "\\Games\\new.lnk", {target, "", "", "", ""});
    MarkItemAdded(LowerAZ(root + "\\games\\new.lnk"));
    EXPECT_TRUE(games->NeedsLoad);
    EXPECT_FALSE(RootFolder->NeedsLoad);
    Load(games);
    MarkFileChanged(LowerAZ(root + "\\games\\new.lnk"));
    EXPECT_TRUE(games->NeedsLoad);
    EXPECT_TRUE(RootFolder->NeedsLoad);
    Load(RootFolder);
    MarkFileChanged(LowerAZ(root + "\\games"));  // a folder: nothing
    MarkItemAdded(LowerAZ(root + "\\ghost.lnk"));  // nothing there: nothing
    EXPECT_FALSE(RootFolder->NeedsLoad);
}

TEST_F(PageTree, RootStaysValidWhenItsFolderGoes) {
    Link("mail.lnk");
    Load(RootFolder);
    TRef<TFolderRecord> before = RootFolder;
    RemoveItem(LowerAZ(root));
    EXPECT_EQ(before.Get(), RootFolder);
    EXPECT_TRUE(RootFolder->Shortcuts.empty());
    EXPECT_TRUE(RootFolder->NeedsLoad);
    EXPECT_EQ(RootFolder->Path, LowerAZ(root));
    RenameFolder(LowerAZ(root), dir / "elsewhere");
    EXPECT_EQ(RootFolder->Path, LowerAZ(root)) << "the home page stays beside the program";
    EXPECT_EQ(RootFolder->Name, "Home Page");
    InitRootFolder(root);  // made again at a restart of the main window: the same record
    EXPECT_EQ(before.Get(), RootFolder);
    DoneRootFolder();
    EXPECT_EQ(RootFolder, nullptr);
    EXPECT_EQ(before.Get(), nullptr) << "released at the end";
}

TEST_F(PageTree, FailingExpansionEndsTheLoadAndKeepsNeedsLoad) {
    std::string big(20000, 'v');
    SetEnvironmentVariableA("TSB_BIG", big.c_str());
    Link("a-good.lnk", "Good");
    TShellLinkInfo info;
    MakeLink(root + "\\b-bad.lnk", {target, "", "Bad", "", "%TSB_BIG%%TSB_BIG%.ico"});
    EXPECT_THROW(Load(RootFolder), std::exception);
    SetEnvironmentVariableA("TSB_BIG", nullptr);
    EXPECT_TRUE(RootFolder->NeedsLoad);
    ASSERT_EQ(RootFolder->Shortcuts.size(), 1u) << "the shortcut read before the failing one stays";
    EXPECT_EQ(RootFolder->Shortcuts[0]->Name, "Good");
}
