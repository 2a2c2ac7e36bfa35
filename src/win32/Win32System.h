// Queries of the operating system and the process.
#pragma once
#include <cstdint>
#include <string>

#include "platform/System.h"
#include "win32/WinApi.h"

namespace tollervy::win32 {

class Win32System : public platform::System {
public:
    Win32System() = default;
    ~Win32System() override;
    Win32System(const Win32System&) = delete;
    Win32System& operator=(const Win32System&) = delete;

    bool UserName(std::string& name) override;
    bool ComputerName(std::string& name) override;
    bool FitsAnsiCodePage(const std::string& text) override;
    std::string UpperCase(const std::string& text) override;
    bool Version(platform::VersionInfo& info) override;
    std::int16_t AsyncKeyState(int virtualKey) override;
    std::string CommandLine() override;
    std::string ProgramFolder() override;
    std::string ProgramTitle() override;
    std::string ProgramExePath() override;
    std::string CurrentFolder() override;
    platform::ProgramVersion VersionRecord() override;
    bool PreviousInstance() override;
    int ScreenWidth() override;
    int ScreenHeight() override;
    [[noreturn]] void EndProcess(int exitCode) override;
    void Sleep(unsigned milliseconds) override;
    std::uint32_t TickCount() override;
    platform::LocalTime LocalNow() override;
    bool RandomBytes(void* buffer, std::size_t size) override;

    // The argument text of a process command line: the program path (quoted
    // or not) and the one blank after it are skipped, the rest is kept as it
    // is.
    static std::wstring ArgumentsOf(const std::wstring& commandLine);
    // The folder part of a file path: without its trailing backslash, except
    // for a drive root ("C:\").
    static std::wstring FolderOf(const std::wstring& path);

private:
    HANDLE instanceMutex_ = nullptr;
    int previousInstance_ = -1;  // -1: not asked yet
};

}  // namespace tollervy::win32
