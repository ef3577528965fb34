#pragma once
// The watcher of one folder, optionally with its whole sub-tree. A worker thread reads the
// system's directory changes and hands each change record to the GUI thread, where OnChange
// runs while the worker waits.
//
// Lifetimes: the monitor owns its workers. Deactivate never waits: it cuts the worker off from
// the monitor (nothing reaches OnChange from then on), and the worker's stop event ends its
// read at once, so the worker closes its folder handle and ends within moments. Ended workers
// are freed by the next Activate or Deactivate. The destructor waits for the workers that have
// not ended yet, serving their hand-overs meanwhile (which deliver nothing), so no thread
// outlives the monitor and a worker caught in a hand-over cannot deadlock its destruction.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/win/ScopedWin.h"
#include "framework/win/Thread.h"

namespace tsb {

enum TFolderAction : std::uint8_t { actAdded, actRemoved, actModified, actOldName, actNewName };
// "New", "Removed", "Modified", "Old Name", "New name", by TFolderAction.
extern const char* const FolderActionNames[5];

struct TFolderItemInfo {
    std::string FileName;  // relative to the watched folder
    TFolderAction Action = actAdded;
};

enum TMonitorEvent { meFileName, meDirName, meAttributes, meSize, meLastWrite, meLastAccess, meCreation, meSecurity };
using TMonitorEvents = std::uint8_t;  // bit n stands for TMonitorEvent n
constexpr TMonitorEvents MonitorEvent(TMonitorEvent e) { return static_cast<TMonitorEvents>(1u << e); }

// The system's notification filter for a set of events.
DWORD NotificationFilter(TMonitorEvents events);

class TFolderMon;

class TFolderMonWorker final : public TThread {
public:
    // Opens the monitor's folder and starts watching it with the monitor's settings as they
    // are now. A folder that can't be opened is tried again, once a second, from the thread.
    explicit TFolderMonWorker(TFolderMon* monitor);
    // Cuts the worker off from its monitor and asks it to end (GUI thread).
    void Release();
    bool Delivering() const { return delivering_; }  // its OnChange call runs now (GUI thread)

    static constexpr DWORD BufferSize = 32768;
    static constexpr DWORD RetryPauseMs = 1000;
    static constexpr int MaxSubFolders = 4096;  // opened at the start of a watch, or per batch (see OpenSubFolders)

protected:
    void Execute() override;

private:
    enum class TRead { rdData, rdStop, rdFailed };  // rdData with 0 bytes: an overflow
    bool OpenFolder();
    TRead ReadBatch(void* buffer, HANDLE readDone, DWORD& bytes);
    TRead Failed(DWORD error);
    void CannotWatch(DWORD error);
    void OpenSubFolders(const std::string& top, int& budget);
    // A record's item, when it is a folder not yet opened by this batch.
    void OpenIfFolder(const std::string& name, std::vector<std::string>& walked, int& budget);
    void DeliverAll(const void* buffer, DWORD bytes);
    void Deliver(bool overflow);  // on the GUI thread: item_, or the loss of what did not fit

    std::atomic<TFolderMon*> monitor_;
    const std::string folder_;
    const bool subTree_;
    const DWORD filter_;
    unique_event watching_;  // set once the first read is under way (or can't be)
    unique_file dir_;
    bool treeOpened_ = false;
    bool failing_ = false;  // said once in a debug line until watching works again
    bool lost_ = false;     // changes went unrecorded while watching failed
    TFolderItemInfo item_;  // the record being handed over
    bool delivering_ = false;
};

class TFolderMon {
public:
    TFolderMon() = default;
    ~TFolderMon();
    TFolderMon(const TFolderMon&) = delete;
    TFolderMon& operator=(const TFolderMon&) = delete;

    // Called on the GUI thread once per change; change is valid only during the call.
    std::function<void(TFolderMon* sender, const TFolderItemInfo& change)> OnChange;
    // Called on the GUI thread when the system dropped changes it could not hold (an overflow):
    // what they were is unknown, so the owner reads everything it shows again.
    std::function<void(TFolderMon* sender)> OnOverflow;
    std::function<void(TFolderMon* sender)> OnActivated;
    std::function<void(TFolderMon* sender)> OnDeactivated;

    // Settings; each can change only while the monitor is inactive.
    const std::string& Folder() const { return folder_; }
    void SetFolder(const std::string& folder);  // a change of letter case only is no change
    TMonitorEvents Events() const { return events_; }
    void SetEvents(TMonitorEvents events);
    bool WatchSubTree() const { return watchSubTree_; }
    void SetWatchSubTree(bool on);

    bool Active() const { return worker_ != nullptr; }
    void Activate();
    void Deactivate();  // never waits for the worker

private:
    void FreeEndedWorkers();

    std::string folder_;
    std::unique_ptr<TFolderMonWorker> worker_;
    TMonitorEvents events_ = 0;
    bool watchSubTree_ = false;
    std::vector<std::unique_ptr<TFolderMonWorker>> stopped_;  // released, possibly still ending
};

}  // namespace tsb
