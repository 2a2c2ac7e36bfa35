#include "settings/Settings.h"

#include "platform/Text.h"

namespace tollervy {

namespace {
constexpr std::size_t ValueBufferBytes = 256;
}

std::string ReadIniValue(Context& c, const std::string& section, const std::string& key,
                         const std::string& defaultValue) {
    return text::Trim(c.profile.GetString(c.state.IniFilePath, section, key, defaultValue, ValueBufferBytes));
}

std::string ReadIniValue(Context& c, const SettingKey& key) {
    return ReadIniValue(c, key.section, key.key, key.defaultValue);
}

bool WriteIniValue(Context& c, const std::string& section, const std::string& key, const std::string& value) {
    return c.profile.WriteString(c.state.IniFilePath, section, key, &value);
}

bool WriteIniValue(Context& c, const SettingKey& key, const std::string& value) {
    return WriteIniValue(c, key.section, key.key, value);
}

void DeleteIniKey(Context& c, const std::string& section, const std::string& key) {
    c.profile.WriteString(c.state.IniFilePath, section, key, nullptr);
}

int ReadIniSection(Context& c, const std::string& section, std::vector<std::string>& lines) {
    lines.clear();
    // A section is never longer than the whole file, so a buffer of the
    // file's length always holds it. A missing file has no sections.
    std::uint64_t length = 0;
    if (!c.fs.FileLength(c.state.IniFilePath, length) || length == 0) return 0;
    lines = c.profile.GetSection(c.state.IniFilePath, section, static_cast<std::size_t>(length) + 2);
    return static_cast<int>(lines.size());
}

std::int16_t ParseErrorNext(const std::string& text) {
    const std::string t = text::Trim(text);
    const std::size_t digits = !t.empty() && (t[0] == '+' || t[0] == '-') ? 1 : 0;
    if (t.size() == digits || t.find_first_not_of("0123456789", digits) != std::string::npos) return 2;
    // A whole number, however long: one of the three choices, or a policy
    // that stops.
    const std::size_t first = t.find_first_not_of('0', digits);
    if (first == std::string::npos) return 0;  // "0", "-0", "+000"
    if (first == t.size() - 1 && t[0] != '-' && t[first] <= '2') return static_cast<std::int16_t>(t[first] - '0');
    return 1;
}

namespace option {
bool ShowsLogonDialog(const std::string& logonUse) { return logonUse == "1"; }
bool ShowsStatusWindow(const std::string& startStatus) { return startStatus == "1"; }
bool AsksClosingQuestions(const std::string& lastMessage) { return lastMessage != "0"; }
bool SkipsRemovalQuestion(const std::string& deleteCheck) { return deleteCheck != "0"; }
bool KeepsRegistrationCopy(const std::string& deleteType) { return deleteType != "0"; }
bool ForcesReadOnly(const std::string& deleteReadOnly) { return deleteReadOnly == "1"; }
bool UsesJapaneseFace(const std::string& startJapanese) { return startJapanese != "0"; }
bool DropsUnregistered(const std::string& userUse) { return userUse == "1"; }
bool StaysResident(const std::string& startAllWay) { return startAllWay == "1"; }
bool ShowsTrayIcon(const std::string& startTask) { return startTask == "1"; }
bool KeepsBackups(const std::string& backupUse) { return backupUse != "0"; }
long PositiveOr(const std::string& text, long defaultValue) {
    const std::string t = text::Trim(text);
    if (t.empty() || t.size() > 9 || t.find_first_not_of("0123456789") != std::string::npos) return defaultValue;
    const long value = std::stol(t);
    return value > 0 ? value : defaultValue;
}
}  // namespace option

bool ReadsBackUnchanged(const std::string& value) {
    if (value.empty()) return true;
    if (value.front() == ' ' || value.back() == ' ') return false;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return false;
    if (value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return false;
    return text::Length(value) <= MaxStoredNameCharacters;
}

}  // namespace tollervy
