// The shared program state: every variable that the forms and the common
// procedures share, with its starting value. Mirrors of settings keys keep
// the key's text and are compared with "1" or "0" as strings.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tollervy::ui {
class TextBox;
}

namespace tollervy {

// One known user (the user file and the users page).
struct UserRecord {
    std::string Name;
    std::string Password;
    bool InUse = false;
    bool IsProfileUser = false;
};

// One Start-up folder and whether the program's shortcut is (to be) in it.
struct StartUpEntry {
    std::string Path;
    std::string Registered;  // "1" or "0"
    bool UserAdded = false;
};

struct GrobalMod {
    // Paths and identity.
    std::string IniFilePath;
    std::string DataFolderPath;
    // The shared store of several PCs ([Store] Shared), "" for none.
    std::string SharedStorePath;
    std::string UserFilePath;
    // The user file's lines as last read or written here (a shared store:
    // a file another PC changed since is not written over).
    std::vector<std::string> UserFileLines;
    std::string CurrentUserName;
    std::string OsVersionTag;

    // Mirrors of settings keys (the key's text as read).
    std::string StartDebug;
    std::string StartAllWay;
    std::string StartTask;
    std::string StartStatus;
    std::string StartJapanese;
    std::string StartStarted;
    std::int16_t LastErrorNext = 0;
    std::string LastMessage;
    std::string DeleteCheck;
    std::string DeleteType;
    std::string DeleteReadOnly;
    std::string UserUse;
    std::string LogonUse;

    // The user list.
    std::vector<UserRecord> UserList;
    std::int16_t UserCount = 0;
    std::vector<std::string> ProfileUserNames;
    bool UserListChanged = false;

    // Settings-dialog state shared with its small dialogs.
    std::vector<std::string> FileSectionLines;
    ui::TextBox* FilePathTarget = nullptr;
    ui::TextBox* DirPathTarget = nullptr;
    std::string RemovedFilePath;
    std::string RemovedFileDataUser;
    std::vector<StartUpEntry> StartUpList;
    std::int16_t StartUpCount = 0;
    std::vector<StartUpEntry> StartUpPathList;
    std::int16_t StartUpPathCount = 0;
    bool SettingsAbort = false;

    // Switch progress: the band of the bar that belongs to the current item.
    std::int16_t ProgressStart = 0;
    std::int16_t ProgressEnd = 0;

    // The notification-area icon is up (the record that added it).
    bool TrayIconData = false;
};

}  // namespace tollervy
