// The data store's record of whose copy each listed item holds in place.
//
// File: Data\InPlace.dat, UTF-8 text, one line per [File] key:
//     key=owner
// where owner is a user name, "All Users", "\" (an unregistered user's copy,
// thrown away at the next switch) or "*" (the item is being overwritten: its
// live state is nobody's, and both complete copies are in the store). A key
// without a line has no record. Lines starting with ";" are comments.
// The file is replaced whole (written aside, flushed, renamed over) at every
// change, so that a stop at any instant leaves a record that tells the truth.
//
// A comment line "; manifests <generation>" names the generation of the
// manifests of what is in place (engine/Manifest.h). Versions that know no
// manifests write the record without it, so after one of them has switched,
// the manifests of the generation before are not believed.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "settings/Context.h"

namespace tollervy {

inline constexpr const char* InPlaceRecordName = "InPlace.dat";
inline constexpr const char* BeingOverwritten = "*";

class InPlaceRecord {
public:
    // Reads the record of the data store; a missing or unreadable file is an
    // empty record.
    void Load(Context& c);
    // The owner of the item, or "" when the item has no record.
    std::string Owner(const std::string& key) const;
    // Sets (or, with "", removes) the owner of one item and writes the record
    // through. False when the file could not be written; the change is then
    // kept and written by the next write that succeeds.
    bool Set(Context& c, const std::string& key, const std::string& owner);
    // Gives every key without a record the owner `owner` (one write). False
    // when the file could not be written.
    bool Adopt(Context& c, const std::vector<std::string>& keys, const std::string& owner);
    // Gives every key the owner `owner` (one write).
    bool SetAll(Context& c, const std::vector<std::string>& keys, const std::string& owner);
    // Writes what an earlier write failed to; true when the file now tells
    // what this record holds.
    bool Flush(Context& c);
    // True when every key has a record naming that user.
    bool AllHeldBy(const std::vector<std::string>& keys, const std::string& user) const;
    bool Empty() const { return owners_.empty(); }

    static std::string Path(Context& c);
    // The generation the record file on disk names; "" when it names none.
    static std::string DiskGeneration(Context& c);
    std::string Serialise() const;
    void Parse(const std::string& text);

private:
    bool Write(Context& c);

    std::map<std::string, std::string> owners_;
    std::string generation_;  // of the manifests of what is in place
    bool unwritten_ = false;  // the file lags behind owners_
};

}  // namespace tollervy
