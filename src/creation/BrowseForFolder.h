#pragma once
// The system's "browse for folder" dialog, returning the chosen item as a file-system path.
#include <string>

#include "framework/win/Win.h"

namespace tsb {

enum class TbfType { bftFolders, bftPrinters, bftComputers, bftFileorFolders };
enum class TbfRoot { bfrDesktop, bfrMyComputer, bfrNetworkNeighborhood, bfrPrinters };

class TBrowseForFolder {
public:
    // owner: the window the dialog is modal to (it can't be used meanwhile); none: the
    // application's hidden window.
    explicit TBrowseForFolder(HWND owner = nullptr) : owner_(owner) {}

    TbfType BrowseForType = TbfType::bftFolders;
    TbfRoot RootNode = TbfRoot::bfrDesktop;
    std::string Title;
    // Before a run the folder to preselect (empty: none); after a confirmed run the path chosen.
    std::string SelectedPath;

    // True when the user confirmed an item that has a file-system path.
    bool Execute();

private:
    static int CALLBACK BrowseCallback(HWND dialog, UINT msg, LPARAM param, LPARAM data);
    HWND owner_;
};

}  // namespace tsb
