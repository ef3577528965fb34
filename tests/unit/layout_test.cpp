#include <gtest/gtest.h>

#include "app/Layout.h"

using namespace tsb;

TEST(Placement, CentredOnBigMonitors) {
    Placement p = PlaceMainWindow(1920, 1080, 881, 695, false);
    EXPECT_EQ(p.left, 520);
    EXPECT_EQ(p.top, 193);
    EXPECT_EQ(p.width, 881);
    EXPECT_EQ(p.height, 695);
    EXPECT_FALSE(p.fullScreen);
}

TEST(Placement, FullScreenWhenAskedOrWhenTooSmall) {
    Placement small = PlaceMainWindow(1024, 600, 881, 695, false);
    EXPECT_TRUE(small.fullScreen);
    EXPECT_EQ(small.width, 1024);
    EXPECT_EQ(small.height, 600);
    EXPECT_TRUE(PlaceMainWindow(880, 1000, 881, 695, false).fullScreen);  // too narrow alone
    EXPECT_FALSE(PlaceMainWindow(881, 695, 881, 695, false).fullScreen);  // exactly enough
    Placement asked = PlaceMainWindow(1920, 1080, 881, 695, true);
    EXPECT_EQ(asked.left, 0);
    EXPECT_EQ(asked.width, 1920);
}

TEST(ButtonLevels, ClampAndTable) {
    EXPECT_EQ(ButtonLevelFor(1).level, 3);
    EXPECT_EQ(ButtonLevelFor(99).level, 8);
    EXPECT_EQ(ButtonLevelFor(3).width, 260);
    EXPECT_EQ(ButtonLevelFor(5).height, 110);
    EXPECT_EQ(ButtonLevelFor(5).iconSize, 1);
    EXPECT_EQ(ButtonLevelFor(6).iconSize, 0);
    EXPECT_EQ(ButtonLevelFor(8).width, 85);
    EXPECT_EQ(ThumbnailSizeFor(3), 160);
    EXPECT_EQ(ThumbnailSizeFor(6), 64);
    EXPECT_EQ(ThumbnailSizeFor(8), 32);
    EXPECT_EQ(ThumbnailSizeFor(42), 64);
}

// Lefts and tops of the first n buttons of the grid.
static std::vector<std::pair<int, int>> Grid(int n, int level, int clientWidth) {
    ButtonLevel b = ButtonLevelFor(level);
    GridCursor g;
    std::vector<std::pair<int, int>> out;
    for (int i = 0; i < n; ++i) {
        out.emplace_back(GridLeft(g.column, b.width), GridTop(g.row, b.height));
        g.Advance(b.width, clientWidth);
    }
    return out;
}

TEST(ShortcutGrid, FiveAcrossAtNormalSize) {
    auto g = Grid(6, 5, 881);
    std::vector<int> lefts;
    for (int i = 0; i < 5; ++i) lefts.push_back(g[i].first);
    EXPECT_EQ(lefts, (std::vector<int>{16, 182, 348, 514, 680}));
    EXPECT_EQ(g[4].second, 10);
    EXPECT_EQ(g[5], std::make_pair(16, 130));
}

TEST(ShortcutGrid, EightAcrossAtSmallest) {
    auto g = Grid(9, 8, 881);
    EXPECT_EQ(g[7], std::make_pair(16 + 101 * 7, 10));
    EXPECT_EQ(g[8], std::make_pair(16, 100));
}

TEST(ShortcutGrid, NarrowWindowStillPlacesOnePerRow) {
    auto g = Grid(3, 3, 100);
    EXPECT_EQ(g[1], std::make_pair(16, 170));
    EXPECT_EQ(g[2], std::make_pair(16, 330));
}

TEST(SubPageButtons, OneColumnWindowed) {
    auto b = BigFolderButtons(3, 881, false, 54);
    ASSERT_EQ(b.size(), 3u);
    for (auto& x : b) {
        EXPECT_EQ(x.left, 176);
        EXPECT_EQ(x.width, 528);
    }
    EXPECT_EQ(b[0].top, 20);
    EXPECT_EQ(b[1].top, 84);
    EXPECT_EQ(b[2].top, 148);
}

TEST(SubPageButtons, TwoColumnsFullScreen) {
    auto b = BigFolderButtons(3, 1920, true, 54);
    EXPECT_EQ(b[0].left, 57);
    EXPECT_EQ(b[1].left, 1017);
    EXPECT_EQ(b[0].width, 844);
    EXPECT_EQ(b[0].top, 20);
    EXPECT_EQ(b[1].top, 20);
    EXPECT_EQ(b[2].top, 84);
    EXPECT_EQ(b[2].left, 57);
}

TEST(NavStrip, LeftsAndWidth) {
    EXPECT_EQ(NavStripLefts({75, 75, 75}), (std::vector<int>{4, 85, 166, 247}));
    EXPECT_EQ(NavStripLefts({}), (std::vector<int>{4}));
    EXPECT_EQ(NavStripLefts({120, 75}), (std::vector<int>{4, 130, 211}));
}
