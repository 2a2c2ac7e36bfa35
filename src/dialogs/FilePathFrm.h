// FilePathFrm: the file picker of the file list page. The page points
// FilePathTarget at its path box and shows the picker modally; Select writes
// the path shown in PathDirFile into that box, Cancel leaves it alone, and
// either unloads the picker.
#pragma once
#include <string>

#include "dialogs/PathLists.h"
#include "settings/Context.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace tollervy {

class Forms;

// Control ids of the file picker's template.
enum FilePathFrmIds : int {
    IdFilePathDrive = 1001,
    IdFilePathDir = 1002,
    IdFilePathFile = 1003,
    IdFilePathDirFile = 1004,
    IdFileSelectPathBtn = 1005,
    IdFileCancelPathBtn = 1006,
};

class FilePathFrm : public ui::Form {
public:
    explicit FilePathFrm(Forms& forms);

    ui::ListBox PathDrive;   // drop-down drive list
    ui::ListBox PathDir;     // folder list
    ui::ListBox PathFile;    // the files of the open folder
    ui::Label PathDirFile;   // the path that Select hands back
    ui::CommandButton SelectPathBtn;
    ui::CommandButton CancelPathBtn;

    // The list logic behind the three lists.
    DriveList Drives;
    FolderList Folders;
    FileList Files;

    void Form_Load() override;
    bool Form_KeyDown(int virtualKey) override;
    void PathDrive_Change();
    void PathDir_Change();
    void PathFile_Click();
    void PathFile_DblClick();
    void SelectPathBtn_Click();
    void CancelPathBtn_Click();

    // The drive that the drive list last changed to successfully.
    std::string mstrDrive;

private:
    // The open folder with a trailing backslash.
    std::string FolderText() const;
    // Back to the default: the current folder of the process.
    void ResetLists();
    // Opens the lists at a full path t (steps of the load); false when its
    // drive could not be reached.
    bool OpenAt(const std::string& t);
    void CloseForm();

    Context& c_;
};

}  // namespace tollervy
