#include "win32/Win32Profile.h"

#include <algorithm>
#include <cstring>

#include "win32/Encoding.h"

namespace tollervy::win32 {

std::string Win32Profile::GetString(const std::string& file, const std::string& section, const std::string& key,
                                    const std::string& defaultValue, std::size_t bufferBytes) {
    if (bufferBytes == 0) return {};
    std::string buffer(bufferBytes, '\0');
    const DWORD n = GetPrivateProfileStringA(ToAnsi(section).c_str(), ToAnsi(key).c_str(),
                                             ToAnsi(defaultValue).c_str(), buffer.data(),
                                             static_cast<DWORD>(bufferBytes), ToAnsi(file).c_str());
    // Exactly the bytes the call reports: nothing of the terminator or of
    // what lies behind it in the buffer. Some implementations count a NUL
    // put where a double-byte character was cut.
    std::size_t count = std::min<std::size_t>(n, bufferBytes - 1);
    if (const void* nul = std::memchr(buffer.data(), '\0', count))
        count = static_cast<std::size_t>(static_cast<const char*>(nul) - buffer.data());
    return FromAnsi(buffer.data(), WholeCharacters(buffer.data(), count));
}

std::size_t Win32Profile::WholeCharacters(const char* bytes, std::size_t count) {
    std::size_t i = 0;
    while (i < count) {
        const std::size_t step = IsDBCSLeadByte(static_cast<BYTE>(bytes[i])) ? 2 : 1;
        if (i + step > count) break;  // the first byte of a cut character
        i += step;
    }
    return i;
}

namespace {

// Appends `count` bytes of blank lines to a file, so that it holds room on
// the disk for what a write may add. False when the disk has no such room.
bool Reserve(const std::string& ansiPath, std::size_t count) {
    const HANDLE h = CreateFileA(ansiPath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    std::string blank;
    while (blank.size() < count) blank += "\r\n";
    DWORD written = 0;
    const bool ok = SetFilePointer(h, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
                    WriteFile(h, blank.data(), static_cast<DWORD>(blank.size()), &written, nullptr) &&
                    written == blank.size() && FlushFileBuffers(h);
    CloseHandle(h);
    return ok;
}

bool FlushToDisk(const std::string& ansiPath) {
    const HANDLE h = CreateFileA(ansiPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = FlushFileBuffers(h) != FALSE;
    return CloseHandle(h) && ok;
}

}  // namespace

// The profile function rewrites the whole file; on a full disk Wine's
// leaves it cut short and still reports success. So the change is made to
// a copy beside the file that already holds room for the longest line the
// change can add (the space it frees when rewritten takes the new text),
// and the copy is flushed and renamed over the file: the old file stays
// whole until the new one is. A read-only file, and a file whose folder
// takes no new file, are written in place as the profile function does.
bool Win32Profile::WriteString(const std::string& file, const std::string& section, const std::string& key,
                               const std::string* value) {
    const std::string ansiSection = ToAnsi(section), ansiKey = ToAnsi(key);
    const std::string ansiValue = value ? ToAnsi(*value) : std::string();
    const std::string ansiFile = ToAnsi(file);
    const auto write = [&](const std::string& path) {
        return WritePrivateProfileStringA(ansiSection.c_str(), ansiKey.c_str(), value ? ansiValue.c_str() : nullptr,
                                          path.c_str()) != FALSE;
    };
    const DWORD attributes = GetFileAttributesA(ansiFile.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY)) return write(ansiFile);
    const std::string aside = ansiFile + ".new";
    if (!CopyFileA(ansiFile.c_str(), aside.c_str(), FALSE)) {
        const DWORD error = GetLastError();
        DeleteFileA(aside.c_str());
        if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) return false;
        return write(ansiFile);
    }
    const std::size_t room = ansiSection.size() + ansiKey.size() + ansiValue.size() + 8;
    bool ok = Reserve(aside, room) && write(aside);
    // The profile functions keep files in a cache: let go of the copy's.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, aside.c_str());
    ok = ok && FlushToDisk(aside) &&
         MoveFileExA(aside.c_str(), ansiFile.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        const DWORD error = GetLastError();
        DeleteFileA(aside.c_str());
        SetLastError(error);
    }
    return ok;
}

std::vector<std::string> Win32Profile::SplitSection(const char* buffer, std::size_t count) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < count) {
        const void* nul = std::memchr(buffer + start, '\0', count - start);
        if (!nul) break;
        const std::size_t end = static_cast<std::size_t>(static_cast<const char*>(nul) - buffer);
        if (end == start) break;  // the empty line that ends the list
        lines.emplace_back(buffer + start, end - start);
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> Win32Profile::GetSection(const std::string& file, const std::string& section,
                                                  std::size_t bufferBytes) {
    if (bufferBytes < 2) return {};
    std::string buffer(bufferBytes, '\0');
    const DWORD n = GetPrivateProfileSectionA(ToAnsi(section).c_str(), buffer.data(),
                                              static_cast<DWORD>(bufferBytes), ToAnsi(file).c_str());
    // n excludes the final NUL; the last line's own NUL is at n - 1.
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(n) + 1, bufferBytes);
    std::vector<std::string> lines;
    for (const std::string& line : SplitSection(buffer.data(), count)) lines.push_back(FromAnsi(line));
    return lines;
}

}  // namespace tollervy::win32
