// The file system as the program sees it: Windows paths in UTF-8, Windows
// attribute bits, and directory listings filtered the way the logic expects.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tollervy::platform {

// Windows file attribute bits used by the program.
enum Attr : std::uint32_t {
    AttrReadOnly = 1,
    AttrHidden = 2,
    AttrSystem = 4,
    AttrDirectory = 16,
    AttrArchive = 32,
};

// Listing filters: plain files only; plus plain folders; plus hidden and
// system entries of both kinds.
inline constexpr std::uint32_t ListFiles = 0;
inline constexpr std::uint32_t ListFolders = 16;
inline constexpr std::uint32_t ListAll = 22;
// Added to a filter: each entry's change time too (it may cost a second
// look at the folder).
inline constexpr std::uint32_t ListChangeTimes = 0x100;

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Attributes of an existing file or folder. False when it cannot be read
    // (the path does not exist, or the query fails).
    virtual bool GetAttributes(const std::string& path, std::uint32_t& attributes) = 0;
    virtual bool SetAttributes(const std::string& path, std::uint32_t attributes) = 0;

    // Directory listing. `spec` is a path, a folder with a trailing backslash
    // (meaning every entry in it) or a folder plus a wildcard name ("*", "?").
    // Entries are bare names in listing order, "." and ".." included when a
    // folder's contents are listed and the filter admits folders.
    // The filter admits: plain files always; folders when it has bit 16;
    // entries with the hidden (2) or system (4) bit only when it has that bit.
    // False when the listing itself fails (bad path, no such folder); an
    // existing folder with nothing that matches gives true and no names.
    virtual bool List(const std::string& spec, std::uint32_t filter, std::vector<std::string>& names) = 0;
    // The same listing with each entry's attributes as the listing found them
    // (as GetAttributes would answer), so that a walk over a tree needs no
    // query per entry.
    // Sizes in bytes; times in 100-nanosecond units since 1601 (UTC), as
    // Windows keeps them.
    struct Entry {
        std::string name;
        std::uint32_t attributes = 0;
        std::uint64_t size = 0;       // files; 0 for folders
        std::uint64_t lastWrite = 0;  // last-write time
        // The time of the last change of a file's bytes or attributes, which
        // no program can set back (NTFS' change time: SetFileTime leaves
        // it); 0 where the file system keeps none (FAT), or when the listing
        // was not asked for it.
        std::uint64_t changed = 0;
    };
    virtual bool ListEntries(const std::string& spec, std::uint32_t filter, std::vector<Entry>& entries) = 0;

    // Copy a file; with failIfExists false an existing destination file is
    // replaced (and the copy fails when that file is read-only).
    virtual bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
    // The error number and text of the last failed operation, for diagnostics.
    virtual std::uint32_t LastError() = 0;
    virtual std::string LastErrorText() = 0;

    // Renames a file within its volume (never a copy); fails when `to`
    // exists or lies on another volume.
    virtual bool MoveFile(const std::string& from, const std::string& to) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;        // fails on read-only files
    virtual bool CreateFolder(const std::string& path) = 0;      // parent must exist
    virtual bool RemoveFolder(const std::string& path) = 0;      // folder must be empty
    virtual bool FileLength(const std::string& path, std::uint64_t& length) = 0;

    // Text files in the system ANSI code page, lines ended by CR LF (a lone LF
    // also ends a line when reading). Text crosses this seam as UTF-8.
    virtual bool ReadLines(const std::string& path, std::vector<std::string>& lines) = 0;
    virtual bool AppendLine(const std::string& path, const std::string& line) = 0;
    // Appends the bytes as given (UTF-8 text stays UTF-8) in one write and
    // flushes them to disk before it returns; the file is made when missing.
    virtual bool AppendBytes(const std::string& path, const std::string& bytes) = 0;

    // Replace a whole small file so that a stop at any instant leaves either
    // the old or the new content: write beside it, flush to disk, rename over.
    // The bytes are written as given (UTF-8 text stays UTF-8).
    virtual bool WriteFileAtomic(const std::string& path, const std::string& bytes) = 0;
    // A larger file replaced the same way, written piece by piece, so that it
    // is never held whole: until Commit, only the file beside it changes.
    // Dropped without a Commit (or after a failed Write), the old file stays
    // as it was and the one beside it is removed.
    class AtomicFile {
    public:
        virtual ~AtomicFile() = default;
        virtual bool Write(std::string_view bytes) = 0;
        virtual bool Commit() = 0;
    };
    // Whether Commit waits for the bytes to reach the disk before the rename
    // (as WriteFileAtomic does), or leaves them to the system's cache: a file
    // that is only a shortcut (lost or cut in a power failure, it is read as
    // unknown) need not wait.
    enum class Flush { ToDisk, Lazily };
    // Null when the file beside it cannot be made. This one holds the pieces
    // and hands them to WriteFileAtomic at Commit.
    virtual std::unique_ptr<AtomicFile> BeginAtomic(const std::string& path, Flush flush);
    // Makes a small file that must not exist yet, in one step that either
    // makes it or finds it there (CreateFile with CREATE_NEW; a file server
    // gives the same answer to every PC): false with error 80 when it exists.
    // The bytes are written and flushed before it returns; a power cut in
    // between may leave the file shorter.
    virtual bool CreateNewFile(const std::string& path, const std::string& bytes) = 0;
    virtual bool ReadFile(const std::string& path, std::string& bytes) = 0;
    // Reads a file in pieces, in order, handing each to `take`, so that it is
    // never held whole; stops (false) when `take` says false or a read
    // fails. This one reads it whole and hands it over in one piece.
    virtual bool ReadPieces(const std::string& path, const std::function<bool(std::string_view)>& take) {
        std::string bytes;
        return ReadFile(path, bytes) && take(bytes);
    }
    // True when both files could be read whole and hold the same bytes;
    // false on the first difference, and whenever either cannot be read.
    virtual bool FilesEqual(const std::string& a, const std::string& b) = 0;

    // The drives that exist, as "C:", "D:", ... in letter order.
    virtual std::vector<std::string> Drives() = 0;
    // The time a file written now would carry (same units as Entry::lastWrite).
    virtual std::uint64_t Now() = 0;
};

class HeldAtomicFile final : public FileSystem::AtomicFile {
public:
    HeldAtomicFile(FileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
    bool Write(std::string_view bytes) override {
        bytes_.append(bytes);
        return true;
    }
    bool Commit() override { return fs_.WriteFileAtomic(path_, bytes_); }

private:
    FileSystem& fs_;
    std::string path_;
    std::string bytes_;
};

inline std::unique_ptr<FileSystem::AtomicFile> FileSystem::BeginAtomic(const std::string& path, Flush) {
    return std::make_unique<HeldAtomicFile>(*this, path);
}

// One second in the units of file times.
inline constexpr std::uint64_t FileTimeSecond = 10'000'000;

}  // namespace tollervy::platform
