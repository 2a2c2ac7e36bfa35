// Start-up registration: the program starts with Windows from a shortcut
// "Tollervy.lnk" in a Start-up folder. This finds the Start-up folders that
// are offered, tells where the program is registered, makes and removes the
// shortcut, and turns the settings dialog's rows into shortcuts on disk.
//
// The state lives in the shared program state: StartUpList/StartUpCount (the
// folders as they stand on disk) and StartUpPathList/StartUpPathCount (the
// rows of the start-up page, the wanted state). Both keep one spare element
// after the last entry.
#pragma once
#include <cstdint>
#include <string>

#include "settings/Context.h"

namespace tollervy {

// The most rows the start-up page holds: its counts are 16-bit. [StartUp]
// lines past that are neither listed nor touched.
inline constexpr std::int16_t MaxStartUpCount = 32767;

// The program's executable, the target of its shortcut.
std::string StartUpTarget(Context& c);
// The shortcut's path in a folder.
std::string StartUpShortcutPath(const std::string& folder);
// True when the folder holds a shortcut of the program's name whose target
// is this executable. A shortcut of that name to another file (a moved or
// older copy of the program) does not count.
bool IsRegisteredIn(Context& c, const std::string& folder);

// Builds StartUpList, StartUpPathList and ProfileUserNames: the common
// Start-up folder, the Start-up folder of every profile beside the user's,
// and the folders of [StartUp]. Before the first set-up ([Start] Started
// "0") the rows propose the common folder alone, or every profile's folder
// when there is no common one.
void ScanStartUpFolders(Context& c);

// Puts the shortcut into a folder; false when it could not be made.
bool MakeStartUpShortcut(Context& c, const std::string& folder);
// Windows XP: makes the shortcut `linkName`.LNK in the Programs folder with
// the shell's link object and moves it into `folder`.
bool CreateShortcutInFolder(Context& c, const std::string& target, const std::string& folder,
                            const std::string& linkName, const std::string& arguments);
// Deletes the shortcut from a folder; a shortcut already gone counts as
// removed.
bool RemoveStartUpShortcut(Context& c, const std::string& folder);

// Makes and removes shortcuts so that the disk matches the rows, and keeps
// [StartUp] in step with the added folders. Ends at the first failure (with
// its message) and returns false; what was done before stays recorded in
// StartUpList, so the next call retries only what still differs.
bool ApplyStartUpRegistration(Context& c);

}  // namespace tollervy
