#include "pages/WorkingFormUnit.h"

#include "framework/win/Application.h"

namespace tsb {

std::unique_ptr<TfrmWorking> frmWorking;
std::function<void(const std::string& title)> WorkingShown;

TfrmWorking::TfrmWorking()
    : TForm({.className = "TfrmWorking", .clientWidth = 326, .clientHeight = 101, .caption = "frmWorking",
             .font = TFont::Pixels("MS Sans Serif", 11)}) {
    auto* panel2 = Add<TPanel>(TBounds{0, 0, 326, 101});
    panel2->SetAlign(TAlign::alClient);
    panel2->Add<TBevel>(TBounds{5, 5, 316, 91})->SetAnchors(akAll);
    auto* image2 = panel2->Add<TImage>(TBounds{232, 15, 80, 73}, true, true);
    image2->SetAnchors(akTop | akRight);
    image2->Picture().SetGraphic(ArtworkResource("WORKING"));
    StaticText1 = panel2->Add<TLabel>(TBounds{32, 32, 126, 37}, "Working...");
    StaticText1->SetFont(TFont::Pixels("Tahoma", 27));
    txtMessage = panel2->Add<TLabel>(TBounds{32, 72, 193, 13}, "");
    txtMessage->SetFont(TFont::Pixels("Tahoma", 11));
    txtMessage->Hide();
}

static void ShowIndicator(const char* title, const std::string& message) {
    if (!frmWorking) {
        frmWorking = std::make_unique<TfrmWorking>();
        if (TForm* main = Application().MainForm(); main && main->Handle()) frmWorking->CenterOn(*main);
        else frmWorking->CenterOnScreen();
    }
    frmWorking->StaticText1->SetCaption(title);
    frmWorking->txtMessage->Show();
    frmWorking->txtMessage->SetCaption(message);
    ::ShowWindow(frmWorking->Handle(), SW_SHOWNA);
    frmWorking->BringToFront();
    frmWorking->BringToFront();
    Application().ProcessMessages();
    if (WorkingShown) WorkingShown(title);
}

void ShowWorking(const std::string& message) { ShowIndicator("Working...", message); }
void ShowLoading(const std::string& message) { ShowIndicator("Loading...", message); }

void HideWorking() {
    if (!frmWorking) return;
    frmWorking->Hide();
    // A handler run by ProcessMessages inside a show may hide the window it came from.
    if (frmWorking->Busy()) Application().DeferDestruction(std::move(frmWorking));
    frmWorking.reset();
}

}  // namespace tsb
