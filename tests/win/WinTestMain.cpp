#include "win/WinTestMain.h"

#include "framework/win/Application.h"
#include "pages/WinShell.h"

namespace tsbtest {

void WinTest::SetUpTestSuite() {
    static tsb::CoInitGuard com;
    static bool once = [] {
        tsb::Application().Initialize();
        tsb::Application().SetTitle("Tessaboard");
        tsb::Application().OnException = [](const std::string& m) { ADD_FAILURE() << "error box: " << m; };
        tsb::InitWinShell();
        return true;
    }();
    (void)once;
}

}  // namespace tsbtest
