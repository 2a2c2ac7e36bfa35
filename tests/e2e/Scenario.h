// What the scenarios of whole runs share: one installed program per test,
// its live files beside it, starting it and waiting for it.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Driver.h"

namespace e2e {

inline constexpr DWORD kWait = 15000;  // for a window to appear or a process to end
inline constexpr DWORD kRun = 60000;   // for a whole run

// The login name the program sees: the driver runs as the same user.
std::string LoginName();

// "[a] [b] ": message texts for a failure message.
std::string Joined(const std::vector<std::string>& texts);

// Windows' own text for an error number, as a program gets it from
// FormatMessage (the reason the error policy's question gives).
std::string SystemText(DWORD error);

// The section [File] of a settings file: one line key=path per item.
std::string FileSection(const std::vector<std::pair<std::string, std::string>>& items);

// Content that a text conversion or a cut copy would change: a header naming
// the owner, CR LF and bare LF, the bytes 0 to 255, and `size` bytes more.
std::string Content(const std::string& owner, const std::string& name, std::size_t size = 0);

// Points one of the shell's folders at `path` for its lifetime: the value
// `name` ("Startup", "Programs", "Common Startup") of
// Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders in
// HKCU, or in HKLM for a common folder. The old value comes back afterwards.
class ShellFolder {
public:
    ShellFolder(bool common, const std::wstring& name, const std::string& path);
    ~ShellFolder();
    ShellFolder(const ShellFolder&) = delete;
    ShellFolder& operator=(const ShellFolder&) = delete;
    bool ok() const { return ok_; }

private:
    HKEY root_;
    std::wstring name_;
    std::optional<std::wstring> previous_;
    DWORD previousType_ = REG_EXPAND_SZ;
    bool ok_ = false;
};

class Scenario : public ::testing::Test {
protected:
    void SetUp() override;
    // Where the program is installed: <work>\<suite>-<test> unless a
    // fixture names a folder with a drive.
    virtual std::string InstallFolder() const { return prefix_; }

    Install& inst() { return *inst_; }
    // A fresh folder for the live files the settings list, outside the
    // program's folder (whose subfolders a folder entry never includes) and
    // not named like it: <work>\live-<suite>-<test>.
    const std::string& liveRoot() const { return liveRoot_; }
    std::string Live(const std::string& relative) const { return liveRoot_ + "\\" + relative; }
    // Screenshot name: <suite>-<test>-<what>.
    std::string Shot(const std::string& what) const { return prefix_ + "-" + what; }

    // Starts the installed program with `args`.
    bool Start(Process& p, const std::string& args, bool waitIdle = true);

    // Waits until the started program stays resident after its switch: its
    // main window answers messages again and the data store records every
    // key as held by `owner`. The main window, or nullptr (the program ended
    // or the wait timed out).
    HWND WaitResident(Process& p, const std::vector<std::string>& keys, const std::string& owner);

    // Waits for the program's message box, checks its text, photographs it
    // and presses `button`.
    void Answer(Process& p, const std::string& text, int button, const std::string& shot);

    // True when the in-place record names `owner` for every key.
    bool HeldBy(const std::vector<std::string>& keys, const std::string& owner) const;

private:
    std::string prefix_;
    std::string liveRoot_;
    std::unique_ptr<Install> inst_;
};

}  // namespace e2e
