// An in-memory Windows-like file system for the unit tests.
//
// Paths are Windows paths ("C:\\a\\b.txt"; "/" is accepted as a separator,
// repeated separators collapse, "." and ".." are resolved). Names compare
// without regard to ASCII case and keep the case they were created with.
// Drive roots exist for the drives created (C: from the start).
//
// It fails the way Windows does: deleting a read-only file, removing a folder
// that is not empty or is read-only, copying onto a read-only (or, from a
// plain source, onto a hidden or system) file, copying a folder, creating a
// folder whose parent is missing, anything on a missing path. LastError()
// gives the Windows error number: 2 file not found, 3 path not found,
// 5 access denied, 32 in use (a file copied onto itself), 80 file exists
// (copy), 123 bad name, 145 folder not empty, 183 already exists (create
// folder, move), 267 not a folder.
//
// Attributes: a new file gets 32 (archive); a copy keeps the source's bits and
// gets the archive bit; folders always have 16 and may carry 1, 2, 4, 32.
// A file whose bits are all clear reports 128 (normal), as Windows does.
//
// Fault injection, for testing what the program does when Windows refuses:
//   FailNth(op, n)       the n-th call of one kind of operation fails
//   FailPath(path)       every operation on the path, or under it, fails
//   AbortAtMutation(n)   the n-th changing operation throws ProcessEnded
//                        before it happens (the process died there); with
//                        halfDoneCopy a copy leaves a truncated destination
// Every call is counted by kind (Calls) and changing operations also in one
// sequence (Mutations), so a test can run once to count and then sweep n.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace tollervy::fakes {

class FakeFileSystem : public platform::FileSystem {
public:
    // Kinds of operation, for counting and fault injection.
    enum class Op {
        GetAttributes,  // GetAttributes
        SetAttributes,  // SetAttributes
        List,           // List
        Copy,           // CopyFile
        Move,           // MoveFile
        Delete,         // DeleteFile
        CreateFolder,   // CreateFolder
        RemoveFolder,   // RemoveFolder
        Read,           // ReadLines, ReadFile, FileLength, FilesEqual
        Write,          // AppendLine, AppendBytes, WriteFileAtomic, CreateNewFile
    };
    static constexpr std::size_t OpCount = 10;
    static const char* OpName(Op op);

    FakeFileSystem();
    ~FakeFileSystem() override;

    // --- platform::FileSystem -------------------------------------------
    bool GetAttributes(const std::string& path, std::uint32_t& attributes) override;
    bool SetAttributes(const std::string& path, std::uint32_t attributes) override;
    bool List(const std::string& spec, std::uint32_t filter, std::vector<std::string>& names) override;
    bool ListEntries(const std::string& spec, std::uint32_t filter, std::vector<Entry>& entries) override;
    bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
    std::uint32_t LastError() override { return lastError_; }
    std::string LastErrorText() override;
    bool MoveFile(const std::string& from, const std::string& to) override;
    bool DeleteFile(const std::string& path) override;
    bool CreateFolder(const std::string& path) override;
    bool RemoveFolder(const std::string& path) override;
    bool FileLength(const std::string& path, std::uint64_t& length) override;
    bool ReadLines(const std::string& path, std::vector<std::string>& lines) override;
    bool AppendLine(const std::string& path, const std::string& line) override;
    bool AppendBytes(const std::string& path, const std::string& bytes) override;
    bool WriteFileAtomic(const std::string& path, const std::string& bytes) override;
    // Counted as a write; fails with 80 on an existing file or folder.
    bool CreateNewFile(const std::string& path, const std::string& bytes) override;
    bool ReadFile(const std::string& path, std::string& bytes) override;
    // Hands files over in pieces this long, so that readers meet every way a
    // line can be cut.
    bool ReadPieces(const std::string& path, const std::function<bool(std::string_view)>& take) override;
    std::size_t pieceLength = 5;
    bool FilesEqual(const std::string& a, const std::string& b) override;

    std::uint64_t Now() override { return now_; }

    // --- Setting up (not counted, no faults) -----------------------------
    // A drive such as "D:" (its root "D:\\" then exists).
    void AddDrive(const std::string& drive);
    std::vector<std::string> Drives() override;
    // A file with raw bytes, its missing parent folders created. Replaces the
    // content and attributes of an existing file.
    void AddFile(const std::string& path, const std::string& bytes = "", std::uint32_t attributes = platform::AttrArchive);
    // A text file from UTF-8 lines: stored in CP932, each line ended by CR LF.
    void AddTextFile(const std::string& path, const std::vector<std::string>& lines,
                     std::uint32_t attributes = platform::AttrArchive);
    // A folder and its missing parents; `attributes` (16 implied) for the
    // folder itself.
    void AddFolder(const std::string& path, std::uint32_t attributes = platform::AttrDirectory);
    // The clock: every write is stamped with it (copies keep their source's
    // time), rounded up to the drive's resolution. It starts at 2024-01-01
    // and moves on by a microsecond at each write, so that two writes never
    // share a time on a drive of exact times; otherwise it moves only when
    // told to (the fake system's Sleep moves it).
    void AdvanceClock(std::uint64_t ticks) { now_ += ticks; }
    // A drive's last-write time resolution in 100 ns ticks (FAT: two
    // seconds); 1 (exact) unless set.
    void SetTimeResolution(const std::string& drive, std::uint64_t ticks);
    // Sets a file's last-write time, as a program may (rounded to its drive).
    void SetLastWrite(const std::string& path, std::uint64_t time);
    // Removes a file or a whole folder tree, read-only or not.
    void Remove(const std::string& path);

    // --- Looking (not counted, no faults) --------------------------------
    bool Exists(const std::string& path) const;
    bool IsFile(const std::string& path) const;
    bool IsFolder(const std::string& path) const;
    // Raw bytes of a file; "" when it is missing or a folder.
    std::string Content(const std::string& path) const;
    // A text file's lines as UTF-8 (CP932 decoded, split as ReadLines does).
    std::vector<std::string> TextLines(const std::string& path) const;
    // Stored attribute bits (16 for folders included, 0 for a plain file with
    // no bit); std::nullopt when missing.
    std::optional<std::uint32_t> Attributes(const std::string& path) const;
    // A file's last-write time (0 when missing).
    std::uint64_t LastWrite(const std::string& path) const;
    // The exact stored spelling of an existing path ("" when missing).
    std::string StoredPath(const std::string& path) const;
    // Everything under a folder, by path relative to it in stored case:
    // files map to their bytes, folders to "<dir>" with a trailing backslash
    // on the key. The folder itself is not included.
    std::map<std::string, std::string> Dump(const std::string& folder) const;
    // The same with attribute bits instead of contents.
    std::map<std::string, std::uint32_t> DumpAttributes(const std::string& folder) const;

    // --- Faults and counting ---------------------------------------------
    // Calls of a kind since construction or ResetCounts().
    int Calls(Op op) const { return calls_[static_cast<std::size_t>(op)]; }
    // Changing operations (copy, move, delete, create and remove folder,
    // set attributes, append, atomic write) in one sequence.
    int Mutations() const { return mutations_; }
    void ResetCounts();
    // Call number n (1-based, as counted by Calls) of this kind fails with
    // `error`, whether or not it would have succeeded.
    void FailNth(Op op, int n, std::uint32_t error = 5);
    // Every operation (of kind `only`, when given) naming the path, or a path
    // under it when `under` is true, fails with `error`.
    void FailPath(const std::string& path, bool under = true, std::uint32_t error = 5,
                  std::optional<Op> only = std::nullopt);
    // Changing operation number n (as counted by Mutations) throws
    // ProcessEnded{AbortedCode} before it is done. With halfDoneCopy, when that
    // operation is a copy that would succeed, the destination is first left
    // holding the first half of the source's bytes.
    void AbortAtMutation(int n, bool halfDoneCopy = false);
    // Removes every fault (counts stay).
    void ClearFaults();
    // Faults that fired so far (for tests that check a fault was reached).
    int FaultsFired() const { return faultsFired_; }

    // Writes not made by the file operations of the program (the profile
    // file, shortcuts): not counted, no FailNth or abort, but path faults,
    // read-only files and missing folders refuse them as they would on disk.
    bool WriteOther(const std::string& path, const std::string& bytes);
    // Reads of that kind; false when missing, a folder or failed by a path fault.
    bool ReadOther(const std::string& path, std::string& bytes);

    struct Node;

private:
    struct Parsed;
    struct PathFault {
        std::string key;  // folded canonical path
        bool under;
        std::uint32_t error;
        std::optional<Op> only;
    };

    // Where a copy or write goes.
    struct CopyPlan {
        Node* source = nullptr;
        Node* parent = nullptr;
        Node* existing = nullptr;
        std::string name;
    };

    bool Begin(Op op, std::initializer_list<const std::string*> paths, bool mutation);
    bool BeginWith(Op op, std::initializer_list<const std::string*> paths, bool mutation,
                   const std::function<void()>& halfDone);
    bool Fail(std::uint32_t error);
    bool PathFaulted(std::optional<Op> op, const std::string& path, std::uint32_t& error) const;
    Node* Find(const std::string& path, std::uint32_t& error) const;
    bool IsFileNamedAsFolder(const std::string& folder) const;
    Node* FindParent(const std::string& path, std::string& name, std::uint32_t& error) const;
    std::map<std::string, std::unique_ptr<Node>>::iterator Locate(Node* parent, const std::string& name) const;
    Node* EnsureFolder(const std::vector<std::string>& names, const std::string& drive, std::size_t count,
                       const std::string& path);
    std::uint32_t CheckCopy(const std::string& from, const std::string& to, bool failIfExists, CopyPlan& plan) const;
    bool Writable(const std::string& path, CopyPlan& plan, std::uint32_t& error) const;
    void Put(CopyPlan& plan, std::string bytes, std::uint32_t attrs, std::uint64_t lastWrite);
    std::uint64_t Stamp(const Node* where, std::uint64_t time) const;
    // The time of a write made now; the clock moves on past it.
    std::uint64_t Tick() { const std::uint64_t t = now_; now_ += 10; return t; }

    std::map<std::string, std::unique_ptr<Node>> drives_;
    std::map<std::string, std::uint64_t> resolution_;  // by folded drive
    std::uint64_t now_ = 133'485'408'000'000'000ull;    // 2024-01-01 00:00 UTC
    // Listed change times: every change of a file's bytes or attributes (a
    // write, a copy, AddFile, SetAttributes) moves it on; SetLastWrite, like
    // SetFileTime, does not.
    std::uint64_t changes_ = 0;
    std::uint32_t lastError_ = 0;
    std::array<int, OpCount> calls_{};
    int mutations_ = 0;
    std::vector<std::pair<Op, int>> failNth_;
    std::vector<std::uint32_t> failNthError_;
    std::vector<PathFault> pathFaults_;
    int abortAt_ = 0;
    bool abortHalfDone_ = false;
    int faultsFired_ = 0;
};

}  // namespace tollervy::fakes
