// A target program for launch tests: adds to "marker.txt" beside itself its arguments and its
// working folder, one per line in UTF-8, to prove that it ran, how, and how often. Wide calls
// throughout, so it runs from a folder named in any script.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

static std::string Utf8(const wchar_t* s) {
    int n = WideCharToMultiByte(CP_UTF8, 0, s, -1, nullptr, 0, nullptr, nullptr);
    std::string r(static_cast<size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s, -1, r.data(), n, nullptr, nullptr);
    r.resize(r.size() - 1);
    return r;
}

int main() {
    wchar_t exe[MAX_PATH * 2];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH * 2);
    std::wstring path(exe, n);
    path = path.substr(0, path.find_last_of(L'\\') + 1) + L"marker.txt";
    wchar_t cwd[MAX_PATH * 2];
    GetCurrentDirectoryW(MAX_PATH * 2, cwd);
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 1;
    FILE* f = _wfopen(path.c_str(), L"ab");
    if (!f) return 1;
    for (int i = 1; i < argc; ++i) std::fprintf(f, "arg:%s\n", Utf8(argv[i]).c_str());
    std::fprintf(f, "cwd:%s\n", Utf8(cwd).c_str());
    std::fclose(f);
    LocalFree(argv);
    return 0;
}
