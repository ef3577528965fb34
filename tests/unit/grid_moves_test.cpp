#include "app/GridMoves.h"

#include <gtest/gtest.h>

using namespace tsb;

namespace {

// Ten buttons in rows of four, 166 apart across and 120 down; the last row holds two.
std::vector<TCellPlace> Grid() {
    std::vector<TCellPlace> places;
    for (int i = 0; i < 10; ++i) places.push_back({16 + 166 * (i % 4), 10 + 120 * (i / 4)});
    return places;
}

std::optional<size_t> Move(size_t from, TGridMove move, int page = 0) { return GridNeighbour(Grid(), from, move, page); }

}  // namespace

TEST(GridMoves, ArrowsStepThroughRowsAndColumns) {
    EXPECT_EQ(Move(3, TGridMove::gmRight), 4u) << "wraps to the next row";
    EXPECT_EQ(Move(4, TGridMove::gmLeft), 3u) << "wraps back";
    EXPECT_EQ(Move(0, TGridMove::gmLeft), std::nullopt);
    EXPECT_EQ(Move(9, TGridMove::gmRight), std::nullopt);
    EXPECT_EQ(Move(1, TGridMove::gmDown), 5u);
    EXPECT_EQ(Move(7, TGridMove::gmDown), 9u) << "a short last row: the nearest column";
    EXPECT_EQ(Move(9, TGridMove::gmUp), 5u);
    EXPECT_EQ(Move(2, TGridMove::gmUp), std::nullopt);
    EXPECT_EQ(Move(8, TGridMove::gmDown), std::nullopt);
    EXPECT_EQ(Move(5, TGridMove::gmFirst), 0u);
    EXPECT_EQ(Move(5, TGridMove::gmLast), 9u);
    EXPECT_EQ(Move(0, TGridMove::gmFirst), std::nullopt);
    EXPECT_EQ(GridNeighbour({}, 0, TGridMove::gmDown, 100), std::nullopt);
}

TEST(GridMoves, PageKeysGoAsManyRowsAsAPageHolds) {
    EXPECT_EQ(Move(1, TGridMove::gmPageDown, 250), 9u) << "two rows fit: to the third";
    EXPECT_EQ(Move(1, TGridMove::gmPageDown, 130), 5u) << "one row fits";
    EXPECT_EQ(Move(1, TGridMove::gmPageDown, 50), 5u) << "less than a row: still the next";
    EXPECT_EQ(Move(1, TGridMove::gmPageDown, 0), 5u);
    EXPECT_EQ(Move(9, TGridMove::gmPageUp, 100000), 1u) << "beyond the first row: the first";
    EXPECT_EQ(Move(3, TGridMove::gmPageUp, 300), std::nullopt);
    // Far-apart places do not overflow the arithmetic.
    std::vector<TCellPlace> far{{0, -2000000000}, {0, 0}, {0, 2000000000}};
    EXPECT_EQ(GridNeighbour(far, 0, TGridMove::gmPageDown, 2147483647), 1u);
    EXPECT_EQ(GridNeighbour(far, 0, TGridMove::gmDown, 0), 1u);
    EXPECT_EQ(GridNeighbour(far, 2, TGridMove::gmUp, 0), 1u);
}
