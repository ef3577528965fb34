// The picture registry and the framework's own picture classes, on real files.
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "framework/win/Errors.h"
#include "framework/win/Picture.h"
#include "win/LambdaThread.h"
#include "win/PictureFiles.h"
#include "win/WinTestMain.h"

using namespace tsb;
using namespace tsbtest;

class Pictures : public WinTest {
protected:
    TempFolder dir{"tsbpic"};
};

// A unit that registers its classes before any picture was ever loaded keeps the framework's
// own classes, and its own registration of an extension wins over theirs.
TEST_F(Pictures, LaterRegistrationsAddToTheDefaultsAndWinForTheirExtension) {
    std::string bmp = dir / "blue.BMP";
    WriteBmp(bmp, 8, 4, RGB(0, 0, 255));
    RegisterPictureClass(".tsbfirst", "First", [](const std::string&) -> std::unique_ptr<TGraphic> {
        throw EError("first");
    });
    TPicture p;
    p.LoadFromFile(bmp);
    EXPECT_EQ(p.Width(), 8);
    EXPECT_EQ(p.Height(), 4);
    for (const char* ext : {".wmf", ".emf", ".ico", ".bmp", ".BMP", ".tsbfirst"})
        EXPECT_TRUE(FindPictureClass(ext)) << ext;
    EXPECT_FALSE(FindPictureClass(".tsbnone"));

    std::string other = dir / "x.tsbwin";
    WriteFile(other, "");
    RegisterPictureClass(".TSBWIN", "Old", [](const std::string&) -> std::unique_ptr<TGraphic> { throw EError("old"); });
    RegisterPictureClass(".tsbwin", "New", [](const std::string&) -> std::unique_ptr<TGraphic> { throw EError("new"); });
    try {
        p.LoadFromFile(other);
        ADD_FAILURE() << "the loader raises";
    } catch (const EError& e) {
        EXPECT_STREQ(e.what(), "new");
    }
    EXPECT_EQ(p.Width(), 8) << "a failed load keeps the picture it had";
    try {
        p.LoadFromFile(dir / "x.tsbnone");
        ADD_FAILURE() << "no class for the extension";
    } catch (const EError& e) {
        EXPECT_STREQ(e.what(), "Unknown picture file extension (.tsbnone)");
    }
}

TEST_F(Pictures, WindowsMetafilesPlainAndPlaceableLoadAndDraw) {
    std::string plain = dir / "plain.wmf";
    std::string bytes = MakeWindowsMetafile(plain);
    ASSERT_GT(bytes.size(), 18u);

    // The placeable form: a 22-byte header (key, handle, box, units per inch, reserved, checksum).
    std::string header(22, '\0');
    uint32_t key = 0x9AC6CDD7;
    int16_t box[4] = {0, 0, 100, 50};
    uint16_t inch = 96;
    std::memcpy(header.data(), &key, 4);
    std::memcpy(header.data() + 6, box, sizeof box);
    std::memcpy(header.data() + 14, &inch, 2);
    uint16_t sum = 0;
    for (int i = 0; i < 10; ++i) {
        uint16_t word;
        std::memcpy(&word, header.data() + i * 2, 2);
        sum ^= word;
    }
    std::memcpy(header.data() + 20, &sum, 2);
    std::string placeable = dir / "placeable.WMF";
    WriteFile(placeable, header + bytes);

    for (const std::string& file : {plain, placeable}) {
        TPicture p;
        p.LoadFromFile(file);
        EXPECT_GT(p.Width(), 0) << file;
        EXPECT_GT(p.Height(), 0) << file;
        EXPECT_EQ(DrawnCentre(p), RGB(255, 0, 0)) << file;
    }

    std::string broken = dir / "broken.wmf";
    WriteFile(broken, "not a metafile at all");
    TPicture p;
    EXPECT_THROW(p.LoadFromFile(broken), EError);
}

// Thumbnails look classes up on a worker while the GUI thread may register more.
TEST_F(Pictures, RegistryIsReadFromAWorkerWhileTheGuiRegisters) {
    std::string bmp = dir / "green.bmp";
    WriteBmp(bmp, 6, 3, RGB(0, 255, 0));
    std::atomic<int> loads{0}, wrong{0};
    TLambdaThread worker([&](TLambdaThread& self) {
        TPicture p;  // a picture of its own
        while (!self.Terminated()) {
            if (!FindPictureClass(".bmp") || !FindPictureClass(".emf")) ++wrong;
            p.LoadFromFile(bmp);
            if (p.Width() != 6 || p.Height() != 3) ++wrong;
            ++loads;
        }
    });
    worker.Start();
    auto waitForLoads = [&](int n) {
        DWORD end = GetTickCount() + 5000;
        while (loads < n && !worker.Finished() && GetTickCount() < end) Sleep(1);
    };
    waitForLoads(1);  // the worker reads from here on
    for (int i = 0; i < 3000; ++i)
        RegisterPictureClass(".tsbreg" + std::to_string(i), "Many",
                             [](const std::string&) -> std::unique_ptr<TGraphic> { return nullptr; });
    waitForLoads(loads + 10);
    worker.Stop();
    EXPECT_EQ(worker.FatalException(), "");
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_GE(loads.load(), 10);
    for (int i = 0; i < 3000; i += 499) EXPECT_TRUE(FindPictureClass(".tsbreg" + std::to_string(i))) << i;
}
