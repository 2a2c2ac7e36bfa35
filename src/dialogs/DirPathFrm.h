// DirPathFrm: the folder picker of the start-up page. It opens at the
// current user's Start-up folder; Select writes the open folder into the box
// that DirPathTarget names, Cancel leaves the box alone, and either unloads
// the picker.
#pragma once
#include <string>

#include "dialogs/PathLists.h"
#include "settings/Context.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace tollervy {

class Forms;

// Control ids of the folder picker's template.
enum DirPathFrmIds : int {
    IdDirPathDrive = 1101,
    IdDirPathDir = 1102,
    IdDirSelectPathBtn = 1103,
    IdDirCancelPathBtn = 1104,
};

// Refused by Select while the open folder is not the one last opened (a
// Start-up folder that does not exist); the open folder follows.
inline constexpr const char* PathCannotBeSetMessage = "このパスを設定することはできません";

class DirPathFrm : public ui::Form {
public:
    explicit DirPathFrm(Forms& forms);

    ui::ListBox PathDrive;   // drop-down drive list
    ui::ListBox PathDir;     // folder list
    ui::CommandButton SelectPathBtn;
    ui::CommandButton CancelPathBtn;

    DriveList Drives;
    FolderList Folders;

    void Form_Load() override;
    bool Form_KeyDown(int virtualKey) override;
    void PathDrive_Change();
    void PathDir_Change();
    void SelectPathBtn_Click();
    void CancelPathBtn_Click();

    // The drive that the drive list last changed to successfully.
    std::string mstrDrive;
    // The folder last set in the folder list, by the load or by its Change.
    std::string mstrPath;

private:
    void CloseForm();

    Context& c_;
};

}  // namespace tollervy
