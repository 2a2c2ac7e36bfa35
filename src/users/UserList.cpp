#include "users/UserList.h"

#include <algorithm>
#include <cstring>

#include "engine/SharedStore.h"
#include "platform/Text.h"
#include "settings/Environment.h"
#include "settings/Settings.h"

namespace tollervy {

namespace {

constexpr const char* UserFileName = "User.dat";
constexpr const char* SaveFailedMessage = "ユーザ情報の保存に失敗しました";
constexpr const char* ChangedElsewhereMessage =
    "ユーザ情報が別のパソコンで変更されています\r\n"
    "この変更は保存しませんでした\r\n"
    "設定画面を開き直してから、もう一度変更してください";

char AsciiUpper(char ch) {
    return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
}

bool EqualsIgnoringAsciiCase(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

// Windows opens a device instead of a file for these names, with or without
// an extension, so no folder of such a name can be made in the data store.
bool IsDeviceName(const std::string& name) {
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* d : devices)
        if (EqualsIgnoringAsciiCase(base, d)) return true;
    if (base.size() == 4 && base[3] >= '1' && base[3] <= '9') {
        const std::string stem = base.substr(0, 3);
        if (EqualsIgnoringAsciiCase(stem, "COM") || EqualsIgnoringAsciiCase(stem, "LPT")) return true;
    }
    return false;
}

// The number of real names in a list that may keep one spare empty element
// at its end.
std::size_t RealEntries(const std::vector<std::string>& list) {
    std::size_t n = list.size();
    if (n > 0 && list.back().empty()) --n;
    return n;
}

// A field of a written line: a comma would split the line, so it is written
// as "|", which the reader turns back into ",".
std::string FieldForFile(const std::string& field) {
    return ReplaceText(field, ",", "|", CompareMode::Binary);
}

}  // namespace

bool IsValidName(const std::string& name) {
    return !name.empty() && name.find_first_of(ForbiddenNameCharacters) == std::string::npos;
}

std::string NameRefusal(const std::string& name) {
    for (char ch : name) {
        const auto u = static_cast<unsigned char>(ch);
        if (u < 0x20 || u == 0x7F) return "ユーザ名に制御文字は使用できません";
    }
    if (name.empty()) return "";
    const std::string shown = "\r\n\r\n" + name;
    if (name.front() == ' ' || name.back() == ' ') return "ユーザ名の先頭と末尾に空白は使用できません" + shown;
    if (name.back() == '.') return "ユーザ名の末尾にピリオドは使用できません" + shown;
    if (name.size() >= 2 && name.front() == '\'' && name.back() == '\'')
        return "引用符で囲まれたユーザ名は使用できません" + shown;
    if (IsDeviceName(name)) return "Windowsが装置に使う名前です\r\nこのユーザ名は使用できません" + shown;
    if (text::Length(name) > MaxStoredNameCharacters)
        return "ユーザ名が長すぎます\r\n" + std::to_string(MaxStoredNameCharacters) + "文字まで使用できます";
    return "";
}

std::string InvalidNameMessage() {
    std::string message = "これらの文字は使用できません\r\n";
    for (const char* p = ForbiddenNameCharacters; *p; ++p) {
        if (p != ForbiddenNameCharacters) message += ' ';
        message += *p;
    }
    return message;
}

std::int16_t CheckLogon(Context& c, const std::string& name, const std::string& password) {
    const auto& list = c.state.UserList;
    const std::size_t count = std::min<std::size_t>(c.state.UserCount > 0 ? c.state.UserCount : 0, list.size());
    for (std::size_t i = 0; i < count; ++i) {
        const UserRecord& r = list[i];
        if (r.Name != name) continue;
        if (!r.InUse) return LogonUnknown;
        return r.Password == password ? LogonAccepted : LogonWrongPassword;
    }
    return LogonUnknown;
}

void LoadUserFile(Context& c) {
    GrobalMod& s = c.state;
    // The profile users prepared by the users page stay at the front; records
    // appended by an earlier load are dropped.
    const std::size_t profileCount = std::min<std::size_t>(
        {RealEntries(s.ProfileUserNames), s.UserList.size(), static_cast<std::size_t>(MaxUserCount)});
    s.UserList.resize(profileCount);
    s.UserCount = static_cast<std::int16_t>(profileCount);
    s.UserFilePath = JoinPath(PeopleFolder(c), UserFileName);

    s.UserFileLines.clear();
    std::uint32_t attributes = 0;
    if (!c.fs.GetAttributes(s.UserFilePath, attributes)) return;
    std::vector<std::string> lines;
    if (!c.fs.ReadLines(s.UserFilePath, lines)) return;
    s.UserFileLines = lines;

    for (const std::string& line : lines) {
        auto fields = SplitUserLine(line, 3);
        if (!fields) continue;
        const std::string& name = (*fields)[0];
        const std::string& password = (*fields)[1];
        const std::string& flag = (*fields)[2];

        auto profile = std::find_if(s.UserList.begin(), s.UserList.begin() + static_cast<std::ptrdiff_t>(profileCount),
                                    [&](const UserRecord& r) { return r.Name == name; });
        if (profile != s.UserList.begin() + static_cast<std::ptrdiff_t>(profileCount)) {
            profile->Password = password;
            if (flag == "0") profile->InUse = false;
            continue;
        }
        if (s.UserCount >= MaxUserCount) continue;  // the count cannot go further
        UserRecord r;
        r.Name = name;
        r.Password = password;
        r.InUse = (flag == "1");
        r.IsProfileUser = false;
        s.UserList.push_back(std::move(r));
        ++s.UserCount;
    }
}

std::string UserLineOf(const UserRecord& record) {
    return FieldForFile(record.Name) + "," + FieldForFile(record.Password) + "," + (record.InUse ? "1" : "0");
}

bool SaveUserFile(Context& c) {
    GrobalMod& s = c.state;
    if (s.UserFilePath.empty()) s.UserFilePath = JoinPath(PeopleFolder(c), UserFileName);
    const std::string& path = s.UserFilePath;

    const std::size_t count = std::min<std::size_t>(s.UserCount > 0 ? s.UserCount : 0, s.UserList.size());
    std::uint32_t attributes = 0;
    const bool exists = c.fs.GetAttributes(path, attributes);
    // Several PCs share the file: one that changed since this PC read it
    // keeps the other PC's change (the window for a change in between is
    // the few milliseconds of this check).
    if (UsesSharedStore(c)) {
        std::vector<std::string> now;
        if (exists && !c.fs.ReadLines(path, now)) {
            ShowMessage(c, SaveFailedMessage, StyleStop);
            return false;
        }
        if (now != s.UserFileLines) {
            ShowMessage(c, ChangedElsewhereMessage, StyleStop);
            return false;
        }
    }
    bool ok = !exists || !(attributes & platform::AttrReadOnly);  // as Windows keeps it from being replaced
    if (ok && count == 0) {
        ok = !exists || c.fs.DeleteFile(path);
    } else if (ok) {
        // The lines are written whole beside the file (in the system's code
        // page) and then put in its place at once: a full disk or a stop
        // half-way leaves the old file as it was, never cut short.
        const std::string aside = path + ".new";
        c.fs.DeleteFile(aside);
        for (std::size_t i = 0; ok && i < count; ++i) ok = c.fs.AppendLine(aside, UserLineOf(s.UserList[i]));
        std::string bytes;
        ok = ok && c.fs.ReadFile(aside, bytes) && c.fs.WriteFileAtomic(path, bytes);
        c.fs.DeleteFile(aside);
    }
    if (!ok) ShowMessage(c, SaveFailedMessage, StyleStop);
    if (ok) {
        s.UserFileLines.clear();
        for (std::size_t i = 0; i < count; ++i) s.UserFileLines.push_back(UserLineOf(s.UserList[i]));
    }
    return ok;
}

std::optional<std::vector<std::string>> SplitUserLine(const std::string& line, int fieldCount) {
    if (fieldCount <= 0) return std::nullopt;
    std::string text = line;
    if (!text.empty() && text.back() == ',') text.pop_back();
    text = MarkQuotedCommas(text, QuoteMark::TowardsBars, '"');

    std::vector<std::string> fields(static_cast<std::size_t>(fieldCount));
    std::size_t start = 0;
    for (int i = 0; i < fieldCount; ++i) {
        const std::size_t comma = text.find(',', start);
        const bool last = (comma == std::string::npos);
        const std::string field = last ? text.substr(start) : text.substr(start, comma - start);
        fields[static_cast<std::size_t>(i)] = ReplaceText(field, "|", ",", CompareMode::Text);
        if (last) {
            if (i == fieldCount - 1) return fields;
            return std::nullopt;  // fields missing
        }
        start = comma + 1;
    }
    return std::nullopt;  // a comma left over: too many fields
}

std::string MarkQuotedCommas(const std::string& text, QuoteMark direction, char quote) {
    const char from = direction == QuoteMark::TowardsBars ? ',' : '|';
    const char to = direction == QuoteMark::TowardsBars ? '|' : ',';
    // One pass over the text: a quote opens a section when another quote
    // follows it somewhere; the section ends at that next quote. (Taking the
    // rest of the line apart section by section would copy it once per
    // section: a line of many quotes would take quadratic time.)
    std::string result = text;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t open = result.find(quote, pos);
        if (open == std::string::npos || open + 1 >= result.size()) break;
        const std::size_t close = result.find(quote, open + 1);
        if (close == std::string::npos) break;
        for (std::size_t i = open + 1; i < close; ++i)
            if (result[i] == from) result[i] = to;
        pos = close + 1;
    }
    return result;
}

bool FindQuoted(const std::string& text, char quote, std::size_t& opening, std::size_t& closing,
                std::string& contents) {
    const std::size_t open = text.find(quote);
    if (open == std::string::npos || open + 1 >= text.size()) return false;
    const std::size_t close = text.find(quote, open + 1);
    if (close == std::string::npos) return false;
    opening = open;
    closing = close;
    if (close > open + 1) contents = text.substr(open + 1, close - open - 1);
    return true;
}

std::string ReplaceText(const std::string& text, const std::string& search, const std::string& replacement,
                        CompareMode mode) {
    if (text.empty() || search.empty()) return text;
    auto matchesAt = [&](std::size_t pos) {
        if (pos + search.size() > text.size()) return false;
        for (std::size_t k = 0; k < search.size(); ++k) {
            const char a = text[pos + k], b = search[k];
            if (mode == CompareMode::Text ? AsciiUpper(a) != AsciiUpper(b) : a != b) return false;
        }
        return true;
    };
    std::string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (matchesAt(i)) {
            result += replacement;
            i += search.size();
        } else {
            result += text[i];
            ++i;
        }
    }
    return result;
}

}  // namespace tollervy
