#include "framework/win/StdCtrls.h"

#include <richedit.h>
#include <usp10.h>

#include <cctype>
#include <cwctype>

#include <algorithm>
#include <cstring>

#include "framework/core/ScopeExit.h"
#include "framework/core/Text.h"
#include "framework/win/Convert.h"
#include "framework/win/Errors.h"
#include "framework/win/Files.h"
#include "framework/win/Forms.h"
#include "framework/win/ScopedWin.h"

namespace tsb {

TCreateParams ChildParams(const char* cls, TBounds b, const std::string& text) {
    TCreateParams p;
    p.className = cls;
    p.style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    p.left = b.left;
    p.top = b.top;
    p.width = b.width;
    p.height = b.height;
    p.text = text;
    return p;
}

static void Frame(HDC dc, RECT r, TColor topLeft, TColor bottomRight) {
    unique_hpen tl(::CreatePen(PS_SOLID, 1, ColorToRGB(topLeft)));
    unique_hpen br(::CreatePen(PS_SOLID, 1, ColorToRGB(bottomRight)));
    {
        ScopedSelect s(dc, tl.get());
        ::MoveToEx(dc, r.left, r.bottom - 1, nullptr);
        ::LineTo(dc, r.left, r.top);
        ::LineTo(dc, r.right - 1, r.top);
    }
    ScopedSelect s(dc, br.get());
    ::MoveToEx(dc, r.right - 1, r.top, nullptr);
    ::LineTo(dc, r.right - 1, r.bottom - 1);
    ::LineTo(dc, r.left - 1, r.bottom - 1);
}

// --- panel ---

TPanel::TPanel(TControl* parent, TBounds b, TBevelCut outer) : TControl(parent), bevel_(outer) {
    TCreateParams p = ChildParams("TPanel", b);
    p.exStyle = WS_EX_CONTROLPARENT;
    CreateHandle(p);
}

void TPanel::Paint(HDC dc) {
    RECT r;
    ::GetClientRect(Handle(), &r);
    if (bevel_ == TBevelCut::bvRaised) Frame(dc, r, SysColor(COLOR_BTNHIGHLIGHT), SysColor(COLOR_BTNSHADOW));
    if (bevel_ == TBevelCut::bvLowered) Frame(dc, r, SysColor(COLOR_BTNSHADOW), SysColor(COLOR_BTNHIGHLIGHT));
    std::string text = Caption();
    if (text.empty()) return;
    ScopedSelect f(dc, Font().Handle());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ColorToRGB(Font().color));
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

RECT TPanel::AlignArea() const {
    RECT r = TControl::AlignArea();
    if (bevel_ != TBevelCut::bvNone) ::InflateRect(&r, -1, -1);
    return r;
}

// --- label ---

TLabel::TLabel(TControl* parent, TBounds b, const std::string& caption, TTextAlign align, bool wordWrap)
    : TControl(parent), align_(align), wordWrap_(wordWrap) {
    CreateHandle(ChildParams("TLabel", b, caption));
}

void TLabel::Paint(HDC dc) {
    RECT r;
    ::GetClientRect(Handle(), &r);
    std::string text = Caption();
    ScopedSelect f(dc, Font().Handle());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ColorToRGB(Font().color));
    UINT flags = (focusControl_ ? 0 : DT_NOPREFIX) | (wordWrap_ ? DT_WORDBREAK : 0) |
                 (align_ == TTextAlign::taCenter ? DT_CENTER : align_ == TTextAlign::taRight ? DT_RIGHT : DT_LEFT);
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
}

static bool IsMnemonic(const std::string& caption, char ch) {
    char m = MnemonicOf(caption);
    return m && std::toupper(static_cast<unsigned char>(m)) == std::toupper(static_cast<unsigned char>(ch));
}

bool TLabel::DialogChar(char ch) {
    if (!focusControl_ || !IsMnemonic(Caption(), ch)) return false;
    focusControl_->SetFocus();
    return true;
}

// --- edit ---

TEdit::TEdit(TControl* parent, TBounds b, const std::string& text) : TControl(parent) {
    TCreateParams p = ChildParams("EDIT", b, text);
    p.systemClass = true;
    p.unicode = true;
    p.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
    p.exStyle = WS_EX_CLIENTEDGE;
    CreateHandle(p);
}

bool TEdit::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_KEYUP && OnKeyUp) {
        if (!TControl::HandleMessage(msg, wp, lp, result)) result = DefaultHandler(msg, wp, lp);
        OnKeyUp(this, static_cast<WORD>(wp));
        return true;
    }
    return TControl::HandleMessage(msg, wp, lp, result);
}

void TEdit::CommandReflected(WORD code) {
    if (code == EN_CHANGE && OnChange) OnChange(this);
}

// --- push button ---

TButton::TButton(TControl* parent, TBounds b, const std::string& caption, bool isDefault, bool isCancel)
    : TControl(parent), default_(isDefault), cancel_(isCancel) {
    TCreateParams p = ChildParams("BUTTON", b, caption);
    p.systemClass = true;
    p.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    CreateHandle(p);
}

void TButton::CommandReflected(WORD code) {
    if (code == BN_CLICKED) Click();
}

void TButton::Click() {
    TControl::Click();
    if (ModalResult == 0) return;
    TControl* top = this;
    while (top->Parent()) top = top->Parent();
    if (auto* form = dynamic_cast<TForm*>(top)) form->SetModalResult(ModalResult);
}

bool TButton::DialogChar(char ch) {
    if (!Enabled() || !IsMnemonic(Caption(), ch)) return false;
    SetFocus();
    Click();
    return true;
}

bool TButton::DialogKey(UINT key, bool focused) {
    bool mine = key == VK_RETURN ? (focused || default_) : (key == VK_ESCAPE && cancel_ && !focused);
    if (!mine || !Enabled()) return false;
    Click();
    return true;
}

// --- check box ---

TCheckBox::TCheckBox(TControl* parent, TBounds b, const std::string& caption) : TControl(parent) {
    TCreateParams p = ChildParams("BUTTON", b, caption);
    p.systemClass = true;
    p.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
    CreateHandle(p);
}

bool TCheckBox::Checked() const { return ::SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TCheckBox::SetChecked(bool on) { ::SendMessageA(Handle(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

void TCheckBox::CommandReflected(WORD code) {
    if (code == BN_CLICKED) Click();
}

bool TCheckBox::DialogChar(char ch) {
    if (!Enabled() || !IsMnemonic(Caption(), ch)) return false;
    SetFocus();
    SetChecked(!Checked());
    Click();
    return true;
}

// --- group box and radio group ---

TGroupBox::TGroupBox(TControl* parent, TBounds b, const std::string& caption) : TControl(parent) {
    TCreateParams p = ChildParams("TGroupBox", b, caption);
    p.exStyle = WS_EX_CONTROLPARENT;
    CreateHandle(p);
}

void TGroupBox::Paint(HDC dc) {
    RECT r;
    ::GetClientRect(Handle(), &r);
    std::string text = Caption();
    ScopedSelect f(dc, Font().Handle());
    TEXTMETRICA tm{};
    ::GetTextMetricsA(dc, &tm);
    RECT frame = r;
    frame.top += tm.tmHeight / 2;
    ::DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    if (text.empty()) return;
    RECT label{Scale(8), 0, r.right - Scale(8), tm.tmHeight};
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &label, DT_CALCRECT | DT_SINGLELINE);
    ::InflateRect(&label, Scale(2), 0);
    PaintBackground(dc, label);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ColorToRGB(Font().color));
    ::InflateRect(&label, -Scale(2), 0);
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &label, DT_SINGLELINE);
}

TRadioGroup::TRadioGroup(TControl* parent, TBounds b, const std::string& caption,
                         const std::vector<std::string>& items)
    : TGroupBox(parent, b, caption) {
    if (items.empty()) return;
    // Items share the room below the caption evenly, in one column.
    int top = 16, step = std::max((b.height - top - 4) / static_cast<int>(items.size()), 1);
    for (size_t i = 0; i < items.size(); ++i) {
        DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
        HWND h = ::CreateWindowExA(0, "BUTTON", items[i].c_str(), style, Scale(8), Scale(top + step * static_cast<int>(i)),
                                   Scale(b.width - 16), Scale(std::min(step, 17)), Handle(), nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr);
        if (!h) RaiseLastOSError("CreateWindow BUTTON");
        ::SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
        buttons_.push_back(h);
    }
}

int TRadioGroup::ItemIndex() const {
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (::SendMessageA(buttons_[i], BM_GETCHECK, 0, 0) == BST_CHECKED) return static_cast<int>(i);
    return -1;
}

void TRadioGroup::SetItemIndex(int index) {
    for (size_t i = 0; i < buttons_.size(); ++i)
        ::SendMessageA(buttons_[i], BM_SETCHECK, static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
}

// The caption's mnemonic moves the focus to the chosen item.
bool TRadioGroup::DialogChar(char ch) {
    if (buttons_.empty() || !IsMnemonic(Caption(), ch)) return false;
    int i = std::max(ItemIndex(), 0);
    ::SetFocus(buttons_[static_cast<size_t>(i)]);
    return true;
}

// --- bevel ---

TBevel::TBevel(TControl* parent, TBounds b) : TControl(parent) { CreateHandle(ChildParams("TBevel", b)); }

void TBevel::Paint(HDC dc) {
    RECT r;
    ::GetClientRect(Handle(), &r);
    Frame(dc, r, SysColor(COLOR_BTNSHADOW), SysColor(COLOR_BTNHIGHLIGHT));
}

// --- image ---

TImage::TImage(TControl* parent, TBounds b, bool stretch, bool transparent)
    : TControl(parent), stretch_(stretch), transparent_(transparent) {
    CreateHandle(ChildParams("TImage", b));
}

void TImage::Paint(HDC dc) {
    if (picture_.Empty()) return;
    RECT r;
    ::GetClientRect(Handle(), &r);
    if (!stretch_) r = {0, 0, Scale(picture_.Width()), Scale(picture_.Height())};  // its size is design pixels
    picture_.Draw(dc, r, transparent_);
}

// --- rich edit ---

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
