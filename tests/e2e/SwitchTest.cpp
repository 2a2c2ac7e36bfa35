// Whole switch runs as a person sees them: the program started with a quoted
// user name saves the copies in place as the previous user's, puts the next
// user's copies in place with its progress window on screen, records the new
// user and ends.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <set>
#include <string>

#include "Scenario.h"

using namespace e2e;

namespace {

constexpr int kBulk = 600;  // files per copy in the bulk folder: a switch of some seconds

std::string Num(int i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d", i);
    return buf;
}

// A folder item's tree as `owner` has it: a Japanese file name, a subfolder
// with a file, and a bulk folder with many files.
Tree Docs(const std::string& owner, int bulk) {
    Tree t;
    t["日本語のファイル名.txt"] = Content(owner, "日本語のファイル名.txt", 3000);
    t["sub\\"] = "";
    t["sub\\深い階層.dat"] = Content(owner, "深い階層", 70000);
    t["sub\\bulk\\"] = "";
    for (int i = 0; i < bulk; ++i) t["sub\\bulk\\" + Num(i) + ".dat"] = Content(owner, Num(i), i % 50);
    return t;
}

// The names directly below a folder ("name", or "name\" for a folder).
std::set<std::string> TopLevel(const Tree& tree) {
    std::set<std::string> names;
    for (const auto& [path, content] : tree) {
        const auto cut = path.find('\\');
        if (cut == std::string::npos || cut == path.size() - 1) names.insert(path);
    }
    return names;
}

class Switch : public Scenario {
protected:
    std::string live() { return Live("書類"); }
    std::string memo() { return Live("メモ.txt"); }
    std::string Ini(const std::string& start) {
        return "[Start]\n" + start + FileSection({{"F1", live() + "\\"}, {"F2", memo()}});
    }
};

// Two starts with quoted names: "A" after nobody, then "B" after "A". The
// second saves A's latest files byte for byte and puts B's stored copies in
// place, exactly: what B's copy does not hold is gone from the live folder.
TEST_F(Switch, TwoQuotedStartsSaveAAndPutBInPlace) {
    ASSERT_TRUE(inst().WriteIni(Ini("Started=1\nStatus=1\n")));
    ASSERT_TRUE(inst().MakeDataStore());
    Tree original = Docs("初期", kBulk);
    original["readme.txt"] = Content("初期", "readme");
    ASSERT_TRUE(WriteTree(live(), original));
    ASSERT_TRUE(WriteBytes(memo(), Content("初期", "メモ")));

    // First start, as A: the copies in place become the common ones and A
    // starts from them.
    {
        Process p;
        ASSERT_TRUE(Start(p, "\"A\""));
        RunResult r = RunToEnd(p, kRun, Shot("first"));
        ASSERT_TRUE(r.ended) << "the first run does not end";
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);
    }
    EXPECT_EQ(inst().IniValue("Last", "User"), std::optional<std::string>("A"));
    EXPECT_EQ(TreeDifference(original, ReadTree(inst().StorePath("All Users", "F1"))), "");
    EXPECT_EQ(TreeDifference(original, ReadTree(live())), "") << "A's first start changed the live folder";

    // A works: changes a file, adds files and an empty folder, deletes one.
    Tree a = ReadTree(live());
    a["日本語のファイル名.txt"] = Content("A", "日本語のファイル名.txt", 5000);
    a["sub\\Aの追加.txt"] = Content("A", "追加");
    a["空のフォルダ\\"] = "";
    a.erase("sub\\bulk\\0003.dat");
    ASSERT_TRUE(RemoveTree(live() + "\\sub\\bulk\\0003.dat"));
    ASSERT_TRUE(WriteTree(live(), a));
    const std::string aMemo = Content("A", "メモ", 100);
    ASSERT_TRUE(WriteBytes(memo(), aMemo));
    ASSERT_EQ(TreeDifference(a, ReadTree(live())), "");

    // B has been here before: B's stored copies differ in every way.
    Tree b = Docs("B", kBulk);
    b["Bだけ.txt"] = Content("B", "Bだけ");
    ASSERT_TRUE(WriteTree(inst().StorePath("B", "F1"), b));
    const std::string bMemo = Content("B", "メモ", 10);
    ASSERT_TRUE(WriteTree(inst().StorePath("B", "F2"), {{"メモ.txt", bMemo}}));

    // Second start, as B, watched while it switches.
    Process p;
    ASSERT_TRUE(Start(p, "\"B\"", /*waitIdle=*/false));
    const HWND main = WaitForProgressWindow(p, kRun);
    ASSERT_NE(main, nullptr) << "the progress window never came on screen during the switch";
    const std::string phase = WindowTitle(GetDlgItem(main, 101));
    Screenshot(Shot("progress"));
    EXPECT_TRUE(p.Running()) << "the switch ended before the screenshot was taken";
    EXPECT_TRUE(phase == "前回のユーザの情報を保存中" || phase == "Bの情報を回復中") << phase;
    // Centred on the 1024x768 desktop.
    RECT rect;
    GetWindowRect(main, &rect);
    EXPECT_NEAR((rect.left + rect.right) / 2, 512, 2);
    EXPECT_NEAR((rect.top + rect.bottom) / 2, 384, 2);

    // Later the same window tells of B's copies being put in place.
    const bool restoring = WaitUntil(
        [&] {
            return !p.Running() || (WindowTitle(GetDlgItem(main, 101)) == "Bの情報を回復中" &&
                                    !WindowTitle(GetDlgItem(main, 102)).empty());
        },
        kRun, 5);
    EXPECT_TRUE(restoring && p.Running()) << "the restoring phase was not seen";
    Screenshot(Shot("progress-restoring"));

    RunResult r = RunToEnd(p, kRun, Shot("second"));
    ASSERT_TRUE(r.ended) << "the second run does not end";
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);

    // B's copies in place, exactly.
    EXPECT_EQ(TreeDifference(b, ReadTree(live())), "");
    std::string bytes;
    EXPECT_TRUE(ReadBytes(memo(), bytes) && bytes == bMemo) << "the listed file is not B's";
    // A's latest files in the store, byte for byte; B's and the common
    // copies untouched.
    EXPECT_EQ(TreeDifference(a, ReadTree(inst().StorePath("A", "F1"))), "");
    EXPECT_EQ(TreeDifference({{"メモ.txt", aMemo}}, ReadTree(inst().StorePath("A", "F2"))), "");
    EXPECT_EQ(TreeDifference(b, ReadTree(inst().StorePath("B", "F1"))), "");
    EXPECT_EQ(TreeDifference(original, ReadTree(inst().StorePath("All Users", "F1"))), "");
    // Recorded: B is the user in place, the run ended normally.
    EXPECT_EQ(inst().IniValue("Last", "User"), std::optional<std::string>("B"));
    EXPECT_EQ(inst().IniValue("Start", "NowUser"), std::optional<std::string>(""));
    EXPECT_EQ(inst().InPlaceOwners(), (std::map<std::string, std::string>{{"F1", "B"}, {"F2", "B"}}));
}

// A quoted name that cannot be a folder of the data store ("..\..\x" would
// leave it) is ignored: the run is the login user's, and nothing is written
// outside the store.
TEST_F(Switch, QuotedNameThatLeavesTheStoreIsIgnored) {
    ASSERT_TRUE(inst().WriteIni(Ini("Started=1\nStatus=0\n") + "[Last]\nUser=A\n"));
    ASSERT_TRUE(inst().MakeDataStore());
    const Tree a = Docs("A", 3);
    ASSERT_TRUE(WriteTree(live(), a));
    const std::string aMemo = Content("A", "メモ");
    ASSERT_TRUE(WriteBytes(memo(), aMemo));
    const Tree common = Docs("共通", 2);
    const std::string commonMemo = Content("共通", "メモ");
    ASSERT_TRUE(WriteTree(inst().StorePath("All Users", "F1"), common));
    ASSERT_TRUE(WriteTree(inst().StorePath("All Users", "F2"), {{"メモ.txt", commonMemo}}));
    const std::string work = GetConfig().work;
    ASSERT_TRUE(RemoveTree(work + "\\x"));

    Process p;
    ASSERT_TRUE(Start(p, "\"..\\..\\x\""));
    RunResult r = RunToEnd(p, kRun, Shot("box"));
    ASSERT_TRUE(r.ended);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);

    // The run was the login user's: A saved, the common copies in place.
    const std::string login = LoginName();
    EXPECT_EQ(inst().IniValue("Last", "User"), std::optional<std::string>(login));
    EXPECT_EQ(TreeDifference(a, ReadTree(inst().StorePath("A", "F1"))), "");
    EXPECT_EQ(TreeDifference({{"メモ.txt", aMemo}}, ReadTree(inst().StorePath("A", "F2"))), "");
    EXPECT_EQ(TreeDifference(common, ReadTree(live())), "");
    EXPECT_EQ(inst().InPlaceOwners(), (std::map<std::string, std::string>{{"F1", login}, {"F2", login}}));

    // Nothing named x anywhere the name could have led, and nothing new
    // beside the program or in the store's root.
    EXPECT_FALSE(FileExists(work + "\\x") || FolderExists(work + "\\x"));
    EXPECT_FALSE(FolderExists(inst().Path("x")) || FolderExists(inst().dataPath() + "\\x"));
    EXPECT_EQ(TopLevel(ReadTree(inst().folder())),
              (std::set<std::string>{"Tollervy.exe", "Tollervy.ini", "Data\\"}));
    for (const auto& name : TopLevel(ReadTree(inst().dataPath())))
        EXPECT_TRUE(name == "All Users\\" || name == "A\\" || name == login + "\\" || name == "InPlace.dat" ||
                    name == "InPlace\\" || name == "Switch.log" || name == "Backup\\")
            << "unexpected in the data store: " << name;
}

}  // namespace
