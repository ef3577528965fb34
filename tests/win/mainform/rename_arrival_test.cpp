// Items renamed before the window heard of their arrival: by the time the creation is handled
// the first name has gone, so only the rename tells of them. Made here while the window handles
// nothing (this thread is its GUI thread), so both records wait and come in that order.
#include "app/MainForm.h"

#include "framework/win/Files.h"
#include "win/MainFormFixture.h"
#include "win/ProcessCounts.h"

using namespace tsb;
using namespace tsbtest;

namespace {

class RenameArrival : public MainFormTest {
protected:
    std::vector<std::string> Captions() const {
        std::vector<std::string> out;
        for (TColorButton* b : PageButtons()) out.push_back(b->Caption());
        return out;
    }
    std::vector<std::string> Strip() const {
        std::vector<std::string> out;
        for (TColorButton* b : StripButtons()) out.push_back(b->Caption());
        return out;
    }
    void Rename(const std::string& from, const std::string& to) {
        ASSERT_TRUE(MoveFileA((root + "\\" + from).c_str(), (root + "\\" + to).c_str())) << from;
    }
};

}  // namespace

TEST_F(RenameArrival, LinksMadeAndRenamedAtOnceAreShownUnderTheirNewNames) {
    Link("first.lnk");
    Start();
    ASSERT_EQ(Captions(), (std::vector<std::string>{"first"}));
    // Made and renamed straight away.
    Link("made.lnk");
    Rename("made.lnk", "renamed.lnk");
    // Written under a name no page shows, then given its own, as a tool that saves safely does.
    Link("saving.tmp");
    Rename("saving.tmp", "saved.lnk");
    EXPECT_TRUE(PumpUntil([&] { return Captions() == std::vector<std::string>{"first", "renamed", "saved"}; }, 10000))
        << Captions().size() << " buttons";
}

TEST_F(RenameArrival, AFolderMadeAndRenamedAtOnceIsShownAsAPage) {
    Link("first.lnk");
    Start();
    ASSERT_TRUE(Strip().empty());
    MakeDir(root + "\\New folder");
    Rename("New folder", "Holiday");
    EXPECT_TRUE(PumpUntil([&] { return Strip() == std::vector<std::string>{"Holiday"}; }, 10000))
        << Strip().size() << " sub-page buttons";
}
