#pragma once
// Arithmetic of the menu's layouts: window placement, button size levels, the shortcut grid,
// sub-page buttons. Plain values in, plain values out.
#include <vector>

namespace tsb {

struct Placement {
    int left, top, width, height;
    bool fullScreen;  // may be forced on by a small monitor
};
Placement PlaceMainWindow(int monitorWidth, int monitorHeight, int normalWidth, int normalHeight,
                          bool fullScreen);

struct ButtonLevel {
    int level;      // 3 (biggest) .. 8 (smallest)
    int width, height;
    int iconSize;   // 1 extra large, 0 large
};
int ClampButtonSize(int level);
ButtonLevel ButtonLevelFor(int level);  // clamps first
int ThumbnailSizeFor(int level);        // 64 for a value outside 3..8

// The shortcut grid: where a button goes, and whether the grid wraps after a column.
int GridLeft(int column, int buttonWidth);
int GridTop(int row, int buttonHeight);
struct GridCursor {
    int row = 0, column = 0;
    // Advances past one button; wraps when the next column would not fit the client width.
    void Advance(int buttonWidth, int clientWidth);
};

struct BoxPos {
    int left, top, width;
};
// Big sub-page buttons: one column windowed, two columns full screen. Every button has the
// given height.
std::vector<BoxPos> BigFolderButtons(int count, int windowWidth, bool fullScreen, int height);

// Nav-strip buttons from their widths: lefts from 4, each next one width + 6 further.
// The last element of the result is the strip width.
std::vector<int> NavStripLefts(const std::vector<int>& widths);

}  // namespace tsb
