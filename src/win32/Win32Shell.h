// The Windows shell: special folders, recent documents, shortcuts and
// document launching.
#pragma once
#include <string>

#include "platform/Shell.h"

namespace tollervy::win32 {

class Win32Shell : public platform::Shell {
public:
    std::string SpecialFolderPath(int csidl) override;
    void AddToRecentDocs(const std::string& path) override;
    bool CreateShortcut(const std::string& linkPath, const std::string& target,
                        const std::string& arguments) override;
    bool ShortcutTarget(const std::string& linkPath, std::string& target) override;
    int OpenDocument(const std::string& pathOrUrl) override;
};

}  // namespace tollervy::win32
