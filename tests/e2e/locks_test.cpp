// The kiosk's locks: an ordinary user (no "/admin") tries every way into each menu command and
// the right-click menus, with the default configuration and with every visibility key 0, and
// gets exactly what the configuration allows. A way that is locked is shown to be locked by a
// later answer of the program (F1 opens About, a close is logged as refused): the input was
// taken and did nothing. Nothing on disk changes but the configuration file. The table of ways,
// configurations and outcomes is printed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/ScopeExit.h"
#include "support/Driver.h"
#include "support/MainWindow.h"
#include "support/Walk.h"
#include "win/TwoColourPictures.h"  // HalvesBmp

using namespace tsbtest;

namespace {

struct Config {
    const char* name;
    const char* ini;
    bool find, buttonSize, slideshow, quit;
};

const Config Default{"default", "; as shipped\r\n[options]\r\n", true, true, true, true};
const Config AllHidden{"all hidden",
                       "; locked down\r\n[options]\r\nfind-visible=0\r\nbutton-size-visible=0\r\nslideshow-visible=0\r\n"
                       "quit-visible=0\r\nsystem-image-viewer-visible=0\r\n",
                       false, false, false, false};
// Every visibility key 0 but Quit's: a close request is then a Quit.
const Config QuitOnly{"quit shown",
                      "; quit only\r\n[options]\r\nfind-visible=0\r\nbutton-size-visible=0\r\nslideshow-visible=0\r\n"
                      "quit-visible=1\r\n",
                      false, false, false, true};

struct Row {
    std::string way, config, expected, observed;
};

class Table {
public:
    void Add(const std::string& way, const Config& c, const std::string& expected, const std::string& observed) {
        EXPECT_EQ(observed, expected) << way << " (" << c.name << ")";
        rows_.push_back({way, c.name, expected, observed});
    }
    void Print() const {
        size_t w = 0;
        for (const Row& r : rows_) w = std::max(w, r.way.size());
        std::printf("%-*s | %-10s | %-32s | %s\n", static_cast<int>(w), "way in", "config", "expected", "observed");
        for (const Row& r : rows_)
            std::printf("%-*s | %-10s | %-32s | %s\n", static_cast<int>(w), r.way.c_str(), r.config.c_str(),
                        r.expected.c_str(), r.observed.c_str());
    }

private:
    std::vector<Row> rows_;
};

std::string Outcome(bool allowed, const std::string& what) { return allowed ? what : "locked"; }

// A menu beside the program: a shortcut to a text, one to a picture, and a sub-page.
void MakeMenu(const ProgramFolder& dir, const Config& c) {
    std::string root = dir / "shortcuts";
    WriteFile(dir / "notes.txt", "Opening hours: nine to five.");
    WriteFile(dir / "harbour.bmp", HalvesBmp(96, 64));
    MakeDir(root);
    MakeDir(root + "\\Games");
    MakeLink(root + "\\notes.lnk", {dir / "notes.txt", "", "Notes", "", ""});
    MakeLink(root + "\\harbour.lnk", {dir / "harbour.bmp", "", "Harbour", "", ""});
    MakeLink(root + "\\Games\\cards.lnk", {dir / "notes.txt", "", "Cards", "", ""});
    WriteFile(dir / "Tessaboard.ini", c.ini);
}

// The commands of an open menu, without shortcut keys, separators or the sizes' sub-menu.
std::string MenuSummary(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) {
        if (item == "-" || item.rfind("> ", 0) == 0) continue;
        out += (out.empty() ? "" : ", ") + item.substr(0, item.find('\t'));
    }
    return "menu: " + out;
}

std::string ExpectedMenu(const Config& c) {
    std::vector<std::string> items;
    if (c.find) items.push_back("Find");
    items.push_back("Redisplay");
    if (c.buttonSize) items.push_back("Button Size");
    if (c.slideshow) items.push_back("Slide Show");
    items.push_back("About");
    if (c.quit) items.push_back("Quit");
    std::string out;
    for (const auto& i : items) out += (out.empty() ? "" : ", ") + i;
    return "menu: " + out;
}

// One program walked through by an ordinary user.
class Walk {
public:
    explicit Walk(const Config& c) : c_(c) {
        MakeMenu(dir_, c);
        before_ = Listing(dir_.Path());
        app_ = std::make_unique<Program>(dir_.Exe());
    }
    Program& App() { return *app_; }
    const ProgramFolder& Dir() const { return dir_; }
    const Config& Conf() const { return c_; }
    HWND Main() const { return main_; }
    MainWindow& Window() { return *w_; }

    bool Started() {
        display_ = std::make_unique<Displays>(*app_);
        main_ = FirstDisplay(*app_, *display_);
        if (main_) w_ = std::make_unique<MainWindow>(main_);
        return main_ != nullptr;
    }

    // The menu that opens after open(), summarised, and closed again.
    std::string MenuAfter(const std::function<void()>& open) {
        open();
        HWND menu = nullptr;
        if (!WaitFor([&] { return (menu = OpenMenu(app_->Pid())) != nullptr; }, 5000)) return "no menu";
        std::string summary = MenuSummary(MenuItems(menu));
        CloseMenu(*app_, menu);
        return summary;
    }

    // Chooses the n-th command (counted without separators) of the menu a right click on the
    // page area opens, with the menu's own keys; then, in the sub-menu, the sub-th item.
    void ChooseFromMenu(int n, int sub = -1) {
        HWND menu = RightClickMenu(*app_, *w_);
        ASSERT_TRUE(menu);
        for (int i = 0; i <= n; ++i) PressKeys(main_, {VK_DOWN});
        if (sub >= 0) {
            PressKeys(main_, {VK_RIGHT});
            for (int i = 0; i < sub; ++i) PressKeys(main_, {VK_DOWN});
        }
        PressKeys(main_, {VK_RETURN});
    }
    int MenuIndex(const std::string& command) const {
        std::string menu = ExpectedMenu(c_).substr(6) + ", ";
        int index = 0;
        for (size_t at = 0, next; (next = menu.find(", ", at)) != std::string::npos; at = next + 2, ++index)
            if (menu.substr(at, next - at) == command) return index;
        return -1;
    }

    // What the program shows once a locked input has been given: F1, pressed after it, must
    // open About (it is always allowed), and nothing else may have appeared or happened.
    std::string AfterLockedInput(const std::function<void()>& input) {
        int reads = app_->CountLines("TSB: TfrmMain.LoadConfig"), shows = app_->CountLines("TSB: TfrmSlideshow.Start");
        int refused = app_->CountLines("TSB: TfrmMain: close refused");
        input();
        if (!app_->Running()) return "the program ended";
        PressKeys(main_, {VK_F1});
        HWND about = app_->WaitForWindow("TSplashForm", 10000);
        std::string seen;
        if (!app_->Running()) return "the program ended";
        if (TopWindow(*app_, nullptr, "New Page")) seen += "New Page box; ";
        for (HWND f : TopWindows(app_->Pid(), "TCreateShortcutsForm"))
            if (IsWindowVisible(f)) seen += "Create Shortcuts window; ";
        if (TopWindow(*app_, "#32770", "Find")) seen += "find dialog; ";
        if (app_->CountLines("TSB: TfrmSlideshow.Start") > shows) seen += "slide show; ";
        if (app_->CountLines("TSB: TfrmMain.LoadConfig") > reads) seen += "configuration read; ";
        if (app_->CountLines("TSB: TfrmMain: close refused") > refused) seen += "close refused; ";
        if (OpenMenu(app_->Pid())) seen += "a menu is open; ";
        if (!about) seen += "F1 unanswered; ";
        if (about) {
            PostClick(about);
            EXPECT_TRUE(WaitFor([&] { return Gone(about); }, 5000));
        }
        return seen.empty() ? "locked" : seen;
    }

    // A close request given by input(): "the program ends", or "close refused" when the program
    // logs its refusal and still answers F1 with About afterwards.
    std::string CloseOutcome(const std::function<void()>& input) {
        int refused = app_->CountLines("TSB: TfrmMain: close refused");
        input();
        bool answered = WaitFor([&] {
            return !app_->Running() || app_->CountLines("TSB: TfrmMain: close refused") > refused;
        }, 10000);
        if (!answered) return "no answer";
        if (!app_->Running()) return "the program ends";
        std::string after = AfterLockedInput([] {});
        return after == "locked" ? "close refused" : "close refused, then " + after;
    }

    // A display that input() sets off: "page displayed" once it has ended.
    std::string DisplayAfter(const std::function<void()>& input) {
        display_->Mark();
        input();
        return WaitFor([&] { return display_->Done(); }, 10000) ? "page displayed" : "no display";
    }

    std::string WindowAfter(const std::function<void()>& input, const char* className, const std::string& caption,
                            const std::function<void(HWND)>& close) {
        input();
        HWND found = className == std::string("#32770") ? WaitForTopWindow(*app_, className, caption, 10000)
                                                         : app_->WaitForWindow(className, 10000);
        if (!found) return "no window";
        close(found);
        EXPECT_TRUE(WaitFor([&] { return Gone(found); }, 10000)) << caption;
        return caption + " opens";
    }

    void CheckDiskUnchanged() {
        EXPECT_EQ(Listing(dir_.Path()), before_) << "only the configuration file may change (" << c_.name << ")";
    }

private:
    const Config& c_;
    ProgramFolder dir_;
    std::vector<std::string> before_;
    std::unique_ptr<Program> app_;
    std::unique_ptr<Displays> display_;
    HWND main_ = nullptr;
    std::unique_ptr<MainWindow> w_;
};

void ClickAway(HWND w) { PostClick(w); }
void KeyAway(HWND w) { PressKeys(w, {VK_ESCAPE}); }
void SpaceAway(HWND w) { PressKeys(w, {VK_SPACE}); }

// Every way in that leaves the program running, for one configuration.
void WalkAllWays(Walk& walk, Table& t) {
    const Config& c = walk.Conf();
    Program& app = walk.App();
    HWND main = walk.Main();
    MainWindow& w = walk.Window();
    auto about = [&](const std::function<void()>& in) {
        return walk.WindowAfter(in, "TSplashForm", "About", ClickAway);
    };
    auto find = [&](const std::function<void()>& in) {
        return walk.WindowAfter(in, "#32770", "Find", KeyAway);
    };
    auto slideshow = [&](const std::function<void()>& in) {
        return walk.WindowAfter(in, "TfrmSlideshow", "Slide show", SpaceAway);
    };

    // The context menu, wherever it opens, offers what the configuration allows and nothing of
    // the right-click menus of shortcut and page buttons.
    const std::string menu = ExpectedMenu(c);
    std::vector<std::string> items;
    {
        HWND open = RightClickMenu(app, w);
        ASSERT_TRUE(open);
        items = MenuItems(open);
        CloseMenu(app, open);
    }
    t.Add("right click on the page area", c, menu, MenuSummary(items));
    t.Add("right click on a shortcut button", c, menu, walk.MenuAfter([&] { MouseClick(w.ButtonByCaption("Notes"), true); }));
    t.Add("right click on a page button (nav strip)", c, menu,
          walk.MenuAfter([&] { MouseClick(w.ButtonByCaption("Games"), true); }));
    t.Add("context-menu key", c, menu, walk.MenuAfter([&] { PressKeys(main, {VK_APPS}); }));
    t.Add("Shift+F10", c, menu, walk.MenuAfter([&] { PressKeys(main, {VK_SHIFT, VK_F10}); }));

    auto inMenu = [&](const std::string& caption) {
        return std::find_if(items.begin(), items.end(), [&](const std::string& i) {
                   return i.substr(0, i.find('\t')) == caption;
               }) != items.end();
    };
    // Each command through the menu: the hidden ones are not in it; the shown ones work.
    for (const char* hidden : {"Reload", "Edit Config", "New Page", "Create Shortcuts", "Explore Shortcuts"})
        t.Add(std::string(hidden) + ": context menu", c, "locked", inMenu(hidden) ? "in the menu" : "locked");
    t.Add("Find: context menu", c, Outcome(c.find, "Find opens"),
          inMenu("Find") ? find([&] { walk.ChooseFromMenu(walk.MenuIndex("Find")); }) : "locked");
    t.Add("Redisplay: context menu", c, "page displayed",
          walk.DisplayAfter([&] { walk.ChooseFromMenu(walk.MenuIndex("Redisplay")); }));
    auto smallest = [&] {
        std::string seen = walk.DisplayAfter([&] { walk.ChooseFromMenu(walk.MenuIndex("Button Size"), 5); });
        RECT r = ScreenRect(w.ButtonByCaption("Notes"));
        return seen + (r.right - r.left == 85 ? ", buttons 85 wide" : ", buttons not resized");
    };
    t.Add("Button Size: context menu, Smallest", c, Outcome(c.buttonSize, "page displayed, buttons 85 wide"),
          inMenu("Button Size") ? smallest() : "locked");
    t.Add("Slide Show: context menu", c, Outcome(c.slideshow, "Slide show opens"),
          inMenu("Slide Show") ? slideshow([&] { walk.ChooseFromMenu(walk.MenuIndex("Slide Show")); }) : "locked");
    t.Add("About: context menu", c, "About opens", about([&] { walk.ChooseFromMenu(walk.MenuIndex("About")); }));
    t.Add("Quit: context menu", c, Outcome(c.quit, "in the menu"), inMenu("Quit") ? "in the menu" : "locked");

    // Each command's shortcut key.
    t.Add("Find: Ctrl+F", c, Outcome(c.find, "Find opens"),
          c.find ? find([&] { PressKeys(main, {VK_CONTROL, 'F'}); })
                 : walk.AfterLockedInput([&] { PressKeys(main, {VK_CONTROL, 'F'}); }));
    t.Add("Redisplay: F5", c, "page displayed", walk.DisplayAfter([&] { PressKeys(main, {VK_F5}); }));
    t.Add("Reload: Shift+F5", c, "locked", walk.AfterLockedInput([&] { PressKeys(main, {VK_SHIFT, VK_F5}); }));
    t.Add("New Page: Ins", c, "locked", walk.AfterLockedInput([&] { PressKeys(main, {VK_INSERT}); }));
    t.Add("Create Shortcuts: Ctrl+Ins", c, "locked",
          walk.AfterLockedInput([&] { PressKeys(main, {VK_CONTROL, VK_INSERT}); }));
    t.Add("Slide Show: F10", c, Outcome(c.slideshow, "Slide show opens"),
          c.slideshow ? slideshow([&] { PressKeys(main, {VK_F10}); })
                      : walk.AfterLockedInput([&] { PressKeys(main, {VK_F10}); }));
    t.Add("About: F1", c, "About opens", about([&] { PressKeys(main, {VK_F1}); }));
    if (!c.quit)
        t.Add("Quit: Ctrl+Q", c, "locked", walk.AfterLockedInput([&] { PressKeys(main, {VK_CONTROL, 'Q'}); }));

    // Keys of the system that reach the window: none opens a menu or leaves the program.
    struct SystemKey {
        const char* name;
        std::initializer_list<WORD> keys;
    };
    for (const SystemKey& k : {SystemKey{"Alt+Space", {VK_MENU, VK_SPACE}}, SystemKey{"Alt alone", {VK_MENU}},
                               SystemKey{"Shift+Esc", {VK_SHIFT, VK_ESCAPE}}, SystemKey{"Ctrl+Esc", {VK_CONTROL, VK_ESCAPE}},
                               SystemKey{"Ctrl+Shift+Esc", {VK_CONTROL, VK_SHIFT, VK_ESCAPE}},
                               SystemKey{"Alt+Tab", {VK_MENU, VK_TAB}}, SystemKey{"Alt+Esc", {VK_MENU, VK_ESCAPE}},
                               SystemKey{"Windows key", {VK_LWIN}}})
        t.Add(k.name, c, "locked", walk.AfterLockedInput([&] { PressKeys(main, k.keys); }));
    if (c.slideshow)  // F10 alone is Slide Show's key here; pressed with Alt held it is F10 to the system
        t.Add("Alt+F10", c, "locked", walk.AfterLockedInput([&] { PressKeys(main, {VK_MENU, VK_F10}); }));

    // The find dialog's own keys: the commands' keys typed there reach the dialog only, and
    // Alt+F4 there closes the dialog, not the menu.
    if (c.find) {
        std::string seen = walk.AfterLockedInput([&] {
            PressKeys(main, {VK_CONTROL, 'F'});
            HWND dialog = WaitForTopWindow(app, "#32770", "Find");
            ASSERT_TRUE(dialog);
            PressKeys(dialog, {VK_INSERT});
            PressKeys(dialog, {VK_CONTROL, VK_INSERT});
            PressKeys(dialog, {VK_SHIFT, VK_F5});
            PressKeys(dialog, {VK_MENU, VK_F4});
            EXPECT_TRUE(WaitFor([&] { return Gone(dialog); }, 10000)) << "Alt+F4 closes the find dialog";
        });
        t.Add("find dialog: Ins, Ctrl+Ins, Shift+F5, then Alt+F4", c, "locked", seen);
    }

    // The image viewer offers no button for the system's viewer; Alt+F4 there ends the viewer.
    {
        PostClick(w.ButtonByCaption("Harbour"));
        HWND viewer = app.WaitForWindow("TImageViewer", 15000);
        ASSERT_TRUE(viewer);
        HWND button = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (button = ChildWithText(viewer, "    Viewer")) != nullptr; }, 5000));
        t.Add("image viewer: system-viewer button", c, "locked", ReallyVisible(button) ? "shown" : "locked");
        PressKeys(viewer, {VK_MENU, VK_F4});
        t.Add("image viewer: Alt+F4", c, "viewer closes, program runs",
              WaitFor([&] { return Gone(viewer); }, 10000) && app.Running() ? "viewer closes, program runs"
                                                                            : "viewer stays");
    }
}

}  // namespace

TEST(Locks, OrdinaryUser) {
    Table t;
    // Every program is started at once: their splash times overlap.
    Walk hidden(AllHidden), shown(Default);
    struct CloseWay {
        const char* name;
        bool request;  // a close request, rather than the Quit command
        std::function<void(Walk&)> close;
    };
    auto appWindow = [](Walk& w) {
        auto found = TopWindows(w.App().Pid(), "TApplication");
        return found.empty() ? HWND{} : found.front();
    };
    const std::vector<CloseWay> closes = {
        {"Alt+F4", true, [](Walk& w) { PressKeys(w.Main(), {VK_MENU, VK_F4}); }},
        {"Alt+F4 with the context menu open", true,
         [](Walk& w) {
             ASSERT_TRUE(RightClickMenu(w.App(), w.Window()));
             PressKeys(w.Main(), {VK_MENU, VK_F4});
         }},
        {"Quit: Ctrl+Q", false, [](Walk& w) { PressKeys(w.Main(), {VK_CONTROL, 'Q'}); }},
        {"Quit: context menu", false, [](Walk& w) { w.ChooseFromMenu(w.MenuIndex("Quit")); }},
        {"WM_CLOSE to the main window", true, [](Walk& w) { PostMessageA(w.Main(), WM_CLOSE, 0, 0); }},
        {"SC_CLOSE to the main window", true, [](Walk& w) { PostMessageA(w.Main(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"WM_CLOSE to the application window", true, [&](Walk& w) { PostMessageA(appWindow(w), WM_CLOSE, 0, 0); }},
        {"SC_CLOSE to the application window", true,
         [&](Walk& w) { PostMessageA(appWindow(w), WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    // With Quit shown each close ends its program: one program for each, the first the walk
    // with the default configuration, the others with every other command hidden.
    std::vector<std::unique_ptr<Walk>> quitters;
    for (size_t i = 1; i < closes.size(); ++i) quitters.push_back(std::make_unique<Walk>(QuitOnly));
    tsb::ScopeExit dump([&] {
        DumpLinesOnFailure(hidden.App());
        DumpLinesOnFailure(shown.App());
        t.Print();  // also when a step has ended the test early
    });

    // Every main window is up before any is walked, so none takes the front from a walk.
    ASSERT_TRUE(hidden.Started());
    ASSERT_TRUE(shown.Started());
    for (auto& q : quitters) ASSERT_TRUE(q->Started());
    for (Walk* walk : {&hidden, &shown}) {
        WalkAllWays(*walk, t);
        if (HasFatalFailure()) return;
    }

    // Close requests: refused where Quit is hidden (the program answers F1 afterwards; the Quit
    // command's own ways are locked above)...
    for (const CloseWay& way : closes)
        if (way.request) t.Add(way.name, AllHidden, "close refused", hidden.CloseOutcome([&] { way.close(hidden); }));
    // ...and each ends the program where Quit is shown, writing the configuration in normal form.
    for (size_t i = 0; i < closes.size(); ++i) {
        Walk& walk = i == 0 ? shown : *quitters[i - 1];
        std::string outcome = walk.CloseOutcome([&] { closes[i].close(walk); });
        t.Add(closes[i].name, walk.Conf(), "the program ends", outcome);
        if (outcome == "the program ends") {
            EXPECT_EQ(ReadFile(walk.Dir() / "Tessaboard.ini").find("; "), std::string::npos)
                << "the configuration is written at close";
        }
        walk.CheckDiskUnchanged();
    }

    // The session's end closes even the locked menu, and the configuration is written.
    DWORD_PTR answer = 0;
    int writes = hidden.App().CountLines("TSB: TfrmMain.TouchIniFile");
    ASSERT_TRUE(SendMessageTimeoutA(hidden.Main(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer));
    t.Add("WM_QUERYENDSESSION", AllHidden, "the session may end", answer ? "the session may end" : "refused");
    SendMessageTimeoutA(hidden.Main(), WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 10000, &answer);
    bool ended = hidden.App().WaitForExit(10000);
    bool written = hidden.App().CountLines("TSB: TfrmMain.TouchIniFile") > writes &&
                   ReadFile(hidden.Dir() / "Tessaboard.ini").find("; locked down") == std::string::npos;
    t.Add("WM_ENDSESSION", AllHidden, "the program ends, configuration written",
          std::string(ended ? "the program ends" : "the program runs") +
              (written ? ", configuration written" : ", configuration not written"));
    hidden.CheckDiskUnchanged();
}
