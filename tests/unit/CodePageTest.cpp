// Texts that the ANSI code page (932) of the settings file and the user file
// cannot hold: the check itself, and the quoted user name of the command line.
#include <gtest/gtest.h>

#include "Desk.h"
#include "fakes/Cp932.h"
#include "settings/Environment.h"
#include "settings/Settings.h"

namespace tollervy {
namespace {

TEST(FitsAnsiCodePage, TellsTextsThatComeBackUnchangedFromOthers) {
    struct Case {
        const char* text;
        bool fits;
    };
    const Case cases[] = {
        {"", true},
        {"Taro", true},
        {"山田 太郎", true},
        {"ﾀﾛｳ", true},                 // half-width katakana: single bytes
        {"C:\\Users\\表示\\a.txt", true},  // 表 and 示 end in 0x5C, a backslash byte
        {"?", true},
        {"Zoë", false},                // Latin-1 letter: not in 932
        {"김민수", false},              // Hangul
        {"C:\\Docs\\😀.txt", false},   // outside the Basic Multilingual Plane
        {"abc\xff", false},             // not UTF-8 at all
    };
    fakes::FakePlatform p;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        EXPECT_EQ(FitsAnsiCodePage(p.context, k.text), k.fits);
    }
}

TEST(FitsAnsiCodePage, TheRefusalNamesTheText) {
    EXPECT_EQ(OutsideCodePageMessage("Zoë"),
              "この文字列には、このパソコンで保存できない文字が含まれています\r\n\r\nZoë");
}

// Windows 95, 98 and ME are told which Windows the program needs, with the
// ANSI message box: its bytes are the message in code page 932.
TEST(StartUp, Windows9xIsToldWhichWindowsItNeedsInItsCodePage) {
    EXPECT_EQ(fakes::cp932::FromUtf8(NeedsWindowsMessage), NeedsWindowsMessageCp932);
    EXPECT_EQ(fakes::cp932::ToUtf8(NeedsWindowsMessageCp932), NeedsWindowsMessage);
    for (const platform::VersionInfo& v : {platform::VersionInfo{1, 4, 0}, {1, 4, 10}, {1, 4, 90}})
        EXPECT_TRUE(IsWindows9x(v)) << OsVersionTagOf(v);
    for (const platform::VersionInfo& v : {platform::VersionInfo{2, 4, 0}, {2, 5, 0}, {2, 5, 1}, {2, 6, 1}})
        EXPECT_FALSE(IsWindows9x(v)) << OsVersionTagOf(v);
}

// A quoted user name that the settings file cannot hold is refused with a
// message and ignored like any other unusable command line: the login
// name's user runs, and no folder is made for the quoted name.
TEST(StartUp, AQuotedNameOutsideTheCodePageIsRefusedAndIgnored) {
    Desk d;
    d.p.fs.AddFolder(Desk::Data);
    d.Ini("Start", "Started", "1");
    d.Ini("Last", "User", "Aoi");
    d.Ini("File", "F1", "C:\\Work\\memo.txt");
    d.p.fs.AddFile("C:\\Work\\memo.txt", "Aoi's");
    d.p.fs.AddFile(std::string(Desk::Data) + "\\Taro\\F1\\memo.txt", "Taro's");
    d.p.system.loginName = "Taro";
    d.p.system.commandLine = "\"Zoë\"";
    d.p.messages.Expect("この文字列には、このパソコンで保存できない文字が含まれています\r\n\r\nZoë", 1);

    EXPECT_EQ(d.Start(), 0);
    ASSERT_EQ(d.p.messages.Count(), 1u);
    EXPECT_EQ(d.p.messages.Last().style, 16u + 4096u);
    EXPECT_EQ(d.IniValue("Last", "User"), "Taro");
    EXPECT_EQ(d.p.fs.Content("C:\\Work\\memo.txt"), "Taro's");
    EXPECT_EQ(d.p.fs.Content(std::string(Desk::Data) + "\\Aoi\\F1\\memo.txt"), "Aoi's");
    EXPECT_FALSE(d.p.fs.Exists(std::string(Desk::Data) + "\\Zoë"));
    EXPECT_FALSE(d.p.fs.Exists(std::string(Desk::Data) + "\\Zo?"));
}

// What the profile functions give back as written: checked against the
// settings file itself.
TEST(ReadsBackUnchanged, MatchesWhatTheSettingsFileGivesBack) {
    const std::string values[] = {"Aoi",   "山田 太郎", "'Aoi'", "\"Aoi\"", " Aoi",  "Aoi ",  "'",
                                  "''",    "'Aoi",     "O'Neil", "a\"b",    "x y z", "表示'"};
    fakes::FakePlatform p;
    for (const std::string& value : values) {
        SCOPED_TRACE("[" + value + "]");
        ASSERT_TRUE(WriteIniValue(p.context, "Last", "User", value));
        EXPECT_EQ(ReadIniValue(p.context, "Last", "User", "") == value, ReadsBackUnchanged(value));
    }
    // Longer names are refused before the 255-byte cut could change them.
    EXPECT_TRUE(ReadsBackUnchanged(std::string(127, 'a')));
    EXPECT_FALSE(ReadsBackUnchanged(std::string(128, 'a')));
    EXPECT_FALSE(ReadsBackUnchanged("a\r\nb"));
}

// Found by fuzzing the command line: "''" in quotes is a name of two single
// quotes, which [Last] User would give back as "". Such a name is ignored
// like any other unusable one.
TEST(StartUp, AQuotedNameTheSettingsFileWouldChangeIsIgnored) {
    for (const char* command : {"\"''\"", "\"'Aoi'\"", "\" Aoi\""}) {
        SCOPED_TRACE(command);
        Desk d;
        d.p.fs.AddFolder(Desk::Data);
        d.Ini("Start", "Started", "1");
        d.Ini("Last", "User", "Taro");
        d.p.system.loginName = "Taro";
        d.p.system.commandLine = command;
        EXPECT_EQ(d.Start(), 0);
        EXPECT_EQ(d.p.messages.Count(), 0u);
        EXPECT_EQ(d.IniValue("Last", "User"), "Taro");
    }
}

}  // namespace
}  // namespace tollervy
