#include "dialogs/DirPathFrm.h"

#include "settings/Environment.h"
#include "ui/Forms.h"

namespace tollervy {

namespace {
constexpr int KeyEnter = 13;
constexpr int KeyEscape = 27;

char Upper(char ch) { return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch; }
}  // namespace

DirPathFrm::DirPathFrm(Forms& forms)
    : ui::Form(forms.host, "DirPathFrm", TemplateDirPathFrm),
      PathDrive(*this, IdDirPathDrive, "PathDrive"),
      PathDir(*this, IdDirPathDir, "PathDir"),
      SelectPathBtn(*this, IdDirSelectPathBtn, "SelectPathBtn"),
      CancelPathBtn(*this, IdDirCancelPathBtn, "CancelPathBtn"),
      Drives(forms.context, PathDrive),
      Folders(forms.context, PathDir),
      c_(forms.context) {
    SetCaption("フォルダの選択");
    SelectPathBtn.SetCaption("選択");
    CancelPathBtn.SetCaption("キャンセル");
    Drives.Change = [this] { PathDrive_Change(); };
    Folders.Change = [this] { PathDir_Change(); };
    SelectPathBtn.OnClick = [this] { SelectPathBtn_Click(); };
    CancelPathBtn.OnClick = [this] { CancelPathBtn_Click(); };
}

void DirPathFrm::Form_Load() {
    const ui::Font font = PathFont(c_);
    PathDrive.SetFont(font);
    PathDir.SetFont(font);

    // Each load starts where the lists start: the current folder, with no
    // folder set yet.
    const std::string current = c_.system.CurrentFolder();
    Drives.Reset(current);
    if (!Folders.Reset(current)) Folders.Reset(Drives.Drive());
    mstrDrive = Drives.Drive();
    mstrPath.clear();

    // The current user's Start-up folder, whatever the target box holds.
    const std::string s = GetSpecialFolderPath(c_, platform::CsidlStartup);
    if (s.size() >= 3 && s.compare(1, 2, ":\\") == 0 && Drives.SetDrive(s.substr(0, 3)) &&
        Upper(Drives.Drive()[0]) == Upper(s[0])) {
        // A folder that cannot be opened is still kept: Select then refuses
        // until the user opens another folder.
        mstrPath = Folders.SetPath(s) ? Folders.Path() : s;
    }
    mstrDrive = Drives.Drive();
    // A folder is what the person came to pick.
    PathDir.SetFocus();
}

bool DirPathFrm::Form_KeyDown(int virtualKey) {
    if (virtualKey == KeyEnter) {
        SelectPathBtn_Click();
        return true;
    }
    if (virtualKey == KeyEscape) {
        CancelPathBtn_Click();
        return true;
    }
    return false;
}

void DirPathFrm::PathDrive_Change() { FollowDriveChange(c_, Drives, Folders, mstrDrive); }

void DirPathFrm::PathDir_Change() { mstrPath = Folders.Path(); }

void DirPathFrm::SelectPathBtn_Click() {
    const std::string path = Folders.Path();
    if (path != mstrPath) {
        ShowMessage(c_, std::string(PathCannotBeSetMessage) + "\r\n\r\n" + path, StyleStop);
        return;
    }
    if (c_.state.DirPathTarget) c_.state.DirPathTarget->SetText(path);
    CloseForm();
}

void DirPathFrm::CancelPathBtn_Click() { CloseForm(); }

void DirPathFrm::CloseForm() {
    Hide();
    Unload();
}

}  // namespace tollervy
