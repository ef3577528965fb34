#include "monitor/FolderMon.h"

#include <cstddef>
#include <string_view>
#include <utility>

#include "framework/core/ScopeExit.h"
#include "framework/core/Text.h"
#include "framework/win/Convert.h"
#include "framework/win/Debug.h"
#include "framework/win/Errors.h"
#include "framework/win/Files.h"

namespace tsb {

const char* const FolderActionNames[5] = {"New", "Removed", "Modified", "Old Name", "New name"};

DWORD NotificationFilter(TMonitorEvents events) {
    static constexpr DWORD flags[8] = {
        FILE_NOTIFY_CHANGE_FILE_NAME,  FILE_NOTIFY_CHANGE_DIR_NAME,    FILE_NOTIFY_CHANGE_ATTRIBUTES,
        FILE_NOTIFY_CHANGE_SIZE,       FILE_NOTIFY_CHANGE_LAST_WRITE,  FILE_NOTIFY_CHANGE_LAST_ACCESS,
        FILE_NOTIFY_CHANGE_CREATION,   FILE_NOTIFY_CHANGE_SECURITY};
    DWORD filter = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (events & (1u << bit)) filter |= flags[bit];
    return filter;
}

namespace {

// Workers whose monitor was destroyed from inside their own hand-over: they can't be waited
// for there, and end as soon as that hand-over returns. Freed by the next monitor that starts
// or stops. Never destroyed itself, so nothing runs over it at exit.
std::vector<std::unique_ptr<TFolderMonWorker>>& Orphans() {
    static auto* orphans = new std::vector<std::unique_ptr<TFolderMonWorker>>;
    return *orphans;
}

void EraseEnded(std::vector<std::unique_ptr<TFolderMonWorker>>& workers) {
    std::erase_if(workers, [](const std::unique_ptr<TFolderMonWorker>& w) { return !w || w->Finished(); });
}

}  // namespace

// --- worker ---

TFolderMonWorker::TFolderMonWorker(TFolderMon* monitor)
    : monitor_(monitor),
      folder_(monitor ? monitor->Folder() : std::string()),
      subTree_(monitor && monitor->WatchSubTree()),
      filter_(monitor ? NotificationFilter(monitor->Events()) : 0),
      watching_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    if (!monitor) throw EError("Reference to TFolderMon instance must be specified");
    if (!watching_) RaiseLastOSError("CreateEvent");
    OpenFolder();
    Start();
    // The system records changes from the first read on: once Activate has returned, every
    // change is seen.
    ::WaitForSingleObject(watching_.get(), INFINITE);
}

void TFolderMonWorker::Release() {
    monitor_ = nullptr;
    Terminate();  // also ends a read under way: the thread waits for it together with this
}

bool TFolderMonWorker::OpenFolder() {
    // Overlapped, so a stop ends a read at once rather than at the folder's next change.
    dir_.reset(::CreateFileA(folder_.c_str(), GENERIC_READ | FILE_LIST_DIRECTORY,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    if (dir_) {
        if (std::exchange(failing_, false)) Log("TFolderMonWorker watching " + folder_);
        return true;
    }
    CannotWatch(::GetLastError());
    return false;
}

void TFolderMonWorker::CannotWatch(DWORD error) {
    lost_ = true;
    if (failing_) return;
    failing_ = true;
    Log("TFolderMonWorker cannot watch " + folder_ + ": " + SysErrorMessage(error));
}

// Some systems (Wine) watch an existing sub-folder only once it has been opened after the watch
// began: each one is opened, parents first, so the whole tree is watched as asked. So is a folder
// that arrives during the watch, before its record is handed over. budget: folders that may
// still be opened, shared by the walks of one start or one batch of records.
void TFolderMonWorker::OpenSubFolders(const std::string& top, int& budget) {
    std::vector<std::string> pending{IncludeTrailingDelimiter(top)};
    while (!pending.empty() && budget > 0 && !Terminated()) {
        std::string dir = std::move(pending.back());
        pending.pop_back();
        --budget;
        ForEachFileWhile(dir + "*", [&](const TFindData& fd) {
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                pending.push_back(dir + fd.cFileName + "\\");
            return !Terminated();  // a huge folder must not hold up a stop
        });
    }
    if (!pending.empty() && !Terminated())
        Log("TFolderMonWorker opened " + std::to_string(MaxSubFolders) + " sub-folders of " + folder_ +
            " and no more: changes further down may go unseen");
}

// A tree moved or copied in comes as a record per folder, parents first: the walk of the first
// has opened the rest, which are passed over.
void TFolderMonWorker::OpenIfFolder(const std::string& name, std::vector<std::string>& walked, int& budget) {
    if (budget <= 0) return;
    for (const std::string& w : walked)
        if (name.size() > w.size() && name[w.size()] == '\\' && SameTextAZ(std::string_view(name).substr(0, w.size()), w))
            return;
    std::string path = IncludeTrailingDelimiter(folder_) + name;
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return;
    OpenSubFolders(path, budget);
    walked.push_back(name);
}

void TFolderMonWorker::Execute() {
    // First: Activate waits for watching_, which every way out of here must set.
    ScopeExit closeFolder([this] {  // when the thread ends, also by an error
        dir_.reset();
        ::SetEvent(watching_.get());
    });
    // DWORD-aligned, as the records in it are.
    auto buffer = std::make_unique<DWORD[]>(BufferSize / sizeof(DWORD));
    unique_event readDone(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!readDone) RaiseLastOSError("CreateEvent");
    while (!Terminated() && monitor_.load()) {
        if (!dir_ && !OpenFolder()) {
            ::SetEvent(watching_.get());  // as far as it goes
            // A folder that can't be opened is tried again after a pause, not in a loop.
            if (!SleepUnlessTerminated(RetryPauseMs)) break;
            continue;
        }
        DWORD bytes = 0;
        TRead r = ReadBatch(buffer.get(), readDone.get(), bytes);
        if (r == TRead::rdStop) break;
        if (r == TRead::rdFailed) {
            dir_.reset();
            treeOpened_ = false;  // opened again after the pause: the folder may have been made anew
            if (!SleepUnlessTerminated(RetryPauseMs)) break;
            continue;
        }
        if (!monitor_.load()) break;
        if (bytes == 0) {  // the changes did not fit the buffer: none is reported, only the loss
            Synchronize([this] { Deliver(true); });
            continue;
        }
        DeliverAll(buffer.get(), bytes);
    }
}

TFolderMonWorker::TRead TFolderMonWorker::ReadBatch(void* buffer, HANDLE readDone, DWORD& bytes) {
    bytes = 0;
    OVERLAPPED ov{};
    ov.hEvent = readDone;
    ::ResetEvent(readDone);
    BOOL reading = ::ReadDirectoryChangesW(dir_.get(), buffer, BufferSize, subTree_, filter_, nullptr, &ov, nullptr);
    if (reading && subTree_ && !treeOpened_) {
        int budget = MaxSubFolders;
        OpenSubFolders(folder_, budget);
        treeOpened_ = true;
    }
    ::SetEvent(watching_.get());
    if (!reading) return Failed(::GetLastError());
    // The read must be over before its buffer and record go, however this is left.
    auto endRead = [&] {
        ::CancelIoEx(dir_.get(), &ov);
        ::GetOverlappedResult(dir_.get(), &ov, &bytes, TRUE);
    };
    // Watching again after a failure: what changed meanwhile was never recorded, which the
    // owner hears as a loss (once the read is under way, so nothing after it goes unseen).
    if (std::exchange(lost_, false)) {
        try {
            Synchronize([this] { Deliver(true); });
        } catch (...) {
            endRead();
            throw;
        }
    }
    HANDLE waits[2] = {readDone, TerminateEvent()};
    DWORD w = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (w != WAIT_OBJECT_0) {
        DWORD error = ::GetLastError();
        endRead();
        if (w == WAIT_OBJECT_0 + 1) return TRead::rdStop;
        throw EError("TFolderMonWorker wait: " + SysErrorMessage(error));
    }
    if (!::GetOverlappedResult(dir_.get(), &ov, &bytes, FALSE)) {
        bytes = 0;
        return Failed(::GetLastError());
    }
    return TRead::rdData;
}

TFolderMonWorker::TRead TFolderMonWorker::Failed(DWORD error) {
    // An overflow (the system's two forms alike) is a read without records, not a failure.
    if (error == ERROR_NOTIFY_ENUM_DIR) return TRead::rdData;
    CannotWatch(error);
    return TRead::rdFailed;
}

void TFolderMonWorker::DeliverAll(const void* buffer, DWORD bytes) {
    const auto* base = static_cast<const std::byte*>(buffer);
    DWORD offset = 0;
    std::vector<std::string> walked;  // folders of this batch opened with everything in them
    int budget = MaxSubFolders;
    for (;;) {
        if (offset + offsetof(FILE_NOTIFY_INFORMATION, FileName) > bytes) return;
        const auto* rec = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + offset);
        DWORD nameBytes = rec->FileNameLength;
        if (offset + offsetof(FILE_NOTIFY_INFORMATION, FileName) + nameBytes > bytes) return;
        if (rec->Action >= FILE_ACTION_ADDED && rec->Action <= FILE_ACTION_RENAMED_NEW_NAME) {
            item_.FileName = WideToAnsi(std::wstring_view(rec->FileName, nameBytes / sizeof(WCHAR)));
            item_.Action = static_cast<TFolderAction>(rec->Action - FILE_ACTION_ADDED);
            if (subTree_ && (rec->Action == FILE_ACTION_ADDED || rec->Action == FILE_ACTION_RENAMED_NEW_NAME))
                OpenIfFolder(item_.FileName, walked, budget);
            Synchronize([this] { Deliver(false); });
            if (!monitor_.load()) return;  // deactivated meanwhile: the rest goes nowhere
        }
        if (rec->NextEntryOffset == 0) return;
        offset += rec->NextEntryOffset;
    }
}

// The handlers are copied before the call: the monitor may be destroyed by its own handler.
void TFolderMonWorker::Deliver(bool overflow) {
    TFolderMon* monitor = monitor_.load();
    if (!monitor) return;
    delivering_ = true;
    ScopeExit done([this] { delivering_ = false; });
    if (overflow) {
        if (auto handler = monitor->OnOverflow) handler(monitor);
    } else if (auto handler = monitor->OnChange) {
        handler(monitor, item_);
    }
}

// --- monitor ---

TFolderMon::~TFolderMon() {
    try {
        Deactivate();
    } catch (const std::exception& e) {
        Log(std::string("TFolderMon.Destroy Exception: ") + e.what());
    }
    // Every worker has been told to stop and its read is ending; what keeps one is at most a
    // hand-over, which the wait serves (delivering nothing).
    for (auto& w : stopped_) {
        if (!w->Delivering()) {
            try {
                w->WaitFor();
                continue;
            } catch (const std::exception& e) {
                Log(std::string("TFolderMon.Destroy Exception: ") + e.what());
            }
        }
        Orphans().push_back(std::move(w));
    }
    stopped_.clear();
}

void TFolderMon::SetFolder(const std::string& folder) {
    if (SameTextAZ(folder, folder_)) return;
    if (Active())
        throw EError(
            "Currently still actively monitoring a folder. Please deactivate before changing monitored folder.");
    folder_ = folder;
}

void TFolderMon::SetEvents(TMonitorEvents events) {
    if (events == events_) return;
    if (Active()) throw EError("The monitor must be deactivated before changing the monitored event(s)");
    events_ = events;
}

void TFolderMon::SetWatchSubTree(bool on) {
    if (on == watchSubTree_) return;
    if (Active()) throw EError("Please deactivate the monitor first");
    watchSubTree_ = on;
}

void TFolderMon::Activate() {
    if (Active()) return;
    if (events_ == 0) throw EError("Please specify event(s) to be monitored");
    if (!DirectoryExists(folder_)) throw EError("Please supply valid/existing folder");
    FreeEndedWorkers();
    worker_ = std::make_unique<TFolderMonWorker>(this);
    if (OnActivated) OnActivated(this);
}

void TFolderMon::Deactivate() {
    if (!Active()) return;
    worker_->Release();
    stopped_.push_back(std::move(worker_));
    FreeEndedWorkers();
    if (OnDeactivated) OnDeactivated(this);
}

void TFolderMon::FreeEndedWorkers() {
    EraseEnded(stopped_);
    EraseEnded(Orphans());
}

}  // namespace tsb
