#include "engine/SaveRestore.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/EngineText.h"
#include "engine/FileOps.h"
#include "engine/PathUtil.h"
#include "engine/StoreNames.h"
#include "settings/Environment.h"
#include "settings/Settings.h"

namespace tollervy {

using platform::ListAll;
using platform::ListFolders;

namespace {

constexpr const char* AllUsers = "All Users";
constexpr const char* Unregistered = "\\";
constexpr int StoreUnusableExitCode = 1;

bool ShowsProgress(Context& c) {
    return option::ShowsStatusWindow(c.state.StartStatus);
}

void SetBar(Context& c, float value) {
    if (!ShowsProgress(c) || c.status == nullptr) return;
    c.status->SetBar(value);
    c.status->Repaint();
}

// k of m steps of the current item done: the bar moves inside its band.
void MoveBarInBand(Context& c, std::size_t done, std::size_t total) {
    if (!ShowsProgress(c) || total == 0) return;
    const float start = c.state.ProgressStart;
    const float end = c.state.ProgressEnd;
    SetBar(c, start + static_cast<float>(done) / static_cast<float>(total) * (end - start));
}

// The band of item i of n inside [base, base + 50], to the nearest whole
// number, halves to even.
void SetBand(Context& c, std::size_t i, std::size_t n, int base) {
    if (!ShowsProgress(c) || n == 0) return;
    const double from = static_cast<double>(i) * 50.0 / static_cast<double>(n);
    const double to = static_cast<double>(i + 1) * 50.0 / static_cast<double>(n);
    c.state.ProgressStart = static_cast<std::int16_t>(std::nearbyint(from) + base);
    c.state.ProgressEnd = static_cast<std::int16_t>(std::nearbyint(to) + base);
}

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

// --- Copy plans ------------------------------------------------------------
// Every listing and every check of an item is done before its destructive
// step, so that an item that cannot be completed fails with nothing changed.

// The widest last-write time resolution of the file systems the program may
// meet (FAT keeps times in steps of two seconds). Two writes within one step
// of it may carry the same time.
constexpr std::uint64_t TimeResolution = 2 * platform::FileTimeSecond;
// How long a copy waits at most for its source's time step to pass (FAT
// rounds a time up, so a fresh file may carry one up to a step ahead).
constexpr std::uint64_t LongestWait = 2 * TimeResolution + platform::FileTimeSecond;

// Whether files whose copy is current are left alone ([Start] CopyAll is
// not "1").
bool ComparesCopies(Context& c) {
    return ReadIniValue(c, keys::StartCopyAll) != "1";
}

// The plain files a copy is about to overwrite, by name.
using Existing = std::unordered_map<std::string, FileEntry>;

void ListExisting(Context& c, const std::string& folder, const std::string* pattern, Existing& existing) {
    existing.clear();
    std::vector<platform::FileSystem::Entry> entries;
    const std::string base = WithTrailingBackslash(folder);
    // A folder that is missing or cannot be listed holds nothing current:
    // everything is copied.
    if (!c.fs.ListEntries(pattern ? base + *pattern : base, platform::ListFiles, entries)) return;
    for (auto& e : entries) {
        if ((e.attributes & platform::AttrDirectory) != 0) continue;
        std::string name = e.name;
        existing.emplace(std::move(name), FileEntry{std::move(e.name), e.attributes, e.size, e.lastWrite});
    }
}

// A copy is current when it has its source's size, last-write time and
// attributes, and the source's time can no longer be shared by a later
// write (its time step has passed). A time set back by a program, a copy
// cut off half-way (it carries the time it was written at), a read-only
// or hidden difference: all differ, and the file is copied.
bool IsCurrent(const FileEntry& source, const FileEntry& copy, std::uint64_t now) {
    return source.size == copy.size && source.lastWrite == copy.lastWrite && source.attributes == copy.attributes &&
           source.lastWrite != 0 && source.lastWrite + TimeResolution <= now;
}

// A plan holds each folder's paths once and, per file, its name and what the
// listing said; the full paths are put together as each file is copied.
struct PlannedFile {
    std::uint32_t nameAt = 0;      // in its folder's names
    std::uint32_t nameLength = 0;
    std::uint32_t attributes = 0;  // of the source, as listed
    bool current = false;          // the target is a current copy of the source: left as it is
    std::uint64_t lastWrite = 0;   // of the source, as listed
};

struct PlannedFolder {
    std::string source;    // the folder copied from, with "\"
    std::string target;    // the folder copied into, with "\"
    std::string relative;  // `target` relative to the folder being filled, with "\" ("" for that folder)
    bool create = false;   // `target` is made first
    std::string names;     // the names of `files`, one after the other
    std::vector<PlannedFile> files;

    std::string_view Name(const PlannedFile& f) const { return std::string_view(names).substr(f.nameAt, f.nameLength); }
};

struct CopyPlan {
    std::vector<PlannedFolder> folders;
    bool liveIsSource = true;  // the status line shows the source (save) or the target (restore)
    bool barPerFile = false;   // pattern entries move the bar per file, folders per folder
    bool compares = false;     // copies were compared; copying waits for their time step
};

// What the plan writes, relative to the folder it fills: the emptying before
// it leaves these to be replaced (deleting a file costs more than the copy
// that replaces it), and its current copies as they are. Looked up in the
// plan itself: a folder by its relative path, a file by name in a sorted
// index of its folder, made when the emptying reaches that folder.
class PlanTargets final : public CopyTargets {
public:
    explicit PlanTargets(const CopyPlan& plan) : plan_(plan) {
        for (std::size_t i = 0; i < plan.folders.size(); ++i) folders_.emplace(plan.folders[i].relative, i);
    }

    bool WritesFolder(const std::string& relative) const override {
        return !relative.empty() && folders_.count(relative) != 0;
    }

    FileUse UseOf(const std::string& folder, const std::string& name) const override {
        const auto found = folders_.find(folder);
        if (found == folders_.end()) return FileUse::Deleted;
        const PlannedFolder& planned = plan_.folders[found->second];
        if (indexed_ != found->second) {
            // The emptying goes through a folder's files one after another.
            index_.resize(planned.files.size());
            for (std::size_t k = 0; k < index_.size(); ++k) index_[k] = static_cast<std::uint32_t>(k);
            std::sort(index_.begin(), index_.end(), [&](std::uint32_t a, std::uint32_t b) {
                return planned.Name(planned.files[a]) < planned.Name(planned.files[b]);
            });
            indexed_ = found->second;
        }
        const auto at = std::lower_bound(index_.begin(), index_.end(), name, [&](std::uint32_t k, const std::string& n) {
            return planned.Name(planned.files[k]) < std::string_view(n);
        });
        if (at == index_.end() || planned.Name(planned.files[*at]) != name) return FileUse::Deleted;
        return planned.files[*at].current ? FileUse::Kept : FileUse::Replaced;
    }

private:
    const CopyPlan& plan_;
    std::unordered_map<std::string_view, std::size_t> folders_;
    mutable std::size_t indexed_ = static_cast<std::size_t>(-1);
    mutable std::vector<std::uint32_t> index_;
};

// A copy made while its source's time step is still open could later match
// a source written again within the same step: such a copy waits for the
// step to pass first (at most a few seconds once per run, as the clock only
// moves on). A time far ahead of the clock is not waited for; its copies
// never count as current until the clock has passed it.
void WaitForTimeStep(Context& c, std::uint64_t lastWrite) {
    const std::uint64_t until = lastWrite + TimeResolution;
    std::uint64_t now = c.fs.Now();
    if (now >= until || until - now > LongestWait) return;
    for (int i = 0; now < until && i < 100; ++i) {
        c.system.Sleep(static_cast<unsigned>(std::min<std::uint64_t>((until - now) / 10'000 + 1, 50)));
        // The window stays painted and movable meanwhile.
        if (ShowsProgress(c) && c.status != nullptr) c.status->Repaint();
        now = c.fs.Now();
    }
}

bool RunPlan(Context& c, const CopyPlan& plan) {
    std::size_t total = 0;
    for (const auto& f : plan.folders) total += f.files.size();
    std::size_t done = 0;
    std::string from, to;
    for (std::size_t i = 0; i < plan.folders.size(); ++i) {
        const PlannedFolder& folder = plan.folders[i];
        // A folder that cannot be made fails the item, even an empty one:
        // otherwise the copy silently lacks it.
        if (folder.create && !c.fs.CreateFolder(folder.target) && !IsDirectory(c, folder.target)) return false;
        for (const auto& file : folder.files) {
            const std::string_view name = folder.Name(file);
            from.assign(folder.source).append(name);
            to.assign(folder.target).append(name);
            // A current copy is shown and counted like one that is made.
            ShowStatus(c, plan.liveIsSource ? from : to, false);
            if (!file.current) {
                if (plan.compares) WaitForTimeStep(c, file.lastWrite);
                if (!CopyFileWithAttributes(c, from, file.attributes, to)) return false;
            }
            ++done;
            if (plan.barPerFile) MoveBarInBand(c, done, total);
        }
        if (!plan.barPerFile) MoveBarInBand(c, i + 1, plan.folders.size());
    }
    return true;
}

// Adds the listed files of one folder to the plan, compared with the copies
// already in its target. False when a read-only file blocks the item.
bool PlanFiles(Context& c, const std::vector<FileEntry>& files, CopyPlan& plan, const Existing& existing,
               std::uint64_t now, PlannedFolder& folder) {
    std::size_t length = 0;
    for (const auto& f : files) length += f.name.size();
    folder.names.reserve(length);
    folder.files.reserve(files.size());
    for (const auto& f : files) {
        if ((f.attributes & platform::AttrReadOnly) && IsReadOnlyBlocked(c, folder.source + f.name, f.attributes))
            return false;
        PlannedFile planned;
        planned.nameAt = static_cast<std::uint32_t>(folder.names.size());
        planned.nameLength = static_cast<std::uint32_t>(f.name.size());
        planned.attributes = f.attributes;
        planned.lastWrite = f.lastWrite;
        if (plan.compares) {
            const auto found = existing.find(f.name);
            planned.current = found != existing.end() && IsCurrent(f, found->second, now);
        }
        folder.names += f.name;
        folder.files.push_back(planned);
    }
    return true;
}

// The plain files of `from` that match `pattern`, copied flat into `to`.
// The status line shows the live side: the source when saving, the
// destination when restoring.
bool PlanPattern(Context& c, const std::string& from, const std::string& pattern, const std::string& to,
                 bool liveIsSource, CopyPlan& plan) {
    std::vector<FileEntry> files;
    if (!ListPlainFiles(c, from, &pattern, files)) return false;
    plan.liveIsSource = liveIsSource;
    plan.barPerFile = true;
    plan.compares = ComparesCopies(c);
    Existing existing;
    if (plan.compares) ListExisting(c, to, &pattern, existing);
    const std::uint64_t now = c.fs.Now();
    PlannedFolder folder;
    folder.source = JoinPath(from, "");
    folder.target = JoinPath(to, "");
    if (!PlanFiles(c, files, plan, existing, now, folder)) return false;
    plan.folders.push_back(std::move(folder));
    return true;
}

// The tree of `from` mirrored into `to`: its plain files and folders.
bool PlanTree(Context& c, const std::string& from, bool keepProgramFolder, const std::string& to, bool liveIsSource,
              CopyPlan& plan) {
    std::vector<TreeFolder> tree;
    if (!BuildFolderTree(c, from, keepProgramFolder, tree)) return false;
    plan.liveIsSource = liveIsSource;
    plan.compares = ComparesCopies(c);
    const std::uint64_t now = c.fs.Now();
    const std::string root = WithTrailingBackslash(tree[0].path);
    const std::string target = WithTrailingBackslash(to);
    Existing existing;
    std::vector<FileEntry> files;
    plan.folders.reserve(tree.size());
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const std::string& f = tree[i].path;
        PlannedFolder planned;
        planned.source = JoinPath(f, "");
        if (i != 0) {
            if (IsReadOnlyBlocked(c, f, tree[i].attributes)) return false;
            planned.relative = f.substr(root.size());
            planned.create = true;
        }
        planned.target = target + planned.relative;
        if (!ListPlainFiles(c, f, nullptr, files)) return false;
        if (plan.compares) ListExisting(c, planned.target, nullptr, existing);
        if (!PlanFiles(c, files, plan, existing, now, planned)) return false;
        plan.folders.push_back(std::move(planned));
    }
    return true;
}
// A file entry: whether `copy` (a file path) is a current copy of `source`.
// False whenever either cannot be listed as a plain file.
bool FileIsCurrent(Context& c, const std::string& source, const std::string& copy) {
    if (!ComparesCopies(c)) return false;
    std::vector<platform::FileSystem::Entry> a, b;
    if (!c.fs.ListEntries(source, platform::ListFiles, a) || a.size() != 1) return false;
    if (!c.fs.ListEntries(copy, platform::ListFiles, b) || b.size() != 1) return false;
    if (((a[0].attributes | b[0].attributes) & platform::AttrDirectory) != 0) return false;
    const FileEntry s{a[0].name, a[0].attributes, a[0].size, a[0].lastWrite};
    const FileEntry d{b[0].name, b[0].attributes, b[0].size, b[0].lastWrite};
    return IsCurrent(s, d, c.fs.Now());
}

// The last-write time of a file entry's source, for the wait before its copy.
void WaitBeforeFileCopy(Context& c, const std::string& source) {
    if (!ComparesCopies(c)) return;
    std::vector<platform::FileSystem::Entry> a;
    if (c.fs.ListEntries(source, platform::ListFiles, a) && a.size() == 1) WaitForTimeStep(c, a[0].lastWrite);
}

// Checks shared by save and restore: the line names an item, the item is
// not inside the data store, it exists, and it is not read-only.
bool CheckLiveItem(Context& c, const std::string& line, Entry& e) {
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
    if (!CheckLiveItem(c, step.line, e)) return false;
    step.key = e.key;
    step.store = JoinPath(step.userFolder, e.key);
    const std::string& store = step.store;

    CopyPlan plan;
    if (e.kind == EntryKind::Pattern && !PlanPattern(c, e.folder, e.name, store, true, plan)) return false;
    if (e.kind == EntryKind::Folder && !PlanTree(c, WithTrailingBackslash(e.path), false, store, true, plan))
        return false;

    // A file entry whose stored copy is current keeps it.
    const std::string storedFile = JoinPath(store, e.name);
    const bool fileCurrent = e.kind == EntryKind::File && FileIsCurrent(c, e.path, storedFile);

    const bool saved = Wrapped(hooks, step, [&] {
        std::string existing = store;
        if (CheckPathExists(c, existing)) {
            // A file entry's copy is made with "replace nothing": its old
            // copy goes first, unless it is current. Otherwise what the copy
            // replaces stays for it.
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
            if (fileCurrent) return true;
            WaitBeforeFileCopy(c, e.path);
            // A copy that fails fails the item: the run must not go on to
            // overwrite the only complete version.
            return c.fs.CopyFile(e.path, storedFile, true);
        }
        return RunPlan(c, plan);
    });
    if (!saved) return false;
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
    if (e.kind == EntryKind::Pattern && !PlanPattern(c, store, e.name, e.folder, false, plan)) return false;
    if (e.kind == EntryKind::Folder && !PlanTree(c, store, true, e.path, false, plan)) return false;

    const bool restored = Wrapped(hooks, step, [&] {
        switch (e.kind) {
            case EntryKind::File: {
                ShowStatus(c, e.path, false);
                const std::string storedFile = JoinPath(store, e.name);
                if (FileIsCurrent(c, storedFile, e.path)) return true;
                WaitBeforeFileCopy(c, storedFile);
                // Read-only files may change: the one in place is made
                // writable so that the copy can replace it.
                std::uint32_t attributes = 0;
                if (option::ForcesReadOnly(c.state.DeleteReadOnly) && c.fs.GetAttributes(e.path, attributes) &&
                    (attributes & platform::AttrReadOnly))
                    c.fs.SetAttributes(e.path, attributes & ~static_cast<std::uint32_t>(platform::AttrReadOnly));
                if (c.fs.CopyFile(storedFile, e.path, false)) return true;
                const std::uint32_t number = c.fs.LastError();
                ShowDebugMessage(c, std::to_string(number) + "\r\n" + c.fs.LastErrorText(), StyleStop);
                // The live file still holds the previous user's version.
                return false;
            }
            case EntryKind::Pattern:
                if (!ClearPathForCopy(c, e.folder, e.name, PlanTargets(plan))) return false;
                return RunPlan(c, plan);
            case EntryKind::Folder:
                if (!ClearPathForCopy(c, WithTrailingBackslash(e.path), "", PlanTargets(plan))) return false;
                return RunPlan(c, plan);
        }
        return false;
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

// The error policy's text for a failed item: what failed, and on the next
// line the item's path, so that the person knows which file or folder it
// was (another program holding it open, most often).
std::string FailedItemText(const char* failure, const std::string& line) {
    std::string key, value;
    return std::string(failure) + "\r\n" + (SplitFileLine(line, key, value) ? value : line);
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
        if (!ok && !ConfirmContinue(c, FailedItemText(engine_text::SaveItemFailed, lines[i]))) return false;
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
        if (!ok && !ConfirmContinue(c, FailedItemText(engine_text::RestoreItemFailed, lines[i]))) return false;
    }
    return true;
}

}  // namespace tollervy
