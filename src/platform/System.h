// Queries of the operating system and the process.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace tollervy::platform {

struct VersionInfo {
    std::uint32_t platformId = 0;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
};

// The program's own version record.
struct ProgramVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;
    std::string companyName;  // the company-name entry: the support page's address
};

// A local date and time, as the clock on the taskbar shows it.
struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

class System {
public:
    virtual ~System() = default;

    // The login name (without the terminating NUL); true on success. The
    // name comes whole, also when the ANSI code page cannot hold all of it.
    virtual bool UserName(std::string& name) = 0;
    // The computer's name as the network knows it (GetComputerNameW); false
    // when it cannot be read.
    virtual bool ComputerName(std::string& name) = 0;
    // True when the text comes back unchanged from the system ANSI code page
    // (932 on Japanese Windows), the code page of the settings file and the
    // user file: every character has a code of its own there, no best fit.
    virtual bool FitsAnsiCodePage(const std::string& text) = 0;
    // --- Names as Windows folds them --------------------------------------
    // The text upper-cased as Windows does it (CharUpperBuffW): ASCII,
    // full-width Latin, Greek and Cyrillic letters among others. Two user
    // names with the same upper case would share one folder of the data
    // store.
    virtual std::string UpperCase(const std::string& text) = 0;
    // ----------------------------------------------------------------------
    // GetVersionExA with the ANSI record; false when the call fails.
    virtual bool Version(VersionInfo& info) = 0;
    // GetAsyncKeyState of a virtual key, as the 16-bit value it returns.
    virtual std::int16_t AsyncKeyState(int virtualKey) = 0;
    // The argument text of the process: everything after the program path.
    virtual std::string CommandLine() = 0;
    // The folder that holds the executable, without a trailing backslash
    // (except for a drive root).
    virtual std::string ProgramFolder() = 0;
    virtual std::string ProgramTitle() = 0;      // "Tollervy"
    virtual std::string ProgramExePath() = 0;
    // The current folder of the process, without a trailing backslash
    // (except for a drive root).
    virtual std::string CurrentFolder() = 0;
    // The version record of the executable (zeros and "" when it has none).
    virtual ProgramVersion VersionRecord() = 0;
    // True when another instance of the program is already running. The first
    // call decides; later calls repeat its answer.
    virtual bool PreviousInstance() = 0;
    virtual int ScreenWidth() = 0;               // pixels
    virtual int ScreenHeight() = 0;
    // Ends the process at once with the exit code; never returns.
    [[noreturn]] virtual void EndProcess(int exitCode) = 0;
    virtual void Sleep(unsigned milliseconds) = 0;
    // Milliseconds since some fixed moment (GetTickCount): for measuring
    // short intervals only; it wraps after 49 days.
    virtual std::uint32_t TickCount() = 0;
    // The local date and time now (GetLocalTime).
    virtual LocalTime LocalNow() = 0;
    // Fills the buffer with bytes from the system's random number generator;
    // false when it has none to give.
    virtual bool RandomBytes(void* buffer, std::size_t size) = 0;
};

}  // namespace tollervy::platform
