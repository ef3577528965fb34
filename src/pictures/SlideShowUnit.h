#pragma once
// The slide show: the pictures of a page, full screen on black, each for some seconds, over and
// over until a key is pressed.
#include <string>
#include <vector>

#include "framework/core/ObjectRef.h"
#include "framework/win/Forms.h"
#include "framework/win/StdCtrls.h"
#include "pages/DataObject.h"

namespace tsb {

class TfrmSlideshow : public TForm {
public:
    explicit TfrmSlideshow(const TControl* owner = nullptr);

    TImage* Image1;
    TRef<TFolderRecord> Page;
    int SlideTime = 20;  // seconds per picture
    bool StopRequested = false;

    // Shows the page's pictures modally; returns at once when there is no page, its folder is
    // gone or it has no shortcuts.
    void Start();
    void FormCreate();
    void FormActivate();
    void FormKeyDown();
    void Execute();

protected:
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    bool ShowSlide(const std::string& path);  // true when a picture was put on show
    // Lets messages through for that many seconds (at least once); false as soon as a key has
    // asked for the show to stop.
    bool Wait(int seconds);

    // The targets of the page's shortcuts, copied when the show starts: the folder monitor and
    // the timers run on inside the show and may read the page again meanwhile.
    std::vector<std::string> targets_;
    bool ran_ = false;  // the show runs once per start, not on every activation
};

}  // namespace tsb
