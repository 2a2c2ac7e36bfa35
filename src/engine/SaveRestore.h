// Saving the copies in place into the data store, and putting a user's
// stored copies in place.
//
// The data store (DataFolderPath, the folder "Data" beside the executable)
// keeps Data\<user>\<key> for each user and each [File] line key=value. The
// value names a file, a folder (ends with "\" or is a plain directory) or a
// pattern (its name part holds "*"). "All Users" is the common copy; "\"
// marks an unregistered user, whose copies are thrown away and never stored.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "settings/Context.h"

namespace tollervy {

// What a list item is, told from its value alone. A registry key is a value
// in the one form of a key of HKEY_CURRENT_USER (settings/RegistryKeys.h).
enum class EntryKind { Folder, File, Pattern, Registry };

struct Entry {
    std::string key;     // names the stored copy folder
    std::string path;    // the value: the live path
    std::string folder;  // SplitPath's folder part
    std::string name;    // SplitPath's name part ("" for a folder entry)
    EntryKind kind = EntryKind::File;
    std::string target;  // what must exist: the path, or the folder of a pattern
};

// The items of a switch: the [File] lines, then the [Registry] lines.
// False when the settings file exists but its list cannot be read.
bool ReadItemList(Context& c, std::vector<std::string>& lines);

// Splits and classifies one [File] or [Registry] line. False for a line that names no
// item (no "=", an empty or unsafe key, an empty value).
bool ReadEntry(Context& c, const std::string& line, Entry& entry);

// One item at its destructive step, for a caller that keeps a record of
// whose copy each item holds.
struct ItemStep {
    bool saving = true;          // save: the stored copy is replaced; restore: the live item
    std::size_t index = 0;       // position in [File]; npos for a single-entry call
    std::string line;            // the [File] line
    std::string key;
    std::string user;            // save: whose copy is stored; restore: who gets the live item
    std::string userFolder;      // Data\<user> (restore: the folder asked for)
    std::string store;           // the stored copy folder written (save) or read (restore)
    std::string reason;          // a failed item: Windows' or the reader's reason, for the error policy
    // What the item did, for the switch log: files copied, left alone and
    // set aside into the backup; where and why it failed, when known.
    std::size_t copied = 0, current = 0, setAside = 0;
    std::string failedPath, failedReason;
};

class Backup;
class SwitchLog;

// Points at which a caller can wrap each item. Every beforeChange that
// answers true is followed by exactly one afterChange, unless the program
// ends on the spot (an unrecoverable data-store failure).
struct ItemHooks {
    // Right before the item's first change on the side that is replaced.
    // False: the item fails and nothing is changed.
    std::function<bool(const ItemStep&)> beforeChange;
    // Why the last beforeChange said no, for the question and the log.
    std::string refusal;
    // After the item, changed or not: whether it succeeded.
    std::function<void(const ItemStep&, bool succeeded)> afterChange;
    // Save pass: whose copy item `index` holds in place, i.e. the user whose
    // folder receives it (default: the user being saved). "\" throws the
    // item's copy away (nothing is saved for it).
    std::function<std::string(std::size_t index, const std::string& line, const std::string& user)> saveAs;
    // Save pass: the folder an owner's copies are saved into (default:
    // EnsureUserFolder). "" fails the item: its copy stays in place.
    std::function<std::string(const std::string& owner)> saveFolder;
    // Restore pass: a first start right after "All Users" keeps every item
    // in place as it is (the new user starts from those copies).
    std::function<void()> keptInPlace;
    // Where a save sets aside what it replaces in a store (a single-entry
    // save keeps one of its own), and where each item and failure is told.
    Backup* backup = nullptr;
    SwitchLog* log = nullptr;
};

// Saves every [File] item in place as `user`'s copy. True: go on with the
// restore. False: the run stopped (error policy, or a user name that cannot
// be a store folder, in which case nothing was touched). Progress 0 to 50.
bool SaveUserData(Context& c, const std::string& user, const ItemHooks* hooks = nullptr);

// Saves one item into userFolder\key. True when it was saved completely.
bool SaveFileEntry(Context& c, const std::string& userFolder, const std::string& line,
                   const ItemHooks* hooks = nullptr);

// Puts `user`'s stored copies in place (the "All Users" copies at a first
// start and for items the user never saved). `previous` is the user just
// saved. True: every item restored or skipped by the error policy. Progress
// 50 to 100.
bool RestoreUserData(Context& c, const std::string& user, const std::string& previous,
                     const ItemHooks* hooks = nullptr);

// Puts the copy of userFolder\key (or of "All Users") in place of one item.
// True when it was restored completely.
bool RestoreFileEntry(Context& c, const std::string& userFolder, const std::string& line,
                      const ItemHooks* hooks = nullptr);

// Data\<user>, created when missing. When it cannot be created the program
// ends at once after its message (the store is unusable).
std::string EnsureUserFolder(Context& c, const std::string& user);

}  // namespace tollervy
