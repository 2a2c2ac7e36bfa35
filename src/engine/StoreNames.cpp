#include "engine/StoreNames.h"

#include <array>
#include <string_view>

namespace tollervy {

namespace {

char AsciiUpper(char ch) {
    return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
}

bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

// CON, PRN, AUX, NUL, COM1-9, LPT1-9, alone or followed by an extension:
// Windows opens the device instead of a folder of that name.
bool IsDeviceName(std::string_view name) {
    const auto dot = name.find('.');
    const std::string_view stem = name.substr(0, dot);
    static constexpr std::array<std::string_view, 4> plain{"CON", "PRN", "AUX", "NUL"};
    for (const auto d : plain)
        if (EqualsAsciiNoCase(stem, d)) return true;
    if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9' &&
        (EqualsAsciiNoCase(stem.substr(0, 3), "COM") || EqualsAsciiNoCase(stem.substr(0, 3), "LPT")))
        return true;
    return false;
}

}  // namespace

bool IsSafeFolderName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (const char ch : name) {
        const auto u = static_cast<unsigned char>(ch);
        if (u < 0x20 || u == 0x7F) return false;
        switch (ch) {
            case '\\': case '/': case ':': case '*': case '?':
            case '"': case '<': case '>': case '|':
                return false;
            default:
                break;
        }
    }
    if (name.back() == '.' || name.back() == ' ') return false;
    return !IsDeviceName(name);
}

bool IsStoreUserName(const std::string& name) {
    return IsSafeFolderName(name);
}

bool IsStoreKeyName(const std::string& key) {
    return IsSafeFolderName(key);
}

bool SplitFileLine(const std::string& line, std::string& key, std::string& value) {
    key.clear();
    value.clear();
    const auto eq = line.find('=');
    if (eq == std::string::npos) return false;
    std::string k = line.substr(0, eq);
    std::string v = line.substr(eq + 1);
    if (!IsStoreKeyName(k) || v.empty()) return false;
    key = std::move(k);
    value = std::move(v);
    return true;
}

}  // namespace tollervy
