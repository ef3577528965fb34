#pragma once
// Answers the system's dialogs (message boxes, the folder browser) that come up on the GUI
// thread while a test's code runs there, as a user would: from another thread.
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace tsbtest {

struct TBoxSeen {
    std::string text;  // the texts of its static controls, joined by "|"
    HWND owner;
};

namespace detail {
inline std::string StaticTexts(HWND box) {
    std::string out;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[32] = {}, text[1024] = {};
        GetClassNameA(c, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") != 0 || !GetWindowTextA(c, text, sizeof text)) continue;
        if (!out.empty()) out += "|";
        out += text;
    }
    return out;
}
// A visible dialog of the system's class: its handle into *lp, and the walk ends.
inline BOOL CALLBACK FindDialog(HWND h, LPARAM lp) {
    char cls[16] = {};
    GetClassNameA(h, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(h)) return TRUE;
    *reinterpret_cast<HWND*>(lp) = h;
    return FALSE;
}
}  // namespace detail

// Runs body on this thread; each dialog of class "#32770" that appears on it meanwhile is
// answered with the next command id of answers (IDCANCEL once they are used up, so a test
// can't hang). Before a box is answered, inspect (if given) looks at it from the answering
// thread, and once the last answer is given, afterLast (if given) runs there. Returns what the
// boxes showed, in order.
inline std::vector<TBoxSeen> AnswerBoxes(std::vector<int> answers, const std::function<void()>& body,
                                         const std::function<void(HWND box)>& inspect = nullptr,
                                         const std::function<void()>& afterLast = nullptr) {
    DWORD gui = GetCurrentThreadId();
    std::atomic<bool> done{false};
    std::vector<TBoxSeen> seen;
    std::thread answerer([&] {
        std::set<HWND> answered;
        size_t next = 0;
        while (!done) {
            HWND found = nullptr;
            EnumThreadWindows(gui, &detail::FindDialog, reinterpret_cast<LPARAM>(&found));
            if (!found || answered.count(found)) {
                if (!found) answered.clear();  // a handle may be given again to a later box
                Sleep(20);
                continue;
            }
            Sleep(50);  // the box has finished its own set-up
            if (inspect) inspect(found);
            seen.push_back({detail::StaticTexts(found), GetWindow(found, GW_OWNER)});
            int id = next < answers.size() ? answers[next++] : IDCANCEL;
            answered.insert(found);
            PostMessageA(found, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(found, id)));
            if (next == answers.size() && afterLast) afterLast();
        }
    });
    try {
        body();
    } catch (...) {
        done = true;
        answerer.join();
        throw;
    }
    done = true;
    answerer.join();
    return seen;
}

}  // namespace tsbtest
