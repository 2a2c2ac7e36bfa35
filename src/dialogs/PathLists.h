// The drive, folder and file lists of the two pickers, behaving as the
// ordinary Windows drive, folder and file list controls do, on list boxes of
// the form model:
//   - the drive list shows every drive by its root ("C:\");
//   - the folder list shows the open folder's ancestors from the drive root
//     down, the open folder itself (marked and highlighted) and its
//     subfolders, each indented by its depth; a click only highlights a row,
//     a double click opens it;
//   - the file list shows the plain files of its folder (no hidden or system
//     file), sorted as the folder list is.
// Paths are kept without a trailing backslash, except a drive root ("C:\").
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "settings/Context.h"
#include "ui/Controls.h"

namespace tollervy {

// The folder followed by one "\" unless it already ends with one ("C:\").
std::string FolderWithBackslash(const std::string& folder);
// "C:" and "C:\" give "C:\"; trailing backslashes go; "" for a path that
// does not start with a drive letter and ":".
std::string NormalFolder(const std::string& path);

class DriveList {
public:
    DriveList(Context& c, ui::ListBox& box);
    // Fills the rows with the drives and selects the drive of `path` (the
    // first drive when none matches), without raising Change.
    void Reset(const std::string& path);
    // The selected drive's root ("C:\"); "" when none is selected.
    std::string Drive() const;
    // Selects the drive that `path` begins with (its letter, in either
    // case); Change runs when that is another row, unless `raise` is false.
    // False when there is no such drive.
    bool SetDrive(const std::string& path, bool raise = true);
    // Another drive was chosen (by the user or by SetDrive).
    std::function<void()> Change;

private:
    int RowOf(const std::string& path) const;
    Context& c_;
    ui::ListBox& box_;
    bool quiet_ = false;
};

class FolderList {
public:
    FolderList(Context& c, ui::ListBox& box);
    // Opens `path` without raising Change; false when it cannot be listed.
    bool Reset(const std::string& path);
    // The open folder ("" before the first open).
    const std::string& Path() const { return path_; }
    // Opens a folder (a drive "D:" opens its root): the rows are rebuilt and
    // Change runs when the open folder is another one. False when it cannot
    // be listed; then the rows and the path stay as they were and ErrorText
    // tells why, as the platform puts it.
    bool SetPath(const std::string& path);
    const std::string& ErrorText() const { return error_; }
    // The folder of each row, and the row of the open folder.
    const std::vector<std::string>& RowPaths() const { return rows_; }
    int OpenRow() const { return openRow_; }
    // The folder of the highlighted row ("" when none is).
    std::string HighlightedPath() const;
    // The open folder changed.
    std::function<void()> Change;

private:
    bool Open(const std::string& path, bool raise);
    // A double click: opens the highlighted folder, or says why it cannot.
    void OpenHighlighted();
    Context& c_;
    ui::ListBox& box_;
    std::string path_;
    std::string error_;
    std::vector<std::string> rows_;
    int openRow_ = -1;
};

class FileList {
public:
    FileList(Context& c, ui::ListBox& box);
    // Lists the plain files of `folder`; no file is selected afterwards.
    // False when the folder cannot be listed; the rows and the path then
    // stay as they were.
    bool SetPath(const std::string& folder);
    const std::string& Path() const { return path_; }
    // The name of the selected file ("" when none is).
    std::string FileName() const;
    // Selects the first row that equals `name` exactly; false when none does.
    bool SelectName(const std::string& name);

private:
    Context& c_;
    ui::ListBox& box_;
    std::string path_;
};

// What the drive list's Change does in both pickers: opens the chosen drive
// in the folder list and remembers it in `iostrDrive`; when it cannot be
// opened, shows the platform's reason and goes back to `iostrDrive`, the
// folder and file lists staying where they were.
void FollowDriveChange(Context& c, DriveList& drives, FolderList& folders, std::string& iostrDrive);

// The font of the controls that show paths: Shift-JIS, and the face of the
// Japanese-path option.
ui::Font PathFont(const Context& c);

}  // namespace tollervy
