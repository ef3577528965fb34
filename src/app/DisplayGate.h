#pragma once
// Who may display a page or run a command now. A display, a command and a reload each let
// messages through; what is asked for meanwhile must not run inside them, or two builds would
// mix their buttons and a command would pull the ground from under another.
#include "framework/core/ObjectRef.h"
#include "framework/core/ScopeExit.h"
#include "pages/DataObject.h"

namespace tsb {

class TDisplayGate {
public:
    // A display of page begins, unless one is under way: then page waits and is shown next.
    bool Begin(TRef<TFolderRecord> page) {
        if (displaying_) {
            Hold(page);
            return false;
        }
        displaying_ = true;
        return true;
    }
    // The display ended: the page that waited meanwhile, empty if none did.
    TRef<TFolderRecord> End() {
        displaying_ = false;
        TRef<TFolderRecord> next = waiting_;
        waiting_ = {};
        return next;
    }
    void Hold(TRef<TFolderRecord> page) { waiting_ = page; }  // the latest asked for wins
    bool Displaying() const { return displaying_; }
    bool Holds() const { return !waiting_.Empty(); }

    // A command or a reload runs while the returned guard lives.
    [[nodiscard]] auto Command() {
        ++commands_;
        return ScopeExit([this] { --commands_; });
    }
    // The menu and its keys wait while a command, a reload, a display or a walk over the page
    // tree is under way.
    bool AcceptsCommands() const { return commands_ == 0 && !displaying_ && !PageTreeBusy(); }
    // A display takes a moment: a command asked for meanwhile is done once it has finished.
    // Other work takes as long as it takes, and what is asked for then is dropped.
    bool HoldsCommands() const { return displaying_ && commands_ == 0 && !PageTreeBusy(); }

private:
    bool displaying_ = false;
    TRef<TFolderRecord> waiting_;
    int commands_ = 0;
};

}  // namespace tsb
