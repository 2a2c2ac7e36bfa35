// Scratch folders for the test programs that run under Wine: the temporary
// folder, and removing a tree that may hold read-only, hidden and system
// entries.
#pragma once
#include "win32/WinApi.h"

#include <string>

namespace tollervy::scratch {

// The temporary folder, without a trailing backslash.
inline std::wstring TempPath() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    std::wstring path(buffer, n);
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

// Removes a folder and everything below it, whatever their attributes.
inline void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else DeleteFileW(path.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(folder.c_str());
}

}  // namespace tollervy::scratch
