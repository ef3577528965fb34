#include "framework/win/Picture.h"

#include <vector>

#include "framework/core/Text.h"
#include "framework/win/Errors.h"
#include "framework/win/Files.h"

namespace tsb {

// --- bitmap ---

TBitmap::TBitmap(HBITMAP owned) : bmp_(owned) {
    BITMAP bm{};
    if (::GetObjectA(owned, sizeof bm, &bm)) {
        width_ = bm.bmWidth;
        height_ = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    }
}

std::unique_ptr<TBitmap> TBitmap::FromFile(const std::string& file) {
    auto h = static_cast<HBITMAP>(::LoadImageA(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0,
                                               LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!h) throw EError("Bitmap image is not valid: \"" + file + "\"");
    return std::make_unique<TBitmap>(h);
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

// --- icon ---

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

std::unique_ptr<TMetafile> TMetafile::FromFile(const std::string& file) {
    HENHMETAFILE h = ::GetEnhMetaFileA(file.c_str());
    if (!h) throw EError("Metafile is not valid: \"" + file + "\"");
    return std::make_unique<TMetafile>(h);
}

void TMetafile::Draw(HDC dc, const RECT& d, bool) const { ::PlayEnhMetaFile(dc, emf_.get(), &d); }

// --- registry ---

namespace {
struct Registration {
    std::string extension, description;
    TGraphicLoader loader;
};
std::vector<Registration>& Registry() {
    static std::vector<Registration> list;
    return list;
}
}  // namespace

void RegisterPictureClass(const std::string& extension, const std::string& description, TGraphicLoader loader) {
    Registry().push_back({LowerAZ(extension), description, std::move(loader)});
}

void RegisterStandardPictureClasses() {
    if (!Registry().empty()) return;
    auto bmp = [](const std::string& f) -> std::unique_ptr<TGraphic> { return TBitmap::FromFile(f); };
    auto ico = [](const std::string& f) -> std::unique_ptr<TGraphic> { return TIcon::FromFile(f); };
    auto emf = [](const std::string& f) -> std::unique_ptr<TGraphic> { return TMetafile::FromFile(f); };
    RegisterPictureClass(".bmp", "Bitmaps", bmp);
    RegisterPictureClass(".ico", "Icons", ico);
    RegisterPictureClass(".emf", "Enhanced Metafiles", emf);
}

const TGraphicLoader* FindPictureClass(const std::string& extension) {
    std::string ext = LowerAZ(extension);
    auto& list = Registry();
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (it->extension == ext) return &it->loader;
    return nullptr;
}

void TPicture::LoadFromFile(const std::string& file) {
    RegisterStandardPictureClasses();
    const TGraphicLoader* loader = FindPictureClass(ExtractFileExt(file));
    if (!loader) throw EError("Unknown picture file extension (" + ExtractFileExt(file) + ")");
    graphic_ = (*loader)(file);
}


}  // namespace tsb
