// Paths of any length for the wide file functions.
//
// The plain Win32 file functions refuse a path of MAX_PATH (260) characters
// or more (CreateDirectoryW already at 248). A listed folder may hold deeper
// trees than that (made by programs that use the "\\?\" form), and a copy
// that silently leaves such a file behind would lose it at the next switch.
// Long paths are therefore passed in the "\\?\" form, which the functions
// take up to 32,767 characters; short paths go as they are.
#pragma once
#include <string>

namespace tollervy::win32 {

// The UTF-16 path to hand to a wide file function: the path itself when it
// is shorter than 248 characters or already in the "\\?\" form; otherwise
// its full path (GetFullPathNameW: "/" made "\", "." and ".." resolved, as
// the plain functions would do) in the form "\\?\C:\..." or
// "\\?\UNC\server\share\...".
std::wstring FileApiPath(const std::string& utf8);

}  // namespace tollervy::win32
