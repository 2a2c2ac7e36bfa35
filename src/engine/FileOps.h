// The file operations every change of the switching engine goes through, and
// the error policy that decides whether a run goes on after a failed item.
//
// None of them throws or ends the program: a failure is a false result and,
// when [Start] Debug is "1", a diagnostic message (path + "\r\n" + text).
#pragma once
#include <cstdint>
#include <set>
#include <string>

#include "settings/Context.h"

namespace tollervy {

// Copies a file (replacing the destination) and gives the copy exactly the
// source's attributes; with `move` the source is deleted afterwards.
bool CopyFileKeepAttr(Context& c, const std::string& source, const std::string& destination, bool move);
// The same copy (no move) for a source whose attributes were just listed.
bool CopyFileWithAttributes(Context& c, const std::string& source, std::uint32_t sourceAttributes,
                            const std::string& destination);

// True when the file is gone (a file that does not exist counts as gone).
// With [Delete] ReadOnly "1" a read-only file has its attributes cleared and
// is deleted.
bool DeleteFileForce(Context& c, const std::string& path);

// Removes an empty folder; true when it is gone. With [Delete] ReadOnly "1"
// a read-only folder has its attributes cleared first.
bool DeleteFolderForce(Context& c, const std::string& path);

// Empties a path: a file is deleted; a folder loses all its plain files and
// plain subfolders (deepest first) but stays itself; with a pattern only the
// matching files directly in the folder go. The program's own folder is left
// alone unless the path is a stored copy inside the data store.
bool ClearPath(Context& c, const std::string& path, const std::string& pattern);

// What a copy into a folder is about to write, by path relative to that
// folder: a folder ends with "\" (the folder itself is ""), a file is its
// folder's relative path and its name; names are compared exactly.
class CopyTargets {
public:
    enum class FileUse {
        Deleted,   // the copy does not write it
        Replaced,  // the copy writes over it
        Kept,      // a current copy that the copy leaves exactly as it is
    };
    // Whether the copy writes into the subfolder `relative` (never "").
    virtual bool WritesFolder(const std::string& relative) const = 0;
    virtual FileUse UseOf(const std::string& folder, const std::string& name) const = 0;
    // Whether a file that is not kept is set aside (moved out of the way by
    // SetAside, which answers whether it was) instead of deleted or left
    // for the copy to write over.
    virtual bool SetsAside() const { return false; }
    virtual bool SetAside(const std::string& /*path*/, const std::string& /*relative*/, std::uint64_t /*size*/) const {
        return false;
    }
    virtual ~CopyTargets() = default;
};

// CopyTargets as two sets of relative paths: what the copy writes, and the
// part of it that it leaves as it is.
class PathSetTargets final : public CopyTargets {
public:
    explicit PathSetTargets(const std::set<std::string>& replaced, const std::set<std::string>* kept = nullptr)
        : replaced_(replaced), kept_(kept) {}
    bool WritesFolder(const std::string& relative) const override;
    FileUse UseOf(const std::string& folder, const std::string& name) const override;

private:
    const std::set<std::string>& replaced_;
    const std::set<std::string>* kept_;
};

// ClearPath before a copy into the same place: the files and folders that
// the copy is about to write are left for it to replace instead of being
// deleted first (a read-only one is made writable). Every check is made as
// for ClearPath; after the copy the folder holds the same as after ClearPath
// and the copy. Files the copy keeps are not even touched.
bool ClearPathForCopy(Context& c, const std::string& path, const std::string& pattern, const CopyTargets& targets);
// The same with the targets as sets of relative paths (`kept` a part of
// `replaced`).
bool ClearPathForCopy(Context& c, const std::string& path, const std::string& pattern,
                      const std::set<std::string>& replaced, const std::set<std::string>* kept = nullptr);

// True (after the message path + "\r\n" + "読み取り専用です") when the path
// is read-only and [Delete] ReadOnly is not "1": do not touch it.
bool IsReadOnlyBlocked(Context& c, const std::string& path);
// The same for a path whose attributes were just listed.
bool IsReadOnlyBlocked(Context& c, const std::string& path, std::uint32_t attributes);

// The error policy after a failed item, by [Last] ErrorNext: 0 go on,
// 2 ask (Yes goes on), anything else stop. True = go on with the next item.
// Stopping shows "異常が発生しました\r\n処理を終了します".
bool ConfirmContinue(Context& c, const std::string& failureText);

// The closing message of a stopped run.
void ShowRunEnds(Context& c);

}  // namespace tollervy
