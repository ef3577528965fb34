#pragma once
#include <string_view>

namespace tsb {
// True for the picture extensions the menu shows itself (viewer, thumbnails, slide show):
// ".jpg", ".jpeg", ".png", ".gif", ".tif", ".tiff", ".bmp" (the extension with its dot, any
// letter case). Free of the system, so every unit that meets pictures can ask.
bool IsPictureFile(std::string_view extension);
}  // namespace tsb
