// Text files and names as the system has them, in-process on real files: the configuration file
// in any encoding it may have been saved in, written in one step or not at all, at start and at
// close; page and link paths whose length is counted in characters, not bytes.
#include <algorithm>

#include "app/MainForm.h"
#include "framework/core/Text.h"
#include "framework/win/Application.h"
#include "framework/win/Convert.h"
#include "framework/win/Errors.h"
#include "framework/win/Files.h"
#include "framework/win/MemIniFile.h"
#include "pages/DataObject.h"
#include "pages/WorkingFormUnit.h"
#include "win/MainFormFixture.h"
#include "win/PageTreeFixture.h"

using namespace tsb;
using namespace tsbtest;

namespace {
const std::string Ecran = "\xC3\x89" "cran";  // "Écran" in UTF-8
const std::string Ya = "\xD0\xAF";            // Cyrillic "Я": one character, two bytes

// A handle that keeps others from writing, renaming or deleting the file: an editor that holds
// the file open.
unique_file HoldOpen(const std::string& path, DWORD share) {
    return unique_file(CreateFileW(AnsiToWide(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
}
}  // namespace

class ConfigFile : public MainFormTest {
protected:
    std::string ini = dir / "Tessaboard.ini";
    std::vector<std::string> errors;

    void SetUp() override {
        MainFormTest::SetUp();
        Application().OnException = [this](const std::string& m) { errors.push_back(m); };
    }
    void TearDown() override {
        Application().OnException = [](const std::string& m) { ADD_FAILURE() << "error box: " << m; };
        MainFormTest::TearDown();
    }
};

TEST_F(ConfigFile, LegacyCodePageIsReadAndTheFileRewrittenAsUtf8) {
    WriteFile(ini, "[options]\r\ntitle=\xC9" "cran\r\nsub-title=Men\xFC \x80 1\r\n");  // Windows-1252
    Start();
    EXPECT_EQ(frm->lblTitle->Caption(), Ecran);
    EXPECT_EQ(frm->lblSubtitle->Caption(), "Men\xC3\xBC \xE2\x82\xAC 1");
    EXPECT_EQ(ReadFile(ini), "[options]\r\ntitle=" + Ecran + "\r\nsub-title=Men\xC3\xBC \xE2\x82\xAC 1\r\n\r\n");
    EXPECT_TRUE(errors.empty());
}

TEST_F(ConfigFile, ByteOrderMarksAreHonoured) {
    WriteFile(ini, "\xEF\xBB\xBF[options]\r\ntitle=" + Ecran + "\r\n");
    Start();
    EXPECT_EQ(frm->lblTitle->Caption(), Ecran);
    EXPECT_EQ(ReadFile(ini), "[options]\r\ntitle=" + Ecran + "\r\n\r\n") << "the section was found: nothing added";

    std::u16string wide = u"\uFEFF[options]\r\ntitle=\u042F\r\n";
    WriteFile(ini, std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2));  // UTF-16
    frm->ReloadAll();
    EXPECT_EQ(frm->lblTitle->Caption(), Ya);
    EXPECT_EQ(ReadFile(ini), "[options]\r\ntitle=" + Ya + "\r\n\r\n");
}

TEST_F(ConfigFile, MainHeaderInTheLegacyCodePage) {
    WriteFile(dir / "header.rtf", "{\\rtf1\\ansi Caf\xE9}");
    Start();
    EXPECT_TRUE(frm->redHeader->Visible());
    EXPECT_EQ(frm->redHeader->TextW(), L"Caf\u00E9");
    WriteFile(dir / "header.rtf", "Bienvenue \xE0 tous");  // plain text, Windows-1252
    frm->LoadConfig();
    EXPECT_EQ(frm->redHeader->TextW(), L"Bienvenue \u00E0 tous");
}

TEST_F(ConfigFile, WrittenAtClose) {
    Start();
    WriteFile(ini, "; a note\r\n[options]\r\ntitle=Kept\r\n");
    frm->OnCloseQuery();  // what closing the window runs first
    EXPECT_EQ(ReadFile(ini), "[options]\r\ntitle=Kept\r\n\r\n");
    EXPECT_TRUE(FilesIn(dir.Path(), "*.tmp").empty());
}

TEST_F(ConfigFile, LockedAtCloseIsReportedAndTheWindowStays) {
    Start();
    std::string text = "[options]\r\ntitle=Mine\r\n; keep me\r\n";
    WriteFile(ini, text);
    {
        unique_file lock = HoldOpen(ini, 0);  // not even readable
        ASSERT_TRUE(lock);
        SendMessageA(frm->Handle(), WM_CLOSE, 0, 0);
        ASSERT_EQ(errors.size(), 1u) << "the standard error box";
        EXPECT_NE(errors[0].find("Tessaboard.ini"), std::string::npos) << errors[0];
        EXPECT_TRUE(IsWindowVisible(frm->Handle()));
        EXPECT_FALSE(Application().Terminated());
        EXPECT_THROW(ReadFileBytes(ini), EError) << "unreadable while locked";
    }
    EXPECT_EQ(ReadFile(ini), text) << "nothing lost";

    {
        unique_file reader = HoldOpen(ini, FILE_SHARE_READ);  // readable, but not to be replaced
        ASSERT_TRUE(reader);
        frm->OnCloseQuery();
        EXPECT_EQ(errors.size(), 1u) << "a file that can't be rewritten is no error";
    }
    EXPECT_EQ(ReadFile(ini), text);
    EXPECT_TRUE(FilesIn(dir.Path(), "*.tmp").empty());
}

class SafeWrites : public WinTest {
protected:
    TempFolder dir{"tsbsafe"};
    std::string file = dir / "Tessaboard.ini";
    const std::string old = "[options]\r\ntitle=Old\r\n";
    void SetUp() override { WriteFile(file, old); }
};

TEST_F(SafeWrites, TheNewContentTakesTheOldOnesPlace) {
    WriteFileSafely(file, "[options]\r\ntitle=New\r\n");
    EXPECT_EQ(ReadFile(file), "[options]\r\ntitle=New\r\n");
    EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"Tessaboard.ini"})) << "nothing left beside it";
    WriteFileSafely(dir / "fresh.ini", "x");
    EXPECT_EQ(ReadFile(dir / "fresh.ini"), "x");
}

TEST_F(SafeWrites, AFailedWriteLeavesTheOldContent) {
    // The new file can't be made where it must go (as in a folder that can't be written to).
    MakeDir(file + ".tmp");
    EXPECT_THROW(WriteFileSafely(file, "lost"), EError);
    EXPECT_EQ(ReadFile(file), old);
    RemoveDirectoryA((file + ".tmp").c_str());

    // The file is held open by a program that lets others read it but not replace it.
    {
        unique_file reader = HoldOpen(file, FILE_SHARE_READ);
        ASSERT_TRUE(reader);
        EXPECT_THROW(WriteFileSafely(file, "lost"), EError);
    }
    EXPECT_EQ(ReadFile(file), old);
    EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"Tessaboard.ini"})) << "the new file was removed";

    // Through the in-memory file, as the configuration is written.
    {
        unique_file reader = HoldOpen(file, FILE_SHARE_READ);
        TMemIniFile mem(file);
        mem.WriteString("options", "title", "Lost");
        EXPECT_THROW(mem.UpdateFile(), EError);
    }
    EXPECT_EQ(ReadFile(file), old);
}

// A path whose characters the system allows, while its UTF-8 bytes are far more than 260. (Each
// folder name stays within the 255 bytes a Linux file system takes under Wine.)
TEST_F(SafeWrites, PathLengthsCountCharacters) {
    std::vector<std::string> folders;
    std::string folder = dir.Path();
    while (Utf16Length(folder) + 1 + 100 + 15 < 254) {
        folder += "\\" + [] { std::string n; for (int i = 0; i < 100; ++i) n += Ya; return n; }();
        folders.push_back(folder);
    }
    folder += "\\";
    while (Utf16Length(folder) + 15 < 254) folder += Ya;
    folders.push_back(folder);
    for (auto& f : folders) ASSERT_TRUE(CreateDirectoryW(AnsiToWide(f).c_str(), nullptr)) << Utf16Length(f);
    std::string deep = folder + "\\Tessaboard.ini";
    size_t chars = Utf16Length(deep);
    ASSERT_EQ(chars, 254u);
    ASSERT_GT(deep.size(), 400u);
    WriteFileSafely(deep, old);
    EXPECT_EQ(ReadFileBytes(deep), old);
    EXPECT_EQ(TMemIniFile(deep).ReadString("options", "title", "?"), "Old");

    // Longer still: the file itself can be named, the new one beside it can't.
    std::string longer = folder + Ya + Ya + Ya;
    ASSERT_TRUE(CreateDirectoryW(AnsiToWide(longer).c_str(), nullptr));
    folders.push_back(longer);
    std::string deeper = longer + "\\Tessaboard.ini";
    ASSERT_EQ(Utf16Length(deeper), 257u);
    WriteFile(deeper, old);
    EXPECT_THROW(WriteFileSafely(deeper, "lost"), EError);
    EXPECT_EQ(ReadFileBytes(deeper), old);

    DeleteFileW(AnsiToWide(deep).c_str());
    DeleteFileW(AnsiToWide(deeper).c_str());
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) RemoveDirectoryW(AnsiToWide(*it).c_str());
}

class LongNames : public PageTreeTest {
protected:
    LongNames() : PageTreeTest("tsblong") {}
    std::vector<std::string> made;  // removed at the end, deepest first
    void TearDown() override {
        PageTreeTest::TearDown();
        for (auto it = made.rbegin(); it != made.rend(); ++it)
            if (!DeleteFileW(AnsiToWide(*it).c_str())) RemoveDirectoryW(AnsiToWide(*it).c_str());
    }
    // A Cyrillic folder below the root, and the name a link in it needs for a path of `total`
    // characters.
    // (Each name stays within the 255 bytes a Linux file system takes under Wine.)
    std::string Folder() {
        std::string sub = root + "\\" + std::string("\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0");  // "Папка"
        CreateDirectoryW(AnsiToWide(sub).c_str(), nullptr);
        made.push_back(sub);
        sub += "\\";
        for (int i = 0; i < 100; ++i) sub += Ya;
        CreateDirectoryW(AnsiToWide(sub).c_str(), nullptr);
        made.push_back(sub);
        return sub;
    }
    std::string LinkOfLength(const std::string& folder, size_t total) {
        std::string name;
        while (Utf16Length(folder + "\\" + name + ".lnk") < total) name += Ya;
        std::string path = folder + "\\" + name + ".lnk";
        MakeLink(path, {target, "", "", "", ""});
        made.push_back(path);
        return path;
    }
};

TEST_F(LongNames, CyrillicPathsUpTo260CharactersShow) {
    std::string folder = Folder();
    std::string p246 = LinkOfLength(folder, 246);
    ASSERT_EQ(Utf16Length(p246), 246u);
    ASSERT_GT(p246.size(), 260u) << "more bytes than the old rule allowed";
    TFolderRecord* page = nullptr;
    LoadFolder(RootFolder, RootFolder->Path, nullptr);
    ASSERT_EQ(RootFolder->Folders.size(), 1u);
    LoadFolder(RootFolder->Folders[0].get(), RootFolder->Folders[0]->Path, nullptr);
    ASSERT_EQ(RootFolder->Folders[0]->Folders.size(), 1u);
    page = RootFolder->Folders[0]->Folders[0].get();
    EXPECT_EQ(page->Path, LowerAZ(ExcludeTrailingDelimiter(ExtractFilePath(p246))));
    LoadFolder(page, page->Path, nullptr);
    ASSERT_EQ(page->Shortcuts.size(), 1u);
    EXPECT_EQ(page->Shortcuts[0]->Path, LowerAZ(p246));
    EXPECT_EQ(page->Shortcuts[0]->Name, ExtractFileName(p246).substr(0, ExtractFileName(p246).size() - 4));
    ASSERT_TRUE(page->Shortcuts[0]->LinkInfo);
    EXPECT_EQ(page->Shortcuts[0]->LinkInfo->PathName, target);

    std::string p260 = LinkOfLength(folder, 260), p261 = LinkOfLength(folder, 261);
    ASSERT_EQ(Utf16Length(p260), 260u);
    ASSERT_EQ(Utf16Length(p261), 261u);
    LoadFolder(page, page->Path, nullptr);
    std::vector<std::string> paths;
    for (auto& s : page->Shortcuts) paths.push_back(s->Path);
    std::sort(paths.begin(), paths.end());
    std::vector<std::string> expected = {LowerAZ(p246), LowerAZ(p260)};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(paths, expected) << "260 characters load, 261 do not";
}

TEST_F(LongNames, LinkTextsKeepWholeCharacters) {
    std::string folder = Folder();
    std::string longTarget = folder + "\\";
    while (Utf16Length(longTarget) < 200) longTarget += Ya;
    longTarget += ".exe";
    CloseHandle(CreateFileW(AnsiToWide(longTarget).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    made.push_back(longTarget);
    std::string description;
    while (Utf16Length(description) < 250) description += Ya;
    std::string link = folder + "\\l.lnk";
    MakeLink(link, {longTarget, "", description, "", ""});
    made.push_back(link);
    TShellLinkInfo info;
    GetShellLinkInfo(AnsiToWide(link), info, false, nullptr);
    EXPECT_EQ(info.PathName, longTarget) << Utf16Length(longTarget) << " characters, " << longTarget.size() << " bytes";
    EXPECT_EQ(info.Description, description);
    EXPECT_TRUE(IsValidUtf8(info.PathName));
}
