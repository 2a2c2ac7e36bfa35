// The operating system and the process, as the tests set them. Public fields
// are the answers; the fake records what the program did with it.
#pragma once
#include <map>
#include <optional>
#include <string>

#include "platform/System.h"

namespace tollervy::fakes {

class FakeSystem : public platform::System {
public:
    // --- Answers ----------------------------------------------------------
    std::string loginName = "Taro";
    bool loginFails = false;                 // GetUserNameA fails
    platform::VersionInfo version{2, 5, 1};  // Windows XP
    bool versionFails = false;
    std::map<int, std::int16_t> keyStates;   // virtual key -> GetAsyncKeyState
    std::string commandLine;
    std::string programFolder = "C:\\Program Files\\Tollervy";
    std::string title = "Tollervy";
    std::string exePath;                     // "" = programFolder\title.exe
    bool previousInstance = false;           // read by the first call only
    int screenWidth = 1024;
    int screenHeight = 768;

    // Holds Shift down (or releases it).
    void SetShiftDown(bool down);

    // --- Records ----------------------------------------------------------
    std::optional<int> endedWith;            // the code given to EndProcess
    unsigned long long sleptMilliseconds = 0;
    int sleeps = 0;
    int previousInstanceCalls = 0;

    // --- platform::System -------------------------------------------------
    bool UserName(std::string& name) override;
    // Code page 932, as the fakes simulate it.
    bool FitsAnsiCodePage(const std::string& text) override;
    bool Version(platform::VersionInfo& info) override;
    std::int16_t AsyncKeyState(int virtualKey) override;
    std::string CommandLine() override { return commandLine; }
    std::string ProgramFolder() override { return programFolder; }
    std::string ProgramTitle() override { return title; }
    std::string ProgramExePath() override;
    bool PreviousInstance() override;
    int ScreenWidth() override { return screenWidth; }
    int ScreenHeight() override { return screenHeight; }
    // Records the code and throws ProcessEnded{exitCode}.
    [[noreturn]] void EndProcess(int exitCode) override;
    void Sleep(unsigned milliseconds) override;

private:
    std::optional<bool> previousAnswer_;
};

}  // namespace tollervy::fakes
