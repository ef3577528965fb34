// Fitting pictures: thumbnails into their square, the viewer's and slide show's pictures into
// the screen, and the memory-bounded cache the thumbnails are kept in.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/core/PictureFit.h"
#include "pictures/BoundedCache.h"

using namespace tsb;

TEST(ThumbnailFit, LongerSideBecomesTheSquaresEdge) {
    EXPECT_EQ(FitThumbnail(400, 200, 128), (FitRect{0, 0, 128, 64}));
    EXPECT_EQ(FitThumbnail(200, 400, 128), (FitRect{0, 0, 64, 128}));
    EXPECT_EQ(FitThumbnail(300, 300, 128), (FitRect{0, 0, 128, 128}));
    EXPECT_EQ(FitThumbnail(4000, 3000, 160), (FitRect{0, 0, 160, 120}));
    EXPECT_EQ(FitThumbnail(3000, 4001, 32), (FitRect{0, 0, 23, 32})) << "23.99 truncates";
}

TEST(ThumbnailFit, HugeHeadersNeitherOverflowNorVanish) {
    EXPECT_EQ(FitThumbnail(60000, 60000, 160), (FitRect{0, 0, 160, 160}));
    EXPECT_EQ(FitThumbnail(2147483647, 1073741824, 160), (FitRect{0, 0, 160, 80}));
    EXPECT_EQ(FitThumbnail(60000, 1, 64), (FitRect{0, 0, 64, 1})) << "a sliver keeps one pixel";
    EXPECT_EQ(FitThumbnail(1, 2147483647, 64), (FitRect{0, 0, 1, 64}));
}

TEST(ThumbnailFit, NothingToFitGivesAnEmptyRectangle) {
    EXPECT_EQ(FitThumbnail(0, 100, 64), FitRect{});
    EXPECT_EQ(FitThumbnail(100, 0, 64), FitRect{});
    EXPECT_EQ(FitThumbnail(-5, 100, 64), FitRect{});
    EXPECT_EQ(FitThumbnail(100, 100, 0), FitRect{});
}

TEST(ThumbnailFit, CentredAcrossTheButton) {
    EXPECT_EQ(CentreOffset(150, 64), 43);
    EXPECT_EQ(CentreOffset(150, 128), 11);
    EXPECT_EQ(CentreOffset(85, 32), 26);
}

TEST(ScreenFit, WiderPictureTakesTheWidthAndIsCentredVertically) {
    // The viewer's picture area on a 1920 x 1080 monitor is 1920 x 1040.
    EXPECT_EQ(FitCentred(1000, 200, 1920, 1040), (FitRect{0, 328, 1920, 712}));
}

TEST(ScreenFit, TallerPictureTakesTheHeightAndIsCentredAcross) {
    FitRect r = FitCentred(4000, 3000, 1920, 1040);
    EXPECT_EQ(r, (FitRect{267, 0, 1653, 1040}));
    EXPECT_EQ(r.Width(), 1386);
    // The slide show covers the whole monitor.
    r = FitCentred(3000, 4000, 1920, 1080);
    EXPECT_EQ(r, (FitRect{555, 0, 1365, 1080}));
    EXPECT_EQ(r.Width(), 810);
}

TEST(ScreenFit, EqualProportionsFillTheBoxExactly) {
    EXPECT_EQ(FitCentred(1920, 1080, 1920, 1080), (FitRect{0, 0, 1920, 1080}));
    EXPECT_EQ(FitCentred(300, 200, 900, 600), (FitRect{0, 0, 900, 600}));
    EXPECT_EQ(FitCentred(7, 3, 1400, 600), (FitRect{0, 0, 1400, 600}));
    // One pixel wider is relatively wider: the height is kept and the odd pixel goes left.
    EXPECT_EQ(FitCentred(7, 3, 1401, 600), (FitRect{0, 0, 1400, 600}));
    EXPECT_EQ(FitCentred(7, 3, 1402, 600), (FitRect{1, 0, 1401, 600}));
}

TEST(ScreenFit, HugeAndDegeneratePictures) {
    EXPECT_EQ(FitCentred(60000, 60000, 1920, 1040), (FitRect{440, 0, 1480, 1040}));
    EXPECT_EQ(FitCentred(2147483647, 2147483647, 1920, 1080), (FitRect{420, 0, 1500, 1080}));
    EXPECT_EQ(FitCentred(60000, 1, 1920, 1040), (FitRect{0, 519, 1920, 520})) << "one pixel high, centred";
    EXPECT_EQ(FitCentred(0, 10, 1920, 1040), FitRect{});
    EXPECT_EQ(FitCentred(10, 10, 0, 1040), FitRect{});
}

TEST(BoundedCache, KeepsWhatFitsAndDropsTheLeastRecentlyUsed) {
    TBoundedCache<int> cache(100, 10);
    cache.Put("a", 1, 40);
    cache.Put("b", 2, 40);
    ASSERT_NE(cache.Find("a"), nullptr);  // a is now the most recently used
    cache.Put("c", 3, 40);                // 120 > 100: b, the least recently used, goes
    EXPECT_EQ(cache.Find("b"), nullptr);
    ASSERT_NE(cache.Find("a"), nullptr);
    EXPECT_EQ(*cache.Find("a"), 1);
    ASSERT_NE(cache.Find("c"), nullptr);
    EXPECT_EQ(*cache.Find("c"), 3);
    EXPECT_EQ(cache.Bytes(), 80u);
    EXPECT_EQ(cache.Count(), 2u);
}

TEST(BoundedCache, BoundedInEntriesToo) {
    TBoundedCache<int> cache(1000, 3);
    for (int i = 0; i < 5; ++i) cache.Put(std::string(1, static_cast<char>('0' + i)), i, 1);
    EXPECT_EQ(cache.Count(), 3u);
    EXPECT_EQ(cache.Find("0"), nullptr);
    EXPECT_EQ(cache.Find("1"), nullptr);
    ASSERT_NE(cache.Find("4"), nullptr);
    EXPECT_EQ(cache.Bytes(), 3u);
}

TEST(BoundedCache, ReplacingAKeyCountsItsBytesOnce) {
    TBoundedCache<int> cache(100, 10);
    cache.Put("a", 1, 60);
    cache.Put("a", 2, 30);
    EXPECT_EQ(cache.Bytes(), 30u);
    EXPECT_EQ(cache.Count(), 1u);
    ASSERT_NE(cache.Find("a"), nullptr);
    EXPECT_EQ(*cache.Find("a"), 2);
}

TEST(BoundedCache, AValueLargerThanTheBoundIsNotKeptAndEvictsNothing) {
    TBoundedCache<int> cache(100, 10);
    cache.Put("a", 1, 50);
    cache.Put("huge", 2, 101);
    EXPECT_EQ(cache.Find("huge"), nullptr);
    EXPECT_NE(cache.Find("a"), nullptr);
    EXPECT_EQ(cache.Bytes(), 50u);
}

TEST(BoundedCache, ClearGivesEverythingBack) {
    TBoundedCache<std::shared_ptr<int>> cache(100, 10);
    auto value = std::make_shared<int>(7);
    cache.Put("a", value, 10);
    EXPECT_EQ(value.use_count(), 2);
    cache.Clear();
    EXPECT_EQ(value.use_count(), 1) << "the cache holds no reference any more";
    EXPECT_EQ(cache.Bytes(), 0u);
    EXPECT_EQ(cache.Find("a"), nullptr);
}

TEST(MemoryShortage, PhysicalMemoryOrAddressSpaceRunningOut) {
    constexpr std::uint64_t MiB = 1024 * 1024, GiB = 1024 * MiB;
    EXPECT_FALSE(MemoryIsShort(2 * GiB, 8 * GiB, 1536 * MiB));
    EXPECT_TRUE(MemoryIsShort(63 * MiB, 1 * GiB, 1536 * MiB)) << "under 64 MiB free";
    EXPECT_TRUE(MemoryIsShort(300 * MiB, 8 * GiB, 1536 * MiB)) << "under a twentieth of 8 GiB free";
    EXPECT_TRUE(MemoryIsShort(2 * GiB, 8 * GiB, 255 * MiB)) << "the process's address space is nearly used up";
}
