// The file list page of the settings dialog (tab "ファイル"): the files,
// folders and patterns each user keeps a copy of.
#pragma once
#include "ui/Controls.h"
#include "ui/Form.h"

namespace tollervy {

class LervIni;

enum FileListPageIds : int {
    IdFrameFileList = 600,
    IdFileList = 601,
    IdFilePath = 602,
};

class FileListPage {
public:
    FileListPage(ui::Form& form, LervIni& dialog);

    ui::Frame FrameFileList;
    ui::ListBox FileList;
    ui::TextBox FilePath;

    // Fills the page from [File] when the dialog loads.
    void LoadFileList();
    // Applies the pending list to the data store and [File]; true on
    // success. The last step of every save.
    bool ApplyFileList();

private:
    LervIni& dialog_;
};

}  // namespace tollervy
