#include <gtest/gtest.h>

#include "framework/core/PictureFile.h"
#include "framework/core/Text.h"
#include "pages/NameOrder.h"

using namespace tsb;

TEST(NameOrder, OnlyAToZFoldAndBytesAreUnsigned) {
    std::vector<std::string> names = {"zoo", "\xC9" "cran", "Alpha", "beta"};  // "Écran" in code page 1252
    SortByName(names, [](const std::string& s) -> const std::string& { return s; });
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", "zoo", "\xC9" "cran"}));
    std::vector<std::string> utf8 = {"\xC3\x89" "cran", "zoo"};  // the same in UTF-8
    SortByName(utf8, [](const std::string& s) -> const std::string& { return s; });
    EXPECT_EQ(utf8.front(), "zoo");
}

TEST(NameOrder, EqualKeysKeepListingOrder) {
    struct Item { std::string name; int id; };
    std::vector<Item> items = {{"notes", 1}, {"B", 2}, {"Notes", 3}, {"a", 4}, {"NOTES", 5}};
    SortByName(items, [](const Item& i) -> const std::string& { return i.name; });
    std::vector<int> ids;
    for (auto& i : items) ids.push_back(i.id);
    EXPECT_EQ(ids, (std::vector<int>{4, 2, 1, 3, 5}));
}

// The order pages always had: passes of neighbour exchanges, equal keys never swapped.
TEST(NameOrder, SameOrderAsAnExchangeSortOnBigPages) {
    struct Item { std::string name; int id; };
    const char* pieces[] = {"a", "A", "b", "B", "\xC9", "_", "z", ""};
    unsigned state = 12345;
    auto next = [&] { return (state = state * 1103515245u + 12345u) >> 16; };
    std::vector<Item> items;
    for (int i = 0; i < 600; ++i) {
        std::string name;
        for (unsigned k = next() % 4; k-- > 0;) name += pieces[next() % 8];
        items.push_back({name, i});
    }
    std::vector<Item> expected = items;
    for (size_t p = expected.size() - 1; p-- > 0;)
        for (size_t i = 0; i <= p; ++i)
            if (CompareNameKeys(expected[i].name, expected[i + 1].name) > 0) std::swap(expected[i], expected[i + 1]);
    SortByName(items, [](const Item& i) -> const std::string& { return i.name; });
    for (size_t i = 0; i < items.size(); ++i) ASSERT_EQ(items[i].id, expected[i].id) << "at " << i;
}

TEST(NameOrder, PrefixSortsFirst) {
    EXPECT_LT(CompareNameKeys("Game", "games"), 0);
    EXPECT_GT(CompareNameKeys("games", "GAME"), 0);
    EXPECT_EQ(CompareNameKeys("MiXeD", "mixed"), 0);
    EXPECT_LT(CompareNameKeys("_x", "a"), 0);  // '_' (0x5F) before 'a' (0x61)
}

TEST(Paths, PiecesAndCase) {
    EXPECT_EQ(LowerAZ("C:\\Prog\xC9\\X"), "c:\\prog\xC9\\x");
    EXPECT_EQ(ExtractFileName("c:\\a\\b.lnk"), "b.lnk");
    EXPECT_EQ(ExtractFilePath("c:\\a\\b.lnk"), "c:\\a\\");
    EXPECT_EQ(ExtractFileExt("c:\\a.d\\b"), "");
    EXPECT_EQ(ExtractFileExt("c:\\a\\b.tar.GZ"), ".GZ");
    EXPECT_EQ(ExcludeTrailingDelimiter("c:\\a\\"), "c:\\a");
    EXPECT_EQ(IncludeTrailingDelimiter("c:\\a"), "c:\\a\\");
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\n\nb\n"), (std::vector<std::string>{"a", "", "b"}));
}

TEST(PictureFiles, SevenExtensionsAnyCase) {
    for (const char* e : {".jpg", ".JPEG", ".png", ".Gif", ".tif", ".tiff", ".BMP"}) EXPECT_TRUE(IsPictureFile(e)) << e;
    for (const char* e : {".jpe", ".webp", "jpg", "", ".jpgx", ".ico"}) EXPECT_FALSE(IsPictureFile(e)) << e;
}

// Names in UTF-8 order by code point: the byte order of UTF-8 is the order of the code points,
// so a multi-byte letter is compared whole, never by a piece of it.
TEST(NameOrder, Utf8NamesSortByCodePoint) {
    std::vector<std::string> names = {"\xD0\xAF", "zoo", "\xC3\x89" "cran", "Alpha", "\xE2\x82\xAC", "beta",
                                      "\xF0\x9D\x84\x9E", "\xEF\xBC\xA1"};
    SortByName(names, [](const std::string& s) -> const std::string& { return s; });
    // A, b, z, then U+00C9, U+042F, U+20AC, U+FF21, U+1D11E
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", "zoo", "\xC3\x89" "cran", "\xD0\xAF", "\xE2\x82\xAC",
                                               "\xEF\xBC\xA1", "\xF0\x9D\x84\x9E"}));
}
