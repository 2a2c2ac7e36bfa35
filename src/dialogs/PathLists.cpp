#include "dialogs/PathLists.h"

#include <algorithm>

#include "settings/Environment.h"
#include "settings/Settings.h"

namespace tollervy {

namespace {

// The marks of the folder list's rows: the open folder's ancestors, the open
// folder, its subfolders; one full-width space of indent per level.
constexpr const char* MarkAncestor = "▽ ";
constexpr const char* MarkOpen = "▼ ";
constexpr const char* MarkSubfolder = "▷ ";
constexpr const char* Indent = "　";

char Upper(char ch) { return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch; }

bool IsDriveLetter(char ch) {
    const char up = Upper(ch);
    return up >= 'A' && up <= 'Z';
}

// The order of the lists: ASCII letters without regard to case, then bytes.
bool NameBefore(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(Upper(a[i]));
        const auto y = static_cast<unsigned char>(Upper(b[i]));
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

std::string Indented(int level, const char* mark, const std::string& name) {
    std::string row;
    for (int i = 0; i < level; ++i) row += Indent;
    return row + mark + name;
}

}  // namespace

std::string FolderWithBackslash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\') return folder;
    return folder + "\\";
}

std::string NormalFolder(const std::string& path) {
    if (path.size() < 2 || !IsDriveLetter(path[0]) || path[1] != ':') return "";
    if (path.size() > 2 && path[2] != '\\') return "";
    std::string folder = path;
    while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    if (folder.size() == 2) folder += '\\';
    return folder;
}

ui::Font PathFont(const Context& c) {
    ui::Font font;
    font.charset = 128;
    font.face = option::UsesJapaneseFace(c.state.StartJapanese) ? "ＭＳ ゴシック" : "ＭＳ Ｐゴシック";
    return font;
}

// ---------------------------------------------------------------------------
// DriveList

DriveList::DriveList(Context& c, ui::ListBox& box) : c_(c), box_(box) {
    box_.OnClick = [this] {
        if (!quiet_ && Change) Change();
    };
}

void DriveList::Reset(const std::string& path) {
    std::vector<std::string> rows;
    for (const std::string& drive : c_.fs.Drives()) rows.push_back(drive.substr(0, 2) + "\\");
    quiet_ = true;
    box_.SetItems(std::move(rows));
    const int row = RowOf(path);
    box_.SetListIndex(row >= 0 ? row : 0);
    quiet_ = false;
}

std::string DriveList::Drive() const { return box_.List(box_.ListIndex()); }

int DriveList::RowOf(const std::string& path) const {
    if (path.empty()) return -1;
    for (int i = 0; i < box_.ListCount(); ++i)
        if (Upper(box_.List(i)[0]) == Upper(path[0])) return i;
    return -1;
}

bool DriveList::SetDrive(const std::string& path, bool raise) {
    const int row = RowOf(path);
    if (row < 0) return false;
    quiet_ = !raise;
    box_.SetListIndex(row);
    quiet_ = false;
    return true;
}

// ---------------------------------------------------------------------------
// FolderList

FolderList::FolderList(Context& c, ui::ListBox& box) : c_(c), box_(box) {
    box_.OnDblClick = [this] { OpenHighlighted(); };
}

bool FolderList::Reset(const std::string& path) { return Open(path, false); }

bool FolderList::SetPath(const std::string& path) { return Open(path, true); }

bool FolderList::Open(const std::string& path, bool raise) {
    const std::string folder = NormalFolder(path);
    if (folder.empty()) {
        error_ = "The path is not a full path: " + path;
        return false;
    }
    std::vector<platform::FileSystem::Entry> entries;
    if (!c_.fs.ListEntries(FolderWithBackslash(folder), platform::ListFolders, entries)) {
        error_ = c_.fs.LastErrorText();
        return false;
    }
    std::vector<std::string> subfolders;
    for (const auto& entry : entries)
        if ((entry.attributes & platform::AttrDirectory) != 0 && entry.name != "." && entry.name != "..")
            subfolders.push_back(entry.name);
    std::sort(subfolders.begin(), subfolders.end(), NameBefore);

    // The ancestors: the root, then each folder on the way down.
    std::vector<std::string> rows;
    std::vector<std::string> texts;
    std::string walked = folder.substr(0, 3);
    rows.push_back(walked);
    texts.push_back(Indented(0, folder.size() == 3 ? MarkOpen : MarkAncestor, walked));
    int level = 0;
    for (std::size_t start = 3; start < folder.size();) {
        std::size_t end = folder.find('\\', start);
        if (end == std::string::npos) end = folder.size();
        const std::string name = folder.substr(start, end - start);
        walked = JoinPath(walked, name);
        ++level;
        rows.push_back(walked);
        texts.push_back(Indented(level, end == folder.size() ? MarkOpen : MarkAncestor, name));
        start = end + 1;
    }
    const int openRow = static_cast<int>(rows.size()) - 1;
    for (const std::string& name : subfolders) {
        rows.push_back(JoinPath(folder, name));
        texts.push_back(Indented(level + 1, MarkSubfolder, name));
    }

    const bool changed = folder != path_;
    path_ = folder;
    rows_ = std::move(rows);
    openRow_ = openRow;
    error_.clear();
    // A single click only highlights: the list's click has nothing to do.
    box_.SetItems(std::move(texts));
    box_.SetListIndex(openRow_);
    if (raise && changed && Change) Change();
    return true;
}

std::string FolderList::HighlightedPath() const {
    const int row = box_.ListIndex();
    if (row < 0 || row >= static_cast<int>(rows_.size())) return "";
    return rows_[static_cast<std::size_t>(row)];
}

void FolderList::OpenHighlighted() {
    const std::string target = HighlightedPath();
    if (target.empty() || target == path_) return;
    if (!SetPath(target)) ShowMessage(c_, error_, StyleStop);
}

// ---------------------------------------------------------------------------
// FileList

FileList::FileList(Context& c, ui::ListBox& box) : c_(c), box_(box) {}

bool FileList::SetPath(const std::string& folder) {
    const std::string normal = NormalFolder(folder);
    if (normal.empty()) return false;
    std::vector<platform::FileSystem::Entry> entries;
    if (!c_.fs.ListEntries(FolderWithBackslash(normal), platform::ListFiles, entries)) return false;
    std::vector<std::string> names;
    for (const auto& entry : entries)
        if ((entry.attributes & platform::AttrDirectory) == 0) names.push_back(entry.name);
    std::sort(names.begin(), names.end(), NameBefore);
    path_ = normal;
    // The old selection goes with the old rows; the list's click reports it.
    box_.SetListIndex(-1);
    box_.SetItems(std::move(names));
    return true;
}

std::string FileList::FileName() const { return box_.List(box_.ListIndex()); }

bool FileList::SelectName(const std::string& name) {
    const auto& items = box_.Items();
    const auto it = std::find(items.begin(), items.end(), name);
    if (it == items.end()) return false;
    box_.SetListIndex(static_cast<int>(it - items.begin()));
    return true;
}

// ---------------------------------------------------------------------------

void FollowDriveChange(Context& c, DriveList& drives, FolderList& folders, std::string& iostrDrive) {
    if (folders.SetPath(drives.Drive())) {
        iostrDrive = drives.Drive();
        return;
    }
    ShowMessage(c, folders.ErrorText(), StyleStop);
    // Back to the last good drive. The folder list still shows that drive's
    // folder: going back must not move it to the drive's root.
    drives.SetDrive(iostrDrive, false);
}

}  // namespace tollervy
