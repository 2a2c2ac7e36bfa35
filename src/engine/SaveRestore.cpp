#include "engine/SaveRestore.h"

#include <set>
#include <vector>

#include "engine/CopyPlan.h"
#include "engine/EngineText.h"
#include "engine/FileOps.h"
#include "engine/Manifest.h"
#include "engine/PathUtil.h"
#include "engine/Progress.h"
#include "engine/StoreNames.h"
#include "settings/Environment.h"
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
constexpr int StoreUnusableExitCode = 1;

void NotFound(Context& c, const std::string& path) {
    ShowDebugMessage(c, path + "\r\n" + engine_text::DoesNotExist, StyleStop);
}

void StoreUnwritable(Context& c, const std::string& path) {
    ShowMessage(c, std::string(engine_text::NoWritePermission) + "\r\n\r\n" + path, StyleStop);
}

// The user whose folder a user folder path names (its last component).
std::string UserOfFolder(const std::string& userFolder) {
    const std::string f = WithoutTrailingBackslash(userFolder);
    const auto slash = f.rfind('\\');
    return slash == std::string::npos ? f : f.substr(slash + 1);
}

// Windows' reason for the failure of the call just made, kept for the error
// policy's question (a full disk, a folder that went away).
bool Because(Context& c, ItemStep& step, bool ok) {
    if (!ok) step.reason = c.fs.LastErrorText();
    return ok;
}

// Checks shared by save and restore: the line names an item, the item is
// not inside the data store, it exists, and it is not read-only.
bool CheckLiveItem(Context& c, ItemStep& step, Entry& e) {
    const std::string& line = step.line;
    if (!ReadEntry(c, line, e)) {
        ShowMessage(c, engine_text::FileSettingWrong, StyleStop);
        return false;
    }
    if (ShowsProgress(c)) SetBar(c, c.state.ProgressStart);
    // The store is never a listed item: saving it into itself or emptying
    // it as a live folder would destroy the stored copies.
    if (LiesInDataStore(c, e.target)) {
        ShowMessage(c, engine_text::FileSettingWrong, StyleStop);
        return false;
    }
    if (!ListingYields(c, e.target, ListAll)) {
        NotFound(c, e.path);
        return false;
    }
    return !IsReadOnlyBlocked(c, e.target);
}

// Runs the item's destructive part between the hooks.
template <typename Change>
bool Wrapped(const ItemHooks* hooks, const ItemStep& step, Change change) {
    if (hooks && hooks->beforeChange && !hooks->beforeChange(step)) return false;
    const bool ok = change();
    if (hooks && hooks->afterChange) hooks->afterChange(step, ok);
    return ok;
}

bool SaveItem(Context& c, ItemStep& step, const ItemHooks* hooks) {
    Entry e;
    if (!CheckLiveItem(c, step, e)) return false;
    step.key = e.key;
    step.store = JoinPath(step.userFolder, e.key);
    const std::string& store = step.store;

    CopyPlan plan;
    LoadManifests(c, plan, InPlaceSide(c, e.key, e.path), StoredSide(store, e.path));
    if (e.kind == EntryKind::Pattern && !PlanPattern(c, e.folder, e.name, store, true, plan)) return false;
    if (e.kind == EntryKind::Folder && !PlanTree(c, WithTrailingBackslash(e.path), false, store, true, plan))
        return false;
    // A file entry whose stored copy is current keeps it.
    if (e.kind == EntryKind::File) PlanFile(c, e.folder, e.name, store, true, plan);
    const bool fileCurrent = FileCurrent(plan);
    const std::string storedFile = JoinPath(store, e.name);

    const bool saved = Wrapped(hooks, step, [&] {
        if (!Because(c, step, ForgetReplaced(c, plan))) {
            StoreUnwritable(c, plan.targetSide.path);
            return false;
        }
        const bool ok = [&] {
            std::string existing = store;
            if (CheckPathExists(c, existing)) {
                // A file entry's copy is made with "replace nothing": its old
                // copy goes first, unless it is current. Otherwise what the
                // copy replaces stays for it.
                const std::set<std::string> keptFile{e.name};
                const bool emptied = e.kind == EntryKind::File
                                         ? (fileCurrent ? ClearPathForCopy(c, existing, "", keptFile, &keptFile)
                                                        : ClearPath(c, existing, ""))
                                         : ClearPathForCopy(c, existing, "", PlanTargets(plan));
                if (!emptied) {
                    StoreUnwritable(c, existing);
                    return false;
                }
            } else if (!c.fs.CreateFolder(store)) {
                StoreUnwritable(c, store);
                c.system.EndProcess(StoreUnusableExitCode);
            }
            if (e.kind == EntryKind::File) {
                ShowStatus(c, e.path, false);
                if (!fileCurrent) {
                    WaitBeforeFileCopy(c, e.path);
                    // A copy that fails fails the item: the run must not go
                    // on to overwrite the only complete version.
                    if (!Because(c, step, c.fs.CopyFile(e.path, storedFile, true))) return false;
                }
                plan.completed = 1;
                return true;
            }
            return Because(c, step, RunPlan(c, plan));
        }();
        RecordPlan(c, plan);
        return ok;
    });
    if (!saved) return false;
    SetBar(c, c.state.ProgressEnd);
    return true;
}

bool RestoreItem(Context& c, ItemStep& step, const ItemHooks* hooks) {
    Entry e;
    if (!CheckLiveItem(c, step, e)) return false;
    step.key = e.key;

    // The source: the user's stored copy, or the "All Users" copy when the
    // user has none. A copy that exists but cannot be listed is no reason
    // to hand out someone else's.
    std::string store = JoinPath(step.userFolder, e.key);
    if (!CheckPathExists(c, store)) {
        std::uint32_t attributes = 0;
        if (c.fs.GetAttributes(store, attributes)) {
            NotFound(c, store);
            return false;
        }
        std::string parent = WithoutTrailingBackslash(step.userFolder);
        parent = parent.substr(0, parent.rfind('\\') + 1);
        store = JoinPath(JoinPath(parent, AllUsers), e.key);
        if (!ListingYields(c, store, ListAll)) {
            NotFound(c, store);
            return false;
        }
    }
    step.store = store;

    CopyPlan plan;
    LoadManifests(c, plan, StoredSide(store, e.path), InPlaceSide(c, e.key, e.path));
    if (e.kind == EntryKind::Pattern && !PlanPattern(c, store, e.name, e.folder, false, plan)) return false;
    if (e.kind == EntryKind::Folder && !PlanTree(c, store, true, e.path, false, plan)) return false;
    if (e.kind == EntryKind::File) PlanFile(c, store, e.name, e.folder, false, plan);

    const bool restored = Wrapped(hooks, step, [&] {
        // The record names its generation of manifests once it is written.
        plan.targetSide = InPlaceSide(c, e.key, e.path);
        if (!Because(c, step, ForgetReplaced(c, plan))) {
            ShowMessage(c, std::string(engine_text::NoWritePermission) + "\r\n\r\n" + plan.targetSide.path,
                        StyleStop);
            return false;
        }
        const bool ok = [&] {
            switch (e.kind) {
                case EntryKind::File: {
                    ShowStatus(c, e.path, false);
                    if (FileCurrent(plan)) {
                        plan.completed = 1;
                        return true;
                    }
                    const std::string storedFile = JoinPath(store, e.name);
                    WaitBeforeFileCopy(c, storedFile);
                    // Read-only files may change: the one in place is made
                    // writable so that the copy can replace it.
                    std::uint32_t attributes = 0;
                    if (option::ForcesReadOnly(c.state.DeleteReadOnly) && c.fs.GetAttributes(e.path, attributes) &&
                        (attributes & platform::AttrReadOnly))
                        c.fs.SetAttributes(e.path, attributes & ~static_cast<std::uint32_t>(platform::AttrReadOnly));
                    if (Because(c, step, c.fs.CopyFile(storedFile, e.path, false))) {
                        // A copy over an existing file need not take the
                        // stored copy's attributes (Wine's keeps the old ones).
                        std::uint32_t stored = 0, copied = 0;
                        if (c.fs.GetAttributes(storedFile, stored) && c.fs.GetAttributes(e.path, copied) &&
                            stored != copied && !Because(c, step, c.fs.SetAttributes(e.path, stored)))
                            return false;
                        plan.completed = 1;
                        return true;
                    }
                    const std::uint32_t number = c.fs.LastError();
                    ShowDebugMessage(c, std::to_string(number) + "\r\n" + c.fs.LastErrorText(), StyleStop);
                    // The live file still holds the previous user's version.
                    return false;
                }
                case EntryKind::Pattern:
                    if (!Because(c, step, ClearPathForCopy(c, e.folder, e.name, PlanTargets(plan)))) return false;
                    return Because(c, step, RunPlan(c, plan));
                case EntryKind::Folder:
                    if (!Because(c, step, ClearPathForCopy(c, WithTrailingBackslash(e.path), "", PlanTargets(plan))))
                        return false;
                    return Because(c, step, RunPlan(c, plan));
            }
            return false;
        }();
        RecordPlan(c, plan);
        return ok;
    });
    if (!restored) return false;
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

// The error policy's text for a failed item: what failed, on the next line
// the item's path, so that the person knows which file or folder it was
// (another program holding it open, most often), and Windows' reason when
// a call gave one (a full disk).
std::string FailedItemText(const char* failure, const ItemStep& step) {
    std::string key, value;
    std::string text = std::string(failure) + "\r\n" + (SplitFileLine(step.line, key, value) ? value : step.line);
    return step.reason.empty() ? text : text + "\r\n" + step.reason;
}

// Every way out of an item clears the file line.
template <typename Item>
bool ClearingFileLine(Context& c, Item item) {
    const bool ok = item();
    ShowStatus(c, "", false);
    return ok;
}

}  // namespace

bool ReadEntry(Context& c, const std::string& line, Entry& entry) {
    entry = Entry{};
    std::string key, value;
    if (!SplitFileLine(line, key, value)) return false;
    entry.key = std::move(key);
    entry.path = std::move(value);
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
    const std::string folder = JoinPath(c.state.DataFolderPath, user);
    std::string probe = folder;
    if (!CheckPathExists(c, probe) && !c.fs.CreateFolder(folder)) {
        StoreUnwritable(c, c.state.DataFolderPath);
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
    return ClearingFileLine(c, [&] { return SaveItem(c, step, hooks); });
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
        ReadIniSection(c, keys::FileSection, lines);
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
    if (!ReadFileList(c, c.state.FileSectionLines)) {
        ShowRunEnds(c);
        return false;
    }
    const std::vector<std::string> lines = c.state.FileSectionLines;
    const std::string folder = user == Unregistered ? std::string() : EnsureUserFolder(c, user);

    for (std::size_t i = 0; i < lines.size(); ++i) {
        SetBand(c, i, lines.size(), 0);
        ItemStep step;
        step.saving = true;
        step.index = i;
        step.line = lines[i];
        step.user = hooks && hooks->saveAs ? hooks->saveAs(i, lines[i], user) : user;
        bool ok = true;
        if (step.user == Unregistered) {
            ok = true;  // an unregistered user's copy is thrown away
        } else if (!IsStoreUserName(step.user)) {
            ok = false;
        } else {
            step.userFolder = step.user == user ? folder : EnsureUserFolder(c, step.user);
            ok = ClearingFileLine(c, [&] { return SaveItem(c, step, hooks); });
        }
        if (!ok && !ConfirmContinue(c, FailedItemText(engine_text::SaveItemFailed, step))) return false;
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
    std::string folder = JoinPath(c.state.DataFolderPath, user);
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
            folder = JoinPath(c.state.DataFolderPath, AllUsers);
        }
    }
    if (!ReadFileList(c, c.state.FileSectionLines)) {
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
        const bool ok = ClearingFileLine(c, [&] { return RestoreItem(c, step, hooks); });
        if (!ok && !ConfirmContinue(c, FailedItemText(engine_text::RestoreItemFailed, step))) return false;
    }
    return true;
}

}  // namespace tollervy
