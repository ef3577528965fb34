#include "framework/core/PictureFit.h"

#include <algorithm>

namespace tsb {

namespace {
// scale * numerator / denominator, at least 1 and at most limit: a side never vanishes and never
// outgrows the box it is fitted to.
int Scaled(std::int64_t scale, std::int64_t numerator, std::int64_t denominator, int limit) {
    return static_cast<int>(std::clamp<std::int64_t>(numerator * scale / denominator, 1, limit));
}
}  // namespace

FitRect FitThumbnail(std::int64_t width, std::int64_t height, int size) {
    if (width <= 0 || height <= 0 || size <= 0) return {};
    if (width > height) return {0, 0, size, Scaled(size, height, width, size)};
    return {0, 0, Scaled(size, width, height, size), size};
}

FitRect FitCentred(std::int64_t width, std::int64_t height, int boxWidth, int boxHeight) {
    if (width <= 0 || height <= 0 || boxWidth <= 0 || boxHeight <= 0) return {};
    FitRect r;
    // boxWidth / boxHeight > width / height, compared exactly: the cross products of values
    // below 2^31 stay below 2^62.
    if (static_cast<std::int64_t>(boxWidth) * height > width * boxHeight) {
        r.right = Scaled(boxHeight, width, height, boxWidth);
        r.bottom = boxHeight;
    } else {
        r.right = boxWidth;
        r.bottom = Scaled(boxWidth, height, width, boxHeight);
    }
    r.top = CentreOffset(boxHeight, r.bottom);
    r.bottom += r.top;
    r.left = CentreOffset(boxWidth, r.right);
    r.right += r.left;
    return r;
}

int CentreOffset(int outer, int inner) { return (outer - inner) / 2; }

}  // namespace tsb
