// The Create Shortcuts dialog and its folder browser, driven as the user would.
#include <string>
#include <vector>

#include "creation/BrowseForFolder.h"
#include "creation/BulkCreation.h"
#include "creation/CreateShortcutsFormUnit.h"
#include "creation/CreateShortcutsTool.h"
#include "framework/core/Text.h"
#include "framework/win/Application.h"
#include "framework/win/Convert.h"
#include "pages/WorkingFormUnit.h"
#include "win/DialogAnswerer.h"
#include "win/WinTestMain.h"

using namespace tsb;
using namespace tsbtest;

class CreateShortcutsDialog : public WinTest {
protected:
    TempFolder dir{"tsbdlg"};
    TForm owner{{.className = "TDialogOwner", .clientWidth = 800, .clientHeight = 600, .border = true,
                 .caption = "owner"}};
    std::unique_ptr<TCreateShortcutsForm> form;
    void SetUp() override {
        owner.SetBounds(100, 100, 800, 600);
        owner.ShowForm();
        form = std::make_unique<TCreateShortcutsForm>(&owner);
    }
    void TearDown() override { form.reset(); }
    // The user's keys: typed into a control, then released (the key-up the page name watches).
    static void Type(TEdit* edit, const std::string& text) {
        edit->SetText(text);
        SendMessageA(edit->Handle(), WM_KEYUP, 'X', 0);
    }
    static void UserClick(TControl* c) { SendMessageA(c->Handle(), BM_CLICK, 0, 0); }
    // OK clicked in the dialog shown modally (its result into result), the box it raises
    // answered OK, and then afterLast run to end the dialog.
    std::vector<TBoxSeen> OkAnswered(int& result, const std::function<void()>& afterLast) {
        return AnswerBoxes(
            {IDOK},
            [&] {
                PostMessageA(form->OkButton->Handle(), BM_CLICK, 0, 0);
                result = form->ShowModal();
            },
            nullptr, afterLast);
    }
};

// The text of the item selected in the folder browser's tree.
static std::string TreeSelection(HWND box) {
    HWND tree = FindWindowExA(box, nullptr, WC_TREEVIEWA, nullptr);
    if (!tree) return "(no tree)";
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    wchar_t text[MAX_PATH] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = MAX_PATH;
    if (!item || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return "";
    return WideToAnsi(text);
}

TEST_F(CreateShortcutsDialog, OpensWithItsLayoutAndDefaults) {
    HWND h = form->Handle();
    EXPECT_EQ(form->Caption(), "Create Shortcuts");
    EXPECT_EQ(form->ClientWidth(), 457);
    EXPECT_EQ(form->ClientHeight(), 387);
    LONG style = GetWindowLongA(h, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_SYSMENU) << "no close box";
    EXPECT_EQ(GetWindow(h, GW_OWNER), owner.Handle());
    RECT o, d;
    GetWindowRect(owner.Handle(), &o);
    GetWindowRect(h, &d);
    EXPECT_NEAR((d.left + d.right) / 2, (o.left + o.right) / 2, 1);
    EXPECT_EQ(form->PathEdit->Text(), "C:\\");
    EXPECT_EQ(form->PageNameEdit->Text(), "");  // the last component of "C:\" is empty
    EXPECT_FALSE(form->PageNameEdit->Visible());
    EXPECT_FALSE(form->txtPageName->Visible());
    EXPECT_EQ(form->FileSpecEdit->Text(), "");
    EXPECT_EQ(form->StructureGroup->ItemIndex(), 0);
    EXPECT_EQ(form->OverwriteGroup->ItemIndex(), 0);
    EXPECT_EQ(form->pnlBottom->Height(), 41);
    EXPECT_EQ(form->OkButton->Left(), 296);
    EXPECT_EQ(form->OkButton->Caption(), "&OK");
    EXPECT_EQ(form->PathEdit->Width(), 369);
    EXPECT_EQ(form->chkDatabases->Left(), 264);
    EXPECT_EQ(form->FileSpecEdit->Parent(), form->IncludedGroupBox);
    for (TCheckBox* c : {form->chkDocuments, form->chkAllFiles, form->SubDirCheck, form->chkCreatePage})
        EXPECT_FALSE(c->Checked());
    // Tab order inside the group box: the nine boxes and the pattern field as listed.
    std::vector<HWND> order;
    for (HWND c = GetWindow(form->IncludedGroupBox->Handle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        order.push_back(c);
    ASSERT_EQ(order.size(), 10u);
    EXPECT_EQ(order[7], form->chkAllFiles->Handle());
    EXPECT_EQ(order[8], form->FileSpecEdit->Handle());
    EXPECT_EQ(order[9], form->chkDatabases->Handle());
}

TEST_F(CreateShortcutsDialog, ThePageNameFollowsThePathUntilTheUserTypesOne) {
    form->PathEdit->SetText("D:\\Photos\\Holiday");
    EXPECT_EQ(form->PageNameEdit->Text(), "Holiday");
    Type(form->PageNameEdit, "Summer");
    form->PathEdit->SetText("D:\\Photos\\Winter");
    EXPECT_EQ(form->PageNameEdit->Text(), "Summer");
    Type(form->PageNameEdit, "");  // cleared: the next path change fills it again
    form->PathEdit->SetText("D:\\Photos\\Spring");
    EXPECT_EQ(form->PageNameEdit->Text(), "Spring");
}

TEST_F(CreateShortcutsDialog, CategoryBoxesUpdateThePatterns) {
    UserClick(form->chkPhotos);
    UserClick(form->chkDocuments);
    EXPECT_TRUE(StartsWith(form->FileSpecEdit->Text(), "*.gif;*.bmp;"));
    EXPECT_TRUE(EndsWith(form->FileSpecEdit->Text(), ";*.htm;*.html;*.wpd;*.wps;*.wks;*.txt;*.rtf;*.pdf;*.odt;*.doc;*.docx"));
    UserClick(form->chkPhotos);
    EXPECT_EQ(form->FileSpecEdit->Text(), "*.htm;*.html;*.wpd;*.wps;*.wks;*.txt;*.rtf;*.pdf;*.odt;*.doc;*.docx");
    form->FileSpecEdit->SetText("Mine*.txt;" + form->FileSpecEdit->Text());
    UserClick(form->chkDocuments);
    EXPECT_EQ(form->FileSpecEdit->Text(), "mine");
}

TEST_F(CreateShortcutsDialog, CreatePageShowsThePageName) {
    UserClick(form->chkCreatePage);
    EXPECT_TRUE(form->PageNameEdit->Visible());
    EXPECT_TRUE(form->txtPageName->Visible());
    UserClick(form->chkCreatePage);
    EXPECT_FALSE(form->PageNameEdit->Visible());
}

TEST_F(CreateShortcutsDialog, OkWithABadPathSaysPathNotFoundAndStaysOpen) {
    form->PathEdit->SetText(dir / "no such folder");
    int result = mrNone;
    // After the box the dialog is still open: Esc then ends it with Cancel.
    auto boxes = OkAnswered(result, [&] { PostMessageA(form->PathEdit->Handle(), WM_KEYDOWN, VK_ESCAPE, 0); });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Path not found.");
    EXPECT_EQ(boxes[0].owner, form->Handle());
    EXPECT_EQ(result, mrCancel);
}

TEST_F(CreateShortcutsDialog, EnterIsOkAndTheResultsFollowTheControls) {
    form->PathEdit->SetText(dir.Path());
    UserClick(form->SubDirCheck);
    UserClick(form->chkApps);
    form->OverwriteGroup->SetItemIndex(2);
    form->StructureGroup->SetItemIndex(1);
    Type(form->PageNameEdit, "Typed but not wanted");
    PostMessageA(form->PathEdit->Handle(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_EQ(form->SourceFolder, dir.Path());
    EXPECT_EQ(form->FileSpec, "*.exe");
    EXPECT_TRUE(form->IncludeSubFolders);
    EXPECT_FALSE(form->MaintainStructure);
    EXPECT_EQ(form->OverwriteMode, 2);
    EXPECT_FALSE(form->CreatePage);
    EXPECT_EQ(form->PageName, "");  // create page unchecked: the name typed earlier is not passed on
}

TEST_F(CreateShortcutsDialog, APageNameThatLeavesThePageIsRefused) {
    form->PathEdit->SetText(dir.Path());
    UserClick(form->chkCreatePage);
    Type(form->PageNameEdit, "..\\..\\elsewhere");
    int result = mrNone;
    auto boxes = OkAnswered(result, [&] { PostMessageA(form->CancelButton->Handle(), BM_CLICK, 0, 0); });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, InvalidPageNameMessage);
    EXPECT_EQ(result, mrCancel);
}

TEST_F(CreateShortcutsDialog, BrowseOpensOnThePathOwnedByTheDialogAndTakesTheChoice) {
    std::string folder = dir / "Holiday";
    MakeDir(folder);
    form->PathEdit->SetText(folder);
    bool dialogUsable = true;
    form->ShowForm();
    auto boxes = AnswerBoxes(
        {IDOK}, [&] { SendMessageA(form->BrowseButton->Handle(), BM_CLICK, 0, 0); },
        [&](HWND box) {
            dialogUsable = IsWindowEnabled(form->Handle()) != FALSE;
            // The browser selects the folder given once its tree is filled: OK waits for that.
            EXPECT_TRUE(WaitFor([&] { return TreeSelection(box) == "Holiday"; }, 30000)) << TreeSelection(box);
        });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, form->Handle());
    EXPECT_FALSE(dialogUsable) << "the dialog can't be used while its browser is open";
    EXPECT_NE(boxes[0].text.find("Select Folder"), std::string::npos) << boxes[0].text;
    EXPECT_TRUE(SameTextAZ(form->PathEdit->Text(), folder)) << form->PathEdit->Text();
    EXPECT_EQ(form->PageNameEdit->Text(), "Holiday");
}

class FolderBrowser : public WinTest {};

TEST_F(FolderBrowser, CancelLeavesTheSelectedPathAsItWas) {
    TBrowseForFolder browser;
    browser.SelectedPath = "C:\\windows";
    for (int i = 0; i < 2; ++i) {
        bool confirmed = true;
        auto boxes = AnswerBoxes({IDCANCEL}, [&] { confirmed = browser.Execute(); });
        EXPECT_EQ(boxes.size(), 1u);
        EXPECT_FALSE(confirmed);
        EXPECT_EQ(browser.SelectedPath, "C:\\windows");
    }
}
