#include "Scenario.h"

#include <sstream>

namespace e2e {

std::string LoginName() {
    wchar_t name[256] = {};
    DWORD size = 256;
    GetUserNameW(name, &size);
    return Utf8(name);
}

std::string Joined(const std::vector<std::string>& texts) {
    std::string s;
    for (const auto& t : texts) s += "[" + t + "] ";
    return s;
}

std::string SystemText(DWORD error) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring s = text ? text : L"";
    if (text) LocalFree(text);
    while (!s.empty() && (s.back() == L'\r' || s.back() == L'\n' || s.back() == L' ')) s.pop_back();
    return Utf8(s);
}

std::string FileSection(const std::vector<std::pair<std::string, std::string>>& items) {
    std::string s = "[File]\n";
    for (const auto& [key, path] : items) s += key + "=" + path + "\n";
    return s;
}

std::string Content(const std::string& owner, const std::string& name, std::size_t size) {
    std::string s = owner + " / " + name + "\r\nline two\nend\r\n";
    for (int b = 0; b < 256; ++b) s += static_cast<char>(b);
    for (std::size_t i = 0; i < size; ++i) s += static_cast<char>('a' + (i * 7 + owner.size()) % 26);
    return s;
}

namespace {
const wchar_t* const kShellFolders = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
}

ShellFolder::ShellFolder(bool common, const std::wstring& name, const std::string& path)
    : root_(common ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER), name_(name) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(root_, kShellFolders, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &k, nullptr) !=
        ERROR_SUCCESS)
        return;
    wchar_t buf[2048] = {};
    DWORD type = 0, size = sizeof buf - sizeof(wchar_t);
    if (RegQueryValueExW(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS) {
        previous_ = std::wstring(buf);
        previousType_ = type;
    }
    const std::wstring wide = Wide(path);
    ok_ = RegSetValueExW(k, name.c_str(), 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                         static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(k);
}

ShellFolder::~ShellFolder() {
    HKEY k = nullptr;
    if (RegOpenKeyExW(root_, kShellFolders, 0, KEY_WRITE, &k) != ERROR_SUCCESS) return;
    if (previous_)
        RegSetValueExW(k, name_.c_str(), 0, previousType_, reinterpret_cast<const BYTE*>(previous_->c_str()),
                       static_cast<DWORD>((previous_->size() + 1) * sizeof(wchar_t)));
    else
        RegDeleteValueW(k, name_.c_str());
    RegCloseKey(k);
}

void Scenario::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    prefix_ = std::string(info->test_suite_name()) + "-" + info->name();
    inst_ = std::make_unique<Install>(InstallFolder());
    ASSERT_TRUE(inst_->ok()) << inst_->error();
    liveRoot_ = GetConfig().work + "\\live-" + prefix_;
    ASSERT_TRUE(RemoveTree(liveRoot_) && MakeFolders(liveRoot_)) << "cannot empty " << liveRoot_;
}

bool Scenario::Start(Process& p, const std::string& args, bool waitIdle) {
    if (p.Start(inst().exePath(), args, inst().folder(), waitIdle)) return true;
    ADD_FAILURE() << "cannot start " << inst().exePath();
    return false;
}

void Scenario::Answer(Process& p, const std::string& text, int button, const std::string& shot) {
    HWND box = WaitForMessageBox(p, "Tollervy", kWait);
    ASSERT_NE(box, nullptr) << "no message came: " << text;
    EXPECT_EQ(MessageText(box), text);
    LetPaint(box);
    Screenshot(Shot(shot));
    ASSERT_TRUE(PressButton(box, button));
    EXPECT_TRUE(WaitWindowGone(box, kWait));
}

bool Scenario::HeldBy(const std::vector<std::string>& keys, const std::string& owner) const {
    const auto owners = inst_->InPlaceOwners();
    for (const auto& key : keys) {
        const auto it = owners.find(key);
        if (it == owners.end() || it->second != owner) return false;
    }
    return true;
}

HWND Scenario::WaitResident(Process& p, const std::vector<std::string>& keys, const std::string& owner) {
    HWND main = nullptr;
    WaitUntil(
        [&] {
            if (!p.Running()) return true;
            main = MainWindow(p);
            return main && HeldBy(keys, owner) && Responds(main, 500);
        },
        kRun);
    if (!p.Running()) {
        ADD_FAILURE() << "the program ended instead of staying resident";
        return nullptr;
    }
    if (!main || !HeldBy(keys, owner) || !Responds(main, 500)) {
        Screenshot(Shot("not-resident"));
        std::ostringstream why;
        why << "the program did not come to rest with " << owner << "'s copies in place; main window "
            << (main ? "found" : "missing") << ", record:";
        for (const auto& [key, holder] : inst_->InPlaceOwners()) why << " " << key << "=" << holder;
        why << ", windows:";
        for (HWND w : p.VisibleWindows()) {
            why << " [" << WindowTitle(w);
            if (IsMessageBox(w)) why << ": " << MessageText(w);
            why << "]";
        }
        ADD_FAILURE() << why.str();
        return nullptr;
    }
    return main;
}

}  // namespace e2e
