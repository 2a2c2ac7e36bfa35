// The settings file: the only way the program reads and writes it, and every
// fixed key with its default.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "settings/Context.h"

namespace tollervy {

// A fixed key of the settings file with the default its readers pass.
struct SettingKey {
    const char* section;
    const char* key;
    const char* defaultValue;
};

namespace keys {
inline constexpr SettingKey StartNowUser{"Start", "NowUser", ""};
inline constexpr SettingKey StartStarted{"Start", "Started", "0"};
inline constexpr SettingKey StartStatus{"Start", "Status", "1"};
inline constexpr SettingKey StartAllWay{"Start", "AllWay", "0"};
inline constexpr SettingKey StartTask{"Start", "Task", "1"};
inline constexpr SettingKey StartDebug{"Start", "Debug", "0"};
inline constexpr SettingKey StartJapanese{"Start", "Japanese", "0"};
// "1": every file is copied at every switch. Otherwise a file whose copy is
// already current (same size, last-write time and attributes) is left as it is.
inline constexpr SettingKey StartCopyAll{"Start", "CopyAll", "0"};
inline constexpr SettingKey LastUser{"Last", "User", "All Users"};
inline constexpr SettingKey LastMessage{"Last", "Message", "1"};
inline constexpr SettingKey LastErrorNext{"Last", "ErrorNext", "2"};
inline constexpr SettingKey DeleteCheck{"Delete", "Check", "1"};
inline constexpr SettingKey DeleteType{"Delete", "Type", "0"};
inline constexpr SettingKey DeleteReadOnly{"Delete", "ReadOnly", "0"};
inline constexpr SettingKey UserUse{"User", "Use", "0"};
inline constexpr SettingKey LogonUse{"Logon", "Use", "0"};
// Previous versions: what a save would overwrite or delete in a store is
// moved into Data\Backup\<date time> first, unless Use is "0". The newest
// Keep switches' backups are kept, and of those only as many as fit in
// MaxMB megabytes (the newest always stays). All three are absent by default.
inline constexpr SettingKey BackupUse{"Backup", "Use", "1"};
inline constexpr SettingKey BackupKeep{"Backup", "Keep", "10"};
inline constexpr SettingKey BackupMaxMB{"Backup", "MaxMB", "500"};
// The time of the first switch the switch log could not take in (absent:
// none); the next log that can be written says so once and drops the key.
inline constexpr SettingKey LogUnwritten{"Log", "Unwritten", ""};
// The shared store on a file server (\\server\share\Tollervy): people's
// copies, the user file and the item list live there for every PC. Absent
// by default: everything stays in Data beside the program.
inline constexpr SettingKey StoreShared{"Store", "Shared", ""};
inline constexpr const char* FileSection = "File";
inline constexpr const char* StartUpSection = "StartUp";
}  // namespace keys

// What the program does with an option's stored text, one function per key.
// The behaviour and the options page ask the same function, so the page
// shows what the program will do also for a text outside the key's values
// ("2", "abc", "01"); the stored text itself stays as it is until the option
// is changed on the page.
namespace option {
bool ShowsLogonDialog(const std::string& logonUse);          // [Logon] Use is "1"
bool ShowsStatusWindow(const std::string& startStatus);      // [Start] Status is "1"
bool AsksClosingQuestions(const std::string& lastMessage);   // [Last] Message is not "0"
bool SkipsRemovalQuestion(const std::string& deleteCheck);   // [Delete] Check is not "0"
bool KeepsRegistrationCopy(const std::string& deleteType);   // [Delete] Type is not "0"
bool ForcesReadOnly(const std::string& deleteReadOnly);      // [Delete] ReadOnly is "1"
bool UsesJapaneseFace(const std::string& startJapanese);     // [Start] Japanese is not "0"
bool DropsUnregistered(const std::string& userUse);          // [User] Use is "1"
bool StaysResident(const std::string& startAllWay);          // [Start] AllWay is "1"
bool ShowsTrayIcon(const std::string& startTask);            // [Start] Task is "1"
bool KeepsBackups(const std::string& backupUse);             // [Backup] Use is not "0"
// A count or size key: its whole number from 1 on; the default otherwise.
long PositiveOr(const std::string& text, long defaultValue);
}  // namespace option

// The value, trimmed of blanks; the default when the key or file is missing.
std::string ReadIniValue(Context& c, const std::string& section, const std::string& key,
                         const std::string& defaultValue);
// The same for a fixed key with its own default.
std::string ReadIniValue(Context& c, const SettingKey& key);
// True when the file was written.
bool WriteIniValue(Context& c, const std::string& section, const std::string& key, const std::string& value);
bool WriteIniValue(Context& c, const SettingKey& key, const std::string& value);
// Removes the key's line; the outcome is not reported.
void DeleteIniKey(Context& c, const std::string& section, const std::string& key);
// The raw key=value lines of the section in file order; returns their count
// (a full int: a hand-made section may hold more lines than 16 bits count).
int ReadIniSection(Context& c, const std::string& section, std::vector<std::string>& lines);

// [Last] ErrorNext as the error policy's number, 0 (go on), 1 (stop) or 2
// (ask): those digits read as themselves, any other whole number as 1 (the
// policy stops for it), any other text as 2.
std::int16_t ParseErrorNext(const std::string& text);

// The most characters a stored name may have: ReadIniValue reads 255 bytes,
// two per character at most in code page 932.
inline constexpr std::size_t MaxStoredNameCharacters = 127;

// True when ReadIniValue gives the value back exactly as WriteIniValue wrote
// it (the code page aside, see FitsAnsiCodePage): no blank at either end (they
// are trimmed), not enclosed in a pair of quotes, double or single (the
// profile functions remove them), no line break or NUL, and at most
// MaxStoredNameCharacters characters. A user name that fails would come back
// from [Last] User as another name.
bool ReadsBackUnchanged(const std::string& value);

}  // namespace tollervy
