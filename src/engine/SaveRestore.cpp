#include "engine/SaveRestore.h"

#include <vector>

#include "engine/Backup.h"
#include "engine/EngineText.h"
#include "engine/FileOps.h"
#include "engine/ItemKind.h"
#include "engine/PathUtil.h"
#include "engine/Progress.h"
#include "engine/SharedStore.h"
#include "engine/StoreNames.h"
#include "engine/SwitchLog.h"
#include "settings/Environment.h"
#include "settings/RegistryKeys.h"
#include "settings/Settings.h"

namespace tollervy {

using platform::ListAll;
using platform::ListFolders;
using progress::SetBand;
using progress::SetBar;
using progress::ShowsProgress;

namespace {

constexpr const char* AllUsers = "All Users";
constexpr const char* Unregistered = "\\";

// The user whose folder a user folder path names (its last component).
std::string UserOfFolder(const std::string& userFolder) {
    const std::string f = WithoutTrailingBackslash(userFolder);
    const auto slash = f.rfind('\\');
    return slash == std::string::npos ? f : f.substr(slash + 1);
}

// Checks shared by save and restore: the line names an item, and its kind
// finds its live side ready.
bool CheckLiveItem(Context& c, const std::string& line, Entry& e) {
    if (!ReadEntry(c, line, e)) {
        ShowMessage(c, engine_text::FileSettingWrong, StyleStop);
        return false;
    }
    if (ShowsProgress(c)) SetBar(c, c.state.ProgressStart);
    return KindOf(e).CheckLive(c, e);
}

bool SaveItem(Context& c, ItemStep& step, const ItemHooks* hooks) {
    Entry e;
    if (!CheckLiveItem(c, step.line, e)) return false;
    step.key = e.key;
    step.store = JoinPath(step.userFolder, e.key);
    if (!KindOf(e).Save(c, e, step, hooks)) return false;
    SetBar(c, c.state.ProgressEnd);
    return true;
}

bool RestoreItem(Context& c, ItemStep& step, const ItemHooks* hooks) {
    Entry e;
    if (!CheckLiveItem(c, step.line, e)) return false;
    step.key = e.key;

    // The source: the user's stored copy, or the "All Users" copy when the
    // user has none. A copy that exists but cannot be listed is no reason
    // to hand out someone else's.
    std::string store = JoinPath(step.userFolder, e.key);
    if (!CheckPathExists(c, store)) {
        std::uint32_t attributes = 0;
        if (c.fs.GetAttributes(store, attributes)) {
            ShowNotFound(c, store);
            return false;
        }
        std::string parent = WithoutTrailingBackslash(step.userFolder);
        parent = parent.substr(0, parent.rfind('\\') + 1);
        store = JoinPath(JoinPath(parent, AllUsers), e.key);
        if (!ListingYields(c, store, ListAll)) {
            ShowNotFound(c, store);
            return false;
        }
    }
    step.store = store;
    if (!KindOf(e).Restore(c, e, step, hooks)) return false;
    SetBar(c, c.state.ProgressEnd);
    return true;
}

// The [File] lines. False when the settings file exists but its list cannot
// be read: an unreadable list must not pass for an empty one, or the save
// would keep nothing and the restore that follows would overwrite it all.
bool ReadFileList(Context& c, std::vector<std::string>& lines) {
    ReadIniSection(c, keys::FileSection, lines);
    if (!lines.empty()) return true;
    std::uint32_t attributes = 0;
    if (!c.fs.GetAttributes(c.state.IniFilePath, attributes)) return true;  // no settings file, no items
    std::uint64_t length = 0;
    if (!c.fs.FileLength(c.state.IniFilePath, length)) return false;
    if (length == 0) return true;
    // The length is known now: read the section with room for all of it.
    lines = c.profile.GetSection(c.state.IniFilePath, keys::FileSection, static_cast<std::size_t>(length) + 2);
    return true;
}

// The error policy's text for a failed item: what failed, and on the next
// line the item's path, so that the person knows which file or folder it
// was (another program holding it open, most often).
std::string FailedItemText(const char* failure, const std::string& line, const std::string& reason) {
    std::string key, value;
    return std::string(failure) + "\r\n" + (SplitFileLine(line, key, value) ? value : line) +
           (reason.empty() ? std::string() : "\r\n" + reason);
}

// After an item of a run: its line in the switch log and, when it failed,
// the error policy's answer (and its line). True: go on.
bool Settle(Context& c, const ItemHooks* hooks, ItemStep& step, bool ok, std::uint64_t started,
            const char* failure) {
    SwitchLog* log = hooks ? hooks->log : nullptr;
    if (log) log->Item(step, ok, c.fs.Now() - started);
    if (ok) return true;
    if (step.failedReason.empty() && c.fs.LastError() != 0) step.failedReason = c.fs.LastErrorText();
    // A server gone is the reason that matters: the path and Windows'
    // words name only what it took with it.
    if (UsesSharedStore(c) && !SharedStoreReachable(c)) {
        const std::string gone = std::string(engine_text::StoreGone) + "\r\n" + c.state.SharedStorePath;
        step.reason = gone + (step.reason.empty() ? "" : "\r\n" + step.reason);
        step.failedReason = gone;
    }
    const std::string question = FailedItemText(failure, step.line, step.reason);
    const bool goOn = ConfirmContinue(c, question);
    if (log) log->Failure(step, question, goOn);
    return goOn;
}

// Every way out of an item clears the file line.
template <typename Item>
bool ClearingFileLine(Context& c, Item item) {
    const bool ok = item();
    ShowStatus(c, "", false);
    return ok;
}

}  // namespace

void ShowNotFound(Context& c, const std::string& path) {
    ShowDebugMessage(c, path + "\r\n" + engine_text::DoesNotExist, StyleStop);
}

void ShowStoreUnwritable(Context& c, const std::string& path) {
    ShowMessage(c, std::string(engine_text::NoWritePermission) + "\r\n\r\n" + path, StyleStop);
}

bool ReadItemList(Context& c, std::vector<std::string>& lines) {
    if (!ReadFileList(c, lines)) return false;
    std::vector<std::string> keys;
    ReadRegistryLines(c, keys);
    lines.insert(lines.end(), keys.begin(), keys.end());
    return true;
}

bool ReadEntry(Context& c, const std::string& line, Entry& entry) {
    entry = Entry{};
    std::string key, value;
    if (!SplitFileLine(line, key, value)) return false;
    entry.key = std::move(key);
    entry.path = std::move(value);
    if (entry.path.rfind(std::string(RegistryRoot) + "\\", 0) == 0) {
        entry.kind = EntryKind::Registry;
        entry.target = entry.path;
        return true;
    }
    SplitPath(c, entry.path, entry.folder, entry.name, false);
    if (entry.name.empty())
        entry.kind = EntryKind::Folder;
    else if (entry.name.find('*') != std::string::npos)
        entry.kind = EntryKind::Pattern;
    else
        entry.kind = EntryKind::File;
    entry.target = entry.kind == EntryKind::Pattern ? entry.folder : entry.path;
    return true;
}

std::string EnsureUserFolder(Context& c, const std::string& user) {
    const std::string folder = SaveFolderOf(c, user);
    std::string probe = folder;
    if (!CheckPathExists(c, probe) && !c.fs.CreateFolder(folder)) {
        ShowStoreUnwritable(c, PeopleFolder(c));
        c.system.EndProcess(StoreUnusableExitCode);
    }
    return folder;
}

bool SaveFileEntry(Context& c, const std::string& userFolder, const std::string& line, const ItemHooks* hooks) {
    ItemStep step;
    step.saving = true;
    step.index = static_cast<std::size_t>(-1);
    step.line = line;
    step.user = UserOfFolder(userFolder);
    step.userFolder = userFolder;
    // A registration copy keeps what it replaces too.
    Backup own(c);
    ItemHooks with = hooks ? *hooks : ItemHooks{};
    if (with.backup == nullptr) with.backup = &own;
    const bool ok = ClearingFileLine(c, [&] { return SaveItem(c, step, &with); });
    if (own.Moved() != 0) own.Prune();
    return ok;
}

bool RestoreFileEntry(Context& c, const std::string& userFolder, const std::string& line, const ItemHooks* hooks) {
    ItemStep step;
    step.saving = false;
    step.index = static_cast<std::size_t>(-1);
    step.line = line;
    step.user = UserOfFolder(userFolder);
    step.userFolder = userFolder;
    return ClearingFileLine(c, [&] { return RestoreItem(c, step, hooks); });
}

bool SaveUserData(Context& c, const std::string& user, const ItemHooks* hooks) {
    // An unregistered user's copies are thrown away, unless the caller knows
    // that some item still holds someone else's copy.
    bool someoneElses = false;
    if (user == Unregistered && hooks && hooks->saveAs) {
        std::vector<std::string> lines;
        ReadItemList(c, lines);
        for (std::size_t i = 0; i < lines.size() && !someoneElses; ++i)
            someoneElses = hooks->saveAs(i, lines[i], user) != Unregistered;
    }
    if (user == Unregistered && !someoneElses) {
        // Nothing in place is kept: the restore that follows overwrites it.
        ShowStatus(c, engine_text::PhaseDiscarding, true);
        SetBar(c, 50);
        return true;
    }
    if (user != Unregistered && !IsStoreUserName(user)) {
        ShowRunEnds(c);
        return false;
    }
    ShowStatus(c, engine_text::PhaseSaving, true);
    if (!ReadItemList(c, c.state.FileSectionLines)) {
        ShowRunEnds(c);
        return false;
    }
    const std::vector<std::string> lines = c.state.FileSectionLines;
    // A caller that says where each owner's copies go makes their folders.
    const bool ownFolders = hooks && hooks->saveFolder;
    const std::string folder = user == Unregistered || ownFolders ? std::string() : EnsureUserFolder(c, user);

    for (std::size_t i = 0; i < lines.size(); ++i) {
        SetBand(c, i, lines.size(), 0);
        ItemStep step;
        step.saving = true;
        step.index = i;
        step.line = lines[i];
        step.user = hooks && hooks->saveAs ? hooks->saveAs(i, lines[i], user) : user;
        if (step.user == Unregistered) continue;  // an unregistered user's copy is thrown away
        const std::uint64_t started = c.fs.Now();
        bool ok = false;
        if (IsStoreUserName(step.user)) {
            step.userFolder = ownFolders ? hooks->saveFolder(step.user)
                              : step.user == user ? folder
                                                  : EnsureUserFolder(c, step.user);
            ok = !step.userFolder.empty() && ClearingFileLine(c, [&] { return SaveItem(c, step, hooks); });
        }
        if (!Settle(c, hooks, step, ok, started, engine_text::SaveItemFailed)) return false;
    }
    SetBar(c, 50);
    return true;
}

bool RestoreUserData(Context& c, const std::string& user, const std::string& previous, const ItemHooks* hooks) {
    if (!IsStoreUserName(user)) {
        ShowRunEnds(c);
        return false;
    }
    ShowStatus(c, user + engine_text::PhaseRestoringSuffix, true);
    std::string folder = JoinPath(PeopleFolder(c), user);
    if (!ListingYields(c, folder, ListFolders)) {
        // A folder that exists but cannot be listed is no first start: its
        // copies must not be passed over for the "All Users" ones.
        std::uint32_t attributes = 0;
        const bool exists = c.fs.GetAttributes(folder, attributes) && (attributes & platform::AttrDirectory);
        if (!exists) {
            ShowDebugMessage(c, user + engine_text::FirstStartSuffix, StyleInformation);
            if (previous == AllUsers) {
                if (hooks && hooks->keptInPlace) hooks->keptInPlace();
                return true;
            }
            folder = JoinPath(PeopleFolder(c), AllUsers);
        }
    }
    if (!ReadItemList(c, c.state.FileSectionLines)) {
        ShowRunEnds(c);
        return false;
    }
    const std::vector<std::string> lines = c.state.FileSectionLines;

    for (std::size_t i = 0; i < lines.size(); ++i) {
        SetBand(c, i, lines.size(), 50);
        ItemStep step;
        step.saving = false;
        step.index = i;
        step.line = lines[i];
        step.user = user;
        step.userFolder = folder;
        const std::uint64_t started = c.fs.Now();
        const bool ok = ClearingFileLine(c, [&] { return RestoreItem(c, step, hooks); });
        if (!Settle(c, hooks, step, ok, started, engine_text::RestoreItemFailed)) return false;
    }
    return true;
}

}  // namespace tollervy
