#include "settings/Settings.h"

#include <charconv>

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
    int value = 0;
    const char* first = t.data();
    const char* last = t.data() + t.size();
    if (first != last && *first == '+') ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    if (t.empty() || error != std::errc() || end != last || value < -32768 || value > 32767) return 2;
    return static_cast<std::int16_t>(value);
}

bool ReadsBackUnchanged(const std::string& value) {
    if (value.empty()) return true;
    if (value.front() == ' ' || value.back() == ' ') return false;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return false;
    if (value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return false;
    return text::Length(value) <= MaxStoredNameCharacters;
}

}  // namespace tollervy
