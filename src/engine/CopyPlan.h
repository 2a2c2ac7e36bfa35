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
#include "settings/Context.h"

namespace tollervy {

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

// Copies the plan's files, folder by folder, moving the bar. False at the
// first folder or file that fails.
bool RunPlan(Context& c, const CopyPlan& plan);

// The plain files of `from` that match `pattern`, copied flat into `to`.
// The status line shows the live side: the source when saving, the
// destination when restoring.
bool PlanPattern(Context& c, const std::string& from, const std::string& pattern, const std::string& to,
                 bool liveIsSource, CopyPlan& plan);

// The tree of `from` mirrored into `to`: its plain files and folders.
bool PlanTree(Context& c, const std::string& from, bool keepProgramFolder, const std::string& to, bool liveIsSource,
              CopyPlan& plan);

// A file entry: whether `copy` (a file path) is a current copy of `source`.
// False whenever either cannot be listed as a plain file.
bool FileIsCurrent(Context& c, const std::string& source, const std::string& copy);

// Waits, before a file entry's copy, for its source's time step to pass.
void WaitBeforeFileCopy(Context& c, const std::string& source);

}  // namespace tollervy
