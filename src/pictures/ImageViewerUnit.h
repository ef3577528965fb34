#pragma once
// The image viewer: one picture of a page as large as fits, on black, full screen, with a nav
// bar to return to the menu, step through the page's pictures and open the picture elsewhere.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "controls/ColorButton.h"
#include "framework/win/Forms.h"
#include "framework/win/StdCtrls.h"

namespace tsb {

// A picture of the page, as its shortcut said when the viewer opened. The viewer works on these
// copies: the folder monitor and the timers run on inside its modal loop and may read the page
// again meanwhile.
struct TViewerEntry {
    std::string Name;
    std::string PathName;
    std::string Arguments;
    std::string WorkingDirectory;
};

class TImageViewer : public TForm {
public:
    explicit TImageViewer(const TControl* owner = nullptr);  // none: the application's window

    TImage* Image1;
    TPanel* pnlNavBar;
    TStaticText* txtImageTitle;
    // Artwork, never shown: only copied from into the nav buttons.
    std::shared_ptr<const TBitmap> imgRightArrow, imgLeftArrow, imgViewer;

    std::vector<TViewerEntry> Entries;  // the page's pictures, in page order
    std::size_t CurrentEntry = 0;       // the one on show
    TColorButton* ReturnButton = nullptr;
    TColorButton* PreviousButton = nullptr;
    TColorButton* NextButton = nullptr;
    TColorButton* ViewerButton = nullptr;
    bool ViewerButtonVisible = false;

    // Shows entries[current] modally when its file exists; returns when the viewer closes.
    void Execute(std::vector<TViewerEntry> entries, std::size_t current);
    void ShowImage();
    void NextImage();
    void PreviousImage();

    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormKeyPress(char& key);

protected:
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void DpiChanged(int dpi, const RECT& suggested) override;

private:
    void PaintIcon(TColorButton* button, const TBitmap& source, bool rightThird);
    void ViewerButtonClick();
};

// The artwork: arrows pointing right and left (260 x 198) and the external-viewer icon
// (256 x 256), each on a uniform background of the colour of its top-left pixel.
std::shared_ptr<const TBitmap> MakeArrowArt(bool pointsRight);
std::shared_ptr<const TBitmap> MakeViewerArt();

}  // namespace tsb
