#pragma once
// Where the focus goes in a grid of buttons when an arrow, Home, End or a page key is pressed:
// by the buttons' places, so it holds for any layout (a grid, one row, one column).
#include <optional>
#include <vector>

namespace tsb {

struct TCellPlace {
    int left, top;
};

enum class TGridMove { gmLeft, gmRight, gmUp, gmDown, gmFirst, gmLast, gmPageUp, gmPageDown };

// places: the buttons in reading order (row by row). Left and right step through that order,
// so they wrap at the ends of rows; up and down go to the nearest row above or below, to the
// button nearest in column; the page moves go as many rows as fit in pageHeight (at least
// one). None when there is nowhere to go.
std::optional<size_t> GridNeighbour(const std::vector<TCellPlace>& places, size_t from, TGridMove move,
                                    int pageHeight);

}  // namespace tsb
