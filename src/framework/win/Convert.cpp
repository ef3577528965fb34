#include "framework/win/Convert.h"

#include "framework/core/Text.h"

namespace tsb {

static std::wstring ToWide(UINT codePage, std::string_view s) {
    if (s.empty()) return {};
    int n = ::MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring r(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), r.data(), n);
    return r;
}

std::wstring AnsiToWide(std::string_view s) { return ToWide(CP_ACP, s); }

std::string WideToAnsi(std::wstring_view s) {
    if (s.empty()) return {};
    int n = ::WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string r(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), r.data(), n, nullptr, nullptr);
    return r;
}

UINT LegacyCodePage() {
    DWORD cp = 0;
    if (!::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                          reinterpret_cast<LPWSTR>(&cp), sizeof cp / sizeof(WCHAR)))
        cp = 0;
    if (cp == 0 || cp == CP_UTF8 || !::IsValidCodePage(cp)) cp = 1252;
    return cp;
}

std::wstring TextFileToWide(std::string_view bytes) {
    if (auto text = DecodeUnicodeText(bytes)) return std::wstring(text->begin(), text->end());
    return ToWide(LegacyCodePage(), bytes);
}

std::string TextFileToAnsi(std::string_view bytes) {
    // Valid UTF-8 is already the process code page's text: kept byte for byte.
    TTextKind kind = DetectTextEncoding(bytes);
    if (kind.encoding == TTextEncoding::teUtf8 && ::GetACP() == CP_UTF8) return std::string(bytes.substr(kind.bomLength));
    return WideToAnsi(TextFileToWide(bytes));
}

}  // namespace tsb
