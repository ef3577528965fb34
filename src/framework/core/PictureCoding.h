#pragma once
// Choices made when pictures are decoded and encoded, as plain arithmetic.
#include <cstdint>

namespace tsb {

// The most pixels a decoded picture may have: 96 MiB at 24 bits per pixel. Headers can claim
// anything (65500 x 65500 costs a few bytes); a file beyond this is decoded smaller or refused.
constexpr int64_t MaxDecodedPixels = int64_t{32} * 1024 * 1024;

// An extent decoded at eighths/8 of its size, rounded up as decoders that scale by eighths do.
int64_t ScaledExtent(int64_t extent, int eighths);

// The scale, in eighths (1..8), at which to decode a width x height picture that will be drawn
// fitted into fitWidth x fitHeight keeping its proportions: the smallest that still gives at
// least the fitted size, so that drawing never enlarges it. Full size (8) when no fit is asked
// (either side 0 or less) or the fit is as big as the picture. Made smaller still while the
// decoded picture would have more than maxPixels; 0 when even an eighth has more.
int DecodeEighths(int64_t width, int64_t height, int fitWidth, int fitHeight,
                  int64_t maxPixels = MaxDecodedPixels);

// Whether a camera's preview of previewWidth x previewHeight can stand in for its photo of
// photoWidth x photoHeight fitted into fitWidth x fitHeight: the preview covers the fitted
// size, and fitted itself it comes out the same within a pixel (a letterboxed preview of another
// shape does not). Never without a fit.
bool PreviewServes(int64_t previewWidth, int64_t previewHeight, int64_t photoWidth, int64_t photoHeight, int fitWidth,
                   int fitHeight);

// The TIFF compression kind an encoder is asked for: the value given when it is one of the
// known kinds (2 LZW, 3 CCITT3, 4 CCITT4, 5 RLE, 6 none), LZW otherwise.
int TiffCompressionFor(int value);

}  // namespace tsb
