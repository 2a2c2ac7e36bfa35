// Texts that the ANSI code page (932) of the settings file and the user file
// cannot hold: the check itself, and the quoted user name of the command line.
#include <gtest/gtest.h>

#include "Desk.h"
#include "settings/Environment.h"

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

}  // namespace
}  // namespace tollervy
