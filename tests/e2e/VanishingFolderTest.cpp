// A listed folder that goes away in the middle of a switch (a USB stick
// pulled, a network drive gone, a folder renamed by another program). The
// moment is fixed by an earlier item's question: another program holds the
// listed memo open, and while the program asks about it the folder is
// renamed away. The folder's item fails with its own question, the policy
// goes on or stops as answered, nothing is lost, and once the folder is back
// the next switch is right.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "Scenario.h"

using namespace e2e;

namespace {

using Owners = std::map<std::string, std::string>;

const std::string kQuestion =
    "エラーが発生しました\r\n処理を続行した場合、データがどうなるかわかりません\r\n処理を続行しますか?\r\n\r\n";
const std::string kSaveFailed = "前ユーザのデータの待避に失敗しました\r\n";
const std::string kRestoreFailed = "ユーザのデータの復活に失敗しました\r\n";

Tree Docs(const std::string& owner) {
    return {{"日本語のファイル名.txt", Content(owner, "日本語", 2000)},
            {"sub\\", ""},
            {"sub\\深い階層.dat", Content(owner, "深い階層", 30000)}};
}

class VanishingFolder : public Scenario {
protected:
    std::string docs() { return Live("書類"); }
    std::string away() { return Live("書類-外した"); }
    std::string memo() { return Live("メモ.txt"); }

    // The memo first, the folder second; A's copies in place, B's stored.
    void SetUp() override {
        Scenario::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nStatus=0\n[Last]\nUser=A\n" +
                                    FileSection({{"F1", memo()}, {"F2", docs() + "\\"}})));
        ASSERT_TRUE(inst().MakeDataStore());
        ASSERT_TRUE(WriteTree(docs(), a));
        ASSERT_TRUE(WriteBytes(memo(), aMemo));
        ASSERT_TRUE(WriteTree(inst().StorePath("B", "F2"), b));
        ASSERT_TRUE(WriteTree(inst().StorePath("B", "F1"), {{"メモ.txt", bMemo}}));
        held_ = CreateFileW(Wide(memo()).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held_, INVALID_HANDLE_VALUE);
    }
    void TearDown() override { Release(); }
    void Release() {
        if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
        held_ = INVALID_HANDLE_VALUE;
    }
    void Vanish() { ASSERT_TRUE(MoveFileW(Wide(docs()).c_str(), Wide(away()).c_str())); }
    void ComeBack() { ASSERT_TRUE(MoveFileW(Wide(away()).c_str(), Wide(docs()).c_str())); }

    // With the folder back and the memo free: "B" saves A's copies and puts
    // B's in place; "A" gets A's back.
    void NextSwitchesAreRight() {
        Release();
        for (const std::string user : {"B", "A"}) {
            Process p;
            ASSERT_TRUE(Start(p, "\"" + user + "\""));
            RunResult r = RunToEnd(p, kRun, Shot("again-" + user));
            ASSERT_TRUE(r.ended);
            EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);
            EXPECT_EQ(inst().InPlaceOwners(), (Owners{{"F1", user}, {"F2", user}}));
            std::string bytes;
            EXPECT_TRUE(ReadBytes(memo(), bytes) && bytes == (user == "A" ? aMemo : bMemo)) << user;
            EXPECT_EQ(TreeDifference(user == "A" ? a : b, ReadTree(docs())), "") << user;
        }
        EXPECT_EQ(TreeDifference(b, ReadTree(inst().StorePath("B", "F2"))), "");
        EXPECT_EQ(TreeDifference(a, ReadTree(inst().StorePath("A", "F2"))), "");
    }

    HANDLE held_ = INVALID_HANDLE_VALUE;
    const Tree a = Docs("A"), b = Docs("B");
    const std::string aMemo = Content("A", "メモ", 100), bMemo = Content("B", "メモ", 300);
};

// The folder goes while the memo's save is asked about: its save fails with
// its own question, "No" stops. Nothing was replaced: A's copies are all
// where they were, recorded as A's.
TEST_F(VanishingFolder, GoneBeforeItsSaveAndNoStops) {
    Process p;
    ASSERT_TRUE(Start(p, "\"B\""));
    HWND box = WaitForMessageBox(p, "Tollervy", kWait);
    ASSERT_NE(box, nullptr);
    ASSERT_NO_FATAL_FAILURE(Vanish());
    ASSERT_NO_FATAL_FAILURE(Answer(p, kQuestion + kSaveFailed + memo() + "\r\n" + SystemText(ERROR_SHARING_VIOLATION), IDYES, "memo"));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kQuestion + kSaveFailed + docs() + "\\", IDNO, "folder"));
    RunResult r = RunToEnd(p, kRun, Shot("ends"));
    ASSERT_TRUE(r.ended);
    EXPECT_EQ(r.boxes, std::vector<std::string>{"異常が発生しました\r\n処理を終了します"});
    EXPECT_EQ(inst().InPlaceOwners(), (Owners{{"F1", "A"}, {"F2", "A"}}));
    EXPECT_EQ(TreeDifference(a, ReadTree(away())), "");
    EXPECT_EQ(TreeDifference(b, ReadTree(inst().StorePath("B", "F2"))), "");
    ASSERT_NO_FATAL_FAILURE(ComeBack());
    NextSwitchesAreRight();
}

// The folder is saved, then goes while the memo's restore is asked about:
// "Yes" goes on, its restore fails with its question before anything is
// replaced. B's copy stays in the store, A's (saved) stays in the folder,
// and the record names A for both.
TEST_F(VanishingFolder, GoneBeforeItsRestoreAndYesGoesOn) {
    Process p;
    ASSERT_TRUE(Start(p, "\"B\""));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kQuestion + kSaveFailed + memo() + "\r\n" + SystemText(ERROR_SHARING_VIOLATION), IDYES, "memo-save"));
    HWND box = WaitForMessageBox(p, "Tollervy", kWait);
    ASSERT_NE(box, nullptr);
    ASSERT_NO_FATAL_FAILURE(Vanish());
    ASSERT_NO_FATAL_FAILURE(Answer(p, kQuestion + kRestoreFailed + memo(), IDYES, "memo-restore"));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kQuestion + kRestoreFailed + docs() + "\\", IDYES, "folder"));
    RunResult r = RunToEnd(p, kRun, Shot("ends"));
    ASSERT_TRUE(r.ended);
    EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);
    EXPECT_EQ(inst().InPlaceOwners(), (Owners{{"F1", "A"}, {"F2", "A"}}));
    EXPECT_EQ(TreeDifference(a, ReadTree(away())), "");
    EXPECT_EQ(TreeDifference(a, ReadTree(inst().StorePath("A", "F2"))), "");
    EXPECT_EQ(TreeDifference(b, ReadTree(inst().StorePath("B", "F2"))), "");
    ASSERT_NO_FATAL_FAILURE(ComeBack());
    NextSwitchesAreRight();
}

}  // namespace
