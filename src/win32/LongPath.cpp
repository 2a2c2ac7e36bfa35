#include "win32/LongPath.h"

#include <vector>

#include "win32/Encoding.h"

namespace tollervy::win32 {

namespace {

// CreateDirectoryW's limit: MAX_PATH less room for an 8.3 file name.
constexpr std::size_t PlainPathLimit = MAX_PATH - 12;

}  // namespace

std::wstring FileApiPath(const std::string& utf8) {
    std::wstring path = Widen(utf8);
    if (path.size() < PlainPathLimit || path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0)
        return path;
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (n == 0 || n >= buffer.size()) return path;
    const std::wstring full(buffer.data(), n);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
    return path;
}

}  // namespace tollervy::win32
