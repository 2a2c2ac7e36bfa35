// The file list page of the settings dialog (tab "ファイル"): the files,
// folders and patterns each user keeps a copy of.
//
// Rows added or removed on the page are pending until the dialog saves;
// ApplyFileList then takes the registration copy ("All Users") of each new
// path, disposes of the stored copies of each path that left the list, and
// rewrites [File].
#pragma once
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/Controls.h"
#include "ui/Form.h"

namespace tollervy {

class LervIni;
class InPlaceRecord;

// For each [File] line's path, in order, the row of the list that keeps the
// line: the first row showing that path that no earlier line took, or -1
// when none is left (the line leaves [File]). `rows` is any indexed list of
// the rows' texts (size() and []); each row is read once, however long the
// section and the list are.
template <class Rows>
std::vector<int> KeptRows(const std::vector<std::string>& linePaths, const Rows& rows) {
    std::unordered_map<std::string, std::deque<int>> rowsOfPath;
    for (std::size_t r = 0; r < rows.size(); ++r) rowsOfPath[rows[r]].push_back(static_cast<int>(r));
    std::vector<int> kept(linePaths.size(), -1);
    for (std::size_t i = 0; i < linePaths.size(); ++i) {
        const auto found = rowsOfPath.find(linePaths[i]);
        if (found == rowsOfPath.end() || found->second.empty()) continue;
        kept[i] = found->second.front();
        found->second.pop_front();
    }
    return kept;
}

enum FileListPageIds : int {
    IdFrameFileList = 600,
    IdFileList = 601,
    IdFilePath = 602,
    IdFilePathGetButton = 603,
    IdFileAdd = 604,
    IdFileDelete = 605,
};

class FileListPage {
public:
    FileListPage(ui::Form& form, LervIni& dialog);

    ui::Frame FrameFileList;
    ui::ListBox FileList;
    ui::TextBox FilePath;
    ui::CommandButton FilePathGetButton;
    ui::CommandButton FileAdd;
    ui::CommandButton FileDelete;

    // Fills the page from [File] when the dialog loads.
    void LoadFileList();
    // Applies the pending list to the data store and [File]; true on
    // success. The last step of every save.
    bool ApplyFileList();

    // Checks one path and appends it to the list when it passes; shows the
    // reason otherwise.
    void AddFileListPath(const std::string& path);
    // Checks a typed registry key (HKEY_CURRENT_USER\... or HKCU\...) and
    // appends it in its one form when it passes; shows the reason otherwise.
    void AddRegistryKey(const std::string& typed);
    // True (after its message) when the path contains, or is contained in,
    // a row of the list, without regard to case.
    bool CheckFileListDuplicate(const std::string& path);

    void FileAdd_Click();
    void FileDelete_Click();
    void FileList_Click();
    void FileList_OLEDragDrop(const std::vector<std::string>& paths);
    void FilePath_Change();
    void FilePath_OLEDragDrop(const std::vector<std::string>& paths);
    void FilePathGetButton_Click();

private:
    // Steps of ApplyFileList before its closing reload; true on success.
    bool ApplyPendingList();
    // Disposes of line i of n, whose path left the list.
    bool RemoveListedLine(InPlaceRecord& record, const std::string& line, std::size_t i, std::size_t n);
    // The next key number above `number` that, after `prefix` ("F" or "R"),
    // no line of `lines` (nor of [File] and [Registry] as stored) uses and
    // under which no user folder holds a copy. False when the data store
    // cannot be looked through.
    bool NextFreeKey(long& number, const std::vector<std::string>& lines, const std::string& prefix);
    // The copy to keep in place for a removed path: asked or configured.
    std::string RemovedPathOwner(const std::string& path);

    LervIni& dialog_;
};

// The number of a key written as "F" and a decimal number without leading
// zeros (F1, F2, ...); -1 for any other key.
long FileKeyNumber(const std::string& key);

}  // namespace tollervy
