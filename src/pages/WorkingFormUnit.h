#pragma once
// The working indicator: a small borderless window over the main window with a title and
// one line of detail. There is at most one.
#include <functional>
#include <memory>
#include <string>

#include "framework/win/Forms.h"
#include "framework/win/StdCtrls.h"

namespace tsb {

class TfrmWorking : public TForm {
public:
    TfrmWorking();
    TLabel* StaticText1;
    TLabel* txtMessage;
};

extern std::unique_ptr<TfrmWorking> frmWorking;

void ShowWorking(const std::string& message);
void ShowLoading(const std::string& message);
void HideWorking();

// Called after every show with the title shown; tests watch the indicator through it.
extern std::function<void(const std::string& title)> WorkingShown;

}  // namespace tsb
