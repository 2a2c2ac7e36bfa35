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
// "95", "98", "ME", "NT4", "2000", "XP" or "XXX" (unsupported).
std::string GetOsVersionTag(Context& c);
// The tag for a version record (the table the program supports).
std::string OsVersionTagOf(const platform::VersionInfo& v);
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
