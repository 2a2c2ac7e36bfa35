// UTF-8 helpers: the program counts characters, not bytes.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tollervy::text {

// Number of characters (code points) in UTF-8 text. An invalid byte counts
// as one character.
std::size_t Length(std::string_view s);
// The first `count` characters.
std::string Left(std::string_view s, std::size_t count);
// The characters from `start` (0-based) on, at most `count` of them.
std::string Mid(std::string_view s, std::size_t start, std::size_t count = std::string::npos);
// Blanks (spaces) removed from both ends, or only from the right.
std::string Trim(std::string_view s);
std::string TrimRight(std::string_view s);
// The lines of a text, without their line ends (LF or CR LF); a last line
// without one counts too.
std::vector<std::string> Lines(std::string_view s);

}  // namespace tollervy::text
