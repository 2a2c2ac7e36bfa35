// Copy plans: what an item's copy is to write, listed and compared before
// anything is changed, so that an item that cannot be completed fails with
// nothing changed.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/FileOps.h"
#include "engine/Manifest.h"
#include "settings/Context.h"

namespace tollervy {

// A plan holds each folder's paths once and, per file, its name and what the
// listing said; the full paths are put together as each file is copied.
struct PlannedFile {
    static constexpr std::uint32_t NoTag = UINT32_MAX;
    std::uint32_t nameAt = 0;      // in its folder's names
    std::uint32_t nameLength = 0;
    std::uint32_t attributes = 0;  // of the source, as listed
    // The source's record in the plan's source manifest; NoTag: its bytes are
    // not known, and they get a new tag when they are copied.
    std::uint32_t sourceTag = NoTag;
    // For a file left as it is: the target's record in the target manifest.
    std::uint32_t targetTag = NoTag;
    // The target holds the source's bytes (one tag on both sides, or found
    // equal by reading both) with its size, time and attributes: left as
    // it is.
    bool current = false;
    std::uint64_t lastWrite = 0;   // of the source, as listed
    std::uint64_t size = 0;        // of the source, as listed
    // The change time of the side in place, when it was asked for: before a
    // save copies it, or while the file was compared (0: none known).
    std::uint64_t liveChange = 0;
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
    // The manifests of the side copied from and of the side written.
    ManifestSide sourceSide, targetSide;
    Manifest source, target;
    bool targetBelieved = false;  // the target's manifest could be believed
    std::size_t completed = 0;    // files done, in plan order: copied or left current
    // Where the copy stopped (the live side's path) and Windows' reason.
    std::string failedPath, failedReason;
};

// The copy stops at `path` for the reason Windows just gave: false.
bool Stopped(Context& c, CopyPlan& plan, const std::string& path);

// Of the files done: those copied and those left as they were.
void CountPlan(const CopyPlan& plan, std::size_t& copied, std::size_t& current);

// What the plan writes, relative to the folder it fills: the emptying before
// it leaves these to be replaced (deleting a file costs more than the copy
// that replaces it), and its current copies as they are. Looked up in the
// plan itself: a folder by its relative path, a file by name in a sorted
// index of its folder, made when the emptying reaches that folder.
class PlanTargets final : public CopyTargets {
public:
    explicit PlanTargets(const CopyPlan& plan);
    bool WritesFolder(const std::string& relative) const override;
    FileUse UseOf(const std::string& folder, const std::string& name) const override;

private:
    const CopyPlan& plan_;
    std::unordered_map<std::string_view, std::size_t> folders_;
    mutable std::size_t indexed_ = static_cast<std::size_t>(-1);
    mutable std::vector<std::uint32_t> index_;
};

// Whether files whose copy is current are left alone ([Start] CopyAll is
// not "1").
bool ComparesCopies(Context& c);

// Reads the manifests of both sides; call before the plan is made.
void LoadManifests(Context& c, CopyPlan& plan, ManifestSide source, ManifestSide target);

// Before the first change of the target: its manifest keeps only the files
// the plan leaves as they are, so that a stop at any instant leaves no tag on
// a file that is being replaced or removed. False when that cannot be
// written: nothing may then be changed.
bool ForgetReplaced(Context& c, CopyPlan& plan);

// After the copy, whole or stopped: the target's manifest lists the files
// left current and those copied; the source's gets the tags given to bytes
// that had none, or settled on after a comparison. A manifest that cannot be written costs only copies later.
void RecordPlan(Context& c, const CopyPlan& plan);

// Copies the plan's files, folder by folder, moving the bar. False at the
// first folder or file that fails; `completed` counts the files done.
bool RunPlan(Context& c, CopyPlan& plan);

// The plain files of `from` that match `pattern`, copied flat into `to`.
// The status line shows the live side: the source when saving, the
// destination when restoring.
bool PlanPattern(Context& c, const std::string& from, const std::string& pattern, const std::string& to,
                 bool liveIsSource, CopyPlan& plan);

// The tree of `from` mirrored into `to`: its plain files and folders.
bool PlanTree(Context& c, const std::string& from, bool keepProgramFolder, const std::string& to, bool liveIsSource,
              CopyPlan& plan);

// A file entry: the file `name` of `from` copied into `to`. A file that
// cannot be listed as a plain file is left out (it is copied all the same,
// and never left as current).
void PlanFile(Context& c, const std::string& from, const std::string& name, const std::string& to, bool liveIsSource,
              CopyPlan& plan);

// The file entry's copy is current (its plan holds it, left as it is).
bool FileCurrent(const CopyPlan& plan);

// Waits, before a file entry's copy, for its source's time step to pass.
void WaitBeforeFileCopy(Context& c, const std::string& source);

}  // namespace tollervy
