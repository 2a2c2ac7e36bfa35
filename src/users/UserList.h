// The known users: the user name rule, the user file Data\User.dat and the
// check of a user name and password against the list.
//
// The user file holds one line per user, "name,password,flag" with the flag
// "1" (in use) or "0", in the system ANSI code page with CR LF line ends.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/Context.h"

namespace tollervy {

// The most records the 16-bit UserCount can count; a longer user file is read
// up to this many records.
inline constexpr std::int16_t MaxUserCount = 32767;

// The characters a user name may not contain: those Windows forbids in file
// and folder names, plus the user file's field separator and the semicolon.
inline constexpr const char* ForbiddenNameCharacters = "\\/:,;*?\"<>|";

// True when the name is not empty and holds none of the forbidden
// characters: the check the users page runs at each change of the name box.
bool IsValidName(const std::string& name);

// The message shown when a typed name breaks the rule: the first line, then
// the forbidden characters separated by single blanks.
std::string InvalidNameMessage();

// Why a name that passes IsValidName still cannot be a user's name (the name
// of the user's folder in the data store, kept in the user file and in
// [Last] User), as the message the users page shows when Add or Change is
// pressed; "" when it can. The reasons, in this order: a control character;
// a blank at either end (Windows drops a trailing one from a folder name, the
// settings file trims both); a dot at the end ("." and ".." too); quotes
// around the whole name (the settings file removes them); a device name of
// Windows (CON, NUL, COM1, ..., with or without an extension); more
// characters than the settings file gives back. The code page is checked
// apart (FitsAnsiCodePage).
std::string NameRefusal(const std::string& name);

// Logon results.
enum LogonResult : std::int16_t {
    LogonAccepted = 0,       // a switched-on user with this password
    LogonWrongPassword = 1,  // the user is known and switched on; the password differs
    LogonUnknown = 2,        // no switched-on user of that name
};

// Checks a name and password against the first UserCount records of UserList.
// Names and passwords compare exactly. Only the first record of a name counts.
std::int16_t CheckLogon(Context& c, const std::string& name, const std::string& password);

// Rebuilds UserList and UserCount: keeps the profile users the users page has
// prepared (one record per name of ProfileUserNames, at the front of the
// list) and merges the user file into them. Sets UserFilePath.
void LoadUserFile(Context& c);

// Writes the user file from the first UserCount records of UserList: removes
// the old file, then writes one line per record (none when the list is
// empty). Shows "ユーザ情報の保存に失敗しました" and returns false when the
// file cannot be written.
bool SaveUserFile(Context& c);

// The user-file line of one record.
std::string UserLineOf(const UserRecord& record);

// Splits a user-file line into exactly `fieldCount` fields (see the rules in
// the .cpp); nothing when the line has fewer or more fields.
std::optional<std::vector<std::string>> SplitUserLine(const std::string& line, int fieldCount);

enum class QuoteMark {
    TowardsBars,    // "," inside quoted sections becomes "|"
    TowardsCommas,  // "|" inside quoted sections becomes ","
};

// The text with the commas (or bars) inside each quoted section exchanged;
// the quotes stay. An unclosed quote starts no section.
std::string MarkQuotedCommas(const std::string& text, QuoteMark direction, char quote);

// Finds the first complete quoted section of the text. On true, `opening` and
// `closing` are the byte positions of its two quotes and `contents` the text
// between them; `contents` is left as given when the section is empty.
bool FindQuoted(const std::string& text, char quote, std::size_t& opening, std::size_t& closing,
                std::string& contents);

enum class CompareMode {
    Binary,  // exact bytes
    Text,    // ASCII letters compare without case
};

// The text with every occurrence of `search` replaced, scanning left to right
// and searching on after each replacement. Empty text or search: unchanged.
std::string ReplaceText(const std::string& text, const std::string& search, const std::string& replacement,
                        CompareMode mode);

}  // namespace tollervy
