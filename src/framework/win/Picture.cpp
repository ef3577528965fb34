#include "framework/win/Picture.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include "framework/core/PhotoTags.h"
#include "framework/core/PictureCoding.h"
#include "framework/core/ScopeExit.h"
#include "framework/core/Text.h"
#include "framework/win/Errors.h"
#include "framework/win/Files.h"
#include "framework/win/Graphics.h"

namespace tsb {

// --- bitmap ---

TBitmap::TBitmap(HBITMAP owned) : bmp_(owned) {
    BITMAP bm{};
    if (::GetObjectA(owned, sizeof bm, &bm)) {
        width_ = bm.bmWidth;
        height_ = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    }
}

namespace {

// Where the pixels of a bitmap file lie and how they are coded, once the header has been checked.
struct BitmapLayout {
    int64_t width = 0, height = 0;
    DWORD infoSize = 0;
    DWORD compression = BI_RGB;
    int64_t pixelsAt = 0;
};

// Headers can claim anything: a file shorter than the pixels it declares would be read past its
// end, and a few bytes can declare gigabytes. Both are refused before any pixel is read. The
// bytes are those the pixels are then taken from, so what is checked is what is used.
BitmapLayout CheckBitmapFile(std::string_view bytes, const std::string& file) {
    const std::string invalid = "Bitmap image is not valid: \"" + file + "\"";
    BYTE head[sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)] = {};
    const size_t got = std::min(bytes.size(), sizeof head);
    std::memcpy(head, bytes.data(), got);
    BITMAPFILEHEADER fh{};
    BitmapLayout l;
    if (got < sizeof fh + sizeof(BITMAPCOREHEADER)) throw EError(invalid);
    std::memcpy(&fh, head, sizeof fh);
    std::memcpy(&l.infoSize, head + sizeof fh, sizeof l.infoSize);
    if (fh.bfType != 0x4D42) throw EError(invalid);
    unsigned bits = 0;
    if (l.infoSize == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER core{};
        std::memcpy(&core, head + sizeof fh, sizeof core);
        l.width = core.bcWidth, l.height = core.bcHeight, bits = core.bcBitCount;
    } else if (l.infoSize >= sizeof(BITMAPINFOHEADER) && l.infoSize <= sizeof(BITMAPV5HEADER) && got == sizeof head) {
        BITMAPINFOHEADER info{};
        std::memcpy(&info, head + sizeof fh, sizeof info);
        l.width = info.biWidth, l.height = info.biHeight < 0 ? -int64_t{info.biHeight} : info.biHeight;
        bits = info.biBitCount, l.compression = info.biCompression;
    } else {
        throw EError(invalid);
    }
    if (l.width <= 0 || l.height <= 0 || bits == 0 || bits > 32) throw EError(invalid);
    if (l.compression != BI_RGB && l.compression != BI_BITFIELDS && l.compression != BI_RLE8 &&
        l.compression != BI_RLE4)
        throw EError(invalid);
    if (l.width * l.height > MaxDecodedPixels)
        throw EError("Bitmap image is too large: \"" + file + "\" (" + std::to_string(l.width) + " x " +
                     std::to_string(l.height) + " pixels; at most " + std::to_string(MaxDecodedPixels) + ")");
    const auto size = static_cast<int64_t>(bytes.size());
    l.pixelsAt = std::max<int64_t>(fh.bfOffBits, sizeof fh + l.infoSize);
    if (size < l.pixelsAt) throw EError(invalid);
    if (l.compression == BI_RGB || l.compression == BI_BITFIELDS) {
        int64_t stride = (l.width * bits + 31) / 32 * 4;
        if (size < l.pixelsAt + stride * l.height) throw EError(invalid);
    }
    return l;
}

}  // namespace

// The pixels are converted by the system from the checked file into a 24-bit section of our own:
// its file loader shows top-down bitmaps (negative height) black on some systems.
std::unique_ptr<TBitmap> TBitmap::FromFile(const std::string& file) {
    const std::string invalid = "Bitmap image is not valid: \"" + file + "\"";
    // Mapped rather than read: a read counts as an access, which the folder monitor reports as a
    // change of the file, and the page on show would be displayed (and read) again. A mapped file
    // cannot be cut shorter, so the view holds what was checked while the pixels are converted.
    unique_file f(::CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) RaiseLastOSError("Cannot open file \"" + file + "\"");
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(f.get(), &size)) RaiseLastOSError("Cannot read file \"" + file + "\"");
    if (size.QuadPart < static_cast<LONGLONG>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPCOREHEADER)))
        throw EError(invalid);  // an empty file cannot be mapped
    unique_handle mapping(::CreateFileMappingA(f.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) RaiseLastOSError("Cannot read file \"" + file + "\"");
    const void* view = ::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
    if (!view) RaiseLastOSError("Cannot read file \"" + file + "\"");
    ScopeExit unmap([view] { ::UnmapViewOfFile(view); });
    const std::string_view bytes(static_cast<const char*>(view), static_cast<size_t>(size.QuadPart));
    const BitmapLayout l = CheckBitmapFile(bytes, file);
    const size_t pixelsAt = static_cast<size_t>(l.pixelsAt);
    // The header and colour table, with room for the largest table and masks a header may ask
    // for, so that no declared count reads past them; a gap before the pixels is not copied.
    constexpr size_t tableRoom = 256 * sizeof(RGBQUAD) + 3 * sizeof(DWORD);
    const size_t infoBytes = std::min(pixelsAt - sizeof(BITMAPFILEHEADER), size_t{l.infoSize} + tableRoom);
    std::vector<BYTE> info(infoBytes + tableRoom);
    std::memcpy(info.data(), bytes.data() + sizeof(BITMAPFILEHEADER), infoBytes);
    if (l.infoSize >= sizeof(BITMAPINFOHEADER)) {
        auto* h = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
        if (h->biBitCount <= 8) h->biClrUsed = std::min<DWORD>(h->biClrUsed, 1u << h->biBitCount);
        else h->biClrUsed = 0;
        // compressed pixels end where the file does, whatever the header says
        if (l.compression == BI_RLE8 || l.compression == BI_RLE4)
            h->biSizeImage = static_cast<DWORD>(bytes.size() - pixelsAt);
    }
    BITMAPINFO out{};
    out.bmiHeader = {sizeof(BITMAPINFOHEADER), static_cast<LONG>(l.width), static_cast<LONG>(l.height), 1, 24, BI_RGB};
    void* pixels = nullptr;
    unique_hbitmap bmp(::CreateDIBSection(nullptr, &out, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!bmp) RaiseLastOSError("Cannot make a bitmap of " + std::to_string(l.width) + " x " + std::to_string(l.height));
    unique_hdc dc(::CreateCompatibleDC(nullptr));
    if (::SetDIBits(dc.get(), bmp.get(), 0, static_cast<UINT>(l.height), bytes.data() + pixelsAt,
                    reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS) == 0)
        throw EError(invalid);
    return std::make_unique<TBitmap>(bmp.release());
}

std::unique_ptr<TBitmap> TBitmap::FromResource(const char* name) {
    auto h = static_cast<HBITMAP>(
        ::LoadImageA(::GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!h) RaiseLastOSError(std::string("Bitmap resource ") + name);
    return std::make_unique<TBitmap>(h);
}

void TBitmap::Draw(HDC dc, const RECT& d, bool transparent) const {
    unique_hdc mem(::CreateCompatibleDC(dc));
    ScopedSelect sel(mem.get(), bmp_.get());
    int w = d.right - d.left, h = d.bottom - d.top;
    if (transparent) {  // the bottom-left pixel's colour shows the background through
        COLORREF key = ::GetPixel(mem.get(), 0, height_ - 1);
        ::TransparentBlt(dc, d.left, d.top, w, h, mem.get(), 0, 0, width_, height_, key);
        return;
    }
    int oldMode = ::SetStretchBltMode(dc, HALFTONE);
    ::StretchBlt(dc, d.left, d.top, w, h, mem.get(), 0, 0, width_, height_, SRCCOPY);
    ::SetStretchBltMode(dc, oldMode);
}

namespace {

// A 24-bit top-down section selected into a memory device context of its own, for pixel work.
struct PixelSection {
    PixelSection(int width, int height) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB};
        dc.reset(::CreateCompatibleDC(nullptr));
        section.reset(::CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!dc || !section || !bits) throw EOutOfMemory();
        select.emplace(dc.get(), section.get());
        stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    }
    std::uint8_t* Bits() const { return static_cast<std::uint8_t*>(bits); }

    unique_hdc dc;
    unique_hbitmap section;
    void* bits = nullptr;
    std::optional<ScopedSelect> select;
    std::size_t stride = 0;
};

}  // namespace

TUprightGraphic::TUprightGraphic(std::unique_ptr<const TGraphic> stored)
    : stored_(std::move(stored)), sideways_(TurnsSideways(stored_->Orientation())) {}

void TUprightGraphic::Draw(HDC dc, const RECT& d, bool transparent) const {
    const int w = d.right - d.left, h = d.bottom - d.top;
    if (w <= 0 || h <= 0) return;
    const int orientation = stored_->Orientation();
    const int storedWidth = sideways_ ? h : w, storedHeight = sideways_ ? w : h;
    PixelSection upright(w, h), stored(storedWidth, storedHeight);
    // What lies under the picture goes in first, so that parts it leaves out still show it.
    ::BitBlt(upright.dc.get(), 0, 0, w, h, dc, d.left, d.top, SRCCOPY);
    ::GdiFlush();
    UprightToStored(upright.Bits(), upright.stride, storedWidth, storedHeight, stored.Bits(), stored.stride,
                    orientation);
    stored_->Draw(stored.dc.get(), RECT{0, 0, storedWidth, storedHeight}, transparent);
    ::GdiFlush();
    StoredToUpright(stored.Bits(), stored.stride, storedWidth, storedHeight, upright.Bits(), upright.stride,
                    orientation);
    ::BitBlt(dc, d.left, d.top, w, h, upright.dc.get(), 0, 0, SRCCOPY);
}

std::shared_ptr<const TGraphic> Upright(std::unique_ptr<TGraphic> graphic) {
    if (!graphic || graphic->Orientation() == 1) return graphic;
    return std::make_shared<TUprightGraphic>(std::move(graphic));
}

std::shared_ptr<const TGraphic> DesignSized(std::shared_ptr<const TGraphic> pixels, int designWidth, int designHeight) {
    if (pixels->Width() == designWidth && pixels->Height() == designHeight) return pixels;
    return std::make_shared<TDesignSized>(std::move(pixels), designWidth, designHeight);
}

int ArtworkDpi(int dpi) {
    for (int version : {96, 144})
        if (dpi <= version) return version;
    return 192;
}

std::shared_ptr<const TGraphic> ArtworkResource(const std::string& name) {
    int version = ArtworkDpi(ScaleDpi());
    if (version == 96) return TBitmap::FromResource(name.c_str());
    std::shared_ptr<const TBitmap> pixels = TBitmap::FromResource((name + std::to_string(version * 100 / 96)).c_str());
    int width = ::MulDiv(pixels->Width(), 96, version), height = ::MulDiv(pixels->Height(), 96, version);
    return DesignSized(std::move(pixels), width, height);
}

// --- icon ---

TIcon::TIcon(HICON owned, int designWidth, int designHeight) : icon_(owned), width_(designWidth), height_(designHeight) {}

TIcon::TIcon(HICON owned) : icon_(owned) {
    ICONINFO ii{};
    if (owned && ::GetIconInfo(owned, &ii)) {
        BITMAP bm{};
        HBITMAP src = ii.hbmColor ? ii.hbmColor : ii.hbmMask;
        ::GetObjectA(src, sizeof bm, &bm);
        width_ = bm.bmWidth;
        height_ = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
        if (ii.hbmColor) ::DeleteObject(ii.hbmColor);
        if (ii.hbmMask) ::DeleteObject(ii.hbmMask);
    }
}

std::unique_ptr<TIcon> TIcon::FromFile(const std::string& file) {
    auto h = static_cast<HICON>(::LoadImageA(nullptr, file.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
    if (!h) throw EError("Icon image is not valid: \"" + file + "\"");
    return std::make_unique<TIcon>(h);
}

void TIcon::Draw(HDC dc, const RECT& d, bool) const {
    ::DrawIconEx(dc, d.left, d.top, icon_.get(), d.right - d.left, d.bottom - d.top, 0, nullptr, DI_NORMAL);
}

// --- metafile ---

TMetafile::TMetafile(HENHMETAFILE owned) : emf_(owned) {
    ENHMETAHEADER hdr{};
    if (::GetEnhMetaFileHeader(owned, sizeof hdr, &hdr)) {
        width_ = hdr.rclBounds.right - hdr.rclBounds.left + 1;
        height_ = hdr.rclBounds.bottom - hdr.rclBounds.top + 1;
    }
}

namespace {

// A Windows metafile, plain or with the 22-byte "placeable" header that gives its size, turned
// into an enhanced one: one picture class draws both.
HENHMETAFILE FromWindowsMetafile(const std::string& bytes) {
    constexpr uint32_t placeableKey = 0x9AC6CDD7;
    constexpr size_t placeableSize = 22;
    uint32_t key = 0;
    if (bytes.size() >= sizeof key) std::memcpy(&key, bytes.data(), sizeof key);
    if (key != placeableKey) {
        return ::SetWinMetaFileBits(static_cast<UINT>(bytes.size()), reinterpret_cast<const BYTE*>(bytes.data()),
                                    nullptr, nullptr);
    }
    if (bytes.size() <= placeableSize) return nullptr;
    int16_t box[4];  // left, top, right, bottom in metafile units
    uint16_t unitsPerInch;
    std::memcpy(box, bytes.data() + 6, sizeof box);
    std::memcpy(&unitsPerInch, bytes.data() + 14, sizeof unitsPerInch);
    if (unitsPerInch == 0) unitsPerInch = 1440;
    METAFILEPICT size{MM_ANISOTROPIC, ::MulDiv(box[2] - box[0], 2540, unitsPerInch),
                      ::MulDiv(box[3] - box[1], 2540, unitsPerInch), nullptr};  // in 0.01 mm
    return ::SetWinMetaFileBits(static_cast<UINT>(bytes.size() - placeableSize),
                                reinterpret_cast<const BYTE*>(bytes.data() + placeableSize), nullptr, &size);
}

}  // namespace

std::unique_ptr<TMetafile> TMetafile::FromFile(const std::string& file) {
    HENHMETAFILE h = ::GetEnhMetaFileA(file.c_str());
    if (!h) {
        std::string bytes;
        try {
            bytes = ReadFileBytes(file);
        } catch (const EError&) {
            // reported as not valid, below
        }
        h = FromWindowsMetafile(bytes);
    }
    if (!h) throw EError("Metafile is not valid: \"" + file + "\"");
    return std::make_unique<TMetafile>(h);
}

void TMetafile::Draw(HDC dc, const RECT& d, bool) const { ::PlayEnhMetaFile(dc, emf_.get(), &d); }

// --- registry ---

namespace {
struct Registration {
    std::string extension, description;
    TScaledGraphicLoader loader;
};

// Classes that always decode at full size ignore the fit.
TScaledGraphicLoader IgnoringFit(TGraphicLoader loader) {
    return [loader = std::move(loader)](const std::string& file, int, int) { return loader(file); };
}

// Read by workers (thumbnails) while the GUI thread may register: every access holds the lock.
// The framework's own classes are the first entries from the start, so nothing registered
// later can push them out, and a later class of the same extension still wins.
struct Registry {
    std::mutex lock;
    std::vector<Registration> list;

    Registry() {
        auto bmp = [](const std::string& f) -> std::unique_ptr<TGraphic> { return TBitmap::FromFile(f); };
        auto ico = [](const std::string& f) -> std::unique_ptr<TGraphic> { return TIcon::FromFile(f); };
        auto emf = [](const std::string& f) -> std::unique_ptr<TGraphic> { return TMetafile::FromFile(f); };
        list.push_back({".wmf", "Metafiles", IgnoringFit(emf)});
        list.push_back({".emf", "Enhanced Metafiles", IgnoringFit(emf)});
        list.push_back({".ico", "Icons", IgnoringFit(ico)});
        list.push_back({".bmp", "Bitmaps", IgnoringFit(bmp)});
    }
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}
}  // namespace

void RegisterPictureClass(const std::string& extension, const std::string& description, TScaledGraphicLoader loader) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.list.push_back({LowerAZ(extension), description, std::move(loader)});
}

void RegisterPictureClass(const std::string& extension, const std::string& description, TGraphicLoader loader) {
    RegisterPictureClass(extension, description, IgnoringFit(std::move(loader)));
}

TScaledGraphicLoader FindScaledPictureClass(const std::string& extension) {
    std::string ext = LowerAZ(extension);
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    for (auto it = r.list.rbegin(); it != r.list.rend(); ++it)
        if (it->extension == ext) return it->loader;
    return {};
}

TGraphicLoader FindPictureClass(const std::string& extension) {
    TScaledGraphicLoader loader = FindScaledPictureClass(extension);
    if (!loader) return {};
    return [loader = std::move(loader)](const std::string& file) { return loader(file, 0, 0); };
}

void TPicture::LoadFromFile(const std::string& file) { LoadFromFile(file, 0, 0); }

void TPicture::LoadFromFile(const std::string& file, int fitWidth, int fitHeight) {
    TScaledGraphicLoader loader = FindScaledPictureClass(ExtractFileExt(file));
    if (!loader) throw EError("Unknown picture file extension (" + ExtractFileExt(file) + ")");
    graphic_ = Upright(loader(file, fitWidth, fitHeight));
}

}  // namespace tsb
