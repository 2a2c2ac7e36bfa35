// The Windows shell: special folders, recent documents, shortcuts, document
// launching and the notification-area icon.
#pragma once
#include <string>

namespace tollervy::platform {

// Shell folder identifiers the program asks for.
enum Csidl : int {
    CsidlPrograms = 2,
    CsidlStartup = 7,
    CsidlRecent = 8,
    CsidlCommonStartup = 24,
};

class Shell {
public:
    virtual ~Shell() = default;
    // The folder's file-system path; "" when the folder does not exist.
    virtual std::string SpecialFolderPath(int csidl) = 0;
    // SHAddToRecentDocs with a path.
    virtual void AddToRecentDocs(const std::string& path) = 0;
    // Makes a shortcut file `linkPath` to `target` with `arguments`.
    virtual bool CreateShortcut(const std::string& linkPath, const std::string& target,
                                const std::string& arguments) = 0;
    // The target path of an existing shortcut file; false when the file is
    // missing or is no shortcut the shell can read.
    virtual bool ShortcutTarget(const std::string& linkPath, std::string& target) = 0;
    // ShellExecuteEx "open"; returns the hInstApp value (> 32 on success).
    virtual int OpenDocument(const std::string& pathOrUrl) = 0;
};

}  // namespace tollervy::platform
