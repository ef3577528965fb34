#include "pages/DataObject.h"

#include <functional>
#include <new>

#include "framework/core/Text.h"
#include "framework/win/Convert.h"
#include "framework/win/Debug.h"
#include "framework/win/Errors.h"
#include "framework/win/Files.h"
#include "pages/NameOrder.h"
#include "pages/WorkingFormUnit.h"

namespace tsb {

static std::unique_ptr<TFolderRecord> rootOwner;
TFolderRecord* RootFolder = nullptr;

static std::string NormalPath(const std::string& path) { return ExcludeTrailingDelimiter(LowerAZ(path)); }

void InitRootFolder(const std::string& path) {
    if (rootOwner) ClearFolder(rootOwner.get());
    else rootOwner = std::make_unique<TFolderRecord>();
    RootFolder = rootOwner.get();
    RootFolder->Name = "Home Page";
    RootFolder->Path = NormalPath(path);
    RootFolder->HeaderText.clear();
    RootFolder->NeedsLoad = true;
    RootFolder->Changed = true;
    RootFolder->Parent = nullptr;
}

void DoneRootFolder() {
    RootFolder = nullptr;
    rootOwner.reset();  // and everything below it
}

std::string ShortcutName(const std::string& description, const std::string& fileName) {
    std::string name = description.empty() ? fileName : description;
    if (EndsWith(name, ".lnk")) name.resize(name.size() - 4);
    return name;
}

void LoadShortcuts(TFolderRecord* folder, const std::string& path, HWND window) {
    if (!folder) return;
    std::vector<std::unique_ptr<TShortcutRecord>> found;
    try {
        ForEachFile(path + "\\*.lnk", [&](const TFindData& fd) {
            if (fd.cFileName[0] == '.' || (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
            std::string full = path + "\\" + fd.cFileName;
            if (Utf16Length(full) > 260) return;  // characters as the system counts them
            if (!FileExists(full)) return;  // a device's name: the link object would read the device
            auto info = std::make_unique<TShellLinkInfo>();
            try {
                GetShellLinkInfo(AnsiToWide(full), *info, false, window);
            } catch (const EOutOfMemory&) {
                throw;
            } catch (const std::bad_alloc&) {
                throw;
            } catch (const std::exception&) {
                return;  // unreadable: left out of the page
            }
            std::string iconFile = AdjustShortcutPaths(*info);
            auto rec = std::make_unique<TShortcutRecord>();
            rec->Parent = folder;
            rec->Name = ShortcutName(info->Description, fd.cFileName);
            rec->LinkInfo = std::move(info);
            rec->Path = LowerAZ(full);
            rec->IconFile = LowerAZ(iconFile);
            found.push_back(std::move(rec));
        });
    } catch (const EOutOfMemory&) {
        // ends the scan: what was read so far stays on the page
    } catch (const std::bad_alloc&) {
    } catch (...) {
        // An error that ends the folder's load still leaves the records completed before it.
        for (auto& r : found) folder->Shortcuts.push_back(std::move(r));
        SortShortcuts(folder);
        throw;
    }
    for (auto& r : found) folder->Shortcuts.push_back(std::move(r));
    folder->Shortcuts.shrink_to_fit();
    SortShortcuts(folder);
}

void LoadFolder(TFolderRecord* folderArg, const std::string& pathArg, HWND window) {
    if (!folderArg) return;
    TRef<TFolderRecord> ref = folderArg;
    std::string path = NormalPath(pathArg);
    bool ownPath = path == NormalPath(folderArg->Path);
    Log("LoadFolder " + path);
    ShowLoading(LowerAZ(ExtractFileName(path)));
    // A handler run by the messages let through may have released the folder, or renamed it:
    // then it is read where it is now.
    TFolderRecord* folder = ref.Get();
    if (!folder) return;
    if (ownPath) path = NormalPath(folder->Path);
    ClearFolder(folder);
    LoadShortcuts(folder, path, window);
    std::string header = path + "\\page-header.rtf";
    if (FileExists(header)) {
        std::string joined;
        for (const std::string& line : SplitLines(ReadTextFile(header))) joined += line + "\r\n";
        folder->HeaderText = AnsiToWide(joined);
    }
    ForEachFile(path + "\\*.*", [&](const TFindData& fd) {
        if (fd.cFileName[0] == '.' || !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
        if (fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return;
        auto rec = std::make_unique<TFolderRecord>();
        rec->Name = fd.cFileName;
        rec->Path = path + "\\" + LowerAZ(fd.cFileName);
        rec->NeedsLoad = true;
        rec->Parent = folder;
        folder->Folders.push_back(std::move(rec));
    });
    folder->Folders.shrink_to_fit();
    SortFolders(folder);
    folder->NeedsLoad = false;
    folder->Changed = true;
}

void SortFolders(TFolderRecord* folder) {
    if (folder) SortByName(folder->Folders, [](const auto& r) -> const std::string& { return r->Name; });
}

void SortShortcuts(TFolderRecord* folder) {
    if (folder) SortByName(folder->Shortcuts, [](const auto& r) -> const std::string& { return r->Name; });
}

void ClearFolder(TFolderRecord* folder) {
    if (!folder) return;
    for (auto& sub : folder->Folders) ClearFolder(sub.get());
    folder->Folders.clear();
    folder->Shortcuts.clear();
}

std::unique_ptr<TFolderRecord> DetachFolder(TFolderRecord* folder) {
    if (!folder || !folder->Parent) return nullptr;
    auto& list = folder->Parent->Folders;
    for (auto it = list.begin(); it != list.end(); ++it)
        if (it->get() == folder) {
            std::unique_ptr<TFolderRecord> owned = std::move(*it);
            list.erase(it);
            folder->Parent->Changed = true;
            return owned;
        }
    return nullptr;
}

// Depth-first from the root, a folder before its sub-folders; stops when visit returns true.
static bool Walk(TFolderRecord* folder, const std::function<bool(TFolderRecord*)>& visit) {
    if (!folder) return false;
    if (visit(folder)) return true;
    for (size_t i = 0; i < folder->Folders.size(); ++i)
        if (Walk(folder->Folders[i].get(), visit)) return true;
    return false;
}

TFolderRecord* FindFolderByPath(const std::string& path) {
    std::string key = LowerAZ(path);
    TFolderRecord* found = nullptr;
    Walk(RootFolder, [&](TFolderRecord* f) { return f->Path == key ? (found = f, true) : false; });
    return found;
}

void RenameItem(const std::string& oldPath, const std::string& newPath) {
    bool held = false;
    if (FileExists(newPath)) held = RenameShortcut(oldPath, newPath);
    else if (DirectoryExists(newPath)) held = RenameFolder(oldPath, newPath);
    else return;
    // No record had the old name: the item was made and renamed before its arrival was handled
    // (its first name had gone by then), or written under a name no page shows and renamed to
    // its own. Either way it arrives now, under the new name.
    if (!held) MarkItemAdded(LowerAZ(newPath));
}

bool RenameShortcut(const std::string& oldPath, const std::string& newPath) {
    std::string key = LowerAZ(oldPath);
    return Walk(RootFolder, [&](TFolderRecord* f) {
        for (auto& s : f->Shortcuts) {
            if (s->Path != key) continue;
            s->Name = ShortcutName(s->LinkInfo ? s->LinkInfo->Description : std::string(), ExtractFileName(newPath));
            s->Path = LowerAZ(newPath);
            SortShortcuts(f);
            f->Changed = true;
            return true;
        }
        return false;
    });
}

static void ReplacePrefix(std::string& path, const std::string& oldPrefix, const std::string& newPrefix) {
    if (StartsWith(path, oldPrefix)) path = newPrefix + path.substr(oldPrefix.size());
}

bool RenameFolder(const std::string& oldPath, const std::string& newPath) {
    std::string key = LowerAZ(oldPath), lowerNew = LowerAZ(newPath);
    TFolderRecord* f = nullptr;
    Walk(RootFolder, [&](TFolderRecord* r) { return r->Path == key ? (f = r, true) : false; });
    if (!f) return false;
    if (f == RootFolder) {  // the home page stays at its place; what moved away is no longer it
        ClearFolder(f);
        f->NeedsLoad = true;
        f->Changed = true;
        return true;
    }
    f->Path = lowerNew;
    f->Name = ExtractFileName(ExcludeTrailingDelimiter(newPath));
    f->Changed = true;
    if (f->Parent) f->Parent->Changed = true;
    for (auto& sub : f->Folders)
        Walk(sub.get(), [&](TFolderRecord* below) {
            ReplacePrefix(below->Path, key, lowerNew);
            below->NeedsLoad = true;
            return false;
        });
    for (auto& s : f->Shortcuts) ReplacePrefix(s->Path, key, lowerNew);
    if (f->Parent) SortFolders(f->Parent);
    return true;
}

void MarkFileChanged(const std::string& path) {
    if (!FileExists(path)) return;
    std::string folder = ExcludeTrailingDelimiter(ExtractFilePath(path));
    Walk(RootFolder, [&](TFolderRecord* f) {
        if (f->Path == folder) {
            f->NeedsLoad = true;
            if (f->Parent) f->Parent->NeedsLoad = true;
        }
        return false;
    });
}

void MarkItemAdded(const std::string& path) {
    if (!FileExists(path) && !DirectoryExists(path)) return;
    std::string folder = ExcludeTrailingDelimiter(ExtractFilePath(path));
    Walk(RootFolder, [&](TFolderRecord* f) { return f->Path == folder ? (f->NeedsLoad = true, true) : false; });
}

static bool RemoveFrom(TFolderRecord* folder, const std::string& path) {
    if (folder->Path == path) {
        ClearFolder(folder);
        if (folder == RootFolder) {
            // The root lives until the program ends and always stands for the folder beside
            // the program: read it again (it is made anew) at the next display.
            folder->NeedsLoad = true;
            folder->Changed = true;
            return true;
        }
        DetachFolder(folder);                   // released here, with the returned owner
        return true;
    }
    auto& list = folder->Shortcuts;
    for (auto it = list.begin(); it != list.end(); ++it)
        if (LowerAZ((*it)->Path) == path) {
            list.erase(it);
            folder->Changed = true;
            return true;
        }
    for (size_t i = 0; i < folder->Folders.size(); ++i)
        if (RemoveFrom(folder->Folders[i].get(), path)) return true;
    return false;
}

void RemoveItem(const std::string& path) {
    if (RootFolder) RemoveFrom(RootFolder, path);
}

}  // namespace tsb
