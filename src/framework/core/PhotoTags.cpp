#include "framework/core/PhotoTags.h"

#include <cstring>

namespace tsb {

namespace {

constexpr std::uint16_t TagOrientation = 0x0112;
constexpr std::uint16_t TagPreviewOffset = 0x0201;  // JPEGInterchangeFormat, in the second directory
constexpr std::uint16_t TagPreviewLength = 0x0202;
constexpr std::uint16_t TypeShort = 3, TypeLong = 4;
constexpr std::size_t EntryBytes = 12;

// Reads of a byte order at an offset; each false when it would pass the end.
struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    bool bigEndian;

    bool Has(std::size_t at, std::size_t count) const { return at <= size && size - at >= count; }
    bool U16(std::size_t at, std::uint16_t& v) const {
        if (!Has(at, 2)) return false;
        v = bigEndian ? static_cast<std::uint16_t>(data[at] << 8 | data[at + 1])
                      : static_cast<std::uint16_t>(data[at + 1] << 8 | data[at]);
        return true;
    }
    bool U32(std::size_t at, std::uint32_t& v) const {
        std::uint16_t a = 0, b = 0;
        if (!U16(at, a) || !U16(at + 2, b)) return false;
        v = bigEndian ? std::uint32_t{a} << 16 | b : std::uint32_t{b} << 16 | a;
        return true;
    }
};

// An entry's value when it is one SHORT or LONG, which the entry holds itself.
bool SingleValue(const Reader& r, std::size_t entry, std::uint32_t& value) {
    std::uint16_t type = 0, shortValue = 0;
    std::uint32_t count = 0;
    if (!r.U16(entry + 2, type) || !r.U32(entry + 4, count) || count != 1) return false;
    if (type == TypeLong) return r.U32(entry + 8, value);
    if (type != TypeShort || !r.U16(entry + 8, shortValue)) return false;
    value = shortValue;
    return true;
}

// One directory: each single-valued entry to found(tag, value); next is the following
// directory's offset (0 for none). False when the directory does not lie within the data.
template <class Found>
bool ReadDirectory(const Reader& r, std::uint32_t at, Found found, std::uint32_t& next) {
    std::uint16_t count = 0;
    if (!r.U16(at, count)) return false;
    std::size_t first = std::size_t{at} + 2;
    if (!r.Has(first, std::size_t{count} * EntryBytes)) return false;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t entry = first + i * EntryBytes;
        std::uint16_t tag = 0;
        std::uint32_t value = 0;
        if (r.U16(entry, tag) && SingleValue(r, entry, value)) found(tag, value);
    }
    next = 0;
    r.U32(first + std::size_t{count} * EntryBytes, next);  // may be cut off: then there is none
    return true;
}

// Where the coordinates of an upright pixel (x, y) lie in the stored picture, as steps in bytes:
// stored = origin + x * stepX + y * stepY.
struct PixelSteps {
    std::ptrdiff_t origin, stepX, stepY;
};

PixelSteps StepsFor(int orientation, int w, int h, std::size_t strideBytes) {
    const auto s = static_cast<std::ptrdiff_t>(strideBytes);
    const std::ptrdiff_t right = std::ptrdiff_t{w - 1} * 3, bottom = std::ptrdiff_t{h - 1} * s;
    switch (orientation) {
        case 2: return {right, -3, s};
        case 3: return {right + bottom, -3, -s};
        case 4: return {bottom, 3, -s};
        case 5: return {0, s, 3};
        case 6: return {bottom, -s, 3};
        case 7: return {right + bottom, -s, -3};
        case 8: return {right, s, -3};
        default: return {0, 3, s};
    }
}

// Visits every pixel of the upright picture with its stored counterpart: move(stored, upright).
template <class Stored, class Upright, class Move>
void EachPixel(Stored* stored, std::size_t storedStride, int storedWidth, int storedHeight, Upright* upright,
               std::size_t uprightStride, int orientation, Move move) {
    if (storedWidth <= 0 || storedHeight <= 0) return;
    const bool sideways = TurnsSideways(orientation);
    const int uprightWidth = sideways ? storedHeight : storedWidth;
    const int uprightHeight = sideways ? storedWidth : storedHeight;
    const PixelSteps steps = StepsFor(orientation, storedWidth, storedHeight, storedStride);
    for (int y = 0; y < uprightHeight; ++y) {
        // Offsets, not pointers, are stepped: the step after a row's last pixel may lie outside.
        std::ptrdiff_t at = steps.origin + y * steps.stepY;
        Upright* to = upright + static_cast<std::size_t>(y) * uprightStride;
        for (int x = 0; x < uprightWidth; ++x, at += steps.stepX, to += 3) move(stored + at, to);
    }
}

}  // namespace

TPhotoTags ReadTiffTags(const std::uint8_t* data, std::size_t size) {
    TPhotoTags tags;
    if (!data || size < 8) return tags;
    bool big;
    if (data[0] == 'I' && data[1] == 'I') big = false;
    else if (data[0] == 'M' && data[1] == 'M') big = true;
    else return tags;
    Reader r{data, size, big};
    std::uint16_t magic = 0;
    std::uint32_t first = 0, second = 0;
    if (!r.U16(2, magic) || magic != 42 || !r.U32(4, first)) return tags;
    bool read = ReadDirectory(
        r, first,
        [&](std::uint16_t tag, std::uint32_t value) {
            if (tag == TagOrientation && value >= 1 && value <= 8) tags.Orientation = static_cast<int>(value);
        },
        second);
    // The second directory (a camera's preview) is read once; one that points back is read as
    // a second directory all the same, and nothing beyond it is followed.
    if (!read || second == 0) return tags;
    std::uint32_t offset = 0, length = 0, beyond = 0;
    if (!ReadDirectory(
            r, second,
            [&](std::uint16_t tag, std::uint32_t value) {
                if (tag == TagPreviewOffset) offset = value;
                if (tag == TagPreviewLength) length = value;
            },
            beyond))
        return tags;
    // A preview is a JPEG stream lying wholly within the data.
    if (offset > 0 && length >= 2 && r.Has(offset, length) && data[offset] == 0xFF && data[offset + 1] == 0xD8) {
        tags.PreviewOffset = offset;
        tags.PreviewLength = length;
    }
    return tags;
}

TPhotoTags ReadExifBlock(const std::uint8_t* data, std::size_t size) {
    static constexpr char Signature[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (!data || size < sizeof Signature || std::memcmp(data, Signature, sizeof Signature) != 0) return {};
    TPhotoTags tags = ReadTiffTags(data + sizeof Signature, size - sizeof Signature);
    if (tags.PreviewLength > 0) tags.PreviewOffset += sizeof Signature;
    return tags;
}

bool TurnsSideways(int orientation) { return orientation >= 5 && orientation <= 8; }

void StoredToUpright(const std::uint8_t* stored, std::size_t storedStride, int storedWidth, int storedHeight,
                     std::uint8_t* upright, std::size_t uprightStride, int orientation) {
    EachPixel(stored, storedStride, storedWidth, storedHeight, upright, uprightStride, orientation,
              [](const std::uint8_t* s, std::uint8_t* u) { std::memcpy(u, s, 3); });
}

void UprightToStored(const std::uint8_t* upright, std::size_t uprightStride, int storedWidth, int storedHeight,
                     std::uint8_t* stored, std::size_t storedStride, int orientation) {
    EachPixel(stored, storedStride, storedWidth, storedHeight, upright, uprightStride, orientation,
              [](std::uint8_t* s, const std::uint8_t* u) { std::memcpy(s, u, 3); });
}

}  // namespace tsb
