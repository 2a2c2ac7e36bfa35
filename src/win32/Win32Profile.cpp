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

bool Win32Profile::WriteString(const std::string& file, const std::string& section, const std::string& key,
                               const std::string* value) {
    const std::string ansiValue = value ? ToAnsi(*value) : std::string();
    return WritePrivateProfileStringA(ToAnsi(section).c_str(), ToAnsi(key).c_str(),
                                      value ? ansiValue.c_str() : nullptr, ToAnsi(file).c_str()) != FALSE;
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
