#include "pictures/GdiPlusPictures.h"

#include <atomic>
#include <vector>

#include <shlwapi.h>

#ifdef __SSE__
#include <xmmintrin.h>
#endif

#include "framework/core/PhotoTags.h"
#include "framework/core/PictureCoding.h"
#include "framework/core/ScopeExit.h"
#include "framework/win/Convert.h"
#include "framework/win/Errors.h"
#include "framework/win/Files.h"
#include "framework/win/Jpeg.h"

namespace tsb {

namespace {

// The published encoder class identifiers and raw-format identifiers, in TPictureFormat order.
constexpr CLSID Encoders[] = {
    {0x557cf402, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}},  // image/gif
    {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}},  // image/png
    {0x557cf401, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}},  // image/jpeg
    {0x557cf400, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}},  // image/bmp
    {0x557cf405, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}},  // image/tiff
};
constexpr GUID RawFormats[] = {
    {0xb96b3cb0, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}},  // GIF
    {0xb96b3caf, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}},  // PNG
    {0xb96b3cae, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}},  // JPEG
    {0xb96b3cab, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}},  // BMP
    {0xb96b3cb1, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}},  // TIFF
};
constexpr GUID EncoderQuality = {0x1d5be4b5, 0xfa4a, 0x452d, {0x9c, 0xdd, 0x5d, 0xb3, 0x51, 0x05, 0xe7, 0xeb}};
constexpr GUID EncoderCompression = {0xe09d739d, 0xccd4, 0x44ee, {0x8e, 0xba, 0x3f, 0xbf, 0x8b, 0xe4, 0xfc, 0x58}};
constexpr ULONG EncoderParameterValueTypeLong = 4;

template <class F>
bool ResolveInto(HMODULE module, const char* name, F& slot) {
    FARPROC p = ::GetProcAddress(module, name);
    if (!p) return false;
    slot = reinterpret_cast<F>(reinterpret_cast<void (*)()>(p));
    return true;
}

// Some libraries change the floating-point control word as they load; the program's own
// arithmetic must keep the settings it started with.
class FloatingPointState {
public:
    FloatingPointState() {
        asm volatile("fnstcw %0" : "=m"(x87_));
#ifdef __SSE__
        sse_ = _mm_getcsr();
#endif
    }
    void Restore() const {
        asm volatile("fldcw %0" : : "m"(x87_));
#ifdef __SSE__
        _mm_setcsr(sse_);
#endif
    }

private:
    unsigned short x87_ = 0;
#ifdef __SSE__
    unsigned int sse_ = 0;
#endif
};

std::atomic<unsigned> Generations{0};

std::unique_ptr<TGDIPlus>& Instance() {
    static std::unique_ptr<TGDIPlus> instance;
    return instance;
}

// Reads exactly count bytes; false on an error or an early end.
bool ReadAll(IStream* stream, void* into, ULONG count) {
    auto* p = static_cast<BYTE*>(into);
    while (count > 0) {
        ULONG got = 0;
        if (FAILED(stream->Read(p, count, &got)) || got == 0) return false;
        p += got;
        count -= got;
    }
    return true;
}

void WriteAll(IStream* stream, const void* from, ULONG count) {
    auto* p = static_cast<const BYTE*>(from);
    while (count > 0) {
        ULONG put = 0;
        OleCheck(stream->Write(p, count, &put));
        if (put == 0) throw EError("Stream write error");
        p += put;
        count -= put;
    }
}

}  // namespace

// --- loader ---

TGDIPlus::TGDIPlus(const std::string& libraryFile) : generation_(++Generations) {
    if (!module_) {
        FloatingPointState fpu;
        UINT oldMode = ::SetErrorMode(SEM_NOOPENFILEERRORBOX);
        module_.reset(::LoadLibraryA(libraryFile.c_str()));
        ::SetErrorMode(oldMode);
        fpu.Restore();
        if (module_ && !Resolve()) module_.reset();
    }
    if (!module_) return;
    gdip::StartupInput input{1, nullptr, TRUE, FALSE};
    gdip::StartupOutput output{};
    if (GdiplusStartup(&StartupToken, &input, &output) != gdip::Ok) {
        StartupToken = 0;
        module_.reset();
        return;
    }
    NotificationHook = output.NotificationHook;
    NotificationUnhook = output.NotificationUnhook;
    if (NotificationHook) NotificationHook(&HookToken);
}

// Every name, in order, or none: the library is then unusable.
bool TGDIPlus::Resolve() {
    HMODULE m = module_.get();
    bool all = true;
#define TSB_GDIPLUS_RESOLVE(name) all = all && ResolveInto(m, #name, name);
    TSB_GDIPLUS_ENTRY_POINTS(TSB_GDIPLUS_RESOLVE)
#undef TSB_GDIPLUS_RESOLVE
    return all;
}

void TGDIPlus::Shutdown() {
    if (StartupToken != 0) {
        if (NotificationUnhook) NotificationUnhook(HookToken);
        GdiplusShutdown(StartupToken);
        StartupToken = 0;
    }
    module_.reset();
}

void TGDIPlus::DrawMetafile(HENHMETAFILE metafile, HDC dc, const RECT& rect, int, int) {
    RECT r{rect.left, rect.top, rect.right - 1, rect.bottom - 1};
    ::PlayEnhMetaFile(dc, metafile, &r);
}

TGDIPlus* GdiPlusLibrary() { return Instance().get(); }

bool GdiPlusUsable() {
    TGDIPlus* lib = GdiPlusLibrary();
    return lib && lib->IsUsable();
}

void ReleaseGdiPlusLibrary() { Instance().reset(); }

// --- pictures ---

void TGdiPlusPicture::Clear() {
    std::lock_guard<std::recursive_mutex> guard(use_);
    hasContent_ = false;
    fromBitmap_ = false;
    imageWidth_ = imageHeight_ = 0;
    if (image_) {
        // Once GDI+ has been shut down its images are gone with it.
        if (ImageAlive()) GdiPlusLibrary()->GdipDisposeImage(image_);
        image_ = nullptr;
    }
    dataStream_.reset();
    dataBlock_.reset();
    dataLength_ = 0;
    orientation_ = 1;
}

void TGdiPlusPicture::LoadFromFile(const std::string& file) {
    Clear();
    if (!GdiPlusUsable() || !FileExists(file)) return;
    ComPtr<IStream> stream;
    std::wstring name = AnsiToWide(file);
    if (FAILED(::SHCreateStreamOnFileEx(name.c_str(), STGM_READ | STGM_SHARE_DENY_NONE, FILE_ATTRIBUTE_NORMAL,
                                        FALSE, nullptr, stream.put())))
        return;
    LoadFromStream(stream.get());
}

void TGdiPlusPicture::LoadFromStream(IStream* stream) {
    std::lock_guard<std::recursive_mutex> guard(use_);
    Clear();
    if (!GdiPlusUsable() || !stream) return;
    TGDIPlus& gdi = *GdiPlusLibrary();
    ULARGE_INTEGER size{};
    if (FAILED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_END, &size))) return;
    if (size.QuadPart == 0 || size.QuadPart > MAXDWORD) return;
    if (FAILED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr))) return;
    dataLength_ = static_cast<DWORD>(size.QuadPart);

    dataBlock_.reset(::GlobalAlloc(GMEM_MOVEABLE, dataLength_));
    if (!dataBlock_) return Clear();
    void* bytes = ::GlobalLock(dataBlock_.get());
    if (!bytes) return Clear();
    bool read = ReadAll(stream, bytes, dataLength_);
    if (read) orientation_ = ReadTiffTags(static_cast<const std::uint8_t*>(bytes), dataLength_).Orientation;
    ::GlobalUnlock(dataBlock_.get());
    if (!read) return Clear();

    if (FAILED(::CreateStreamOnHGlobal(dataBlock_.get(), FALSE, dataStream_.put()))) return Clear();
    if (gdi.GdipLoadImageFromStream(dataStream_.get(), &image_) != gdip::Ok) {
        image_ = nullptr;
        return Clear();
    }
    ReadSize();
}

bool TGdiPlusPicture::ImageAlive() const {
    return image_ && GdiPlusUsable() && GdiPlusLibrary()->Generation() == generation_;
}

void TGdiPlusPicture::ReadSize() {
    TGDIPlus& gdi = *GdiPlusLibrary();
    generation_ = gdi.Generation();
    UINT w = 0, h = 0;
    if (gdi.GdipGetImageWidth(image_, &w) != gdip::Ok || gdi.GdipGetImageHeight(image_, &h) != gdip::Ok || w == 0 ||
        h == 0)
        return Clear();
    // A picture that would take more than the bound to draw is treated like an unreadable one.
    if (int64_t{w} * h > MaxDecodedPixels) return Clear();
    imageWidth_ = w;
    imageHeight_ = h;
    hasContent_ = true;
}

void TGdiPlusPicture::Assign(const TGraphic* source) {
    auto* gdiSource = dynamic_cast<const TGdiPlusPicture*>(source);
    if (!source || !GdiPlusUsable() || (gdiSource && !gdiSource->HasContent())) return Clear();
    if (auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        std::lock_guard<std::recursive_mutex> guard(use_);
        Clear();
        if (GdiPlusLibrary()->GdipCreateBitmapFromHBITMAP(bitmap->Handle(), nullptr, &image_) != gdip::Ok) {
            image_ = nullptr;
            return Clear();
        }
        fromBitmap_ = true;
        ReadSize();
        return;
    }
    if (!gdiSource) return Clear();
    ComPtr<IStream> memory;
    OleCheck(::CreateStreamOnHGlobal(nullptr, TRUE, memory.put()));
    gdiSource->SaveToStream(memory.get());
    OleCheck(memory->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
    LoadFromStream(memory.get());
}

void TGdiPlusPicture::Draw(HDC dc, const RECT& dest, bool) const {
    std::lock_guard<std::recursive_mutex> guard(use_);
    if (!hasContent_ || !dc || !ImageAlive()) return;
    TGDIPlus& gdi = *GdiPlusLibrary();
    gdip::Graphics* graphics = nullptr;
    if (gdi.GdipCreateFromHDC(dc, &graphics) != gdip::Ok || !graphics) return;
    ScopeExit release([&] { gdi.GdipDeleteGraphics(graphics); });
    gdi.GdipDrawImageRectI(graphics, image_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top);
}

TPictureFormat TGdiPlusPicture::SaveFormat() const {
    GUID raw{};
    if (!hasContent_ || !ImageAlive() || GdiPlusLibrary()->GdipGetImageRawFormat(image_, &raw) != gdip::Ok)
        return TPictureFormat::Bmp;
    for (int i = 0; i < 5; ++i)
        if (raw.Data1 == RawFormats[i].Data1) return static_cast<TPictureFormat>(i);
    return TPictureFormat::Bmp;
}

void TGdiPlusPicture::SaveToStream(IStream* stream) const {
    std::lock_guard<std::recursive_mutex> guard(use_);
    if (!stream || !ImageAlive()) return;
    if (dataBlock_ && !fromBitmap_) {
        void* bytes = ::GlobalLock(dataBlock_.get());
        if (!bytes) throw EOutOfMemory();
        ScopeExit unlock([&] { ::GlobalUnlock(dataBlock_.get()); });
        WriteAll(stream, bytes, dataLength_);
        return;
    }
    SaveAs(stream, SaveFormat(), 80, 0);
}

gdip::Status TGdiPlusPicture::SaveAs(IStream* stream, TPictureFormat format, int quality, int resolution) const {
    std::lock_guard<std::recursive_mutex> guard(use_);
    if (!stream || !ImageAlive()) return gdip::InvalidParameter;
    TGDIPlus& gdi = *GdiPlusLibrary();
    if (resolution != 0 && fromBitmap_)
        gdi.GdipBitmapSetResolution(image_, static_cast<float>(resolution), static_cast<float>(resolution));

    LONG value = 0;
    gdip::EncoderParameters parameters{0, {{{}, 1, EncoderParameterValueTypeLong, &value}}};
    if (format == TPictureFormat::Jpeg && quality >= 0) {
        parameters.Count = 1;
        parameters.Parameter[0].Guid = EncoderQuality;
        value = quality;
    } else if (format == TPictureFormat::Tiff) {
        parameters.Count = 1;
        parameters.Parameter[0].Guid = EncoderCompression;
        value = TiffCompressionFor(quality);
    }

    ComPtr<IStream> encoded;
    OleCheck(::CreateStreamOnHGlobal(nullptr, TRUE, encoded.put()));
    gdip::Status status = gdi.GdipSaveImageToStream(image_, encoded.get(), &Encoders[static_cast<int>(format)],
                                                    parameters.Count ? &parameters : nullptr);
    if (status != gdip::Ok) return status;
    ULARGE_INTEGER size{};
    OleCheck(encoded->Seek(LARGE_INTEGER{}, STREAM_SEEK_END, &size));
    OleCheck(encoded->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
    if (size.QuadPart > MAXDWORD) throw EOutOfMemory();
    std::vector<BYTE> buffer(static_cast<size_t>(size.QuadPart));
    if (!buffer.empty() && !ReadAll(encoded.get(), buffer.data(), static_cast<ULONG>(buffer.size())))
        throw EError("Stream read error");
    encoded.reset();
    WriteAll(stream, buffer.data(), static_cast<ULONG>(buffer.size()));
    return status;
}

void TJpegImage::SaveToStream(IStream* stream) const { SaveAs(stream, TPictureFormat::Jpeg, Quality, 0); }

// --- registration ---

namespace {
template <class T>
void RegisterGdiPlusClass(const char* extension, const char* description) {
    RegisterPictureClass(extension, description, [](const std::string& file) -> std::unique_ptr<TGraphic> {
        auto picture = std::make_unique<T>();
        picture->LoadFromFile(file);
        return picture;
    });
}
}  // namespace

void RegisterPictureClasses() {
    if (!GdiPlusLibrary()) Instance() = std::make_unique<TGDIPlus>("gdiplus.dll");
    static bool registered = false;
    if (registered) return;
    registered = true;
    // Descriptions: the class name without its "T" and its "Image".
    RegisterGdiPlusClass<TJpegImage>(".jpg", "Jpeg");
    RegisterGdiPlusClass<TJpegImage>(".jpeg", "Jpeg");
    RegisterGdiPlusClass<TPngImage>(".png", "Png");
    RegisterGdiPlusClass<TGifImage>(".gif", "Gif");
    RegisterGdiPlusClass<TTiffImage>(".tif", "Tiff");
    RegisterGdiPlusClass<TTiffImage>(".tiff", "Tiff");
    // The newest registration of an extension wins: JPEG files stay with the framework's class.
    RegisterJpegPictureClass();
}

}  // namespace tsb
