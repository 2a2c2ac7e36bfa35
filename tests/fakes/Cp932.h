// Code page 932 (Windows Japanese) conversions for the fakes, through iconv
// "CP932". Unconvertible text never fails: it becomes '?'.
#pragma once
#include <string>
#include <string_view>

namespace tollervy::fakes::cp932 {

// UTF-8 to CP932 bytes. A character CP932 cannot hold, or an invalid UTF-8
// byte, becomes '?'.
std::string FromUtf8(std::string_view utf8);
// CP932 bytes to UTF-8. An invalid byte or byte pair becomes '?'.
std::string ToUtf8(std::string_view bytes);
// True for a byte that starts a double-byte character.
bool IsLeadByte(unsigned char c);
// The first `count` bytes, minus a lead byte whose partner was cut off.
std::string CutBytes(std::string_view bytes, std::size_t count);
// ASCII letters folded to upper case; double-byte characters untouched (their
// second byte may look like an ASCII letter).
std::string FoldCase(std::string_view bytes);

}  // namespace tollervy::fakes::cp932
