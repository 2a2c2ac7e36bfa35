// Previous versions: before a save overwrites or deletes a file in a store
// (Data\<user>\<key>, Data\All Users\<key> too), the old file is moved, by a
// rename within the data store, into
// Data\Backup\<yyyy-mm-dd hhmmss>\<user>\<key>\<path>. Only files that change
// are moved; a stop between the move and the copy leaves the old file in the
// store or in the backup. Old backups are pruned oldest first by count and
// total size; the newest is never touched. [Backup] in the settings file.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "engine/FileOps.h"
#include "settings/Context.h"

namespace tollervy {

class Backup {
public:
    // Reads [Backup] Use; the folder is made at the first move. `root`:
    // where the backups go when not in Root (a PC's own copies beside a
    // shared store keep theirs on the PC).
    explicit Backup(Context& c, std::string root = std::string());
    static std::string Root(Context& c);  // Data\Backup

    bool On() const { return on_; }
    // Moves `path` of user's stored copy `key` to the same relative path in
    // this switch's backup. False when it cannot be moved.
    bool SetAside(const std::string& user, const std::string& key, const std::string& path,
                  const std::string& relative, std::uint64_t size);
    // Moves it back to `path` when nothing took its place there (its
    // folder made again when it went). False when it stays in the backup.
    bool PutBack(const std::string& user, const std::string& key, const std::string& path,
                 const std::string& relative, std::uint64_t size);
    // This switch's backup folder ("" while nothing was moved).
    const std::string& Folder() const { return folder_; }
    std::size_t Moved() const { return moved_; }
    std::uint64_t MovedBytes() const { return bytes_; }

    // After the run: the backups beyond [Backup] Keep and beyond [Backup]
    // MaxMB megabytes in all go, oldest first; the newest stays. Their sizes
    // are kept in Data\Backup\Backup.dat so that each is measured once.
    void Prune();

    // One backup folder and its size in bytes, oldest first.
    struct Kept {
        std::string name;
        std::uint64_t bytes = 0;
    };
    // Which of `kept` (oldest first) go, by count and total size.
    static std::vector<std::string> Pruned(const std::vector<Kept>& kept, std::size_t keep, std::uint64_t maxBytes);

private:
    bool MakeFolder();
    bool MakeParents(const std::string& relativeFolder);

    Context& c_;
    bool on_ = false;
    std::string root_;
    std::string folder_;
    std::set<std::string> made_;  // relative folders made in folder_
    std::size_t moved_ = 0;
    std::uint64_t bytes_ = 0;
};

// The targets of a copy into a stored copy, with what they do not keep set
// aside into the backup (as they are when there is none, or it is off).
class SetAsideTargets final : public CopyTargets {
public:
    SetAsideTargets(const CopyTargets& inner, Backup* backup, std::string user, std::string key)
        : inner_(inner), backup_(backup), user_(std::move(user)), key_(std::move(key)) {}
    bool WritesFolder(const std::string& relative) const override { return inner_.WritesFolder(relative); }
    FileUse UseOf(const std::string& folder, const std::string& name) const override {
        return inner_.UseOf(folder, name);
    }
    bool SetsAside() const override { return backup_ != nullptr && backup_->On(); }
    bool SetAside(const std::string& path, const std::string& relative, std::uint64_t size) const override;
    std::size_t Moved() const { return moved_.size(); }
    // After a copy that stopped: each file set aside whose path the copy
    // did not fill goes back. How many went back.
    std::size_t PutBack() const;

private:
    struct Move {
        std::string path, relative;
        std::uint64_t size;
    };
    const CopyTargets& inner_;
    Backup* backup_;
    std::string user_, key_;
    mutable std::vector<Move> moved_;
};

}  // namespace tollervy
