// Shortcut files through the real shell link object, path rules and icons.
#include "pages/WinShell.h"

#include <commoncontrols.h>
#include <shlobj.h>

#include <set>

#include "framework/win/Convert.h"
#include "framework/win/Errors.h"
#include "pages/DataObject.h"
#include "win/WinTestMain.h"

using namespace tsb;
using namespace tsbtest;

class WinShell : public WinTest {
protected:
    TempFolder dir{"tsbshell"};
    TShellLinkInfo Read(const std::string& link, bool resolve = false) {
        TShellLinkInfo info;
        GetShellLinkInfo(AnsiToWide(link), info, resolve, nullptr);
        return info;
    }
};

TEST_F(WinShell, CreateAndReadBack) {
    std::string target = dir / "app.exe";
    WriteFile(target, "x");
    EXPECT_EQ(CreateShellLink(target, "My App", dir / "a.lnk"), dir / "a.lnk");
    TShellLinkInfo info = Read(dir / "a.lnk");
    EXPECT_EQ(info.PathName, target);
    EXPECT_EQ(info.Description, "My App");
    EXPECT_EQ(info.WorkingDirectory, dir.Path() + "\\");
    EXPECT_EQ(info.Arguments, "");
    EXPECT_EQ(info.IconLocation, "");

    CreateShellLink(target, "", dir / "a.lnk");  // replaces the file; no description now
    EXPECT_EQ(Read(dir / "a.lnk").Description, "");
}

TEST_F(WinShell, EveryFieldSurvivesAWriteBack) {
    std::string target = dir / "tool.exe", icons = dir / "icons.dll";
    WriteFile(target, "x");
    WriteFile(icons, "x");
    CreateShellLink(target, "", dir / "t.lnk");
    TShellLinkInfo info = Read(dir / "t.lnk");
    info.Arguments = "/fast \"a b\"";
    info.Description = "Tool";
    info.WorkingDirectory = dir.Path();
    info.IconLocation = icons;
    info.IconIndex = 3;
    info.HotKey = 0x0641;
    info.ShowCmd = SW_SHOWMAXIMIZED;
    SetShellLinkInfo(AnsiToWide(dir / "t.lnk"), info);
    TShellLinkInfo back = Read(dir / "t.lnk");
    EXPECT_EQ(back.PathName, target);
    EXPECT_EQ(back.Arguments, info.Arguments);
    EXPECT_EQ(back.Description, "Tool");
    EXPECT_EQ(back.WorkingDirectory, dir.Path());
    EXPECT_EQ(back.IconLocation, icons);
    EXPECT_EQ(back.IconIndex, 3);
    EXPECT_EQ(back.HotKey, 0x0641);
}

TEST_F(WinShell, BrokenLinkFilesRaise) {
    WriteFile(dir / "empty.lnk", "");
    WriteFile(dir / "garbage.lnk", std::string(300, '\x7f'));
    WriteFile(dir / "hostile.lnk", std::string("L\0\0\0\x01\x14\x02\0", 8) + std::string(5000, '\xff'));
    for (const char* name : {"empty.lnk", "garbage.lnk", "hostile.lnk", "missing.lnk"}) {
        TShellLinkInfo info;
        info.Description = "kept";
        EXPECT_THROW(GetShellLinkInfo(AnsiToWide(dir / name), info, false, nullptr), EError) << name;
        EXPECT_THROW(SetShellLinkInfo(AnsiToWide(dir / name), info), EError) << name;
    }
    EXPECT_EQ(ReadFile(dir / "empty.lnk"), "");  // nothing on disk changes
}

TEST_F(WinShell, LongTextsAreCutAt259Characters) {
    std::string target = dir / "app.exe";
    WriteFile(target, "x");
    MakeLink(dir / "long.lnk", {target, std::string(400, 'a'), std::string(400, 'd'), "", ""});
    TShellLinkInfo info = Read(dir / "long.lnk");
    EXPECT_LE(info.Arguments.size(), 259u);
    EXPECT_LE(info.Description.size(), 259u);
    EXPECT_EQ(info.PathName, target);
}

// What a resolve that succeeds leads to: the record holds what the link holds afterwards, every
// field of it (a target that exists resolves to itself, here and on Windows alike).
TEST_F(WinShell, ResolvedLinkRefillsTheWholeRecord) {
    std::string target = dir / "here.exe";
    WriteFile(target, "x");
    MakeLink(dir / "h.lnk", {target, "-x", "Here", dir.Path(), dir / "icons.dll", 2});
    TShellLinkInfo info;
    info.PathName = "stale";
    info.Arguments = "stale";
    info.Description = "stale";
    info.WorkingDirectory = "stale";
    info.IconLocation = "stale";
    info.IconIndex = 7;
    GetShellLinkInfo(AnsiToWide(dir / "h.lnk"), info, true, nullptr);
    EXPECT_EQ(info.PathName, target);
    EXPECT_EQ(info.Arguments, "-x");
    EXPECT_EQ(info.Description, "Here");
    EXPECT_EQ(info.WorkingDirectory, dir.Path());
    EXPECT_EQ(info.IconLocation, dir / "icons.dll");
    EXPECT_EQ(info.IconIndex, 2);
}

TEST_F(WinShell, EnvironmentExpansion) {
    char root[MAX_PATH];
    GetEnvironmentVariableA("SystemRoot", root, MAX_PATH);
    EXPECT_EQ(ExpandEnvVars("%SystemRoot%\\notepad.exe"), std::string(root) + "\\notepad.exe");
    EXPECT_EQ(ExpandEnvVars("%TSB_NOT_SET%"), "%TSB_NOT_SET%");
    EXPECT_EQ(ExpandEnvVars(""), "");
    std::string big(20000, 'v');
    SetEnvironmentVariableA("TSB_BIG", big.c_str());
    EXPECT_EQ(ExpandEnvVars("%TSB_BIG%").size(), 20000u);
    try {  // over 32 767 characters: an error, never a write past the buffer
        ExpandEnvVars("%TSB_BIG%%TSB_BIG%");
        ADD_FAILURE() << "expected an error";
    } catch (const EError& e) {
        EXPECT_STREQ(e.what(), "Integer overflow");
    }
    SetEnvironmentVariableA("TSB_BIG", nullptr);
}

// Sets the two Program Files variables for one test and puts the old values back after it.
class ProgramFiles : public WinShell {
protected:
    std::string old86 = Env("ProgramFiles(x86)"), old64 = Env("ProgramW6432");
    static std::string Env(const char* name) {
        char buf[MAX_PATH] = {};
        return GetEnvironmentVariableA(name, buf, MAX_PATH) ? buf : "";
    }
    static void Put(const char* name, const std::string& v) { SetEnvironmentVariableA(name, v.empty() ? nullptr : v.c_str()); }
    void SetUp() override {
        MakeDir(dir / "x86");
        MakeDir(dir / "x64");
        MakeDir(dir / "x64\\App");
        WriteFile(dir / "x64\\App\\app.exe", "x");
        SetEnvironmentVariableA("ProgramFiles(x86)", (dir / "x86").c_str());
        SetEnvironmentVariableA("ProgramW6432", (dir / "x64").c_str());
        ReadProgramFilesDirs();
    }
    void TearDown() override {
        Put("ProgramFiles(x86)", old86);
        Put("ProgramW6432", old64);
        ReadProgramFilesDirs();
    }
};

TEST_F(ProgramFiles, MissingX86PathMovesTo64BitFolder) {
    TShellLinkInfo info;
    info.PathName = dir / "x86\\App\\app.exe";
    EXPECT_EQ(AdjustShortcutPaths(info), dir / "x64\\App\\app.exe");
    EXPECT_EQ(info.PathName, dir / "x64\\App\\app.exe");

    TShellLinkInfo icon;  // an icon file under the 32-bit folder follows the same rule
    icon.PathName = dir / "nothing.exe";
    icon.IconLocation = dir / "x86\\App\\app.exe";
    EXPECT_EQ(AdjustShortcutPaths(icon), dir / "x64\\App\\app.exe");
    EXPECT_EQ(icon.IconLocation, dir / "x86\\App\\app.exe");  // the location itself stays
}

TEST_F(ProgramFiles, IconRules) {
    WriteFile(dir / "target.exe", "x");
    TShellLinkInfo named;  // an icon file named but missing: no icon, even with a target
    named.PathName = dir / "target.exe";
    named.IconLocation = dir / "missing.ico";
    EXPECT_EQ(AdjustShortcutPaths(named), "");
    TShellLinkInfo folder;  // a folder is no file
    folder.PathName = dir / "x64";
    EXPECT_EQ(AdjustShortcutPaths(folder), "");
    TShellLinkInfo plain;
    plain.PathName = dir / "target.exe";
    EXPECT_EQ(AdjustShortcutPaths(plain), dir / "target.exe");
    TShellLinkInfo none;
    EXPECT_EQ(AdjustShortcutPaths(none), "");
}

TEST_F(ProgramFiles, NoProgramFilesVariablesChangeNothing) {
    Put("ProgramFiles(x86)", "");
    Put("ProgramW6432", "");
    ReadProgramFilesDirs();
    ASSERT_EQ(ProgramFilesX86Dir, "");
    TShellLinkInfo info;
    info.PathName = dir / "missing.exe";
    EXPECT_EQ(AdjustShortcutPaths(info), "");
    EXPECT_EQ(info.PathName, dir / "missing.exe");
}

static TShortcutRecord Shortcut(const std::string& iconFile, int index) {
    TShortcutRecord s;
    s.LinkInfo = std::make_unique<TShellLinkInfo>();
    s.LinkInfo->IconIndex = index;
    s.IconFile = iconFile;
    return s;
}

// The picture of an icon as pixels, to compare icons from different calls.
static std::vector<uint32_t> Pixels(HICON icon) {
    ICONINFO ii{};
    GetIconInfo(icon, &ii);
    BITMAP bm{};
    GetObjectA(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof bm, &bm);
    std::vector<uint32_t> px(static_cast<size_t>(bm.bmWidth) * bm.bmWidth + 2, 0);
    px[0] = static_cast<uint32_t>(bm.bmWidth);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), bm.bmWidth, -bm.bmWidth, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC dc = GetDC(nullptr);
    if (ii.hbmColor) GetDIBits(dc, ii.hbmColor, 0, static_cast<UINT>(bm.bmWidth), px.data() + 2, &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
    return px;
}

TEST_F(WinShell, IconsFromTheSystemListAndFromFiles) {
    char sys[MAX_PATH];
    GetSystemDirectoryA(sys, MAX_PATH);
    std::string shell32 = std::string(sys) + "\\shell32.dll", notepad = std::string(sys) + "\\notepad.exe";
    EXPECT_FALSE(GetShortcutIcon(nullptr, 1).has_value());

    TShortcutRecord exe = Shortcut(notepad, 0);
    auto extra = GetShortcutIcon(&exe, 1);
    ASSERT_TRUE(extra.has_value());
    ASSERT_TRUE(*extra) << "index 0: the system image list";
    EXPECT_EQ(Pixels(extra->get())[0], 48u);
    auto large = GetShortcutIcon(&exe, 0);
    ASSERT_TRUE(large && *large);
    EXPECT_EQ(Pixels(large->get())[0], 32u);
    auto other = GetShortcutIcon(&exe, 2);
    ASSERT_TRUE(other.has_value());
    EXPECT_FALSE(*other) << "size 2 has no list";

    TShortcutRecord indexed = Shortcut(shell32, 3);
    auto fromFile = GetShortcutIcon(&indexed, 1);
    ASSERT_TRUE(fromFile && *fromFile) << "index 3: the file's fourth icon";
    HICON expected = nullptr;
    ASSERT_EQ(ExtractIconExA(shell32.c_str(), 3, &expected, nullptr, 1), 1u);
    EXPECT_EQ(Pixels(fromFile->get()), Pixels(expected));
    DestroyIcon(expected);

    TShortcutRecord missing = Shortcut(dir / "gone.ico", 0);
    auto none = GetShortcutIcon(&missing, 1);
    ASSERT_TRUE(none.has_value());
    EXPECT_FALSE(*none);
}

// The shell's own answers, asked here without the cache: the image index of a file and the
// picture at an index of the 48 by 48 list.
static int ShellIndex(const std::string& file) {
    SHFILEINFOA sfi{};
    if (!SHGetFileInfoA(file.c_str(), 0, &sfi, sizeof sfi, SHGFI_SYSICONINDEX)) return -1;
    return sfi.iIcon;
}

static std::vector<uint32_t> ShellPixels(const std::string& file, int size) {
    HICON icon = nullptr;
    if (size == 0) {  // the large icon, handed out by the shell itself
        SHFILEINFOA sfi{};
        SHGetFileInfoA(file.c_str(), 0, &sfi, sizeof sfi, SHGFI_ICON | SHGFI_LARGEICON);
        icon = sfi.hIcon;
    } else {
        static const GUID iid = {0x46EB5926, 0x582E, 0x4017, {0x9F, 0xDF, 0xE8, 0x99, 0x8D, 0xAA, 0x09, 0x50}};
        ComPtr<IImageList> list;
        if (FAILED(SHGetImageList(SHIL_EXTRALARGE, iid, list.put_void()))) return {};
        list->GetIcon(ShellIndex(file), ILD_NORMAL, &icon);
    }
    if (!icon) return {};
    std::vector<uint32_t> px = Pixels(icon);
    DestroyIcon(icon);
    return px;
}

TEST_F(WinShell, CachedIconsAreTheShellsIconsSharedByIndex) {
    char sys[MAX_PATH];
    GetSystemDirectoryA(sys, MAX_PATH);
    std::string shell32 = std::string(sys) + "\\shell32.dll";
    for (const char* name : {"a.txt", "b.txt", "a.chm", "b.chm", "a.msi"}) WriteFile(dir / name, name);
    std::vector<TShortcutRecord> system;  // index 0: the system's icon of the file
    for (const std::string& file : {dir / "a.txt", std::string(sys) + "\\notepad.exe", dir / "b.txt", dir / "a.chm",
                                    dir / "b.chm", dir / "a.msi", shell32})
        system.push_back(Shortcut(file, 0));
    TIconCache cache;
    std::set<std::pair<int, int>> indexes;
    std::set<const TIcon*> distinct;
    for (int size : {0, 1}) {
        for (auto& r : system) {
            auto icon = cache.Get(&r, size);
            ASSERT_TRUE(icon) << r.IconFile;
            EXPECT_EQ(Pixels(icon->Handle()), ShellPixels(r.IconFile, size)) << r.IconFile << " size " << size;
            indexes.insert({size, ShellIndex(r.IconFile)});
            distinct.insert(icon.get());
        }
        // One icon per index the shell gave, shared by every file that got it.
        for (auto& a : system)
            for (auto& b : system)
                EXPECT_EQ(cache.Get(&a, size) == cache.Get(&b, size), ShellIndex(a.IconFile) == ShellIndex(b.IconFile))
                    << a.IconFile << " and " << b.IconFile << " size " << size;
    }
    EXPECT_EQ(distinct.size(), indexes.size());
    ASSERT_GT(indexes.size(), 2u) << "the files chosen get more than one index per size";

    // By index from the file: keyed by file and index; none there: the system's icon again.
    TShortcutRecord five = Shortcut(shell32, 5), again = Shortcut(shell32, 5), three = Shortcut(shell32, 3),
                    beyond = Shortcut(shell32, 100000);
    auto fromFile = cache.Get(&five, 1);
    ASSERT_TRUE(fromFile);
    HICON expected = nullptr;
    ASSERT_EQ(ExtractIconExA(shell32.c_str(), 5, &expected, nullptr, 1), 1u);
    EXPECT_EQ(Pixels(fromFile->Handle()), Pixels(expected));
    DestroyIcon(expected);
    EXPECT_EQ(cache.Get(&again, 1), fromFile);
    EXPECT_NE(cache.Get(&three, 1), fromFile);
    EXPECT_EQ(cache.Get(&beyond, 1), cache.Get(&system.back(), 1)) << "no icon 100000: the system's icon of the file";
}
