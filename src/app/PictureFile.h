#pragma once
#include <string_view>

namespace tsb {
// True for the picture extensions the menu shows itself: ".jpg", ".jpeg", ".png", ".gif",
// ".tif", ".tiff", ".bmp" (the extension with its dot, any letter case).
bool IsPictureFile(std::string_view extension);
}  // namespace tsb
