#include "app/Layout.h"

#include <algorithm>

namespace tsb {

Placement PlaceMainWindow(int monitorWidth, int monitorHeight, int normalWidth, int normalHeight,
                          bool fullScreen) {
    if (monitorHeight < normalHeight || monitorWidth < normalWidth) fullScreen = true;
    if (fullScreen) return {0, 0, monitorWidth, monitorHeight, true};
    return {monitorWidth / 2 - normalWidth / 2, monitorHeight / 2 - normalHeight / 2, normalWidth,
            normalHeight, false};
}

int ClampButtonSize(int level) { return std::clamp(level, 3, 8); }

ButtonLevel ButtonLevelFor(int level) {
    static const ButtonLevel table[] = {
        {3, 260, 150, 1}, {4, 190, 130, 1}, {5, 150, 110, 1},
        {6, 120, 100, 0}, {7, 100, 90, 0},  {8, 85, 80, 0},
    };
    return table[ClampButtonSize(level) - 3];
}

int ThumbnailSizeFor(int level) {
    switch (level) {
        case 3: return 160;
        case 4: return 128;
        case 7:
        case 8: return 32;
        default: return 64;
    }
}

int GridLeft(int column, int buttonWidth) { return (buttonWidth + 16) * column + 16; }
int GridTop(int row, int buttonHeight) { return (buttonHeight + 10) * row + 10; }

void GridCursor::Advance(int buttonWidth, int clientWidth) {
    ++column;
    if ((buttonWidth + 16) * column >= clientWidth - buttonWidth - 16) {
        ++row;
        column = 0;
    }
}

std::vector<BoxPos> BigFolderButtons(int count, int windowWidth, bool fullScreen, int height) {
    std::vector<BoxPos> out;
    int top = 20;
    for (int i = 0; i < count; ++i) {
        if (!fullScreen) {
            out.push_back({windowWidth * 20 / 100, top, windowWidth * 60 / 100});
            top += height + 10;
        } else {
            int left = (i % 2 == 0) ? windowWidth * 3 / 100 : windowWidth * 53 / 100;
            out.push_back({left, top, windowWidth * 44 / 100});
            if (i % 2 == 1) top += height + 10;
        }
    }
    return out;
}

std::vector<int> NavStripLefts(const std::vector<int>& widths) {
    std::vector<int> lefts;
    int x = 4;
    for (int w : widths) {
        lefts.push_back(x);
        x += w + 6;
    }
    lefts.push_back(x);
    return lefts;
}

}  // namespace tsb
