// Small queries of the operating system and the common helpers every part of
// the program uses.
#pragma once
#include <string>

#include "settings/Context.h"

namespace tollervy {

namespace ui {
class Form;
}

// The program's title: the settings file and the shortcut are named after it.
inline constexpr const char* ProgramTitle = "Tollervy";

// Message box styles the program uses.
enum MessageStyle : unsigned {
    StyleStop = 16,
    StyleInformation = 64,
    StyleSystemModal = 4096,
};

// The operating system's login name; "" when it cannot be read.
std::string GetLoginUserName(Context& c);

// True when the text can be kept in the settings file and the user file
// (the system ANSI code page, 932 on Japanese Windows) and read back as the
// same text. A user name or path that fails would come back with "?" in
// place of the characters the code page lacks, and so name another user,
// store folder or path. Wherever a person enters a user name or a path,
// refuse a text that fails with ShowMessage(OutsideCodePageMessage(text), 16).
bool FitsAnsiCodePage(Context& c, const std::string& text);
// "この文字列には、このパソコンで保存できない文字が含まれています" and the
// text on a line of its own after an empty line.
std::string OutsideCodePageMessage(const std::string& text);
// "95", "98", "ME", "NT4", "2000", "XP" or "XXX" (unsupported).
std::string GetOsVersionTag(Context& c);
// The tag for a version record (the table the program supports).
std::string OsVersionTagOf(const platform::VersionInfo& v);
// Windows 95, 98 and ME (platform 1). The program calls the wide-character
// functions, which those systems lack: there it shows NeedsWindowsMessage
// with the ANSI message box before it calls anything else, and ends.
bool IsWindows9x(const platform::VersionInfo& v);
// Which Windows the program needs; the same text in the code page 932 bytes
// that the ANSI message box of a Japanese Windows 98 shows.
inline constexpr const char* NeedsWindowsMessage =
    "このOSのバージョンには対応していません\r\nWindows XP が必要です";
inline constexpr const char* NeedsWindowsMessageCp932 =
    "\x82\xb1\x82\xcc" "OS" "\x82\xcc\x83o\x81[\x83W\x83\x87\x83\x93\x82\xc9\x82\xcd\x91\xce\x89\x9e\x82\xb5"
    "\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1\r\nWindows XP \x82\xaa\x95K\x97v\x82\xc5\x82\xb7";
// The folder's path; "" when it does not exist.
std::string GetSpecialFolderPath(Context& c, int csidl);
// folder + name with exactly the folder's own trailing backslash, or one added.
std::string JoinPath(const std::string& folder, const std::string& name);
// A system-modal message box with the program's title; the answer is dropped.
void ShowMessage(Context& c, const std::string& text, unsigned style);
// Diagnostic message: shown only when [Start] Debug is "1".
void ShowDebugMessage(Context& c, const std::string& text, unsigned style);
// Removes Close from the form's system menu; nonzero when removed.
int DisableCloseCommand(ui::Form& form);
// Makes the form top-most where it stands, without activating it.
void SetTopMost(ui::Form& form);

}  // namespace tollervy
