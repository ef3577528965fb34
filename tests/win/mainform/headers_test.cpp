// Page headers through the page display, in-process: what is shown in the header box, the
// encodings headers are read in, and files of any content, none of which may end the program.
#include <random>

#include "app/MainForm.h"
#include "framework/core/Text.h"
#include "framework/win/Application.h"
#include "framework/win/Errors.h"
#include "framework/win/Files.h"
#include "pages/WorkingFormUnit.h"
#include "win/MainFormFixture.h"

using namespace tsb;
using namespace tsbtest;

class PageHeaders : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        Link("a.lnk", "Alpha");
    }
    // Writes the home page's header file and shows the home page as a user would see it: read
    // from disk by the page tree, then displayed.
    void ShowHeader(const std::string& bytes) {
        WriteFile(root + "\\page-header.rtf", bytes);
        if (!frm) {
            Start();
        } else {
            RootFolder->NeedsLoad = true;
            frm->LoadCurrentPage();
        }
    }
    std::wstring Shown() const { return frm->redPageHeader->TextW(); }
    // The display ran to its end: the page's title and its button are there.
    void ExpectPageShown() const {
        EXPECT_EQ(frm->PageTitlePanel->Caption(), "Home Page");
        ASSERT_EQ(frm->ScrollBox1->Controls().size(), 1u);
        EXPECT_EQ(frm->ScrollBox1->Controls()[0]->Caption(), "Alpha");
    }
};

namespace {
std::string Utf8(char32_t c) { return Utf16ToUtf8(c < 0x10000 ? std::u16string(1, static_cast<char16_t>(c)) : u"?"); }

// Letters, spaces, line ends and the combining marks of several scripts, in any order: text that
// is valid UTF-8 and so is read as such.
std::string RandomText(unsigned draw, int length) {
    const char32_t pool[] = {'a', 'Z', ' ', '\n', '\t', 0x00E9, 0x0301, 0x0410, 0x05D0, 0x05B4, 0x05B0,
                             0x0627, 0x0628, 0x064B, 0x0651, 0x0670, 0x0640, 0x0915, 0x0941, 0x0E01, 0x0E31,
                             0x200D, 0x4E2D, 0xFFFD};
    std::mt19937 rng(draw);
    std::string out;
    for (int i = 0; i < length; ++i) out += Utf8(pool[rng() % std::size(pool)]);
    return out;
}

// Rich text built of groups, formats, breaks, tables and escaped characters, marks among them.
std::string RandomRtf(unsigned draw, int tokens) {
    const char* pool[] = {"{", "}", "\\b ", "\\b0 ", "\\i ", "\\ul ", "\\par ", "\\tab ", "\\line ", "\\fs40 ",
                          "\\cf1 ", "\\f1 ", "\\plain ", "\\pard ", "a", " ", "\\'e9", "\\u1575?", "\\u1611?",
                          "\\u1460?", "\\u1488?", "\\u769?", "\\u2325?", "\\u2369?", "\\{", "\\}", "\\\\",
                          "{\\*\\unknown x}", "\\ltrch ", "\\rtlch ", "\\rtlpar ", "\\qc ", "\\li720 "};
    std::mt19937 rng(draw);
    std::string out = "{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}{\\f1 DejaVu Sans;}}{\\colortbl;\\red255\\green0\\blue0;}";
    int depth = 1;
    for (int i = 0; i < tokens; ++i) {
        std::string t = pool[rng() % std::size(pool)];
        if (t == "{" && depth >= 20) continue;
        if (t == "}" && depth <= 1) continue;
        depth += t == "{" ? 1 : t == "}" ? -1 : 0;
        out += t;
    }
    return out + std::string(static_cast<size_t>(depth), '}');
}
}  // namespace

TEST_F(PageHeaders, RichTextIsShownFormattedInItsBox) {
    ShowHeader("{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}\\f0 Welcome {\\b home}\\par second}");
    ExpectPageShown();
    EXPECT_TRUE(frm->pnlPageHeader->Visible());
    EXPECT_EQ(Shown(), L"Welcome home\rsecond");
    // The box lies inside the header panel, which lies inside the window's client area.
    RECT box, panel, client;
    GetWindowRect(frm->redPageHeader->Handle(), &box);
    GetWindowRect(frm->pnlPageHeader->Handle(), &panel);
    GetClientRect(frm->Handle(), &client);
    MapWindowPoints(frm->Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_GT(box.right - box.left, 0);
    EXPECT_GT(box.bottom - box.top, 0);
    EXPECT_TRUE(box.left >= panel.left && box.right <= panel.right && box.top >= panel.top && box.bottom <= panel.bottom);
    EXPECT_TRUE(panel.left >= client.left && panel.right <= client.right && panel.top >= client.top);
    EXPECT_TRUE(IsWindowVisible(frm->redPageHeader->Handle()));
    // "home" is bold, "Welcome" is not.
    auto bold = [&](LONG from) {
        CHARRANGE r{from, from + 1};
        SendMessageW(frm->redPageHeader->Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
        CHARFORMAT2W cf{};
        cf.cbSize = sizeof cf;
        SendMessageW(frm->redPageHeader->Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
        return (cf.dwEffects & CFE_BOLD) != 0;
    };
    EXPECT_FALSE(bold(0));
    EXPECT_TRUE(bold(8));

    ShowHeader("");
    EXPECT_FALSE(frm->pnlPageHeader->Visible()) << "an empty file is no header";
    ExpectPageShown();
}

TEST_F(PageHeaders, TextThatIsNotRichTextIsShownAsPlainText) {
    ShowHeader("Opening hours {\\b 9-17} \\par today");
    EXPECT_EQ(Shown(), L"Opening hours {\\b 9-17} \\par today\r") << "the braces and words are shown, not read";
    ShowHeader(" {\\rtf1 late start}");
    EXPECT_EQ(Shown(), L" {\\rtf1 late start}\r");
}

TEST_F(PageHeaders, EncodingsAreReadAsWritten) {
    ShowHeader("Caf\xE9 \x80 5");  // Windows-1252
    EXPECT_EQ(RootFolder->HeaderText, L"Caf\u00E9 \u20AC 5\r\n");
    EXPECT_EQ(Shown(), L"Caf\u00E9 \u20AC 5\r");
    ShowHeader("Caf\xC3\xA9 \xE2\x82\xAC 5");  // UTF-8
    EXPECT_EQ(Shown(), L"Caf\u00E9 \u20AC 5\r");
    ShowHeader("\xEF\xBB\xBF\xD0\x9C\xD0\xB5\xD0\xBD\xD1\x8E");  // UTF-8 with its mark: "Меню"
    EXPECT_EQ(Shown(), L"\u041C\u0435\u043D\u044E\r");
    ShowHeader(std::string("\xFF\xFEO\0K\0", 6));  // UTF-16
    EXPECT_EQ(Shown(), L"OK\r");
    // Raw characters inside rich text, in the legacy code page and in UTF-8 alike.
    ShowHeader("{\\rtf1\\ansi\\ansicpg1252 Caf\xE9}");
    EXPECT_EQ(Shown(), L"Caf\u00E9");
    ShowHeader("{\\rtf1\\ansi\\ansicpg1252 Caf\xC3\xA9 \\'e9}");
    EXPECT_EQ(Shown(), L"Caf\u00E9 \u00E9");
}

// The 64-bit build faulted inside the system's text shaping on a run that begins with a
// combining mark; 20 000 random bytes held such marks once read as UTF-8.
TEST_F(PageHeaders, MarksWhereARunBeginsAreShownAndEndNothing) {
    const std::string fathatan = "\xD9\x8B", alef = "\xD8\xA7", hiriq = "\xD6\xB4";
    ShowHeader(fathatan);
    EXPECT_EQ(Shown(), L"\u200D\u200D\u064B\r") << "joiners carry a mark that starts a line";
    ShowHeader("a" + fathatan + " " + alef + fathatan + "\n" + hiriq);
    EXPECT_EQ(Shown(), L"a\u200D\u200D\u064B " L"\u0627\u064B\r\u200D\u200D\u05B4\r")
        << "a mark on its own letter is left alone";
    ShowHeader("{\\rtf1 \\u1575?{\\b\\u1611?}\\par\\u1460?\\tab\\u1611? a\\u1611?}");
    EXPECT_EQ(Shown(), L"\u0627\u200D\u200D\u064B\r\u200D\u200D\u05B4\t\u200D\u200D\u064B a\u200D\u200D\u064B");
    ExpectPageShown();
}

TEST_F(PageHeaders, NoHeaderOfAnyContentEndsTheProgram) {
    for (unsigned draw = 1; draw <= 4; ++draw) {
        std::mt19937 rng(draw);
        std::string bytes(20000, '\0');
        for (char& c : bytes) c = static_cast<char>(rng());
        ShowHeader(bytes);
        ExpectPageShown();
        EXPECT_TRUE(frm->pnlPageHeader->Visible());
        EXPECT_GT(Shown().size(), 1000u) << "shown as plain text, draw " << draw;
    }
    for (unsigned draw = 1; draw <= 12; ++draw) {
        ShowHeader(RandomText(draw, 3000));
        ExpectPageShown();
        EXPECT_GT(Shown().size(), 2000u) << "draw " << draw;
    }
    for (unsigned draw = 1; draw <= 30; ++draw) {
        ShowHeader(RandomRtf(draw, 600));
        ExpectPageShown();
        EXPECT_TRUE(frm->pnlPageHeader->Visible()) << "draw " << draw;
    }
    ShowHeader("{\\rtf1 \\" + std::string(255, 'a') + " x}");  // the longest control word read
    EXPECT_EQ(Shown(), L"x");
    ShowHeader("{\\rtf1 a}}}}} b");  // more group ends than starts: reading ends with the first group
    EXPECT_EQ(Shown(), L"a");
    ExpectPageShown();
}

// Rich text the reader can't take is refused with the error the page display reports; the
// display's clean-up has run and the page is usable. (The header is given to the page's record
// directly: a reload that ended in this error would leave the old buttons, whose records the
// reload freed, to the clean-up.)
TEST_F(PageHeaders, RichTextTheReaderCannotTakeIsAnError) {
    ShowHeader("{\\rtf1 ok}");
    const std::pair<const char*, std::string> refused[] = {
        {"truncated", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Hello {\\b wor"},
        {"nested too deep", "{\\rtf1 " + std::string(33, '{') + "deep" + std::string(33, '}') + "}"},
        {"nested very deep", "{\\rtf1 " + std::string(20000, '{') + "deep" + std::string(20000, '}') + "}"},
        {"huge control word", "{\\rtf1 \\" + std::string(100000, 'a') + " x}"},
        {"huge parameter", "{\\rtf1 \\fs" + std::string(5000, '9') + " x}"},
        {"huge font name", "{\\rtf1{\\fonttbl{\\f0 " + std::string(5000, 'A') + ";}}\\f0 x}"},
    };
    for (auto& [what, text] : refused) {
        RootFolder->HeaderText = std::wstring(text.begin(), text.end());
        EXPECT_THROW(frm->LoadCurrentPage(), EError) << what;
        EXPECT_EQ(frm->PageTitlePanel->Caption(), "Home Page") << what;
        EXPECT_FALSE(frm->HomeButton->Enabled()) << what;
        ASSERT_EQ(frm->ScrollBox1->Controls().size(), 1u) << what;
    }
    ShowHeader("{\\rtf1 " + std::string(31, '{') + "deep" + std::string(31, '}') + "}");
    EXPECT_EQ(Shown(), L"deep") << "32 levels are read";
    ExpectPageShown();
}
