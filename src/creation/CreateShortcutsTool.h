#pragma once
// The Create Shortcuts command, for the main window to call: the dialog, then the run into the
// folder of the page on show.
#include <functional>
#include <string>

#include "framework/win/Control.h"

namespace tsb {

// What only the caller can do around a run.
struct TCreateShortcutsHooks {
    // Before the first file is written: stop the folder monitor and switch the change timer off,
    // so the files written do not set off reloads one by one.
    std::function<void()> BeforeRun;
    // After the run, also when it ended by an error: mark the page for reading again, activate
    // the monitor and switch the change timer on, so the page is read and shown once.
    std::function<void()> AfterRun;
};

// Shows the dialog (owned by owner; lastSourcePath, when set, is its initial path) and, after
// OK, remembers the source path and runs the creation into destination. Input to the program's
// windows waits during the run, and page displays wait for its end. The administrator is told
// when the run stopped early or shortcuts could not be written. False when the dialog was
// cancelled. Errors of the run pass on after the closing steps.
// destination is asked for once the dialog has been answered: the page on show may have changed
// while the dialog was up.
bool ExecuteCreateShortcuts(const TControl* owner, std::string& lastSourcePath,
                            const std::function<std::string()>& destination, const TCreateShortcutsHooks& hooks);

}  // namespace tsb
