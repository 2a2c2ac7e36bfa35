// A person without the right to write the program's folder (a limited
// account; the folder under Program Files). tools/test prepares two such
// installations owned by root and runs these scenarios as an unprivileged
// user (root writes everywhere): in one the settings file cannot be
// written either, in the other it can but the data store cannot. Each start
// ends with the program's own message naming what it cannot write, and
// nothing is half-written: the store, the live files and the settings the
// switch depends on are as they were.
//
// TOLLERVY_LIMITED: the folder that holds limited-<name> (the program
// folder) and limited-<name>-live (its listed files) for each case.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Scenario.h"

using namespace e2e;

namespace {

// Can this process create a file in `folder`?
bool CanWriteIn(const std::string& folder) {
    const std::string probe = folder + "\\probe.tmp";
    HANDLE h = CreateFileW(Wide(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    DeleteFileW(Wide(probe).c_str());
    return true;
}

// A value of a settings file as the profile functions read it.
std::string ProfileValue(const std::string& file, const std::string& section, const std::string& key) {
    wchar_t buffer[512] = {};
    GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), L"<missing>", buffer, 512,
                             Wide(file).c_str());
    return Utf8(buffer);
}

TEST(Limited, AProgramFolderTheUserCannotWriteEndsWithTheProgramsMessage) {
    const std::string root = EnvVar("TOLLERVY_LIMITED");
    if (root.empty()) GTEST_SKIP() << "tools/test prepares these installations and sets TOLLERVY_LIMITED";
    struct Case {
        const char* name;
        const char* unwritable;  // what the message names, relative to the program folder
    };
    for (const Case& k : {Case{"program-folder", "Tollervy.ini"}, Case{"data-store", "Data\\InPlace.dat"}}) {
        SCOPED_TRACE(k.name);
        const std::string prog = root + "\\limited-" + k.name;
        const std::string live = prog + "-live";
        ASSERT_TRUE(FileExists(prog + "\\Tollervy.exe")) << prog;
        ASSERT_FALSE(CanWriteIn(prog)) << "this user can write the program folder";
        ASSERT_FALSE(CanWriteIn(prog + "\\Data")) << "this user can write the data store";
        ASSERT_TRUE(CanWriteIn(live)) << "this user cannot write the listed files' folder";
        const Tree store = ReadTree(prog + "\\Data");
        const Tree files = ReadTree(live);
        std::string iniBefore;
        ASSERT_TRUE(ReadBytes(prog + "\\Tollervy.ini", iniBefore));

        Process p;
        ASSERT_TRUE(p.Start(prog + "\\Tollervy.exe", "\"B\"", prog));
        HWND box = WaitForMessageBox(p, "Tollervy", kWait);
        ASSERT_NE(box, nullptr) << "no message";
        EXPECT_EQ(MessageText(box), "書き込み権限がありません\r\n致命的なエラーです\r\n\r\n" + prog + "\\" + k.unwritable);
        EXPECT_TRUE(IsSystemModal(box));
        LetPaint(box);
        Screenshot(std::string("Limited-") + k.name);
        ASSERT_TRUE(PressButton(box, IDOK));
        RunResult r = RunToEnd(p, kRun, std::string("Limited-") + k.name + "-after");
        ASSERT_TRUE(r.ended) << "the program does not end";
        EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);

        // Nothing switched, nothing half-written.
        EXPECT_EQ(TreeDifference(store, ReadTree(prog + "\\Data")), "");
        EXPECT_EQ(TreeDifference(files, ReadTree(live)), "");
        std::string iniAfter;
        ASSERT_TRUE(ReadBytes(prog + "\\Tollervy.ini", iniAfter));
        if (std::string(k.name) == "program-folder") {
            EXPECT_EQ(iniAfter, iniBefore);
        } else {
            // The run got as far as its marker, and its exit cleared it.
            EXPECT_EQ(ProfileValue(prog + "\\Tollervy.ini", "Last", "User"), "A");
            EXPECT_EQ(ProfileValue(prog + "\\Tollervy.ini", "Start", "NowUser"), "");
        }
    }
}

}  // namespace
