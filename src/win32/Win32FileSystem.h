// The file system through the wide Win32 file functions.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "win32/WinApi.h"

namespace tollervy::win32 {

class Win32FileSystem : public platform::FileSystem {
public:
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
    bool CreateNewFile(const std::string& path, const std::string& bytes) override;
    std::unique_ptr<AtomicFile> BeginAtomic(const std::string& path, Flush flush) override;
    bool ReadFile(const std::string& path, std::string& bytes) override;
    bool ReadPieces(const std::string& path, const std::function<bool(std::string_view)>& take) override;
    bool FilesEqual(const std::string& a, const std::string& b) override;

    std::vector<std::string> Drives() override;
    std::uint64_t Now() override;

    // Splits the bytes of a text file into lines: CR LF or a lone LF ends a
    // line; a last line without an ending counts; no line after a final end.
    static std::vector<std::string> SplitLines(const std::string& bytes);

private:
    // Keeps the thread's last error for LastError and returns false.
    bool Failed();
    std::uint32_t lastError_ = 0;
};

}  // namespace tollervy::win32
