// The bulk creation of shortcuts on real folders, with real links and real message boxes.
#include <algorithm>
#include <string>
#include <vector>

#include "creation/BulkCreation.h"
#include "framework/core/Text.h"
#include "framework/win/Debug.h"
#include "framework/win/Errors.h"
#include "pages/WorkingFormUnit.h"
#include "win/DialogAnswerer.h"
#include "win/WinTestMain.h"

using namespace tsb;
using namespace tsbtest;

class BulkCreation : public WinTest {
protected:
    TempFolder dir{"tsbbulk"};
    std::string src = dir / "Source";
    std::string dest = dir / "menu";
    std::vector<std::string> shows;

    void SetUp() override {
        MakeDir(src);
        MakeDir(dest);
        WorkingShown = [this](const std::string& title) {
            shows.push_back(title + " " + frmWorking->txtMessage->Caption());
        };
    }
    void TearDown() override {
        WorkingShown = nullptr;
        HideWorking();
    }
    void File(const std::string& rel, const std::string& data = "data") { WriteFile(src + "\\" + rel, data); }
    bool Run(const std::string& patterns, bool sub = false, bool maintain = true, int mode = owAlways,
             bool page = false, const std::string& name = "") {
        run = TCreateShortcutsRun();
        return run.Run(src, patterns, dest, sub, maintain, mode, page, name);
    }
    std::vector<std::string> Links(const std::string& rel = "") {
        auto names = FilesIn(rel.empty() ? dest : dest + "\\" + rel, "*.lnk");
        std::sort(names.begin(), names.end());
        return names;
    }
    TCreateShortcutsRun run;
};

TEST_F(BulkCreation, AnEmptyPatternTakesEveryFileButTheSkippedOnes) {
    File("report.docx");
    File("photo.jpg");
    File("empty.txt", "");
    File("Thumbs.db");
    File("DESKTOP.INI");
    MakeDir(src + "\\folder.txt");
    EXPECT_TRUE(Run(""));
    EXPECT_EQ(Links(), (std::vector<std::string>{"photo.jpg.lnk", "report.docx.lnk"}));
    LinkSpec link = ReadLink(dest + "\\report.docx.lnk");
    EXPECT_TRUE(SameTextAZ(link.target, src + "\\report.docx")) << link.target;
    EXPECT_EQ(link.description, "report.docx");
    EXPECT_TRUE(IsSkippedFile("tHuMbS.dB"));
    EXPECT_FALSE(IsSkippedFile("thumbs.db.bak"));
}

TEST_F(BulkCreation, NeverStopsAtTheFirstExistingShortcutAndSaysSo) {
    for (const char* f : {"a.txt", "b.txt", "c.txt", "d.txt"}) File(f);
    WriteFile(dest + "\\c.txt.lnk", "already here");
    EXPECT_FALSE(Run("*.txt", false, true, owNever));
    EXPECT_EQ(Links(), (std::vector<std::string>{"a.txt.lnk", "b.txt.lnk", "c.txt.lnk"}));
    EXPECT_EQ(ReadFile(dest + "\\c.txt.lnk"), "already here");
    EXPECT_NE(run.StopMessage.find("c.txt.lnk"), std::string::npos) << run.StopMessage;
}

TEST_F(BulkCreation, AlwaysReplacesAnExistingShortcut) {
    File("a.txt");
    WriteFile(dest + "\\a.txt.lnk", "old");
    EXPECT_TRUE(Run("*.txt"));
    EXPECT_EQ(ReadLink(dest + "\\a.txt.lnk").description, "a.txt");
}

// An old link that cannot be removed stays as it was and is counted as not written, never as
// a new one.
TEST_F(BulkCreation, AnOldLinkThatCannotBeReplacedIsCountedAsFailed) {
    File("a.txt");
    File("b.txt");
    std::string old = dest + "\\a.txt.lnk";
    WriteFile(old, "old");
    SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(Run("*.txt"));
    SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFile(old), "old");
    EXPECT_EQ(run.Failed, 1);
    EXPECT_EQ(run.Created, 1) << "b.txt.lnk only";
}

TEST_F(BulkCreation, PromptNoSkipsOneFile) {
    for (const char* f : {"a.txt", "b.txt", "c.txt"}) File(f);
    WriteFile(dest + "\\a.txt.lnk", "old a");
    WriteFile(dest + "\\b.txt.lnk", "old b");
    bool result = false;
    auto boxes = AnswerBoxes({IDNO, IDYES}, [&] { result = Run("*.txt", false, true, owPrompt); });
    EXPECT_TRUE(result);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Overwrite a.txt?");
    EXPECT_EQ(boxes[1].text, "Overwrite b.txt?");
    EXPECT_EQ(ReadFile(dest + "\\a.txt.lnk"), "old a");
    EXPECT_EQ(ReadLink(dest + "\\b.txt.lnk").description, "b.txt");
    EXPECT_EQ(ReadLink(dest + "\\c.txt.lnk").description, "c.txt");
}

TEST_F(BulkCreation, PromptCancelStopsEverythingIncludingLaterPatternsAndSubFolders) {
    File("a.txt");
    File("b.txt");
    File("z.doc");
    MakeDir(src + "\\Sub");
    File("Sub\\s.txt");
    WriteFile(dest + "\\a.txt.lnk", "old a");
    bool result = true;
    auto boxes = AnswerBoxes({IDCANCEL}, [&] { result = Run("*.txt;*.doc", true, true, owPrompt); });
    EXPECT_FALSE(result);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(Links(), (std::vector<std::string>{"a.txt.lnk"}));
    EXPECT_FALSE(Exists(dest + "\\Sub"));
    EXPECT_NE(run.StopMessage.find("a.txt"), std::string::npos);
}

TEST_F(BulkCreation, MaintainStructureMirrorsTheTreeAndNamesEachFolder) {
    File("top.txt");
    MakeDir(src + "\\Letters");
    MakeDir(src + "\\Letters\\Old");
    File("Letters\\l.txt");
    File("Letters\\Old\\o.txt");
    MakeDir(src + "\\Hidden");
    File("Hidden\\h.txt");
    SetFileAttributesA((src + "\\Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(Run("*.txt", true, true));
    EXPECT_EQ(Links(), (std::vector<std::string>{"top.txt.lnk"}));
    EXPECT_EQ(Links("Letters"), (std::vector<std::string>{"l.txt.lnk"}));
    EXPECT_EQ(Links("Letters\\Old"), (std::vector<std::string>{"o.txt.lnk"}));
    EXPECT_FALSE(Exists(dest + "\\Hidden"));
    EXPECT_EQ(shows, (std::vector<std::string>{"Working... Source", "Working... Letters", "Working... Old"}));
}

TEST_F(BulkCreation, FlattenPutsTheTreeInOneFolderWhereSameNamesMeetTheOverwriteRule) {
    MakeDir(src + "\\A");
    MakeDir(src + "\\B");
    File("A\\same.txt");
    File("B\\same.txt");
    File("B\\other.txt");
    EXPECT_TRUE(Run("*.txt", true, false, owAlways));
    EXPECT_EQ(Links(), (std::vector<std::string>{"other.txt.lnk", "same.txt.lnk"}));
    EXPECT_TRUE(SameTextAZ(ReadLink(dest + "\\same.txt.lnk").target, src + "\\B\\same.txt"));
    RemoveTree(dest);
    MakeDir(dest);
    EXPECT_FALSE(Run("*.txt", true, false, owNever));  // B's same.txt meets A's shortcut
    EXPECT_TRUE(SameTextAZ(ReadLink(dest + "\\same.txt.lnk").target, src + "\\A\\same.txt"));
}

TEST_F(BulkCreation, CreatePageWithAnEmptyNameTakesTheSourceFoldersName) {
    File("a.txt");
    EXPECT_TRUE(Run("", false, true, owAlways, true, ""));
    EXPECT_EQ(Links("Source"), (std::vector<std::string>{"a.txt.lnk"}));
}

TEST_F(BulkCreation, ASourceEndingInADelimiterGivesNoPageName) {
    File("a.txt");
    src += "\\";
    EXPECT_TRUE(Run("", false, true, owAlways, true, ""));
    EXPECT_EQ(Links(), (std::vector<std::string>{"a.txt.lnk"}));
    EXPECT_TRUE(SameTextAZ(ReadLink(dest + "\\a.txt.lnk").target, dir / "Source\\a.txt"));
}

TEST_F(BulkCreation, APageNameThatLeavesTheDestinationIsRefusedBeforeAnythingIsWritten) {
    File("a.txt");
    for (const char* bad : {"..", "..\\outside", "c:\\elsewhere", "a/b"}) {
        EXPECT_THROW(Run("", false, true, owAlways, true, bad), EError) << bad;
    }
    // A name taken from the source keeps the same rule.
    MakeDir(src + "\\inner");
    src += "\\inner\\..";
    EXPECT_THROW(Run("", false, true, owAlways, true, ""), EError);
    EXPECT_TRUE(FilesIn(dir.Path(), "*.lnk").empty());
    EXPECT_TRUE(Links().empty());
}

// A source folder that holds the destination (the defaults take "C:\" with every file and
// sub-folder) must not feed the run its own shortcuts.
TEST_F(BulkCreation, ASourceThatHoldsTheDestinationDoesNotWalkIt) {
    src = dir.Path();
    dest = dir / "menu\\shortcuts";
    MakeDir(dest);
    File("doc.txt");
    WriteFile(dest + "\\existing.lnk", "x");
    EXPECT_TRUE(Run("", true, true, owAlways, true, "Page"));
    EXPECT_EQ(Links("Page"), (std::vector<std::string>{"doc.txt.lnk"}));
    // The menu folder itself is mirrored, but not the page being written nor below it.
    EXPECT_EQ(Links("Page\\menu\\shortcuts"), (std::vector<std::string>{"existing.lnk.lnk"}));
    EXPECT_FALSE(Exists(dest + "\\Page\\menu\\shortcuts\\Page"));
}

TEST_F(BulkCreation, TheSourceFolderAsItsOwnDestinationTakesOnlyWhatWasThere) {
    dest = src;
    File("a.txt");
    File("b.txt");
    EXPECT_TRUE(Run("", false, true, owNever));
    EXPECT_EQ(Links(), (std::vector<std::string>{"a.txt.lnk", "b.txt.lnk"}));
}

TEST_F(BulkCreation, AFileFoundByTwoPatternsIsHandledOnce) {
    File("report.doc");
    File("notes.txt");
    EXPECT_TRUE(Run("*.doc;*.*", false, true, owNever)) << run.StopMessage;
    EXPECT_EQ(Links(), (std::vector<std::string>{"notes.txt.lnk", "report.doc.lnk"}));
    EXPECT_EQ(run.Created, 2);
}

TEST_F(BulkCreation, ALinkPastThePathLimitIsSkippedWithADebugLine) {
    std::string longName = std::string(200, 'n') + ".txt";
    std::string deep = dest + "\\" + std::string(260 - dest.size() - 1 - 40, 'd');
    MakeDir(deep);
    File(longName);
    File("short.txt");
    dest = deep;
    std::vector<std::string> lines;
    SetDebugHook([&](const std::string& l) { lines.push_back(l); });
    bool result = Run("*.txt");
    SetDebugHook(nullptr);
    EXPECT_TRUE(result);
    EXPECT_EQ(Links(), (std::vector<std::string>{"short.txt.lnk"}));
    EXPECT_EQ(run.Failed, 1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(StartsWith(lines[0], "TSB: CreateOneShortcut Path too long: " + dest + "\\nnn")) << lines[0];
}

TEST_F(BulkCreation, ADestinationThatCannotBeWrittenIsCountedNotReportedAsDone) {
    File("a.txt");
    WriteFile(dir / "blocker", "a file where the folder would be");
    dest = dir / "blocker\\page";
    EXPECT_TRUE(Run(""));
    EXPECT_EQ(run.Failed, 1);
    EXPECT_EQ(run.Created, 0);
}

TEST_F(BulkCreation, OddPatternsAndAMissingSourceFindNothing) {
    File("a.txt");
    WriteFile(dir / "outside.txt", "x");
    std::vector<std::string> lines;
    SetDebugHook([&](const std::string& l) { lines.push_back(l); });
    EXPECT_TRUE(Run(";;<>|;..\\*;*.txt"));
    SetDebugHook(nullptr);
    // A pattern that reaches into another folder would give links to files that are not where
    // the links say: it is left out.
    EXPECT_EQ(Links(), (std::vector<std::string>{"a.txt.lnk"}));
    EXPECT_EQ(lines, (std::vector<std::string>{"TSB: CreateShortcutsRun Pattern left out: ..\\*"}));
    src = dir / "gone";
    EXPECT_TRUE(Run("", true));
}

// A drive named alone is its root, not the folder the process last used on it.
TEST_F(BulkCreation, ABareDriveIsItsRoot) {
    std::string mark = "tsbroot-" + std::to_string(GetCurrentProcessId()) + ".tsbx";
    WriteFile("C:\\" + mark, "x");
    File("here.tsbx");
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryA(src.c_str()));
    src = "C:";
    bool done = Run("*.tsbx");
    SetCurrentDirectoryA(before);
    DeleteFileA(("C:\\" + mark).c_str());
    EXPECT_TRUE(done);
    EXPECT_EQ(Links(), (std::vector<std::string>{mark + ".lnk"}));
}
