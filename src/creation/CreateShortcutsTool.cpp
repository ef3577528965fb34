#include "creation/CreateShortcutsTool.h"

#include <memory>

#include "creation/BulkCreation.h"
#include "creation/CreateShortcutsFormUnit.h"
#include "framework/core/ScopeExit.h"
#include "framework/win/Application.h"
#include "pages/DataObject.h"
#include "pages/WorkingFormUnit.h"

namespace tsb {

bool ExecuteCreateShortcuts(const TControl* owner, std::string& lastSourcePath,
                            const std::function<std::string()>& destination, const TCreateShortcutsHooks& hooks) {
    auto form = std::make_unique<TCreateShortcutsForm>(owner);
    if (!lastSourcePath.empty()) form->PathEdit->SetText(lastSourcePath);
    if (form->ShowModal() != mrOk) return false;
    lastSourcePath = form->SourceFolder;

    TCreateShortcutsRun run;
    {
        Application().SetScreenCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
        BeginPageTreeWalk();
        std::vector<HWND> disabled = DisableThreadWindows();
        ScopeExit closing([&] {
            // A clean-up raises nothing: it may run while an error passes.
            try {
                if (hooks.AfterRun) hooks.AfterRun();
            } catch (const std::exception& e) {
                Application().HandleException(e);
            }
            HideWorking();
            EnableWindows(disabled);
            Application().SetScreenCursor(nullptr);
            EndPageTreeWalk();
        });
        if (hooks.BeforeRun) hooks.BeforeRun();
        if (form->OverwriteMode != owPrompt) ShowWorking("");
        run.Run(form->SourceFolder, form->FileSpec, destination(), form->IncludeSubFolders, form->MaintainStructure,
                form->OverwriteMode, form->CreatePage, form->PageName);
    }
    std::string told = run.StopMessage;
    if (run.Failed > 0) {
        if (!told.empty()) told += '\n';
        told.append(std::to_string(run.Failed)).append(" shortcut(s) could not be written.");
    }
    if (!told.empty()) {
        HWND box = owner && owner->Handle() ? owner->Handle() : nullptr;
        ::MessageBoxA(box, told.c_str(), Application().Title().c_str(), MB_OK | MB_ICONINFORMATION);
    }
    return true;
}

}  // namespace tsb
