#include "shell/StartUpRegistration.h"

#include <algorithm>
#include <deque>
#include <unordered_map>
#include <vector>

#include "engine/FileOps.h"
#include "engine/PathUtil.h"
#include "settings/Environment.h"
#include "settings/Settings.h"

namespace tollervy {

namespace {

constexpr const char* AllUsers = "All Users";
constexpr const char* DefaultUser = "Default User";
// How often the recent-documents road looks for the shell's shortcut, and
// how long it waits after a look that found nothing.
constexpr int RecentLooks = 100;
constexpr unsigned RecentLookPauseMs = 50;

std::string Title() { return ProgramTitle; }

// A list with its entries at 0..count-1 and one spare slot after them.
void KeepSpare(std::vector<StartUpEntry>& list, std::size_t count) {
    list.resize(count);
    list.push_back(StartUpEntry{"", "0", false});
}

// Two paths name the same file: separators and "." read alike, ASCII letters
// compared without case (as Windows does).
bool SamePath(const std::string& a, const std::string& b) {
    const std::string x = CanonicalPath(a), y = CanonicalPath(b);
    return x.size() == y.size() && StartsWithPath(x, y);
}

// The shortcut of a recent-list name points at this executable.
bool PointsHere(Context& c, const std::string& link) {
    std::string target;
    return c.shell.ShortcutTarget(link, target) && SamePath(target, StartUpTarget(c));
}

// The first of the recent list's two names that holds this executable's
// shortcut; "" when neither does.
std::string FindRecentShortcut(Context& c, const std::string& recent) {
    for (const std::string& name : {Title() + ".exe.lnk", Title() + ".lnk"}) {
        std::string path = JoinPath(recent, name);
        if (CheckPathExists(c, path) && PointsHere(c, path)) return path;
    }
    return "";
}

// Windows other than XP: the shell makes the shortcut through the recent
// documents list; it is copied from there and stays there as well.
bool MakeThroughRecentList(Context& c, const std::string& folder) {
    const std::string recent = GetSpecialFolderPath(c, platform::CsidlRecent);
    std::string found = FindRecentShortcut(c, recent);
    if (found.empty()) {
        c.shell.AddToRecentDocs(StartUpTarget(c));
        int look = 1;
        for (; look <= RecentLooks; ++look) {
            found = FindRecentShortcut(c, recent);
            if (!found.empty()) break;
            c.system.Sleep(RecentLookPauseMs);
        }
        ShowDebugMessage(c, std::to_string(look) + "回目\r\n" + found, StyleInformation);
        if (found.empty()) return false;
    }
    return CopyFileKeepAttr(c, found, JoinPath(folder, Title() + ".lnk"), false);
}

// The Registered value of a folder found on disk.
std::string RegisteredFlag(Context& c, const std::string& folder) { return IsRegisteredIn(c, folder) ? "1" : "0"; }

void Append(GrobalMod& s, const StartUpEntry& onDisk, const StartUpEntry& row) {
    if (s.StartUpList.size() >= static_cast<std::size_t>(MaxStartUpCount)) return;
    s.StartUpList.push_back(onDisk);
    s.StartUpPathList.push_back(row);
}

// The profile folders beside the user's own: for a Start-up folder
// root\profile\a\b\c, the folder root\d\a\b\c of every entry d of root.
// Without that layout (fewer than four backslashes) the user's folder alone.
std::vector<std::string> CandidateFolders(Context& c, const std::string& userFolder) {
    std::string u = userFolder;
    const std::string body = u.empty() ? u : u.substr(0, u.size() - 1);
    std::size_t backslashes = 0;
    for (char ch : body)
        if (ch == '\\') ++backslashes;
    if (backslashes < 4) return {userFolder};

    if (u.back() == '\\') u.pop_back();
    // The last three components with their leading backslash form the tail;
    // the component before them is the profile.
    std::size_t cut = u.size();
    for (int i = 0; i < 3; ++i) cut = u.rfind('\\', cut - 1);
    const std::string tail = u.substr(cut);
    const std::size_t profileStart = u.rfind('\\', cut - 1) + 1;
    const std::string root = u.substr(0, profileStart);

    std::vector<std::string> names;
    if (!c.fs.List(root, platform::ListAll, names)) return {userFolder};

    std::vector<std::string> folders;
    for (const std::string& d : names) {
        if (d == "." || d == "..") continue;
        if ((root + d).find(AllUsers) != std::string::npos) continue;
        const std::string candidate = root + d + tail;
        std::uint32_t attributes = 0;
        if (!c.fs.GetAttributes(candidate, attributes)) {
            ShowDebugMessage(c, candidate + "\r\nスタートアップ関連取得失敗", StyleStop);
            continue;
        }
        if ((attributes & platform::AttrDirectory) == 0) continue;
        folders.push_back(candidate);
        if (d != DefaultUser) c.state.ProfileUserNames.push_back(d);
    }
    return folders;
}

}  // namespace

std::string StartUpTarget(Context& c) { return JoinPath(c.system.ProgramFolder(), Title() + ".exe"); }

std::string StartUpShortcutPath(const std::string& folder) { return JoinPath(folder, Title() + ".lnk"); }

bool IsRegisteredIn(Context& c, const std::string& folder) {
    const std::string link = StartUpShortcutPath(folder);
    // A directory lookup for a plain file of that name.
    std::vector<std::string> names;
    if (!c.fs.List(link, platform::ListFiles, names) || names.empty()) return false;
    return PointsHere(c, link);
}

void ScanStartUpFolders(Context& c) {
    GrobalMod& s = c.state;
    s.StartUpList.clear();
    s.StartUpPathList.clear();
    s.ProfileUserNames.clear();
    const bool firstRun = s.StartStarted == "0";

    const std::string common = GetSpecialFolderPath(c, platform::CsidlCommonStartup);
    const bool commonFound = common.find(AllUsers) != std::string::npos;
    if (commonFound) {
        const std::string flag = firstRun ? "0" : RegisteredFlag(c, common);
        Append(s, {common, flag, false}, {common, firstRun ? "1" : flag, false});
    }

    const std::string user = GetSpecialFolderPath(c, platform::CsidlStartup);
    ShowDebugMessage(c, GetLoginUserName(c) + "\r\n" + user, StyleInformation);

    for (const std::string& folder : CandidateFolders(c, user)) {
        const std::string flag = firstRun ? "0" : RegisteredFlag(c, folder);
        const std::string proposed = commonFound ? "0" : "1";
        Append(s, {folder, flag, false}, {folder, firstRun ? proposed : flag, false});
    }

    std::vector<std::string> lines;
    ReadIniSection(c, keys::StartUpSection, lines);
    for (const std::string& line : lines) {
        if (s.StartUpList.size() >= static_cast<std::size_t>(MaxStartUpCount)) break;
        std::string path = line;
        if (path.size() >= 2 && path.compare(path.size() - 2, 2, "=1") == 0) path.resize(path.size() - 2);
        if (path.empty()) continue;  // a line that names no folder
        const std::string flag = RegisteredFlag(c, path);
        Append(s, {path, flag, true}, {path, flag, true});
    }

    s.StartUpCount = static_cast<std::int16_t>(s.StartUpList.size());
    s.StartUpPathCount = static_cast<std::int16_t>(s.StartUpPathList.size());
    KeepSpare(s.StartUpList, s.StartUpList.size());
    KeepSpare(s.StartUpPathList, s.StartUpPathList.size());
}

bool CreateShortcutInFolder(Context& c, const std::string& target, const std::string& folder,
                            const std::string& linkName, const std::string& arguments) {
    const std::string programs = GetSpecialFolderPath(c, platform::CsidlPrograms);
    const std::string fileName = linkName + ".LNK";
    const std::string made = JoinPath(programs, fileName);
    const std::string destination = JoinPath(folder, fileName);

    // A shortcut of that name already in the Programs menu (the program's
    // own menu entry, say) is not overwritten and carried away: the shortcut
    // is then made in the folder itself.
    std::string existing = made;
    if (programs.empty() || CheckPathExists(c, existing)) {
        if (c.shell.CreateShortcut(destination, target, arguments)) return true;
        ShowDebugMessage(c, "ショートカットの作成失敗 0", StyleInformation);
        return false;
    }

    if (!c.shell.CreateShortcut(made, target, arguments)) {
        ShowDebugMessage(c, "ショートカットの作成失敗 0", StyleInformation);
        return false;
    }
    if (!CopyFileKeepAttr(c, made, destination, true)) {
        c.fs.DeleteFile(made);
        ShowDebugMessage(c, "ショートカットの移動失敗", StyleInformation);
        return false;
    }
    return true;
}

bool MakeStartUpShortcut(Context& c, const std::string& folder) {
    const std::string target = StartUpTarget(c);
    if (c.state.OsVersionTag == "XP") return CreateShortcutInFolder(c, target, folder, Title(), "");
    return MakeThroughRecentList(c, folder);
}

bool RemoveStartUpShortcut(Context& c, const std::string& folder) {
    return DeleteFileForce(c, StartUpShortcutPath(folder));
}

bool ApplyStartUpRegistration(Context& c) {
    GrobalMod& s = c.state;
    const std::size_t rowCount = std::min<std::size_t>(s.StartUpPathCount > 0 ? s.StartUpPathCount : 0,
                                                       s.StartUpPathList.size());
    const std::size_t entryCount =
        std::min<std::size_t>(s.StartUpCount > 0 ? s.StartUpCount : 0, s.StartUpList.size());
    std::vector<StartUpEntry>& rows = s.StartUpPathList;
    std::vector<bool> handled(rowCount, false);
    // The rows of each path, in page order: an entry takes the first row of
    // its path not yet taken.
    std::unordered_map<std::string, std::deque<std::size_t>> rowsOfPath;
    for (std::size_t r = 0; r < rowCount; ++r) rowsOfPath[rows[r].Path].push_back(r);

    // Whatever happens, StartUpList ends up holding what is on disk: the
    // entries handled so far with their new state, the dropped ones gone,
    // the rest as they were.
    std::vector<StartUpEntry> entries(s.StartUpList.begin(), s.StartUpList.begin() + static_cast<std::ptrdiff_t>(entryCount));
    std::vector<bool> dropped(entryCount, false);
    auto record = [&] {
        std::vector<StartUpEntry> kept;
        for (std::size_t k = 0; k < entries.size(); ++k)
            if (k >= dropped.size() || !dropped[k]) kept.push_back(entries[k]);
        s.StartUpCount = static_cast<std::int16_t>(kept.size());
        KeepSpare(kept, kept.size());
        s.StartUpList = std::move(kept);
    };
    auto makeFailed = [&](std::size_t row) {
        ShowMessage(c, "ショートカットの作成に失敗しました\r\n\r\n" + std::to_string(row), StyleStop);
        record();
        return false;
    };
    auto removeFailed = [&](const std::string& folder) {
        ShowMessage(c, "削除に失敗しました\r\n\r\n" + StartUpShortcutPath(folder), StyleStop);
        record();
        return false;
    };

    for (std::size_t k = 0; k < entryCount; ++k) {
        StartUpEntry& e = entries[k];
        std::size_t r = rowCount;
        if (auto found = rowsOfPath.find(e.Path); found != rowsOfPath.end() && !found->second.empty()) {
            r = found->second.front();
            found->second.pop_front();
        }
        if (r < rowCount) {
            handled[r] = true;
            StartUpEntry& row = rows[r];
            if (row.Registered == e.Registered) continue;
            if (row.Registered == "1") {
                if (!MakeStartUpShortcut(c, row.Path)) {
                    row.Registered = "0";
                    return makeFailed(r);
                }
            } else if (!RemoveStartUpShortcut(c, row.Path)) {
                return removeFailed(row.Path);
            }
            e.Registered = row.Registered;
            continue;
        }
        // The folder left the page.
        if (e.Registered == "1" && !RemoveStartUpShortcut(c, e.Path)) return removeFailed(e.Path);
        DeleteIniKey(c, keys::StartUpSection, e.Path);
        dropped[k] = true;
    }
    record();

    for (std::size_t r = 0; r < rowCount; ++r) {
        if (handled[r]) continue;
        const StartUpEntry& row = rows[r];
        // An added folder counts as on disk only once its shortcut is made
        // and its [StartUp] line written, so a failure of either is retried
        // by the next save.
        if (row.Registered == "1" && !MakeStartUpShortcut(c, row.Path)) {
            ShowMessage(c, "ショートカットの作成に失敗しました\r\n\r\n" + std::to_string(r), StyleStop);
            return false;
        }
        if (!WriteIniValue(c, keys::StartUpSection, row.Path, "1")) return false;
        s.StartUpList.insert(s.StartUpList.begin() + s.StartUpCount, row);
        ++s.StartUpCount;
    }
    return true;
}

}  // namespace tollervy
