// Bad input end to end: broken links, pictures, headers and configuration files, odd names and
// a folder that leads back to its parent, each placed where the real program meets it. For every
// case the program must stay up, keep showing the good button beside the bad files, write the
// debug line it writes for that case, keep its commit charge bounded and change nothing on disk
// but its configuration file. Each test prints a table of case, result and peak commit.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "framework/core/Text.h"
#include "support/BadFiles.h"
#include "support/Driver.h"
#include "support/MainWindow.h"

using namespace tsbtest;

namespace {

// Far above a page of pictures (one decoded picture is bounded at 96 MiB of pixels), far below
// what a header declaring 60 000 x 60 000 pixels would cost when believed (10 GiB and more).
constexpr double CommitBoundMB = 512;

const char* const PictureKinds[] = {"jpg", "png", "gif", "tif", "bmp"};     // shown in pages
const char* const LogoKinds[] = {"jpg", "png", "gif", "tif", "bmp", "ico", "emf"};  // the logo takes these too
const Damage Damages[] = {Damage::Zero, Damage::Truncated, Damage::Garbage, Damage::Huge};

// The cases of one program run, printed as a table when the run ends.
class Table {
public:
    explicit Table(std::string title) : title_(std::move(title)) {}
    ~Table() {
        std::printf("\n%s\n%-56s %-7s %-17s %s\n", title_.c_str(), "case", "result", "peak commit (MB)",
                    "peak working set (MB)");
        for (const auto& r : rows_)
            std::printf("%-56s %-7s %-17.1f %-21.1f%s\n", r.name.c_str(), r.result.c_str(), r.peakMB, r.peakWorkingSetMB,
                        r.note.c_str());
        std::fflush(stdout);
    }
    void Add(const std::string& name, const std::string& result, CommitCharge memory, const std::string& note = "") {
        rows_.push_back({name, result, memory.peakMB, memory.peakWorkingSetMB, note.empty() ? "" : "   " + note});
    }

private:
    struct Row {
        std::string name, result;
        double peakMB, peakWorkingSetMB;
        std::string note;
    };
    std::string title_;
    std::vector<Row> rows_;
};

// The checks every case shares: the program runs, the good button of the page on show is there
// and visible, and the commit charge stayed under the bound. Failures are reported against the
// case's name, and the case gets its row.
void CheckCase(Table& table, Program& app, HWND main, const std::string& name, bool namedLineSeen,
               const std::string& goodCaption = "Good", const std::string& note = "") {
    bool alive = app.Running();
    // A redisplay may be under way (the configuration read again redisplays the page): its end is
    // waited for.
    bool shows = alive && WaitFor(
                              [&] {
                                  MainWindow w(main);
                                  if (goodCaption.empty())  // a folder the system can't reach by its name
                                      return w.ShortcutCaptions().empty();
                                  HWND good = w.ButtonByCaption(goodCaption);
                                  return good && ReallyVisible(good);
                              },
                              10000);
    CommitCharge commit = CommitOf(app.Pid());
    bool bounded = commit.peakMB >= 0 && commit.peakMB < CommitBoundMB && commit.peakWorkingSetMB < CommitBoundMB;
    EXPECT_TRUE(alive) << name << ": the program ended";
    EXPECT_TRUE(shows) << name << (goodCaption.empty() ? ": the page is not empty"
                                                       : ": the good button \"" + goodCaption + "\" is not on show");
    EXPECT_TRUE(namedLineSeen) << name << ": its debug line was not written";
    EXPECT_TRUE(bounded) << name << ": peak commit " << commit.peakMB << " MB, peak working set "
                         << commit.peakWorkingSetMB << " MB";
    std::string result = alive && shows && namedLineSeen && bounded ? "pass" : "FAIL";
    table.Add(name, result, commit, note);
}

// The standard error box the program shows for an error that reaches its message loop: its
// text, once the box is there, after which the box is closed; empty when none comes up before
// the program has handled a message sent after the event that would have raised it.
std::string TakeErrorBox(Program& app, HWND main, int timeoutMs) {
    DWORD_PTR r;
    SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_BLOCK, static_cast<UINT>(timeoutMs), &r);
    auto boxes = TopWindows(app.Pid(), "#32770");
    if (boxes.empty()) return "";
    HWND box = boxes.front();
    std::string text;
    for (HWND s : ChildWindows(box, "Static")) text += TextOf(s);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !IsWindow(box); }, 10000);
    return text.empty() ? "(error box)" : text;
}

// A file's listing differences, the configuration file (which the program rewrites) aside.
std::string DiskChanges(const std::map<std::string, std::string>& before, const std::map<std::string, std::string>& after) {
    std::string changes;
    for (const auto& [name, what] : before) {
        if (tsb::LowerAZ(name) == "\\tessaboard.ini") continue;
        auto it = after.find(name);
        if (it == after.end()) changes += name + " removed; ";
        else if (it->second != what) changes += name + " changed (" + what + " -> " + it->second + "); ";
    }
    for (const auto& [name, what] : after)
        if (tsb::LowerAZ(name) != "\\tessaboard.ini" && !before.count(name)) changes += name + " added; ";
    return changes;
}

// The bytes of a good link, made by the shell's link object, to copy under names the object
// itself would not write.
std::string GoodLinkBytes(const std::string& scratch, const std::string& target, const std::string& description) {
    std::string file = scratch + "\\good-bytes.lnk";
    MakeLink(file, {target, "", description, "", ""});
    std::string bytes = ReadFile(file);
    DeleteFileA(file.c_str());
    return bytes;
}

std::string Repeat(char c, size_t n) { return std::string(n, c); }

std::wstring WideAscii(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// The program's last debug lines, for a failure's message.
std::string LastLines(Program& app, size_t count = 12) {
    auto lines = app.Lines();
    std::string out;
    for (size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i) out += "\n  " + lines[i].substr(0, 200);
    return out;
}

int Displays(Program& app) { return app.CountLines("TSB: TfrmMain.GetImageThumbnails"); }

// Headers: rich text its reader refuses raises; anything not beginning as rich text shows as
// plain text.
struct BadHeader {
    std::string what, text;
    bool raises;
};
std::vector<BadHeader> BadHeaders() {
    return {
        {"zero-length", "", false},
        {"broken", "{\\rtf1\\ansi {\\b unclosed \\par {\\i deeper {\\fonttbl", true},
        {"nested 100 000 deep", "{\\rtf1 " + Repeat('{', 100000) + "deep" + Repeat('}', 100000) + "}", true},
        {"binary", Garbage(8000, 3), false},
    };
}

bool GoHome(Program& app, HWND main) {
    int before = Displays(app);
    PostClick(MainWindow(main).HomeButton());
    return WaitFor([&] { return Displays(app) > before; }, 20000);
}

}  // namespace

// Links and pictures in pages, page headers, odd folder names and a folder leading to its parent:
// one start, the cases spread over the home page and sub-pages visited one after another.
TEST(Corpus, PageFiles) {
    ProgramFolder dir;
    const std::string root = dir / "shortcuts";
    MakeDir(root);
    MakeDir(dir / "files");
    WriteFile(dir / "files\\good.txt", "a target that exists");
    const std::string goodTarget = dir / "files\\good.txt";
    const std::string goodBytes = GoodLinkBytes(dir / "files", goodTarget, "Good");
    // A variable whose value doubled passes the expansion's 32 767 characters; the program
    // inherits it from here.
    SetEnvironmentVariableA("TSB_CORPUS_BIG", Repeat('v', 20000).c_str());

    // The home page: a good link beside broken and strange ones.
    MakeLink(root + "\\Good.lnk", {goodTarget, "", "Good", "", ""});
    struct HomeCase {
        std::string name, caption;  // caption: the button it must get; empty: none may show
    };
    std::vector<HomeCase> home;
    WriteFile(root + "\\zero.lnk", "");
    home.push_back({"link: zero-length", ""});
    WriteFile(root + "\\truncated.lnk", goodBytes.substr(0, goodBytes.size() / 2));
    home.push_back({"link: truncated", ""});
    WriteFile(root + "\\garbage.lnk", Garbage(600, 1));
    home.push_back({"link: garbage", ""});
    WriteFile(root + "\\garbage-body.lnk", goodBytes.substr(0, 76) + Garbage(400, 2));
    home.push_back({"link: good header, garbage body", ""});
    std::string refusals;
    for (int n : {259, 260, 261}) {
        std::string len = std::to_string(n);
        std::wstring path = L"C:\\" + std::wstring(n - 3, L'p');
        struct Field {
            const char* what;
            WideLinkSpec shape;
        };
        const Field fields[] = {
            {"target", {path, L"", WideAscii("Target " + len), L"", L""}},
            {"arguments", {WideAscii(goodTarget), std::wstring(n, L'a'), WideAscii("Arguments " + len), L"", L""}},
            {"working folder", {WideAscii(goodTarget), L"", WideAscii("Folder " + len), path, L""}},
            {"icon", {WideAscii(goodTarget), L"", WideAscii("Icon " + len), L"", path}},
        };
        for (const Field& f : fields) {
            std::string file = root + "\\" + f.what + "-" + len + ".lnk";
            std::string refused = MakeWideLink(file, f.shape);
            if (!refused.empty()) refusals += std::string(f.what) + " " + len + ": " + refused + "; ";
            std::string caption(f.shape.description.begin(), f.shape.description.end());
            home.push_back({std::string("link: ") + f.what + " of " + len + " characters",
                            refused.empty() ? caption : ""});
        }
    }
    MakeLink(root + "\\expands.lnk", {goodTarget, "", "Expands", "", "%TSB_CORPUS_BIG%"});
    home.push_back({"link: icon variable expanding to 20 000 characters", "Expands"});
    MakeLink(root + "\\target-con.lnk", {"CON", "", "Console", "", ""});
    home.push_back({"link: target CON", "Console"});
    MakeLink(root + "\\drive.lnk", {"\\\\.\\PhysicalDrive0", "", "Drive", "", "\\\\.\\PhysicalDrive0"});
    home.push_back({"link: target and icon \\\\.\\PhysicalDrive0", "Drive"});
    for (const char* device : {"CON", "NUL", "AUX", "COM1", "LPT1"}) {
        WriteFileExact(root + "\\" + device + ".lnk", goodBytes);
        home.push_back({std::string("link file named ") + device + ".lnk", ""});
    }
    WriteFileExact(root + "\\Dotted.lnk.", goodBytes);
    home.push_back({"link file name with a trailing dot", ""});
    WriteFileExact(root + "\\Spaced.lnk  ", goodBytes);
    home.push_back({"link file name with trailing spaces", ""});

    // Sub-pages, each with its own good link: pictures by format and damage, headers, odd names.
    struct PageCase {
        std::string name, folder, line;  // line: the debug line the case must write (beyond LoadFolder)
        std::string errorBox;            // a part of the error box's text, when the case raises one
        bool reachable = true;           // the system reaches the folder's files by its name
    };
    std::vector<PageCase> pages;
    auto page = [&](const std::string& folder) {
        MakeDirExact(root + "\\" + folder);
        WriteFileExact(root + "\\" + folder + "\\Good.lnk", goodBytes);
    };
    for (const char* ext : PictureKinds) {
        bool raises = std::string(ext) == "jpg" || std::string(ext) == "bmp";  // the framework's own classes
        if (!raises) {  // empty pictures are passed over quietly: one page holds all four
            std::string folder = std::string("pictures ") + ext;
            page(folder);
            for (Damage d : Damages) {
                std::string file = dir / ("files\\" + std::string(DamageName(d)) + "." + ext);
                WriteFile(file, DamagedPicture(ext, d));
                MakeLink(root + "\\" + folder + "\\" + DamageName(d) + ".lnk", {file, "", DamageName(d), "", ""});
            }
            pages.push_back({std::string(ext) + " pictures, all four damages, as thumbnails", folder,
                             "TSB: TGetImagePreviews.Execute Completed 4", ""});
            continue;
        }
        for (Damage d : Damages) {  // a rejected picture ends the thumbnail run: one page each
            std::string folder = std::string(ext) + " " + DamageName(d);
            std::string file = dir / ("files\\" + std::string(DamageName(d)) + "." + ext);
            WriteFile(file, DamagedPicture(ext, d));
            page(folder);
            MakeLink(root + "\\" + folder + "\\bad.lnk", {file, "", "Bad", "", ""});
            pages.push_back({std::string(ext) + " picture " + DamageName(d) + " as a thumbnail", folder,
                             "TSB: TGetImagePreviews.Execute Exception: ", ""});
        }
    }
    for (const auto& [what, rtf, raises] : BadHeaders()) {
        std::string folder = std::string("header ") + what;
        page(folder);
        WriteFile(root + "\\" + folder + "\\page-header.rtf", rtf);
        pages.push_back({std::string("page header ") + what, folder, "", raises ? "Rich text could not be loaded" : ""});
    }
    page("expansion");
    MakeLink(root + "\\expansion\\overflow.lnk", {goodTarget, "", "Overflow", "", "%TSB_CORPUS_BIG%%TSB_CORPUS_BIG%"});
    pages.push_back({"link: icon variable expanding past 32 767 characters", "expansion", "", "Integer overflow"});
    for (const char* odd : {"Dots...", "Spaces  ", "NUL", "CON"}) {
        page(odd);
        // Names ending in dots or spaces lose them on the way through some systems' name rules:
        // the page is then empty, as a folder that can't be read.
        bool reachable = GetFileAttributesA((root + "\\" + odd + "\\Good.lnk").c_str()) != INVALID_FILE_ATTRIBUTES;
        pages.push_back({std::string("page folder named \"") + odd + "\"", odd, "", "", reachable});
    }
    DWORD junctionError = 0;
    bool junction = MakeJunction(root + "\\Loop", root, &junctionError);
    if (junction) pages.push_back({"page folder: a junction to its own parent", "Loop", "", ""});

    auto before = ListTree(dir.Path());
    Table table("Corpus: page files");
    {
        Program app(dir.Exe());
        HWND main = app.WaitForWindow("TfrmMain", 30000);
        ASSERT_TRUE(main);
        ASSERT_TRUE(WaitFor([&] { return Displays(app) >= 1; }, 30000)) << LastLines(app);
        bool homeLoaded = app.CountLines("TSB: LoadFolder " + tsb::LowerAZ(root)) >= 1;
        MainWindow w(main);
        for (const HomeCase& c : home) {
            bool right = c.caption.empty() || w.ButtonByCaption(c.caption) != nullptr;
            EXPECT_TRUE(right) << c.name << ": no button \"" << c.caption << "\"";
            CheckCase(table, app, main, c.name, homeLoaded && right, "Good", c.caption.empty() ? "" : "shows \"" + c.caption + "\"");
        }
        // The cases that may show no button show none: every button on the page is the good
        // link (once), a case's own caption, or a sub-page.
        std::multiset<std::string> allowed{"Good"};
        for (const HomeCase& c : home)
            if (!c.caption.empty()) allowed.insert(c.caption);
        for (const PageCase& c : pages) allowed.insert(c.folder);
        for (const std::string& caption : w.ShortcutCaptions()) {
            auto at = allowed.find(caption);
            EXPECT_NE(at, allowed.end()) << "a button \"" << caption << "\" no case may show";
            if (at != allowed.end()) allowed.erase(at);
        }
        for (const PageCase& c : pages) {
            int shown = Displays(app);
            int linesBefore = c.line.empty() ? 0 : app.CountLines(c.line);
            HWND button = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (button = w.ButtonByCaption(c.folder)) != nullptr; }, 10000)) << c.name;
            PostClick(button);
            // The display ends, or the error it raised is reported.
            bool ended = WaitFor([&] { return Displays(app) > shown || !TopWindows(app.Pid(), "#32770").empty(); }, 20000);
            std::string box = TakeErrorBox(app, main, 10000);
            ASSERT_TRUE(ended || !app.Running()) << c.name << LastLines(app);
            std::string path = tsb::LowerAZ(root + "\\" + c.folder);
            bool line = app.WaitForLine("TSB: LoadFolder " + path, 5000);
            if (!c.line.empty()) {
                bool written = WaitFor([&] { return app.CountLines(c.line) > linesBefore; }, 15000);
                EXPECT_TRUE(written) << c.name << ": no \"" << c.line << "\"" << LastLines(app, 8);
                line = line && written;
            }
            bool boxRight = c.errorBox.empty() ? box.empty() : box.find(c.errorBox) != std::string::npos;
            EXPECT_TRUE(boxRight) << c.name << ": error box \"" << box << "\"";
            // A display that raised before it destroyed the buttons before it leaves those on show.
            std::string note = box.empty() ? "" : "error box: " + box + "; the page before stays";
            if (!c.reachable) note = "unreachable by its name here: an empty page";
            CheckCase(table, app, main, c.name, line && boxRight, c.reachable ? "Good" : "", note);
            ASSERT_TRUE(GoHome(app, main)) << c.name << LastLines(app);
        }
    }
    if (!junction)
        table.Add("page folder: a junction to its own parent", "skipped", {},
                  "the system makes no junctions (error " + std::to_string(junctionError) + ")");
    if (!refusals.empty()) std::printf("The link object refused: %s\n", refusals.c_str());
    EXPECT_EQ(DiskChanges(before, ListTree(dir.Path())), "");
    RemoveTree(dir.Path());
}

// The logo and the main header, changed under the running program: each new configuration or
// header file is read again a moment after it is saved. A logo its decoder rejects raises the
// standard error box; an empty GDI+ picture, a metafile of any declared size and any header file
// (shown as plain text when it is not rich text) raise none.
TEST(Corpus, LogoAndHeader) {
    ProgramFolder dir;
    const std::string root = dir / "shortcuts";
    MakeDir(root);
    MakeDir(dir / "logos");
    WriteFile(dir / "good.txt", "a target that exists");
    MakeLink(root + "\\Good.lnk", {dir / "good.txt", "", "Good", "", ""});
    const std::string options = "[options]\r\ntitle=Corpus\r\n";
    WriteFile(dir / "Tessaboard.ini", options);
    struct LogoCase {
        std::string name, file;
        bool raises;
    };
    std::vector<LogoCase> logos;
    for (const char* ext : LogoKinds) {
        std::string e = ext;
        for (Damage d : Damages) {
            std::string file = dir / ("logos\\" + std::string(DamageName(d)) + "." + e);
            WriteFile(file, DamagedPicture(e, d));
            bool gdiplus = e == "png" || e == "gif" || e == "tif";
            bool wellFormedMetafile = e == "emf" && d == Damage::Huge;
            logos.push_back({"logo: " + e + " " + DamageName(d), file, !gdiplus && !wellFormedMetafile});
        }
    }
    auto before = ListTree(dir.Path());
    Table table("Corpus: logo and header");
    {
        Program app(dir.Exe());
        HWND main = app.WaitForWindow("TfrmMain", 30000);
        ASSERT_TRUE(main);
        ASSERT_TRUE(WaitFor([&] { return Displays(app) >= 1; }, 30000));
        auto reread = [&](const std::function<void()>& change) {
            int n = app.CountLines("TSB: TfrmMain.LoadConfig");
            change();
            return WaitFor([&] { return app.CountLines("TSB: TfrmMain.LoadConfig") > n; }, 10000);
        };
        for (const LogoCase& c : logos) {
            bool read = reread([&] { WriteFile(dir / "Tessaboard.ini", options + "logo=" + c.file + "\r\n"); });
            std::string box = TakeErrorBox(app, main, 10000);
            EXPECT_EQ(!box.empty(), c.raises) << c.name << ": error box \"" << box << "\"";
            CheckCase(table, app, main, c.name, read && !box.empty() == c.raises, "Good",
                      box.empty() ? "no error box" : "error box: " + box);
        }
        ASSERT_TRUE(reread([&] { WriteFile(dir / "Tessaboard.ini", options); }));
        EXPECT_EQ(TakeErrorBox(app, main, 10000), "");
        for (const auto& [what, rtf, raises] : BadHeaders()) {
            std::string name = std::string("header: ") + what;
            bool read = reread([&, &rtf = rtf] { WriteFile(dir / "header.rtf", rtf); });
            std::string box = TakeErrorBox(app, main, 10000);
            bool boxRight = raises ? box.find("Rich text could not be loaded") != std::string::npos : box.empty();
            EXPECT_TRUE(boxRight) << name << ": error box \"" << box << "\"";
            CheckCase(table, app, main, name, read && boxRight, "Good", box.empty() ? "" : "error box: " + box);
        }
    }
    auto after = ListTree(dir.Path());
    after.erase("\\header.rtf");
    before.erase("\\header.rtf");
    EXPECT_EQ(DiskChanges(before, after), "");
}

// Configuration files that are not what they should be, each read by a start of its own; the
// starts run side by side.
TEST(Corpus, ConfigurationFiles) {
    std::string tenMB = "[options]\r\n";
    for (int i = 0; tenMB.size() < 10 * 1024 * 1024; ++i) tenMB += "filler-" + std::to_string(i) + "=" + Repeat('x', 100) + "\r\n";
    tenMB += "title=Ten megabytes\r\n";
    std::string keys = "[options]\r\n";
    for (int i = 0; i < 5000; ++i) keys += "key-" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    keys += "title=Five thousand keys\r\n";
    std::string wide("\xFF\xFE", 2);
    for (char c : std::string("[options]\r\ntitle=Wide\r\n")) wide += std::string{c, '\0'};
    struct IniCase {
        std::string name, text, title;  // title: what the title shows afterwards, when the file decides it
    };
    const IniCase cases[] = {
        {"configuration: binary", Garbage(65536, 5), ""},
        {"configuration: 10 MB", tenMB, "Ten megabytes"},
        {"configuration: 5 000 keys", keys, "Five thousand keys"},
        {"configuration: NUL bytes", std::string("[options]\r\ntitle=Be\0fore\r\nbutton-size=\0" "7\r\n[opt\0ions]\r\n", 54), ""},
        {"configuration: UTF-16", wide, ""},
    };
    struct Run {
        ProgramFolder dir;
        std::map<std::string, std::string> before;
        std::unique_ptr<Program> app;
    };
    std::vector<std::unique_ptr<Run>> runs;
    for (const IniCase& c : cases) {
        auto run = std::make_unique<Run>();
        MakeDir(run->dir / "shortcuts");
        WriteFile(run->dir / "good.txt", "a target that exists");
        MakeLink(run->dir / "shortcuts\\Good.lnk", {run->dir / "good.txt", "", "Good", "", ""});
        WriteFile(run->dir / "Tessaboard.ini", c.text);
        run->before = ListTree(run->dir.Path());
        runs.push_back(std::move(run));
    }
    for (auto& run : runs) run->app = std::make_unique<Program>(run->dir.Exe());
    Table table("Corpus: configuration files");
    for (size_t i = 0; i < runs.size(); ++i) {
        Program& app = *runs[i]->app;
        HWND main = app.WaitForWindow("TfrmMain", 60000);
        EXPECT_TRUE(main) << cases[i].name;
        bool shown = main && WaitFor([&] { return Displays(app) >= 1; }, 60000);
        bool title = cases[i].title.empty() || MainWindow(main).HasLabel(cases[i].title);
        EXPECT_TRUE(title) << cases[i].name << ": the title is not \"" << cases[i].title << "\"";
        CheckCase(table, app, main, cases[i].name, shown && title && app.CountLines("TSB: TfrmMain.LoadConfig") >= 1);
    }
    for (auto& run : runs) {
        run->app.reset();
        EXPECT_EQ(DiskChanges(run->before, ListTree(run->dir.Path())), "");
    }
}
