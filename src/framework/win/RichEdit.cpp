#include "framework/win/RichEdit.h"

#include <richedit.h>
#include <usp10.h>

#include <cwctype>

#include <algorithm>
#include <cstring>
#include <optional>

#include "framework/core/ScopeExit.h"
#include "framework/core/Text.h"
#include "framework/win/Errors.h"
#include "framework/win/Files.h"
#include "framework/win/ScopedWin.h"
#include "framework/win/StdCtrls.h"

namespace tsb {

static const char* RichEditClass() {
    static unique_hmodule lib(::LoadLibraryA("riched20.dll"));
    if (!lib) RaiseLastOSError("riched20.dll");
    return RICHEDIT_CLASSA;
}

TRichEdit::TRichEdit(TControl* parent, TBounds b) : TControl(parent) {
    TCreateParams p = ChildParams(RichEditClass(), b);
    p.systemClass = true;
    p.style = WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY;
    CreateHandle(p);
    ColorChanged();
}

void TRichEdit::ColorChanged() {
    ::SendMessageA(Handle(), EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
}

namespace {
struct StreamSource {
    std::string_view bytes;
    size_t pos;
};
DWORD CALLBACK StreamIn(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* got) {
    auto* s = reinterpret_cast<StreamSource*>(cookie);
    size_t n = std::min(static_cast<size_t>(cb), s->bytes.size() - s->pos);
    std::memcpy(buf, s->bytes.data() + s->pos, n);
    s->pos += n;
    *got = static_cast<LONG>(n);
    return 0;
}

// A combining mark: no letter of its own (a precomposed letter such as "é" reports a nonspacing
// part too), drawn on or beside the letter before it.
bool IsCombiningMark(wchar_t c) {
    WORD kind = 0, mark = 0;
    return ::GetStringTypeW(CT_CTYPE1, &c, 1, &kind) && !(kind & C1_ALPHA) &&
           ::GetStringTypeW(CT_CTYPE3, &c, 1, &mark) && (mark & (C3_NONSPACING | C3_VOWELMARK));
}

// Where a script item begins in a paragraph, for either reading direction of the paragraph.
std::vector<bool> ItemStarts(const std::wstring& para) {
    std::vector<bool> starts(para.size() + 1, false);
    for (WORD level : {0, 1}) {
        SCRIPT_CONTROL control{};
        control.uDefaultLanguage = LANG_USER_DEFAULT;
        SCRIPT_STATE state{};
        state.uBidiLevel = level;
        std::vector<SCRIPT_ITEM> items(para.size() + 2);
        int count = 0;
        if (FAILED(::ScriptItemize(para.c_str(), static_cast<int>(para.size()), static_cast<int>(items.size()),
                                   &control, &state, items.data(), &count)))
            continue;
        for (int i = 0; i < count; ++i) starts[static_cast<size_t>(items[static_cast<size_t>(i)].iCharPos)] = true;
    }
    return starts;
}
}  // namespace

std::wstring TRichEdit::TextW() const {
    GETTEXTLENGTHEX len{GTL_NUMCHARS | GTL_PRECISE, 1200};
    auto n = static_cast<size_t>(::SendMessageW(Handle(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&len), 0));
    std::wstring text(n + 1, L'\0');
    GETTEXTEX get{static_cast<DWORD>(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    auto got = static_cast<size_t>(::SendMessageW(Handle(), EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                                  reinterpret_cast<LPARAM>(text.data())));
    text.resize(std::min(got, n));
    return text;
}

CHARFORMAT2W TRichEdit::FormatAt(LONG pos) const {
    CHARRANGE range{pos, pos + 1};
    ::SendMessageW(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2W cf;
    std::memset(&cf, 0, sizeof cf);  // compared whole, padding included
    cf.cbSize = sizeof cf;
    ::SendMessageW(Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
}

// Where a run of the control begins with a combining mark: at its paragraph's start, a script
// item, a change of character format, and after a tab, break or space (where lines are split).
// A mark right after such a mark is taken with it.
std::vector<LONG> TRichEdit::MarksStartingRuns() const {
    std::wstring text = TextW();
    std::vector<LONG> found;
    for (size_t start = 0; start < text.size();) {
        size_t end = std::min(text.find(L'\r', start), text.size());
        std::wstring para = text.substr(start, end - start);
        std::vector<bool> items;
        bool previousFound = false;
        for (size_t i = 0; i < para.size(); ++i) {
            if (!IsCombiningMark(para[i])) {
                previousFound = false;
                continue;
            }
            if (items.empty()) items = ItemStarts(para);
            wchar_t before = i ? para[i - 1] : L'\r';
            auto pos = static_cast<LONG>(start + i);
            bool runStart = previousFound || i == 0 || items[i] || before < 0x20 || before == 0xFFFC ||
                            before == 0xA0 || ::iswspace(before);
            if (!runStart) {
                CHARFORMAT2W a = FormatAt(pos - 1), b = FormatAt(pos);
                runStart = std::memcmp(&a, &b, sizeof a) != 0;
            }
            if (runStart) found.push_back(pos);
            previousFound = runStart;
        }
        start = end + 1;
    }
    return found;
}

void TRichEdit::ReplaceChar(LONG pos, const std::wstring& with) {
    CHARRANGE range{pos, pos + 1};
    ::SendMessageW(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SETTEXTEX set{ST_SELECTION, 1200};  // takes the format of the character replaced
    ::SendMessageW(Handle(), EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set), reinterpret_cast<LPARAM>(with.c_str()));
}

// Wine's text shaping reads before the glyphs of a run that begins with a combining mark and,
// in 64-bit processes, faults there: a page header with such a mark ended the program. Such a
// mark has no letter to sit on in its run. It gets two zero-width joiners before it, in its own
// format, which carry it where they fall into its script item (one is not enough at the start
// of a paragraph); a mark they can't carry is left out. Text without such marks is not touched.
void TRichEdit::GuardRunStarts() {
    std::vector<LONG> marks = MarksStartingRuns();
    if (marks.empty()) return;
    std::wstring text = TextW();
    for (auto it = marks.rbegin(); it != marks.rend(); ++it)
        ReplaceChar(*it, std::wstring(2, wchar_t(0x200D)) + text[static_cast<size_t>(*it)]);
    for (int pass = 0; pass < 4 && !(marks = MarksStartingRuns()).empty(); ++pass)
        for (auto it = marks.rbegin(); it != marks.rend(); ++it) ReplaceChar(*it, L"");
    CHARRANGE none{0, 0};
    ::SendMessageW(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&none));
}

void TRichEdit::SetRichText(const std::string& text) {
    // The control's own default font differs between systems: set ours before loading.
    CHARFORMATW cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_COLOR;
    cf.yHeight = Font().height * 15;  // twips at 96 dots per inch
    cf.crTextColor = ColorToRGB(Font().color);
    std::wstring face = AnsiToWide(Font().name);
    lstrcpynW(cf.szFaceName, face.c_str(), LF_FACESIZE);
    ::SendMessageW(Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    ::SendMessageW(Handle(), EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
    // Only what begins as rich text goes to the rich-text reader; anything else is plain text.
    // Both go in as UTF-16, so no code page stands between the text and what is shown.
    std::wstring wide = AnsiToWide(text);
    bool rtf = StartsWith(text, "{\\rtf");
    std::string rtfBytes;
    std::string_view bytes;
    if (rtf) {
        // Wine's reader keeps the state of 32 nested groups and faults on leaving a deeper one;
        // it reads control words and font and style names into buffers of 1024 bytes without
        // checking their end. Rich text beyond that is refused before it reaches the reader.
        std::optional<std::string> forReader = RtfForReader(std::u16string(wide.begin(), wide.end()));
        if (!forReader) throw EError("Rich text could not be loaded");
        rtfBytes = std::move(*forReader);
        bytes = rtfBytes;
    } else {
        bytes = std::string_view(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
    }
    // Loaded without shaping (a password character turns it off), checked, then shown.
    ::SendMessageW(Handle(), EM_SETPASSWORDCHAR, '*', 0);
    ScopeExit shaped([&] { ::SendMessageW(Handle(), EM_SETPASSWORDCHAR, 0, 0); });
    StreamSource src{bytes, 0};
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&src), 0, &StreamIn};
    ::SendMessageW(Handle(), EM_STREAMIN, rtf ? SF_RTF : (SF_TEXT | SF_UNICODE), reinterpret_cast<LPARAM>(&es));
    GuardRunStarts();
    if (es.dwError) throw EError("Rich text could not be loaded");
}

void TRichEdit::LoadFromFile(const std::string& file) { SetRichText(ReadTextFile(file)); }

}  // namespace tsb
