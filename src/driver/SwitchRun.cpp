// The switch run: the copies in place are saved as the previous user's, then
// the next user's copies are put in place, with the progress display.
//
// The data store's in-place record says whose copy each item holds. It
// decides which folder the saving pass writes each item to, so that a switch
// that stopped half-way, or a resident run that never reached its exit, does
// not save one person's files as another's.
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "driver/TollervyMain.h"
#include "engine/Backup.h"
#include "engine/CheckOut.h"
#include "engine/EngineText.h"
#include "engine/InPlaceRecord.h"
#include "engine/SaveRestore.h"
#include "engine/SharedStore.h"
#include "engine/StoreNames.h"
#include "engine/SwitchLog.h"
#include "settings/Environment.h"
#include "settings/Settings.h"

namespace tollervy {

namespace {

constexpr const char* AllUsers = "All Users";
constexpr const char* Unregistered = "\\";

// The keys of the [File] and [Registry] items.
std::vector<std::string> ItemKeys(Context& c) {
    std::vector<std::string> lines, keys;
    ReadItemList(c, lines);
    for (const auto& line : lines) {
        std::string key, value;
        if (SplitFileLine(line, key, value)) keys.push_back(key);
    }
    return keys;
}

// Whose copy the item holds: the record's owner, or the previous user of the
// run when the item has no record.
std::string OwnerOf(const InPlaceRecord& record, const std::string& key, const std::string& previous) {
    const std::string owner = record.Owner(key);
    return owner.empty() ? previous : owner;
}

// A person whose copies are checked out: not the common copies, not an
// unregistered user's, not an item being overwritten.
bool IsPerson(const std::string& user) {
    return user != AllUsers && user != Unregistered && user != BeingOverwritten && IsStoreUserName(user);
}

// A folder for an owner's copies, made when missing; "" when it cannot be
// made (the shared store went away): the item fails, its copy stays.
std::string MadeFolder(Context& c, const std::string& folder) {
    std::uint32_t attributes = 0;
    if (c.fs.GetAttributes(folder, attributes) || c.fs.CreateFolder(folder)) return folder;
    return std::string();
}

}  // namespace

void TollervyMain::ShowStoreUnreachable() {
    ShowMessage(c_, std::string(engine_text::StoreUnreachable) + "\r\n\r\n" + c_.state.SharedStorePath, StyleStop);
}

void TollervyMain::ShowRecordUnwritable() {
    ShowMessage(c_, "書き込み権限がありません\r\n致命的なエラーです\r\n\r\n" + InPlaceRecord::Path(c_), StyleStop);
}

bool TollervyMain::SetData(const std::string& instrBeforUser, std::string& iostrAfterUser) {
    GrobalMod& s = c_.state;
    if (iostrAfterUser.empty()) iostrAfterUser = AllUsers;
    ShowDebugMessage(c_, "User\r\n" + instrBeforUser + "→" + iostrAfterUser, StyleInformation);

    InPlaceRecord record;
    record.Load(c_);
    const std::vector<std::string> keys = ItemKeys(c_);
    bool heldByPrevious = true;  // every item holds the previous user's copy
    bool heldByCommon = true;    // every item holds the "All Users" copy
    for (const auto& key : keys) {
        const std::string owner = OwnerOf(record, key, instrBeforUser);
        heldByPrevious = heldByPrevious && owner == instrBeforUser;
        heldByCommon = heldByCommon && owner == AllUsers;
    }

    // With a shared store: the server must answer before anything moves;
    // whose copies this PC still holds is read before the next person's are
    // checked out (a copy taken over meanwhile is saved beside).
    const bool shared = UsesSharedStore(c_);
    if (shared && !SharedStoreReachable(c_)) {
        ShowStoreUnreachable();
        return false;
    }
    CheckOuts checkOuts(c_);
    std::map<std::string, CheckOuts::Hold> held;
    std::set<std::string> firstCopies;
    if (shared) {
        for (const auto& key : keys) {
            const std::string owner = OwnerOf(record, key, instrBeforUser);
            if (IsPerson(owner) && held.count(owner) == 0) held[owner] = checkOuts.Holds(owner);
        }
        // A PC that joins with a person's copy in place it never checked
        // out: the copy goes into the store when the store has none of
        // that person yet, and beside otherwise (it may be older).
        for (const auto& [user, hold] : held) {
            std::uint32_t attributes = 0;
            if (hold == CheckOuts::Hold::NotHeld && !checkOuts.Knows(user) &&
                !c_.fs.GetAttributes(JoinPath(PeopleFolder(c_), user), attributes) && SharedStoreReachable(c_))
                firstCopies.insert(user);
        }
    }
    const auto nextHeld = held.find(iostrAfterUser);
    const bool stillHeld = !shared || nextHeld == held.end() || nextHeld->second == CheckOuts::Hold::Held;
    // Each person this PC checked out whose copies no item holds any more is
    // checked in (also one checked out by a switch that stopped before their
    // copies came, or whose check-in the server did not answer).
    const auto checkInAway = [&](std::set<std::string> people, bool nextInPlace) {
        for (const auto& user : checkOuts.Known()) people.insert(user);
        for (const auto& user : people) {
            bool inPlace = user == iostrAfterUser && nextInPlace;
            for (const auto& key : keys) inPlace = inPlace || record.Owner(key) == user;
            if (IsPerson(user) && !inPlace) checkOuts.CheckIn(user);
        }
    };
    if (instrBeforUser != Unregistered && iostrAfterUser == instrBeforUser && heldByPrevious && stillHeld) {
        if (shared) checkInAway({}, true);
        return true;
    }
    if (shared && IsPerson(iostrAfterUser)) {
        const CheckOuts::Take take = checkOuts.CheckOut(iostrAfterUser);
        if (take == CheckOuts::Take::Unreachable) ShowStoreUnreachable();
        if (take == CheckOuts::Take::Unwritable)
            ShowMessage(c_, std::string(engine_text::NoWritePermission) + "\r\n\r\n" + CheckOuts::TokensPath(c_),
                        StyleStop);
        if (take != CheckOuts::Take::Taken) return false;
    }

    // What this switch does is told in the switch log; what its saves
    // replace in the store is kept in the backup.
    const SwitchCause cause = cause_;
    cause_ = SwitchCause::ExitRestore;
    SwitchLog log(c_);
    log.Begin(instrBeforUser, iostrAfterUser, cause);
    Backup backup(c_);

    s.DeleteReadOnly = ReadIniValue(c_, keys::DeleteReadOnly);
    s.StartStatus = ReadIniValue(c_, keys::StartStatus);

    if (option::ShowsStatusWindow(s.StartStatus)) {
        Move((c_.system.ScreenWidth() - Width()) / 2, (c_.system.ScreenHeight() - Height()) / 2);
    }

    // From here on the record must know every item's owner: a switch that
    // stops before the restore leaves the previous user's copies in place,
    // whoever [Last] User then names.
    if (!record.Adopt(c_, keys, instrBeforUser)) {
        ShowRecordUnwritable();
        log.End(false);
        return false;
    }

    const std::string next = iostrAfterUser;
    ItemHooks hooks;
    hooks.backup = &backup;
    hooks.log = &log;
    // The items whose copy in place is to be saved in this run and has not
    // been (yet, or at all: another program held a file open, and the error
    // policy went on).
    std::set<std::string> unsaved;
    // Each item is saved as the one whose copy it holds. An item that was
    // being overwritten holds nobody's: both complete copies are in the
    // store already, so nothing of it is saved.
    hooks.saveAs = [&](std::size_t, const std::string& line, const std::string& user) {
        std::string key, value;
        if (!SplitFileLine(line, key, value)) return user;
        const std::string owner = OwnerOf(record, key, user);
        if (owner == BeingOverwritten) return std::string(Unregistered);
        if (owner != Unregistered) unsaved.insert(key);
        return owner;
    };
    // The live item is marked before it is touched and given to the next
    // user when it holds that user's complete copy. An item whose copy in
    // place could not be saved is not overwritten: it stays its owner's,
    // and the next switch saves it.
    hooks.beforeChange = [&](const ItemStep& step) {
        if (step.saving) return true;
        if (unsaved.count(step.key) != 0) {
            hooks.refusal = engine_text::NotOverwrittenUnsaved;
            return false;
        }
        hooks.refusal = "書き込み権限がありません\r\n" + InPlaceRecord::Path(c_);
        return record.Set(c_, step.key, BeingOverwritten);
    };
    // The owner the next saving pass is to save the new copies as: the next
    // user; for an unregistered user who stays resident, the login name,
    // under which the exit saves them.
    const std::string owner = next == Unregistered && option::StaysResident(s.StartAllWay) && IsStoreUserName(s.CurrentUserName)
                                  ? s.CurrentUserName
                                  : next;
    hooks.afterChange = [&](const ItemStep& step, bool succeeded) {
        if (step.saving && succeeded) unsaved.erase(step.key);
        if (!step.saving && succeeded) record.Set(c_, step.key, owner);
    };
    // A first start after "All Users" keeps what is in place: the next user
    // starts from those copies.
    hooks.keptInPlace = [&] { record.SetAll(c_, keys, owner); };
    // With a shared store, a person's copy goes into their store only while
    // this PC holds their check-out; otherwise into a folder beside it. The
    // PC's own copies (All Users) stay on the PC, their previous versions in
    // the PC's own Data\Backup (a rename cannot take them to the server).
    std::optional<Backup> pcBackup;
    if (shared) pcBackup.emplace(c_, JoinPath(s.DataFolderPath, "Backup"));
    std::map<std::string, std::string> saveFolders;
    std::set<std::string> marked;  // people whose store holds this PC's mark of a save going on
    if (shared) {
        hooks.saveFolder = [&](const std::string& user) {
            hooks.backup = user == AllUsers ? &*pcBackup : &backup;
            const auto known = saveFolders.find(user);
            if (known != saveFolders.end()) return known->second;
            std::string folder;
            const auto hold = held.find(user);
            if (IsPerson(user) && hold != held.end() && hold->second == CheckOuts::Hold::Held) {
                // Marked before the first file changes: a PC that takes the
                // copies over while the save is cut short is told.
                if (checkOuts.MarkSaving(user)) {
                    marked.insert(user);
                    folder = MadeFolder(c_, SaveFolderOf(c_, user));
                }
            } else if (!IsPerson(user) || hold == held.end() || firstCopies.count(user) != 0) {
                folder = MadeFolder(c_, SaveFolderOf(c_, user));
            } else if (hold->second == CheckOuts::Hold::NotHeld) {
                folder = checkOuts.MakeConflictFolder(user);
                if (!folder.empty()) log.Note(engine_text::ConflictLogPrefix + user + ": " + folder);
            }
            if (!folder.empty()) saveFolders[user] = folder;
            return folder;
        };
    }

    StatusDisplay* previousStatus = c_.status;
    c_.status = this;
    bool done = false;
    if (SaveUserData(c_, instrBeforUser, &hooks)) {
        for (const auto& user : marked) {
            bool whole = true;
            for (const auto& key : unsaved) whole = whole && OwnerOf(record, key, instrBeforUser) != user;
            if (whole) checkOuts.SavingDone(user);
        }
        const std::string target = next == Unregistered ? std::string(AllUsers) : next;
        // Only when every item really holds the common copy may a first
        // start keep what is in place.
        const std::string previous = heldByCommon ? std::string(AllUsers) : std::string(BeingOverwritten);
        done = RestoreUserData(c_, target, previous, &hooks);
    }
    log.End(done);
    if (backup.Moved() != 0) backup.Prune();
    if (pcBackup && pcBackup->Moved() != 0) pcBackup->Prune();
    if (option::ShowsStatusWindow(s.StartStatus)) ShowProgressNow();
    c_.status = previousStatus;
    // A record left behind would keep an item marked as being overwritten
    // while its owner works on it, and the next switch would not save it.
    if (!record.Flush(c_)) ShowRecordUnwritable();
    if (shared) {
        // Saved back: the people whose copies left are checked in; the
        // person now in place is told of copies kept beside.
        std::set<std::string> people{next};
        for (const auto& [user, hold] : held) people.insert(user);
        checkInAway(people, done);
        if (done && IsPerson(next)) checkOuts.ShowNewConflicts(next);
    }
    return true;
}

}  // namespace tollervy
