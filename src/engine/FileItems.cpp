// File, folder and pattern entries: their copies made by copy plans
// (CopyPlan.h), compared by the manifests' tags or by their bytes.
#include <set>

#include "engine/Backup.h"
#include "engine/CopyPlan.h"
#include "engine/EngineText.h"
#include "engine/FileOps.h"
#include "engine/ItemKind.h"
#include "engine/Manifest.h"
#include "engine/PathUtil.h"
#include "engine/Progress.h"
#include "settings/Environment.h"
#include "settings/Settings.h"

namespace tollervy {

using platform::ListAll;

namespace {

// The plan's files done, for the switch log.
void NoteOutcome(const CopyPlan& plan, ItemStep& step) {
    CountPlan(plan, step.copied, step.current);
    step.failedPath = plan.failedPath;
    step.failedReason = plan.failedReason;
}

class FileItems final : public ItemKind {
public:
    // Not inside the data store, there, and not read-only.
    bool CheckLive(Context& c, const Entry& e) const override {
        // The store is never a listed item: saving it into itself or
        // emptying it as a live folder would destroy the stored copies.
        if (LiesInDataStore(c, e.target)) {
            ShowMessage(c, engine_text::FileSettingWrong, StyleStop);
            return false;
        }
        if (!ListingYields(c, e.target, ListAll)) {
            ShowNotFound(c, e.path);
            return false;
        }
        return !IsReadOnlyBlocked(c, e.target);
    }

    bool Save(Context& c, const Entry& e, ItemStep& step, const ItemHooks* hooks) const override {
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

        return Wrapped(hooks, step, [&] {
            if (!Because(c, step, ForgetReplaced(c, plan))) {
                ShowStoreUnwritable(c, plan.targetSide.path);
                return false;
            }
            // A file entry's copy is made with "replace nothing": its old
            // copy goes first, unless it is current. Otherwise what the copy
            // replaces stays for it.
            const std::set<std::string> keptFile{e.name}, none;
            const PathSetTargets fileTargets(fileCurrent ? keptFile : none, &keptFile);
            const PlanTargets planTargets(plan);
            // What the copy replaces or drops goes into the backup first.
            const SetAsideTargets targets(
                e.kind == EntryKind::File ? static_cast<const CopyTargets&>(fileTargets) : planTargets,
                hooks ? hooks->backup : nullptr, step.user, e.key);
            const bool ok = [&] {
                std::string existing = store;
                if (CheckPathExists(c, existing)) {
                    const bool emptied = ClearPathForCopy(c, existing, "", targets);
                    step.setAside = targets.Moved();
                    if (!emptied) {
                        Stopped(c, plan, existing);
                        ShowStoreUnwritable(c, existing);
                        return false;
                    }
                } else if (!c.fs.CreateFolder(store)) {
                    ShowStoreUnwritable(c, store);
                    c.system.EndProcess(StoreUnusableExitCode);
                }
                if (e.kind == EntryKind::File) {
                    ShowStatus(c, e.path, false);
                    if (!fileCurrent) {
                        WaitBeforeFileCopy(c, e.path);
                        // A copy that fails fails the item: the run must not
                        // go on to overwrite the only complete version.
                        if (!Because(c, step, c.fs.CopyFile(e.path, storedFile, true))) return Stopped(c, plan, e.path);
                    }
                    plan.completed = 1;
                    return true;
                }
                return Because(c, step, RunPlan(c, plan));
            }();
            // A copy that stopped: what it set aside and did not replace
            // goes back, so that the stored copy lacks nothing.
            if (!ok && targets.Moved() != 0) step.setAside -= targets.PutBack();
            RecordPlan(c, plan);
            NoteOutcome(plan, step);
            return ok;
        });
    }

    bool Restore(Context& c, const Entry& e, ItemStep& step, const ItemHooks* hooks) const override {
        const std::string& store = step.store;
        CopyPlan plan;
        LoadManifests(c, plan, StoredSide(store, e.path), InPlaceSide(c, e.key, e.path));
        if (e.kind == EntryKind::Pattern && !PlanPattern(c, store, e.name, e.folder, false, plan)) return false;
        if (e.kind == EntryKind::Folder && !PlanTree(c, store, true, e.path, false, plan)) return false;
        if (e.kind == EntryKind::File) PlanFile(c, store, e.name, e.folder, false, plan);

        return Wrapped(hooks, step, [&] {
            // The record names its generation of manifests once it is written.
            plan.targetSide = InPlaceSide(c, e.key, e.path);
            if (!Because(c, step, ForgetReplaced(c, plan))) {
                ShowMessage(c, std::string(engine_text::NoWritePermission) + "\r\n\r\n" + plan.targetSide.path,
                            StyleStop);
                return false;
            }
            const bool ok = [&] {
                switch (e.kind) {
                    case EntryKind::File: return RestoreFile(c, e, store, plan, step);
                    case EntryKind::Pattern:
                        if (!Because(c, step, ClearPathForCopy(c, e.folder, e.name, PlanTargets(plan))))
                            return Stopped(c, plan, e.folder);
                        return Because(c, step, RunPlan(c, plan));
                    case EntryKind::Folder:
                        if (!Because(c, step, ClearPathForCopy(c, WithTrailingBackslash(e.path), "", PlanTargets(plan))))
                            return Stopped(c, plan, e.path);
                        return Because(c, step, RunPlan(c, plan));
                    case EntryKind::Registry: break;
                }
                return false;
            }();
            RecordPlan(c, plan);
            NoteOutcome(plan, step);
            return ok;
        });
    }

private:
    static bool RestoreFile(Context& c, const Entry& e, const std::string& store, CopyPlan& plan, ItemStep& step) {
        ShowStatus(c, e.path, false);
        if (FileCurrent(plan)) {
            plan.completed = 1;
            return true;
        }
        const std::string storedFile = JoinPath(store, e.name);
        WaitBeforeFileCopy(c, storedFile);
        // Read-only files may change: the one in place is made writable so
        // that the copy can replace it.
        std::uint32_t attributes = 0;
        if (option::ForcesReadOnly(c.state.DeleteReadOnly) && c.fs.GetAttributes(e.path, attributes) &&
            (attributes & platform::AttrReadOnly))
            c.fs.SetAttributes(e.path, attributes & ~static_cast<std::uint32_t>(platform::AttrReadOnly));
        if (Because(c, step, c.fs.CopyFile(storedFile, e.path, false))) {
            // A copy over an existing file need not take the stored copy's
            // attributes (Wine's keeps the old ones).
            std::uint32_t stored = 0, copied = 0;
            if (c.fs.GetAttributes(storedFile, stored) && c.fs.GetAttributes(e.path, copied) && stored != copied &&
                !Because(c, step, c.fs.SetAttributes(e.path, stored)))
                return Stopped(c, plan, e.path);
            plan.completed = 1;
            return true;
        }
        const std::uint32_t number = c.fs.LastError();
        ShowDebugMessage(c, std::to_string(number) + "\r\n" + c.fs.LastErrorText(), StyleStop);
        // The live file still holds the previous user's version.
        return Stopped(c, plan, e.path);
    }
};

}  // namespace

const ItemKind& FileItemKind() {
    static const FileItems kind;
    return kind;
}

}  // namespace tollervy
