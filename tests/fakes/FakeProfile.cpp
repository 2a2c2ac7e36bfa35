#include "fakes/FakeProfile.h"

#include <string_view>

#include "fakes/Cp932.h"

namespace tollervy::fakes {
namespace {

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0x1A; }

std::string_view TrimBytes(std::string_view s) {
    while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
    return s;
}

// One line of the file: its bytes (without the line end) and where it lies.
struct Line {
    std::size_t begin = 0;  // offset of the line
    std::size_t end = 0;    // offset after its line end
    std::string_view text;  // without the line end
};

std::vector<Line> SplitLines(const std::string& bytes) {
    std::vector<Line> lines;
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::size_t j = bytes.find('\n', i);
        const std::size_t next = j == std::string::npos ? bytes.size() : j + 1;
        if (j == std::string::npos) j = bytes.size();
        std::string_view text(bytes.data() + i, j - i);
        while (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        lines.push_back(Line{i, next, text});
        i = next;
    }
    return lines;
}

// The section name of a header line ("[name]"), or nullopt for other lines.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = TrimBytes(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    line.remove_prefix(1);
    const auto close = line.rfind(']');
    if (close != std::string_view::npos) line = line.substr(0, close);
    return TrimBytes(line);
}

// Names compare with ASCII letters folded; the second byte of a double-byte
// character is compared as it is.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const auto upper = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; };
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (upper(x) != upper(y)) return false;
        if (cp932::IsLeadByte(x) && i + 1 < a.size()) {
            ++i;
            if (a[i] != b[i]) return false;
        }
    }
    return true;
}

// The lines of the first section named `section`: [first, last) indexes into
// lines (after the header). nullopt when there is no such section.
struct SectionRange {
    std::size_t header = 0;
    std::size_t first = 0;
    std::size_t last = 0;
};

std::optional<SectionRange> FindSection(const std::vector<Line>& lines, std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i].text);
        if (!name || !SameName(*name, section)) continue;
        SectionRange range{i, i + 1, i + 1};
        while (range.last < lines.size() && !SectionName(lines[range.last].text)) ++range.last;
        return range;
    }
    return std::nullopt;
}

// Splits "key = value": false when the line has no "=".
bool SplitKey(std::string_view line, std::string_view& key, std::string_view& value) {
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    key = TrimBytes(line.substr(0, eq));
    value = TrimBytes(line.substr(eq + 1));
    return true;
}

// The index of the first line of `key` in the range, or nullopt.
std::optional<std::size_t> FindKey(const std::vector<Line>& lines, const SectionRange& range, std::string_view key,
                                   std::string_view* value = nullptr) {
    for (std::size_t i = range.first; i < range.last; ++i) {
        std::string_view k, v;
        if (!SplitKey(lines[i].text, k, v) || !SameName(k, key)) continue;
        if (value != nullptr) *value = v;
        return i;
    }
    return std::nullopt;
}

std::string ReadBytes(FakeFileSystem& fs, const std::string& file) {
    std::string bytes;
    if (!fs.ReadOther(file, bytes)) return {};
    return bytes;
}

}  // namespace

std::string FakeProfile::GetString(const std::string& file, const std::string& section, const std::string& key,
                                   const std::string& defaultValue, std::size_t bufferBytes) {
    ++reads_;
    if (bufferBytes == 0) return {};
    const std::string bytes = ReadBytes(fs_, file);
    const std::string sectionBytes = cp932::FromUtf8(section);
    const std::string keyBytes = cp932::FromUtf8(key);
    const auto lines = SplitLines(bytes);

    std::string_view value;
    const auto range = FindSection(lines, TrimBytes(sectionBytes));
    const bool found = range && FindKey(lines, *range, TrimBytes(keyBytes), &value);
    // The line is read as a C string: a NUL in it ends the value.
    if (found) value = value.substr(0, value.find('\0'));
    // The default loses its trailing blanks.
    const std::string defaultBytes = cp932::FromUtf8(defaultValue);
    if (!found) {
        value = defaultBytes;
        while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
    }
    // One pair of surrounding quotes, double or single, goes.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    const std::string result(value);
    return cp932::ToUtf8(cp932::CutBytes(result, bufferBytes - 1));
}

bool FakeProfile::WriteString(const std::string& file, const std::string& section, const std::string& key,
                              const std::string* value) {
    Write record{file, section, key, value ? std::optional<std::string>(*value) : std::nullopt, false};
    const auto finish = [&](bool ok) {
        record.ok = ok;
        writes_.push_back(record);
        return ok;
    };
    if (writesFail_) return finish(false);

    std::string bytes;
    const bool exists = fs_.IsFile(file);
    if (exists && !fs_.ReadOther(file, bytes)) return finish(false);
    const std::string sectionBytes = cp932::FromUtf8(section);
    const std::string keyBytes = cp932::FromUtf8(key);
    const std::string valueBytes = value ? cp932::FromUtf8(*value) : std::string();
    const auto lines = SplitLines(bytes);
    const auto range = FindSection(lines, TrimBytes(sectionBytes));

    std::string out;
    if (!range) {
        if (value == nullptr) {
            // Nothing to delete: no file is made, but a file that cannot be
            // opened for writing still fails the call.
            return finish(!exists || fs_.WriteOther(file, bytes));
        }
        out = bytes;
        if (!out.empty() && out.back() != '\n') out += "\r\n";
        out += "[" + std::string(TrimBytes(sectionBytes)) + "]\r\n" + std::string(TrimBytes(keyBytes)) + "=" +
               valueBytes + "\r\n";
    } else {
        const auto found = FindKey(lines, *range, TrimBytes(keyBytes));
        if (found) {
            const Line& line = lines[*found];
            out = bytes.substr(0, line.begin);
            if (value != nullptr) {
                std::string_view k, v;
                SplitKey(line.text, k, v);
                const std::string_view ending(bytes.data() + line.begin + line.text.size(),
                                              line.end - line.begin - line.text.size());
                out += std::string(k) + "=" + valueBytes + (ending.empty() ? "\r\n" : std::string(ending));
            }
            out += bytes.substr(line.end);
        } else {
            if (value == nullptr) return finish(fs_.WriteOther(file, bytes));
            // After the section's last non-blank line.
            std::size_t after = range->header;
            for (std::size_t i = range->first; i < range->last; ++i)
                if (!TrimBytes(lines[i].text).empty()) after = i;
            const Line& line = lines[after];
            out = bytes.substr(0, line.end);
            if (out.empty() || out.back() != '\n') out += "\r\n";
            out += std::string(TrimBytes(keyBytes)) + "=" + valueBytes + "\r\n";
            out += bytes.substr(line.end);
        }
    }
    return finish(fs_.WriteOther(file, out));
}

std::vector<std::string> FakeProfile::GetSection(const std::string& file, const std::string& section,
                                                 std::size_t bufferBytes) {
    ++reads_;
    std::vector<std::string> result;
    if (bufferBytes < 2) return result;
    const std::string bytes = ReadBytes(fs_, file);
    const std::string sectionBytes = cp932::FromUtf8(section);
    const auto lines = SplitLines(bytes);
    const auto range = FindSection(lines, TrimBytes(sectionBytes));
    if (!range) return result;
    // Each line takes its bytes and a NUL; one more NUL ends the list. A line
    // that does not fit whole is cut so that the list ends with two NULs.
    std::size_t room = bufferBytes - 1;
    for (std::size_t i = range->first; i < range->last; ++i) {
        // A line comes back as key=value without blanks around either part;
        // a line without "=" as it is; blank lines and comments not at all.
        std::string_view key, value;
        std::string text;
        if (SplitKey(lines[i].text, key, value)) text = std::string(key) + "=" + std::string(value);
        else text = std::string(TrimBytes(lines[i].text));
        // Lines come back NUL-separated: a NUL in a line ends it there.
        text = text.substr(0, text.find('\0'));
        if (text.empty() || text.front() == ';') continue;
        if (text.size() + 1 <= room) {
            result.push_back(cp932::ToUtf8(text));
            room -= text.size() + 1;
            continue;
        }
        const std::string cut = cp932::CutBytes(text, room > 0 ? room - 1 : 0);
        if (!cut.empty()) result.push_back(cp932::ToUtf8(cut));
        break;
    }
    return result;
}

std::optional<std::string> FakeProfile::Value(const std::string& file, const std::string& section,
                                              const std::string& key) {
    const std::string bytes = ReadBytes(fs_, file);
    const auto lines = SplitLines(bytes);
    const auto range = FindSection(lines, TrimBytes(cp932::FromUtf8(section)));
    if (!range || !FindKey(lines, *range, TrimBytes(cp932::FromUtf8(key)))) return std::nullopt;
    return GetString(file, section, key, "", 256);
}

}  // namespace tollervy::fakes
