#include "creation/BrowseForFolder.h"

#include <cstring>

#include "framework/win/Application.h"
#include "framework/win/ScopedWin.h"

namespace tsb {

namespace {

UINT FlagsFor(TbfType type) {
    switch (type) {
        case TbfType::bftPrinters: return BIF_BROWSEFORPRINTER;
        case TbfType::bftComputers: return BIF_BROWSEFORCOMPUTER;
        case TbfType::bftFileorFolders: return BIF_BROWSEINCLUDEFILES;
        default: return BIF_RETURNONLYFSDIRS;
    }
}

int SpecialFolderFor(TbfRoot root) {
    switch (root) {
        case TbfRoot::bfrMyComputer: return CSIDL_DRIVES;
        case TbfRoot::bfrNetworkNeighborhood: return CSIDL_NETWORK;
        case TbfRoot::bfrPrinters: return CSIDL_PRINTERS;
        default: return -1;
    }
}

}  // namespace

int CALLBACK TBrowseForFolder::BrowseCallback(HWND dialog, UINT msg, LPARAM, LPARAM data) {
    auto* self = reinterpret_cast<TBrowseForFolder*>(data);
    if (msg == BFFM_INITIALIZED && !self->SelectedPath.empty())
        ::SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(self->SelectedPath.c_str()));
    return 0;
}

bool TBrowseForFolder::Execute() {
    HWND owner = owner_ ? owner_ : Application().Handle();
    char path[MAX_PATH + 1] = {};
    unique_pidl root;
    if (int csidl = SpecialFolderFor(RootNode); csidl >= 0) {
        LPITEMIDLIST got = nullptr;
        if (SUCCEEDED(::SHGetSpecialFolderLocation(owner, csidl, &got))) root.reset(got);
    }
    BROWSEINFOA bi{};
    bi.hwndOwner = owner;
    bi.pidlRoot = root.get();
    bi.pszDisplayName = path;
    bi.lpszTitle = Title.c_str();
    bi.ulFlags = FlagsFor(BrowseForType);
    bi.lpfn = &TBrowseForFolder::BrowseCallback;
    bi.lParam = reinterpret_cast<LPARAM>(this);
    unique_pidl chosen(::SHBrowseForFolderA(&bi));
    if (!chosen) return false;
    BOOL converted = ::SHGetPathFromIDListA(chosen.get(), path);
    path[MAX_PATH] = '\0';
    SelectedPath.assign(path, ::strnlen(path, MAX_PATH + 1));
    return converted != FALSE;
}

}  // namespace tsb
