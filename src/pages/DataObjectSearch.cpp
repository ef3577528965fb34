// The search across pages: a walk over the page tree from the page on show onward, reading
// folders as it reaches them.
#include <string>
#include <vector>

#include "framework/core/ScopeExit.h"
#include "framework/win/Convert.h"
#include "framework/win/Forms.h"
#include "pages/DataObject.h"
#include "pages/NameOrder.h"
#include "pages/WorkingFormUnit.h"

namespace tsb {

static int treeWalks = 0;

bool PageTreeBusy() { return treeWalks > 0; }
void BeginPageTreeWalk() { ++treeWalks; }
void EndPageTreeWalk() {
    if (treeWalks > 0) --treeWalks;
}

namespace {

// Without match case, found by the language rules of the user's locale: letters of every script
// in either case, a letter's final form (Greek sigma) and its expansions (German sharp s), and
// accents composed or decomposed; and, whatever those rules say (a Turkish dotless i), wherever
// both texts lower-cased by the system's own mapping meet. With it, the text must occur as typed.
bool Matches(const std::wstring& text, const std::wstring& in, unsigned options) {
    if (text.empty() || in.empty()) return false;
    if (options & SearchMatchCase) return in.find(text) != std::wstring::npos;
    if (::FindNLSStringEx(LOCALE_NAME_USER_DEFAULT, FIND_FROMSTART | LINGUISTIC_IGNORECASE, in.data(),
                          static_cast<int>(in.size()), text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                          nullptr, 0) >= 0)
        return true;
    auto lower = [](const std::wstring& s) {
        std::wstring out(s.size(), L'\0');
        int n = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, s.data(), static_cast<int>(s.size()), out.data(),
                                static_cast<int>(out.size()), nullptr, nullptr, 0);
        out.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return out;
    };
    std::wstring needle = lower(text);
    return !needle.empty() && lower(in).find(needle) != std::wstring::npos;
}

// Reads a folder the walk reaches for the first time. Reading lets messages through, and what
// they run may release records: false when the folder is gone afterwards.
bool EnsureLoaded(TRef<TFolderRecord> ref) {
    TFolderRecord* f = ref.Get();
    if (!f) return false;
    if (f->NeedsLoad) LoadFolder(f, f->Path, nullptr);
    return ref.Get() != nullptr;
}

// The first sub-folder of parent ordered after that name (the lists are kept in name order).
TFolderRecord* SubFolderAfter(const TFolderRecord* parent, const std::string& name) {
    for (const auto& sub : parent->Folders)
        if (CompareNameKeys(sub->Name, name) > 0) return sub.get();
    return nullptr;
}

// Where the walk stands, kept by reference and name up to the root: a folder released while
// the walk read below it (it went from the disk) is passed over, and the walk goes on after it.
class TWalkPlace {
public:
    explicit TWalkPlace(TFolderRecord* folder) {
        for (TFolderRecord* f = folder; f; f = f->Parent) chain_.push_back({f, f->Name});
    }
    TFolderRecord* Next() const {
        if (chain_.empty()) return nullptr;
        if (TFolderRecord* f = chain_[0].ref.Get()) return NextFolder(f);
        // The nearest folder above that is still there: its first sub-folder ordered after the
        // one that went, else what follows it.
        for (size_t k = 1; k < chain_.size(); ++k) {
            TFolderRecord* above = chain_[k].ref.Get();
            if (!above) continue;
            if (TFolderRecord* after = SubFolderAfter(above, chain_[k - 1].name)) return after;
            return NextFolder(above);
        }
        return nullptr;
    }

private:
    struct TStep {
        TRef<TFolderRecord> ref;
        std::string name;
    };
    std::vector<TStep> chain_;
};

}  // namespace

bool SearchFolder(const std::wstring& text, unsigned options, TFolderRecord* folder, TObjectRef& found) {
    found = {};
    TRef<TFolderRecord> self = folder;
    if (!EnsureLoaded(self)) return false;
    for (const auto& s : self.Get()->Shortcuts)
        if (Matches(text, AnsiToWide(s->Name), options)) {
            found = s.get();
            return true;
        }
    // Each next sub-folder by name, not by place: a read below lets messages through, which may
    // change the list (a sub-folder removed meanwhile is passed over, the walk goes on after it).
    std::string last;
    for (bool first = true;; first = false) {
        TFolderRecord* f = self.Get();
        if (!f) return false;
        TFolderRecord* next = first ? (f->Folders.empty() ? nullptr : f->Folders.front().get()) : SubFolderAfter(f, last);
        if (!next) return false;
        last = next->Name;
        TRef<TFolderRecord> sub = next;
        if (!EnsureLoaded(sub)) continue;
        TFolderRecord* g = sub.Get();
        if (Matches(text, AnsiToWide(g->Name), options) || Matches(text, g->HeaderText, options)) {
            found = g;
            return true;
        }
        if (SearchFolder(text, options, g, found)) return true;
    }
}

TFolderRecord* NextFolder(TFolderRecord* folder) {
    if (!folder || !folder->Parent) return nullptr;
    TFolderRecord* parent = folder->Parent;
    auto& list = parent->Folders;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == folder) return i + 1 < list.size() ? list[i + 1].get() : NextFolder(parent);
    return nullptr;
}

bool FindNextItem(const std::wstring& text, unsigned options, TObjectRef start, TObjectRef& found) {
    found = {};
    // Input waits while the walk lets messages through for the indicator: a second search or a
    // menu command can't start in the middle of this one.
    BeginPageTreeWalk();
    HWND focus = ::GetFocus();
    std::vector<HWND> disabled = DisableThreadWindows();
    ScopeExit end([&] {
        HideWorking();
        EnableWindows(disabled);
        if (focus && ::IsWindow(focus)) ::SetFocus(focus);
        EndPageTreeWalk();
    });
    ShowWorking("Searching...");
    TFolderRecord* p = start.As<TFolderRecord>();
    if (auto* s = start.As<TShortcutRecord>()) p = s->Parent;
    if (!p) p = RootFolder;  // the start was released while the indicator came up
    if (!p) return false;
    if (!p->Folders.empty()) p = p->Folders.front().get();
    else if (p != RootFolder) p = NextFolder(p);
    for (TRef<TFolderRecord> at = p; TFolderRecord* f = at.Get();) {
        TWalkPlace place(f);
        if (SearchFolder(text, options, f, found)) return true;
        at = place.Next();
    }
    return false;
}

}  // namespace tsb
