// One PC's view of a disk that several simulated PCs share: the PC's own C:
// is another drive of the one FakeFileSystem (PC2's C:\Work is D:\Work),
// every other path is the same for all (S:\ stands for the file server).
// Faults and counts stay the disk's: one sweep covers every PC's calls.
#pragma once
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "fakes/FakeFileSystem.h"

namespace tollervy::fakes {

class PcDisk final : public platform::FileSystem {
public:
    PcDisk(FakeFileSystem& disk, std::string drive) : disk_(disk), drive_(std::move(drive)) {}

    // The disk's path of the PC's path.
    std::string On(const std::string& path) const {
        if (path.size() >= 2 && std::toupper(static_cast<unsigned char>(path[0])) == 'C' && path[1] == ':')
            return drive_ + path.substr(2);
        return path;
    }

    bool GetAttributes(const std::string& p, std::uint32_t& a) override { return disk_.GetAttributes(On(p), a); }
    bool SetAttributes(const std::string& p, std::uint32_t a) override { return disk_.SetAttributes(On(p), a); }
    bool List(const std::string& s, std::uint32_t f, std::vector<std::string>& n) override {
        return disk_.List(On(s), f, n);
    }
    bool ListEntries(const std::string& s, std::uint32_t f, std::vector<Entry>& e) override {
        return disk_.ListEntries(On(s), f, e);
    }
    bool CopyFile(const std::string& a, const std::string& b, bool f) override { return disk_.CopyFile(On(a), On(b), f); }
    std::uint32_t LastError() override { return disk_.LastError(); }
    std::string LastErrorText() override { return disk_.LastErrorText(); }
    bool MoveFile(const std::string& a, const std::string& b) override { return disk_.MoveFile(On(a), On(b)); }
    bool DeleteFile(const std::string& p) override { return disk_.DeleteFile(On(p)); }
    bool CreateFolder(const std::string& p) override { return disk_.CreateFolder(On(p)); }
    bool RemoveFolder(const std::string& p) override { return disk_.RemoveFolder(On(p)); }
    bool FileLength(const std::string& p, std::uint64_t& l) override { return disk_.FileLength(On(p), l); }
    bool ReadLines(const std::string& p, std::vector<std::string>& l) override { return disk_.ReadLines(On(p), l); }
    bool AppendLine(const std::string& p, const std::string& l) override { return disk_.AppendLine(On(p), l); }
    bool AppendBytes(const std::string& p, const std::string& b) override { return disk_.AppendBytes(On(p), b); }
    bool WriteFileAtomic(const std::string& p, const std::string& b) override { return disk_.WriteFileAtomic(On(p), b); }
    bool CreateNewFile(const std::string& p, const std::string& b) override { return disk_.CreateNewFile(On(p), b); }
    std::unique_ptr<AtomicFile> BeginAtomic(const std::string& p, Flush f) override { return disk_.BeginAtomic(On(p), f); }
    bool ReadFile(const std::string& p, std::string& b) override { return disk_.ReadFile(On(p), b); }
    bool ReadPieces(const std::string& p, const std::function<bool(std::string_view)>& t) override {
        return disk_.ReadPieces(On(p), t);
    }
    bool FilesEqual(const std::string& a, const std::string& b) override { return disk_.FilesEqual(On(a), On(b)); }
    std::vector<std::string> Drives() override { return {"C:"}; }
    std::uint64_t Now() override { return disk_.Now(); }

private:
    FakeFileSystem& disk_;
    std::string drive_;
};

}  // namespace tollervy::fakes
