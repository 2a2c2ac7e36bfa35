// What the engine knows of the bytes of the copies it writes.
//
// Size, last-write time and attributes tell whether a file is still the one
// the program wrote or read; they say nothing of whether two people's files
// hold the same bytes. So every file the engine copies carries a tag: a name
// drawn at random for its bytes when the program first copies them, and
// carried by every copy made from them. Two files with one tag hold the same
// bytes for as long as each still has the size, time and attributes recorded
// with its tag; a switch leaves a file in place only then.
//
// A manifest lists the tags of one side of one item:
//     Data\<user>\<key>.manifest        the stored copy Data\<user>\<key>
//     Data\InPlace\<key>.manifest       what is in place of the item
// UTF-8 text, CR LF:
//     Tollervy manifest 1
//     stored<TAB><user><TAB><key><TAB><listed path>      (or: in place<TAB><generation>...)
//     <size><TAB><last-write><TAB><change><TAB><attributes><TAB><tag><TAB><relative path>
//                                                        one per file
// <change> is the change time of a file in place as the program last saw it
// (0 in a stored copy's manifest, and where the file system keeps none): a
// program that rewrites a file and puts its size, time and attributes back
// cannot put that back too.
//     end<TAB><number of files>
// A manifest that is missing, cut short, of another version, describes
// another side, user, key or path (the [File] line was edited), or has a line
// out of form is not believed at all: its files count as unknown and are
// copied, never left.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "settings/Context.h"

namespace tollervy {

// A new tag: 16 random hex digits and a counter, unique to this call; "" when
// the system gives no random bytes (nothing is then recorded).
std::string NewTag(Context& c);

// Draws tags for one copy: one random stem, then a counter.
class TagSource {
public:
    explicit TagSource(Context& c) : c_(c) {}
    // Appends a new tag to `out`; false (nothing appended) without a stem.
    bool Append(std::string& out);
    // Counts from the first tag again: the same tags once more.
    void Restart() { next_ = 0; }

private:
    Context& c_;
    std::string stem_;
    bool drawn_ = false;
    std::uint32_t next_ = 0;
};

// Which side of an item a manifest describes.
struct ManifestSide {
    std::string path;      // the manifest file
    std::string identity;  // its second line; "" when it cannot be believed
};

// The stored copy Data\<user>\<key> (`store`) of the item listed as `listed`.
ManifestSide StoredSide(const std::string& store, const std::string& listed);
// What is in place of the item: of the generation the in-place record names
// (none: nothing in place is believed).
ManifestSide InPlaceSide(Context& c, const std::string& key, const std::string& listed);
// The in-place manifest of the key ("" for a key that cannot name one).
std::string InPlaceManifestPath(Context& c, const std::string& key);

class Manifest {
public:
    static constexpr std::size_t None = static_cast<std::size_t>(-1);

    // Reads the side's manifest, piece by piece. False (and nothing known)
    // when it cannot be believed.
    bool Load(Context& c, const ManifestSide& side);

    // The record of `relative` if it has exactly this size, time and
    // attributes; None otherwise.
    std::size_t Find(std::string_view relative, std::uint64_t size, std::uint64_t lastWrite,
                     std::uint32_t attributes) const;
    std::string_view Tag(std::size_t record) const { return Tag(records_[record]); }
    std::uint64_t Changed(std::size_t record) const { return records_[record].changed; }
    std::size_t Count() const { return records_.size(); }
    std::string_view Relative(std::size_t record) const { return Relative(records_[record]); }

private:
    struct Record {
        std::uint64_t size = 0;
        std::uint64_t lastWrite = 0;
        std::uint64_t changed = 0;
        std::uint32_t attributes = 0;
        std::uint32_t at = 0;  // its tag and path in `names_`
    };
    class Reader;
    std::string_view Tag(const Record& r) const;
    std::string_view Relative(const Record& r) const;
    bool Forget();

    // Each record's tag and relative path, each ended by a NUL (neither
    // holds one).
    std::string names_;
    std::vector<Record> records_;  // sorted by relative path
};

// Replaces a side's manifest line by line: the lines go to a file beside it
// as they come, and Finish renames it over the old one, so a long manifest
// is never held whole and a stop at any instant leaves the old one or the
// new one.
class ManifestWriter {
public:
    ManifestWriter(Context& c, const ManifestSide& side);
    void Add(std::string_view relative, std::uint64_t size, std::uint64_t lastWrite, std::uint64_t changed,
             std::uint32_t attributes, std::string_view tag);
    std::size_t Count() const { return count_; }
    // Ends the manifest and puts it in place. With nothing to list, or a
    // side that cannot be believed, the file is removed instead. True when
    // the file on disk now says no more than the writer's lines.
    bool Finish();

private:
    bool Flush();

    Context& c_;
    const ManifestSide& side_;
    std::string lines_;  // not yet written
    std::unique_ptr<platform::FileSystem::AtomicFile> file_;
    bool failed_ = false;
    std::size_t count_ = 0;
};

}  // namespace tollervy
