// The program's own logon dialog as a person meets it at start: the name of
// the previous user already in the user box, a refused password, then the
// right one, and the switch for the user who logged on.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Scenario.h"

using namespace e2e;

namespace {

// Control ids of the logon dialog.
constexpr int kUserBox = 204;
constexpr int kPasswordBox = 206;
constexpr int kOk = 207;
constexpr int kCancel = 208;

const char* kRefused =
    "ログオンできません。ユーザ名を確認して、もう一度パスワードを入力してください。"
    "パスワードは大文字と小文字が区別されます";

class LogOn : public Scenario {};

TEST_F(LogOn, WrongPasswordIsRefusedThenTheUserLogsOnAndIsSwitchedTo) {
    const std::string memo = Live("メモ.txt");
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nStatus=1\n[Logon]\nUse=1\n[Last]\nUser=葵\n" +
                                FileSection({{"F1", memo}})));
    ASSERT_TRUE(inst().MakeDataStore());
    ASSERT_TRUE(inst().WriteUserFile({"Ben,pw,1"}));
    const std::string aoiMemo = Content("葵", "メモ");
    const std::string commonMemo = Content("共通", "メモ");
    ASSERT_TRUE(WriteBytes(memo, aoiMemo));
    ASSERT_TRUE(WriteTree(inst().StorePath("All Users", "F1"), {{"メモ.txt", commonMemo}}));

    Process p;
    ASSERT_TRUE(Start(p, ""));
    HWND dialog = WaitForDialog(p, "ログオン情報", kWait);
    ASSERT_NE(dialog, nullptr) << "no logon dialog";
    // The previous user is offered; the focus waits in the password box.
    EXPECT_EQ(ControlText(dialog, kUserBox), "葵");
    EXPECT_TRUE(WaitUntil([&] { return FocusedControlId(dialog) == kPasswordBox; }, kWait))
        << "focus on control " << FocusedControlId(dialog);
    EXPECT_TRUE(IsSystemModal(dialog)) << "the logon dialog is not top-most";
    Screenshot(Shot("dialog"));

    // Ben with his password in the wrong case: refused, and the dialog stays
    // with what was typed.
    ASSERT_TRUE(SetControlText(dialog, kUserBox, "Ben"));
    ASSERT_TRUE(SetControlText(dialog, kPasswordBox, "PW"));
    ASSERT_TRUE(PostClick(dialog, kOk));
    HWND box = WaitForMessageBox(p, "ログオンメッセージ", kWait);
    ASSERT_NE(box, nullptr) << "no refusal";
    EXPECT_EQ(MessageText(box), kRefused);
    // It belongs to the (top-most) dialog, so it stays above it.
    EXPECT_EQ(GetWindow(box, GW_OWNER), dialog);
    Screenshot(Shot("refusal"));
    ASSERT_TRUE(PressButton(box, IDOK));
    ASSERT_TRUE(WaitWindowGone(box, kWait));
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(ControlText(dialog, kUserBox), "Ben");
    EXPECT_TRUE(WaitUntil([&] { return FocusedControlId(dialog) == kPasswordBox; }, kWait))
        << "focus on control " << FocusedControlId(dialog);
    // Nothing was switched meanwhile.
    std::string bytes;
    EXPECT_TRUE(ReadBytes(memo, bytes) && bytes == aoiMemo);
    EXPECT_FALSE(FolderExists(inst().dataPath() + "\\葵"));

    // The right password: the dialog closes and the switch runs for Ben.
    ASSERT_TRUE(SetControlText(dialog, kPasswordBox, "pw"));
    ASSERT_TRUE(PostClick(dialog, kOk));
    RunResult r = RunToEnd(p, kRun, Shot("after"));
    ASSERT_TRUE(r.ended) << "the run does not end";
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);

    // 葵's file saved, Ben starts from the common copy.
    EXPECT_EQ(TreeDifference({{"メモ.txt", aoiMemo}}, ReadTree(inst().StorePath("葵", "F1"))), "");
    EXPECT_TRUE(ReadBytes(memo, bytes) && bytes == commonMemo) << "the common copy is not in place";
    EXPECT_EQ(inst().IniValue("Last", "User"), std::optional<std::string>("Ben"));
    EXPECT_EQ(inst().IniValue("Start", "NowUser"), std::optional<std::string>(""));
    EXPECT_EQ(inst().InPlaceOwners(), (std::map<std::string, std::string>{{"F1", "Ben"}}));
}

// By keyboard: with no name to offer the focus starts in the user box; Alt+P
// goes to the password box, Tab on to OK, Cancel and round to the user box;
// Alt+C cancels: the run goes on as an unregistered user.
TEST_F(LogOn, KeyboardStartsInTheUserBoxAndAltCCancels) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nStatus=0\n[Logon]\nUse=1\n[Last]\nUser=\\\n"));
    ASSERT_TRUE(inst().MakeDataStore());
    ASSERT_TRUE(inst().WriteUserFile({"Ben,pw,1"}));

    Process p;
    ASSERT_TRUE(Start(p, ""));
    HWND dialog = WaitForDialog(p, "ログオン情報", kWait);
    ASSERT_NE(dialog, nullptr) << "no logon dialog";
    EXPECT_EQ(ControlText(dialog, kUserBox), "");
    EXPECT_TRUE(WaitUntil([&] { return FocusedControlId(dialog) == kUserBox; }, kWait))
        << "focus on control " << FocusedControlId(dialog);
    EXPECT_EQ(ControlText(dialog, kCancel), "キャンセル(&C)");
    EXPECT_EQ(ControlText(dialog, 203), "ユーザ名(&U) :");
    PostAltKey(dialog, 'p');
    EXPECT_TRUE(WaitUntil([&] { return FocusedControlId(dialog) == kPasswordBox; }, kWait)) << "Alt+P";
    for (int next : {kOk, kCancel, kUserBox})
        EXPECT_TRUE(KeyMovesFocusTo(dialog, VK_TAB, next, kWait))
            << "Tab went to control " << FocusedControlId(dialog) << " instead of " << next;
    PostAltKey(dialog, 'u');
    EXPECT_TRUE(WaitUntil([&] { return FocusedControlId(dialog) == kUserBox; }, kWait)) << "Alt+U";
    LetPaint(dialog);
    Screenshot(Shot("dialog"));

    PostAltKey(dialog, 'c');
    EXPECT_TRUE(WaitWindowGone(dialog, kWait)) << "Alt+C did not close the dialog";
    RunResult r = RunToEnd(p, kRun, Shot("after"));
    ASSERT_TRUE(r.ended) << "the run does not end";
    EXPECT_EQ(r.exitCode, 0u);
}

}  // namespace
