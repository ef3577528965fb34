// The pattern text of the Create Shortcuts tool and the rules of a bulk creation.
#include <gtest/gtest.h>

#include "framework/core/FilePatterns.h"

using namespace tsb;

namespace {
const std::vector<std::string>& Docs() { return CategoryPatterns(TFileCategory::fcDocuments); }
const std::vector<std::string>& Photos() { return CategoryPatterns(TFileCategory::fcPhotos); }
}  // namespace

TEST(PatternUpdate, DocumentsOnAnEmptyFieldAndBackAgain) {
    std::string on = UpdatePatterns("", Docs(), true);
    EXPECT_EQ(on, "*.htm;*.html;*.wpd;*.wps;*.wks;*.txt;*.rtf;*.pdf;*.odt;*.doc;*.docx");
    EXPECT_EQ(SplitPatterns(on).size(), 11u);
    EXPECT_EQ(UpdatePatterns(on, Docs(), false), "");
}

TEST(PatternUpdate, PhotosThenDocumentsThenPhotosCleared) {
    std::string photos = UpdatePatterns("", Photos(), true);
    EXPECT_EQ(photos, "*.gif;*.bmp;*.ps;*.psd;*.png;*.tif;*.tiff;*.jpeg;*.jpg");
    std::string both = UpdatePatterns(photos, Docs(), true);
    EXPECT_EQ(both, photos + ";*.htm;*.html;*.wpd;*.wps;*.wks;*.txt;*.rtf;*.pdf;*.odt;*.doc;*.docx");
    EXPECT_EQ(UpdatePatterns(both, Photos(), false),
              "*.htm;*.html;*.wpd;*.wps;*.wks;*.txt;*.rtf;*.pdf;*.odt;*.doc;*.docx");
    // The other way round the photo patterns go from the middle and the separators close up.
    std::string docsFirst = UpdatePatterns(UpdatePatterns("", Docs(), true), Photos(), true);
    EXPECT_EQ(UpdatePatterns(UpdatePatterns(docsFirst, Docs(), false), Photos(), false), "");
}

TEST(PatternUpdate, ClearingRemovesPlainSubstringsOfTypedText) {
    // "*.txt" typed inside a longer pattern loses that part; the rest of the typed text stays.
    EXPECT_EQ(UpdatePatterns("report*.txt.bak;*.doc", Docs(), false), "report.bak");
    EXPECT_EQ(UpdatePatterns("a;;*.pdf;;b;", Docs(), false), "a;b");
}

TEST(PatternUpdate, TickingLowerCasesEverythingAndKeepsTypedCoverage) {
    EXPECT_EQ(UpdatePatterns("MY*.EXE", CategoryPatterns(TFileCategory::fcApps), true), "my*.exe;*.exe");
    // A typed pattern that holds a category pattern keeps that one from being added.
    EXPECT_EQ(UpdatePatterns("old*.exe", CategoryPatterns(TFileCategory::fcApps), true), "old*.exe");
    EXPECT_EQ(UpdatePatterns("Notes*.TXT", CategoryPatterns(TFileCategory::fcDatabases), false), "notes*.txt");
}

TEST(PatternUpdate, CategoriesInOrderAndLongerPatternsFirst) {
    EXPECT_EQ(CategoryPatterns(TFileCategory::fcAllFiles), (std::vector<std::string>{"*.*"}));
    EXPECT_EQ(CategoryPatterns(TFileCategory::fcVideos).size(), 12u);
    EXPECT_EQ(CategoryPatterns(TFileCategory::fcAudio).front(), "*.aif");
    // For every category: ticked and cleared again leaves nothing behind.
    for (int c = 0; c <= static_cast<int>(TFileCategory::fcDatabases); ++c) {
        const auto& list = CategoryPatterns(static_cast<TFileCategory>(c));
        std::string on = UpdatePatterns("", list, true);
        EXPECT_EQ(SplitPatterns(on).size(), list.size()) << c;
        EXPECT_EQ(UpdatePatterns(on, list, false), "") << c;
    }
}

TEST(PatternSplit, EmptyPartsStayAndNothingMeansAllFiles) {
    EXPECT_EQ(SplitPatterns(""), (std::vector<std::string>{"*.*"}));
    EXPECT_EQ(SplitPatterns(";"), (std::vector<std::string>{""}));
    EXPECT_EQ(SplitPatterns("*.a;;*.b"), (std::vector<std::string>{"*.a", "", "*.b"}));
    EXPECT_EQ(SplitPatterns("*.a;"), (std::vector<std::string>{"*.a"}));
}

TEST(PageNames, OnlyNamesThatStayInsideTheFolder) {
    EXPECT_TRUE(IsPlainFolderName("Holiday 2024"));
    EXPECT_TRUE(IsPlainFolderName("..hidden"));
    EXPECT_TRUE(IsPlainFolderName("Console"));
    EXPECT_TRUE(IsPlainFolderName("com10"));
    EXPECT_TRUE(IsPlainFolderName("Ελληνικά"));
    for (const char* bad : {"", ".", "..", "a\\b", "..\\x", "c:x", "a/b", "*", "what?", "Games.", "Games ",
                            "...", "tab\there", "CON", "nul.txt", "Com1", "lpt9 .log", "aux ", "conin$",
                            "CONOUT$.x", "COM\xC2\xB9", "lpt\xB3"})
        EXPECT_FALSE(IsPlainFolderName(bad)) << bad;
}
