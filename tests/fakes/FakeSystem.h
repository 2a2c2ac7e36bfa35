// The operating system and the process, as the tests set them. Public fields
// are the answers; the fake records what the program did with it.
#pragma once
#include <functional>
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
    std::string computerName = "PC1";     // "": GetComputerNameW fails
    platform::VersionInfo version{2, 5, 1};  // Windows XP
    bool versionFails = false;
    std::map<int, std::int16_t> keyStates;   // virtual key -> GetAsyncKeyState
    std::string commandLine;
    std::string programFolder = "C:\\Program Files\\Tollervy";
    std::string title = "Tollervy";
    std::string exePath;                     // "" = programFolder\title.exe
    std::string currentFolder = "C:\\Program Files\\Tollervy";
    bool previousInstance = false;           // read by the first call only
    platform::ProgramVersion versionRecord{1, 1, 0, "https://tollervy.example.org/support/"};
    int screenWidth = 1024;
    int screenHeight = 768;

    // GetTickCount; Sleep moves it on, tests may too.
    std::uint32_t tickCount = 1000;
    // Added to tickCount after each TickCount call: time passing as the
    // program works.
    std::uint32_t tickStep = 0;
    // Runs at each Sleep with its milliseconds (the fake platform moves the
    // file system's clock with it).
    std::function<void(unsigned)> onSleep;

    // Holds Shift down (or releases it).
    void SetShiftDown(bool down);

    // --- Records ----------------------------------------------------------
    std::optional<int> endedWith;            // the code given to EndProcess
    unsigned long long sleptMilliseconds = 0;
    int sleeps = 0;
    int previousInstanceCalls = 0;

    // --- platform::System -------------------------------------------------
    bool UserName(std::string& name) override;
    bool ComputerName(std::string& name) override {
        name = computerName;
        return !name.empty();
    }
    // Code page 932, as the fakes simulate it.
    bool FitsAnsiCodePage(const std::string& text) override;
    // ASCII, Latin-1, full-width Latin, Greek, Cyrillic and Roman numeral
    // letters, as Windows upper-cases them.
    std::string UpperCase(const std::string& text) override;
    bool Version(platform::VersionInfo& info) override;
    std::int16_t AsyncKeyState(int virtualKey) override;
    std::string CommandLine() override { return commandLine; }
    std::string ProgramFolder() override { return programFolder; }
    std::string ProgramTitle() override { return title; }
    std::string ProgramExePath() override;
    std::string CurrentFolder() override { return currentFolder; }
    platform::ProgramVersion VersionRecord() override { return versionRecord; }
    bool PreviousInstance() override;
    int ScreenWidth() override { return screenWidth; }
    int ScreenHeight() override { return screenHeight; }
    // Records the code and throws ProcessEnded{exitCode}.
    [[noreturn]] void EndProcess(int exitCode) override;
    void Sleep(unsigned milliseconds) override;
    // Bytes that no call of any fake system in the process repeats.
    bool RandomBytes(void* buffer, std::size_t size) override;
    bool randomFails = false;
    // The local clock: 2024-01-01 09:00:00 unless a test sets it.
    platform::LocalTime localNow{2024, 1, 1, 9, 0, 0};
    platform::LocalTime LocalNow() override { return localNow; }
    std::uint32_t TickCount() override {
        const std::uint32_t now = tickCount;
        tickCount += tickStep;
        return now;
    }

private:
    std::optional<bool> previousAnswer_;
};

}  // namespace tollervy::fakes
