#include "engine/CopyPlan.h"

#include <algorithm>

#include "engine/FileOps.h"
#include "engine/PathUtil.h"
#include "engine/Progress.h"
#include "settings/Environment.h"
#include "settings/Settings.h"

namespace tollervy {

using progress::MoveBarInBand;
using progress::ShowsProgress;

namespace {

// The widest last-write time resolution of the file systems the program may
// meet (FAT keeps times in steps of two seconds). Two writes within one step
// of it may carry the same time.
constexpr std::uint64_t TimeResolution = 2 * platform::FileTimeSecond;
// How long a copy waits at most for its source's time step to pass (FAT
// rounds a time up, so a fresh file may carry one up to a step ahead).
constexpr std::uint64_t LongestWait = 2 * TimeResolution + platform::FileTimeSecond;

// The listing bits of a side: the side in place is listed with change times.
std::uint32_t LiveTimes(bool live) {
    return live ? platform::ListChangeTimes : 0;
}

// The plain files a copy is about to overwrite, by name.
using Existing = std::unordered_map<std::string, FileEntry>;

void ListExisting(Context& c, const std::string& folder, const std::string* pattern, Existing& existing,
                  std::uint32_t extra = 0) {
    existing.clear();
    std::vector<platform::FileSystem::Entry> entries;
    const std::string base = WithTrailingBackslash(folder);
    // A folder that is missing or cannot be listed holds nothing current:
    // everything is copied.
    if (!c.fs.ListEntries(pattern ? base + *pattern : base, platform::ListFiles | extra, entries)) return;
    for (auto& e : entries) {
        if ((e.attributes & platform::AttrDirectory) != 0) continue;
        std::string name = e.name;
        existing.emplace(std::move(name), FileEntry{std::move(e.name), e.attributes, e.size, e.lastWrite, e.changed});
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

}  // namespace

PlanTargets::PlanTargets(const CopyPlan& plan) : plan_(plan) {
    for (std::size_t i = 0; i < plan.folders.size(); ++i) folders_.emplace(plan.folders[i].relative, i);
}

bool PlanTargets::WritesFolder(const std::string& relative) const {
    return !relative.empty() && folders_.count(relative) != 0;
}

CopyTargets::FileUse PlanTargets::UseOf(const std::string& folder, const std::string& name) const {
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

namespace {

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

}  // namespace

// Whether files whose copy is current are left alone ([Start] CopyAll is
// not "1").
bool ComparesCopies(Context& c) {
    return ReadIniValue(c, keys::StartCopyAll) != "1";
}

void CountPlan(const CopyPlan& plan, std::size_t& copied, std::size_t& current) {
    copied = current = 0;
    std::size_t k = 0;
    for (const auto& folder : plan.folders)
        for (const auto& file : folder.files) {
            if (k++ >= plan.completed) return;
            ++(file.current ? current : copied);
        }
}

bool Stopped(Context& c, CopyPlan& plan, const std::string& path) {
    plan.failedPath = path;
    plan.failedReason = c.fs.LastErrorText();
    return false;
}

bool RunPlan(Context& c, CopyPlan& plan) {
    plan.completed = 0;
    std::size_t total = 0;
    for (const auto& f : plan.folders) total += f.files.size();
    std::size_t done = 0;
    std::string from, to;
    for (std::size_t i = 0; i < plan.folders.size(); ++i) {
        const PlannedFolder& folder = plan.folders[i];
        // A folder that cannot be made fails the item, even an empty one:
        // otherwise the copy silently lacks it.
        if (folder.create && !c.fs.CreateFolder(folder.target) && !IsDirectory(c, folder.target))
            return Stopped(c, plan, folder.target);
        for (const auto& file : folder.files) {
            const std::string_view name = folder.Name(file);
            from.assign(folder.source).append(name);
            to.assign(folder.target).append(name);
            // A current copy is shown and counted like one that is made.
            ShowStatus(c, plan.liveIsSource ? from : to, false);
            if (!file.current) {
                if (plan.compares) WaitForTimeStep(c, file.lastWrite);
                if (!CopyFileWithAttributes(c, from, file.attributes, to))
                    return Stopped(c, plan, plan.liveIsSource ? from : to);
            }
            plan.completed = ++done;
            if (plan.barPerFile) MoveBarInBand(c, done, total);
        }
        if (!plan.barPerFile) MoveBarInBand(c, i + 1, plan.folders.size());
    }
    return true;
}

namespace {

// The relative path of a file of a planned folder, as manifests list it.
void RelativePath(const PlannedFolder& folder, std::string_view name, std::string& out) {
    out.assign(folder.relative).append(name);
}

// Adds one listed file to the plan, compared with the copy already in its
// target. Current only when both have the same size, time and attributes
// and hold the same bytes: known when both sides carry one tag with the
// size, time and attributes recorded with it, and the file in place still
// has the change time recorded with its tag; otherwise read and compared
// (copies of no known common origin, such as two people's copies from a
// store of an earlier version, or a file rewritten with its size, time and
// attributes put back), after which both carry one tag.
void PlanOne(Context& c, const FileEntry& f, CopyPlan& plan, const Existing& existing, std::uint64_t now,
             PlannedFolder& folder, std::string& relative) {
    PlannedFile planned;
    planned.nameAt = static_cast<std::uint32_t>(folder.names.size());
    planned.nameLength = static_cast<std::uint32_t>(f.name.size());
    planned.attributes = f.attributes;
    planned.lastWrite = f.lastWrite;
    planned.size = f.size;
    RelativePath(folder, f.name, relative);
    const std::size_t known = plan.source.Find(relative, f.size, f.lastWrite, f.attributes);
    if (known != Manifest::None) planned.sourceTag = static_cast<std::uint32_t>(known);
    // A save records the change time of what it copies as it was listed.
    if (plan.liveIsSource) planned.liveChange = f.changed;
    if (plan.compares) {
        const auto found = existing.find(f.name);
        if (found != existing.end() && IsCurrent(f, found->second, now)) {
            const FileEntry& copy = found->second;
            const std::size_t held = plan.target.Find(relative, copy.size, copy.lastWrite, copy.attributes);
            bool oneTag = known != Manifest::None && held != Manifest::None &&
                          plan.target.Tag(held) == plan.source.Tag(known);
            // As listed, before the bytes are read: a change after it shows.
            if (!plan.liveIsSource) planned.liveChange = copy.changed;
            const std::uint64_t recorded =
                oneTag ? (plan.liveIsSource ? plan.source.Changed(known) : plan.target.Changed(held)) : 0;
            // Rewritten behind its listing: its tag no longer says its bytes.
            if (recorded != 0 && planned.liveChange != recorded) oneTag = false;
            planned.current = oneTag || c.fs.FilesEqual(folder.source + f.name, folder.target + f.name);
            if (planned.current && held != Manifest::None) planned.targetTag = static_cast<std::uint32_t>(held);
        }
    }
    folder.names += f.name;
    folder.files.push_back(planned);
}

// Adds the listed files of one folder to the plan. False when a read-only
// file blocks the item.
bool PlanFiles(Context& c, const std::vector<FileEntry>& files, CopyPlan& plan, const Existing& existing,
               std::uint64_t now, PlannedFolder& folder) {
    std::size_t length = 0;
    for (const auto& f : files) length += f.name.size();
    folder.names.reserve(length);
    folder.files.reserve(files.size());
    std::string relative;
    for (const auto& f : files) {
        if ((f.attributes & platform::AttrReadOnly) && IsReadOnlyBlocked(c, folder.source + f.name, f.attributes))
            return false;
        PlanOne(c, f, plan, existing, now, folder, relative);
    }
    return true;
}

// The tag a file carries on both sides after the copy: its source's for a
// file copied; for a file left as it is, the lesser of the two sides' tags,
// so that copies found equal by their bytes settle on one tag, whichever
// way later switches go. Empty: none known (a new one is given).
std::string_view SettledTag(const CopyPlan& plan, const PlannedFile& file) {
    const std::string_view source =
        file.sourceTag != PlannedFile::NoTag ? plan.source.Tag(file.sourceTag) : std::string_view();
    if (!file.current || file.targetTag == PlannedFile::NoTag) return source;
    const std::string_view target = plan.target.Tag(file.targetTag);
    return source.empty() || target < source ? target : source;
}

// Calls `each(folder, file, relative)` for every planned file, in plan order.
template <typename Each>
void ForEachFile(const CopyPlan& plan, Each each) {
    std::string relative;
    for (const auto& folder : plan.folders)
        for (const auto& file : folder.files) {
            RelativePath(folder, folder.Name(file), relative);
            each(file, relative);
        }
}

}  // namespace

// The plain files of `from` that match `pattern`, copied flat into `to`.
// The status line shows the live side: the source when saving, the
// destination when restoring.
bool PlanPattern(Context& c, const std::string& from, const std::string& pattern, const std::string& to,
                 bool liveIsSource, CopyPlan& plan) {
    std::vector<FileEntry> files;
    if (!ListPlainFiles(c, from, &pattern, files, LiveTimes(liveIsSource))) return false;
    plan.liveIsSource = liveIsSource;
    plan.barPerFile = true;
    plan.compares = ComparesCopies(c);
    Existing existing;
    if (plan.compares) ListExisting(c, to, &pattern, existing, LiveTimes(!liveIsSource));
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
        if (!ListPlainFiles(c, f, nullptr, files, LiveTimes(liveIsSource))) return false;
        if (plan.compares) ListExisting(c, planned.target, nullptr, existing, LiveTimes(!liveIsSource));
        if (!PlanFiles(c, files, plan, existing, now, planned)) return false;
        plan.folders.push_back(std::move(planned));
    }
    return true;
}
void PlanFile(Context& c, const std::string& from, const std::string& name, const std::string& to, bool liveIsSource,
              CopyPlan& plan) {
    plan.liveIsSource = liveIsSource;
    plan.compares = ComparesCopies(c);
    PlannedFolder folder;
    folder.source = JoinPath(from, "");
    folder.target = JoinPath(to, "");
    // Both sides by the entry's name, however the disk spells it.
    const auto listOne = [&](const std::string& path, bool live, FileEntry& out) {
        std::vector<platform::FileSystem::Entry> listed;
        if (!c.fs.ListEntries(path, platform::ListFiles | LiveTimes(live), listed) || listed.size() != 1 ||
            (listed[0].attributes & platform::AttrDirectory) != 0)
            return false;
        out = FileEntry{name, listed[0].attributes, listed[0].size, listed[0].lastWrite, listed[0].changed};
        return true;
    };
    FileEntry source, copy;
    if (listOne(folder.source + name, liveIsSource, source)) {
        Existing existing;
        if (plan.compares && listOne(folder.target + name, !liveIsSource, copy)) existing.emplace(name, copy);
        std::string relative;
        PlanOne(c, source, plan, existing, c.fs.Now(), folder, relative);
    }
    plan.folders.push_back(std::move(folder));
}

bool FileCurrent(const CopyPlan& plan) {
    return plan.folders.size() == 1 && plan.folders[0].files.size() == 1 && plan.folders[0].files[0].current;
}

void LoadManifests(Context& c, CopyPlan& plan, ManifestSide source, ManifestSide target) {
    plan.sourceSide = std::move(source);
    plan.targetSide = std::move(target);
    plan.source.Load(c, plan.sourceSide);
    plan.targetBelieved = plan.target.Load(c, plan.targetSide);
}

bool ForgetReplaced(Context& c, CopyPlan& plan) {
    ManifestWriter kept(c, plan.targetSide);
    ForEachFile(plan, [&](const PlannedFile& file, const std::string& relative) {
        // A file found equal by its bytes and known on neither side gets its
        // tag afterwards.
        if (file.current)
            kept.Add(relative, file.size, file.lastWrite, plan.liveIsSource ? 0 : file.liveChange, file.attributes,
                     SettledTag(plan, file));
    });
    // Nothing to take back: every record is of a file left as it is.
    if (plan.targetBelieved && kept.Count() == plan.target.Count()) return true;
    return kept.Finish();
}

void RecordPlan(Context& c, const CopyPlan& plan) {
    // A copy from the live side gets a new tag, the same on both sides: its
    // bytes are what was just copied, whatever the live file's tag said (a
    // file rewritten with its size, time and attributes put back still
    // carries its old tag; no save passes that on). A copy from a store
    // carries the store's tag: nothing but the program writes there. A file
    // left as it is keeps the tag both sides settled on; where no tag is
    // known a new one is given; a file the copy never reached keeps its
    // source's. New tags: one stem, counted in plan order, so that both
    // sides, written one at a time, get the same ones.
    TagSource fresh(c);
    bool sourceRetagged = false;
    // A restore: the change times of what it put in place, listed again
    // folder by folder.
    std::vector<std::uint64_t> copiedChange;
    if (!plan.liveIsSource) {
        std::size_t k = 0;
        Existing now;
        for (const auto& folder : plan.folders) {
            bool listed = false;
            for (const auto& file : folder.files) {
                std::uint64_t change = file.liveChange;
                if (!file.current && k < plan.completed) {
                    if (!listed) ListExisting(c, folder.target, nullptr, now, platform::ListChangeTimes);
                    listed = true;
                    const auto found = now.find(std::string(folder.Name(file)));
                    change = found == now.end() ? 0 : found->second.changed;
                }
                copiedChange.push_back(change);
                ++k;
            }
        }
    }
    const auto write = [&](const ManifestSide& side, bool target) {
        ManifestWriter writer(c, side);
        fresh.Restart();
        std::size_t k = 0;
        std::string tag;
        ForEachFile(plan, [&](const PlannedFile& file, const std::string& relative) {
            const std::size_t at = k++;
            const bool copied = !file.current && at < plan.completed;
            const bool reached = copied || file.current;
            tag.clear();
            if (!copied || !plan.liveIsSource) tag = SettledTag(plan, file);
            if (tag.empty() && reached) fresh.Append(tag);
            const std::string_view had =
                file.sourceTag != PlannedFile::NoTag ? plan.source.Tag(file.sourceTag) : std::string_view();
            // The side in place records its change time; a stored copy none.
            const bool live = target != plan.liveIsSource;
            const std::uint64_t change = !live ? 0 : plan.liveIsSource ? file.liveChange : copiedChange[at];
            sourceRetagged = sourceRetagged || tag != had ||
                             (plan.liveIsSource && file.sourceTag != PlannedFile::NoTag &&
                              plan.source.Changed(file.sourceTag) != file.liveChange);
            if (target ? reached : !tag.empty())
                writer.Add(relative, file.size, file.lastWrite, change, file.attributes, tag);
        });
        writer.Finish();
    };
    write(plan.targetSide, true);
    if (sourceRetagged) write(plan.sourceSide, false);
}

// The last-write time of a file entry's source, for the wait before its copy.
void WaitBeforeFileCopy(Context& c, const std::string& source) {
    if (!ComparesCopies(c)) return;
    std::vector<platform::FileSystem::Entry> a;
    if (c.fs.ListEntries(source, platform::ListFiles, a) && a.size() == 1) WaitForTimeStep(c, a[0].lastWrite);
}

}  // namespace tollervy
