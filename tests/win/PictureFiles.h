#pragma once
// Picture files made by the tests themselves, byte by byte or by the encoders under test, in
// every format the menu reads; and the damaged forms of each.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/win/Picture.h"
#include "pictures/GdiPlusPictures.h"
#include "support/Driver.h"

namespace tsbtest {

// One-colour pictures.
std::string BmpBytes(int width, int height, COLORREF colour);  // 24 bits, bottom-up
void WriteBmp(const std::string& path, int width, int height, COLORREF colour);
// libjpeg's own encoder; components 1 (grey), 3 (colour) or 4 (CMYK, stored inverted as Adobe's
// files are, with Adobe's marker).
std::string JpegBytes(int width, int height, COLORREF colour, bool progressive = false, int components = 3);
// A colour JPEG whose pixel at x, y is colourAt(x, y).
std::string JpegBytes(int width, int height, const std::function<COLORREF(int x, int y)>& colourAt);
// What a camera writes into a JPEG file's APP1 segment: "Exif\0\0" and a TIFF structure (little
// endian) with the orientation tag in its first directory and, when given, the place of a
// preview (a JPEG stream) in its second, the preview after it. The second directory starts at
// byte 32 of the block, the preview at 62.
std::string ExifBlock(int orientation, const std::string& preview = "");
// The JPEG file with an APP1 segment holding payload right after its start marker.
std::string WithApp1(const std::string& jpeg, const std::string& payload);
// An uncompressed TIFF file of one page, pixel at x, y colourAt(x, y), with the orientation tag.
std::string TiffBytes(int width, int height, const std::function<COLORREF(int x, int y)>& colourAt, int orientation);
// A 24-bit bitmap of one colour.
std::unique_ptr<tsb::TBitmap> MakeBitmap(int width, int height, COLORREF colour);
// Through GDI+'s encoders (needs RegisterPictureClasses).
std::string EncodedBytes(int width, int height, COLORREF colour, tsb::TPictureFormat format);
std::string PngBytes(int width, int height, COLORREF colour);
// Several frames or pages, one colour each; the first is the one shown.
std::string AnimatedGifBytes(int width, int height, const std::vector<COLORREF>& frames);
std::string MultiPageTiffBytes(int width, int height, const std::vector<COLORREF>& pages);

// A Windows metafile made by GDI: a red rectangle filling its 100 x 50 area; returns its bytes.
std::string MakeWindowsMetafile(const std::string& path);
// An enhanced metafile of one colour, and an icon file of one colour (32 bits, no mask holes).
void WriteEnhMetafile(const std::string& path, COLORREF colour);
std::string IconBytes(int size, COLORREF colour);

// Headers that claim width x height over a few bytes of data.
std::string HugeBmpBytes(int width, int height);
std::string HugeJpegBytes(int width, int height, bool progressive = false);
std::string HugePngBytes(int width, int height);
std::string HugeGifBytes(int width, int height);
std::string HugeTiffBytes(int width, int height);

// A memory stream holding bytes, positioned at its start; and a stream's whole content.
tsb::ComPtr<IStream> MemoryStream(const std::string& bytes);
std::string StreamBytes(IStream* stream);

// The colour that a picture draws at the centre of a 40 x 40 white surface.
COLORREF DrawnCentre(const tsb::TGraphic& g);
COLORREF DrawnCentre(const tsb::TPicture& p);
// Colours equal within the rounding of lossy formats.
bool Near(COLORREF a, COLORREF b, int tolerance = 6);

}  // namespace tsbtest
