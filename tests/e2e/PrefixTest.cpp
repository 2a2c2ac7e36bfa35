// The scenarios assume the Wine prefix tools/test prepares: Windows XP, the
// Japanese ANSI code page, a 1024x768 virtual desktop and a program to test.
// When one of these fails, the scenario failures that follow are about the
// set-up, not the program.
#include <gtest/gtest.h>

#include "Driver.h"

using namespace e2e;

TEST(Prefix, IsWindowsXpWithCodePage932AndAVirtualDesktop) {
    OSVERSIONINFOW v = {};
    v.dwOSVersionInfoSize = sizeof v;
    ASSERT_TRUE(GetVersionExW(&v));
    EXPECT_EQ(v.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(v.dwMajorVersion, 5u);
    EXPECT_EQ(v.dwMinorVersion, 1u);
    EXPECT_EQ(GetACP(), 932u);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
}

TEST(Prefix, HasTheProgramToTest) {
    const Config& c = GetConfig();
    ASSERT_FALSE(c.exe.empty()) << "TOLLERVY_EXE is not set";
    EXPECT_TRUE(FileExists(c.exe)) << c.exe;
    // Japanese text survives the round trip through code page 932.
    EXPECT_EQ(FromCp932(ToCp932("前回、異常終了しています")), "前回、異常終了しています");
    EXPECT_EQ(ToCp932("葵").size(), 2u);
}
