// Files named like devices: the system opens the device for such a name in any folder, and a
// serial port's read waits for ever, so they never count as files of the menu.
#include <atomic>
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
        RemoveTreeExact(dir.Path());
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
    // A read of a device that never answers is cancelled after a while, so that the test ends.
    HANDLE self = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, 0, FALSE, DUPLICATE_SAME_ACCESS);
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> cancelled{false};
    std::thread watchdog([&] {
        while (WaitForSingleObject(done, 5000) == WAIT_TIMEOUT) cancelled = CancelSynchronousIo(self) != FALSE || cancelled;
    });
    LoadFolder(RootFolder, RootFolder->Path, nullptr);
    SetEvent(done);
    watchdog.join();
    CloseHandle(done);
    CloseHandle(self);
    EXPECT_FALSE(cancelled) << "a device was read";
    ASSERT_EQ(RootFolder->Shortcuts.size(), 1u);
    EXPECT_EQ(RootFolder->Shortcuts[0]->Name, "Good");
}
