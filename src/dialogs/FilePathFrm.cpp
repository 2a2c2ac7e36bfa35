#include "dialogs/FilePathFrm.h"

#include "engine/PathUtil.h"
#include "settings/Environment.h"
#include "ui/Forms.h"

namespace tollervy {

namespace {
constexpr int KeyEnter = 13;
constexpr int KeyEscape = 27;

// "X:\..." : a full path with a drive.
bool HasDriveRoot(const std::string& path) { return path.size() >= 3 && path.compare(1, 2, ":\\") == 0; }

char Upper(char ch) { return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch; }

// Both paths start with the same drive letter.
bool SameDrive(const std::string& a, const std::string& b) {
    return !a.empty() && !b.empty() && Upper(a[0]) == Upper(b[0]);
}
}  // namespace

FilePathFrm::FilePathFrm(Forms& forms)
    : ui::Form(forms.host, "FilePathFrm", TemplateFilePathFrm),
      PathDrive(*this, IdFilePathDrive, "PathDrive"),
      PathDir(*this, IdFilePathDir, "PathDir"),
      PathFile(*this, IdFilePathFile, "PathFile"),
      PathDirFile(*this, IdFilePathDirFile, "PathDirFile"),
      SelectPathBtn(*this, IdFileSelectPathBtn, "SelectPathBtn"),
      CancelPathBtn(*this, IdFileCancelPathBtn, "CancelPathBtn"),
      Drives(forms.context, PathDrive),
      Folders(forms.context, PathDir),
      Files(forms.context, PathFile),
      c_(forms.context) {
    SetCaption("ファイルの選択");
    SelectPathBtn.SetCaption("選択");
    CancelPathBtn.SetCaption("キャンセル");
    Drives.Change = [this] { PathDrive_Change(); };
    Folders.Change = [this] { PathDir_Change(); };
    PathFile.OnClick = [this] { PathFile_Click(); };
    PathFile.OnDblClick = [this] { PathFile_DblClick(); };
    SelectPathBtn.OnClick = [this] { SelectPathBtn_Click(); };
    CancelPathBtn.OnClick = [this] { CancelPathBtn_Click(); };
}

std::string FilePathFrm::FolderText() const { return FolderWithBackslash(Folders.Path()); }

void FilePathFrm::ResetLists() {
    const std::string current = c_.system.CurrentFolder();
    Drives.Reset(current);
    if (!Folders.Reset(current)) Folders.Reset(Drives.Drive());
    Files.SetPath(Folders.Path());
}

void FilePathFrm::Form_Load() {
    const ui::Font font = PathFont(c_);
    PathDrive.SetFont(font);
    PathDir.SetFont(font);
    PathFile.SetFont(font);
    PathDirFile.SetFont(font);

    // Each load starts where the lists start: the current folder.
    ResetLists();
    // The drive to go back to when the start's drive cannot be opened.
    mstrDrive = Drives.Drive();

    PathDirFile.SetCaption("");
    const std::string t = c_.state.FilePathTarget ? c_.state.FilePathTarget->Text() : std::string();
    // A start that opens nothing particular shows the folder the lists show,
    // so that Select hands back what is on screen, never an empty path.
    if (t.empty() || !HasDriveRoot(t) || !OpenAt(t)) PathDirFile.SetCaption(FolderText());
    mstrDrive = Drives.Drive();
    // A file is what the person came to pick.
    PathFile.SetFocus();
}

bool FilePathFrm::OpenAt(const std::string& t) {
    // A drive that is missing, or that could not be opened (the drive list
    // went back with a message), ends the start here.
    if (!Drives.SetDrive(t.substr(0, 3))) return false;
    if (!SameDrive(Drives.Drive(), t)) return false;

    std::string folder, name;
    SplitPath(c_, t, folder, name, false);
    bool listed = false;
    if (!folder.empty()) {
        Folders.SetPath(folder);  // a folder that cannot be opened is passed by
        listed = Files.SetPath(folder);
    }
    // Only a file of that folder may be selected, never a namesake elsewhere.
    if (!name.empty() && listed) Files.SelectName(name);
    PathDirFile.SetCaption(t);
    return true;
}

bool FilePathFrm::Form_KeyDown(int virtualKey) {
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

void FilePathFrm::PathDrive_Change() { FollowDriveChange(c_, Drives, Folders, mstrDrive); }

void FilePathFrm::PathDir_Change() {
    Files.SetPath(Folders.Path());
    PathDirFile.SetCaption(FolderText());
}

void FilePathFrm::PathFile_Click() {
    if (PathFile.ListIndex() < 0) PathDirFile.SetCaption(FolderText());
    else PathDirFile.SetCaption(JoinPath(Files.Path(), Files.FileName()));
}

void FilePathFrm::PathFile_DblClick() { SelectPathBtn_Click(); }

void FilePathFrm::SelectPathBtn_Click() {
    if (c_.state.FilePathTarget) c_.state.FilePathTarget->SetText(PathDirFile.Caption());
    CloseForm();
}

void FilePathFrm::CancelPathBtn_Click() { CloseForm(); }

void FilePathFrm::CloseForm() {
    Hide();
    Unload();
}

}  // namespace tollervy
