// The folder monitor on real folders: the rules of its settings, the changes it reports, and
// its worker's lifetime (no thread or handle left, no deadlock, no spin).
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/win/Debug.h"
#include "framework/win/Errors.h"
#include "framework/win/Messages.h"
#include "monitor/FolderMon.h"
#include "win/ProcessCounts.h"
#include "win/WinTestMain.h"

using namespace tsb;
using namespace tsbtest;

namespace {

constexpr TMonitorEvents NamesOnly = MonitorEvent(meFileName) | MonitorEvent(meDirName);
constexpr TMonitorEvents MainWindowEvents = 0x7B;

struct Change {
    std::string name;
    TFolderAction action;
    bool operator==(const Change&) const = default;
};

void PrintTo(const Change& c, std::ostream* os) { *os << FolderActionNames[c.action] << " " << c.name; }

void MakeFile(const std::string& path) {
    unique_file f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ASSERT_TRUE(f) << path;
}

class FolderMonitor : public WinTest {
protected:
    TempFolder dir{"tsbmon"};
    std::string watched = dir.Path() + "\\";

    void SetUp() override { ThreadsBefore = ThreadsOfThisProcess(); }

    std::unique_ptr<TFolderMon> Make(std::vector<Change>& seen, TMonitorEvents events = NamesOnly,
                                     bool subTree = false) {
        auto m = std::make_unique<TFolderMon>();
        m->SetFolder(watched);
        m->SetEvents(events);
        m->SetWatchSubTree(subTree);
        m->OnChange = [&seen](TFolderMon*, const TFolderItemInfo& c) { seen.push_back({c.FileName, c.Action}); };
        return m;
    }
    std::unique_ptr<TFolderMon> Watch(std::vector<Change>& seen, TMonitorEvents events = NamesOnly,
                                      bool subTree = false) {
        auto m = Make(seen, events, subTree);
        m->Activate();
        return m;
    }
    static bool Has(const std::vector<Change>& seen, const Change& c) {
        for (auto& s : seen)
            if (s == c) return true;
        return false;
    }
    bool NoWorkerLeft() {
        return PumpUntil([&] { return ThreadsOfThisProcess() == ThreadsBefore; });
    }

    int ThreadsBefore = 0;
};

// The processor time the process takes while its GUI thread runs its loop for ms milliseconds.
long long ProcessorMsOver(DWORD ms) {
    auto total = [] {
        FILETIME created, exited, kernel, user;
        GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
        auto v = [](FILETIME f) { return (static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
        return static_cast<long long>((v(kernel) + v(user)) / 10000);
    };
    long long before = total();
    DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start >= ms; }, ms + 1000);
    return total() - before;
}

// Debug lines written from any thread.
class Lines {
public:
    Lines() {
        SetDebugHook([this](const std::string& l) {
            std::lock_guard<std::mutex> g(lock_);
            lines_.push_back(l);
        });
    }
    ~Lines() { SetDebugHook(nullptr); }
    bool Has(const std::string& text) {
        std::lock_guard<std::mutex> g(lock_);
        for (auto& l : lines_)
            if (l.find(text) != std::string::npos) return true;
        return false;
    }

private:
    std::mutex lock_;
    std::vector<std::string> lines_;
};

}  // namespace

// --- settings and activation ---

TEST_F(FolderMonitor, EachSettingIsFixedWhileActiveWithItsOwnMessage) {
    std::vector<Change> seen;
    auto m = Watch(seen, MainWindowEvents, true);
    auto message = [](auto&& change) -> std::string {
        try {
            change();
        } catch (const EError& e) {
            return e.what();
        }
        return "(nothing raised)";
    };
    EXPECT_EQ(message([&] { m->SetFolder(dir / "other\\"); }),
              "Currently still actively monitoring a folder. Please deactivate before changing monitored folder.");
    EXPECT_EQ(message([&] { m->SetEvents(NamesOnly); }),
              "The monitor must be deactivated before changing the monitored event(s)");
    EXPECT_EQ(message([&] { m->SetWatchSubTree(false); }), "Please deactivate the monitor first");
    EXPECT_EQ(m->Folder(), watched);
    EXPECT_EQ(m->Events(), MainWindowEvents);
    EXPECT_TRUE(m->WatchSubTree());
    EXPECT_TRUE(m->Active());

    // The same values again are allowed; a folder in other letter case is the same folder and
    // keeps the text stored before.
    std::string upper = watched;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    ASSERT_NE(upper, watched);
    m->SetFolder(upper);
    m->SetEvents(MainWindowEvents);
    m->SetWatchSubTree(true);
    EXPECT_EQ(m->Folder(), watched);

    m->Deactivate();
    m->SetFolder(upper);
    EXPECT_EQ(m->Folder(), watched) << "a change of letter case only is no change, active or not";
    m->SetFolder(dir / "other\\");
    m->SetEvents(NamesOnly);
    m->SetWatchSubTree(false);
    EXPECT_EQ(m->Folder(), dir / "other\\");
    EXPECT_EQ(m->Events(), NamesOnly);
    EXPECT_FALSE(m->WatchSubTree());
}

TEST_F(FolderMonitor, ActivationNeedsEventsAnExistingFolderAndAMonitor) {
    std::vector<Change> seen;
    int activated = 0;
    auto m = Make(seen, 0);
    m->OnActivated = [&](TFolderMon*) { ++activated; };
    try {
        m->Activate();
        ADD_FAILURE() << "no events, no watching";
    } catch (const EError& e) {
        EXPECT_STREQ(e.what(), "Please specify event(s) to be monitored");
    }
    m->SetEvents(NamesOnly);
    m->SetFolder(dir / "missing\\");
    try {
        m->Activate();
        ADD_FAILURE() << "a missing folder can't be watched";
    } catch (const EError& e) {
        EXPECT_STREQ(e.what(), "Please supply valid/existing folder");
    }
    EXPECT_FALSE(m->Active());
    EXPECT_EQ(activated, 0);
    try {
        TFolderMonWorker orphan(nullptr);
        ADD_FAILURE() << "a worker without monitor was made";
    } catch (const EError& e) {
        EXPECT_STREQ(e.what(), "Reference to TFolderMon instance must be specified");
    }
}

TEST_F(FolderMonitor, ActivatingOrDeactivatingTwiceActsOnce) {
    std::vector<Change> seen;
    int activated = 0, deactivated = 0;
    auto m = Make(seen);
    m->OnActivated = [&](TFolderMon* s) { activated += s == m.get(); };
    m->OnDeactivated = [&](TFolderMon* s) { deactivated += s == m.get(); };
    m->Activate();
    m->Activate();
    EXPECT_EQ(activated, 1);
    EXPECT_EQ(ThreadsOfThisProcess(), ThreadsBefore + 1) << "one worker";
    m->Deactivate();
    m->Deactivate();
    EXPECT_EQ(deactivated, 1);
    EXPECT_FALSE(m->Active());
}

TEST_F(FolderMonitor, FilterIsTheFlagsOfTheEventsInTheSet) {
    EXPECT_EQ(NotificationFilter(0), 0u);
    EXPECT_EQ(NotificationFilter(MainWindowEvents), 0x07Bu);
    EXPECT_EQ(NotificationFilter(0xFF), 0x17Fu);
    EXPECT_EQ(NotificationFilter(MonitorEvent(meSecurity)), static_cast<DWORD>(FILE_NOTIFY_CHANGE_SECURITY));
    EXPECT_EQ(NotificationFilter(MonitorEvent(meAttributes)), static_cast<DWORD>(FILE_NOTIFY_CHANGE_ATTRIBUTES));
}

// --- what is reported ---

TEST_F(FolderMonitor, ReportsAddModifyRemoveAndRenameWithRelativeNames) {
    std::vector<Change> seen;
    auto m = Watch(seen, MainWindowEvents);
    WriteFile(dir / "a.txt", "one");
    ASSERT_TRUE(PumpUntil([&] { return Has(seen, {"a.txt", actAdded}); }));
    WriteFile(dir / "a.txt", "two, longer");
    ASSERT_TRUE(PumpUntil([&] { return Has(seen, {"a.txt", actModified}); }));
    seen.clear();
    ASSERT_TRUE(MoveFileA((dir / "a.txt").c_str(), (dir / "B.txt").c_str()));
    ASSERT_TRUE(PumpUntil([&] { return Has(seen, {"B.txt", actNewName}); }));
    // The two halves of the rename, old first, next to each other.
    ASSERT_GE(seen.size(), 2u);
    size_t i = 0;
    while (!(seen[i] == Change{"B.txt", actNewName})) ++i;
    ASSERT_GE(i, 1u);
    EXPECT_EQ(seen[i - 1], (Change{"a.txt", actOldName}));
    ASSERT_TRUE(DeleteFileA((dir / "B.txt").c_str()));
    EXPECT_TRUE(PumpUntil([&] { return Has(seen, {"B.txt", actRemoved}); }));
}

// A folder that existed before the watch and one made during it. (Deeper folders are seen too,
// but Wine loses their records at times in a process that has made and removed many folders;
// the end-to-end test checks them in a fresh process.)
TEST_F(FolderMonitor, ChangesInSubFoldersOnlyWithTheSubTree) {
    MakeDir(dir / "sub");
    std::vector<Change> tree, top;
    auto withTree = Watch(tree, NamesOnly, true);
    auto topOnly = Watch(top, NamesOnly, false);
    MakeFile(dir / "sub\\x.txt");
    MakeDir(dir / "new");
    ASSERT_TRUE(PumpUntil([&] { return Has(tree, {"new", actAdded}); }));
    MakeFile(dir / "new\\n.txt");
    MakeFile(dir / "y.txt");
    ASSERT_TRUE(PumpUntil([&] { return Has(tree, {"y.txt", actAdded}) && Has(top, {"y.txt", actAdded}); }));
    EXPECT_EQ(tree, (std::vector<Change>{{"sub\\x.txt", actAdded},
                                         {"new", actAdded},
                                         {"new\\n.txt", actAdded},
                                         {"y.txt", actAdded}}));
    // Records come in order: had the top folder's watcher seen sub\x.txt, it would be there by now.
    EXPECT_EQ(top, (std::vector<Change>{{"new", actAdded}, {"y.txt", actAdded}}));
}

// A tree moved in whole comes as one record for its top: the folders inside it were made before
// the watch saw them, and changes in them are seen all the same.
TEST_F(FolderMonitor, ChangesInsideATreeMovedInAreSeen) {
    TempFolder outside{"tsbmonout"};
    MakeDir(outside / "tree");
    MakeDir(outside / "tree\\inner");
    MakeDir(outside / "tree\\inner\\deep");
    std::vector<Change> seen;
    auto m = Watch(seen, NamesOnly, true);
    ASSERT_TRUE(MoveFileA((outside / "tree").c_str(), (dir / "tree").c_str()));
    ASSERT_TRUE(PumpUntil([&] { return !seen.empty(); }));
    EXPECT_EQ(seen[0].name, "tree");
    MakeFile(dir / "tree\\inner\\deep\\f.txt");
    EXPECT_TRUE(PumpUntil([&] { return Has(seen, {"tree\\inner\\deep\\f.txt", actAdded}); }));
}

TEST_F(FolderMonitor, NothingIsDeliveredAfterDeactivate) {
    std::vector<Change> stopped, witness, inHandler;
    auto m = Watch(stopped);
    auto w = Watch(witness);
    m->Deactivate();
    // The released worker's read ends at once: its thread goes without any change on disk.
    EXPECT_TRUE(PumpUntil([&] { return ThreadsOfThisProcess() == ThreadsBefore + 1; }));
    MakeFile(dir / "late.txt");
    ASSERT_TRUE(PumpUntil([&] { return Has(witness, {"late.txt", actAdded}); }));
    EXPECT_TRUE(stopped.empty());

    // Deactivated by its own handler: the records left in the batch being walked go nowhere.
    auto h = Make(inHandler);
    h->OnChange = [&](TFolderMon* s, const TFolderItemInfo& c) {
        inHandler.push_back({c.FileName, c.Action});
        s->Deactivate();
    };
    h->Activate();
    int n = 0;
    ASSERT_TRUE(PumpUntil([&] {
        if (!inHandler.empty()) return true;
        for (int i = 0; i < 5; ++i) MakeFile(dir / std::to_string(100 + 10 * n + i));
        ++n;
        return false;
    }));
    MakeFile(dir / "last");
    ASSERT_TRUE(PumpUntil([&] { return Has(witness, {"last", actAdded}); }));
    EXPECT_EQ(inHandler.size(), 1u);
    EXPECT_FALSE(h->Active());
}

// Deterministic: the reader is held in a hand-over while more changes are made than its buffer
// holds, so its next read overflows.
TEST_F(FolderMonitor, AFloodLargerThanTheBufferReportsNothingForThatReadAndTheNextReadWorks) {
    std::vector<Change> seen;
    auto m = Make(seen, MonitorEvent(meFileName));
    int flooded = 0;
    m->OnChange = [&](TFolderMon*, const TFolderItemInfo& c) {
        seen.push_back({c.FileName, c.Action});
        if (c.FileName != "first") return;
        for (; flooded < 1100; ++flooded) MakeFile(dir / ("a-long-name-that-fills-the-buffer-soon-" + std::to_string(flooded)));
    };
    m->Activate();
    MakeFile(dir / "first");
    ASSERT_TRUE(PumpUntil([&] { return flooded == 1100; }, 20000));
    // Made until one is seen: those made before the overflowing read is taken go with it.
    int after = 0;
    ASSERT_TRUE(PumpUntil(
        [&] {
            if (seen.size() > 1) return true;
            MakeFile(dir / ("after" + std::to_string(after++)));
            return false;
        },
        20000));
    ASSERT_EQ(seen.front(), (Change{"first", actAdded}));
    EXPECT_EQ(seen[1].name.substr(0, 5), "after") << "no record of the flood: " << seen[1].name;
}

// --- the worker's lifetime ---

TEST_F(FolderMonitor, NoThreadOrHandleIsLeftAfterDestroy) {
    std::vector<Change> seen;
    {  // warm-up: what the system makes once for the first watch stays
        auto warm = Watch(seen);
        MakeFile(dir / "warm");
        ASSERT_TRUE(PumpUntil([&] { return !seen.empty(); }));
    }
    ASSERT_TRUE(NoWorkerLeft());
    DWORD handles = HandleCount();
    for (int i = 0; i < 5; ++i) {
        auto m = Watch(seen);
        std::string name = std::to_string(i + 10);  // two digits
        MakeFile(dir / name);
        ASSERT_TRUE(PumpUntil([&] { return Has(seen, {name, actAdded}); }));
        m->Deactivate();
        m->Activate();  // a new worker while the old one ends
        EXPECT_LE(ThreadsOfThisProcess(), ThreadsBefore + 2) << "at most the old worker and the new";
    }
    EXPECT_EQ(ThreadsOfThisProcess(), ThreadsBefore) << "the destructor leaves no worker";
    EXPECT_EQ(HandleCount(), handles);
}

TEST_F(FolderMonitor, AnErrorEscapingTheHandlerEndsTheWorkerAndTheMonitorStaysSafe) {
    Lines lines;
    std::vector<Change> seen, witness;
    auto m = Make(seen);
    m->OnChange = [&](TFolderMon*, const TFolderItemInfo& c) {
        seen.push_back({c.FileName, c.Action});
        throw EError("handler failed");
    };
    m->Activate();
    MakeFile(dir / "one");
    ASSERT_TRUE(PumpUntil([&] { return lines.Has("TSB: TThread.Execute Exception: handler failed"); }));
    EXPECT_TRUE(NoWorkerLeft()) << "the worker ended";
    EXPECT_TRUE(m->Active()) << "the monitor still counts as active";
    auto w = Watch(witness);
    MakeFile(dir / "two");
    ASSERT_TRUE(PumpUntil([&] { return Has(witness, {"two", actAdded}); }));
    EXPECT_EQ(seen, (std::vector<Change>{{"one", actAdded}}));
    m->Deactivate();
    EXPECT_FALSE(m->Active());
    m->Activate();  // and it can watch again
    MakeFile(dir / "three");
    EXPECT_TRUE(PumpUntil([&] { return Has(seen, {"three", actAdded}); }));
}

TEST_F(FolderMonitor, DestroyedWhileItsWorkerWaitsToHandOverARecord) {
    std::vector<Change> seen;
    auto m = Watch(seen);
    ASSERT_TRUE(PumpUntil([] { return GetQueueStatus(QS_POSTMESSAGE) == 0; }, 1000));
    MakeFile(dir / "pending");
    // The worker has the record and waits for the GUI thread, which handles nothing meanwhile:
    // its hand-over lies in the queue, posted to this thread's channel to the GUI thread.
    HWND channel = nullptr;
    do channel = FindWindowExA(HWND_MESSAGE, channel, "TSyncChannel", nullptr);
    while (channel && GetWindowThreadProcessId(channel, nullptr) != GetCurrentThreadId());
    ASSERT_TRUE(channel);
    auto handOverQueued = [channel] {
        MSG msg;
        return PeekMessageA(&msg, channel, tsb::WM_TSB_SYNCHRONIZE, tsb::WM_TSB_SYNCHRONIZE, PM_NOREMOVE) != FALSE;
    };
    DWORD start = GetTickCount();
    while (!handOverQueued() && GetTickCount() - start < 5000) Sleep(5);
    ASSERT_TRUE(HIWORD(GetQueueStatus(QS_POSTMESSAGE)));
    ASSERT_TRUE(handOverQueued()) << "the worker waits in its hand-over";
    m.reset();  // serves the hand-over, which delivers nothing
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(NoWorkerLeft());
}

TEST_F(FolderMonitor, DestroyedByItsOwnHandler) {
    std::vector<Change> seen, other;
    auto m = Make(seen);
    m->OnChange = [&](TFolderMon*, const TFolderItemInfo& c) {
        seen.push_back({c.FileName, c.Action});
        m.reset();
    };
    m->Activate();
    for (const char* n : {"a", "b", "c"}) MakeFile(dir / n);
    ASSERT_TRUE(PumpUntil([&] { return m == nullptr; }));
    EXPECT_EQ(seen, (std::vector<Change>{{"a", actAdded}}));
    EXPECT_TRUE(NoWorkerLeft());
    // The next monitor frees what the ended worker held.
    auto next = Watch(other);
    next.reset();
    EXPECT_EQ(ThreadsOfThisProcess(), ThreadsBefore);
}

// A watched folder that goes away: the worker neither spins nor ends; it watches the folder
// again once it is back.
TEST_F(FolderMonitor, AFolderThatGoesAwayIsWatchedAgainWhenItComesBackWithoutSpinning) {
    MakeDir(dir / "w");
    watched = dir / "w\\";
    std::vector<Change> seen;
    auto m = Watch(seen);
    RemoveTree(dir / "w");
    EXPECT_LT(ProcessorMsOver(1500), 500) << "processor time over 1.5 s without the folder";
    MakeDir(dir / "w");
    // Made until one is seen: the folder is opened again at the worker's next try.
    int n = 0;
    ASSERT_TRUE(PumpUntil(
        [&] {
            if (!seen.empty() && seen.back().action == actAdded) return true;
            MakeFile(dir / ("w\\again" + std::to_string(n++)));
            return false;
        },
        5000));
    EXPECT_TRUE(m->Active());
}

// A folder the worker can't open (here: held open by someone who shares it with nobody) is
// tried again once a second, and watched as soon as it can be opened.
TEST_F(FolderMonitor, AFolderThatCannotBeOpenedIsTriedAgainWithoutSpinning) {
    Lines lines;
    std::vector<Change> seen;
    unique_file exclusive(CreateFileA(dir.Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_TRUE(exclusive);
    int losses = 0;
    auto m = Make(seen);
    m->OnOverflow = [&](TFolderMon*) { ++losses; };
    m->Activate();
    EXPECT_TRUE(lines.Has("TSB: TFolderMonWorker cannot watch " + watched + ": "));
    EXPECT_LT(ProcessorMsOver(1500), 500) << "processor time over 1.5 s of failing opens";
    exclusive.reset();
    ASSERT_TRUE(PumpUntil([&] { return lines.Has("TSB: TFolderMonWorker watching " + watched); }, 3000));
    MakeFile(dir / "seen");
    EXPECT_TRUE(PumpUntil([&] { return Has(seen, {"seen", actAdded}); }));
    EXPECT_EQ(losses, 1) << "the time it was not watched is reported lost";
}
