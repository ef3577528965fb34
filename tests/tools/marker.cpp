// A target program for launch tests: writes "marker.txt" beside itself with its arguments and
// its working folder, one per line, to prove that it ran and how.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    char exe[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string path(exe, n);
    path = path.substr(0, path.find_last_of('\\') + 1) + "marker.txt";
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 1;
    for (int i = 1; i < argc; ++i) std::fprintf(f, "arg:%s\n", argv[i]);
    std::fprintf(f, "cwd:%s\n", cwd);
    std::fclose(f);
    return 0;
}
