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

void FakeShell::AddToRecentDocs(const std::string& path) {
    recentDocs.push_back(path);
    if (fs_ == nullptr || !recentMakesShortcut) return;
    const std::string recent = SpecialFolderPath(platform::CsidlRecent);
    if (recent.empty()) return;
    const std::size_t slash = path.find_last_of('\\');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    fs_->WriteOther(recent + "\\" + name + ".lnk", ShortcutContent(path, ""));
}

bool FakeShell::ShortcutTarget(const std::string& linkPath, std::string& target) {
    std::string bytes;
    if (fs_ == nullptr || !fs_->ReadOther(linkPath, bytes)) return false;
    const std::string head = "[Shortcut]\r\nTarget=";
    if (bytes.rfind(head, 0) != 0) return false;
    const std::size_t end = bytes.find("\r\n", head.size());
    if (end == std::string::npos) return false;
    target = bytes.substr(head.size(), end - head.size());
    return true;
}

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
