#include "framework/win/Forms.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <windowsx.h>

#include "framework/win/Application.h"
#include "framework/win/Convert.h"
#include "framework/win/Messages.h"

namespace tsb {

TForm::TForm(const TFormParams& p) : TControl(nullptr) {
    DWORD style = WS_CLIPCHILDREN | (p.border ? WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU : WS_POPUP);
    DWORD exStyle = WS_EX_CONTROLPARENT;
    if (p.border && p.dialog) {
        style = WS_CLIPCHILDREN | WS_POPUP | WS_CAPTION | WS_DLGFRAME;
        exStyle |= WS_EX_DLGMODALFRAME;
    }
    RECT r{0, 0, Scale(p.clientWidth), Scale(p.clientHeight)};
    ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    SetColor(p.color);
    SetFont(p.font);
    TCreateParams cp;
    cp.className = p.className;
    cp.style = style;
    cp.exStyle = exStyle;
    cp.owner = p.owner ? p.owner->Handle() : Application().Handle();
    cp.text = p.caption;
    CreateHandle(cp);
    // The frame is the system's, in window pixels: the client area is what the layout gives.
    ::SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::ShowForm() {
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(Handle());
}

static BOOL CALLBACK CollectEnabled(HWND h, LPARAM lp) {
    auto* walk = reinterpret_cast<std::pair<HWND, std::vector<HWND>*>*>(lp);
    if (h != walk->first && ::IsWindowVisible(h) && ::IsWindowEnabled(h)) walk->second->push_back(h);
    return TRUE;
}

std::vector<HWND> DisableThreadWindows(HWND except) {
    std::vector<HWND> disabled;
    std::pair<HWND, std::vector<HWND>*> walk(except, &disabled);
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectEnabled, reinterpret_cast<LPARAM>(&walk));
    for (HWND h : disabled) ::EnableWindow(h, FALSE);
    return disabled;
}

void EnableWindows(const std::vector<HWND>& windows) {
    for (HWND h : windows)
        if (::IsWindow(h)) ::EnableWindow(h, TRUE);
}

int TForm::ShowModal() {
    // Every other window of the thread is disabled while the form runs.
    std::vector<HWND> disabled = DisableThreadWindows(Handle());
    modal_ = true;
    modalResult_ = mrNone;
    ShowForm();
    while (modalResult_ == mrNone && Application().HandleMessage()) {
    }
    if (modalResult_ == mrNone) {  // WM_QUIT arrived: leave it for the main loop
        ::PostQuitMessage(0);
        modalResult_ = mrCancel;
    }
    EnableWindows(disabled);
    modal_ = false;
    ::ShowWindow(Handle(), SW_HIDE);
    return modalResult_;
}

void TForm::Close() { ::SendMessageA(Handle(), WM_CLOSE, 0, 0); }

// Screen positions are window pixels: the centring is done there, where nothing is rounded.
static void CenterWindowOn(HWND w, const RECT& on) {
    RECT r;
    ::GetWindowRect(w, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    ::SetWindowPos(w, nullptr, (on.left + on.right) / 2 - width / 2, (on.top + on.bottom) / 2 - height / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::PlaceOnScreen(int left, int top, int width, int height) {
    ::SetWindowPos(Handle(), nullptr, left, top, std::max(width, 0), std::max(height, 0),
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::DpiChanged(int dpi, const RECT& suggested) {
    ChangeScale(dpi);
    PlaceOnScreen(suggested.left, suggested.top, suggested.right - suggested.left, suggested.bottom - suggested.top);
}

void TForm::CenterOnScreen() {
    RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    CenterWindowOn(Handle(), screen);
}

void TForm::CenterOn(const TControl& other) {
    RECT r;
    ::GetWindowRect(other.Handle(), &r);
    CenterWindowOn(Handle(), r);
}

bool TForm::PreviewKey(MSG& msg) {
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        TShortCut key = ShortCutOfKey(msg.wParam);
        if (PopupMenu && !AcceptsCommands() && HoldsCommands() && PopupMenu->HasShortCut(key)) {
            held_ = {true, key, 0};
            return true;
        }
        if (PopupMenu && AcceptsCommands() && PopupMenu->IsShortCut(key)) return true;
        if (KeyPreview && OnKeyDown && OnKeyDown(key)) return true;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB) {
        bool back = ::GetKeyState(VK_SHIFT) < 0;
        if (HWND next = ::GetNextDlgTabItem(Handle(), ::GetFocus(), back)) ::SetFocus(next);
        return true;
    }
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE) && DialogKey(msg))
        return true;
    if (msg.message == WM_CHAR && KeyPreview && OnKeyPress) {
        // The character is UTF-16: beyond ASCII the handler sees the first byte of its UTF-8
        // form, and the character goes on whole unless the handler swallows it.
        bool ascii = msg.wParam < 0x80;
        std::string bytes = ascii ? std::string(1, static_cast<char>(msg.wParam))
                                  : WideToAnsi(std::wstring(1, static_cast<wchar_t>(msg.wParam)));
        char key = bytes.empty() ? '?' : bytes.front();
        OnKeyPress(this, key);
        if (key == 0) return true;
        if (ascii) msg.wParam = static_cast<unsigned char>(key);
    }
    if (msg.message == WM_SYSCHAR && msg.wParam < 0x80) {  // mnemonics are ASCII letters
        // Mnemonics: Alt and the marked letter click the control that carries it.
        std::vector<TControl*> stack{this};
        while (!stack.empty()) {
            TControl* c = stack.back();
            stack.pop_back();
            if (c != this && c->Visible() && c->DialogChar(static_cast<char>(msg.wParam))) return true;
            for (auto& child : c->Controls()) stack.push_back(child.get());
        }
    }
    return false;
}

// Enter goes to the focused control first (a push button clicks), then to the default button;
// Esc to the cancel button.
bool TForm::DialogKey(const MSG& msg) {
    auto key = static_cast<UINT>(msg.wParam);
    if (TControl* focused = FromHandle(::GetFocus()); focused && focused->DialogKey(key, true)) return true;
    std::vector<TControl*> stack{this};
    while (!stack.empty()) {
        TControl* c = stack.back();
        stack.pop_back();
        if (c != this && c->Visible() && c->Enabled() && c->DialogKey(key, false)) return true;
        for (auto& child : c->Controls()) stack.push_back(child.get());
    }
    return false;
}

void TForm::CloseQuery() {
    if (OnCloseQuery) OnCloseQuery();  // an error here keeps the window open
    if (modal_) {
        if (modalResult_ == mrNone) modalResult_ = mrCancel;
    } else if (Application().MainForm() == this) {
        Application().Terminate();
    } else {
        Hide();
    }
}

bool TForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_SHOWWINDOW:
            if (wp && OnShow) {
                TNotifyEvent handler = OnShow;  // the handler may remove itself
                handler(this);
            }
            return false;
        case WM_CLOSE:
            CloseQuery();
            return true;
        case WM_CONTEXTMENU:
            if (!PopupMenu) return false;
            if (!AcceptsCommands() && HoldsCommands()) held_ = {true, 0, lp};
            if (AcceptsCommands()) {
                POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
                if (lp == -1) {  // from the keyboard: at the focused control
                    HWND focus = ::GetFocus();
                    RECT r;
                    ::GetWindowRect(focus && ::IsChild(Handle(), focus) ? focus : Handle(), &r);
                    at = {r.left + 8, r.top + 8};
                }
                PopupMenu->Popup(at.x, at.y);
            }
            return true;
        case WM_DPICHANGED:
            DpiChanged(LOWORD(wp), *reinterpret_cast<const RECT*>(lp));
            return true;
        case WM_REPLAYHELD:
            if (!held_.waiting || !AcceptsCommands()) return true;
            if (THeldCommand h = std::exchange(held_, {}); h.run) h.run();
            else if (h.key) PopupMenu->IsShortCut(h.key);
            else ::SendMessageA(Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Handle()), h.menuAt);
            return true;
        default:
            return TControl::HandleMessage(msg, wp, lp, result);
    }
}

void TForm::HoldCommand(std::function<void()> run) { held_ = {true, 0, 0, std::move(run)}; }

void TForm::ReplayHeldCommand() {
    if (held_.waiting) ::PostMessageA(Handle(), WM_REPLAYHELD, 0, 0);
}

}  // namespace tsb
