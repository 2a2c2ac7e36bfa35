// The Windows shell for the unit tests: special folders from a map, recent
// documents and launched documents recorded, shortcuts recorded and (with a
// file system) written as small files so that the program can find them.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace tollervy::fakes {

class FakeFileSystem;

class FakeShell : public platform::Shell {
public:
    // Special folders of a Japanese Windows XP for the login name "Taro".
    explicit FakeShell(FakeFileSystem* fs = nullptr);

    // CSIDL -> path; a missing identifier answers "".
    std::map<int, std::string> specialFolders;
    std::vector<std::string> recentDocs;
    struct Shortcut {
        std::string link, target, arguments;
    };
    std::vector<Shortcut> shortcuts;          // every successful CreateShortcut
    bool shortcutFails = false;
    std::vector<std::string> opened;          // OpenDocument calls
    int openResult = 42;                      // hInstApp (> 32 = success)

    // With a file system, AddToRecentDocs leaves a shortcut to the document
    // in the recent folder, named "<document name>.lnk", before it returns
    // (as the shell does); false: it leaves none (a test may make one later,
    // from FakeSystem::onSleep, as a slow shell would).
    bool recentMakesShortcut = true;

    std::string SpecialFolderPath(int csidl) override;
    void AddToRecentDocs(const std::string& path) override;
    // Reads a shortcut file made by this fake (its ShortcutContent).
    bool ShortcutTarget(const std::string& linkPath, std::string& target) override;
    // With a file system: fails when the link's folder is missing or the file
    // cannot be written; the file's content is ShortcutContent(...).
    bool CreateShortcut(const std::string& linkPath, const std::string& target,
                        const std::string& arguments) override;
    int OpenDocument(const std::string& pathOrUrl) override;

    // What a shortcut file made by this fake holds.
    static std::string ShortcutContent(const std::string& target, const std::string& arguments);

private:
    FakeFileSystem* fs_;

};

}  // namespace tollervy::fakes
