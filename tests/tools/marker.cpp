// A target program for launch tests: adds to "marker.txt" beside itself its arguments and its
// working folder, one per line, to prove that it ran, how, and how often.
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
    FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) return 1;
    for (int i = 1; i < argc; ++i) std::fprintf(f, "arg:%s\n", argv[i]);
    std::fprintf(f, "cwd:%s\n", cwd);
    std::fclose(f);
    return 0;
}
