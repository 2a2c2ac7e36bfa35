// Text at the Windows boundary: the program's UTF-8 against UTF-16 (the W
// functions) and the system ANSI code page (the profile functions, text files).
#pragma once
#include "win32/WinApi.h"

#include <cstddef>
#include <string>

namespace tollervy::win32 {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const wchar_t* utf16, std::size_t count);
std::string Narrow(const std::wstring& utf16);

// UTF-8 to the bytes of the ANSI code page (CP_ACP) and back. FromAnsi
// converts exactly `count` bytes, NULs and all.
std::string ToAnsi(const std::string& utf8);
std::string FromAnsi(const char* bytes, std::size_t count);
std::string FromAnsi(const std::string& bytes);
// True when ToAnsi and FromAnsi give the text back unchanged: every
// character has its own code in the ANSI code page (no default character,
// no best fit) and the text is valid UTF-8.
bool FitsAnsi(const std::string& utf8);

// The text of a window (a control or a form).
// Windows' own words for an error number, without the line break that ends
// them ("error <n>" when it has none).
std::string SystemErrorText(DWORD error);

std::string WindowText(HWND window);
void SetWindowTextUtf8(HWND window, const std::string& text);

}  // namespace tollervy::win32
