#pragma once
// JPEG pictures, decoded by libjpeg into a 24-bit bitmap, at full size or shrunk while decoding
// (by eighths) to what the caller needs, with the orientation their EXIF block gives.
#include <memory>
#include <string>

#include "framework/win/Picture.h"

namespace tsb {

class TJpegGraphic : public TBitmap {
public:
    TJpegGraphic(HBITMAP owned, int originalWidth, int originalHeight, int orientation = 1);
    // Raises for a file that can't be read, isn't JPEG or is damaged beyond its image data, and
    // for one too big to decode (see MaxDecodedPixels). Data that ends early is not an error:
    // what is missing shows grey. fitWidth x fitHeight: see TScaledGraphicLoader; where the
    // camera's own preview fills that fit as well as the photo would, the preview is decoded.
    static std::unique_ptr<TJpegGraphic> FromFile(const std::string& file, int fitWidth = 0, int fitHeight = 0);
    int OriginalWidth() const override { return originalWidth_; }
    int OriginalHeight() const override { return originalHeight_; }
    int Orientation() const override { return orientation_; }

private:
    int originalWidth_, originalHeight_, orientation_;
};

// Registers ".jpeg" and ".jpg" for TJpegGraphic. At start-up it comes after the units' own
// classes, so that JPEG files stay with it.
void RegisterJpegPictureClass();

}  // namespace tsb
