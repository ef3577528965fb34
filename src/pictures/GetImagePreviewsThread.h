#pragma once
// The thumbnail thread: decodes the pictures of the page on show and makes a small copy of each,
// which replaces its button's icon.
//
// Hand-over: the worker never touches a button, a record or anything else of the GUI. It gets
// copies of the targets when it is made, decodes and renders each thumbnail completely into a
// bitmap of its own (TPixelBitmap, immutable from then on), and hands the finished bitmap to the
// GUI thread with Synchronize. There the owner installs it (picture, PictureLeft, repaint) in one
// go, so no paint ever sees a thumbnail half made. The owner finds the button by its place among
// the page's controls, checked against the display the run belongs to.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/win/Picture.h"
#include "framework/win/Thread.h"
#include "pictures/BoundedCache.h"

namespace tsb {

// What a file is now: its size and last write time. Unchanged, its thumbnail stays good.
struct TFileStamp {
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
};
std::optional<TFileStamp> FileStampOf(const std::string& path);  // none for a missing file or a folder

// One picture to make a thumbnail of.
struct TPreviewTarget {
    std::size_t Child = 0;  // the button's place among the page's controls
    std::string PathName;   // the shortcut's target
};

// A finished thumbnail, on its way to the GUI thread.
struct TThumbnail {
    std::size_t Child = 0;
    std::string Key;  // what the thumbnail cache keeps it under
    std::shared_ptr<const TGraphic> Picture;
    std::size_t Bytes = 0;
};
using TThumbnailReady = std::function<void(const TThumbnail&)>;  // runs on the GUI thread

// Where a thumbnail is kept: the file (as its path, size and write time say) and the size, in
// window pixels (a thumbnail made for one scale is not shown at another).
std::string ThumbnailKey(const std::string& path, const TFileStamp& stamp, int thumbnailPixels);

class TGetImagePreviews : public TThread {
public:
    // Made not running; Start() runs it. ready receives each thumbnail on the GUI thread.
    // thumbnailSize: the box in design pixels; thumbnailPixels: the same box in window pixels, the
    // size the thumbnails are made at (0: the same).
    TGetImagePreviews(std::vector<TPreviewTarget> targets, int thumbnailSize, TThumbnailReady ready,
                      int thumbnailPixels = 0);

protected:
    void Execute() override;

private:
    void MakeThumbnail(const TPreviewTarget& target, const TFileStamp& stamp, TPicture& picture);

    std::vector<TPreviewTarget> Buttons;
    int ThumbnailSize;
    int ThumbnailPixels;
    TThumbnailReady ready_;
};

// The thumbnails made so far, so that a page shown again with the same files gets them back at
// once. Bounded: at most MaxBytes of pixels (32 MiB: some 2 800 thumbnails at 64 pixels, 450 at
// 160) and MaxEntries entries; the least recently used go first. Everything is given back when
// memory runs short (MemoryIsShort). GUI thread only.
class TThumbnailCache {
public:
    static constexpr std::size_t MaxBytes = 32u << 20;
    static constexpr std::size_t MaxEntries = 10000;

    std::shared_ptr<const TGraphic> Find(const std::string& key);
    void Put(const TThumbnail& thumbnail);
    // Gives everything back when memory is short; true when it did.
    bool ReleaseIfMemoryShort();
    void Clear() { cache_.Clear(); }
    std::size_t Bytes() const { return cache_.Bytes(); }
    std::size_t Count() const { return cache_.Count(); }

private:
    TBoundedCache<std::shared_ptr<const TGraphic>> cache_{MaxBytes, MaxEntries};
};

}  // namespace tsb
