// Registry items: keys of HKEY_CURRENT_USER listed in the settings file's
// section [Registry], which versions before it do not read (they would take
// a key for a path). Its lines are "R" and a number = the key in its one
// form, "HKEY_CURRENT_USER\Software\Vendor\App"; the "R" keys never meet
// [File]'s "F" keys, in the data store or in the in-place record.
#pragma once
#include <string>
#include <vector>

#include "settings/Context.h"

namespace tollervy {

namespace keys {
inline constexpr const char* RegistrySection = "Registry";
}

inline constexpr const char* RegistryRoot = "HKEY_CURRENT_USER";

// True when the text names a registry key rather than a path: it starts
// with a root key's name ("HKEY_..." or its short form "HKCU", "HKLM",
// "HKCR", "HKU", "HKCC"), alone or followed by "\".
bool LooksLikeRegistryKey(const std::string& text);

// What a typed key may be listed as.
enum class RegistryKeyCheck {
    Listable,      // `canonical` holds its one form
    Malformed,     // empty parts, control characters, nothing after the root
    OutsideUser,   // another root than HKEY_CURRENT_USER
    Protected,     // the root itself, or a key Windows' session needs
};

// Checks a typed key ("HKCU\Software\App", "hkey_current_user\Software\App\")
// and gives its one form: "HKEY_CURRENT_USER\" and the path as typed, without
// blanks at either end or a final "\".
RegistryKeyCheck CheckRegistryKey(const std::string& typed, std::string& canonical);

// The path below HKEY_CURRENT_USER of a key in its one form; "" when the
// text is not one.
std::string KeyBelowUser(const std::string& canonical);

// The [Registry] lines, each "key=value" with the value in its one form; a
// line whose value is no listable key keeps its key and loses its value, so
// that it names no item and fails as a wrong setting.
void ReadRegistryLines(Context& c, std::vector<std::string>& lines);

// The number of a key written as "R" and a decimal number without leading
// zeros (R1, R2, ...); -1 for any other key.
long RegistryKeyNumber(const std::string& key);

}  // namespace tollervy
