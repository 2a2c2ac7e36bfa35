// One PC at a time per person. Putting a person's copies in place on a PC
// checks them out to it: an entry <store>\CheckOut\<user>.dat, made in one
// step that fails when it exists (FileSystem::CreateNewFile), naming the PC,
// the time and a token drawn at random. The PC keeps the tokens it holds in
// its own Data\CheckOut.dat (written before the entry is made), so it knows
// its own entry from one another PC wrote, or one it made before and lost.
//
// A PC saves a person's copy in place into their store only while the entry
// still carries its token. Otherwise the copy was taken over meanwhile (the
// person used the last saved copy on another PC): it is saved beside, in
// <store>\Conflict\<user>\<PC> <yyyy-mm-dd hhmmss>\<key>, never over the
// newer one, and the person is told at their next logon. Saving the copies
// back checks them in: the PC's own entry is deleted.
//
// While a PC saves a person's copies into their store, a second entry
// <store>\CheckOut\<user>.saving carries its token; it goes once every
// item of theirs is saved. One left behind (the PC died, the server went)
// says the store holds a copy saved part-way: a PC asked to take the copies
// over says so in its question.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "settings/Context.h"

namespace tollervy {

struct CheckOutEntry {
    std::string pc;          // the computer's name; "" when the entry cannot be read
    std::string since;       // the local time it was taken, as shown: 2026-12-08 09:26
    std::uint64_t time = 0;  // the same in file-time units (UTC), for the age
    std::string token;

    std::string Serialise() const;
    // False for a file that is not an entry (cut short by a power cut).
    bool Parse(const std::string& text);
};

class CheckOuts {
public:
    explicit CheckOuts(Context& c);

    static std::string Folder(const Context& c);                             // <store>\CheckOut
    static std::string EntryPath(const Context& c, const std::string& user);  // <store>\CheckOut\<user>.dat
    static std::string TokensPath(const Context& c);                         // Data\CheckOut.dat
    static std::string ConflictRoot(const Context& c);                        // <store>\Conflict
    static std::string SavingPath(const Context& c, const std::string& user);  // <store>\CheckOut\<user>.saving

    // Whether this PC holds the user's check-out: their entry is there and
    // carries the token this PC wrote. Unknown when the entry cannot be read.
    enum class Hold { Held, NotHeld, Unknown };
    Hold Holds(const std::string& user);
    // Whether this PC keeps a token for the user (it checked them out and
    // has not checked them in).
    bool Knows(const std::string& user) const { return tokens_.count(user) != 0; }
    // Everyone this PC keeps a token for.
    std::vector<std::string> Known() const;

    // Checks the user's copies out to this PC. An entry of another PC (or
    // one this PC no longer knows) asks the person whether to use the last
    // saved copy anyway (Taken) or not to log on (Declined).
    // Unwritable: the PC's own Data\CheckOut.dat cannot be written.
    enum class Take { Taken, Declined, Unreachable, Unwritable };
    Take CheckOut(const std::string& user);

    // Drops this PC's check-out of the user: the entry goes when it still
    // carries this PC's token; another PC's entry stays. False when it could
    // not be settled (the server did not answer): the token is kept.
    bool CheckIn(const std::string& user);

    // Marks the user's stored copy as being saved by this PC, before the
    // first file of it changes. False when the mark cannot be written.
    bool MarkSaving(const std::string& user);
    // Every item of the user's was saved: the mark goes.
    void SavingDone(const std::string& user);

    // Makes <store>\Conflict\<user>\<PC> <yyyy-mm-dd hhmmss> (with "-2" ...
    // for another in the same second) with a marker that the person has not
    // been told; "" when it cannot be made.
    std::string MakeConflictFolder(const std::string& user);

    // Tells the person of the copies kept beside theirs that they have not
    // been told of, then marks them told.
    void ShowNewConflicts(const std::string& user);

    // The question asked when another PC holds the check-out.
    // `saving` is the holder's mark of a save that did not end (its time 0
    // when there is none).
    std::string Question(const std::string& user, const CheckOutEntry& held, const CheckOutEntry& saving) const;

private:
    bool ReadEntry(const std::string& user, CheckOutEntry& entry, bool& exists);
    bool WriteTokens();
    std::string ThisPc() const;
    CheckOutEntry Stamped(const std::string& token) const;

    Context& c_;
    std::map<std::string, std::string> tokens_;  // user -> token this PC holds
    bool tokensUnread_ = false;                  // Data\CheckOut.dat is there but could not be read
};

}  // namespace tollervy
