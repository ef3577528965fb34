// Makes a shortcut through the shell's link object: mklink LINKFILE TARGET [DESCRIPTION [ARGUMENTS]].
// Used to lay out demo program folders.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: mklink LINKFILE TARGET [DESCRIPTION [ARGUMENTS]]\n");
        return 2;
    }
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link));
    if (SUCCEEDED(hr)) {
        link->SetPath(argv[2]);
        if (argc > 3) link->SetDescription(argv[3]);
        if (argc > 4) link->SetArguments(argv[4]);
        hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    }
    if (SUCCEEDED(hr)) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, argv[1], -1, wide, MAX_PATH);
        hr = file->Save(wide, TRUE);
        file->Release();
    }
    if (link) link->Release();
    CoUninitialize();
    if (FAILED(hr)) std::fprintf(stderr, "mklink: failed (%08lx)\n", static_cast<unsigned long>(hr));
    return FAILED(hr) ? 1 : 0;
}
