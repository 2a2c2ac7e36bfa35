// A key tree of HKEY_CURRENT_USER as the Windows registry editor exports and
// imports it: "Windows Registry Editor Version 5.00", UTF-16 LE with its
// byte-order mark, CR LF lines, one "[HKEY_CURRENT_USER\...]" section per
// key (parents before children) with its values:
//     @="text"                  the default value
//     "name"="text"             REG_SZ (\ and " escaped with \)
//     "name"=dword:0000002a     REG_DWORD
//     "name"=hex:01,02          REG_BINARY
//     "name"=hex(N):01,02       type N in hex: 0 none, 1 a string that the
//                               quoted form cannot hold, 2 expandable,
//                               4 a DWORD of another size, 7 multi-string,
//                               b QWORD, and any other type as raw bytes
// Long hex lines go on after ",\" on the next line, indented two blanks.
//
// The writer is the one form of a tree: two trees are the same exactly when
// their files are the same bytes. The reader takes the writer's form and
// what a person may have written or merged by hand (blank lines, comments
// after ";", other line breaks), and refuses the rest: a section of a key
// outside the tree, a deletion ("[-...]", "=-"), a key listed twice, text it
// cannot read.
#pragma once
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace tollervy::regfile {

inline constexpr const char* Root = "HKEY_CURRENT_USER";

struct Key {
    std::string path;  // below HKEY_CURRENT_USER: "Software\Vendor\App\sub"
    std::vector<platform::RegValue> values;
};

// The whole tree of one item: its key first, then every subkey, each after
// its parent. No keys: the item's key does not exist.
struct Tree {
    std::vector<Key> keys;
};

// The file's bytes.
std::string Write(const Tree& tree);

// Reads a file of the tree of `item` (a key below HKEY_CURRENT_USER). Keys
// the file skips between the item and a listed key are added, without
// values, after their parent. False with `reason` set (Japanese, for the
// person) when the file is refused.
bool Read(const std::string& bytes, const std::string& item, Tree& tree, std::string& reason);

// UTF-8 and UTF-16 LE bytes (an invalid sequence becomes U+FFFD).
std::string Utf16Bytes(const std::string& utf8);
std::string Utf8(const std::u16string& utf16);

}  // namespace tollervy::regfile
