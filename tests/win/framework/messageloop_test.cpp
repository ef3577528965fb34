// The message loops: the idle hook in every loop that waits, the exception barriers of the
// loop and the timers, and destruction deferred while anything inside a control is busy.
#include <string>
#include <vector>

#include "framework/win/Application.h"
#include "framework/win/Errors.h"
#include "framework/win/Forms.h"
#include "framework/win/Menus.h"
#include "framework/win/StdCtrls.h"
#include "framework/win/Timer.h"
#include "win/WinTestMain.h"

using namespace tsb;
using namespace tsbtest;

namespace {

constexpr UINT WM_PROBE = WM_APP + 100;

// A control of our own that runs a test's code for WM_PROBE, inside its own handler.
class TProbe : public TControl {
public:
    TProbe(TControl* parent, TBounds b) : TControl(parent) {
        TCreateParams p;
        p.className = "TProbe";
        p.style |= WS_VISIBLE;
        p.left = b.left, p.top = b.top, p.width = b.width, p.height = b.height;
        CreateHandle(p);
    }
    std::function<void()> OnProbe;

protected:
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (msg != WM_PROBE) return TControl::HandleMessage(msg, wp, lp, result);
        if (OnProbe) OnProbe();
        return true;
    }
};

class MessageLoop : public WinTest {
protected:
    std::vector<std::string> errors;
    void SetUp() override {
        Application().OnException = [this](const std::string& m) { errors.push_back(m); };
    }
    void TearDown() override {
        Application().OnIdle = nullptr;
        Application().OnException = [](const std::string& m) { ADD_FAILURE() << "error box: " << m; };
    }
};

TForm* NewForm(std::unique_ptr<TForm>& holder, const char* cls) {
    holder = std::make_unique<TForm>(TFormParams{.className = cls, .clientWidth = 300, .clientHeight = 200});
    return holder.get();
}

}  // namespace

// The idle return home counts from the last message: a modal window must not stop the count.
TEST_F(MessageLoop, IdleHookRunsInsideAModalForm) {
    std::unique_ptr<TForm> holder;
    TForm* form = NewForm(holder, "TIdleModal");
    TProbe* probe = form->Add<TProbe>(TBounds{0, 0, 50, 50});
    std::vector<std::string> order;
    probe->OnProbe = [&] { order.push_back("message"); };
    for (int i = 0; i < 3; ++i) PostMessageA(probe->Handle(), WM_PROBE, 0, 0);
    Application().OnIdle = [&] {
        if (!IsWindowVisible(form->Handle())) return;
        order.push_back("idle");
        form->SetModalResult(mrOk);  // seen only if the modal loop itself runs the hook
    };
    TTimer failSafe(5000);
    failSafe.OnTimer = [&] { form->SetModalResult(mrCancel); };
    failSafe.SetEnabled(true);

    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_EQ(order, (std::vector<std::string>{"message", "message", "message", "idle"}));
}

// The system's own modal loops (menus; message boxes on Windows) say when they wait by
// WM_ENTERIDLE to their owner; the hook runs there too.
TEST_F(MessageLoop, IdleHookRunsWhileAPopupMenuOfAFormWaits) {
    std::unique_ptr<TForm> holder;
    TForm* form = NewForm(holder, "TIdleMenuOwner");
    form->ShowForm();
    TPopupMenu menu(form);
    bool chosen = false;
    menu.Add("First", [&](TControl*) { chosen = true; });
    bool endedByIdle = false;
    Application().OnIdle = [&] {
        endedByIdle = true;
        EndMenu();
    };
    TTimer failSafe(5000);
    failSafe.OnTimer = [] { EndMenu(); };
    failSafe.SetEnabled(true);
    PostMessageA(form->Handle(), WM_NULL, 0, 0);  // the menu's loop meets a message, then waits
    menu.Popup(10, 10);
    EXPECT_TRUE(endedByIdle);
    EXPECT_FALSE(chosen);
}

TEST_F(MessageLoop, AnExceptionOfAnyTypeFromAKeyPreviewReachesTheErrorBox) {
    std::unique_ptr<TForm> holder;
    TForm* form = NewForm(holder, "TThrowingPreview");
    TProbe* probe = form->Add<TProbe>(TBounds{0, 0, 50, 50});
    form->KeyPreview = true;
    form->OnKeyPress = [](TControl*, char& key) {
        if (key == 'x') throw 42;
        throw EError("key " + std::string(1, key));
    };
    PostMessageA(probe->Handle(), WM_CHAR, 'x', 0);
    PostMessageA(probe->Handle(), WM_CHAR, 'y', 0);
    Application().ProcessMessages();
    EXPECT_EQ(errors, (std::vector<std::string>{"Unknown error", "key y"}));
}

TEST_F(MessageLoop, AnExceptionOfAnyTypeFromATimerReachesTheErrorBox) {
    TTimer timer(10);
    timer.OnTimer = [&] {
        timer.SetEnabled(false);
        throw 42;
    };
    timer.SetEnabled(true);
    DWORD end = GetTickCount() + 5000;
    while (errors.empty() && GetTickCount() < end) Application().HandleMessage();
    EXPECT_EQ(errors, (std::vector<std::string>{"Unknown error"}));
}

// A handler that destroys the panel around it and then lets messages through must still have
// its window when it goes on: the deferred panel waits for everything inside it.
TEST_F(MessageLoop, DeferredDestructionWaitsForTheWholeSubtree) {
    std::unique_ptr<TForm> holder;
    TForm* form = NewForm(holder, "TDeferHost");
    TPanel* panel = form->Add<TPanel>(TBounds{0, 0, 200, 100});
    TProbe* probe = panel->Add<TProbe>(TBounds{10, 10, 50, 50});
    HWND panelWnd = panel->Handle(), probeWnd = probe->Handle();
    bool aliveAfterMessages = false;
    probe->OnProbe = [&] {
        form->DestroyControls();  // the panel itself runs no handler: only its child does
        PostMessageA(form->Handle(), WM_NULL, 0, 0);
        Application().ProcessMessages();
        aliveAfterMessages = IsWindow(probeWnd) && IsWindow(panelWnd);
    };
    SendMessageA(probeWnd, WM_PROBE, 0, 0);
    EXPECT_TRUE(aliveAfterMessages);
    EXPECT_TRUE(form->Controls().empty());
    PostMessageA(form->Handle(), WM_NULL, 0, 0);
    Application().ProcessMessages();  // the first flush after the handler has returned
    EXPECT_FALSE(IsWindow(probeWnd));
    EXPECT_FALSE(IsWindow(panelWnd));
}
