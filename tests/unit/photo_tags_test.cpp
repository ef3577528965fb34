#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/PhotoTags.h"

using namespace tsb;

namespace {

// A TIFF structure as cameras write it: the first directory with the orientation, the second
// with the preview's place, the preview's bytes after them.
struct TiffBuilder {
    bool big = false;
    std::string out;

    void U16(unsigned v) {
        if (big) out += {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
        else out += {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    }
    void U32(std::uint32_t v) {
        if (big) U16(v >> 16), U16(v & 0xFFFF);
        else U16(v & 0xFFFF), U16(v >> 16);
    }
    void Entry(unsigned tag, unsigned type, std::uint32_t value) {
        U16(tag), U16(type), U32(1);
        if (type == 3) U16(value), U16(0);
        else U32(value);
    }
};

std::string Tiff(bool big, unsigned orientation, const std::string& preview = "") {
    TiffBuilder b{big};
    b.out = big ? "MM" : "II";
    b.U16(42), b.U32(8);
    b.U16(1), b.Entry(0x0112, 3, orientation), b.U32(preview.empty() ? 0 : 26);  // first directory: 8..26
    if (!preview.empty()) {
        b.U16(2), b.Entry(0x0201, 4, 56), b.Entry(0x0202, 4, static_cast<std::uint32_t>(preview.size())), b.U32(0);
        b.out += preview;  // at 56
    }
    return b.out;
}

TPhotoTags Read(const std::string& s) { return ReadTiffTags(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()); }
TPhotoTags ReadExif(const std::string& s) {
    return ReadExifBlock(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}

const std::string Preview = "\xFF\xD8 a preview's bytes \xFF\xD9";

}  // namespace

TEST(PhotoTags, OrientationAndPreviewInBothByteOrdersAndInsideAnExifBlock) {
    for (bool big : {false, true}) {
        for (unsigned o = 1; o <= 8; ++o) EXPECT_EQ(Read(Tiff(big, o)).Orientation, static_cast<int>(o)) << big;
        TPhotoTags t = Read(Tiff(big, 6, Preview));
        EXPECT_EQ(t.Orientation, 6);
        EXPECT_EQ(t.PreviewOffset, 56u);
        EXPECT_EQ(t.PreviewLength, Preview.size());
        // In a JPEG file's APP1 segment the span counts from the segment's start.
        std::string block = std::string("Exif\0\0", 6) + Tiff(big, 3, Preview);
        t = ReadExif(block);
        EXPECT_EQ(t.Orientation, 3);
        EXPECT_EQ(block.substr(t.PreviewOffset, t.PreviewLength), Preview);
    }
    // Out of range, or not a TIFF structure at all: as stored, no preview.
    EXPECT_EQ(Read(Tiff(false, 0)).Orientation, 1);
    EXPECT_EQ(Read(Tiff(true, 9)).Orientation, 1);
    EXPECT_EQ(ReadExif("XMP\0" + Tiff(false, 6)).Orientation, 1);
    EXPECT_EQ(Read("\x89PNG\r\n\x1A\n").Orientation, 1);
}

TEST(PhotoTags, DamagedStructuresReadNothingPastTheirEndAndTwoDirectoriesAtMost) {
    // Cut anywhere: the orientation is what was read whole or none, a preview only when whole.
    std::string whole = Tiff(false, 8, Preview);
    for (size_t n = 0; n <= whole.size(); ++n) {
        std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        TPhotoTags t = ReadTiffTags(cut.data(), cut.size());  // a buffer of n bytes: overreads show
        EXPECT_TRUE(t.Orientation == 1 || t.Orientation == 8) << n;
        if (t.PreviewLength > 0) {
            EXPECT_EQ(n, whole.size());
        }
    }
    // A preview that runs past the end, or that is no JPEG stream, is no preview.
    std::string past = whole;
    past[48] = '\x7F';  // its length, now 127
    EXPECT_EQ(Read(past).PreviewLength, 0u);
    EXPECT_EQ(Read(past).Orientation, 8);
    std::string notJpeg = whole;
    notJpeg[56] = 'x';
    EXPECT_EQ(Read(notJpeg).PreviewLength, 0u);
    // A first directory past the end, or claiming 65535 entries.
    std::string far = whole;
    far[4] = '\xF0';
    EXPECT_EQ(Read(far).Orientation, 1);
    std::string many = whole;
    many[8] = many[9] = '\xFF';
    EXPECT_EQ(Read(many).Orientation, 1);
    // A first directory that names itself as the next: read again as the second, and no further.
    std::string loop = Tiff(false, 5);
    loop[22] = 8;
    EXPECT_EQ(Read(loop).Orientation, 5);
}

TEST(PhotoTags, PixelsTurnSoThatTheStoredTopLeftLandsWhereTheOrientationSays) {
    // A stored picture of 3 x 2 pixels, each pixel's bytes its number.
    const int w = 3, h = 2;
    const size_t storedStride = 12;  // rows padded to four bytes, as bitmaps are
    std::vector<std::uint8_t> stored(storedStride * h, 0xEE);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) stored[y * storedStride + x * 3 + c] = static_cast<std::uint8_t>(y * w + x);
    // Where stored pixel 0 (the top-left) shows once upright, and where pixel 2 (the top-right).
    struct Expect {
        int orientation, uprightWidth, x0, y0, x2, y2;
    };
    for (Expect e : {Expect{1, 3, 0, 0, 2, 0}, {2, 3, 2, 0, 0, 0}, {3, 3, 2, 1, 0, 1}, {4, 3, 0, 1, 2, 1},
                     {5, 2, 0, 0, 0, 2}, {6, 2, 1, 0, 1, 2}, {7, 2, 1, 2, 1, 0}, {8, 2, 0, 2, 0, 0}}) {
        const int uw = e.uprightWidth, uh = 6 / uw;
        const size_t stride = 16;
        std::vector<std::uint8_t> upright(stride * uh, 0xEE);
        StoredToUpright(stored.data(), storedStride, w, h, upright.data(), stride, e.orientation);
        EXPECT_EQ(upright[e.y0 * stride + e.x0 * 3], 0) << e.orientation;
        EXPECT_EQ(upright[e.y2 * stride + e.x2 * 3], 2) << e.orientation;
        for (int y = 0; y < uh; ++y) EXPECT_EQ(upright[y * stride + uw * 3], 0xEE) << "padding kept";
        // And back again to the stored picture, byte for byte.
        std::vector<std::uint8_t> back(storedStride * h, 0xEE);
        UprightToStored(upright.data(), stride, w, h, back.data(), storedStride, e.orientation);
        EXPECT_EQ(back, stored) << e.orientation;
    }
}
