// What a screen reader gets from the menu's buttons through Active Accessibility, asked the
// way it asks: AccessibleObjectFromWindow on the real windows.
#include "framework/core/ScopeExit.h"
#include "support/Accessible.h"
#include "win/MainFormFixture.h"

using namespace tsb;
using namespace tsbtest;

class Accessibility : public MainFormTest {};

TEST_F(Accessibility, ButtonsReadAsPushButtonsAndTheirActionClicks) {
    MakeDir(root + "\\Games");
    Link("Games\\chess.lnk", "Chess");
    Link("mail.lnk", "Mail");
    Start(true);
    TColorButton* mail = PageButtons()[0];
    ASSERT_EQ(mail->Caption(), "Mail");
    mail->SetFocus();
    ReadOut r = Read(mail->Handle());
    ASSERT_EQ(r.found, S_OK);
    EXPECT_EQ(r.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(r.name, L"Mail");
    EXPECT_EQ(r.description, AnsiToWide(mail->Hint())) << "the hint: in administrator mode, the target";
    EXPECT_NE(r.description.find(L"target.exe"), std::wstring::npos);
    EXPECT_EQ(r.action, L"Press");
    EXPECT_TRUE(r.state & STATE_SYSTEM_FOCUSED);
    EXPECT_FALSE(r.state & STATE_SYSTEM_UNAVAILABLE);

    ReadOut home = Read(frm->HomeButton->Handle());
    EXPECT_EQ(home.name, L"Home");
    EXPECT_EQ(home.description, L"Return to first page");
    EXPECT_TRUE(home.state & STATE_SYSTEM_UNAVAILABLE) << "on the home page";
    EXPECT_FALSE(home.state & STATE_SYSTEM_FOCUSED);

    // The default action of a page button opens the page, as a click does.
    TColorButton* games = StripButtons().empty() ? nullptr : StripButtons()[0];
    ASSERT_TRUE(games);
    IAccessible* acc = nullptr;
    ASSERT_EQ(Read(games->Handle(), &acc).name, L"Games");
    ScopeExit release([&] { acc->Release(); });
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    ASSERT_EQ(acc->accDoDefaultAction(self), S_OK);
    for (int i = 0; i < 200 && frm->PageTitlePanel->Caption() != "Games"; ++i) {
        Application().ProcessMessages();
        Sleep(10);
    }
    EXPECT_EQ(frm->PageTitlePanel->Caption(), "Games");
    // The object outlives its button (the page display destroyed it): it says so and reads nothing.
    BSTR name = nullptr;
    EXPECT_NE(acc->get_accName(self, &name), S_OK);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(acc->accDoDefaultAction(self), static_cast<HRESULT>(RPC_E_DISCONNECTED));
}

// The pointer passing over a button with a hint gives it its tooltip, which subclasses it: the
// button stays ours, read as before and moved from by the arrow keys.
TEST_F(Accessibility, AButtonWhoseHintHasShownIsStillReadAndMovedFrom) {
    Link("mail.lnk", "Mail");
    Link("news.lnk", "News");
    Start(true);
    TColorButton* mail = PageButtons()[0];
    ASSERT_FALSE(mail->Hint().empty());
    mail->SetFocus();
    SendMessageA(mail->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    Application().ProcessMessages();
    ReadOut r = Read(mail->Handle());
    ASSERT_EQ(r.found, S_OK);
    EXPECT_EQ(r.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(r.name, L"Mail");
    PostMessageA(mail->Handle(), WM_KEYDOWN, VK_RIGHT, 1);
    PostMessageA(mail->Handle(), WM_KEYUP, VK_RIGHT, 0xC0000001);
    Application().ProcessMessages();
    EXPECT_EQ(GetFocus(), PageButtons()[1]->Handle());
}

TEST_F(Accessibility, ThePageTitleAndTheIndicatorsTextCanBeRead) {
    MakeDir(root + "\\Games");
    Start();
    EXPECT_EQ(Read(frm->PageTitlePanel->Handle()).name, L"Home Page");
    std::wstring title, message;
    WorkingShown = [&](const std::string&) {
        title = Read(frmWorking->StaticText1->Handle()).name;
        message = Read(frmWorking->txtMessage->Handle()).name;
    };
    ShowWorking("Reading Games");
    HideWorking();
    EXPECT_EQ(title, L"Working...");
    EXPECT_EQ(message, L"Reading Games");
}
