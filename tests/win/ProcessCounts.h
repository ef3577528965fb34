#pragma once
// What a test counts of its own process (threads, handles), and a pump that waits for an event.
#include "framework/win/Application.h"
#include "framework/win/ScopedWin.h"

#include <tlhelp32.h>  // after the Windows headers

namespace tsbtest {

inline int ThreadsOfThisProcess() {
    tsb::unique_file snap(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 te{sizeof te};
    int n = 0;
    for (BOOL ok = Thread32First(snap.get(), &te); ok; ok = Thread32Next(snap.get(), &te))
        n += te.th32OwnerProcessID == GetCurrentProcessId();
    return n;
}

// GetProcessHandleCount answers 0 under Wine: count the handle values that are live instead.
inline DWORD HandleCount() {
    DWORD n = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &n) && n > 0) return n;
    for (ULONG_PTR h = 4; h < 0x4000; h += 4) {
        DWORD flags;
        n += GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags) != FALSE;
    }
    return n;
}

// Runs the GUI thread's loop until pred() holds or the time is up, looking at pred after each
// message and at least every sliceMs; returns pred(). A quit is left for the main loop, as
// ProcessMessages leaves it.
template <class Pred>
bool PumpUntil(Pred pred, DWORD timeoutMs = 5000, DWORD sliceMs = 20) {
    DWORD start = GetTickCount();
    while (!pred() && GetTickCount() - start < timeoutMs) {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, sliceMs, QS_ALLINPUT);
        } else if (!tsb::Application().HandleOne(msg)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
    }
    return pred();
}

}  // namespace tsbtest
