#include "win/PictureFiles.h"

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "framework/core/ScopeExit.h"

extern "C" {
#include <jpeglib.h>
}

using namespace tsb;

namespace tsbtest {

namespace {

void Put16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}
void Put32BE(std::string& s, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((v >> shift) & 0xFF);
}

uint32_t Crc32(const std::string& data) {
    uint32_t crc = 0xFFFFFFFF;
    for (unsigned char c : data) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void PngChunk(std::string& out, const char* type, const std::string& data) {
    Put32BE(out, static_cast<uint32_t>(data.size()));
    std::string typed = std::string(type, 4) + data;
    out += typed;
    Put32BE(out, Crc32(typed));
}

// GIF image data: every pixel a literal code, the table cleared every two pixels so that the
// codes stay three bits wide.
std::string GifPixels(int count, int index) {
    std::vector<int> codes;
    for (int i = 0; i < count; ++i) {
        if (i % 2 == 0) codes.push_back(4);  // clear
        codes.push_back(index);
    }
    codes.push_back(5);  // end of information
    std::string bytes;
    uint32_t acc = 0;
    int bits = 0;
    for (int c : codes) {
        acc |= static_cast<uint32_t>(c) << bits;
        bits += 3;
        while (bits >= 8) {
            bytes += static_cast<char>(acc & 0xFF);
            acc >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0) bytes += static_cast<char>(acc & 0xFF);
    std::string blocks(1, '\x02');  // minimum code size
    for (size_t at = 0; at < bytes.size(); at += 255) {
        std::string part = bytes.substr(at, 255);
        blocks += static_cast<char>(part.size());
        blocks += part;
    }
    blocks += '\0';
    return blocks;
}

std::string GifHeader(int width, int height, const std::vector<COLORREF>& palette) {
    std::string s = "GIF89a";
    Put16(s, static_cast<unsigned>(width));
    Put16(s, static_cast<unsigned>(height));
    s += '\xF1';  // global table of 4 colours
    s += '\0';
    s += '\0';
    for (size_t i = 0; i < 4; ++i) {
        COLORREF c = i < palette.size() ? palette[i] : 0;
        s += static_cast<char>(GetRValue(c));
        s += static_cast<char>(GetGValue(c));
        s += static_cast<char>(GetBValue(c));
    }
    return s;
}

std::string GifImageDescriptor(int width, int height) {
    std::string s = "\x21\xF9\x04\x04";  // graphic control: keep the frame, 0.5 s
    Put16(s, 50);
    s += std::string("\0\0", 2);
    s += '\x2C';
    Put16(s, 0);
    Put16(s, 0);
    Put16(s, static_cast<unsigned>(width));
    Put16(s, static_cast<unsigned>(height));
    s += '\0';
    return s;
}

// An uncompressed RGB TIFF page directory; data at dataOffset, bits per sample at bpsOffset.
// With an orientation other than 0, the orientation tag too (eleven entries instead of ten).
std::string TiffDirectory(uint32_t width, uint32_t height, uint32_t dataOffset, uint32_t dataBytes,
                          uint32_t bpsOffset, uint32_t next, int orientation = 0) {
    struct Entry {
        uint16_t tag, type;
        uint32_t count, value;
    };
    std::vector<Entry> entries = {{256, 4, 1, width},     {257, 4, 1, height},     {258, 3, 3, bpsOffset},
                                  {259, 3, 1, 1},         {262, 3, 1, 2},          {273, 4, 1, dataOffset},
                                  {277, 3, 1, 3},         {278, 4, 1, height},     {279, 4, 1, dataBytes},
                                  {284, 3, 1, 1}};
    if (orientation != 0) entries.insert(entries.begin() + 6, {274, 3, 1, static_cast<uint32_t>(orientation)});
    std::string s;
    Put16(s, static_cast<unsigned>(entries.size()));
    for (const Entry& e : entries) {
        Put16(s, e.tag);
        Put16(s, e.type);
        Put32(s, e.count);
        if (e.type == 3 && e.count == 1) {
            Put16(s, e.value);
            Put16(s, 0);
        } else {
            Put32(s, e.value);
        }
    }
    Put32(s, next);
    return s;
}

}  // namespace

std::string BmpBytes(int w, int h, COLORREF c) {
    int stride = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{sizeof ih, w, h, 1, 24, BI_RGB};
    std::string pixels(static_cast<size_t>(stride) * h, '\0');
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            char* p = pixels.data() + y * stride + x * 3;
            p[0] = static_cast<char>(GetBValue(c)), p[1] = static_cast<char>(GetGValue(c)),
            p[2] = static_cast<char>(GetRValue(c));
        }
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = static_cast<DWORD>(fh.bfOffBits + pixels.size());
    std::string data(reinterpret_cast<const char*>(&fh), sizeof fh);
    data.append(reinterpret_cast<const char*>(&ih), sizeof ih);
    return data + pixels;
}

void WriteBmp(const std::string& path, int w, int h, COLORREF c) { WriteFile(path, BmpBytes(w, h, c)); }

namespace {

// libjpeg's encoder over rows that fill(y, row) makes.
std::string EncodeJpeg(int width, int height, int components, bool progressive,
                       const std::function<void(int y, JSAMPLE* row)>& fill) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    ScopeExit destroy([&] { jpeg_destroy_compress(&cinfo); });
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * components);
    while (cinfo.next_scanline < cinfo.image_height) {
        fill(static_cast<int>(cinfo.next_scanline), row.data());
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string bytes(reinterpret_cast<const char*>(out), size);
    std::free(out);
    return bytes;
}

}  // namespace

std::string JpegBytes(int width, int height, COLORREF colour, bool progressive, int components) {
    unsigned r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    return EncodeJpeg(width, height, components, progressive, [&](int, JSAMPLE* row) {
        for (int x = 0; x < width; ++x) {
            JSAMPLE* p = row + static_cast<size_t>(x) * components;
            if (components == 1) {
                p[0] = static_cast<JSAMPLE>((r * 299 + g * 587 + b * 114) / 1000);
            } else if (components == 3) {
                p[0] = static_cast<JSAMPLE>(r), p[1] = static_cast<JSAMPLE>(g), p[2] = static_cast<JSAMPLE>(b);
            } else {  // K = 1 - max, then C, M, Y; inverted as Adobe's files store them
                unsigned mx = std::max({r, g, b});
                unsigned k = 255 - mx;
                auto ink = [&](unsigned v) { return mx ? (mx - v) * 255 / mx : 0u; };
                p[0] = static_cast<JSAMPLE>(255 - ink(r)), p[1] = static_cast<JSAMPLE>(255 - ink(g)),
                p[2] = static_cast<JSAMPLE>(255 - ink(b)), p[3] = static_cast<JSAMPLE>(255 - k);
            }
        }
    });
}

std::string JpegBytes(int width, int height, const std::function<COLORREF(int x, int y)>& colourAt) {
    return EncodeJpeg(width, height, 3, false, [&](int y, JSAMPLE* row) {
        for (int x = 0; x < width; ++x, row += 3) {
            COLORREF c = colourAt(x, y);
            row[0] = GetRValue(c), row[1] = GetGValue(c), row[2] = GetBValue(c);
        }
    });
}

std::string ExifBlock(int orientation, const std::string& preview) {
    std::string s("Exif\0\0II*\0", 10);
    Put32(s, 8);
    auto entry = [&](unsigned tag, unsigned type, uint32_t value) {
        Put16(s, tag), Put16(s, type), Put32(s, 1);
        if (type == 3) Put16(s, value), Put16(s, 0);
        else Put32(s, value);
    };
    Put16(s, 1), entry(0x0112, 3, static_cast<uint32_t>(orientation)), Put32(s, preview.empty() ? 0 : 26);
    if (!preview.empty()) {
        Put16(s, 2), entry(0x0201, 4, 56), entry(0x0202, 4, static_cast<uint32_t>(preview.size())), Put32(s, 0);
        s += preview;
    }
    return s;
}

std::string WithApp1(const std::string& jpeg, const std::string& payload) {
    if (payload.size() + 2 > 0xFFFF) throw std::length_error("an APP1 segment holds at most 65533 bytes");
    std::string segment = "\xFF\xE1";
    segment += static_cast<char>((payload.size() + 2) >> 8);
    segment += static_cast<char>((payload.size() + 2) & 0xFF);
    return jpeg.substr(0, 2) + segment + payload + jpeg.substr(2);
}

std::string TiffBytes(int width, int height, const std::function<COLORREF(int x, int y)>& colourAt, int orientation) {
    std::string s = "II*";
    s += '\0';
    Put32(s, 8);
    uint32_t dataBytes = static_cast<uint32_t>(width) * static_cast<uint32_t>(height) * 3;
    uint32_t bpsAt = 8 + 2 + 11 * 12 + 4, dataAt = bpsAt + 6;
    s += TiffDirectory(static_cast<uint32_t>(width), static_cast<uint32_t>(height), dataAt, dataBytes, bpsAt, 0,
                       orientation);
    Put16(s, 8), Put16(s, 8), Put16(s, 8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            COLORREF c = colourAt(x, y);
            s += static_cast<char>(GetRValue(c)), s += static_cast<char>(GetGValue(c)), s += static_cast<char>(GetBValue(c));
        }
    return s;
}

std::unique_ptr<TBitmap> MakeBitmap(int width, int height, COLORREF colour) {
    BITMAPINFO bi{{sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB}};
    void* bits = nullptr;
    auto bitmap = std::make_unique<TBitmap>(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    unique_hdc dc(CreateCompatibleDC(nullptr));
    ScopedSelect sel(dc.get(), bitmap->Handle());
    unique_hbrush brush(CreateSolidBrush(colour));
    RECT all{0, 0, width, height};
    FillRect(dc.get(), &all, brush.get());
    GdiFlush();
    return bitmap;
}

ComPtr<IStream> MemoryStream(const std::string& bytes) {
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    ULONG put = 0;
    if (!bytes.empty()) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &put);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    return stream;
}

std::string StreamBytes(IStream* stream) {
    STATSTG st{};
    stream->Stat(&st, STATFLAG_NONAME);
    std::string bytes(static_cast<size_t>(st.cbSize.QuadPart), '\0');
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    ULONG got = 0;
    if (!bytes.empty()) stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
    bytes.resize(got);
    return bytes;
}

std::string EncodedBytes(int width, int height, COLORREF colour, TPictureFormat format) {
    auto bitmap = MakeBitmap(width, height, colour);
    TGdiPlusPicture picture;
    picture.Assign(bitmap.get());
    ComPtr<IStream> stream = MemoryStream("");
    if (picture.SaveAs(stream.get(), format, 90, 0) != gdip::Ok) return {};
    return StreamBytes(stream.get());
}

std::string PngBytes(int width, int height, COLORREF colour) {
    return EncodedBytes(width, height, colour, TPictureFormat::Png);
}

std::string AnimatedGifBytes(int width, int height, const std::vector<COLORREF>& frames) {
    std::string s = GifHeader(width, height, frames);
    for (size_t i = 0; i < frames.size() && i < 4; ++i)
        s += GifImageDescriptor(width, height) + GifPixels(width * height, static_cast<int>(i));
    return s + '\x3B';
}

std::string MultiPageTiffBytes(int width, int height, const std::vector<COLORREF>& pages) {
    std::string s = "II*";
    s += '\0';
    Put32(s, 8);  // the first directory follows at once
    uint32_t dataBytes = static_cast<uint32_t>(width) * static_cast<uint32_t>(height) * 3;
    for (size_t i = 0; i < pages.size(); ++i) {
        uint32_t dirAt = static_cast<uint32_t>(s.size());
        uint32_t dirSize = 2 + 10 * 12 + 4;
        uint32_t bpsAt = dirAt + dirSize, dataAt = bpsAt + 6;
        uint32_t next = i + 1 < pages.size() ? dataAt + dataBytes : 0;
        s += TiffDirectory(static_cast<uint32_t>(width), static_cast<uint32_t>(height), dataAt, dataBytes, bpsAt, next);
        Put16(s, 8), Put16(s, 8), Put16(s, 8);
        for (uint32_t p = 0; p < dataBytes / 3; ++p) {
            s += static_cast<char>(GetRValue(pages[i]));
            s += static_cast<char>(GetGValue(pages[i]));
            s += static_cast<char>(GetBValue(pages[i]));
        }
    }
    return s;
}

std::string MakeWindowsMetafile(const std::string& path) {
    HDC dc = CreateMetaFileA(path.c_str());
    SetWindowExtEx(dc, 100, 50, nullptr);
    unique_hbrush red(CreateSolidBrush(RGB(255, 0, 0)));
    RECT r{0, 0, 100, 50};
    FillRect(dc, &r, red.get());
    DeleteMetaFile(CloseMetaFile(dc));
    return ReadFile(path);
}

void WriteEnhMetafile(const std::string& path, COLORREF colour) {
    RECT frame{0, 0, 2000, 1000};  // 0.01 mm
    HDC dc = CreateEnhMetaFileA(nullptr, path.c_str(), &frame, nullptr);
    unique_hbrush brush(CreateSolidBrush(colour));
    RECT r{0, 0, 80, 40};
    FillRect(dc, &r, brush.get());
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
}

std::string IconBytes(int size, COLORREF colour) {
    std::string pixels;
    for (int i = 0; i < size * size; ++i) {
        pixels += static_cast<char>(GetBValue(colour));
        pixels += static_cast<char>(GetGValue(colour));
        pixels += static_cast<char>(GetRValue(colour));
        pixels += '\xFF';
    }
    std::string mask(static_cast<size_t>((size + 31) / 32 * 4 * size), '\0');
    BITMAPINFOHEADER ih{sizeof ih, size, size * 2, 1, 32, BI_RGB};
    std::string image(reinterpret_cast<const char*>(&ih), sizeof ih);
    image += pixels + mask;
    std::string s;
    Put16(s, 0), Put16(s, 1), Put16(s, 1);  // an icon directory of one image
    s += static_cast<char>(size), s += static_cast<char>(size), s += '\0', s += '\0';
    Put16(s, 1), Put16(s, 32);
    Put32(s, static_cast<uint32_t>(image.size()));
    Put32(s, 6 + 16);
    return s + image;
}

std::string HugeBmpBytes(int width, int height) {
    std::string s = BmpBytes(2, 2, RGB(1, 2, 3));
    auto* ih = reinterpret_cast<BITMAPINFOHEADER*>(s.data() + sizeof(BITMAPFILEHEADER));
    ih->biWidth = width;
    ih->biHeight = height;
    return s;
}

std::string HugeJpegBytes(int width, int height, bool progressive) {
    std::string s = JpegBytes(16, 16, RGB(200, 100, 50), progressive);
    char sof = progressive ? '\xC2' : '\xC0';
    for (size_t i = 0; i + 9 < s.size(); ++i)
        if (s[i] == '\xFF' && s[i + 1] == sof) {
            s[i + 5] = static_cast<char>(height >> 8), s[i + 6] = static_cast<char>(height & 0xFF);
            s[i + 7] = static_cast<char>(width >> 8), s[i + 8] = static_cast<char>(width & 0xFF);
            break;
        }
    return s;
}

std::string HugePngBytes(int width, int height) {
    std::string s = "\x89PNG\r\n\x1A\n";
    std::string ihdr;
    Put32BE(ihdr, static_cast<uint32_t>(width));
    Put32BE(ihdr, static_cast<uint32_t>(height));
    ihdr += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB
    PngChunk(s, "IHDR", ihdr);
    // The start of a deflate stream: one stored block of a few bytes, then nothing.
    PngChunk(s, "IDAT", std::string("\x78\x01\x00\x04\x00\xFB\xFF\x00\x10\x20\x30", 11));
    PngChunk(s, "IEND", "");
    return s;
}

std::string HugeGifBytes(int width, int height) {
    std::string s = GifHeader(width, height, {RGB(255, 0, 0)});
    s += GifImageDescriptor(width, height) + GifPixels(8, 0);
    return s + '\x3B';
}

std::string HugeTiffBytes(int width, int height) {
    std::string s = "II*";
    s += '\0';
    Put32(s, 8);
    uint32_t bpsAt = 8 + 2 + 10 * 12 + 4;
    s += TiffDirectory(static_cast<uint32_t>(width), static_cast<uint32_t>(height), bpsAt + 6, 12, bpsAt, 0);
    Put16(s, 8), Put16(s, 8), Put16(s, 8);
    s += std::string(12, '\x40');
    return s;
}

COLORREF DrawnCentre(const TGraphic& g) {
    unique_hdc dc(CreateCompatibleDC(nullptr));
    BITMAPINFO bi{{sizeof(BITMAPINFOHEADER), 40, -40, 1, 32, BI_RGB}};
    void* bits = nullptr;
    unique_hbitmap bmp(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    ScopedSelect sel(dc.get(), bmp.get());
    RECT all{0, 0, 40, 40};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    g.Draw(dc.get(), all, false);
    GdiFlush();
    return GetPixel(dc.get(), 20, 20);
}

COLORREF DrawnCentre(const TPicture& p) { return p.Graphic() ? DrawnCentre(*p.Graphic()) : CLR_INVALID; }

bool Near(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

}  // namespace tsbtest
