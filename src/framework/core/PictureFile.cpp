#include "framework/core/PictureFile.h"

#include "framework/core/Text.h"

namespace tsb {

bool IsPictureFile(std::string_view extension) {
    static const char* const kinds[] = {".jpg", ".jpeg", ".png", ".gif", ".tif", ".tiff", ".bmp"};
    std::string ext = LowerAZ(extension);
    for (const char* k : kinds)
        if (ext == k) return true;
    return false;
}

}  // namespace tsb
