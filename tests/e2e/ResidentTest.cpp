// The resident program as a person meets it: B logs on after A, the program
// stays in the notification area with B's copies in place, and when it ends
// (the icon's menu, or Windows ending the session) A's copies are back. When
// the resident program is killed instead, the next start still loses nobody's
// files.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "Scenario.h"

using namespace e2e;

namespace {

const std::vector<std::string> kKeys = {"F1", "F2"};

Tree Docs(const std::string& owner) {
    Tree t;
    t["日本語のファイル名.txt"] = Content(owner, "日本語のファイル名.txt", 2000);
    t["sub\\"] = "";
    t["sub\\深い階層.dat"] = Content(owner, "深い階層", 30000);
    for (int i = 0; i < 20; ++i) t["sub\\" + std::to_string(i) + ".dat"] = Content(owner, std::to_string(i), i);
    return t;
}

class Resident : public Scenario {
protected:
    std::string live() { return Live("書類"); }
    std::string memo() { return Live("メモ.txt"); }

    // A's copies in place and [Last] User = A; B's and C's copies stored.
    void SetUpUsers(const std::string& start) {
        ASSERT_TRUE(inst().WriteIni("[Start]\n" + start + "[Last]\nUser=A\n" +
                                    FileSection({{"F1", live() + "\\"}, {"F2", memo()}})));
        ASSERT_TRUE(inst().MakeDataStore());
        ASSERT_TRUE(WriteTree(live(), a));
        ASSERT_TRUE(WriteBytes(memo(), aMemo));
        for (const std::string user : {"B", "C"}) {
            ASSERT_TRUE(WriteTree(inst().StorePath(user, "F1"), Docs(user)));
            ASSERT_TRUE(WriteTree(inst().StorePath(user, "F2"), {{"メモ.txt", Content(user, "メモ")}}));
        }
    }

    // Starts the program as B and waits until it rests with B's copies in
    // place; the main window or nullptr.
    HWND StartB(Process& p) {
        if (!Start(p, "\"B\"")) return nullptr;
        HWND main = WaitResident(p, kKeys, "B");
        if (!main) return nullptr;
        EXPECT_EQ(TreeDifference(Docs("B"), ReadTree(live())), "") << "B's copies are not in place";
        EXPECT_EQ(MemoNow(), Content("B", "メモ"));
        // The start-time user stays recorded, for the exit to put back.
        EXPECT_EQ(inst().IniValue("Last", "User"), std::optional<std::string>("A"));
        return main;
    }

    // B works while the program is resident.
    Tree BWorks() {
        Tree b = Docs("B");
        b["日本語のファイル名.txt"] = Content("B", "書き直した", 4000);
        b["sub\\Bの新しいファイル.txt"] = Content("B", "新しい");
        EXPECT_TRUE(WriteTree(live(), b));
        EXPECT_TRUE(WriteBytes(memo(), bMemo));
        return b;
    }

    std::string MemoNow() {
        std::string bytes;
        return ReadBytes(memo(), bytes) ? bytes : "(missing)";
    }

    // What every end of B's resident session leaves: A's copies in place,
    // B's latest in B's store, the record and the settings file telling so.
    void ExpectAsBeforeB(const Tree& b) {
        EXPECT_EQ(TreeDifference(a, ReadTree(live())), "") << "A's copies are not back";
        EXPECT_EQ(MemoNow(), aMemo);
        EXPECT_EQ(TreeDifference(b, ReadTree(inst().StorePath("B", "F1"))), "") << "B's work is not saved";
        EXPECT_EQ(TreeDifference({{"メモ.txt", bMemo}}, ReadTree(inst().StorePath("B", "F2"))), "");
        EXPECT_EQ(inst().InPlaceOwners(), (std::map<std::string, std::string>{{"F1", "A"}, {"F2", "A"}}));
        EXPECT_EQ(inst().IniValue("Last", "User"), std::optional<std::string>("A"));
    }

    const Tree a = Docs("A");
    const std::string aMemo = Content("A", "メモ", 100);
    const std::string bMemo = Content("B", "メモ", 300);
};

// The icon's menu: a right click on the icon opens "設定" / "終了"; "終了"
// takes the icon away and puts A's copies back before the program ends.
// When the shell comes back after losing its icons, the program's icon
// comes back too.
TEST_F(Resident, TheIconsMenuEndsTheProgramAndPutsTheStartTimeCopiesBack) {
    ASSERT_NO_FATAL_FAILURE(SetUpUsers("Started=1\nStatus=1\nAllWay=1\nTask=1\n"));
    Process p;
    ASSERT_NE(StartB(p), nullptr);
    HWND menuOwner = p.FindWindowTitled(L"#32770", "Menu");
    ASSERT_NE(menuOwner, nullptr) << "no window owns the icon";
    EXPECT_FALSE(IsWindowVisible(menuOwner));
    EXPECT_TRUE(TrayHasIcon(menuOwner, 1));
    EXPECT_EQ(TrayIconCount(), 1);
    const Tree b = BWorks();

    // The shell loses its icons and starts again: the icon is added anew.
    ASSERT_TRUE(DropTrayIcon(menuOwner, 1));
    ASSERT_FALSE(TrayHasIcon(menuOwner, 1));
    AnnounceTaskbarCreated();
    EXPECT_TRUE(WaitUntil([&] { return TrayHasIcon(menuOwner, 1); }, kWait)) << "the icon did not come back";

    // A right click on the icon opens the menu; a click elsewhere closes it
    // and the program stays.
    POINT at;
    ASSERT_TRUE(WaitUntil([&] { return OnlyTrayIconPoint(at); }, kWait)) << "the taskbar shows no icon";
    HWND menu = OpenIconMenu(p, at);
    ASSERT_NE(menu, nullptr) << "no menu at the icon";
    ASSERT_TRUE(ClickAt(200, 200));
    EXPECT_TRUE(WaitWindowGone(menu, kWait)) << "the menu stays after a click elsewhere";
    EXPECT_TRUE(p.Running());
    EXPECT_EQ(inst().InPlaceOwners(), (std::map<std::string, std::string>{{"F1", "B"}, {"F2", "B"}}));

    menu = OpenIconMenu(p, at);
    ASSERT_NE(menu, nullptr) << "no menu at the icon";
    LetPaint(menu);
    Screenshot(Shot("menu"));
    ASSERT_TRUE(ClickMenuItem(menu, 1, 2));  // "終了"

    RunResult r = RunToEnd(p, kRun, Shot("exit"));
    ASSERT_TRUE(r.ended) << "the program did not end from its menu";
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);
    ExpectAsBeforeB(b);
    EXPECT_EQ(inst().IniValue("Start", "NowUser"), std::optional<std::string>(""));
    EXPECT_FALSE(TrayHasIcon(menuOwner, 1)) << "the icon was left in the notification area";
    Screenshot(Shot("ended"));
}

// The icon's "設定" opens the settings dialog and takes the icon down while
// it is open; closing the dialog leaves the program resident with its icon
// back, and the menu's "終了" still puts A's copies back.
TEST_F(Resident, TheIconsSettingsOpenTheDialogAndClosingItReturnsToTheIcon) {
    ASSERT_NO_FATAL_FAILURE(SetUpUsers("Started=1\nStatus=0\nAllWay=1\nTask=1\n"));
    ASSERT_TRUE(inst().SetIniValue("Last", "Message", "0"));
    Process p;
    ASSERT_NE(StartB(p), nullptr);
    HWND menuOwner = p.FindWindowTitled(L"#32770", "Menu");
    ASSERT_NE(menuOwner, nullptr);
    const Tree b = BWorks();
    POINT at;
    ASSERT_TRUE(WaitUntil([&] { return OnlyTrayIconPoint(at); }, kWait)) << "the taskbar shows no icon";

    HWND menu = OpenIconMenu(p, at);
    ASSERT_NE(menu, nullptr) << "no menu at the icon";
    ASSERT_TRUE(ClickMenuItem(menu, 0, 2));  // "設定"
    HWND dialog = WaitForDialog(p, "Tollervy - [設定]", kWait);
    ASSERT_NE(dialog, nullptr) << "the settings dialog did not open";
    EXPECT_FALSE(TrayHasIcon(menuOwner, 1)) << "the icon stays while the dialog is open";
    LetPaint(dialog);
    Screenshot(Shot("dialog"));
    // Nothing was switched by opening it.
    EXPECT_EQ(inst().InPlaceOwners(), (std::map<std::string, std::string>{{"F1", "B"}, {"F2", "B"}}));

    ASSERT_TRUE(PostClick(dialog, 403));  // キャンセル
    EXPECT_TRUE(WaitWindowGone(dialog, kWait));
    EXPECT_TRUE(WaitUntil([&] { return TrayHasIcon(menuOwner, 1); }, kWait)) << "the icon did not come back";
    EXPECT_TRUE(p.Running());
    EXPECT_EQ(TreeDifference(b, ReadTree(live())), "") << "B's work changed while the dialog was open";

    ASSERT_TRUE(WaitUntil([&] { return OnlyTrayIconPoint(at); }, kWait));
    menu = OpenIconMenu(p, at);
    ASSERT_NE(menu, nullptr) << "no menu at the icon after the dialog";
    ASSERT_TRUE(ClickMenuItem(menu, 1, 2));  // "終了"
    RunResult r = RunToEnd(p, kRun, Shot("exit"));
    ASSERT_TRUE(r.ended) << "the program did not end from its menu";
    EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);
    ExpectAsBeforeB(b);
}

// Windows ends the session: the resident program puts A's copies back while
// it handles the end of the session, before Windows may end the process.
TEST_F(Resident, TheEndOfTheWindowsSessionPutsTheStartTimeCopiesBackFirst) {
    ASSERT_NO_FATAL_FAILURE(SetUpUsers("Started=1\nStatus=0\nAllWay=1\nTask=1\n"));
    Process p;
    ASSERT_NE(StartB(p), nullptr);
    const Tree b = BWorks();

    // As Windows does at log-off: first the question to every top-level
    // window, then the end, each answered before the next.
    const auto windows = p.AllWindows();
    ASSERT_FALSE(windows.empty());
    for (HWND w : windows) {
        DWORD_PTR mayEnd = 0;
        ASSERT_TRUE(SendMessageTimeoutW(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, kWait, &mayEnd));
        EXPECT_NE(mayEnd, 0u) << "a window refused the end of the session";
    }
    for (HWND w : windows) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, kRun, &ignored);
    }
    // Whatever the process does next, Windows may end it now: the files
    // must already be A's.
    p.Kill();
    ExpectAsBeforeB(b);
}

// The resident program is killed with B's copies in place (a crash, a power
// cut). C starts next: A's and B's files end up in their own stores, C's in
// place.
TEST_F(Resident, KilledWithBsCopiesInPlaceThenCStartsAndNobodysFilesAreLost) {
    ASSERT_NO_FATAL_FAILURE(SetUpUsers("Started=1\nStatus=0\nAllWay=1\nTask=1\n"));
    {
        Process p;
        ASSERT_NE(StartB(p), nullptr);
        const Tree b = BWorks();
        p.Kill();
        ASSERT_TRUE(p.WaitExit(kWait));
        EXPECT_EQ(inst().IniValue("Start", "NowUser"), std::optional<std::string>(LoginName()))
            << "the killed run left no sign of its abnormal end";
        EXPECT_EQ(inst().IniValue("Last", "User"), std::optional<std::string>("A"));

        ASSERT_TRUE(inst().SetIniValue("Start", "AllWay", "0"));
        Process c;
        ASSERT_TRUE(Start(c, "\"C\""));
        RunResult r = RunToEnd(c, kRun, Shot("c"));
        ASSERT_TRUE(r.ended) << "C's run does not end";
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);

        EXPECT_EQ(TreeDifference(b, ReadTree(inst().StorePath("B", "F1"))), "") << "B's work is lost";
        EXPECT_EQ(TreeDifference({{"メモ.txt", bMemo}}, ReadTree(inst().StorePath("B", "F2"))), "");
    }
    EXPECT_EQ(TreeDifference(a, ReadTree(inst().StorePath("A", "F1"))), "") << "A's files are lost";
    EXPECT_EQ(TreeDifference({{"メモ.txt", aMemo}}, ReadTree(inst().StorePath("A", "F2"))), "");
    EXPECT_EQ(TreeDifference(Docs("C"), ReadTree(live())), "") << "C's copies are not in place";
    EXPECT_EQ(MemoNow(), Content("C", "メモ"));
    EXPECT_EQ(TreeDifference(Docs("C"), ReadTree(inst().StorePath("C", "F1"))), "");
    EXPECT_EQ(inst().IniValue("Last", "User"), std::optional<std::string>("C"));
    EXPECT_EQ(inst().IniValue("Start", "NowUser"), std::optional<std::string>(""));
    EXPECT_EQ(inst().InPlaceOwners(), (std::map<std::string, std::string>{{"F1", "C"}, {"F2", "C"}}));
}

}  // namespace
