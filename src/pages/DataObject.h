#pragma once
// The page tree: one folder record per page, one shortcut record per ".lnk" file, read lazily
// from the "shortcuts" folder and kept in step with the changes reported on disk. The tree is
// the only owner of its records, and releases them at once (a reload replaces everything below
// the folder it reads); everything else holds a TRef, which resolves to null from then on.
#include <memory>
#include <string>
#include <vector>

#include "framework/core/ObjectRef.h"
#include "pages/WinShell.h"

namespace tsb {

struct TFolderRecord;

// Records are what buttons and menus refer to in their Tag.
struct TShortcutRecord : TLiveObject {
    std::unique_ptr<TShellLinkInfo> LinkInfo;
    std::string Path;      // the ".lnk" file, lower-cased
    std::string IconFile;  // lower-cased; empty when there is none
    std::string Name;
    TFolderRecord* Parent = nullptr;
};

struct TFolderRecord : TLiveObject {
    std::string Name;
    std::string Path;  // lower-cased, no trailing delimiter
    std::wstring HeaderText;
    TFolderRecord* Parent = nullptr;
    std::vector<std::unique_ptr<TFolderRecord>> Folders;
    std::vector<std::unique_ptr<TShortcutRecord>> Shortcuts;
    bool NeedsLoad = false;
    bool Changed = false;
};

// The root, owned here; it lives from InitRootFolder to DoneRootFolder and is never released in
// between.
extern TFolderRecord* RootFolder;

void InitRootFolder(const std::string& path);
void DoneRootFolder();
// Lets messages through before it reads (the indicator); a folder released meanwhile is left alone.
void LoadFolder(TFolderRecord* folder, const std::string& path, HWND window);
void LoadShortcuts(TFolderRecord* folder, const std::string& path, HWND window);
void SortFolders(TFolderRecord* folder);
void SortShortcuts(TFolderRecord* folder);
void ClearFolder(TFolderRecord* folder);
// Takes the folder out of its parent's list; the caller receives its ownership.
std::unique_ptr<TFolderRecord> DetachFolder(TFolderRecord* folder);
TFolderRecord* FindFolderByPath(const std::string& path);
void RenameItem(const std::string& oldPath, const std::string& newPath);
// Each: true when a record had the old name.
bool RenameShortcut(const std::string& oldPath, const std::string& newPath);
bool RenameFolder(const std::string& oldPath, const std::string& newPath);
void MarkFileChanged(const std::string& path);
void MarkItemAdded(const std::string& path);
void RemoveItem(const std::string& path);

// Name of a shortcut: the description, else the file name; a final lower-case ".lnk" goes.
std::string ShortcutName(const std::string& description, const std::string& fileName);

// A walk that lets messages through while it goes over the tree or writes into its folders (a
// search, a bulk creation) is under way. What those messages run must leave the tree as it is:
// a page display asked for meanwhile waits for the walk to end.
bool PageTreeBusy();
void BeginPageTreeWalk();
void EndPageTreeWalk();

// The search across pages; its one option: the text must occur in the case it is typed in.
constexpr unsigned SearchMatchCase = 0x20;
// From the page of start (a folder or a shortcut record) onward; found is the matching shortcut
// or folder record. Shows the indicator while it runs; input to the program's windows waits.
bool FindNextItem(const std::wstring& text, unsigned options, TObjectRef start, TObjectRef& found);
bool SearchFolder(const std::wstring& text, unsigned options, TFolderRecord* folder, TObjectRef& found);
TFolderRecord* NextFolder(TFolderRecord* folder);

}  // namespace tsb
