#pragma once
// Fitting a picture into a box, keeping its proportions. A picture's header may claim any size
// that an int holds (60 000 x 60 000 and more), so every product is taken in 64 bits; the
// results never exceed the box. Quotients truncate.
#include <cstdint>

namespace tsb {

struct FitRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const FitRect&) const = default;
};

// A thumbnail: the picture in a square of edge size, at the square's top-left corner. The
// longer side becomes size, the other is scaled (a square picture fills the square). A side
// that would truncate to nothing keeps one pixel. Empty for a picture or size without extent.
FitRect FitThumbnail(std::int64_t width, std::int64_t height, int size);

// The picture as large as fits in a box, centred (halves truncated). The picture takes the
// box's height when the box is relatively wider, else its width (also when both proportions
// are equal). A side that would truncate to nothing keeps one pixel. Empty for a picture or
// box without extent.
FitRect FitCentred(std::int64_t width, std::int64_t height, int boxWidth, int boxHeight);

// Where a thing of width inner starts when centred across outer (a thumbnail across its button).
int CentreOffset(int outer, int inner);

}  // namespace tsb
