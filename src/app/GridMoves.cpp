#include "app/GridMoves.h"

#include <cstdlib>

namespace tsb {

// The button of the row whose top is rowTop nearest in column to left.
static std::optional<size_t> NearestInRow(const std::vector<TCellPlace>& places, int rowTop, int left) {
    std::optional<size_t> best;
    for (size_t i = 0; i < places.size(); ++i) {
        if (places[i].top != rowTop) continue;
        long long distance = std::llabs(static_cast<long long>(places[i].left) - left);
        if (!best || distance < std::llabs(static_cast<long long>(places[*best].left) - left)) best = i;
    }
    return best;
}

std::optional<size_t> GridNeighbour(const std::vector<TCellPlace>& places, size_t from, TGridMove move,
                                    int pageHeight) {
    if (from >= places.size()) return std::nullopt;
    const TCellPlace here = places[from];
    switch (move) {
        case TGridMove::gmLeft:
            return from > 0 ? std::optional<size_t>(from - 1) : std::nullopt;
        case TGridMove::gmRight:
            return from + 1 < places.size() ? std::optional<size_t>(from + 1) : std::nullopt;
        case TGridMove::gmFirst:
            return from > 0 ? std::optional<size_t>(0) : std::nullopt;
        case TGridMove::gmLast:
            return from + 1 < places.size() ? std::optional<size_t>(places.size() - 1) : std::nullopt;
        default:
            break;
    }
    bool down = move == TGridMove::gmDown || move == TGridMove::gmPageDown;
    bool page = move == TGridMove::gmPageUp || move == TGridMove::gmPageDown;
    long long reach = page ? (pageHeight > 0 ? pageHeight : 1) : 0;
    // The row to go to: the nearest one in that direction, or for a page the farthest one
    // within a page's reach (the nearest when none is that close).
    std::optional<int> row;
    for (const TCellPlace& p : places) {
        long long step = down ? static_cast<long long>(p.top) - here.top : static_cast<long long>(here.top) - p.top;
        if (step <= 0) continue;
        if (!row) {
            row = p.top;
            continue;
        }
        long long best = down ? static_cast<long long>(*row) - here.top : static_cast<long long>(here.top) - *row;
        bool better = page ? (step <= reach ? (best > reach || step > best) : (best > reach && step < best))
                           : step < best;
        if (better) row = p.top;
    }
    if (!row) return std::nullopt;
    return NearestInRow(places, *row, here.left);
}

}  // namespace tsb
