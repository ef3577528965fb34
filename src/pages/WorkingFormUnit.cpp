#include "pages/WorkingFormUnit.h"

#include "framework/win/Application.h"

namespace tsb {

std::unique_ptr<TfrmWorking> frmWorking;
std::function<void(const std::string& title)> WorkingShown;

TfrmWorking::TfrmWorking()
    : TForm({.className = "TfrmWorking", .clientWidth = 326, .clientHeight = 101, .caption = "frmWorking",
             .font = TFont::Pixels("MS Sans Serif", 11)}) {
    auto* panel2 = Add<TPanel>({.place = {0, 0, 326, 101}, .align = TAlign::alClient});
    panel2->Add<TBevel>({.place = {5, 5, 316, 91}, .anchors = akAll});
    auto* image2 = panel2->Add<TImage>({.place = {232, 15, 80, 73}, .anchors = akTop | akRight}, true, true);
    image2->Picture().SetGraphic(ArtworkResource("WORKING"));
    StaticText1 = panel2->Add<TLabel>({.place = {32, 32, 126, 37}, .font = TFont::Pixels("Tahoma", 27)}, "Working...");
    txtMessage =
        panel2->Add<TLabel>({.place = {32, 72, 193, 13}, .font = TFont::Pixels("Tahoma", 11), .visible = false}, "");
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
