#pragma once
// What cameras write beside a photo's pixels: how to turn them to stand upright (the orientation
// tag), and a small ready-made preview. Read from TIFF structures (a TIFF file's start, or the
// block a JPEG file carries in its APP1 segment after "Exif\0\0"), which come from outside: every
// offset and count is checked before it is read, and only the first two directories are read.
#include <cstddef>
#include <cstdint>

namespace tsb {

struct TPhotoTags {
    // 1 as stored; 2 mirrored left to right; 3 turned half round; 4 mirrored top to bottom;
    // 5 mirrored along the falling diagonal; 6 to be turned a quarter clockwise; 7 mirrored along
    // the rising diagonal; 8 to be turned a quarter anticlockwise. 1 when absent or out of range.
    int Orientation = 1;
    // The preview (a JPEG stream), as a span of the bytes read; length 0 when there is none.
    std::size_t PreviewOffset = 0, PreviewLength = 0;
};

// A TIFF structure: "II" or "MM", 42, the first directory's offset. Nothing (the defaults) for
// anything else or anything damaged; a damaged second directory leaves the first one's findings.
TPhotoTags ReadTiffTags(const std::uint8_t* data, std::size_t size);
// A JPEG file's APP1 payload: "Exif\0\0" and a TIFF structure. The preview's span is within it.
TPhotoTags ReadExifBlock(const std::uint8_t* data, std::size_t size);

// Orientations 5 to 8 stand the picture on its side: its upright width is its stored height.
bool TurnsSideways(int orientation);

// Copies 24-bit pixels between the stored picture (storedWidth x storedHeight) and the same
// picture upright (the sides swapped where TurnsSideways). Rows are top-down, strides in bytes.
// An orientation out of range copies as stored.
void StoredToUpright(const std::uint8_t* stored, std::size_t storedStride, int storedWidth, int storedHeight,
                     std::uint8_t* upright, std::size_t uprightStride, int orientation);
void UprightToStored(const std::uint8_t* upright, std::size_t uprightStride, int storedWidth, int storedHeight,
                     std::uint8_t* stored, std::size_t storedStride, int orientation);

}  // namespace tsb
