#pragma once
// The "Create Shortcuts" dialog: collects the settings of a bulk creation (source folder, kinds
// of files, sub-folders, structure, what to do with existing shortcuts, a new page's name). It
// creates no files itself.
#include <string>

#include "creation/BrowseForFolder.h"
#include "framework/core/FilePatterns.h"
#include "framework/win/Forms.h"
#include "framework/win/StdCtrls.h"

namespace tsb {

class TCreateShortcutsForm : public TForm {
public:
    // owner: the window the dialog is centred on and stays above (the main window).
    explicit TCreateShortcutsForm(const TControl* owner);

    // Layout
    TPanel* pnlBottom;
    TButton* OkButton;
    TButton* CancelButton;
    TPanel* pnlMain;
    TStaticText* txtTitle;
    TStaticText* txtDescription;
    TStaticText* txtPath;
    TEdit* PathEdit;
    TButton* BrowseButton;
    TCheckBox* SubDirCheck;
    TCheckBox* chkCreatePage;
    TStaticText* txtPageName;
    TEdit* PageNameEdit;
    TGroupBox* IncludedGroupBox;
    TCheckBox* chkDocuments;
    TCheckBox* chkPhotos;
    TCheckBox* chkApps;
    TCheckBox* chkSpreadsheets;
    TCheckBox* chkAudio;
    TCheckBox* chkPresentations;
    TCheckBox* chkVideos;
    TCheckBox* chkAllFiles;
    TEdit* FileSpecEdit;
    TCheckBox* chkDatabases;
    TRadioGroup* StructureGroup;
    TRadioGroup* OverwriteGroup;
    TImage* Image1;
    TBrowseForFolder BrowseForFolder1;

    // Results, valid after the dialog closed with mrOk.
    std::string SourceFolder;
    std::string FileSpec;
    bool IncludeSubFolders = false;
    bool MaintainStructure = true;
    int OverwriteMode = 0;  // 0 Always, 1 Never, 2 Prompt
    bool CreatePage = false;
    std::string PageName;

    // Handlers
    void PathEditChange(TControl*);
    void PageNameEditKeyUp(TControl*, WORD key);
    void chkCreatePageClick(TControl*);
    void BrowseButtonClick(TControl*);
    void OkButtonClick(TControl*);
    void CategoryClick(TCheckBox* box, TFileCategory category);

private:
    void BuildLayout();
    TCheckBox* AddCategory(TBounds b, const char* caption, TFileCategory category);
    bool pageNameTyped_ = false;  // the user typed the page name: path changes leave it alone
};

}  // namespace tsb
