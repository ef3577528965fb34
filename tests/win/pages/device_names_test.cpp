// Files named like devices: the system opens the device for such a name in any folder, and a
// serial port's read waits for ever, so they never count as files of the menu.
#include <cstdio>
#include <thread>

#include "framework/core/Text.h"
#include "framework/win/Files.h"
#include "pages/DataObject.h"
#include "pages/WorkingFormUnit.h"
#include "support/BadFiles.h"
#include "win/WinTestMain.h"

using namespace tsb;
using namespace tsbtest;

namespace {

class DeviceNames : public WinTest {
protected:
    TempFolder dir{"tsbdev"};
    void TearDown() override {
        HideWorking();
        DoneRootFolder();
        RemoveTree(dir.Path());
    }
};

}  // namespace

TEST_F(DeviceNames, AreNoFilesWhereverTheyLie) {
    WriteFileExact(dir / "COM1.png", "on disk, by its exact name");
    for (const char* name : {"COM1.png", "aux.bmp", "CON", "nul.jpg", "LPT1.ico"})
        EXPECT_FALSE(FileExists(dir / name)) << name;
    WriteFile(dir / "console.png", "x");
    EXPECT_TRUE(FileExists(dir / "console.png"));
}

TEST_F(DeviceNames, LinkFilesSoNamedAreLeftOutOfThePageWithoutReadingTheDevice) {
    std::string root = dir / "shortcuts";
    MakeDir(root);
    WriteFile(dir / "target.txt", "x");
    MakeLink(root + "\\Good.lnk", {dir / "target.txt", "", "Good", "", ""});
    std::string bytes = ReadFile(root + "\\Good.lnk");
    for (const char* device : {"AUX.lnk", "COM1.lnk", "CON.lnk", "NUL.lnk"}) WriteFileExact(root + "\\" + device, bytes);
    InitRootFolder(root);
    // Read on a thread of its own: a read of a device never answers and cannot be cancelled
    // everywhere, so a reading that has not ended in time ends the test program with the reason.
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread reader([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        LoadFolder(RootFolder, RootFolder->Path, nullptr);
        CoUninitialize();
        SetEvent(done);
    });
    if (WaitForSingleObject(done, 30000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "FAILED: a device was read: the page's reading has not ended in 30 s\n");
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    reader.join();
    CloseHandle(done);
    ASSERT_EQ(RootFolder->Shortcuts.size(), 1u);
    EXPECT_EQ(RootFolder->Shortcuts[0]->Name, "Good");
}
