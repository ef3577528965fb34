// Camera tags from any bytes, read as a TIFF file's start and as a JPEG file's EXIF block: no
// read past the end (AddressSanitizer sees one, as the input is a buffer of its exact size), an
// orientation from 1 to 8, a preview only as a JPEG stream wholly within the bytes. Then the
// pixels of a small picture made of the same bytes turn upright and back unchanged.
#include <algorithm>
#include <cstring>
#include <vector>

#include "FuzzCheck.h"
#include "framework/core/PhotoTags.h"

using namespace tsb;

namespace {

void CheckTags(const TPhotoTags& t, const uint8_t* data, size_t size) {
    FUZZ_CHECK(t.Orientation >= 1 && t.Orientation <= 8);
    if (t.PreviewLength == 0) return;
    FUZZ_CHECK(t.PreviewOffset <= size && t.PreviewLength <= size - t.PreviewOffset);
    FUZZ_CHECK(t.PreviewLength >= 2 && data[t.PreviewOffset] == 0xFF && data[t.PreviewOffset + 1] == 0xD8);
}

void CheckTurn(const uint8_t* data, size_t size) {
    if (size < 3) return;
    const int w = data[0] % 17 + 1, h = data[1] % 17 + 1, orientation = data[2] % 10;
    const size_t storedStride = static_cast<size_t>(w) * 3 + 1, uprightStride = static_cast<size_t>(std::max(w, h)) * 3;
    std::vector<uint8_t> stored(storedStride * static_cast<size_t>(h));
    for (size_t i = 0; i < stored.size(); ++i) stored[i] = data[i % size];
    std::vector<uint8_t> upright(uprightStride * static_cast<size_t>(std::max(w, h)));
    StoredToUpright(stored.data(), storedStride, w, h, upright.data(), uprightStride, orientation);
    std::vector<uint8_t> back = stored;
    for (int y = 0; y < h; ++y) std::memset(back.data() + static_cast<size_t>(y) * storedStride, 0, static_cast<size_t>(w) * 3);
    UprightToStored(upright.data(), uprightStride, w, h, back.data(), storedStride, orientation);
    FUZZ_CHECK(back == stored);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> exact(data, data + size);  // no slack after the last byte
    CheckTags(ReadTiffTags(exact.data(), exact.size()), exact.data(), exact.size());
    CheckTags(ReadExifBlock(exact.data(), exact.size()), exact.data(), exact.size());
    // The same bytes behind an EXIF signature, so that the fuzzer need not find it.
    std::vector<uint8_t> block = {'E', 'x', 'i', 'f', 0, 0};
    block.insert(block.end(), data, data + size);
    CheckTags(ReadExifBlock(block.data(), block.size()), block.data(), block.size());
    CheckTurn(data, size);
    return 0;
}
