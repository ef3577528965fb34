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
    using enum TAlign;
    const unsigned corner = akRight | akBottom;
    pnlBottom = Add<TPanel>({.place = {0, 346, 457, 41}, .align = alBottom});
    OkButton = pnlBottom->Add<TButton>(
        {.place = {296, 8, 75, 25}, .anchors = corner, .onClick = [this](TControl* s) { OkButtonClick(s); }}, "&OK",
        true);
    CancelButton = pnlBottom->Add<TButton>({.place = {376, 8, 75, 25}, .anchors = corner}, "&Cancel", false, true);
    CancelButton->ModalResult = mrCancel;

    pnlMain = Add<TPanel>({.place = {0, 0, 457, 346}, .align = alClient});
    txtTitle = pnlMain->Add<TStaticText>({.place = {16, 7, 246, 39}, .font = TFont::Pixels("Verdana", 29)},
                                         "Create Shortcuts");
    txtDescription = pnlMain->Add<TStaticText>(
        {.place = {16, 42, 337, 39}},
        "Use this tool to create a lot of shortcuts at once on the currently selected page from a folder "
        "containing your documents.",
        TTextAlign::taLeft, true);
    txtPath = pnlMain->Add<TStaticText>({.place = {16, 79, 35, 17}}, "&Path:");
    PathEdit = pnlMain->Add<TEdit>({.place = {16, 97, 369, 21}});
    txtPath->SetFocusControl(PathEdit);
    BrowseButton = pnlMain->Add<TButton>(
        {.place = {389, 96, 59, 21}, .onClick = [this](TControl* s) { BrowseButtonClick(s); }}, "&Browse");
    SubDirCheck = pnlMain->Add<TCheckBox>({.place = {16, 132, 129, 17}}, "&Include sub-folders");
    chkCreatePage = pnlMain->Add<TCheckBox>(
        {.place = {136, 132, 121, 17}, .onClick = [this](TControl* s) { chkCreatePageClick(s); }}, "&Create new page");
    txtPageName = pnlMain->Add<TStaticText>({.place = {264, 121, 66, 17}, .visible = false}, "Page &Name");
    PageNameEdit = pnlMain->Add<TEdit>({.place = {264, 136, 185, 21}, .visible = false});
    PageNameEdit->OnKeyUp = [this](TControl* s, WORD key) { PageNameEditKeyUp(s, key); };
    txtPageName->SetFocusControl(PageNameEdit);

    IncludedGroupBox = pnlMain->Add<TGroupBox>({.place = {16, 161, 433, 97}}, "Included Files");
    chkDocuments = AddCategory({8, 16, 97, 17}, "Documents", TFileCategory::fcDocuments);
    chkPhotos = AddCategory({8, 32, 97, 17}, "Photos", TFileCategory::fcPhotos);
    chkApps = AddCategory({8, 48, 97, 17}, "Applications", TFileCategory::fcApps);
    chkSpreadsheets = AddCategory({136, 16, 97, 17}, "Spreadsheets", TFileCategory::fcSpreadsheets);
    chkAudio = AddCategory({136, 32, 97, 17}, "Audio", TFileCategory::fcAudio);
    chkPresentations = AddCategory({136, 48, 97, 17}, "Presentations", TFileCategory::fcPresentations);
    chkVideos = AddCategory({264, 32, 97, 17}, "Videos", TFileCategory::fcVideos);
    chkAllFiles = AddCategory({264, 48, 97, 17}, "All files", TFileCategory::fcAllFiles);
    FileSpecEdit = IncludedGroupBox->Add<TEdit>({.place = {8, 69, 417, 21}});
    chkDatabases = AddCategory({264, 16, 97, 17}, "Databases", TFileCategory::fcDatabases);

    StructureGroup = pnlMain->Add<TRadioGroup>({.place = {16, 264, 185, 77}}, "Page &Structure",
                                               std::vector<std::string>{"Maintain folder structure",
                                                                        "Flatten to a single folder"});
    StructureGroup->SetItemIndex(0);
    OverwriteGroup = pnlMain->Add<TRadioGroup>({.place = {272, 264, 177, 77}}, "Overwrite &Existing Shortcuts",
                                               std::vector<std::string>{"Always", "Never", "Prompt"});
    OverwriteGroup->SetItemIndex(0);
    Image1 = pnlMain->Add<TImage>({.place = {376, 8, 65, 65}}, true, true);
    Image1->Picture().SetGraphic(ArtworkResource("WORKING"));

    // Set last, so its change runs with every control in place.
    PathEdit->OnChange = [this](TControl* s) { PathEditChange(s); };
    PathEdit->SetText("C:\\");
}

TCheckBox* TCreateShortcutsForm::AddCategory(TBounds b, const char* caption, TFileCategory category) {
    auto* box = IncludedGroupBox->Add<TCheckBox>({.place = b}, caption);
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
