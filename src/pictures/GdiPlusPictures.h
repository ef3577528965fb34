#pragma once
// Picture classes over GDI+ ("gdiplus.dll", loaded at run time, not linked): PNG, GIF and TIFF
// files, and the loader that brings GDI+ up and down. A picture that GDI+ can't read, or any
// picture while GDI+ is missing, is empty (0 x 0): never an error.
#include <memory>
#include <mutex>
#include <string>

#include "framework/win/Picture.h"

namespace tsb {

namespace gdip {
using Status = int;  // 0 Ok, 2 InvalidParameter, ...
constexpr Status Ok = 0, InvalidParameter = 2;
struct Image;
struct Graphics;
struct ImageAttributes;

using DebugEventProc = void(WINAPI*)(int level, char* message);
using NotificationHookProc = Status(WINAPI*)(ULONG_PTR* token);
using NotificationUnhookProc = void(WINAPI*)(ULONG_PTR token);
struct StartupInput {
    UINT32 GdiplusVersion;
    DebugEventProc DebugEventCallback;
    BOOL SuppressBackgroundThread;
    BOOL SuppressExternalCodecs;
};
struct StartupOutput {
    NotificationHookProc NotificationHook;
    NotificationUnhookProc NotificationUnhook;
};
struct EncoderParameter {
    GUID Guid;
    ULONG NumberOfValues;
    ULONG Type;
    void* Value;
};
struct EncoderParameters {
    UINT Count;
    EncoderParameter Parameter[1];
};

// The flat API's entry points, in the order they are resolved.
using TGdiplusStartup = Status(WINAPI*)(ULONG_PTR* token, const StartupInput* input, StartupOutput* output);
using TGdiplusShutdown = void(WINAPI*)(ULONG_PTR token);
using TGdipDeleteGraphics = Status(WINAPI*)(Graphics* graphics);
using TGdipCreateFromHDC = Status(WINAPI*)(HDC dc, Graphics** graphics);
using TGdipLoadImageFromStream = Status(WINAPI*)(IStream* stream, Image** image);
using TGdipLoadImageFromFile = Status(WINAPI*)(const WCHAR* file, Image** image);
using TGdipDrawImageRectI = Status(WINAPI*)(Graphics* graphics, Image* image, INT x, INT y, INT width, INT height);
using TGdipDrawImageRectRectI = Status(WINAPI*)(Graphics* graphics, Image* image, INT dstx, INT dsty, INT dstwidth,
                                                INT dstheight, INT srcx, INT srcy, INT srcwidth, INT srcheight,
                                                int srcUnit, const ImageAttributes* attributes,
                                                BOOL(CALLBACK* abort)(void*), void* abortData);
using TGdipDisposeImage = Status(WINAPI*)(Image* image);
using TGdipGetImageRawFormat = Status(WINAPI*)(Image* image, GUID* format);
using TGdipGetImageWidth = Status(WINAPI*)(Image* image, UINT* width);
using TGdipGetImageHeight = Status(WINAPI*)(Image* image, UINT* height);
using TGdipSaveImageToStream = Status(WINAPI*)(Image* image, IStream* stream, const CLSID* encoder,
                                               const EncoderParameters* parameters);
// GDI+ bitmaps are images; one type keeps the picture's handle simple.
using TGdipCreateBitmapFromHBITMAP = Status(WINAPI*)(HBITMAP bitmap, HPALETTE palette, Image** result);
using TGdipCreateBitmapFromGdiDib = Status(WINAPI*)(const BITMAPINFO* info, void* bits, Image** result);
using TGdipBitmapSetResolution = Status(WINAPI*)(Image* bitmap, float xdpi, float ydpi);
using TGdipImageGetFrameCount = Status(WINAPI*)(Image* image, const GUID* dimension, UINT* count);
using TGdipImageSelectActiveFrame = Status(WINAPI*)(Image* image, const GUID* dimension, UINT index);
}  // namespace gdip

#define TSB_GDIPLUS_ENTRY_POINTS(X)                                                                            \
    X(GdiplusStartup) X(GdiplusShutdown) X(GdipDeleteGraphics) X(GdipCreateFromHDC) X(GdipLoadImageFromStream) \
    X(GdipLoadImageFromFile) X(GdipDrawImageRectI) X(GdipDrawImageRectRectI) X(GdipDisposeImage)               \
    X(GdipGetImageRawFormat) X(GdipGetImageWidth) X(GdipGetImageHeight) X(GdipSaveImageToStream)               \
    X(GdipCreateBitmapFromHBITMAP) X(GdipCreateBitmapFromGdiDib) X(GdipBitmapSetResolution)                    \
    X(GdipImageGetFrameCount) X(GdipImageSelectActiveFrame)

// A library loaded at run time by name.
class TRuntimeLibrary {
public:
    TRuntimeLibrary() = default;
    virtual ~TRuntimeLibrary() = default;
    TRuntimeLibrary(const TRuntimeLibrary&) = delete;
    TRuntimeLibrary& operator=(const TRuntimeLibrary&) = delete;
    HMODULE Handle() const { return module_.get(); }

protected:
    unique_hmodule module_;
};

// GDI+ itself. Usable when the library loaded, every entry point resolved and start-up succeeded;
// otherwise nothing of it is ever called.
class TGDIPlus : public TRuntimeLibrary {
public:
    explicit TGDIPlus(const std::string& libraryFile);
    ~TGDIPlus() override { Shutdown(); }
    bool IsUsable() const { return Handle() != nullptr; }
    // Tells one start of GDI+ in this process from another: images of an earlier one are gone.
    unsigned Generation() const { return generation_; }
    // Ends GDI+ and unloads it; once every user of it has stopped. Safe to call again.
    void Shutdown();
    // Plays an enhanced metafile into dc (the rectangle's right and bottom edges 1 pixel in).
    virtual void DrawMetafile(HENHMETAFILE metafile, HDC dc, const RECT& rect, int, int);

#define TSB_GDIPLUS_MEMBER(name) gdip::T##name name = nullptr;
    TSB_GDIPLUS_ENTRY_POINTS(TSB_GDIPLUS_MEMBER)
#undef TSB_GDIPLUS_MEMBER
    ULONG_PTR StartupToken = 0;  // 0: not started
    gdip::NotificationHookProc NotificationHook = nullptr;
    gdip::NotificationUnhookProc NotificationUnhook = nullptr;
    ULONG_PTR HookToken = 0;

private:
    bool Resolve();
    unsigned generation_;
};

// The process's one GDI+, made by RegisterPictureClasses; null before that and after
// ReleaseGdiPlusLibrary.
TGDIPlus* GdiPlusLibrary();
bool GdiPlusUsable();
// Shuts GDI+ down and drops the instance: after every thread that draws pictures has ended.
// Pictures still held afterwards are empty to GDI+ and are no longer drawn. Safe to call again.
void ReleaseGdiPlusLibrary();

// The formats GDI+ encodes, in this order.
enum class TPictureFormat { Gif = 0, Png = 1, Jpeg = 2, Bmp = 3, Tiff = 4 };

// A picture decoded by GDI+ from a copy of its file's bytes.
class TGdiPlusPicture : public TGraphic {
public:
    TGdiPlusPicture() = default;
    ~TGdiPlusPicture() override { Clear(); }
    TGdiPlusPicture(const TGdiPlusPicture&) = delete;
    TGdiPlusPicture& operator=(const TGdiPlusPicture&) = delete;

    void Clear();
    // Empty when the file is missing, unreadable or not a picture GDI+ reads; never raises for
    // that. Other programs may be writing the file meanwhile (it is opened denying nothing).
    void LoadFromFile(const std::string& file);
    // The whole stream from its start, whatever its position.
    void LoadFromStream(IStream* stream);
    // From a picture's graphic: a bitmap becomes a GDI+ bitmap, another GDI+ picture is copied
    // through its bytes; anything else, or nothing, clears.
    void Assign(const TGraphic* source);
    void Assign(const TPicture& source) { Assign(source.Graphic()); }
    // The bytes that were read, unchanged; encoded in the class's format when there are none.
    virtual void SaveToStream(IStream* stream) const;
    // Encodes into stream; quality is JPEG's quality, or TIFF's compression kind (2..6, else LZW);
    // a resolution other than 0 is set on pictures made from a bitmap. Returns GDI+'s status.
    gdip::Status SaveAs(IStream* stream, TPictureFormat format, int quality, int resolution) const;

    int Width() const override { return static_cast<int>(imageWidth_); }
    int Height() const override { return static_cast<int>(imageHeight_); }
    void Draw(HDC dc, const RECT& dest, bool transparent) const override;
    int Orientation() const override { return orientation_; }  // a TIFF file's own tag
    bool HasContent() const { return hasContent_; }
    bool FromBitmap() const { return fromBitmap_; }
    DWORD DataLength() const { return dataLength_; }

protected:
    // The format SaveToStream encodes in when it has no bytes to copy.
    virtual TPictureFormat SaveFormat() const;

private:
    void ReadSize();  // the size of image_, or Clear
    bool ImageAlive() const;  // image_ belongs to the GDI+ that is up now

    bool hasContent_ = false;
    UINT imageHeight_ = 0, imageWidth_ = 0;
    gdip::Image* image_ = nullptr;
    unsigned generation_ = 0;  // of the GDI+ that made image_
    ComPtr<IStream> dataStream_;  // GDI+ may read from it as long as image_ lives
    unique_hglobal dataBlock_;
    DWORD dataLength_ = 0;
    bool fromBitmap_ = false;
    int orientation_ = 1;
    // One GDI+ image must not be used by two threads at once; pictures may be shared.
    mutable std::recursive_mutex use_;
};

class TJpegImage : public TGdiPlusPicture {
public:
    int Quality = 80;
    void SaveToStream(IStream* stream) const override;  // always encodes, with Quality

protected:
    TPictureFormat SaveFormat() const override { return TPictureFormat::Jpeg; }
};

class TPngImage : public TGdiPlusPicture {
protected:
    TPictureFormat SaveFormat() const override { return TPictureFormat::Png; }
};

class TGifImage : public TGdiPlusPicture {
protected:
    TPictureFormat SaveFormat() const override { return TPictureFormat::Gif; }
};

class TTiffImage : public TGdiPlusPicture {
protected:
    TPictureFormat SaveFormat() const override { return TPictureFormat::Tiff; }
};

// Once, at start-up before any window: brings GDI+ up and registers ".jpg", ".jpeg", ".png",
// ".gif", ".tif", ".tiff" for the classes above, then the framework's JPEG class after them, so
// JPEG files are decoded by it and the rest by GDI+. Later calls only bring GDI+ back up if it
// was released.
void RegisterPictureClasses();

}  // namespace tsb
