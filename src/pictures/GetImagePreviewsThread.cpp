#include "pictures/GetImagePreviewsThread.h"

#include <exception>
#include <utility>

#include "framework/core/PictureFile.h"
#include "framework/core/PictureFit.h"
#include "framework/core/Text.h"
#include "framework/win/Debug.h"
#include "pictures/PixelBitmap.h"

namespace tsb {

std::optional<TFileStamp> FileStampOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    TFileStamp s;
    s.size = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    s.writeTime = static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 |
                  data.ftLastWriteTime.dwLowDateTime;
    return s;
}

std::string ThumbnailKey(const std::string& path, const TFileStamp& stamp, int thumbnailPixels) {
    return LowerAZ(path) + '|' + std::to_string(stamp.size) + '|' + std::to_string(stamp.writeTime) + '|' +
           std::to_string(thumbnailPixels);
}

TGetImagePreviews::TGetImagePreviews(std::vector<TPreviewTarget> targets, int thumbnailSize, TThumbnailReady ready,
                                     int thumbnailPixels)
    : Buttons(std::move(targets)),
      ThumbnailSize(thumbnailSize),
      ThumbnailPixels(thumbnailPixels > 0 ? thumbnailPixels : thumbnailSize),
      ready_(std::move(ready)) {
    Log("TGetImagePreviews.Create " + std::to_string(Buttons.size()));
}

void TGetImagePreviews::Execute() {
    Log("TGetImagePreviews.Execute " + std::to_string(Buttons.size()));
    if (Buttons.empty()) return;
    try {
        SleepUnlessTerminated(1000);  // a stop ends the pause; the loop below then ends at once
        TPicture picture;  // one container for the whole run
        std::size_t i = 0;
        for (; !Terminated() && i < Buttons.size(); ++i) {
            const TPreviewTarget& target = Buttons[i];
            std::optional<TFileStamp> stamp = FileStampOf(target.PathName);
            if (!stamp || !IsPictureFile(ExtractFileExt(target.PathName))) continue;
            MakeThumbnail(target, *stamp, picture);
        }
        Log("TGetImagePreviews.Execute Completed " + std::to_string(i));
    } catch (const std::exception& e) {
        // A picture its decoder rejects ends the run; the buttons left keep their icons.
        Log(std::string("TGetImagePreviews.Execute Exception: ") + e.what());
    }
}

void TGetImagePreviews::MakeThumbnail(const TPreviewTarget& target, const TFileStamp& stamp, TPicture& picture) {
    Log("TGetImagePreviews.Execute: Loading " + ExtractFileName(target.PathName));
    // Decoded no larger than the thumbnail needs; placed by the size the file declares.
    // Made at the box's size in window pixels, and placed by its size in design pixels.
    picture.LoadFromFile(target.PathName, ThumbnailPixels, ThumbnailPixels);
    int w = picture.OriginalWidth(), h = picture.OriginalHeight();
    if (w <= 0 || h <= 0) return;
    FitRect fit = FitThumbnail(w, h, ThumbnailPixels);
    if (Terminated()) return;
    try {
        // Transparent parts of a picture show white, as on a fresh bitmap.
        auto bitmap = TPixelBitmap::Render(fit.right, fit.bottom, RGB(255, 255, 255), [&](HDC dc) {
            picture.Draw(dc, RECT{0, 0, fit.right, fit.bottom});
        });
        FitRect design = FitThumbnail(w, h, ThumbnailSize);
        TThumbnail thumbnail{target.Child, ThumbnailKey(target.PathName, stamp, ThumbnailPixels),
                             DesignSized(bitmap, design.right, design.bottom), bitmap->Bytes()};
        Synchronize([&] { ready_(thumbnail); });
    } catch (const std::exception& e) {
        Log(std::string("TGetImagePreviews.Execute Drawing Exception: ") + e.what());
    }
}

// --- cache ---

std::shared_ptr<const TGraphic> TThumbnailCache::Find(const std::string& key) {
    const auto* found = cache_.Find(key);
    return found ? *found : nullptr;
}

void TThumbnailCache::Put(const TThumbnail& t) {
    if (ReleaseIfMemoryShort()) return;
    cache_.Put(t.Key, t.Picture, t.Bytes);
}

bool TThumbnailCache::ReleaseIfMemoryShort() {
    MEMORYSTATUSEX m{};
    m.dwLength = sizeof m;
    if (!::GlobalMemoryStatusEx(&m) || !MemoryIsShort(m.ullAvailPhys, m.ullTotalPhys, m.ullAvailVirtual)) return false;
    if (cache_.Count() > 0) Log("TThumbnailCache released: memory is short");
    cache_.Clear();
    return true;
}

}  // namespace tsb
