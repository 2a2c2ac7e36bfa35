// A disk that fills up during a switch, and a listed folder that goes away.
//
// The full disk is a small real volume: tools/test
// mounts a 4 MB tmpfs and maps it to a drive of the prefix
// (TOLLERVY_SMALL_DRIVE, "T:"); without one these scenarios skip. The data
// store or the live folder lies there, a file fills the rest but for a
// little room, and the copy that needs more meets Windows' own "disk full".
// The person is asked with the path and that reason; "No" and "Yes" both
// leave everybody's complete copies somewhere, the in-place record tells
// where, and once there is room the next switch puts everything right.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Scenario.h"

#include <commctrl.h>

using namespace e2e;

namespace {

using Owners = std::map<std::string, std::string>;

const std::string kQuestion =
    "エラーが発生しました\r\n処理を続行した場合、データがどうなるかわかりません\r\n処理を続行しますか?\r\n\r\n";
const std::string kRunEnds = "異常が発生しました\r\n処理を終了します";
const std::string kSaveFailed = "前ユーザのデータの待避に失敗しました\r\n";
const std::string kRestoreFailed = "ユーザのデータの復活に失敗しました\r\n";
const std::string kUnsaved = "\r\n前ユーザのデータを待避できなかったため、上書きしませんでした";

std::string SmallDrive() { return EnvVar("TOLLERVY_SMALL_DRIVE"); }

std::string DiskFullText() { return SystemText(ERROR_DISK_FULL); }

// A tree of `files` files of `size` bytes each, in two folders.
Tree Docs(const std::string& owner, int files, std::size_t size) {
    Tree t{{"sub\\", ""}};
    for (int i = 0; i < files; ++i)
        t[(i % 2 ? "sub\\" : "") + std::string("文書") + std::to_string(i) + ".dat"] = Content(owner, "文書", size + i);
    return t;
}

// A's copies in place ([Last] User = A), B's stored: a folder and a memo,
// the folder first unless the memo is to be asked about first.
class Switching : public Scenario {
protected:
    void SetUpUsers(const std::string& liveRoot, const Tree& aDocs, const Tree& bDocs, bool memoFirst = false) {
        live_ = liveRoot;
        a = aDocs;
        b = bDocs;
        if (memoFirst) std::swap(docsKey_, memoKey_);
        ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nStatus=0\n[Last]\nUser=A\n" +
                                    FileSection({{"F1", memoFirst ? memo() : docs() + "\\"},
                                                 {"F2", memoFirst ? docs() + "\\" : memo()}})));
        ASSERT_TRUE(inst().MakeDataStore());
        ASSERT_TRUE(WriteTree(docs(), a));
        ASSERT_TRUE(WriteBytes(memo(), aMemo));
        ASSERT_TRUE(WriteTree(inst().StorePath("B", docsKey_), b));
        ASSERT_TRUE(WriteTree(inst().StorePath("B", memoKey_), {{"メモ.txt", bMemo}}));
    }
    std::string docs() const { return live_ + "\\書類"; }
    std::string memo() const { return live_ + "\\メモ.txt"; }
    std::string MemoNow() const { return Bytes(memo()); }
    std::string Stored(const std::string& user) { return Bytes(inst().StorePath(user, memoKey_) + "\\メモ.txt"); }
    static std::string Bytes(const std::string& path) {
        std::string bytes;
        return ReadBytes(path, bytes) ? bytes : "(missing)";
    }
    Owners HeldBy(const std::string& docsOwner, const std::string& memoOwner) const {
        return {{docsKey_, docsOwner}, {memoKey_, memoOwner}};
    }

    // Starts "B" and lets it run to its end after the questions answered.
    void RunB(const std::vector<std::pair<std::string, int>>& questions, const std::vector<std::string>& boxes) {
        Process p;
        ASSERT_TRUE(Start(p, "\"B\""));
        for (std::size_t i = 0; i < questions.size(); ++i)
            ASSERT_NO_FATAL_FAILURE(Answer(p, questions[i].first, questions[i].second, "question" + std::to_string(i)));
        RunResult r = RunToEnd(p, kRun, Shot("ends"));
        ASSERT_TRUE(r.ended);
        EXPECT_EQ(r.boxes, boxes);
    }

    // Once the disk has room or the folder is back: "B" saves what A has
    // in place and puts B's copies there, "A" gets A's back. Everybody's
    // bytes are theirs.
    void NextSwitchesPutItRight() {
        for (const std::string user : {"B", "A"}) {
            Process p;
            ASSERT_TRUE(Start(p, "\"" + user + "\""));
            RunResult r = RunToEnd(p, kRun, Shot("again-" + user));
            ASSERT_TRUE(r.ended);
            EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);
            EXPECT_EQ(inst().InPlaceOwners(), HeldBy(user, user));
            EXPECT_EQ(TreeDifference(user == "A" ? a : b, ReadTree(docs())), "") << user;
            EXPECT_EQ(MemoNow(), user == "A" ? aMemo : bMemo) << user;
        }
        EXPECT_EQ(TreeDifference(a, ReadTree(inst().StorePath("A", docsKey_))), "");
        EXPECT_EQ(TreeDifference(b, ReadTree(inst().StorePath("B", docsKey_))), "");
        EXPECT_EQ(Stored("A"), aMemo);
        EXPECT_EQ(Stored("B"), bMemo);
    }

    std::string live_, docsKey_ = "F1", memoKey_ = "F2";
    Tree a, b;
    const std::string aMemo = Content("A", "メモ", 100);
    const std::string bMemo = Content("B", "メモ", 300);
};

class FullDisk : public Switching {
protected:
    void SetUp() override {
        if (SmallDrive().empty()) GTEST_SKIP() << "no small volume (TOLLERVY_SMALL_DRIVE)";
        ASSERT_TRUE(RemoveTree(Small("")) && MakeFolders(Small("")));
        Scenario::SetUp();
    }
    void TearDown() override {
        if (!SmallDrive().empty()) RemoveTree(Small(""));
    }
    // A folder of this scenario on the small volume.
    std::string Small(const std::string& relative) const {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        return SmallDrive() + "\\" + info->name() + (relative.empty() ? "" : "\\" + relative);
    }
    // Fills the small volume until `room` bytes are left.
    void Fill(std::size_t room) {
        ULARGE_INTEGER free{};
        ASSERT_TRUE(GetDiskFreeSpaceExW(Wide(SmallDrive() + "\\").c_str(), &free, nullptr, nullptr));
        ASSERT_GT(free.QuadPart, room);
        ASSERT_TRUE(WriteBytes(Small("filler.bin"), std::string(free.QuadPart - room, 'x')));
    }
    void MakeRoom() { ASSERT_TRUE(DeleteFileW(Wide(Small("filler.bin")).c_str())); }
};

// The data store on the small volume: A's folder (1.8 MB) does not fit in
// the room left.
class FullStore : public FullDisk {
protected:
    std::string InstallFolder() const override { return Small("Tollervy"); }
};

// "No" ends the run: A's copies stay in place, recorded as A's. "Yes" goes
// on: the copy that did not fit is gone again, so the memo finds room and is
// switched; the folder that could not be saved is not overwritten (the
// restore asks about it too). B's stored copies stay whole either way.
TEST_F(FullStore, NoStopsAndYesGoesOnWithNothingLost) {
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        ASSERT_NO_FATAL_FAILURE(SetUpUsers(liveRoot(), Docs("A", 6, 300000), Docs("B", 4, 20000)));
        ASSERT_NO_FATAL_FAILURE(Fill(600000));
        const std::string saveFailed = kQuestion + kSaveFailed + docs() + "\\\r\n" + DiskFullText();
        if (yes)
            ASSERT_NO_FATAL_FAILURE(RunB({{saveFailed, IDYES}, {kQuestion + kRestoreFailed + docs() + "\\" + kUnsaved, IDYES}}, {}));
        else
            ASSERT_NO_FATAL_FAILURE(RunB({{saveFailed, IDNO}}, {kRunEnds}));
        EXPECT_EQ(inst().InPlaceOwners(), HeldBy("A", yes ? "B" : "A"));
        EXPECT_EQ(TreeDifference(a, ReadTree(docs())), "");
        EXPECT_EQ(MemoNow(), yes ? bMemo : aMemo);
        EXPECT_EQ(TreeDifference(b, ReadTree(inst().StorePath("B", "F1"))), "");
        EXPECT_EQ(Stored("B"), bMemo);
        ASSERT_NO_FATAL_FAILURE(MakeRoom());
        NextSwitchesPutItRight();
        ASSERT_TRUE(RemoveTree(inst().dataPath()));
    }
}

// The live folder on the small volume: B's copy (1.8 MB) does not fit in
// the room A's (small) leaves. The folder is half B's when the question
// comes; it is recorded as nobody's ("*"), both complete copies are in the
// store, and the next switch puts B's in place whole.
TEST_F(FullDisk, ARestoreLargerThanTheRoomLeftKeepsBothCopiesInTheStore) {
    ASSERT_NO_FATAL_FAILURE(SetUpUsers(Small("live"), Docs("A", 4, 20000), Docs("B", 6, 300000)));
    ASSERT_NO_FATAL_FAILURE(Fill(600000));
    ASSERT_NO_FATAL_FAILURE(
        RunB({{kQuestion + kRestoreFailed + docs() + "\\\r\n" + DiskFullText(), IDNO}}, {kRunEnds}));
    EXPECT_EQ(inst().InPlaceOwners(), HeldBy("*", "A"));
    // Each file in the folder is whole: B's, or A's not yet replaced.
    for (const auto& [path, bytes] : ReadTree(docs()))
        EXPECT_TRUE(path.back() == '\\' || (b.count(path) && b.at(path) == bytes) || (a.count(path) && a.at(path) == bytes))
            << path << " is cut short";
    EXPECT_EQ(TreeDifference(a, ReadTree(inst().StorePath("A", "F1"))), "");
    EXPECT_EQ(TreeDifference(b, ReadTree(inst().StorePath("B", "F1"))), "");
    EXPECT_EQ(MemoNow(), aMemo);
    ASSERT_NO_FATAL_FAILURE(MakeRoom());
    NextSwitchesPutItRight();
}

}  // namespace

namespace {

// Control ids of the settings dialog.
enum : int { kTab = 401, kOk = 402, kFilePath = 602, kFileAdd = 604, kUserName = 755, kUserPass = 757, kUserAdd = 759 };
const std::string kDialogTitle = "Tollervy - [設定]";

class FullProgramFolder : public FullDisk {
protected:
    std::string InstallFolder() const override { return Small("Tollervy"); }

    // The settings dialog, opened with -s, on its page `tab`.
    HWND OpenDialog(Process& p, int tab) {
        if (!Start(p, "-s")) return nullptr;
        HWND dialog = WaitForDialog(p, kDialogTitle, kWait);
        if (!dialog) {
            Screenshot(Shot("no-dialog"));
            ADD_FAILURE() << "no settings dialog; windows: " << p.VisibleWindows().size();
        }
        if (dialog) SendDlgItemMessageW(dialog, kTab, TCM_SETCURFOCUS, static_cast<WPARAM>(tab), 0);
        return dialog;
    }
};

// The settings file fills its last page, so any write must grow it: Wine's
// profile functions would cut it short and report success. The start finds
// it cannot be written and ends with its message; the file is as it was.
// With room again, the switch runs and records B.
TEST_F(FullProgramFolder, TheSettingsFileIsNeverCutShort) {
    ASSERT_NO_FATAL_FAILURE(SetUpUsers(liveRoot(), Docs("A", 2, 1000), Docs("B", 2, 1000)));
    const std::string head = "[Start]\nStarted=1\nStatus=0\n[Last]\nUser=A\n[Note]\npad=";
    const std::string list = FileSection({{"F1", docs() + "\\"}, {"F2", memo()}});
    const auto onDisk = [](const std::string& t) { return ToCp932(t).size() + std::count(t.begin(), t.end(), '\n'); };
    const std::size_t used = onDisk(head + "\n" + list);
    ASSERT_LT(used, 4096u);
    ASSERT_TRUE(inst().WriteIni(head + std::string(4096 - used, 'x') + "\n" + list));
    const std::string before = inst().IniBytes();
    ASSERT_EQ(before.size(), 4096u);
    ASSERT_NO_FATAL_FAILURE(Fill(0));
    ASSERT_NO_FATAL_FAILURE(RunB({}, {"書き込み権限がありません\r\n致命的なエラーです\r\n\r\n" + inst().iniPath()}));
    EXPECT_EQ(inst().IniBytes(), before);
    EXPECT_EQ(TreeDifference(a, ReadTree(docs())), "");
    ASSERT_NO_FATAL_FAILURE(MakeRoom());
    ASSERT_NO_FATAL_FAILURE(RunB({}, {}));
    EXPECT_EQ(inst().IniValue("Last", "User"), std::optional<std::string>("B"));
    EXPECT_EQ(inst().IniValue("File", "F2"), std::optional<std::string>(memo()));
    EXPECT_EQ(TreeDifference(b, ReadTree(docs())), "");
}

// A user added on the users page while the disk is full: the program says
// the user file could not be saved, and the old one is whole.
TEST_F(FullProgramFolder, TheUserFileStaysWholeWhenTheNewOneDoesNotFit) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\n[Last]\nMessage=0\n"));
    ASSERT_TRUE(inst().MakeDataStore());
    // Exactly one page: the new file needs more room than the old one frees.
    const std::string first = "利用者,pw,1", second = "葵,";
    const std::size_t used = ToCp932(first + second + ",1").size() + 4;
    ASSERT_TRUE(inst().WriteUserFile({first, second + std::string(4096 - used, 'p') + ",1"}));
    std::string before;
    ASSERT_TRUE(ReadBytes(inst().dataPath() + "\\User.dat", before));
    ASSERT_EQ(before.size(), 4096u);
    Process p;
    HWND dialog = OpenDialog(p, 3);
    ASSERT_NE(dialog, nullptr);
    ASSERT_NO_FATAL_FAILURE(Fill(0));
    ASSERT_TRUE(SetControlText(dialog, kUserName, "新しい人"));
    ASSERT_TRUE(SetControlText(dialog, kUserPass, "pw"));
    ASSERT_TRUE(PressButton(dialog, kUserAdd));
    ASSERT_TRUE(PostClick(dialog, kOk));
    ASSERT_NO_FATAL_FAILURE(Answer(p, "ユーザ情報の保存に失敗しました", IDOK, "user-file"));
    ASSERT_TRUE(p.WaitExit(kRun));
    std::string after;
    ASSERT_TRUE(ReadBytes(inst().dataPath() + "\\User.dat", after));
    EXPECT_EQ(after, before);
}

// A folder of 1.2 MB added on the file list page while the store has room
// for half of it: the registration copy fails with the path and Windows'
// reason, the path is not listed and no part of its copy stays.
TEST_F(FullProgramFolder, ARegistrationCopyThatDoesNotFitIsNamedAndLeftOut) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\n[Last]\nMessage=0\n"));
    ASSERT_TRUE(inst().MakeDataStore());
    const std::string folder = Live("大きい");
    ASSERT_TRUE(WriteTree(folder, Docs("A", 4, 300000)));
    Process p;
    HWND dialog = OpenDialog(p, 1);
    ASSERT_NE(dialog, nullptr);
    ASSERT_NO_FATAL_FAILURE(Fill(600000));
    ASSERT_TRUE(SetControlText(dialog, kFilePath, folder));
    ASSERT_TRUE(PressButton(dialog, kFileAdd));
    ASSERT_TRUE(PostClick(dialog, kOk));
    ASSERT_NO_FATAL_FAILURE(
        Answer(p, "現在のデータの保存に失敗しました\r\n" + folder + "\\\r\n" + DiskFullText(), IDOK, "registration"));
    // The record lets go of the key last.
    EXPECT_TRUE(WaitUntil([&] { return inst().InPlaceOwners().empty(); }, kRun)) << "F1 stays recorded";
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog closed";
    EXPECT_EQ(inst().IniValue("File", "F1"), std::nullopt);
    Tree store = ReadTree(inst().dataPath());
    store["InPlace.dat"] = "";  // its lines are the record's, checked above
    EXPECT_EQ(TreeDifference({{"All Users\\", ""}, {"InPlace\\", ""}, {"InPlace.dat", ""}}, store), "");
}

}  // namespace

namespace {

// A listed folder that goes away in the middle of a switch (a USB stick
// pulled, a network drive gone, a folder renamed by another program). The
// moment is fixed by an earlier item's question: another program holds the
// memo open, and while the program asks about it the folder is renamed
// away. The folder's item fails with its own question, nothing is replaced,
// and once the folder is back the next switch is right.
class VanishingFolder : public Switching {
protected:
    void SetUp() override {
        Scenario::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_NO_FATAL_FAILURE(SetUpUsers(liveRoot(), Docs("A", 3, 2000), Docs("B", 3, 3000), true));
        held_ = CreateFileW(Wide(memo()).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held_, INVALID_HANDLE_VALUE);
    }
    void TearDown() override { Release(); }
    void Release() {
        if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
        held_ = INVALID_HANDLE_VALUE;
    }
    std::string away() { return Live("書類-外した"); }
    void Move(const std::string& from, const std::string& to) {
        ASSERT_TRUE(MoveFileW(Wide(from).c_str(), Wide(to).c_str()));
    }
    // Waits for the question about the memo, renames the folder away, then
    // answers.
    void VanishAt(Process& p, const std::string& question, const std::string& shot) {
        ASSERT_NE(WaitForMessageBox(p, "Tollervy", kWait), nullptr);
        ASSERT_NO_FATAL_FAILURE(Move(docs(), away()));
        ASSERT_NO_FATAL_FAILURE(Answer(p, question, IDYES, shot));
    }
    const std::string held = "\r\n" + SystemText(ERROR_SHARING_VIOLATION);
    HANDLE held_ = INVALID_HANDLE_VALUE;
};

// Gone before its save: its save fails with its question, "No" stops. A's
// copies are all where they were (the folder where it went), recorded as A's.
TEST_F(VanishingFolder, GoneBeforeItsSaveAndNoStops) {
    Process p;
    ASSERT_TRUE(Start(p, "\"B\""));
    ASSERT_NO_FATAL_FAILURE(VanishAt(p, kQuestion + kSaveFailed + memo() + held, "memo"));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kQuestion + kSaveFailed + docs() + "\\", IDNO, "folder"));
    RunResult r = RunToEnd(p, kRun, Shot("ends"));
    ASSERT_TRUE(r.ended);
    EXPECT_EQ(r.boxes, std::vector<std::string>{kRunEnds});
    EXPECT_EQ(inst().InPlaceOwners(), HeldBy("A", "A"));
    EXPECT_EQ(TreeDifference(a, ReadTree(away())), "");
    ASSERT_NO_FATAL_FAILURE(Move(away(), docs()));
    Release();
    NextSwitchesPutItRight();
}

// Saved, then gone before its restore: "Yes" goes on, its restore fails
// with its question before anything is replaced; both complete copies stay
// (B's in the store, A's saved and in the folder) and the record names A.
TEST_F(VanishingFolder, GoneBeforeItsRestoreAndYesGoesOn) {
    Process p;
    ASSERT_TRUE(Start(p, "\"B\""));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kQuestion + kSaveFailed + memo() + held, IDYES, "memo-save"));
    ASSERT_NO_FATAL_FAILURE(VanishAt(p, kQuestion + kRestoreFailed + memo() + kUnsaved, "memo-restore"));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kQuestion + kRestoreFailed + docs() + "\\", IDYES, "folder"));
    RunResult r = RunToEnd(p, kRun, Shot("ends"));
    ASSERT_TRUE(r.ended);
    EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);
    EXPECT_EQ(inst().InPlaceOwners(), HeldBy("A", "A"));
    EXPECT_EQ(TreeDifference(a, ReadTree(away())), "");
    EXPECT_EQ(TreeDifference(a, ReadTree(inst().StorePath("A", docsKey_))), "");
    ASSERT_NO_FATAL_FAILURE(Move(away(), docs()));
    Release();
    NextSwitchesPutItRight();
}

}  // namespace
