#include "win32/Win32FileSystem.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "win32/Encoding.h"
#include "win32/LongPath.h"

namespace tollervy::win32 {

namespace {

// Replacing a file that another program holds open is tried this often, this
// far apart (two seconds in all).
constexpr int ReplaceAttempts = 40;
constexpr DWORD ReplacePauseMs = 50;

// Closes a file handle when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }
    bool Close() {
        if (!Valid()) return true;
        const BOOL ok = CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return ok != FALSE;
    }

private:
    HANDLE h_;
};

bool WriteAll(HANDLE file, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

}  // namespace

bool Win32FileSystem::Failed() {
    lastError_ = GetLastError();
    return false;
}

bool Win32FileSystem::GetAttributes(const std::string& path, std::uint32_t& attributes) {
    const DWORD a = GetFileAttributesW(FileApiPath(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return Failed();
    attributes = a;
    return true;
}

bool Win32FileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
    if (!SetFileAttributesW(FileApiPath(path).c_str(), attributes)) return Failed();
    return true;
}

bool Win32FileSystem::List(const std::string& spec, std::uint32_t filter, std::vector<std::string>& names) {
    names.clear();
    std::vector<Entry> entries;
    if (!ListEntries(spec, filter, entries)) return false;
    names.reserve(entries.size());
    for (auto& e : entries) names.push_back(std::move(e.name));
    return true;
}

namespace {

// The change times of the listed entries, from one enumeration of their
// folder through ntdll's NtQueryDirectoryFile (FILE_DIRECTORY_INFORMATION;
// the Win32 functions of Windows XP give none). Entries it does not find
// keep 0.
void FillChangeTimes(const std::string& pattern, std::vector<platform::FileSystem::Entry>& entries) {
    struct DirectoryInformation {
        ULONG next, index;
        LARGE_INTEGER creation, lastAccess, lastWrite, change, endOfFile, allocation;
        ULONG attributes, nameLength;
        WCHAR name[1];
    };
    struct IoStatus {
        ULONG_PTR status, information;
    };
    using Query = LONG(WINAPI*)(HANDLE, HANDLE, void*, void*, IoStatus*, void*, ULONG, int, BOOLEAN, void*, BOOLEAN);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryDirectoryFile")));
    constexpr int FileDirectoryInformation = 1;
    const auto slash = pattern.rfind('\\');
    if (query == nullptr || entries.empty() || slash == std::string::npos) return;
    const std::string folder = pattern.substr(0, slash + 1);
    FileHandle directory(CreateFileW(FileApiPath(folder).c_str(), FILE_LIST_DIRECTORY,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!directory.Valid()) return;
    std::unordered_map<std::string, std::size_t> byName;
    for (std::size_t i = 0; i < entries.size(); ++i) byName.emplace(entries[i].name, i);
    std::vector<ULONG> buffer(16384);
    for (BOOLEAN restart = TRUE;; restart = FALSE) {
        IoStatus io{};
        if (query(directory.Get(), nullptr, nullptr, nullptr, &io, buffer.data(),
                  static_cast<ULONG>(buffer.size() * sizeof(ULONG)), FileDirectoryInformation, FALSE, nullptr,
                  restart) != 0)
            return;  // no more entries, or no answer: what is found stays
        const auto* at = reinterpret_cast<const unsigned char*>(buffer.data());
        for (;;) {
            const auto* info = reinterpret_cast<const DirectoryInformation*>(at);
            const auto found = byName.find(Narrow(info->name, info->nameLength / sizeof(WCHAR)));
            if (found != byName.end() && info->change.QuadPart > 0)
                entries[found->second].changed = static_cast<std::uint64_t>(info->change.QuadPart);
            if (info->next == 0) break;
            at += info->next;
        }
    }
}

}  // namespace

bool Win32FileSystem::ListEntries(const std::string& spec, std::uint32_t filter, std::vector<Entry>& entries) {
    entries.clear();
    std::string pattern = spec;
    if (!pattern.empty() && pattern.back() == '\\') pattern += '*';
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(FileApiPath(pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // The folder exists, only nothing in it matches.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return true;
        lastError_ = error;
        return false;
    }
    do {
        const DWORD a = data.dwFileAttributes;
        if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(filter & platform::AttrDirectory)) continue;
        if ((a & FILE_ATTRIBUTE_HIDDEN) && !(filter & platform::AttrHidden)) continue;
        if ((a & FILE_ATTRIBUTE_SYSTEM) && !(filter & platform::AttrSystem)) continue;
        platform::FileSystem::Entry& e = entries.emplace_back();
        e.name = Narrow(data.cFileName, wcslen(data.cFileName));
        e.attributes = a == 0 ? FILE_ATTRIBUTE_NORMAL : a;
        e.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        e.lastWrite = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                      data.ftLastWriteTime.dwLowDateTime;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    if (filter & platform::ListChangeTimes) FillChangeTimes(pattern, entries);
    return true;
}

std::uint64_t Win32FileSystem::Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

bool Win32FileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
    if (!CopyFileW(FileApiPath(from).c_str(), FileApiPath(to).c_str(), failIfExists ? TRUE : FALSE))
        return Failed();
    return true;
}

std::string Win32FileSystem::LastErrorText() { return SystemErrorText(lastError_); }

bool Win32FileSystem::MoveFile(const std::string& from, const std::string& to) {
    // No flags: a rename on one volume, never a copy (MoveFileW would copy
    // across volumes).
    if (!MoveFileExW(FileApiPath(from).c_str(), FileApiPath(to).c_str(), 0)) return Failed();
    return true;
}

bool Win32FileSystem::DeleteFile(const std::string& path) {
    if (!DeleteFileW(FileApiPath(path).c_str())) return Failed();
    return true;
}

bool Win32FileSystem::CreateFolder(const std::string& path) {
    if (!CreateDirectoryW(FileApiPath(path).c_str(), nullptr)) return Failed();
    return true;
}

bool Win32FileSystem::RemoveFolder(const std::string& path) {
    if (!RemoveDirectoryW(FileApiPath(path).c_str())) return Failed();
    return true;
}

bool Win32FileSystem::FileLength(const std::string& path, std::uint64_t& length) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(FileApiPath(path).c_str(), GetFileExInfoStandard, &data)) return Failed();
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        lastError_ = ERROR_ACCESS_DENIED;  // a folder has no length
        return false;
    }
    length = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

std::vector<std::string> Win32FileSystem::SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        std::size_t stop = end;
        if (stop > start && bytes[stop - 1] == '\r') --stop;
        lines.push_back(bytes.substr(start, stop - start));
        start = end + 1;
    }
    return lines;
}

bool Win32FileSystem::ReadLines(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    std::string bytes;
    if (!ReadFile(path, bytes)) return false;
    for (const std::string& line : SplitLines(bytes)) lines.push_back(FromAnsi(line));
    return true;
}

bool Win32FileSystem::AppendLine(const std::string& path, const std::string& line) {
    FileHandle file(CreateFileW(FileApiPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return Failed();
    if (SetFilePointer(file.Get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return Failed();
    if (!WriteAll(file.Get(), ToAnsi(line) + "\r\n")) return Failed();
    if (!file.Close()) return Failed();
    return true;
}

bool Win32FileSystem::AppendBytes(const std::string& path, const std::string& bytes) {
    // FILE_APPEND_DATA alone: every write lands at the end, whoever else
    // appends meanwhile.
    FileHandle file(CreateFileW(FileApiPath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return Failed();
    if (!WriteAll(file.Get(), bytes) || !FlushFileBuffers(file.Get())) return Failed();
    if (!file.Close()) return Failed();
    return true;
}

bool Win32FileSystem::WriteFileAtomic(const std::string& path, const std::string& bytes) {
    const auto file = BeginAtomic(path, Flush::ToDisk);
    return file && file->Write(bytes) && file->Commit();
}

bool Win32FileSystem::CreateNewFile(const std::string& path, const std::string& bytes) {
    const std::wstring target = FileApiPath(path);
    FileHandle file(
        CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return Failed();
    if (WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get()) && file.Close()) return true;
    // Made but not written: the next try must find no file.
    Failed();
    file.Close();
    DeleteFileW(target.c_str());
    return false;
}

namespace {

// Renames the written file over the target. Another program that has the
// target open for a moment (a virus scanner, an indexer, someone reading it)
// keeps it from being replaced: wait for it a little before giving up.
bool ReplaceWith(const std::wstring& temporary, const std::wstring& target) {
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = GetLastError();
        const bool busy =
            error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
        if (busy && attempt < ReplaceAttempts) {
            Sleep(ReplacePauseMs);
            continue;
        }
        SetLastError(error);
        return false;
    }
}

// The file beside the target, written as the pieces come.
class Win32AtomicFile final : public platform::FileSystem::AtomicFile {
public:
    Win32AtomicFile(std::wstring target, HANDLE file, bool toDisk, std::uint32_t& lastError)
        : target_(std::move(target)), file_(file), toDisk_(toDisk), lastError_(lastError) {}
    ~Win32AtomicFile() override {
        if (done_) return;
        file_.Close();
        DeleteFileW(Temporary().c_str());
    }
    bool Write(std::string_view bytes) override {
        if (done_ || !WriteAll(file_.Get(), bytes)) return Fail();
        return true;
    }
    bool Commit() override {
        if (done_ || (toDisk_ && !FlushFileBuffers(file_.Get())) || !file_.Close() ||
            !ReplaceWith(Temporary(), target_))
            return Fail();
        done_ = true;
        return true;
    }

private:
    std::wstring Temporary() const { return target_ + L".tmp"; }
    bool Fail() {
        lastError_ = GetLastError();
        return false;
    }
    std::wstring target_;
    FileHandle file_;
    bool toDisk_;
    std::uint32_t& lastError_;
    bool done_ = false;
};

}  // namespace

std::unique_ptr<platform::FileSystem::AtomicFile> Win32FileSystem::BeginAtomic(const std::string& path, Flush flush) {
    std::wstring target = FileApiPath(path);
    const HANDLE file =
        CreateFileW((target + L".tmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Failed();
        return nullptr;
    }
    return std::make_unique<Win32AtomicFile>(std::move(target), file, flush == Flush::ToDisk, lastError_);
}

bool Win32FileSystem::ReadFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    FileHandle file(CreateFileW(FileApiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return Failed();
    // Read into room of the file's size: a string grown piece by piece can
    // end with twice the room it needs.
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 && size.QuadPart < (1LL << 30))
        bytes.reserve(static_cast<std::size_t>(size.QuadPart) + 1);
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) return Failed();
        if (read == 0) break;
        bytes.append(buffer, read);
    }
    return true;
}

bool Win32FileSystem::ReadPieces(const std::string& path, const std::function<bool(std::string_view)>& take) {
    FileHandle file(CreateFileW(FileApiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid()) return Failed();
    std::vector<char> buffer(65536);
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) return Failed();
        if (read == 0) return true;
        if (!take(std::string_view(buffer.data(), read))) return false;
    }
}

bool Win32FileSystem::FilesEqual(const std::string& a, const std::string& b) {
    const auto open = [](const std::string& path) {
        return CreateFileW(FileApiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    };
    FileHandle first(open(a));
    if (!first.Valid()) return Failed();
    FileHandle second(open(b));
    if (!second.Valid()) return Failed();
    static constexpr DWORD Block = 65536;
    std::vector<char> x(Block), y(Block);
    for (;;) {
        DWORD gotX = 0, gotY = 0;
        if (!::ReadFile(first.Get(), x.data(), Block, &gotX, nullptr) ||
            !::ReadFile(second.Get(), y.data(), Block, &gotY, nullptr))
            return Failed();
        if (gotX != gotY || std::memcmp(x.data(), y.data(), gotX) != 0) return false;
        if (gotX == 0) return true;
    }
}

std::vector<std::string> Win32FileSystem::Drives() {
    std::vector<std::string> drives;
    const DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i)
        if (mask & (1u << i)) drives.push_back(std::string(1, static_cast<char>('A' + i)) + ":");
    return drives;
}

}  // namespace tollervy::win32
