// Picture decoding: the classes chosen per extension, the JPEG decoder on libjpeg (scaled,
// damaged and huge files), the GDI+ pictures and their loader, and the logo in every format.
#include <atomic>
#include <string>

#include "framework/win/Errors.h"
#include "framework/win/Jpeg.h"
#include "framework/win/Picture.h"
#include "pictures/GdiPlusPictures.h"
#include "win/LambdaThread.h"
#include "win/MainFormFixture.h"
#include "win/PictureFiles.h"
#include "win/TwoColourPictures.h"
#include "win/WinTestMain.h"

#include <psapi.h>

using namespace tsb;
using namespace tsbtest;

namespace {

const COLORREF Green = RGB(0, 255, 0), Orange = RGB(250, 140, 20);  // Red and Blue: TwoColourPictures.h

// The most memory the process has touched so far (under Wine the peak page-file figure is the
// current one, the peak working set a true peak).
SIZE_T PeakMemory() {
    PROCESS_MEMORY_COUNTERS c{};
    c.cb = sizeof c;
    GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
    return c.PeakWorkingSetSize;
}

// What loading the file through the registry gave: an error's text, or the graphic.
struct Loaded {
    std::string error;
    TPicture picture;
};
void LoadInto(Loaded& out, const std::string& file, int fitWidth = 0, int fitHeight = 0) {
    try {
        out.picture.LoadFromFile(file, fitWidth, fitHeight);
    } catch (const EError& e) {
        out.error = e.what();
    }
}

}  // namespace

class Decoding : public WinTest {
protected:
    static void SetUpTestSuite() {
        WinTest::SetUpTestSuite();
        RegisterPictureClasses();
    }
    TempFolder dir{"tsbdec"};

    std::string Write(const std::string& name, const std::string& bytes) {
        WriteFile(dir / name, bytes);
        return dir / name;
    }
};

// --- the registry ---

TEST_F(Decoding, EachExtensionInAnyCaseReachesItsDecoder) {
    std::string png = PngBytes(8, 6, Red), jpg = JpegBytes(8, 6, Red);
    ASSERT_FALSE(png.empty());
    struct Case {
        std::string name, bytes;
        bool (*is)(const TGraphic*);
    };
    auto isPng = [](const TGraphic* g) { return dynamic_cast<const TPngImage*>(g) != nullptr; };
    auto isGif = [](const TGraphic* g) { return dynamic_cast<const TGifImage*>(g) != nullptr; };
    auto isTiff = [](const TGraphic* g) { return dynamic_cast<const TTiffImage*>(g) != nullptr; };
    auto isJpeg = [](const TGraphic* g) { return dynamic_cast<const TJpegGraphic*>(g) != nullptr; };
    auto isBmp = [](const TGraphic* g) {
        return dynamic_cast<const TBitmap*>(g) != nullptr && dynamic_cast<const TJpegGraphic*>(g) == nullptr;
    };
    std::string gif = AnimatedGifBytes(8, 6, {Red}), tif = MultiPageTiffBytes(8, 6, {Red});
    const Case cases[] = {
        {"a.png", png, isPng},   {"b.PNG", png, isPng},   {"c.Gif", gif, isGif},     {"d.tif", tif, isTiff},
        {"e.TIFF", tif, isTiff}, {"f.jpg", jpg, isJpeg},  {"g.JPEG", jpg, isJpeg},   {"h.Jpg", jpg, isJpeg},
        {"i.bmp", BmpBytes(8, 6, Red), isBmp},
    };
    for (const Case& c : cases) {
        TPicture p;
        p.LoadFromFile(Write(c.name, c.bytes));
        EXPECT_TRUE(c.is(p.Graphic())) << c.name;
        EXPECT_EQ(p.Width(), 8) << c.name;
        EXPECT_EQ(p.Height(), 6) << c.name;
        EXPECT_TRUE(Near(DrawnCentre(p), Red)) << c.name << " draws " << std::hex << DrawnCentre(p);
    }
    // Registering again changes nothing: JPEG files stay with the framework's class.
    RegisterPictureClasses();
    TPicture p;
    p.LoadFromFile(dir / "f.jpg");
    EXPECT_TRUE(isJpeg(p.Graphic()));
}

// --- JPEG through libjpeg ---

TEST_F(Decoding, JpegGreyAndCmykDecodeToTheirColours) {
    Loaded grey, cmyk, progressive;
    LoadInto(grey, Write("grey.jpg", JpegBytes(16, 16, RGB(128, 128, 128), false, 1)));
    LoadInto(cmyk, Write("cmyk.jpg", JpegBytes(16, 16, Orange, false, 4)));
    LoadInto(progressive, Write("progressive.jpg", JpegBytes(16, 16, Orange, true)));
    ASSERT_EQ(grey.error, "");
    ASSERT_EQ(cmyk.error, "");
    ASSERT_EQ(progressive.error, "");
    EXPECT_TRUE(Near(DrawnCentre(grey.picture), RGB(128, 128, 128)));
    EXPECT_TRUE(Near(DrawnCentre(cmyk.picture), Orange)) << std::hex << DrawnCentre(cmyk.picture);
    EXPECT_TRUE(Near(DrawnCentre(progressive.picture), Orange));
}

TEST_F(Decoding, CorruptJpegRaisesAndTheNextOneStillDecodes) {
    std::string good = JpegBytes(16, 16, Blue);
    std::string noHeader = good;
    noHeader[0] = 'G', noHeader[1] = 'I';
    std::string noImage = HugeJpegBytes(0, 16);  // a frame without width
    const std::pair<const char*, std::string> bad[] = {
        {"zero.jpg", ""}, {"not.jpg", noHeader}, {"empty-frame.jpg", noImage}, {"text.jpg", "hello, I am no picture"}};
    for (const auto& [name, bytes] : bad) {
        Loaded l;
        LoadInto(l, Write(name, bytes));
        EXPECT_NE(l.error.find("JPEG image is not valid"), std::string::npos) << name << ": " << l.error;
        EXPECT_TRUE(l.picture.Empty()) << name;
    }
    Loaded missing;
    LoadInto(missing, dir / "missing.jpg");
    EXPECT_NE(missing.error.find("Cannot open file"), std::string::npos) << missing.error;

    Loaded l;
    LoadInto(l, Write("good.jpg", good));
    EXPECT_EQ(l.error, "");
    EXPECT_TRUE(Near(DrawnCentre(l.picture), Blue));
}

// libjpeg only warns when the data ends early: the picture keeps its size, what was read shows.
TEST_F(Decoding, TruncatedJpegDecodesWithAWarningOnly) {
    std::string full = JpegBytes(64, 256, Green);
    size_t scan = full.find("\xFF\xDA");  // the image data begin after this marker
    ASSERT_NE(scan, std::string::npos);
    for (size_t keep : {scan + (full.size() - scan) * 2 / 3, scan + (full.size() - scan) / 3}) {
        Loaded l;
        LoadInto(l, Write("cut.jpg", full.substr(0, keep)));
        ASSERT_EQ(l.error, "") << keep;
        EXPECT_EQ(l.picture.Width(), 64);
        EXPECT_EQ(l.picture.Height(), 256);
        // The top rows were in the data that was read.
        unique_hdc dc(CreateCompatibleDC(nullptr));
        auto* bmp = dynamic_cast<const TBitmap*>(l.picture.Graphic());
        ASSERT_NE(bmp, nullptr);
        ScopedSelect sel(dc.get(), bmp->Handle());
        EXPECT_TRUE(Near(GetPixel(dc.get(), 32, 4), Green)) << std::hex << GetPixel(dc.get(), 32, 4);
    }
}

TEST_F(Decoding, ScaledJpegDecodingKeepsTheHeaderSize) {
    std::string file = Write("big.jpg", JpegBytes(1600, 1200, Orange));
    struct Case {
        int fitWidth, fitHeight, width, height;
    };
    const Case cases[] = {
        {0, 0, 1600, 1200},       // full size
        {128, 128, 200, 150},     // an eighth still covers 128 x 96
        {400, 400, 400, 300},     // a quarter exactly
        {1920, 1040, 1400, 1050}, // height limits (fit 1386 x 1040): 7/8
        {3000, 3000, 1600, 1200}, // bigger than the picture: never enlarged
        {1000, 1000, 1000, 750},  // width limits: 5/8
    };
    for (const Case& c : cases) {
        Loaded l;
        LoadInto(l, file, c.fitWidth, c.fitHeight);
        ASSERT_EQ(l.error, "");
        EXPECT_EQ(l.picture.Width(), c.width) << c.fitWidth << " x " << c.fitHeight;
        EXPECT_EQ(l.picture.Height(), c.height) << c.fitWidth << " x " << c.fitHeight;
        EXPECT_EQ(l.picture.OriginalWidth(), 1600);
        EXPECT_EQ(l.picture.OriginalHeight(), 1200);
        EXPECT_TRUE(Near(DrawnCentre(l.picture), Orange));
    }
    // Classes that can't shrink ignore the fit and report their own size as the original.
    Loaded png;
    LoadInto(png, Write("big.png", PngBytes(300, 200, Red)), 30, 30);
    EXPECT_EQ(png.picture.Width(), 300);
    EXPECT_EQ(png.picture.OriginalWidth(), 300);
    EXPECT_EQ(png.picture.OriginalHeight(), 200);
}

// --- camera photos ---

// A stored picture of 64 x 32 whose top-left block is red, the rest blue: where the red lands
// once shown tells how it was turned.
COLORREF RedCorner(int x, int y) { return x < 16 && y < 16 ? Red : Blue; }

TEST_F(Decoding, CameraOrientationShowsJpegAndTiffUprightByTheirCorners) {
    struct Case {
        const char* name;
        std::string bytes;
        int width, height, redX, redY;  // the upright size, and a point in the red corner
    };
    const std::string jpeg = JpegBytes(64, 32, RedCorner);
    const Case cases[] = {
        {"turned.jpg", WithApp1(jpeg, ExifBlock(6)), 32, 64, 28, 4},       // a quarter clockwise
        {"mirrored.jpg", WithApp1(jpeg, ExifBlock(2)), 64, 32, 60, 4},     // left to right
        {"transverse.tif", TiffBytes(64, 32, RedCorner, 7), 32, 64, 28, 60},
        {"anticlockwise.tif", TiffBytes(64, 32, RedCorner, 8), 32, 64, 4, 60},
        {"out-of-range.jpg", WithApp1(jpeg, ExifBlock(9)), 64, 32, 4, 4},  // as stored
    };
    for (const Case& c : cases) {
        Loaded l;
        LoadInto(l, Write(c.name, c.bytes));
        ASSERT_EQ(l.error, "") << c.name;
        EXPECT_EQ(l.picture.Width(), c.width) << c.name;
        EXPECT_EQ(l.picture.Height(), c.height) << c.name;
        EXPECT_EQ(l.picture.OriginalWidth(), c.width) << c.name;
        EXPECT_TRUE(Near(GraphicPixel(*l.picture.Graphic(), c.redX, c.redY), Red, 40)) << c.name;
        // The corner opposite the red one is blue.
        EXPECT_TRUE(Near(GraphicPixel(*l.picture.Graphic(), c.width - 1 - c.redX, c.height - 1 - c.redY), Blue, 40))
            << c.name;
    }
    // The fit asked for is of the picture upright: 640 x 320 turned into a 320 x 40 box needs
    // 20 x 40 of it, an eighth (the stored 80 x 40), where the box read as stored would need half.
    Loaded l;
    LoadInto(l, Write("big-turned.jpg", WithApp1(JpegBytes(640, 320, RedCorner), ExifBlock(6))), 320, 40);
    ASSERT_EQ(l.error, "");
    EXPECT_EQ(l.picture.Width(), 40);
    EXPECT_EQ(l.picture.Height(), 80);
    EXPECT_EQ(l.picture.OriginalWidth(), 320);
    EXPECT_EQ(l.picture.OriginalHeight(), 640);
}

TEST_F(Decoding, ACamerasPreviewStandsInForASmallFitOnlyAndDamageFallsBackToThePhoto) {
    // The photo red, its preview blue, so that the centre tells which was decoded.
    const std::string photo = JpegBytes(1600, 1200, Red), preview = JpegBytes(160, 120, Blue);
    std::string file = Write("camera.jpg", WithApp1(photo, ExifBlock(6, preview)));
    Loaded thumb;
    LoadInto(thumb, file, 128, 128);
    ASSERT_EQ(thumb.error, "");
    EXPECT_TRUE(Near(DrawnCentre(thumb.picture), Blue)) << "the preview fills 96 x 128";
    EXPECT_EQ(thumb.picture.OriginalWidth(), 1200) << "placed by the photo's upright size";
    EXPECT_EQ(thumb.picture.OriginalHeight(), 1600);
    EXPECT_LE(thumb.picture.Height(), 160);
    Loaded big;
    LoadInto(big, file, 200, 200);
    ASSERT_EQ(big.error, "");
    EXPECT_TRUE(Near(DrawnCentre(big.picture), Red)) << "a 160 x 120 preview is too small for 150 x 200";

    // Damaged blocks: the photo shows, as stored where the orientation could not be read.
    std::string block = ExifBlock(6, preview);
    std::string cut = block.substr(0, 20);  // inside the first directory's entry
    std::string distant = block;
    distant[13] = '\x7F';  // the first directory past the end
    std::string loop = block;
    loop[28] = 8, loop[29] = 0;  // the first directory names itself as the next: no preview in it
    std::string past = block;
    past[57] = '\x7F';  // the preview's length runs past the end
    std::string noise = ExifBlock(6, "\xFF\xD8" + std::string(200, '\x5A'));
    // A preview cut short decodes partly grey, with a warning only.
    std::string shortPreview = ExifBlock(6, preview.substr(0, preview.size() * 7 / 10));
    struct Case {
        const char* name;
        std::string block;
        int width;
    };
    for (const Case& c : {Case{"cut", cut, 1600}, {"far", distant, 1600}, {"loop", loop, 1200}, {"past", past, 1200},
                          {"noise", noise, 1200}, {"short", shortPreview, 1200}}) {
        Loaded l;
        LoadInto(l, Write(std::string(c.name) + ".jpg", WithApp1(photo, c.block)), 128, 128);
        ASSERT_EQ(l.error, "") << c.name;
        EXPECT_EQ(l.picture.OriginalWidth(), c.width) << c.name;
        EXPECT_TRUE(Near(DrawnCentre(l.picture), Red)) << c.name;
    }
}

// The decoder raises on a worker as on the GUI thread, many times over, and leaves nothing behind.
TEST_F(Decoding, JpegErrorsOnAWorkerAreRaisedThere) {
    std::string bad = Write("bad.jpg", "\xFF\xD8\xFF\xC0 broken");
    std::string good = Write("good.jpg", JpegBytes(32, 32, Red));
    std::atomic<int> raised{0}, decoded{0};
    TLambdaThread worker([&](TLambdaThread&) {
        for (int i = 0; i < 200; ++i) {
            TPicture p;
            try {
                p.LoadFromFile(bad);
            } catch (const EError&) {
                ++raised;
            }
            p.LoadFromFile(good, 4, 4);
            if (p.Width() == 4 && p.OriginalWidth() == 32) ++decoded;
        }
    });
    worker.Start();
    worker.WaitFor();
    EXPECT_EQ(worker.FatalException(), "");
    EXPECT_EQ(raised.load(), 200);
    EXPECT_EQ(decoded.load(), 200);
}

// --- GDI+ pictures ---

TEST_F(Decoding, ZeroByteTruncatedAndGarbagePngAreEmptyWithoutError) {
    std::string png = PngBytes(40, 30, Blue);
    const std::pair<const char*, std::string> bad[] = {
        {"zero.png", ""}, {"half.png", png.substr(0, png.size() / 2)}, {"head.png", png.substr(0, 20)},
        {"garbage.png", std::string(5000, '\x5A')}};
    for (const auto& [name, bytes] : bad) {
        TPicture p;
        EXPECT_NO_THROW(p.LoadFromFile(Write(name, bytes))) << name;
        EXPECT_EQ(p.Width(), 0) << name;
        EXPECT_EQ(p.Height(), 0) << name;
        EXPECT_EQ(DrawnCentre(p), RGB(255, 255, 255)) << name << " draws nothing";
    }
    TPngImage missing;
    missing.LoadFromFile(dir / "missing.png");
    EXPECT_FALSE(missing.HasContent());
}

TEST_F(Decoding, StreamPositionedMidwayLoadsWhole) {
    std::string png = PngBytes(20, 10, Green);
    ComPtr<IStream> stream = MemoryStream(png);
    LARGE_INTEGER middle{};
    middle.QuadPart = static_cast<LONGLONG>(png.size() / 2);
    stream->Seek(middle, STREAM_SEEK_SET, nullptr);
    TPngImage p;
    p.LoadFromStream(stream.get());
    ASSERT_TRUE(p.HasContent());
    EXPECT_EQ(p.DataLength(), png.size());
    EXPECT_EQ(p.Width(), 20);
    EXPECT_EQ(p.Height(), 10);
    EXPECT_TRUE(Near(DrawnCentre(p), Green));
    p.LoadFromStream(nullptr);
    EXPECT_FALSE(p.HasContent());
}

TEST_F(Decoding, AnimatedGifAndMultiPageTiffDrawTheirFirstFrame) {
    TPicture gif, tif;
    gif.LoadFromFile(Write("anim.gif", AnimatedGifBytes(20, 20, {Red, Green, Blue})));
    tif.LoadFromFile(Write("pages.tif", MultiPageTiffBytes(20, 20, {Blue, Red})));
    EXPECT_EQ(gif.Width(), 20);
    EXPECT_EQ(tif.Width(), 20);
    EXPECT_EQ(DrawnCentre(gif), Red);
    EXPECT_EQ(DrawnCentre(tif), Blue);
}

TEST_F(Decoding, SavingALoadedPictureWritesItsBytesUnchanged) {
    std::string png = PngBytes(12, 12, Red);
    TPngImage p;
    p.LoadFromFile(Write("saved.png", png));
    ComPtr<IStream> out = MemoryStream("");
    p.SaveToStream(out.get());
    EXPECT_EQ(StreamBytes(out.get()), png);

    // The same bytes through the base class, the class that knows nothing of their format.
    TGdiPlusPicture any;
    any.Assign(&p);
    ComPtr<IStream> again = MemoryStream("");
    any.SaveToStream(again.get());
    EXPECT_EQ(StreamBytes(again.get()), png);

    // GDI+'s JPEG class always encodes.
    TJpegImage jpeg;
    jpeg.Assign(&p);
    ComPtr<IStream> encoded = MemoryStream("");
    jpeg.SaveToStream(encoded.get());
    std::string bytes = StreamBytes(encoded.get());
    ASSERT_GT(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8");
}

TEST_F(Decoding, PictureFromABitmapIsEncodedInItsClassFormat) {
    auto bitmap = MakeBitmap(24, 16, Blue);
    TTiffImage tiff;
    tiff.Assign(bitmap.get());
    ASSERT_TRUE(tiff.HasContent());
    EXPECT_TRUE(tiff.FromBitmap());
    EXPECT_EQ(tiff.Width(), 24);
    ComPtr<IStream> out = MemoryStream("");
    tiff.SaveToStream(out.get());
    std::string bytes = StreamBytes(out.get());
    ASSERT_GT(bytes.size(), 4u);
    EXPECT_TRUE(bytes.substr(0, 4) == std::string("II*\0", 4) || bytes.substr(0, 4) == std::string("MM\0*", 4));
    TTiffImage back;
    back.LoadFromStream(MemoryStream(bytes).get());
    EXPECT_EQ(back.Width(), 24);
    EXPECT_EQ(back.Height(), 16);
    EXPECT_TRUE(Near(DrawnCentre(back), Blue));

    TGifImage gif;
    gif.Assign(bitmap.get());
    ComPtr<IStream> gifOut = MemoryStream("");
    gif.SaveToStream(gifOut.get());
    EXPECT_EQ(StreamBytes(gifOut.get()).substr(0, 3), "GIF");

    TGdiPlusPicture empty;
    ComPtr<IStream> none = MemoryStream("");
    EXPECT_EQ(empty.SaveAs(none.get(), TPictureFormat::Png, 0, 0), gdip::InvalidParameter);
    EXPECT_EQ(empty.SaveAs(nullptr, TPictureFormat::Png, 0, 0), gdip::InvalidParameter);
    tiff.Assign(&empty);
    EXPECT_FALSE(tiff.HasContent()) << "an empty source clears";
}

// Another program may be writing the file: it is read all the same.
TEST_F(Decoding, GdiPlusPictureIsReadWhileAnotherHandleWritesIt) {
    std::string file = Write("busy.png", PngBytes(10, 10, Red));
    unique_file writer(CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer);
    TPicture p;
    p.LoadFromFile(file);
    EXPECT_EQ(p.Width(), 10);
}

// --- huge and damaged files of every format ---

TEST_F(Decoding, HugeHeadersAndGarbageNeverCrashOrTakeUnboundedMemory) {
    const int Huge = 60000;
    std::string png = PngBytes(16, 16, Red), jpg = JpegBytes(64, 64, Red), bmp = BmpBytes(16, 16, Red);
    std::string gif = AnimatedGifBytes(16, 16, {Red}), tif = MultiPageTiffBytes(16, 16, {Red});
    struct Case {
        std::string name, bytes;
        bool raises;  // JPEG and bitmap files raise; the GDI+ formats are empty
    };
    std::string garbage;
    for (int i = 0; i < 20000; ++i) garbage += static_cast<char>((i * 7919) >> 3);
    const Case cases[] = {
        {"huge.png", HugePngBytes(Huge, Huge), false},   {"huge.gif", HugeGifBytes(Huge / 2, Huge / 2), false},
        {"huge.tif", HugeTiffBytes(Huge, Huge), false},  {"huge.jpg", HugeJpegBytes(Huge, Huge), true},
        {"hugep.jpg", HugeJpegBytes(Huge, Huge, true), true}, {"huge.bmp", HugeBmpBytes(Huge, Huge), true},
        {"garbage.png", garbage, false},                 {"garbage.gif", garbage, false},
        {"garbage.tif", garbage, false},                 {"garbage.jpg", garbage, true},
        {"garbage.bmp", garbage, true},                  {"zero.gif", "", false},
        {"zero.tif", "", false},                         {"zero.bmp", "", true},
        {"cut.gif", gif.substr(0, gif.size() / 2), false}, {"cut.tif", tif.substr(0, 40), false},
        {"cut.bmp", bmp.substr(0, bmp.size() / 2), true},
    };
    SIZE_T before = PeakMemory();
    for (const Case& c : cases) {
        Loaded l;
        LoadInto(l, Write(c.name, c.bytes));
        if (c.raises) {
            EXPECT_NE(l.error, "") << c.name;
            EXPECT_TRUE(l.picture.Empty()) << c.name;
        } else {  // a GDI+ picture with no image in it
            EXPECT_EQ(l.error, "") << c.name;
            EXPECT_EQ(l.picture.Width(), 0) << c.name;
            EXPECT_EQ(l.picture.Height(), 0) << c.name;
        }
    }
    SIZE_T grown = PeakMemory() - before;
    EXPECT_LT(grown, SIZE_T{300} * 1024 * 1024) << "peak grew by " << grown / (1024 * 1024) << " MB";
}

TEST_F(Decoding, JpegTooBigToDecodeSaysWhy) {
    Loaded huge, progressive, shrunk;
    LoadInto(huge, Write("huge.jpg", HugeJpegBytes(60000, 60000)), 128, 128);
    EXPECT_NE(huge.error.find("JPEG image is too large"), std::string::npos) << huge.error;
    EXPECT_NE(huge.error.find("60000 x 60000"), std::string::npos) << huge.error;
    EXPECT_NE(huge.error.find("33554432"), std::string::npos) << huge.error;
    // A progressive file keeps whole-image buffers at full size, whatever the scale.
    LoadInto(progressive, Write("progressive.jpg", HugeJpegBytes(20000, 20000, true)), 128, 128);
    EXPECT_NE(progressive.error.find("needs more than 256 MB"), std::string::npos) << progressive.error;
    // A baseline one of that size is read in strips: decoded at an eighth.
    LoadInto(shrunk, Write("baseline.jpg", HugeJpegBytes(20000, 20000)), 128, 128);
    EXPECT_EQ(shrunk.error, "");
    EXPECT_EQ(shrunk.picture.Width(), 2500);
    EXPECT_EQ(shrunk.picture.OriginalWidth(), 20000);
}

// --- GDI+ itself ---

TEST_F(Decoding, LoaderWithoutTheLibraryOrOneOfItsNamesIsUnusable) {
    TGDIPlus missing("tsb-no-such-graphics-library.dll");
    EXPECT_FALSE(missing.IsUsable());
    EXPECT_EQ(missing.StartupToken, 0u);
    TGDIPlus other("kernel32.dll");  // loads, but has none of the names
    EXPECT_FALSE(other.IsUsable());
    EXPECT_EQ(other.Handle(), nullptr);
    EXPECT_EQ(other.GdiplusStartup, nullptr);
    missing.Shutdown();
    other.Shutdown();

    // A second start beside the program's own, ended twice, leaves the program's one working.
    TGDIPlus second("gdiplus.dll");
    ASSERT_TRUE(second.IsUsable());
    EXPECT_NE(second.StartupToken, 0u);
    EXPECT_NE(second.GdipImageSelectActiveFrame, nullptr) << "the last name of the table";
    second.Shutdown();
    EXPECT_FALSE(second.IsUsable());
    EXPECT_EQ(second.StartupToken, 0u);
    second.Shutdown();
    TPicture p;
    p.LoadFromFile(Write("after.png", PngBytes(6, 6, Green)));
    EXPECT_TRUE(Near(DrawnCentre(p), Green));
}

// Shut down while pictures are still held: they draw nothing and go away quietly, also once GDI+
// is up again; JPEG and bitmap files never needed it.
TEST_F(Decoding, GdiPlusReleasedWhilePicturesLiveIsSafe) {
    std::string png = Write("held.png", PngBytes(6, 6, Red));
    auto held = std::make_unique<TPicture>();
    held->LoadFromFile(png);
    ASSERT_TRUE(Near(DrawnCentre(*held), Red));
    auto heldAcross = std::make_unique<TPngImage>();
    heldAcross->LoadFromFile(png);

    ReleaseGdiPlusLibrary();
    ReleaseGdiPlusLibrary();
    EXPECT_EQ(GdiPlusLibrary(), nullptr);
    EXPECT_EQ(DrawnCentre(*held), RGB(255, 255, 255));
    held.reset();
    TPicture p;
    p.LoadFromFile(png);
    EXPECT_EQ(p.Width(), 0) << "without GDI+ a PNG is empty";
    p.LoadFromFile(Write("still.jpg", JpegBytes(6, 6, Red)));
    EXPECT_EQ(p.Width(), 6);

    RegisterPictureClasses();
    ASSERT_TRUE(GdiPlusUsable());
    EXPECT_EQ(DrawnCentre(*heldAcross), RGB(255, 255, 255)) << "an image of the earlier start is gone";
    ComPtr<IStream> out = MemoryStream("");
    heldAcross->SaveToStream(out.get());
    EXPECT_EQ(StreamBytes(out.get()), "");
    heldAcross.reset();
    p.LoadFromFile(png);
    EXPECT_TRUE(Near(DrawnCentre(p), Red));
}

// --- the logo ---

class DecodingLogo : public MainFormTest {
protected:
    static void SetUpTestSuite() {
        MainFormTest::SetUpTestSuite();
        RegisterPictureClasses();
    }
};

TEST_F(DecodingLogo, EveryFormatOfTheRegistryShows) {
    WriteFile(dir / "logo.png", PngBytes(30, 20, Green));
    WriteFile(dir / "logo.gif", AnimatedGifBytes(30, 20, {Green, Red}));
    WriteFile(dir / "logo.tiff", MultiPageTiffBytes(30, 20, {Green}));
    WriteFile(dir / "logo.jpg", JpegBytes(30, 20, Green));
    WriteFile(dir / "logo.bmp", BmpBytes(30, 20, Green));
    WriteFile(dir / "logo.ico", IconBytes(32, Green));
    WriteEnhMetafile(dir / "logo.emf", Green);
    MakeWindowsMetafile(dir / "logo.wmf");
    WriteFile(dir / "Tessaboard.ini", "[options]\r\nlogo=logo.png\r\n");
    Start();
    for (const char* ext : {"png", "gif", "tiff", "jpg", "bmp", "ico", "emf", "wmf"}) {
        WriteFile(dir / "Tessaboard.ini", std::string("[options]\r\nlogo=logo.") + ext + "\r\n");
        frm->LoadConfig();
        const TPicture& logo = frm->Image1->Picture();
        EXPECT_EQ(frm->LogoFile, dir / (std::string("logo.") + ext));
        EXPECT_TRUE(frm->pnlImage->Visible()) << ext;
        EXPECT_GT(logo.Width(), 0) << ext;
        COLORREF expected = std::string(ext) == "wmf" ? Red : Green;
        EXPECT_TRUE(Near(DrawnCentre(logo), expected)) << ext << " draws " << std::hex << DrawnCentre(logo);
    }
}
