#include "creation/CreateShortcutsFormUnit.h"

#include "creation/BulkCreation.h"
#include "framework/core/Text.h"
#include "framework/win/Application.h"
#include "framework/win/Files.h"
#include "framework/win/Picture.h"

namespace tsb {

TCreateShortcutsForm::TCreateShortcutsForm(const TControl* owner)
    : TForm({.className = "TCreateShortcutsForm", .clientWidth = 457, .clientHeight = 387, .border = true,
             .dialog = true, .caption = "Create Shortcuts", .font = TFont::Pixels("MS Sans Serif", 11),
             .owner = owner}),
      BrowseForFolder1(Handle()) {
    BrowseForFolder1.Title = "Select Folder";
    BuildLayout();
    if (owner && owner->Handle()) CenterOn(*owner);
    else CenterOnScreen();
    OnShow = [this](TControl*) { PathEdit->SetFocus(); };
}

// The fixed layout, as designed (pixels at 96 dots per inch); creation order is tab order.
void TCreateShortcutsForm::BuildLayout() {
    pnlBottom = Add<TPanel>(TBounds{0, 346, 457, 41});
    pnlBottom->SetAlign(TAlign::alBottom);
    OkButton = pnlBottom->Add<TButton>(TBounds{296, 8, 75, 25}, "&OK", true);
    OkButton->SetAnchors(akRight | akBottom);
    OkButton->OnClick = [this](TControl* s) { OkButtonClick(s); };
    CancelButton = pnlBottom->Add<TButton>(TBounds{376, 8, 75, 25}, "&Cancel", false, true);
    CancelButton->SetAnchors(akRight | akBottom);
    CancelButton->ModalResult = mrCancel;

    pnlMain = Add<TPanel>(TBounds{0, 0, 457, 346});
    pnlMain->SetAlign(TAlign::alClient);
    txtTitle = pnlMain->Add<TStaticText>(TBounds{16, 7, 246, 39}, "Create Shortcuts");
    txtTitle->SetFont(TFont::Pixels("Verdana", 29));
    txtDescription = pnlMain->Add<TStaticText>(
        TBounds{16, 42, 337, 39},
        "Use this tool to create a lot of shortcuts at once on the currently selected page from a folder "
        "containing your documents.",
        TTextAlign::taLeft, true);
    txtPath = pnlMain->Add<TStaticText>(TBounds{16, 79, 35, 17}, "&Path:");
    PathEdit = pnlMain->Add<TEdit>(TBounds{16, 97, 369, 21});
    txtPath->SetFocusControl(PathEdit);
    BrowseButton = pnlMain->Add<TButton>(TBounds{389, 96, 59, 21}, "&Browse");
    BrowseButton->OnClick = [this](TControl* s) { BrowseButtonClick(s); };
    SubDirCheck = pnlMain->Add<TCheckBox>(TBounds{16, 132, 129, 17}, "&Include sub-folders");
    chkCreatePage = pnlMain->Add<TCheckBox>(TBounds{136, 132, 121, 17}, "&Create new page");
    chkCreatePage->OnClick = [this](TControl* s) { chkCreatePageClick(s); };
    txtPageName = pnlMain->Add<TStaticText>(TBounds{264, 121, 66, 17}, "Page &Name");
    txtPageName->Hide();
    PageNameEdit = pnlMain->Add<TEdit>(TBounds{264, 136, 185, 21});
    PageNameEdit->Hide();
    PageNameEdit->OnKeyUp = [this](TControl* s, WORD key) { PageNameEditKeyUp(s, key); };
    txtPageName->SetFocusControl(PageNameEdit);

    IncludedGroupBox = pnlMain->Add<TGroupBox>(TBounds{16, 161, 433, 97}, "Included Files");
    chkDocuments = AddCategory({8, 16, 97, 17}, "Documents", TFileCategory::fcDocuments);
    chkPhotos = AddCategory({8, 32, 97, 17}, "Photos", TFileCategory::fcPhotos);
    chkApps = AddCategory({8, 48, 97, 17}, "Applications", TFileCategory::fcApps);
    chkSpreadsheets = AddCategory({136, 16, 97, 17}, "Spreadsheets", TFileCategory::fcSpreadsheets);
    chkAudio = AddCategory({136, 32, 97, 17}, "Audio", TFileCategory::fcAudio);
    chkPresentations = AddCategory({136, 48, 97, 17}, "Presentations", TFileCategory::fcPresentations);
    chkVideos = AddCategory({264, 32, 97, 17}, "Videos", TFileCategory::fcVideos);
    chkAllFiles = AddCategory({264, 48, 97, 17}, "All files", TFileCategory::fcAllFiles);
    FileSpecEdit = IncludedGroupBox->Add<TEdit>(TBounds{8, 69, 417, 21});
    chkDatabases = AddCategory({264, 16, 97, 17}, "Databases", TFileCategory::fcDatabases);

    StructureGroup = pnlMain->Add<TRadioGroup>(TBounds{16, 264, 185, 77}, "Page &Structure",
                                               std::vector<std::string>{"Maintain folder structure",
                                                                        "Flatten to a single folder"});
    StructureGroup->SetItemIndex(0);
    OverwriteGroup = pnlMain->Add<TRadioGroup>(TBounds{272, 264, 177, 77}, "Overwrite &Existing Shortcuts",
                                               std::vector<std::string>{"Always", "Never", "Prompt"});
    OverwriteGroup->SetItemIndex(0);
    Image1 = pnlMain->Add<TImage>(TBounds{376, 8, 65, 65}, true, true);
    Image1->Picture().SetGraphic(ArtworkResource("WORKING"));

    // Set last, so its change runs with every control in place.
    PathEdit->OnChange = [this](TControl* s) { PathEditChange(s); };
    PathEdit->SetText("C:\\");
}

TCheckBox* TCreateShortcutsForm::AddCategory(TBounds b, const char* caption, TFileCategory category) {
    auto* box = IncludedGroupBox->Add<TCheckBox>(b, caption);
    box->OnClick = [this, box, category](TControl*) { CategoryClick(box, category); };
    return box;
}

void TCreateShortcutsForm::PathEditChange(TControl*) {
    if (!pageNameTyped_) PageNameEdit->SetText(ExtractFileName(PathEdit->Text()));
}

void TCreateShortcutsForm::PageNameEditKeyUp(TControl*, WORD) { pageNameTyped_ = !PageNameEdit->Text().empty(); }

void TCreateShortcutsForm::chkCreatePageClick(TControl*) {
    bool on = chkCreatePage->Checked();
    txtPageName->SetVisible(on);
    PageNameEdit->SetVisible(on);
}

void TCreateShortcutsForm::BrowseButtonClick(TControl*) {
    std::string path = PathEdit->Text();
    if (DirectoryExists(path)) BrowseForFolder1.SelectedPath = path;
    BrowseForFolder1.Execute();
    PathEdit->SetText(BrowseForFolder1.SelectedPath);
}

void TCreateShortcutsForm::CategoryClick(TCheckBox* box, TFileCategory category) {
    FileSpecEdit->SetText(UpdatePatterns(FileSpecEdit->Text(), CategoryPatterns(category), box->Checked()));
}

void TCreateShortcutsForm::OkButtonClick(TControl*) {
    if (!DirectoryExists(PathEdit->Text())) {
        ::MessageBoxA(Handle(), "Path not found.", Application().Title().c_str(), MB_OK | MB_ICONERROR);
        return;
    }
    // The page folder is made inside the page on show: a name that would lead elsewhere is refused.
    if (chkCreatePage->Checked() && !PageNameEdit->Text().empty() && !IsPlainFolderName(PageNameEdit->Text())) {
        ::MessageBoxA(Handle(), InvalidPageNameMessage, Application().Title().c_str(), MB_OK | MB_ICONERROR);
        PageNameEdit->SetFocus();
        return;
    }
    SourceFolder = PathEdit->Text();
    FileSpec = FileSpecEdit->Text();
    OverwriteMode = 0;
    if (int i = OverwriteGroup->ItemIndex(); i >= 0 && i <= 2) OverwriteMode = i;
    IncludeSubFolders = SubDirCheck->Checked();
    MaintainStructure = StructureGroup->ItemIndex() == 0;
    CreatePage = chkCreatePage->Checked();
    if (CreatePage) PageName = PageNameEdit->Text();
    SetModalResult(mrOk);
}

}  // namespace tsb
