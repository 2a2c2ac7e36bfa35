#include "engine/FileOps.h"

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "engine/EngineText.h"
#include "engine/PathUtil.h"
#include "settings/Environment.h"
#include "settings/Settings.h"

namespace tollervy {

using platform::AttrDirectory;
using platform::AttrReadOnly;
using platform::ListAll;

namespace {

void Diagnostic(Context& c, const std::string& path, const char* failure) {
    ShowDebugMessage(c, path + "\r\n" + failure, StyleStop);
}

bool ReadOnlyMayChange(Context& c) {
    return option::ForcesReadOnly(c.state.DeleteReadOnly);
}

// Windows' error numbers of a full disk.
constexpr std::uint32_t DiskFull = 112;
constexpr std::uint32_t HandleDiskFull = 39;

bool HasReadOnlyBit(Context& c, const std::string& path) {
    std::uint32_t attributes = 0;
    return c.fs.GetAttributes(path, attributes) && (attributes & AttrReadOnly) != 0;
}

}  // namespace

namespace {

// Steps 2 and 3 of CopyFileKeepAttr: copy, then give the copy exactly the
// source's attributes.
bool CopyAndSetAttributes(Context& c, const std::string& source, std::uint32_t attributes,
                          const std::string& destination) {
    if (!c.fs.CopyFile(source, destination, false)) {
        // A copy that ran out of room leaves no file cut short (Windows' own
        // copy removes it; Wine's keeps what it wrote): what it replaced was
        // gone the moment the copy began. Only a file that is there is
        // deleted, so that the reason stays the copy's.
        const std::uint32_t error = c.fs.LastError();
        if ((error == DiskFull || error == HandleDiskFull) && ListingYields(c, destination, ListAll))
            c.fs.DeleteFile(destination);
        Diagnostic(c, source, engine_text::CopyFailed);
        return false;
    }
    std::uint32_t copied = 0;
    if (!c.fs.GetAttributes(destination, copied) || copied != attributes) {
        if (!c.fs.SetAttributes(destination, attributes)) {
            Diagnostic(c, source, engine_text::AttrSetFailed);
            return false;
        }
    }
    return true;
}

}  // namespace

bool CopyFileKeepAttr(Context& c, const std::string& source, const std::string& destination, bool move) {
    std::uint32_t attributes = 0;
    if (!c.fs.GetAttributes(source, attributes)) {
        Diagnostic(c, source, engine_text::AttrGetFailed);
        return false;
    }
    if (!CopyAndSetAttributes(c, source, attributes, destination)) return false;
    if (move && !c.fs.DeleteFile(source)) {
        Diagnostic(c, source, engine_text::MoveFailed);
        return false;
    }
    return true;
}

bool CopyFileWithAttributes(Context& c, const std::string& source, std::uint32_t sourceAttributes,
                            const std::string& destination) {
    return CopyAndSetAttributes(c, source, sourceAttributes, destination);
}

bool DeleteFileForce(Context& c, const std::string& path) {
    if (c.fs.DeleteFile(path)) return true;
    if (ReadOnlyMayChange(c) && HasReadOnlyBit(c, path)) {
        if (c.fs.SetAttributes(path, 0) && c.fs.DeleteFile(path)) return true;
    }
    std::string probe = path;
    std::uint32_t attributes = 0;
    // Missing only when neither the listing nor the attribute query finds
    // it: a listing that fails on an existing file must not pass as deleted.
    if (!CheckPathExists(c, probe) && !c.fs.GetAttributes(path, attributes)) {
        Diagnostic(c, path, engine_text::FileMissing);
        return true;
    }
    Diagnostic(c, path, engine_text::FileDeleteFailed);
    return false;
}

bool DeleteFolderForce(Context& c, const std::string& path) {
    if (c.fs.RemoveFolder(path)) return true;
    if (ReadOnlyMayChange(c) && HasReadOnlyBit(c, path)) {
        if (c.fs.SetAttributes(path, 0) && c.fs.RemoveFolder(path)) return true;
    }
    Diagnostic(c, path, engine_text::FolderDeleteFailed);
    return false;
}

bool PathSetTargets::WritesFolder(const std::string& relative) const {
    return replaced_.count(relative) != 0;
}

CopyTargets::FileUse PathSetTargets::UseOf(const std::string& folder, const std::string& name) const {
    const std::string relative = folder + name;
    if (replaced_.count(relative) == 0) return FileUse::Deleted;
    return kept_ != nullptr && kept_->count(relative) != 0 ? FileUse::Kept : FileUse::Replaced;
}

bool ClearPath(Context& c, const std::string& path, const std::string& pattern) {
    static const std::set<std::string> nothing;
    return ClearPathForCopy(c, path, pattern, nothing);
}

bool ClearPathForCopy(Context& c, const std::string& path, const std::string& pattern,
                      const std::set<std::string>& replaced, const std::set<std::string>* kept) {
    return ClearPathForCopy(c, path, pattern, PathSetTargets(replaced, kept));
}

bool ClearPathForCopy(Context& c, const std::string& path, const std::string& pattern, const CopyTargets& targets) {
    if (!ListingYields(c, path, ListAll)) {
        Diagnostic(c, path, engine_text::DoesNotExist);
        return false;
    }
    if (!IsDirectory(c, path)) return DeleteFileForce(c, path);

    std::vector<TreeFolder> folders;
    if (!pattern.empty()) {
        std::uint32_t attributes = 0;
        c.fs.GetAttributes(path, attributes);
        folders.push_back({path, 0, attributes});
    } else {
        // Only a stored copy of the data store is walked whole; anywhere
        // else the program's folder (and the store in it) is left out, just
        // as the save leaves it out of the copy.
        if (!BuildFolderTree(c, path, LiesInStoredCopy(c, path), folders)) return false;
    }

    // Learn everything first: an emptying that is bound to stop half-way
    // (a read-only file, a folder that holds a hidden or system file or the
    // program's folder) deletes nothing at all. Each folder's plain files
    // are kept as their names one after the other and, per file, where its
    // name ends and its attributes.
    struct FolderFile {
        std::uint32_t end, attributes;  // end of the name
        std::uint64_t size;
    };
    struct FolderFiles {
        std::string names;
        std::vector<FolderFile> files;
    };
    std::vector<FolderFiles> files(folders.size());
    std::vector<FileEntry> listed;
    std::vector<std::size_t> children(folders.size(), 0);
    for (std::size_t i = 1; i < folders.size(); ++i) ++children[folders[i].parent];
    const bool readOnlyMayChange = ReadOnlyMayChange(c);
    for (std::size_t i = 0; i < folders.size(); ++i) {
        const std::string& folder = folders[i].path;
        if (!ListPlainFiles(c, folder, pattern.empty() ? nullptr : &pattern, listed)) return false;
        if (!readOnlyMayChange) {
            for (const auto& f : listed) {
                if (f.attributes & AttrReadOnly) {
                    Diagnostic(c, JoinPath(folder, f.name), engine_text::FileDeleteFailed);
                    return false;
                }
            }
        }
        std::size_t length = 0;
        for (const auto& f : listed) length += f.name.size();
        files[i].names.reserve(length);
        files[i].files.reserve(listed.size());
        for (const auto& f : listed) {
            files[i].names += f.name;
            files[i].files.push_back({static_cast<std::uint32_t>(files[i].names.size()), f.attributes, f.size});
        }
        if (i == 0) continue;  // the path itself stays
        if (!readOnlyMayChange && (folders[i].attributes & AttrReadOnly)) {
            Diagnostic(c, folder, engine_text::FolderDeleteFailed);
            return false;
        }
        std::vector<std::string> everything;
        if (!c.fs.List(folder, ListAll, everything)) {
            Diagnostic(c, folder, engine_text::FolderDeleteFailed);
            return false;
        }
        std::size_t entries = 0;
        for (const auto& e : everything)
            if (e != "." && e != "..") ++entries;
        if (entries != listed.size() + children[i]) {
            Diagnostic(c, folder, engine_text::FolderDeleteFailed);
            return false;
        }
    }
    listed = {};

    // What the copy will write over is left to it (a read-only file made
    // writable first); everything else goes, deepest first.
    const std::string root = WithTrailingBackslash(folders[0].path);
    std::string name;
    for (std::size_t i = folders.size(); i-- > 0;) {
        const std::string& folder = folders[i].path;
        const std::string relative = i == 0 ? std::string() : folder.substr(root.size());
        std::size_t begin = 0;
        for (const auto& [end, attributes, size] : files[i].files) {
            name.assign(files[i].names, begin, end - begin);
            begin = end;
            const CopyTargets::FileUse use = targets.UseOf(relative, name);
            if (use != CopyTargets::FileUse::Kept && targets.SetsAside()) {
                if (!targets.SetAside(JoinPath(folder, name), relative + name, size)) {
                    Diagnostic(c, JoinPath(folder, name), engine_text::MoveFailed);
                    return false;
                }
                continue;
            }
            switch (use) {
                case CopyTargets::FileUse::Deleted:
                    if (!DeleteFileForce(c, JoinPath(folder, name))) return false;
                    break;
                case CopyTargets::FileUse::Kept:
                    break;  // a current copy stays exactly as it is
                case CopyTargets::FileUse::Replaced:
                    if ((attributes & AttrReadOnly) && !c.fs.SetAttributes(JoinPath(folder, name), 0)) {
                        Diagnostic(c, JoinPath(folder, name), engine_text::FileDeleteFailed);
                        return false;
                    }
                    break;
            }
        }
        if (i != 0 && !targets.WritesFolder(relative) && !DeleteFolderForce(c, folder)) return false;
        files[i] = {};  // done with: its memory goes back at once
    }
    return true;
}

bool IsReadOnlyBlocked(Context& c, const std::string& path, std::uint32_t attributes) {
    if (ReadOnlyMayChange(c)) return false;
    if (attributes & AttrReadOnly) {
        ShowMessage(c, path + "\r\n" + engine_text::IsReadOnly, StyleStop);
        return true;
    }
    return false;
}

bool IsReadOnlyBlocked(Context& c, const std::string& path) {
    if (ReadOnlyMayChange(c)) return false;
    std::uint32_t attributes = 0;
    if (!c.fs.GetAttributes(path, attributes)) return false;
    return IsReadOnlyBlocked(c, path, attributes);
}

void ShowRunEnds(Context& c) {
    ShowMessage(c, engine_text::RunEnds, StyleStop);
}

bool ConfirmContinue(Context& c, const std::string& failureText) {
    bool goOn = false;
    switch (c.state.LastErrorNext) {
        case 0:
            return true;
        case 2: {
            std::string prompt = engine_text::ContinueQuestion;
            if (!failureText.empty()) prompt += "\r\n\r\n" + failureText;
            goOn = c.messages.Show(prompt, ProgramTitle, engine_text::ContinueQuestionStyle) == platform::AnswerYes;
            break;
        }
        default:  // 1 and every other value stop
            goOn = false;
            break;
    }
    if (!goOn) ShowRunEnds(c);
    return goOn;
}

}  // namespace tollervy
