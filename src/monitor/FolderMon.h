#pragma once
// The watcher of the program folder. It holds its settings and its active state; the worker
// that watches the disk comes with the folder-change handling of the main window.
#include <functional>
#include <string>

namespace tsb {

enum TFolderAction { actAdded, actRemoved, actModified, actOldName, actNewName };
struct TFolderItemInfo {
    std::string FileName;  // relative to the watched folder
    TFolderAction Action = actAdded;
};

enum TMonitorEvent { meFileName, meDirName, meAttributes, meSize, meLastWrite, meLastAccess, meCreation, meSecurity };

class TFolderMon {
public:
    std::function<void(TFolderMon* sender, const TFolderItemInfo& change)> OnChange;
    unsigned Events = 0;  // bit n stands for TMonitorEvent n
    bool WatchSubTree = false;
    std::string Folder;

    bool Active() const { return active_; }
    void Activate() { active_ = true; }
    void Deactivate() { active_ = false; }

private:
    bool active_ = false;
};

}  // namespace tsb
