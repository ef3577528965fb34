#include "framework/win/Application.h"

#include <algorithm>

#include "framework/win/Control.h"
#include "framework/win/Errors.h"
#include "framework/win/Forms.h"
#include "framework/win/Thread.h"

namespace tsb {

TApplication& Application() {
    static TApplication app;
    return app;
}

// Closing the hidden window would take every form it owns with it: a close request is the
// main form's to decide.
static LRESULT CALLBACK AppWindowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    bool closing = msg == WM_CLOSE || (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_CLOSE);
    if (closing) {
        if (TForm* main = Application().MainForm(); main && main->Handle()) ::PostMessageA(main->Handle(), WM_CLOSE, 0, 0);
        return 0;
    }
    return ::DefWindowProcA(h, msg, wp, lp);
}

void TApplication::Initialize() {
    if (handle_) return;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_PAGESCROLLER_CLASS};
    ::InitCommonControlsEx(&icc);
    EnsureWindowClass("TApplication", 0, &AppWindowProc);
    // Never shown: the forms it owns therefore have no task-bar button.
    handle_ = ::CreateWindowExA(0, "TApplication", title_.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0,
                                nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (!handle_) RaiseLastOSError("CreateWindow TApplication");
    InitSynchronize();  // this thread is the GUI thread: workers hand their work to it
}

void TApplication::SetTitle(const std::string& title) {
    title_ = title;
    if (handle_) ::SetWindowTextA(handle_, title.c_str());
}

void TApplication::Terminate() {
    terminated_ = true;
    ::PostQuitMessage(0);
}

// The loop takes messages as UTF-16 and hands them on so: characters of any script typed into the
// system's dialogs (the find dialog) reach them whole; taken as ANSI they were lost.
bool TApplication::HandleOne(MSG& msg) {
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return false;
    }
    // Key previews run outside any window procedure: the loop is their barrier.
    Barrier([&] {
        if (!PreTranslate(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    });
    FlushDeferred();
    return true;
}

void TApplication::Idle() {
    if (OnIdle) Barrier(OnIdle);
}

bool TApplication::HandleMessage() {
    MSG msg;
    if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        idleDone_ = false;
        return HandleOne(msg);
    }
    if (idleDone_) {
        ::WaitMessage();
    } else {
        // The hook may end the loop that called (a modal result, say): it looks at its
        // condition again before anything waits.
        idleDone_ = true;
        Idle();
    }
    return true;
}

void TApplication::Run() {
    while (!terminated_ && HandleMessage()) {
    }
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!HandleOne(msg)) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the main loop
            break;
        }
    }
}

void TApplication::HandleException(const std::exception& e) {
    std::string message = e.what();
    if (OnException) {
        OnException(message);
        return;
    }
    HWND owner = mainForm_ && mainForm_->Handle() && ::IsWindowVisible(mainForm_->Handle()) ? mainForm_->Handle()
                                                                                          : nullptr;
    ::MessageBoxA(owner, message.c_str(), title_.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void TApplication::HandleCurrentException() {
    try {
        throw;
    } catch (const std::exception& e) {
        HandleException(e);
    } catch (...) {
        HandleException(EError("Unknown error"));
    }
}

void TApplication::SetScreenCursor(HCURSOR c) {
    screenCursor_ = c;
    POINT pt;
    ::GetCursorPos(&pt);
    ::SetCursorPos(pt.x, pt.y);  // makes the window under the pointer ask again
    ::SetCursor(c ? c : ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
}

static TOOLINFOA ToolOf(HWND control, const std::string& text) {
    TOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = ::GetParent(control);
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = const_cast<char*>(text.c_str());
    return ti;
}

void TApplication::AddToolTip(HWND control, const std::string& text, const MSG& firstMove) {
    if (!toolTip_) {
        toolTip_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                     handle_, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        if (!toolTip_) return;
        ::SendMessageA(toolTip_, TTM_SETMAXTIPWIDTH, 0, 600);
    }
    TOOLINFOA ti = ToolOf(control, text);
    ::SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    // The tool's own watching starts after this move: it has to hear of this one too.
    ::SendMessageA(toolTip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&firstMove));
}

void TApplication::UpdateToolTip(HWND control, const std::string& text) {
    if (!toolTip_) return;
    TOOLINFOA ti = ToolOf(control, text);
    ::SendMessageA(toolTip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
}

void TApplication::RemoveToolTip(HWND control) {
    if (!toolTip_) return;
    TOOLINFOA ti = ToolOf(control, {});
    ::SendMessageA(toolTip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

void TApplication::DeferDestruction(std::unique_ptr<TControl> control) {
    control->Hide();
    deferred_.push_back(std::move(control));
}

void TApplication::FlushDeferred() {
    if (deferred_.empty()) return;
    std::vector<std::unique_ptr<TControl>> keep;
    auto ready = std::move(deferred_);
    deferred_.clear();
    for (auto& c : ready)
        if (c->Busy()) keep.push_back(std::move(c));
    ready.clear();
    for (auto& c : keep) deferred_.push_back(std::move(c));
}

void TApplication::AddModelessDialog(HWND dialog) { modeless_.push_back(dialog); }

void TApplication::RemoveModelessDialog(HWND dialog) { std::erase(modeless_, dialog); }

bool TApplication::PreTranslate(MSG& msg) {
    for (HWND dialog : modeless_)
        if ((msg.hwnd == dialog || ::IsChild(dialog, msg.hwnd)) && ::IsDialogMessageW(dialog, &msg)) return true;
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    HWND top = ::GetAncestor(msg.hwnd, GA_ROOT);
    auto* form = dynamic_cast<TForm*>(TControl::FromHandle(top));
    if (!form) return false;
    return form->PreviewKey(msg);
}

}  // namespace tsb
