#include "fakes/FakeShell.h"

#include "fakes/FakeFileSystem.h"

namespace tollervy::fakes {

FakeShell::FakeShell(FakeFileSystem* fs) : fs_(fs) {
    const std::string user = "C:\\Documents and Settings\\Taro";
    const std::string all = "C:\\Documents and Settings\\All Users";
    specialFolders[platform::CsidlPrograms] = user + "\\スタート メニュー\\プログラム";
    specialFolders[platform::CsidlStartup] = user + "\\スタート メニュー\\プログラム\\スタートアップ";
    specialFolders[platform::CsidlRecent] = user + "\\Recent";
    specialFolders[platform::CsidlCommonStartup] = all + "\\スタート メニュー\\プログラム\\スタートアップ";
}

std::string FakeShell::SpecialFolderPath(int csidl) {
    const auto it = specialFolders.find(csidl);
    return it == specialFolders.end() ? std::string() : it->second;
}

void FakeShell::AddToRecentDocs(const std::string& path) { recentDocs.push_back(path); }

std::string FakeShell::ShortcutContent(const std::string& target, const std::string& arguments) {
    return "[Shortcut]\r\nTarget=" + target + "\r\nArguments=" + arguments + "\r\n";
}

bool FakeShell::CreateShortcut(const std::string& linkPath, const std::string& target, const std::string& arguments) {
    if (shortcutFails) return false;
    if (fs_ != nullptr && !fs_->WriteOther(linkPath, ShortcutContent(target, arguments))) return false;
    shortcuts.push_back(Shortcut{linkPath, target, arguments});
    return true;
}

int FakeShell::OpenDocument(const std::string& pathOrUrl) {
    opened.push_back(pathOrUrl);
    return openResult;
}

}  // namespace tollervy::fakes
