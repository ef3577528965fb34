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

namespace {

// An 8 x 8 bottom-up run-length bitmap (8 bits; colour 0 red, 1 blue) of the given coded rows.
std::string Rle8Bmp(const std::string& body, DWORD sizeImage) {
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih + 2 * sizeof(RGBQUAD);
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(body.size());
    ih.biSize = sizeof ih;
    ih.biWidth = 8;
    ih.biHeight = 8;
    ih.biPlanes = 1;
    ih.biBitCount = 8;
    ih.biCompression = BI_RLE8;
    ih.biSizeImage = sizeImage;
    ih.biClrUsed = 2;
    std::string out(reinterpret_cast<const char*>(&fh), sizeof fh);
    out.append(reinterpret_cast<const char*>(&ih), sizeof ih);
    RGBQUAD table[2] = {{0, 0, 255, 0}, {255, 0, 0, 0}};
    out.append(reinterpret_cast<const char*>(table), sizeof table);
    return out + body;
}

// A run of eight pixels of one colour and the end of its row.
std::string RleRow(char colour) { return std::string{'\x08', colour, '\x00', '\x00'}; }

}  // namespace

TEST_F(BitmapFiles, RunLengthPixelsEndWhereTheFileDoes) {
    std::string body;
    for (int row = 0; row < 8; ++row) body += RleRow(row < 4 ? 1 : 0);  // bottom rows first
    body += std::string("\x00\x01", 2);                                  // end of the picture
    WriteFile(dir / "rle.bmp", Rle8Bmp(body, static_cast<DWORD>(body.size())));
    auto bmp = TBitmap::FromFile(dir / "rle.bmp");
    EXPECT_EQ(GraphicPixel(*bmp, 4, 1), Red);
    EXPECT_EQ(GraphicPixel(*bmp, 4, 6), Blue);

    // Cut after four rows, and declaring 2 GB of coded pixels: the rows it holds, nothing beyond.
    std::string cut;
    for (int row = 0; row < 4; ++row) cut += RleRow(1);
    WriteFile(dir / "cut.bmp", Rle8Bmp(cut, 0x7FFFFFFF));
    bmp = TBitmap::FromFile(dir / "cut.bmp");
    EXPECT_EQ(GraphicPixel(*bmp, 4, 6), Blue);
}

TEST_F(BitmapFiles, PixelsFarBehindTheHeaderAndOversizedHeaders) {
    // Pixels 4 MB after the header (the offset says so): read from there, the gap not copied.
    std::string distant = TopDownBmp(8, 8, 24);
    const size_t at = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    distant.insert(at, std::string(4 << 20, '\0'));
    reinterpret_cast<BITMAPFILEHEADER*>(distant.data())->bfOffBits = static_cast<DWORD>(at + (4 << 20));
    WriteFile(dir / "far.bmp", distant);
    auto bmp = TBitmap::FromFile(dir / "far.bmp");
    EXPECT_EQ(GraphicPixel(*bmp, 4, 1), Red);
    EXPECT_EQ(GraphicPixel(*bmp, 4, 6), Blue);

    // A header that says it is larger than any header there is: not a bitmap.
    std::string big = TopDownBmp(8, 8, 24);
    reinterpret_cast<BITMAPINFOHEADER*>(&big[sizeof(BITMAPFILEHEADER)])->biSize = 1 << 20;
    WriteFile(dir / "big-header.bmp", big);
    EXPECT_THROW(TBitmap::FromFile(dir / "big-header.bmp"), EError);
}
