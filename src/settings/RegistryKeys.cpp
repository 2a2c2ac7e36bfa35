#include "settings/RegistryKeys.h"

#include <initializer_list>

#include "platform/Text.h"
#include "settings/Settings.h"

namespace tollervy {

namespace {

std::string Upper(std::string s) {
    for (auto& ch : s)
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    return s;
}

// The keys whose replacement would break the Windows session, as paths
// below HKEY_CURRENT_USER in capitals. Each of them, and every key above
// one of them, is refused: replacing a key replaces its whole tree.
//   SOFTWARE\MICROSOFT\WINDOWS\CURRENTVERSION\EXPLORER\...: the shell's
//     folders (Desktop, Start Menu, Start-up: the program finds itself
//     there) and the desktop's state;
//   SOFTWARE\MICROSOFT\WINDOWS NT\CURRENTVERSION: the logon's own settings;
//   SOFTWARE\CLASSES: file types and COM registrations;
//   SOFTWARE\POLICIES: what the administrator allows;
//   ENVIRONMENT, VOLATILE ENVIRONMENT: the session's variables (TEMP, PATH),
//     which Windows writes at logon for the one account.
const std::initializer_list<const char*> Vital = {
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\SHELL FOLDERS",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\USER SHELL FOLDERS",
    "SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION",
    "SOFTWARE\\CLASSES",
    "SOFTWARE\\POLICIES",
    "ENVIRONMENT",
    "VOLATILE ENVIRONMENT",
};

}  // namespace

bool LooksLikeRegistryKey(const std::string& text) {
    const std::string t = Upper(text::Trim(text));
    const std::string root = t.substr(0, t.find('\\'));
    return root.rfind("HKEY_", 0) == 0 || root == "HKCU" || root == "HKLM" || root == "HKCR" || root == "HKU" ||
           root == "HKCC";
}

RegistryKeyCheck CheckRegistryKey(const std::string& typed, std::string& canonical) {
    canonical.clear();
    std::string t = text::Trim(typed);
    if (!t.empty() && t.back() == '\\') t.pop_back();
    const auto slash = t.find('\\');
    const std::string root = Upper(t.substr(0, slash));
    if (root != "HKCU" && root != RegistryRoot)
        return LooksLikeRegistryKey(t) ? RegistryKeyCheck::OutsideUser : RegistryKeyCheck::Malformed;
    if (slash == std::string::npos) return RegistryKeyCheck::Protected;  // the root itself
    const std::string below = t.substr(slash + 1);
    if (below.empty() || below.find("\\\\") != std::string::npos) return RegistryKeyCheck::Malformed;
    for (const char ch : below)
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) return RegistryKeyCheck::Malformed;
    canonical = std::string(RegistryRoot) + "\\" + below;
    const std::string upper = Upper(below);
    if (upper == "SOFTWARE" || upper == "SOFTWARE\\MICROSOFT" || upper == "SOFTWARE\\MICROSOFT\\WINDOWS")
        return RegistryKeyCheck::Protected;
    for (const char* vital : Vital) {
        const std::string v = vital;
        // The key itself, a key inside it, or a key above it.
        if (upper == v || upper.rfind(v + "\\", 0) == 0 || v.rfind(upper + "\\", 0) == 0)
            return RegistryKeyCheck::Protected;
    }
    return RegistryKeyCheck::Listable;
}

std::string KeyBelowUser(const std::string& canonical) {
    const std::string prefix = std::string(RegistryRoot) + "\\";
    if (canonical.size() <= prefix.size() || canonical.compare(0, prefix.size(), prefix) != 0) return "";
    return canonical.substr(prefix.size());
}

void ReadRegistryLines(Context& c, std::vector<std::string>& lines) {
    ReadIniSection(c, keys::RegistrySection, lines);
    for (auto& line : lines) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string canonical;
        if (CheckRegistryKey(line.substr(eq + 1), canonical) != RegistryKeyCheck::Listable) canonical.clear();
        line = line.substr(0, eq + 1) + canonical;
    }
}

long RegistryKeyNumber(const std::string& key) {
    if (key.size() < 2 || key.size() > 9 || key[0] != 'R' || key[1] == '0') return -1;
    long number = 0;
    for (std::size_t i = 1; i < key.size(); ++i) {
        if (key[i] < '0' || key[i] > '9') return -1;
        number = number * 10 + (key[i] - '0');
    }
    return number;
}

}  // namespace tollervy
