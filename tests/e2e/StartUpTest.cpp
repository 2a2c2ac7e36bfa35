// The start-up sequence as a person sees it: the refusals at start, the
// diagnostic messages and the abnormal-end marker [Start] NowUser.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "Driver.h"

using namespace e2e;

namespace {

constexpr DWORD kWait = 15000;  // for a window to appear or a process to end
constexpr DWORD kRun = 60000;   // for a whole run

const char* kTitle = "Tollervy";

std::string Joined(const std::vector<std::string>& texts) {
    std::string s;
    for (const auto& t : texts) s += "[" + t + "] ";
    return s;
}

// The login name the program sees: this driver runs as the same user.
std::string LoginName() {
    wchar_t name[256] = {};
    DWORD size = 256;
    GetUserNameW(name, &size);
    return Utf8(name);
}

class StartUp : public ::testing::Test {
protected:
    void SetUp() override {
        name_ = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        inst_ = std::make_unique<Install>(name_);
        ASSERT_TRUE(inst_->ok()) << inst_->error();
    }

    Install& inst() { return *inst_; }
    std::string Shot(const std::string& what) const { return "startup-" + name_ + "-" + what; }

    // Starts the installed program and waits for its first message box.
    HWND StartAndWaitForBox(Process& p, const std::string& args = "") {
        if (!p.Start(inst().exePath(), args, inst().folder())) {
            ADD_FAILURE() << "cannot start " << inst().exePath();
            return nullptr;
        }
        HWND box = WaitForMessageBox(p, kTitle, kWait);
        if (!box) ADD_FAILURE() << "no message box titled " << kTitle << " within " << kWait << " ms";
        return box;
    }

private:
    std::string name_;
    std::unique_ptr<Install> inst_;
};

// A second start while the first instance runs is refused and changes
// nothing, not even [Start] NowUser. The first instance is kept waiting on
// its abnormal-end message, before it writes anything.
TEST_F(StartUp, SecondInstanceIsRefusedAndChangesNothing) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nDebug=1\nNowUser=前回の利用者\n"));
    const std::string before = inst().IniBytes();

    Process first;
    HWND waiting = StartAndWaitForBox(first);
    ASSERT_NE(waiting, nullptr);
    EXPECT_EQ(MessageText(waiting), "前回、異常終了しています");
    Screenshot(Shot("first"));

    Process second;
    HWND refusal = StartAndWaitForBox(second);
    ASSERT_NE(refusal, nullptr);
    EXPECT_EQ(MessageText(refusal), "複数起動はできません");
    EXPECT_TRUE(IsSystemModal(refusal));
    Screenshot(Shot("refusal"));
    ASSERT_TRUE(PressButton(refusal, IDOK));
    RunResult rest = RunToEnd(second, kWait, Shot("second-after"));
    ASSERT_TRUE(rest.ended) << "the refused instance does not end";
    EXPECT_TRUE(rest.boxes.empty()) << Joined(rest.boxes);

    EXPECT_EQ(inst().IniBytes(), before) << "the refused instance changed the settings file";
    EXPECT_EQ(inst().IniValue("Start", "NowUser"), std::optional<std::string>("前回の利用者"));
    EXPECT_FALSE(FolderExists(inst().dataPath()));
    // The first instance still waits where it was.
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(IsWindow(waiting) && IsWindowVisible(waiting));
}

// Any Windows version but XP (and the 9x family, NT4, 2000) is refused
// before anything is written; the exit path still clears NowUser.
TEST_F(StartUp, WindowsOtherThanXpIsRefused) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nAllWay=1\n"));
    WineVersion win7("win7");
    ASSERT_TRUE(win7.ok()) << "cannot set the Windows version of the prefix";

    Process p;
    HWND box = StartAndWaitForBox(p);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageText(box), "このOSのバージョンには対応していません");
    EXPECT_TRUE(IsSystemModal(box));
    Screenshot(Shot("refusal"));
    ASSERT_TRUE(PressButton(box, IDOK));

    RunResult rest = RunToEnd(p, kWait, Shot("after"));
    ASSERT_TRUE(rest.ended) << "the program does not end after the refusal";
    EXPECT_TRUE(rest.boxes.empty()) << Joined(rest.boxes);
    EXPECT_EQ(inst().IniValue("Start", "NowUser"), std::optional<std::string>(""));
    // No switch ran, neither at start nor as the exit restore of resident mode.
    EXPECT_EQ(inst().IniValue("Last", "User"), std::nullopt);
    EXPECT_FALSE(FolderExists(inst().dataPath()));
}

// Windows 98 lacks the wide-character functions the program calls: before
// anything else it says which Windows it needs, with the ANSI message box,
// and ends without touching a file.
TEST_F(StartUp, Windows98IsToldWhichWindowsItNeeds) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nDebug=1\nNowUser=前回の利用者\n"));
    const std::string before = inst().IniBytes();
    WineVersion win98("win98");
    ASSERT_TRUE(win98.ok()) << "cannot set the Windows version of the prefix";

    Process p;
    HWND box = StartAndWaitForBox(p);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageText(box), "このOSのバージョンには対応していません\r\nWindows XP が必要です");
    EXPECT_TRUE(IsSystemModal(box));
    LetPaint(box);
    Screenshot(Shot("refusal"));
    ASSERT_TRUE(PressButton(box, IDOK));

    RunResult rest = RunToEnd(p, kWait, Shot("after"));
    ASSERT_TRUE(rest.ended) << "the program does not end after the refusal";
    EXPECT_TRUE(rest.boxes.empty()) << Joined(rest.boxes);
    EXPECT_EQ(inst().IniBytes(), before) << "the refused start changed the settings file";
    EXPECT_FALSE(FolderExists(inst().dataPath()));
}

// With Debug "1" the version check shows the tag it found, then refuses.
TEST_F(StartUp, DebugShowsTheUnsupportedVersionTag) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nDebug=1\n"));
    WineVersion win7("win7");
    ASSERT_TRUE(win7.ok()) << "cannot set the Windows version of the prefix";

    Process p;
    ASSERT_TRUE(p.Start(inst().exePath(), "", inst().folder()));
    RunResult r = RunToEnd(p, kRun, Shot("box"));
    ASSERT_TRUE(r.ended);
    ASSERT_EQ(r.boxes.size(), 2u) << Joined(r.boxes);
    EXPECT_EQ(r.boxes[0], "OSバージョン : XXX");
    EXPECT_EQ(r.boxes[1], "このOSのバージョンには対応していません");
}

// A settings file the user cannot write ends start-up with the path of the
// file in the message and leaves it as it was. Root writes read-only files,
// so tools/test runs this one as an unprivileged user.
TEST_F(StartUp, ReadOnlySettingsFileIsFatal) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nAllWay=1\nNowUser=\n[Last]\nUser=前の人\n"));
    ASSERT_TRUE(inst().SetIniReadOnly(true));
    if (inst().IniWritable()) {
        inst().SetIniReadOnly(false);
        GTEST_SKIP() << "this user writes read-only files (root); tools/test runs this as an unprivileged user";
    }
    const std::string before = inst().IniBytes();

    Process p;
    HWND box = StartAndWaitForBox(p);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageText(box), "書き込み権限がありません\r\n致命的なエラーです\r\n\r\n" + inst().iniPath());
    EXPECT_TRUE(IsSystemModal(box));
    Screenshot(Shot("refusal"));
    ASSERT_TRUE(PressButton(box, IDOK));

    RunResult rest = RunToEnd(p, kWait, Shot("after"));
    ASSERT_TRUE(rest.ended) << "the program does not end after the refusal";
    EXPECT_TRUE(rest.boxes.empty()) << Joined(rest.boxes);
    EXPECT_EQ(inst().IniBytes(), before);
    // Resident mode is on, but start-up ended at a fatal check: no exit restore.
    EXPECT_FALSE(FolderExists(inst().dataPath()));
    inst().SetIniReadOnly(false);
}

// A run that ends normally clears the abnormal-end marker; without Debug
// nothing is said about the marker left by a crash. (The program has been set
// up before: Started is "1" and the data store exists.)
TEST_F(StartUp, CleanRunLeavesNowUserEmpty) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nStatus=0\nNowUser=前回の利用者\n"));
    ASSERT_TRUE(inst().MakeDataStore());

    Process p;
    ASSERT_TRUE(p.Start(inst().exePath(), "", inst().folder()));
    RunResult r = RunToEnd(p, kRun, Shot("box"));
    ASSERT_TRUE(r.ended) << "the run does not end";
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty()) << "message boxes: " << Joined(r.boxes);
    EXPECT_EQ(inst().IniValue("Start", "NowUser"), std::optional<std::string>(""));
}

// With Debug "1": the abnormal-end message comes first, then the version,
// then the command line with its trailing blanks removed.
TEST_F(StartUp, DebugMessagesComeInOrder) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nStatus=0\nDebug=1\nNowUser=前回の利用者\n"));
    ASSERT_TRUE(inst().MakeDataStore());

    Process p;
    ASSERT_TRUE(p.Start(inst().exePath(), "\"葵\"   ", inst().folder()));
    RunResult r = RunToEnd(p, kRun, Shot("box"));
    ASSERT_TRUE(r.ended) << "the run does not end; boxes: " << Joined(r.boxes);
    ASSERT_GE(r.boxes.size(), 3u) << Joined(r.boxes);
    EXPECT_EQ(r.boxes[0], "前回、異常終了しています");
    EXPECT_EQ(r.boxes[1], "OSバージョン : XP");
    EXPECT_EQ(r.boxes[2], "Command\r\n[\"葵\"]");
    EXPECT_EQ(inst().IniValue("Start", "NowUser"), std::optional<std::string>(""));
    // The quoted name is the user of this run.
    EXPECT_EQ(inst().IniValue("Last", "User"), std::optional<std::string>("葵"));
}

// Shift held at start leads to the settings dialog instead of the logon
// phase: nothing is switched, [Last] User is not written, the dialog opens.
TEST_F(StartUp, ShiftHeldAtStartSkipsTheLogonPhase) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nStatus=0\n"));
    ASSERT_TRUE(inst().MakeDataStore());

    Process p;
    RunResult r;
    {
        ShiftHeld shift;
        ASSERT_TRUE(shift.ok()) << "SendInput refused the Shift key";
        ASSERT_TRUE(p.Start(inst().exePath(), "", inst().folder()));
        r = RunToEnd(p, kRun, Shot("window"), /*stopAtDialog=*/true);
    }
    ASSERT_TRUE(r.stoppedAtDialog) << "the program showed no dialog";
    EXPECT_EQ(r.windows, std::vector<std::string>{"Tollervy - [設定]"});
    EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);
    EXPECT_EQ(inst().IniValue("Last", "User"), std::nullopt) << "the logon phase ran";
}

// The command line "-s" (trailing blanks removed) does the same; "-S" is
// not "-s", nor is " -s" (a second blank after the program path), and the
// logon phase runs for the login name.
TEST_F(StartUp, CommandLineDashSSkipsTheLogonPhaseAndOnlyThat) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nStatus=0\n"));
    ASSERT_TRUE(inst().MakeDataStore());
    {
        Process p;
        ASSERT_TRUE(p.Start(inst().exePath(), "-s  ", inst().folder()));
        RunResult r = RunToEnd(p, kRun, Shot("dash-s"), /*stopAtDialog=*/true);
        ASSERT_TRUE(r.stoppedAtDialog) << "the program showed no dialog";
        EXPECT_EQ(r.windows, std::vector<std::string>{"Tollervy - [設定]"});
        EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);
        EXPECT_EQ(inst().IniValue("Last", "User"), std::nullopt) << "the logon phase ran for \"-s  \"";
    }
    for (const std::string args : {"-S", " -s"}) {
        Process p;
        ASSERT_TRUE(p.Start(inst().exePath(), args, inst().folder()));
        RunResult r = RunToEnd(p, kRun, Shot("dash-capital-s"));
        ASSERT_TRUE(r.ended) << "the run with \"" << args << "\" does not end";
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);
        EXPECT_EQ(inst().IniValue("Last", "User"), std::optional<std::string>(LoginName()));
        EXPECT_EQ(inst().IniValue("Start", "NowUser"), std::optional<std::string>(""));
    }
}

}  // namespace
