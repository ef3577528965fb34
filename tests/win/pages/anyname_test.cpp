// Names in any script in-process: the search folds by the language rules of the text, and the
// bulk creation of shortcuts takes files named in any script and compares paths in every letter
// case, as the file system does.
#include <algorithm>
#include <string>
#include <vector>

#include "creation/BulkCreation.h"
#include "framework/win/Files.h"
#include "pages/DataObject.h"
#include "pages/WorkingFormUnit.h"
#include "win/PageTreeFixture.h"
#include "win/WinTestMain.h"

using namespace tsb;
using namespace tsbtest;

class AnyNameSearch : public PageTreeTest {
protected:
    AnyNameSearch() : PageTreeTest("tsbanyfind") {}

    // A page of its own for each shortcut, so that a search from the home page reaches it.
    void Page(const std::string& page, const std::string& shortcut) {
        MakeDir(root + "\\" + page);
        Link(page + "\\" + shortcut + ".lnk");
    }
    // The name of what a search from the home page finds, "" for nothing.
    std::string Find(const std::wstring& text, unsigned options = 0) {
        LoadFolder(RootFolder, RootFolder->Path, nullptr);
        TObjectRef found;
        FindNextItem(text, options, RootFolder, found);
        if (auto* s = found.As<TShortcutRecord>()) return s->Name;
        return "";
    }
};

TEST_F(AnyNameSearch, LettersOfEveryScriptInEitherCase) {
    Page("a", "Привет, мир");
    EXPECT_EQ(Find(L"ПРИВЕТ"), "Привет, мир");
    EXPECT_EQ(Find(L"привет, МИР"), "Привет, мир");
    EXPECT_EQ(Find(L"ПРИВЕТ", SearchMatchCase), "");
    EXPECT_EQ(Find(L"Привет", SearchMatchCase), "Привет, мир");
}

TEST_F(AnyNameSearch, AFinalSigmaIsTheSameLetter) {
    Page("a", "Ωμέγας");
    EXPECT_EQ(Find(L"ΩΜΈΓΑΣ"), "Ωμέγας");
    EXPECT_EQ(Find(L"ΩΜΕΓΑΣ"), "") << "an accent still counts";
}

TEST_F(AnyNameSearch, ASharpSIsTwoLettersS) {
    Page("a", "Große Straße");
    EXPECT_EQ(Find(L"STRASSE"), "Große Straße");
}

TEST_F(AnyNameSearch, ComposedAndDecomposedAccentsAlike) {
    Page("a", "Écran d'accueil");
    EXPECT_EQ(Find(L"e\u0301cran"), "Écran d'accueil");
    Page("b", "Cafe\u0301 noir");  // named with a combining accent, as some systems write names
    EXPECT_EQ(Find(L"CAFÉ"), "Cafe\u0301 noir");
}

TEST_F(AnyNameSearch, IdeographsAndEmojiAreFoundAsTyped) {
    Page("a", "漢字テスト");
    Page("b", "🎵 Music");
    EXPECT_EQ(Find(L"字テ"), "漢字テスト");
    EXPECT_EQ(Find(L"🎵 MUSIC"), "🎵 Music");
    EXPECT_EQ(Find(L"🎶"), "");
}

class AnyNameCreation : public WinTest {
protected:
    TempFolder dir{"tsbanybulk"};
    void TearDown() override { HideWorking(); }
    std::vector<std::string> Links(const std::string& folder) {
        auto names = FilesIn(folder, "*.lnk");
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(AnyNameCreation, FilesNamedInAnyScriptGetTheirShortcuts) {
    std::string src = dir / "Документы", dest = dir / "Меню";
    MakeDir(src);
    MakeDir(dest);
    for (const char* name : {"Отчёт.txt", "写真.bmp", "Ωμέγα.pdf", "🎵 song.mp3"}) WriteFile(src + "\\" + name, "data");
    TCreateShortcutsRun run;
    ASSERT_TRUE(run.Run(src, "", dest, false, true, owAlways, true, "")) << run.StopMessage;
    std::string page = dest + "\\Документы";
    EXPECT_EQ(Links(page), (std::vector<std::string>{"Ωμέγα.pdf.lnk", "Отчёт.txt.lnk", "写真.bmp.lnk", "🎵 song.mp3.lnk"}));
    LinkSpec link = ReadLink(page + "\\🎵 song.mp3.lnk");
    EXPECT_EQ(link.target, src + "\\🎵 song.mp3");
    EXPECT_EQ(link.description, "🎵 song.mp3");
}

// The source typed in capitals holds the destination: the run must know the destination's tree
// in whatever case its letters come, or it walks what it writes, deeper and deeper.
TEST_F(AnyNameCreation, ASourceHoldingTheDestinationIsKnownInAnyLetterCase) {
    std::string src = dir / "Меню", dest = src + "\\Страница";
    MakeDir(src);
    MakeDir(dest);
    WriteFile(src + "\\Отчёт.txt", "data");
    TCreateShortcutsRun run;
    ASSERT_TRUE(run.Run(dir / "МЕНЮ", "", dest, true, true, owAlways, false, "")) << run.StopMessage;
    EXPECT_EQ(Links(dest), (std::vector<std::string>{"Отчёт.txt.lnk"}));
    EXPECT_FALSE(Exists(dest + "\\Страница")) << "the destination is not walked";
    EXPECT_EQ(run.Created, 1);
}

TEST(AnyNamePaths, OneKeyForEveryCaseOfAPathAndNoLinguisticEquivalence) {
    EXPECT_EQ(PathCaseKey("C:\\Меню\\Ωμέγα\\Écran"), PathCaseKey("c:\\МЕНЮ\\ΩΜΈΓΑ\\éCRAN"));
    EXPECT_NE(PathCaseKey("C:\\Straße"), PathCaseKey("C:\\STRASSE")) << "two names on disk";
    EXPECT_NE(PathCaseKey("C:\\Écran"), PathCaseKey("C:\\Ecran"));
    EXPECT_EQ(PathCaseKey(""), "");
}
