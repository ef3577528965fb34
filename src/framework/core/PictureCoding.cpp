#include "framework/core/PictureCoding.h"

#include "framework/core/PictureFit.h"

namespace tsb {

int64_t ScaledExtent(int64_t extent, int eighths) { return (extent * eighths + 7) / 8; }

int DecodeEighths(int64_t width, int64_t height, int fitWidth, int fitHeight, int64_t maxPixels) {
    if (width <= 0 || height <= 0) return 8;
    int eighths = 8;
    if (fitWidth > 0 && fitHeight > 0) {
        // The fit shrinks by the smaller of fitWidth/width and fitHeight/height; eighths/8 is at
        // least that when it reaches either ratio.
        for (eighths = 1; eighths < 8; ++eighths)
            if (eighths * width >= int64_t{8} * fitWidth || eighths * height >= int64_t{8} * fitHeight) break;
    }
    // Compared by division: two sides of a few thousand million pixels multiply past 64 bits.
    for (; eighths > 0; --eighths)
        if (ScaledExtent(width, eighths) <= maxPixels / ScaledExtent(height, eighths)) return eighths;
    return 0;
}

bool PreviewServes(int64_t previewWidth, int64_t previewHeight, int64_t photoWidth, int64_t photoHeight, int fitWidth,
                   int fitHeight) {
    if (fitWidth <= 0 || fitHeight <= 0 || previewWidth <= 0 || previewHeight <= 0) return false;
    FitRect photo = FitCentred(photoWidth, photoHeight, fitWidth, fitHeight);
    FitRect preview = FitCentred(previewWidth, previewHeight, fitWidth, fitHeight);
    if (photo.Width() <= 0 || photo.Height() <= 0) return false;
    auto near = [](int a, int b) { return a - b <= 1 && b - a <= 1; };
    return previewWidth >= photo.Width() && previewHeight >= photo.Height() && near(photo.Width(), preview.Width()) &&
           near(photo.Height(), preview.Height());
}

int TiffCompressionFor(int value) { return value >= 2 && value <= 6 ? value : 2; }

}  // namespace tsb
