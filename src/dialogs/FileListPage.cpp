#include "dialogs/FileListPage.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "dialogs/FilePathFrm.h"
#include "dialogs/FormDelete.h"
#include "dialogs/LervIni.h"
#include "engine/EngineText.h"
#include "engine/InPlaceRecord.h"
#include "engine/PathUtil.h"
#include "engine/SaveRestore.h"
#include "engine/SharedStore.h"
#include "engine/StoreNames.h"
#include "settings/Environment.h"
#include "settings/RegistryKeys.h"
#include "settings/Settings.h"
#include "ui/Forms.h"

namespace tollervy {

namespace {

constexpr const char* AllUsers = "All Users";
// OK and Cancel, question icon, system modal.
constexpr unsigned StyleOkCancelQuestion = 4129;

constexpr const char* InvalidPath = "パスの指定が不正です。\r\n確認してください";
constexpr const char* PathNotAllowed = "このパスを設定することはできません";
constexpr const char* SamePathListed = "同じパスがすでに設定されています";
constexpr const char* RemoveQuestion = "を\r\nリストから削除しますか?";
constexpr const char* PhaseSavingCurrent = "現在の情報を保存中";
constexpr const char* KeyOutsideUser = "HKEY_CURRENT_USER の下のキーだけを設定できます";
constexpr const char* KeyProtected =
    "このキーを設定することはできません\r\nWindows の動作に必要なキーか、それを含むキーです";
constexpr const char* KeyNotFound = "キーが見つかりません。\r\n確認してください";
constexpr const char* SavingCurrentFailed = "現在のデータの保存に失敗しました";

// Keys are numbered up to here; a list never comes near it.
constexpr long HighestKeyNumber = 99999999;
// Windows error numbers of a path that does not exist.
constexpr std::uint32_t FileNotFound = 2;
constexpr std::uint32_t PathNotFound = 3;

// The key (before the first "=") and the path (after it) of a [File] line.
// A line without "=" has no key; its path is the whole line, as the list
// shows it.
void SplitLine(const std::string& line, std::string& key, std::string& path) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) {
        key.clear();
        path = line;
        return;
    }
    key = line.substr(0, eq);
    path = line.substr(eq + 1);
}

std::string PathOfLine(const std::string& line) {
    std::string key, path;
    SplitLine(line, key, path);
    return path;
}

// The list's lines: [File]'s, then [Registry]'s.
void ReadListedLines(Context& c, std::vector<std::string>& lines) {
    ReadIniSection(c, keys::FileSection, lines);
    std::vector<std::string> registry;
    ReadRegistryLines(c, registry);
    lines.insert(lines.end(), registry.begin(), registry.end());
}

// The section a line lives in: [Registry] for its "R" keys.
const char* SectionOf(const std::string& key) {
    return RegistryKeyNumber(key) >= 0 ? keys::RegistrySection : keys::FileSection;
}

char AsciiLower(char ch) { return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch; }

std::string AsciiLowered(std::string text) {
    for (char& ch : text) ch = AsciiLower(ch);
    return text;
}

// `part` occurs in `whole`, letters compared without regard to case. Both
// are UTF-8, so a match never starts inside a character.
bool ContainsNoCase(const std::string& whole, const std::string& part) {
    return AsciiLowered(whole).find(AsciiLowered(part)) != std::string::npos;
}

bool EqualsNoCase(const std::string& a, const std::string& b) { return AsciiLowered(a) == AsciiLowered(b); }

// The band of item i of n inside [base, base + 50], each end to the nearest
// whole number, halves to even.
void SetProgressBand(GrobalMod& s, std::size_t i, std::size_t n, int base) {
    if (n == 0) return;
    const double from = static_cast<double>(i) / static_cast<double>(n) * 50.0 + base;
    const double to = static_cast<double>(i + 1) / static_cast<double>(n) * 50.0 + base;
    s.ProgressStart = static_cast<std::int16_t>(std::nearbyint(from));
    s.ProgressEnd = static_cast<std::int16_t>(std::nearbyint(to));
}

void ShowRecordUnwritable(Context& c) {
    ShowMessage(c, std::string(engine_text::NoWritePermission) + "\r\n\r\n" + InPlaceRecord::Path(c), StyleStop);
}

}  // namespace

long FileKeyNumber(const std::string& key) {
    if (key.size() < 2 || key.size() > 9 || key[0] != 'F' || key[1] == '0') return -1;
    long number = 0;
    for (std::size_t i = 1; i < key.size(); ++i) {
        if (key[i] < '0' || key[i] > '9') return -1;
        number = number * 10 + (key[i] - '0');
    }
    return number;
}

FileListPage::FileListPage(ui::Form& form, LervIni& dialog)
    : FrameFileList(form, IdFrameFileList, "FrameFileList"),
      FileList(form, IdFileList, "FileList"),
      FilePath(form, IdFilePath, "FilePath"),
      FilePathGetButton(form, IdFilePathGetButton, "FilePathGetButton"),
      FileAdd(form, IdFileAdd, "FileAdd"),
      FileDelete(form, IdFileDelete, "FileDelete"),
      dialog_(dialog) {
    for (ui::Control* c : {static_cast<ui::Control*>(&FileList), static_cast<ui::Control*>(&FilePath),
                           static_cast<ui::Control*>(&FilePathGetButton), static_cast<ui::Control*>(&FileAdd),
                           static_cast<ui::Control*>(&FileDelete)})
        FrameFileList.Contain(*c);
    FileList.SetToolTipText("ユーザ毎に使い分けるファイルのリストです");
    FilePath.SetToolTipText("上のファイルリストに追加・削除するファイルのパスを設定します");
    FilePathGetButton.SetCaption("...");
    FilePathGetButton.SetToolTipText("ファイルのパスを選択します");
    FileAdd.SetCaption("追加");
    FileAdd.SetToolTipText("ファイルのパスをファイルのリストに追加します");
    FileAdd.SetEnabled(false);
    FileDelete.SetCaption("削除");
    FileDelete.SetToolTipText("選択されているファイルのパスをリストから削除します");
    FileDelete.SetEnabled(false);

    FileList.OnClick = [this] { FileList_Click(); };
    FileList.OnDropFiles = [this](const std::vector<std::string>& paths) { FileList_OLEDragDrop(paths); };
    FilePath.Change = [this] { FilePath_Change(); };
    FilePath.OnDropFiles = [this](const std::vector<std::string>& paths) { FilePath_OLEDragDrop(paths); };
    FilePathGetButton.OnClick = [this] { FilePathGetButton_Click(); };
    FileAdd.OnClick = [this] { FileAdd_Click(); };
    FileDelete.OnClick = [this] { FileDelete_Click(); };
}

void FileListPage::LoadFileList() {
    Context& c = dialog_.context();
    ReadListedLines(c, c.state.FileSectionLines);
    FileList.Clear();
    for (const auto& line : c.state.FileSectionLines) FileList.AddItem(PathOfLine(line));
    // An opening starts with an empty path box and nothing to add or remove.
    FilePath.SetText("");
    FileAdd.SetEnabled(false);
    FileDelete.SetEnabled(false);
}

// --- Adding and removing rows ------------------------------------------------

void FileListPage::AddFileListPath(const std::string& path) {
    if (path.empty()) return;
    Context& c = dialog_.context();
    if (LooksLikeRegistryKey(path)) {
        AddRegistryKey(path);
        return;
    }

    std::string folder, name;
    SplitPath(c, path, folder, name, false);
    if (name.find('?') != std::string::npos) {
        ShowMessage(c, std::string(InvalidPath) + "\r\n\r\n" + path, StyleStop);
        return;
    }

    // [File] keeps the path in the system code page: a character it lacks
    // would come back as "?" and name another path.
    if (!FitsAnsiCodePage(c, path)) {
        ShowMessage(c, OutsideCodePageMessage(path), StyleStop);
        return;
    }

    // A folder is listed with exactly one final backslash, however many it
    // was typed with.
    std::string normalised = path;
    while (normalised.size() > 3 && normalised.back() == '\\' && normalised[normalised.size() - 2] == '\\')
        normalised.pop_back();
    if (!CheckPathExists(c, normalised)) {
        ShowMessage(c, std::string(InvalidPath) + "\r\n\r\n" + path, StyleStop);
        return;
    }

    // The program's folder holds the settings file and the data store: no
    // path in it, nor one written so that it only reaches it through "." or
    // ".." segments or "/" separators, may be listed.
    const std::string programFolder = WithoutTrailingBackslash(c.system.ProgramFolder());
    if (ContainsNoCase(normalised, programFolder) || ContainsNoCase(CanonicalPath(normalised), programFolder)) {
        ShowMessage(c, std::string(PathNotAllowed) + "\r\n\r\n" + normalised, StyleStop);
        return;
    }

    if (CheckFileListDuplicate(normalised)) return;
    FileList.AddItem(normalised);
}

void FileListPage::AddRegistryKey(const std::string& typed) {
    Context& c = dialog_.context();
    std::string key;
    const char* refusal = nullptr;
    switch (CheckRegistryKey(typed, key)) {
        case RegistryKeyCheck::Listable: break;
        case RegistryKeyCheck::Malformed: refusal = InvalidPath; break;
        case RegistryKeyCheck::OutsideUser: refusal = KeyOutsideUser; break;
        case RegistryKeyCheck::Protected: refusal = KeyProtected; break;
    }
    if (refusal) {
        ShowMessage(c, std::string(refusal) + "\r\n\r\n" + (key.empty() ? typed : key), StyleStop);
        return;
    }
    if (!FitsAnsiCodePage(c, key)) {
        ShowMessage(c, OutsideCodePageMessage(key), StyleStop);
        return;
    }
    bool exists = false;
    if (!c.registry || !c.registry->KeyExists(KeyBelowUser(key), exists) || !exists) {
        ShowMessage(c, std::string(KeyNotFound) + "\r\n\r\n" + key, StyleStop);
        return;
    }
    if (CheckFileListDuplicate(key)) return;
    FileList.AddItem(key);
}

bool FileListPage::CheckFileListDuplicate(const std::string& path) {
    for (int i = 0; i < FileList.ListCount(); ++i) {
        const std::string& row = FileList.List(i);
        if (ContainsNoCase(path, row) || ContainsNoCase(row, path)) {
            ShowMessage(dialog_.context(), std::string(SamePathListed) + "\r\n\r\n" + row, StyleStop);
            return true;
        }
    }
    return false;
}

void FileListPage::FileAdd_Click() { AddFileListPath(FilePath.Text()); }

void FileListPage::FileDelete_Click() {
    // "削除" is enabled whenever the path box is empty; with no row selected
    // there is nothing to remove.
    const int index = FileList.ListIndex();
    if (index < 0) return;
    Context& c = dialog_.context();
    const int answer = c.messages.Show(FileList.List(index) + RemoveQuestion, ProgramTitle, StyleOkCancelQuestion);
    if (answer != platform::AnswerOK) return;
    FileList.RemoveItem(index);
    if (index < FileList.ListCount()) {
        FileList.SetListIndex(index);
    } else {
        FilePath.SetText("");
        FileDelete.SetEnabled(false);
    }
}

void FileListPage::FileList_Click() {
    const int index = FileList.ListIndex();
    if (index < 0) {
        FileDelete.SetEnabled(false);
        return;
    }
    FilePath.SetText(FileList.List(index));
    FileAdd.SetEnabled(false);
    FileDelete.SetEnabled(true);
}

void FileListPage::FilePath_Change() {
    const bool empty = FilePath.Text().empty();
    FileAdd.SetEnabled(!empty);
    FileDelete.SetEnabled(empty);
}

void FileListPage::FileList_OLEDragDrop(const std::vector<std::string>& paths) {
    for (const auto& path : paths) AddFileListPath(path);
    FilePath.SetText("");
}

void FileListPage::FilePath_OLEDragDrop(const std::vector<std::string>& paths) {
    if (!paths.empty()) FilePath.SetText(paths.front());
}

void FileListPage::FilePathGetButton_Click() {
    FileList.SetListIndex(-1);
    FileDelete.SetEnabled(false);
    dialog_.context().state.FilePathTarget = &FilePath;
    dialog_.forms().FilePathFrm().ShowModal();
}

// --- Applying the list -----------------------------------------------------

bool FileListPage::ApplyFileList() {
    Context& c = dialog_.context();
    GrobalMod& s = c.state;
    ui::Form& main = dialog_.forms().MainWindow();
    StatusDisplay* previousStatus = c.status;
    c.status = &dialog_.forms().MainStatus();
    if (option::ShowsStatusWindow(s.StartStatus)) {
        main.Move((c.system.ScreenWidth() - main.Width()) / 2, (c.system.ScreenHeight() - main.Height()) / 2);
        c.status->SetBar(0);
    }

    const bool ok = ApplyPendingList();

    if (option::ShowsStatusWindow(s.StartStatus)) {
        main.Hide();
        main.Move(c.system.ScreenWidth(), main.Top());
    }
    c.status = previousStatus;
    // The list shows [File] and [Registry] as stored, whatever happened.
    ReadListedLines(c, s.FileSectionLines);
    FileList.Clear();
    for (const auto& line : s.FileSectionLines) FileList.AddItem(PathOfLine(line));
    return ok;
}

bool FileListPage::ApplyPendingList() {
    Context& c = dialog_.context();
    GrobalMod& s = c.state;
    std::vector<std::string> lines = s.FileSectionLines;
    const int rows = FileList.ListCount();
    std::vector<bool> matched(static_cast<std::size_t>(rows), false);

    // Whose copy each item holds in place: keys that leave the list leave
    // it, new keys hold the copy of the user the dialog runs for.
    InPlaceRecord record;
    record.Load(c);

    if (rows == 0) {
        for (const auto& line : lines) {
            std::string key, path;
            SplitLine(line, key, path);
            if (!key.empty()) DeleteIniKey(c, SectionOf(key), key);
        }
    }

    // Removals first: a key freed here may be given again below, once its
    // stored copies are gone.
    std::vector<std::string> linePaths;
    linePaths.reserve(lines.size());
    for (const auto& line : lines) linePaths.push_back(PathOfLine(line));
    const std::vector<int> rowOfLine = KeptRows(linePaths, FileList.Items());
    std::vector<bool> removed(lines.size(), false);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (rowOfLine[i] >= 0) {
            matched[static_cast<std::size_t>(rowOfLine[i])] = true;
            continue;
        }
        if (!RemoveListedLine(record, lines[i], i, lines.size())) {
            s.FileSectionLines = lines;
            return false;
        }
        removed[i] = true;
    }

    std::vector<std::string> kept;
    if (rows > 0)
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (!removed[i]) kept.push_back(lines[i]);
    lines = kept;
    s.FileSectionLines = lines;

    long number = 0, registryNumber = 0;
    for (const auto& line : lines) {
        std::string key, path;
        SplitLine(line, key, path);
        number = std::max(number, FileKeyNumber(key));
        registryNumber = std::max(registryNumber, RegistryKeyNumber(key));
    }

    std::size_t added = 0;
    for (int r = 0; r < rows; ++r)
        if (!matched[static_cast<std::size_t>(r)]) ++added;

    const std::string allUsersFolder = JoinPath(PeopleFolder(c), AllUsers);
    std::string owner = s.CurrentUserName.empty() ? std::string(AllUsers) : s.CurrentUserName;
    std::size_t j = 0;
    for (int r = 0; r < rows; ++r) {
        if (matched[static_cast<std::size_t>(r)]) continue;
        const std::string path = FileList.List(r);
        // A registry key is listed in [Registry] under "R" keys.
        const bool registry = LooksLikeRegistryKey(path);
        long& next = registry ? registryNumber : number;
        const std::string prefix = registry ? "R" : "F";
        if (!NextFreeKey(next, lines, prefix)) return false;
        const std::string key = prefix + std::to_string(next);
        const std::string line = key + "=" + path;
        lines.push_back(line);
        s.FileSectionLines = lines;

        ShowStatus(c, PhaseSavingCurrent, true);
        if (option::ShowsStatusWindow(s.StartStatus)) SetProgressBand(s, j, added, 50);
        ++j;

        std::string probe = allUsersFolder;
        if (!CheckPathExists(c, probe)) c.fs.CreateFolder(allUsersFolder);

        // The copy in place is the current user's from now on; recorded
        // before the key is written, so that the next switch never saves it
        // as anybody else's.
        if (!record.Set(c, key, owner)) {
            ShowRecordUnwritable(c);
            record.Set(c, key, "");
            return false;
        }
        // A copy that fails half-way (a full disk) is named with Windows'
        // reason; the path is not listed.
        ItemHooks hooks;
        hooks.afterChange = [&](const ItemStep& step, bool succeeded) {
            if (!succeeded)
                ShowMessage(c, std::string(SavingCurrentFailed) + "\r\n" + path +
                                   (step.reason.empty() ? "" : "\r\n" + step.reason), StyleStop);
        };
        if (!SaveFileEntry(c, allUsersFolder, line, &hooks) || !WriteIniValue(c, SectionOf(key), key, path)) {
            // Nothing may stay under a key that was not given: the next
            // path to get it would be handed this copy. Whatever lies there
            // now was written by this save alone.
            PurgeEntryData(c, line);
            record.Set(c, key, "");
            return false;
        }
    }
    return true;
}

bool FileListPage::RemoveListedLine(InPlaceRecord& record, const std::string& line, std::size_t i, std::size_t n) {
    Context& c = dialog_.context();
    GrobalMod& s = c.state;
    std::string key, path;
    SplitLine(line, key, path);
    // A line edited by hand that names no stored copy (no "=", or a key that
    // cannot be a store folder) cannot be disposed of: it stays in [File]
    // and the person is told which line it is.
    if (!IsStoreKeyName(key)) {
        ShowMessage(c, std::string(engine_text::FileSettingWrong) + "\r\n\r\n" + line, StyleStop);
        return false;
    }

    const std::string user = RemovedPathOwner(path);
    if (user != s.CurrentUserName) {
        ShowStatus(c, user + engine_text::PhaseRestoringSuffix, true);
        if (option::ShowsStatusWindow(s.StartStatus)) SetProgressBand(s, i, n, 0);
        // While the copy is put in place the item holds nobody's; after it,
        // the chosen user's.
        ItemHooks hooks;
        hooks.beforeChange = [&](const ItemStep&) {
            if (record.Set(c, key, BeingOverwritten)) return true;
            ShowRecordUnwritable(c);
            return false;
        };
        hooks.afterChange = [&](const ItemStep&, bool succeeded) {
            if (succeeded) record.Set(c, key, user);
        };
        if (!RestoreFileEntry(c, JoinPath(PeopleFolder(c), user), line, &hooks)) return false;
    }
    // A purge that stops half-way has taken some users' copies (perhaps
    // the registration copy) and left others: kept in the list, the item
    // would fail every later switch of those users. It leaves the list all
    // the same, holding the chosen copy in place; what is left of its copies
    // is never given to another path (see NextFreeKey). The save fails.
    const bool purged = PurgeEntryData(c, line);
    DeleteIniKey(c, SectionOf(key), key);
    // A key still in its section keeps its item: the copy in place stays recorded.
    if (ReadIniValue(c, SectionOf(key), key, "\x01") != "\x01") return false;
    if (!record.Set(c, key, "")) ShowRecordUnwritable(c);
    return purged;
}

std::string FileListPage::RemovedPathOwner(const std::string& path) {
    Context& c = dialog_.context();
    GrobalMod& s = c.state;
    if (!option::SkipsRemovalQuestion(s.DeleteCheck)) {
        s.RemovedFilePath = path;
        // Whatever way the dialog closes, the answer is one of the two.
        s.RemovedFileDataUser = s.CurrentUserName;
        dialog_.forms().FormDelete().ShowModal();
        if (s.RemovedFileDataUser != AllUsers) s.RemovedFileDataUser = s.CurrentUserName;
    } else {
        s.RemovedFileDataUser = option::KeepsRegistrationCopy(s.DeleteType) ? std::string(AllUsers) : s.CurrentUserName;
    }
    return s.RemovedFileDataUser;
}

bool FileListPage::NextFreeKey(long& number, const std::vector<std::string>& lines, const std::string& prefix) {
    Context& c = dialog_.context();
    std::vector<std::string> keysInUse;
    std::vector<std::string> stored;
    ReadListedLines(c, stored);
    for (const std::vector<std::string>* list : std::initializer_list<const std::vector<std::string>*>{&lines, &stored})
        for (const auto& line : *list) {
            std::string key, path;
            SplitLine(line, key, path);
            keysInUse.push_back(key);
        }

    // The user folders of the data store.
    const std::string root = WithTrailingBackslash(PeopleFolder(c));
    std::vector<std::string> names;
    std::vector<std::string> userFolders;
    if (c.fs.List(root, platform::ListFolders, names)) {
        for (const auto& name : names) {
            if (name == "." || name == "..") continue;
            if (IsDirectory(c, root + name)) userFolders.push_back(root + name);
        }
    } else {
        std::uint32_t attributes = 0;
        if (c.fs.GetAttributes(WithoutTrailingBackslash(root), attributes)) {
            ShowMessage(c, std::string(engine_text::NoWritePermission) + "\r\n\r\n" + PeopleFolder(c),
                        StyleStop);
            return false;
        }
    }

    while (number < HighestKeyNumber) {
        ++number;
        const std::string key = prefix + std::to_string(number);
        bool taken = false;
        for (const auto& used : keysInUse) taken = taken || EqualsNoCase(used, key);
        // A copy left under the key (a removal that stopped half-way, a store
        // brought from elsewhere, [File] edited by hand) would be put in
        // place of the new path at the next switch.
        for (const auto& folder : userFolders) {
            if (taken) break;
            std::uint32_t attributes = 0;
            if (c.fs.GetAttributes(JoinPath(folder, key), attributes)) taken = true;
            // A folder that cannot be looked at may hold a copy.
            else if (c.fs.LastError() != FileNotFound && c.fs.LastError() != PathNotFound) taken = true;
        }
        if (!taken) return true;
    }
    ShowMessage(c, std::string(engine_text::FileSettingWrong), StyleStop);
    return false;
}

}  // namespace tollervy
