#include "dialogs/FileListPage.h"

#include "dialogs/LervIni.h"

namespace tollervy {

FileListPage::FileListPage(ui::Form& form, LervIni& dialog)
    : FrameFileList(form, IdFrameFileList, "FrameFileList"),
      FileList(form, IdFileList, "FileList"),
      FilePath(form, IdFilePath, "FilePath"),
      dialog_(dialog) {
    FrameFileList.Contain(FileList);
    FrameFileList.Contain(FilePath);
    FileList.SetToolTipText("ユーザ毎に使い分けるファイルのリストです");
    FilePath.SetToolTipText("上のファイルリストに追加・削除するファイルのパスを設定します");
}

// The list and its save come with the page's own work; until then the page
// shows nothing and a save leaves [File] as it is.
void FileListPage::LoadFileList() {}

bool FileListPage::ApplyFileList() { return true; }

}  // namespace tollervy
