#pragma once
// The page tree in-process, read from a shortcuts folder of the test's own.
#include <string>

#include "pages/DataObject.h"
#include "pages/WorkingFormUnit.h"
#include "win/WinTestMain.h"

namespace tsbtest {

class PageTreeTest : public WinTest {
protected:
    explicit PageTreeTest(const std::string& tag) : dir{tag} {}

    TempFolder dir;
    std::string root = dir / "shortcuts";
    std::string target = dir / "target.exe";  // what the links made here point to

    void SetUp() override {
        MakeDir(root);
        WriteFile(target, "x");
        tsb::InitRootFolder(root);
    }
    void TearDown() override {
        tsb::HideWorking();
        tsb::DoneRootFolder();
    }
    // A link to the target at this path below the root.
    void Link(const std::string& rel, const std::string& description = "") {
        MakeLink(root + "\\" + rel, {target, "", description, "", ""});
    }
};

}  // namespace tsbtest
