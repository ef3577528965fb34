// Fitting pictures of any claimed size (a header can say anything) into thumbnails, the viewer
// and the slide show: no division by zero, no overflow, the result inside its box, touching it
// on the side the proportions choose, and the proportions kept to within the truncation; the
// decoding scale never enlarges what is drawn and keeps within the pixel budget.
#include <algorithm>
#include <charconv>

#include "FuzzCheck.h"
#include "framework/core/PictureCoding.h"
#include "framework/core/PictureFit.h"

using namespace tsb;

namespace {

// |a/b - c/d| within what truncating one side to whole pixels can explain: the side chosen by the
// box is exact, the other was truncated once (and kept at least one pixel).
void CheckProportion(int64_t w, int64_t h, const FitRect& r, bool heightChosen) {
    long double exact = heightChosen ? static_cast<long double>(w) * r.Height() / h
                                     : static_cast<long double>(h) * r.Width() / w;
    int got = heightChosen ? r.Width() : r.Height();
    FUZZ_CHECK(got <= exact + 1e-6L || got == 1);
    FUZZ_CHECK(got > exact - 1 - 1e-6L);
}

void CheckThumbnail(int64_t w, int64_t h, int size) {
    FitRect r = FitThumbnail(w, h, size);
    if (w <= 0 || h <= 0 || size <= 0) {
        FUZZ_CHECK(r == FitRect{});
        return;
    }
    FUZZ_CHECK(r.left == 0 && r.top == 0);
    FUZZ_CHECK(r.Width() >= 1 && r.Height() >= 1 && r.Width() <= size && r.Height() <= size);
    FUZZ_CHECK(r.Width() == size || r.Height() == size);
    if (w == h) FUZZ_CHECK(r.Width() == size && r.Height() == size);
    CheckProportion(w, h, r, h >= w);
}

void CheckCentred(int64_t w, int64_t h, int bw, int bh) {
    FitRect r = FitCentred(w, h, bw, bh);
    if (w <= 0 || h <= 0 || bw <= 0 || bh <= 0) {
        FUZZ_CHECK(r == FitRect{});
        return;
    }
    FUZZ_CHECK(0 <= r.left && r.left <= r.right && r.right <= bw);
    FUZZ_CHECK(0 <= r.top && r.top <= r.bottom && r.bottom <= bh);
    FUZZ_CHECK(r.Width() >= 1 && r.Height() >= 1);
    // Centred: the margins differ by at most one pixel, the larger one after the picture.
    FUZZ_CHECK(bw - r.right - r.left >= 0 && bw - r.right - r.left <= 1);
    FUZZ_CHECK(bh - r.bottom - r.top >= 0 && bh - r.bottom - r.top <= 1);
    // The box relatively wider (compared exactly) takes the picture's height; else its width.
    bool wider = static_cast<long double>(bw) * h > static_cast<long double>(w) * bh;
    if (static_cast<int64_t>(bw) * h == w * static_cast<int64_t>(bh)) wider = false;
    if (wider) FUZZ_CHECK(r.Height() == bh);
    else FUZZ_CHECK(r.Width() == bw);
    CheckProportion(w, h, r, wider);
}

// Pixels of a picture decoded at eighths/8, counted past 64 bits.
unsigned __int128 Pixels(int64_t w, int64_t h, int eighths) {
    return static_cast<unsigned __int128>(ScaledExtent(w, eighths)) * static_cast<unsigned __int128>(ScaledExtent(h, eighths));
}

void CheckDecodeScale(int64_t w, int64_t h, int fw, int fh, int64_t budgetArg) {
    auto budget = static_cast<unsigned __int128>(budgetArg);
    int e = DecodeEighths(w, h, fw, fh, budgetArg);
    FUZZ_CHECK(e >= 0 && e <= 8);
    if (w <= 0 || h <= 0) {
        FUZZ_CHECK(e == 8);
        return;
    }
    if (e == 0) {
        FUZZ_CHECK(Pixels(w, h, 1) > budget);
        return;
    }
    FUZZ_CHECK(Pixels(w, h, e) <= budget);
    FUZZ_CHECK(ScaledExtent(w, e) >= 1 && ScaledExtent(w, e) <= w && ScaledExtent(h, e) <= h);
    if (e < 8 && Pixels(w, h, e + 1) <= budget) {
        // Made smaller for the fit only: the decoded picture still covers the fitted one.
        FUZZ_CHECK(fw > 0 && fh > 0);
        FitRect fit = FitCentred(w, h, fw, fh);
        FUZZ_CHECK(ScaledExtent(w, e) >= fit.Width() && ScaledExtent(h, e) >= fit.Height());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Text: picture width and height, box width and height, pixel budget, as decimal numbers.
    int64_t v[5] = {0, 0, 0, 0, MaxDecodedPixels};
    std::string_view text = fuzz::AsText(data, size);
    for (int64_t& n : v) {
        size_t at = text.find_first_of("-0123456789");
        if (at == std::string_view::npos) break;
        auto r = std::from_chars(text.data() + at, text.data() + text.size(), n);
        text.remove_prefix(static_cast<size_t>(r.ptr - text.data()) + (r.ptr == text.data() + at ? 1 : 0));
    }
    // Sizes a decoder can report (32 bits, unsigned or signed); boxes of any int.
    int64_t w = std::clamp<int64_t>(v[0], INT32_MIN, UINT32_MAX), h = std::clamp<int64_t>(v[1], INT32_MIN, UINT32_MAX);
    int bw = static_cast<int>(std::clamp<int64_t>(v[2], INT32_MIN, INT32_MAX));
    int bh = static_cast<int>(std::clamp<int64_t>(v[3], INT32_MIN, INT32_MAX));
    CheckThumbnail(w, h, bw);
    CheckCentred(w, h, bw, bh);
    CheckDecodeScale(w, h, bw, bh, std::max<int64_t>(v[4], 0));
    FUZZ_CHECK(CentreOffset(bw, bw) == 0);
    return 0;
}
