#pragma once
// JPEG pictures, decoded by libjpeg into a 24-bit bitmap, at full size or shrunk while decoding
// (by eighths) to what the caller needs.
#include <memory>
#include <string>

#include "framework/win/Picture.h"

namespace tsb {

class TJpegGraphic : public TBitmap {
public:
    TJpegGraphic(HBITMAP owned, int originalWidth, int originalHeight);
    // Raises for a file that can't be read, isn't JPEG or is damaged beyond its image data, and
    // for one too big to decode (see MaxDecodedPixels). Data that ends early is not an error:
    // what is missing shows grey. fitWidth x fitHeight: see TScaledGraphicLoader.
    static std::unique_ptr<TJpegGraphic> FromFile(const std::string& file, int fitWidth = 0, int fitHeight = 0);
    int OriginalWidth() const override { return originalWidth_; }
    int OriginalHeight() const override { return originalHeight_; }

private:
    int originalWidth_, originalHeight_;
};

// Registers ".jpeg" and ".jpg" for TJpegGraphic. At start-up it comes after the units' own
// classes, so that JPEG files stay with it.
void RegisterJpegPictureClass();

}  // namespace tsb
