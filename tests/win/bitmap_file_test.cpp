// Bitmap files of every row order and depth read back pixel for pixel.
#include <cstring>
#include <string>
#include <vector>

#include "framework/win/Errors.h"
#include "framework/win/Picture.h"
#include "win/TwoColourPictures.h"
#include "win/WinTestMain.h"

using namespace tsb;
using namespace tsbtest;

namespace {

// A w x h bitmap file stored top row first (negative height), top half red, bottom half blue,
// at 24 bits or at 8 bits with a two-entry colour table.
std::string TopDownBmp(int w, int h, int bits) {
    int stride = ((w * bits + 31) / 32) * 4;
    int colours = bits == 8 ? 2 : 0;
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih + colours * sizeof(RGBQUAD);
    fh.bfSize = fh.bfOffBits + stride * h;
    ih.biSize = sizeof ih;
    ih.biWidth = w;
    ih.biHeight = -h;
    ih.biPlanes = 1;
    ih.biBitCount = static_cast<WORD>(bits);
    ih.biClrUsed = colours;
    std::string out(reinterpret_cast<const char*>(&fh), sizeof fh);
    out.append(reinterpret_cast<const char*>(&ih), sizeof ih);
    if (bits == 8) {
        RGBQUAD table[2] = {{0, 0, 255, 0}, {255, 0, 0, 0}};  // 0 red, 1 blue
        out.append(reinterpret_cast<const char*>(table), sizeof table);
    }
    for (int y = 0; y < h; ++y) {
        std::string row(stride, '\0');
        for (int x = 0; x < w; ++x) {
            bool top = y < h / 2;
            if (bits == 8) row[x] = top ? 0 : 1;
            else std::memcpy(&row[x * 3], top ? "\x00\x00\xFF" : "\xFF\x00\x00", 3);
        }
        out += row;
    }
    return out;
}

class BitmapFiles : public WinTest {
protected:
    TempFolder dir{"tsbbmp"};
};

}  // namespace

TEST_F(BitmapFiles, TopDownRowsShowTheirColoursAtEveryDepth) {
    for (int bits : {24, 8}) {
        std::string file = dir / ("top-down-" + std::to_string(bits) + ".bmp");
        WriteFile(file, TopDownBmp(8, 8, bits));
        auto bmp = TBitmap::FromFile(file);
        ASSERT_EQ(bmp->Width(), 8);
        ASSERT_EQ(bmp->Height(), 8);
        EXPECT_EQ(GraphicPixel(*bmp, 4, 1), Red) << bits << " bits: the first row stored is the top";
        EXPECT_EQ(GraphicPixel(*bmp, 4, 6), Blue) << bits << " bits";
    }
    WriteFile(dir / "bottom-up.bmp", HalvesBmp(8, 8));
    auto bmp = TBitmap::FromFile(dir / "bottom-up.bmp");
    EXPECT_EQ(GraphicPixel(*bmp, 1, 4), Red);
    EXPECT_EQ(GraphicPixel(*bmp, 6, 4), Blue);
}

TEST_F(BitmapFiles, AColourCountBeyondTheTableReadsNoFurtherThanTheFile) {
    std::string many = TopDownBmp(8, 8, 8);
    reinterpret_cast<BITMAPINFOHEADER*>(&many[sizeof(BITMAPFILEHEADER)])->biClrUsed = 100000;
    WriteFile(dir / "many.bmp", many);
    auto bmp = TBitmap::FromFile(dir / "many.bmp");
    EXPECT_EQ(GraphicPixel(*bmp, 4, 1), Red);
    EXPECT_EQ(GraphicPixel(*bmp, 4, 6), Blue);
}
