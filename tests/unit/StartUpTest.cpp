// The start-up sequence of the main window: what it refuses, what it writes,
// and how it reads the Shift key and the command line.
#include <gtest/gtest.h>

#include "Desk.h"

namespace tollervy {
namespace {

constexpr unsigned Stop = 16 + 4096;
constexpr unsigned Info = 64 + 4096;

// A set-up program whose logon phase switches nothing (empty file list).
void SetUpProgram(Desk& d) {
    d.p.fs.AddFolder(Desk::Data);
    d.Ini("Start", "Started", "1");
    d.Ini("Last", "User", "All Users");
}

TEST(StartUp, SecondInstanceIsRefusedAndTouchesNothing) {
    Desk d;
    SetUpProgram(d);
    d.Ini("Start", "NowUser", "Hanako");
    d.Ini("Start", "AllWay", "1");
    const std::string before = d.p.fs.Content(Desk::Ini_);
    d.p.system.previousInstance = true;
    d.p.messages.Expect(1);

    EXPECT_EQ(d.Start(), 0);

    ASSERT_EQ(d.p.messages.Count(), 1u);
    EXPECT_EQ(d.p.messages.Last().text, "複数起動はできません");
    EXPECT_EQ(d.p.messages.Last().caption, "Tollervy");
    EXPECT_EQ(d.p.messages.Last().style, Stop);
    EXPECT_EQ(d.p.fs.Content(Desk::Ini_), before);
    EXPECT_FALSE(d.p.fs.Exists(Desk::Data + std::string("\\All Users")));
}

TEST(StartUp, AbnormalEndIsReportedRightAfterDebugIsReadBeforeTheOsCheck) {
    Desk d;
    SetUpProgram(d);
    d.Ini("Start", "Debug", "1");
    d.Ini("Start", "NowUser", "Hanako");
    d.Ini("Start", "AllWay", "1");
    d.Ini("File", "F1", "C:\\Work\\a.txt");
    d.p.fs.AddFile("C:\\Work\\a.txt", "live");
    d.p.system.version = {2, 6, 1};  // Windows 7
    d.p.messages.Expect(1);
    d.p.messages.Expect(1);
    d.p.messages.Expect(1);

    EXPECT_EQ(d.Start(), 0);

    const auto& boxes = d.p.messages.Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, "前回、異常終了しています");
    EXPECT_EQ(boxes[0].style, Info);
    EXPECT_EQ(boxes[1].text, "OSバージョン : XXX");
    EXPECT_EQ(boxes[2].text, "このOSのバージョンには対応していません");
    EXPECT_EQ(boxes[2].style, Stop);
    // The fatal end runs no exit restore; the marker is cleared as on any end.
    EXPECT_FALSE(d.p.fs.Exists(Desk::Data + std::string("\\All Users")));
    EXPECT_EQ(d.p.fs.Content("C:\\Work\\a.txt"), "live");
    EXPECT_EQ(d.IniValue("Start", "NowUser"), "");
}

TEST(StartUp, WithoutDebugNoDiagnosticIsShown) {
    Desk d;
    SetUpProgram(d);
    d.Ini("Start", "NowUser", "Hanako");  // left over from a crash
    d.p.system.commandLine = "whatever";

    EXPECT_EQ(d.Start(), 0);
    EXPECT_EQ(d.p.messages.Count(), 0u);
    EXPECT_EQ(d.IniValue("Start", "NowUser"), "");
}

TEST(StartUp, AnUnwritableSettingsFileIsFatalAndSwitchesNothingEvenWhenResident) {
    Desk d;
    SetUpProgram(d);
    d.Ini("Start", "AllWay", "1");
    d.Ini("Last", "User", "Hanako");
    d.Ini("File", "F1", "C:\\Work\\a.txt");
    d.p.fs.AddFile("C:\\Work\\a.txt", "live");
    d.p.fs.SetAttributes(Desk::Ini_, 1 | 32);  // read-only
    const std::string before = d.p.fs.Content(Desk::Ini_);
    d.p.messages.Expect(1);

    EXPECT_EQ(d.Start(), 0);

    ASSERT_EQ(d.p.messages.Count(), 1u);
    EXPECT_EQ(d.p.messages.Last().text,
              "書き込み権限がありません\r\n致命的なエラーです\r\n\r\nC:\\Program Files\\Tollervy\\Tollervy.ini");
    EXPECT_EQ(d.p.messages.Last().style, Stop);
    EXPECT_EQ(d.p.fs.Content(Desk::Ini_), before);
    EXPECT_FALSE(d.p.fs.Exists(Desk::Data + std::string("\\Hanako")));
    EXPECT_EQ(d.p.fs.Content("C:\\Work\\a.txt"), "live");
}

TEST(StartUp, AMissingSettingsFileGoesToTheSettingsDialogAndLeavesTheFileBehind) {
    Desk d;
    EXPECT_EQ(d.Start(), std::nullopt);
    ASSERT_TRUE(d.SettingsOpen());
    EXPECT_TRUE(d.p.fs.Exists(Desk::Ini_));
    // The first opening marks the program as set up, for nobody yet.
    EXPECT_EQ(d.IniValue("Start", "Started"), "1");
    EXPECT_EQ(d.IniValue("Last", "User"), "All Users");
    EXPECT_EQ(d.IniValue("Start", "NowUser"), "Taro");
    // Closing the first dialog makes the login user the one in place.
    EXPECT_EQ(d.CancelSettings(), 0);
    EXPECT_EQ(d.IniValue("Start", "NowUser"), "");  // cleared by the exit path
    EXPECT_EQ(d.IniValue("Last", "User"), "Taro");
}

TEST(StartUp, MainWindowIsParkedOffScreenWithoutItsCloseCommand) {
    Desk d;
    SetUpProgram(d);
    d.Ini("Start", "AllWay", "1");
    d.p.system.loginName = "All Users";  // same user: nothing to switch
    d.Ini("Start", "Status", "1");
    // Resident with the same user drops resident mode, so the run ends.
    EXPECT_EQ(d.Start(), 0);
    EXPECT_EQ(d.forms.TollervyMain().Left(), 1024);
    ASSERT_EQ(d.p.host.closeDisabled.size(), 1u);
    EXPECT_EQ(d.p.host.closeDisabled[0], "TollervyMain");
    EXPECT_FALSE(d.forms.TollervyMain().Visible() && d.forms.TollervyMain().Left() < 1024);
}

TEST(StartUp, NowUserHoldsTheLoginNameWhileTheRunLives) {
    Desk d;
    SetUpProgram(d);
    d.Ini("Start", "AllWay", "1");
    d.Ini("Start", "Task", "0");
    d.p.system.loginName = "Taro";
    d.p.system.commandLine = "\"Jiro\"";
    EXPECT_EQ(d.Start(), std::nullopt);  // resident
    EXPECT_EQ(d.IniValue("Start", "NowUser"), "Taro");
    EXPECT_EQ(d.state.CurrentUserName, "Jiro");
}

// Any other whole number is a policy that stops; any other text asks.
TEST(StartUp, ErrorNextIsReadAsOneOfItsThreeChoices) {
    const std::pair<const char*, int> cases[] = {{"0", 0}, {"1", 1}, {" 2 ", 2}, {"02", 2}, {"-0", 0}, {"5", 1},
                                                 {"abc", 2}, {"1x", 2}, {"", 2}, {"-", 2}, {"99999", 1},
                                                 {"123456789012345678901", 1}, {"-1", 1}, {"-2", 1}};
    for (const auto& [text, expected] : cases) {
        Desk d;
        SetUpProgram(d);
        d.Ini("Last", "ErrorNext", text);
        d.Start();
        EXPECT_EQ(d.state.LastErrorNext, expected) << "ErrorNext=" << text;
    }
}

// The road a start takes for a command line and the Shift key: to the
// settings dialog (which stays open) or to the logon phase (which records
// the user of the run in [Last] User and ends).
struct Road {
    const char* commandLine;
    bool shift;
    const char* started;
    const char* lastUser;  // "<missing>" = the settings dialog's road
};

TEST(StartUp, CommandLineAndShiftChooseTheRoad) {
    const Road roads[] = {
        {"", false, "1", "Taro"},
        {"-s", false, "1", "<missing>"},
        {"-s   ", false, "1", "<missing>"},
        {" -s", false, "1", "Taro"},
        {"-S", false, "1", "Taro"},
        {"\"\"", false, "1", "Taro"},            // two quotes only: not a name
        {"\"A\"", false, "1", "A"},              // one letter between quotes
        {"\"Yamada Taro\"  ", false, "1", "Yamada Taro"},
        {"\"山田\"", false, "1", "山田"},
        {"\"A\"", false, "0", "<missing>"},      // not set up yet
        {"\"A\"", true, "1", "<missing>"},       // Shift wins over the name
        {"-s", true, "1", "<missing>"},
        {"", true, "1", "<missing>"},
        {"\"A", false, "1", "Taro"},
        // Names that cannot be a folder of the data store are ignored.
        {"\"..\\..\\somewhere\"", false, "1", "Taro"},
        {"\"a/b\"", false, "1", "Taro"},
        {"\"..\"", false, "1", "Taro"},
        {"\"x.\"", false, "1", "Taro"},
    };
    for (const Road& r : roads) {
        Desk d;
        d.p.fs.AddFolder(Desk::Data);
        d.Ini("Start", "Started", r.started);
        d.p.system.loginName = "Taro";
        d.p.system.commandLine = r.commandLine;
        d.p.system.SetShiftDown(r.shift);
        const bool dialog = std::string(r.lastUser) == "<missing>";
        EXPECT_EQ(d.Start(), dialog ? std::nullopt : std::optional<int>(0)) << r.commandLine;
        EXPECT_EQ(d.SettingsOpen(), dialog) << "[" << r.commandLine << "] shift=" << r.shift;
        if (dialog) continue;
        EXPECT_EQ(d.IniValue("Last", "User"), r.lastUser) << "[" << r.commandLine << "] shift=" << r.shift;
        EXPECT_EQ(d.IniValue("Start", "NowUser"), "") << r.commandLine;
    }
}

TEST(StartUp, DebugShowsTheCommandLineAsGiven) {
    Desk d;
    SetUpProgram(d);
    d.Ini("Start", "Debug", "1");
    d.p.system.commandLine = "\"A\"  ";
    d.p.messages.Expect("OSバージョン : XP", 1);
    d.p.messages.Expect(1);
    d.p.messages.Expect("User\r\nAll Users→A", 1);
    d.p.messages.Expect("Aの初めての起動", 1);
    EXPECT_EQ(d.Start(), 0);
    ASSERT_GE(d.p.messages.Count(), 2u);
    EXPECT_EQ(d.p.messages.Boxes()[1].text, "Command\r\n[\"A\"]");
}

}  // namespace
}  // namespace tollervy

namespace tollervy {
namespace {

// Whatever the settings file holds, a start never crashes: absent keys read
// as their defaults and unreadable items fail quietly under the policy.
TEST(StartUpBadInput, MangledSettingsFilesNeverCrashAStart) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 131 + 7) % 256);
    std::string hugeSection = "[Start]\r\nStarted=1\r\n[Last]\r\nErrorNext=0\r\n[File]\r\n";
    for (int i = 1; i <= 100000; ++i) hugeSection += "F" + std::to_string(i) + "=C:\\Nowhere\\" + std::to_string(i) + "\r\n";
    const std::string longValue = "[Start]\r\nStarted=1\r\nDebug=" + std::string(10000, '1') +
                                  "\r\n[Last]\r\nUser=" + std::string(10000, 'x') + "\r\n";
    const std::string badShiftJis = "[Start]\r\nStarted=1\r\n[Last]\r\nUser=\x81\x82\xff\xfe\x80\xa0\r\n";
    const std::string noEquals = "[Start]\r\nStarted\r\n=1\r\n[File]\r\nF1\r\n=C:\\x\r\nF2=\r\n[Last\r\nUser=A\r\n";
    const std::pair<const char*, std::string> files[] = {
        {"empty", ""}, {"binary", binary}, {"100,000 items", hugeSection},
        {"10,000-byte values", longValue}, {"invalid Shift-JIS", badShiftJis}, {"lines without =", noEquals}};
    for (const auto& [what, bytes] : files) {
        Desk d;
        d.p.fs.AddFolder(Desk::Data);
        d.p.fs.AddFile(Desk::Ini_, bytes);
        d.p.messages.Clear();
        for (int i = 0; i < 4; ++i) d.p.messages.Expect(1);  // any refusal is answered
        std::optional<int> ended = d.Start();
        d.p.messages.Clear();
        // A file that does not say the program was set up opens the dialog.
        if (!ended && d.SettingsOpen()) ended = d.CancelSettings();
        EXPECT_EQ(ended, 0) << what;
        EXPECT_EQ(d.IniValue("Start", "NowUser"), "") << what;
        d.p.messages.Clear();
    }
}

TEST(StartUpBadInput, CommandLinesOfAnyLengthAndContentAreSafe) {
    const std::string longName(100000, 'b');
    const std::string longest(127, 'c');
    // Each command line and the user the run is for ("" = the login name).
    // A name longer than [Last] User can give back (255 bytes) is ignored.
    const std::pair<std::string, std::string> lines[] = {
        {std::string(100000, 'a'), ""},
        {"\"" + longName + "\"", ""},
        {"\"" + longest + "\"", longest},
        {std::string(50000, '"'), ""},
        {"\"a\\b\"", ""},
        {"\"\"\"", ""},
        {"-s -s", ""},
        {"\"CON\"", ""},
        {"\"  \"", ""},
        {std::string("\"a\0b\"", 5), ""},
        {"\"葵 \"", ""},
        {"\"葵\"", "葵"},
    };
    for (const auto& [line, expected] : lines) {
        Desk d;
        d.p.fs.AddFolder(Desk::Data);
        d.Ini("Start", "Started", "1");
        d.Ini("Last", "User", "All Users");
        d.p.system.commandLine = line;
        EXPECT_EQ(d.Start(), 0) << line.substr(0, 20);
        EXPECT_EQ(d.state.CurrentUserName, expected.empty() ? "Taro" : expected) << line.substr(0, 20);
    }
}

}  // namespace
}  // namespace tollervy
