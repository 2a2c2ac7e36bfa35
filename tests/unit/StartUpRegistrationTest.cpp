// Start-up registration: which Start-up folders are offered and ticked, how
// the shortcut is made on each road and removed, and how a save turns the
// rows into shortcuts and [StartUp] lines, also when it fails part way.
#include <gtest/gtest.h>

#include "Desk.h"
#include "shell/StartUpRegistration.h"

namespace tollervy {
namespace {

constexpr unsigned Stop = 16 + 4096;
constexpr unsigned Info = 64 + 4096;
const std::string Profiles = "C:\\Documents and Settings\\";
const std::string Tail = "\\スタート メニュー\\プログラム\\スタートアップ";
const std::string Exe = "C:\\Program Files\\Tollervy\\Tollervy.exe";
const std::string Programs = "C:\\Documents and Settings\\Taro\\スタート メニュー\\プログラム";
const std::string Recent = "C:\\Documents and Settings\\Taro\\Recent";

std::string StartUpOf(const std::string& profile) { return Profiles + profile + Tail; }

// A shortcut as the shell would leave it.
void AddShortcut(Desk& d, const std::string& folder, const std::string& target, const std::string& name = "Tollervy.lnk") {
    d.p.fs.AddFile(folder + "\\" + name, fakes::FakeShell::ShortcutContent(target, ""));
}

std::string TargetOf(Desk& d, const std::string& link) {
    std::string target;
    if (!d.p.shell.ShortcutTarget(link, target)) return "<none>";
    return target;
}

// One row as the test reads it: path, wanted tick, tick on disk, added.
struct Row {
    std::string path, wanted, onDisk;
    bool added = false;
    bool operator==(const Row&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Row& r) {
    return os << "{" << r.path << ", " << r.wanted << ", " << r.onDisk << ", " << r.added << "}";
}

std::vector<Row> RowsOf(const GrobalMod& s) {
    std::vector<Row> rows;
    EXPECT_EQ(s.StartUpCount, s.StartUpPathCount);
    EXPECT_EQ(s.StartUpPathList.size(), static_cast<std::size_t>(s.StartUpPathCount) + 1) << "one spare slot";
    for (int i = 0; i < s.StartUpPathCount && i < s.StartUpCount; ++i) {
        const StartUpEntry& row = s.StartUpPathList[static_cast<std::size_t>(i)];
        const StartUpEntry& disk = s.StartUpList[static_cast<std::size_t>(i)];
        EXPECT_EQ(row.Path, disk.Path);
        EXPECT_EQ(row.UserAdded, disk.UserAdded);
        rows.push_back({row.Path, row.Registered, disk.Registered, row.UserAdded});
    }
    return rows;
}

// --- Scanning ---------------------------------------------------------------

struct ScanCase {
    const char* name;
    std::string started;
    std::string common;                  // CSIDL_COMMON_STARTUP
    std::string user;                    // CSIDL_STARTUP
    std::vector<std::string> profiles;   // profile folders with a Start-up folder
    std::vector<std::string> startUpLines;
    std::vector<std::string> ours;       // folders holding this program's shortcut
    std::vector<std::string> foreign;    // folders holding a Tollervy.lnk to another file
    std::vector<Row> rows;
    std::vector<std::string> names;      // ProfileUserNames
};

TEST(StartUpScan, FoldersTicksAndProfileNames) {
    const std::string common = StartUpOf("All Users");
    const std::string newCommon = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp";
    std::vector<std::string> twelve;
    for (int i = 1; i <= 11; ++i) twelve.push_back("User" + std::string(i < 10 ? "0" : "") + std::to_string(i));
    // Listing order: Taro before User01.
    std::vector<Row> twelveRows = {{common, "1", "0", false}, {StartUpOf("Taro"), "0", "0", false}};
    for (const std::string& n : twelve) twelveRows.push_back({StartUpOf(n), "0", "0", false});
    std::vector<std::string> twelveNames = {"Taro"};
    twelveNames.insert(twelveNames.end(), twelve.begin(), twelve.end());

    const ScanCase cases[] = {
        {"first run with a common folder: the common folder alone is proposed",
         "0", common, StartUpOf("Taro"), {"All Users", "Default User", "Hanako", "Taro"}, {}, {}, {},
         {{common, "1", "0", false},
          {StartUpOf("Default User"), "0", "0", false},
          {StartUpOf("Hanako"), "0", "0", false},
          {StartUpOf("Taro"), "0", "0", false}},
         {"Hanako", "Taro"}},
        {"first run without a common folder: every profile is proposed",
         "0", newCommon, StartUpOf("Taro"), {"Default User", "Hanako", "Taro"}, {}, {}, {},
         {{StartUpOf("Default User"), "1", "0", false},
          {StartUpOf("Hanako"), "1", "0", false},
          {StartUpOf("Taro"), "1", "0", false}},
         {"Hanako", "Taro"}},
        {"first run with no common folder at all",
         "0", "", StartUpOf("Taro"), {"Taro"}, {}, {}, {},
         {{StartUpOf("Taro"), "1", "0", false}}, {"Taro"}},
        {"later runs: the shortcuts on disk decide, in both lists",
         "1", common, StartUpOf("Taro"), {"All Users", "Hanako", "Taro"}, {}, {common, StartUpOf("Taro")}, {},
         {{common, "1", "1", false}, {StartUpOf("Hanako"), "0", "0", false}, {StartUpOf("Taro"), "1", "1", false}},
         {"Hanako", "Taro"}},
        {"a shortcut of the program's name to another file is not this program's",
         "1", common, StartUpOf("Taro"), {"Taro"}, {}, {}, {common, StartUpOf("Taro")},
         {{common, "0", "0", false}, {StartUpOf("Taro"), "0", "0", false}}, {"Taro"}},
        {"twelve profiles",
         "0", common, StartUpOf("Taro"), [&] { auto v = twelve; v.push_back("Taro"); return v; }(), {}, {}, {},
         twelveRows, twelveNames},
        {"fewer than four backslashes: the user's folder alone",
         "0", newCommon, "C:\\Boot\\Menu\\StartUp", {"Hanako", "Taro"}, {}, {}, {},
         {{"C:\\Boot\\Menu\\StartUp", "1", "0", false}}, {}},
        {"exactly four backslashes: the profiles root is the drive's root",
         "1", newCommon, "C:\\Taro\\Menu\\Programs\\StartUp", {}, {}, {"C:\\Taro\\Menu\\Programs\\StartUp"}, {},
         {{"C:\\Taro\\Menu\\Programs\\StartUp", "1", "1", false}}, {"Taro"}},
        {"[StartUp] lines with and without =1; their ticks come from disk even on the first run",
         "0", common, StartUpOf("Taro"), {"Taro"}, {"D:\\Boot=1", "D:\\Other", "D:\\Boot=10"}, {"D:\\Boot"}, {"D:\\Other"},
         {{common, "1", "0", false},
          {StartUpOf("Taro"), "0", "0", false},
          {"D:\\Boot", "1", "1", true},
          {"D:\\Other", "0", "0", true},
          {"D:\\Boot=10", "0", "0", true}},
         {"Taro"}},
    };
    for (const ScanCase& k : cases) {
        SCOPED_TRACE(k.name);
        Desk d;
        d.p.fs.AddDrive("D:");
        d.p.shell.specialFolders[platform::CsidlCommonStartup] = k.common;
        d.p.shell.specialFolders[platform::CsidlStartup] = k.user;
        if (!k.common.empty()) d.p.fs.AddFolder(k.common);
        d.p.fs.AddFolder(k.user);
        for (const std::string& p : k.profiles) d.p.fs.AddFolder(StartUpOf(p));
        if (!k.startUpLines.empty()) {
            // As written by hand: lines with and without "=".
            std::string section = "[StartUp]\r\n";
            for (const std::string& line : k.startUpLines) section += line + "\r\n";
            d.p.fs.AddFile(Desk::Ini_, section);
        }
        for (const std::string& f : k.ours) AddShortcut(d, f, Exe);
        for (const std::string& f : k.foreign) AddShortcut(d, f, "C:\\Old\\Tollervy.exe");
        d.state.StartStarted = k.started;

        ScanStartUpFolders(d.p.context);

        EXPECT_EQ(RowsOf(d.state), k.rows);
        EXPECT_EQ(d.state.ProfileUserNames, k.names);
        EXPECT_EQ(d.p.messages.Count(), 0u);
    }
}

TEST(StartUpScan, DebugShowsTheUserAndEveryProfileWithoutAStartUpFolder) {
    Desk d;
    d.state.StartDebug = "1";
    d.state.StartStarted = "1";
    d.p.fs.AddFolder(Profiles + "NoMenu");
    d.p.fs.AddFile(Profiles + "desktop.ini", "x", platform::AttrHidden);
    d.p.messages.Expect(1);
    d.p.messages.Expect(1);
    d.p.messages.Expect(1);

    ScanStartUpFolders(d.p.context);

    const auto& boxes = d.p.messages.Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, "Taro\r\n" + StartUpOf("Taro"));
    EXPECT_EQ(boxes[0].style, Info);
    // A hidden entry of the profiles root is looked at too.
    EXPECT_EQ(boxes[1].text, Profiles + "desktop.ini" + Tail + "\r\nスタートアップ関連取得失敗");
    EXPECT_EQ(boxes[1].style, Stop);
    EXPECT_EQ(boxes[2].text, Profiles + "NoMenu" + Tail + "\r\nスタートアップ関連取得失敗");
    EXPECT_EQ(d.state.ProfileUserNames, std::vector<std::string>{"Taro"});
}

// --- Making and removing the shortcut -----------------------------------------

TEST(StartUpShortcut, OnXpItIsMadeInProgramsAndMovedIntoTheFolder) {
    Desk d;
    d.state.OsVersionTag = "XP";
    const std::string folder = StartUpOf("Taro");
    ASSERT_TRUE(MakeStartUpShortcut(d.p.context, folder));
    ASSERT_EQ(d.p.shell.shortcuts.size(), 1u);
    EXPECT_EQ(d.p.shell.shortcuts[0].link, Programs + "\\Tollervy.LNK");
    EXPECT_EQ(d.p.shell.shortcuts[0].target, Exe);
    EXPECT_EQ(d.p.shell.shortcuts[0].arguments, "");
    EXPECT_FALSE(d.p.fs.Exists(Programs + "\\Tollervy.LNK"));
    EXPECT_EQ(d.p.fs.StoredPath(folder + "\\Tollervy.lnk"), folder + "\\Tollervy.LNK");
    EXPECT_TRUE(IsRegisteredIn(d.p.context, folder));
    EXPECT_TRUE(d.p.shell.recentDocs.empty());
}

TEST(StartUpShortcut, OnXpFailuresAreFalseWithTheirDiagnostics) {
    struct Case {
        const char* name;
        bool shellFails;
        bool destinationFails;
        std::string debug;
    } cases[] = {
        {"the link object fails", true, false, "ショートカットの作成失敗 0"},
        {"the move fails", false, true, "ショートカットの移動失敗"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Desk d;
        d.state.OsVersionTag = "XP";
        d.state.StartDebug = "1";
        const std::string folder = StartUpOf("Taro");
        d.p.shell.shortcutFails = k.shellFails;
        if (k.destinationFails) {
            d.p.fs.FailPath(folder + "\\Tollervy.LNK");
            d.p.messages.Expect(1);  // the copy's own diagnostic
        }
        d.p.messages.Expect(k.debug, 1);
        EXPECT_FALSE(MakeStartUpShortcut(d.p.context, folder));
        EXPECT_FALSE(d.p.fs.Exists(Programs + "\\Tollervy.LNK")) << "nothing is left in the menu";
        EXPECT_FALSE(d.p.fs.Exists(folder + "\\Tollervy.LNK"));
        EXPECT_EQ(d.p.messages.Last().style, Info);
    }
}

TEST(StartUpShortcut, OnXpAMenuEntryOfTheSameNameIsLeftWhereItIs) {
    Desk d;
    d.state.OsVersionTag = "XP";
    AddShortcut(d, Programs, "C:\\Setup\\Tollervy.exe");
    const std::string folder = StartUpOf("Taro");
    ASSERT_TRUE(MakeStartUpShortcut(d.p.context, folder));
    EXPECT_EQ(TargetOf(d, Programs + "\\Tollervy.lnk"), "C:\\Setup\\Tollervy.exe");
    EXPECT_EQ(TargetOf(d, folder + "\\Tollervy.lnk"), Exe);
}

TEST(StartUpShortcut, OtherWindowsCopyTheRecentListsShortcut) {
    struct Case {
        const char* name;
        std::string already;      // a recent-list shortcut there before ("" none)
        std::string alreadyTarget;
        bool shellMakesOne;       // the shell writes one at once
        int appearsAfterSleeps;   // or later (0: never)
        bool ok;
        std::string debug;        // "" none
        int sleeps;
        bool added;               // AddToRecentDocs called
    } cases[] = {
        {"already there as name.exe.lnk: no new recent entry", "Tollervy.exe.lnk", Exe, true, 0, true, "", 0, false},
        {"already there as name.lnk", "Tollervy.lnk", Exe, true, 0, true, "", 0, false},
        {"made by the shell at once", "", "", true, 0, true, "1回目\r\n" + Recent + "\\Tollervy.exe.lnk", 0, true},
        {"made by the shell after seven pauses", "", "", false, 7, true, "8回目\r\n" + Recent + "\\Tollervy.exe.lnk", 7,
         true},
        {"never made: 100 looks, 50 ms apart", "", "", false, 0, false, "101回目\r\n", 100, true},
        {"one of another copy of the program is not used", "Tollervy.exe.lnk", "D:\\Old\\Tollervy.exe", false, 0, false,
         "101回目\r\n", 100, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Desk d;
        d.state.OsVersionTag = "2000";
        d.state.StartDebug = "1";
        const std::string folder = StartUpOf("Taro");
        if (!k.already.empty()) AddShortcut(d, Recent, k.alreadyTarget, k.already);
        d.p.shell.recentMakesShortcut = k.shellMakesOne;
        if (k.appearsAfterSleeps > 0)
            d.p.system.onSleep = [&d, &k](unsigned) {
                if (d.p.system.sleeps == k.appearsAfterSleeps) AddShortcut(d, Recent, Exe, "Tollervy.exe.lnk");
            };
        if (!k.debug.empty()) d.p.messages.Expect(k.debug, 1);

        EXPECT_EQ(MakeStartUpShortcut(d.p.context, folder), k.ok);

        if (!k.debug.empty()) {
            EXPECT_EQ(d.p.messages.Last().text, k.debug);
        }
        EXPECT_EQ(d.p.system.sleeps, k.sleeps);
        EXPECT_EQ(d.p.system.sleptMilliseconds, 50u * static_cast<unsigned>(k.sleeps));
        EXPECT_EQ(d.p.shell.recentDocs.size(), k.added ? 1u : 0u);
        EXPECT_TRUE(d.p.shell.shortcuts.empty()) << "no link object on this road";
        EXPECT_EQ(IsRegisteredIn(d.p.context, folder), k.ok);
        if (k.ok) {
            EXPECT_TRUE(d.p.fs.Exists(Recent + "\\" + (k.already.empty() ? "Tollervy.exe.lnk" : k.already)))
                << "the recent entry stays";
        }
    }
}

TEST(StartUpShortcut, RemovingOneAlreadyGoneSucceeds) {
    Desk d;
    const std::string folder = StartUpOf("Taro");
    EXPECT_TRUE(RemoveStartUpShortcut(d.p.context, folder));
    AddShortcut(d, folder, Exe);
    EXPECT_TRUE(RemoveStartUpShortcut(d.p.context, folder));
    EXPECT_FALSE(d.p.fs.Exists(folder + "\\Tollervy.lnk"));
}

// --- Applying the rows --------------------------------------------------------

// A scanned page of a set-up XP machine: the common folder, Hanako's and
// Taro's Start-up folders and the added folders D:\A and D:\B.
struct Applied {
    Desk d;
    GrobalMod& s = d.state;
    Applied() {
        d.p.fs.AddDrive("D:");
        d.p.fs.AddFolder(StartUpOf("Hanako"));
        for (const char* f : {"D:\\A", "D:\\B"}) {
            d.p.fs.AddFolder(f);
            d.Ini("StartUp", f, "1");
        }
        s.StartStarted = "1";
        s.OsVersionTag = "XP";
    }
    void Scan() { ScanStartUpFolders(d.p.context); }
    // Row index by path.
    StartUpEntry& Row(const std::string& path) {
        for (int i = 0; i < s.StartUpPathCount; ++i)
            if (s.StartUpPathList[static_cast<std::size_t>(i)].Path == path) return s.StartUpPathList[static_cast<std::size_t>(i)];
        ADD_FAILURE() << "no row " << path;
        return s.StartUpPathList.back();
    }
    void RemoveRow(const std::string& path) {
        for (int i = 0; i < s.StartUpPathCount; ++i)
            if (s.StartUpPathList[static_cast<std::size_t>(i)].Path == path) {
                s.StartUpPathList.erase(s.StartUpPathList.begin() + i);
                --s.StartUpPathCount;
                return;
            }
        ADD_FAILURE() << "no row " << path;
    }
    void AddRow(const std::string& path) {
        s.StartUpPathList.insert(s.StartUpPathList.begin() + s.StartUpPathCount, StartUpEntry{path, "1", true});
        ++s.StartUpPathCount;
    }
    bool Apply() { return ApplyStartUpRegistration(d.p.context); }
    bool Has(const std::string& folder) { return IsRegisteredIn(d.p.context, folder); }
    std::vector<std::string> DiskPaths() {
        std::vector<std::string> paths;
        for (int i = 0; i < s.StartUpCount; ++i) paths.push_back(s.StartUpList[static_cast<std::size_t>(i)].Path);
        return paths;
    }
};

TEST(StartUpApply, TicksBecomeShortcutsAndUnticksRemoveThem) {
    Applied a;
    const std::string common = StartUpOf("All Users");
    AddShortcut(a.d, StartUpOf("Taro"), Exe);
    a.Scan();
    a.Row(common).Registered = "1";
    a.Row(StartUpOf("Taro")).Registered = "0";
    a.Row("D:\\B").Registered = "1";

    ASSERT_TRUE(a.Apply());
    EXPECT_TRUE(a.Has(common));
    EXPECT_FALSE(a.d.p.fs.Exists(StartUpOf("Taro") + "\\Tollervy.lnk"));
    EXPECT_TRUE(a.Has("D:\\B"));
    EXPECT_FALSE(a.Has("D:\\A"));
    EXPECT_EQ(a.d.p.shell.shortcuts.size(), 2u);
    for (int i = 0; i < a.s.StartUpCount; ++i)
        EXPECT_EQ(a.s.StartUpList[static_cast<std::size_t>(i)].Registered,
                  a.s.StartUpPathList[static_cast<std::size_t>(i)].Registered);

    // Nothing differs now: a second save touches nothing.
    a.d.p.fs.ResetCounts();
    ASSERT_TRUE(a.Apply());
    EXPECT_EQ(a.d.p.shell.shortcuts.size(), 2u);
    EXPECT_EQ(a.d.p.fs.Mutations(), 0);
}

TEST(StartUpApply, UntickingAShortcutDeletedByHandSucceeds) {
    Applied a;
    AddShortcut(a.d, StartUpOf("Taro"), Exe);
    a.Scan();
    a.d.p.fs.Remove(StartUpOf("Taro") + "\\Tollervy.lnk");
    a.Row(StartUpOf("Taro")).Registered = "0";
    EXPECT_TRUE(a.Apply());
    EXPECT_EQ(a.d.p.messages.Count(), 0u);
}

TEST(StartUpApply, ATickOnAForeignShortcutReplacesIt) {
    Applied a;
    AddShortcut(a.d, StartUpOf("Taro"), "C:\\Old\\Tollervy.exe");
    a.Scan();
    ASSERT_EQ(a.Row(StartUpOf("Taro")).Registered, "0");
    // Left unticked it is not ours to delete.
    ASSERT_TRUE(a.Apply());
    EXPECT_EQ(TargetOf(a.d, StartUpOf("Taro") + "\\Tollervy.lnk"), "C:\\Old\\Tollervy.exe");
    a.Row(StartUpOf("Taro")).Registered = "1";
    ASSERT_TRUE(a.Apply());
    EXPECT_EQ(TargetOf(a.d, StartUpOf("Taro") + "\\Tollervy.lnk"), Exe);
}

TEST(StartUpApply, RemovedAndAddedFoldersFollowTheRowsAndTheSection) {
    Applied a;
    AddShortcut(a.d, "D:\\A", Exe);
    AddShortcut(a.d, "D:\\B", "C:\\Old\\Tollervy.exe");
    a.d.p.fs.AddFolder("D:\\C");
    a.d.p.fs.AddFolder("D:\\E");
    a.Scan();
    a.RemoveRow("D:\\A");   // registered: its shortcut goes
    a.RemoveRow("D:\\B");   // not ours: its file stays
    a.AddRow("D:\\C");
    a.AddRow("D:\\E");
    a.Row("D:\\E").Registered = "0";

    ASSERT_TRUE(a.Apply());
    EXPECT_FALSE(a.d.p.fs.Exists("D:\\A\\Tollervy.lnk"));
    EXPECT_TRUE(a.d.p.fs.Exists("D:\\B\\Tollervy.lnk"));
    EXPECT_TRUE(a.Has("D:\\C"));
    EXPECT_FALSE(a.d.p.fs.Exists("D:\\E\\Tollervy.lnk"));
    EXPECT_EQ(a.d.IniValue("StartUp", "D:\\A"), "<missing>");
    EXPECT_EQ(a.d.IniValue("StartUp", "D:\\B"), "<missing>");
    EXPECT_EQ(a.d.IniValue("StartUp", "D:\\C"), "1");
    EXPECT_EQ(a.d.IniValue("StartUp", "D:\\E"), "1");
    EXPECT_EQ(a.DiskPaths(), (std::vector<std::string>{StartUpOf("All Users"), StartUpOf("Hanako"), StartUpOf("Taro"),
                                                       "D:\\C", "D:\\E"}));
    EXPECT_EQ(a.s.StartUpList.size(), 6u) << "one spare slot";

    // The next opening finds the same.
    a.Scan();
    EXPECT_EQ(a.DiskPaths(), (std::vector<std::string>{StartUpOf("All Users"), StartUpOf("Hanako"), StartUpOf("Taro"),
                                                       "D:\\C", "D:\\E"}));
    EXPECT_EQ(a.Row("D:\\C").Registered, "1");
}

TEST(StartUpApply, AFailurePartWayKeepsWhatWasDoneAndTheNextSaveRetriesOnlyTheRest) {
    Applied a;
    AddShortcut(a.d, "D:\\A", Exe);
    a.Scan();
    // Entries in order: common, Hanako, Taro, D:\A, D:\B.
    a.Row(StartUpOf("All Users")).Registered = "1";  // done before the failure
    a.RemoveRow("D:\\A");                            // dropped before the failure
    a.Row("D:\\B").Registered = "1";                 // fails
    a.AddRow("D:\\C");                               // not reached
    a.d.p.fs.AddFolder("D:\\C");
    a.d.p.fs.FailPath("D:\\B\\Tollervy.LNK");
    a.d.p.messages.Expect(1);

    EXPECT_FALSE(a.Apply());
    EXPECT_EQ(a.d.p.messages.Last().text, "ショートカットの作成に失敗しました\r\n\r\n3");
    EXPECT_EQ(a.d.p.messages.Last().style, Stop);
    EXPECT_EQ(a.Row("D:\\B").Registered, "0") << "the failed row shows unticked";
    EXPECT_TRUE(a.Has(StartUpOf("All Users")));
    EXPECT_FALSE(a.d.p.fs.Exists("D:\\A\\Tollervy.lnk"));
    EXPECT_EQ(a.d.IniValue("StartUp", "D:\\A"), "<missing>");
    EXPECT_EQ(a.DiskPaths(), (std::vector<std::string>{StartUpOf("All Users"), StartUpOf("Hanako"), StartUpOf("Taro"),
                                                       "D:\\B"}));
    EXPECT_EQ(a.s.StartUpList[0].Registered, "1");
    EXPECT_EQ(a.s.StartUpList[3].Registered, "0");
    EXPECT_FALSE(a.Has("D:\\C"));
    EXPECT_EQ(a.d.IniValue("StartUp", "D:\\C"), "<missing>");

    // The next save does only what is still different: the added folder
    // (the failed row now shows unticked, as on disk).
    a.d.p.fs.ClearFaults();
    const std::size_t made = a.d.p.shell.shortcuts.size();
    a.d.p.fs.ResetCounts();
    ASSERT_TRUE(a.Apply());
    EXPECT_EQ(a.d.p.shell.shortcuts.size(), made + 1);
    EXPECT_EQ(a.d.p.fs.Calls(fakes::FakeFileSystem::Op::Delete), 1) << "only the moved shortcut's source";
    EXPECT_TRUE(a.Has("D:\\C"));
    EXPECT_FALSE(a.Has("D:\\B"));
    EXPECT_EQ(a.d.IniValue("StartUp", "D:\\C"), "1");
}

TEST(StartUpApply, ARemovalThatFailsNamesTheShortcut) {
    struct Case {
        const char* name;
        bool removeRow;
    } cases[] = {{"unticked", false}, {"removed from the page", true}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Applied a;
        AddShortcut(a.d, "D:\\A", Exe);
        a.Scan();
        if (k.removeRow) a.RemoveRow("D:\\A");
        else a.Row("D:\\A").Registered = "0";
        a.d.p.fs.FailPath("D:\\A\\Tollervy.lnk", true, 5, fakes::FakeFileSystem::Op::Delete);
        a.d.p.messages.Expect(1);
        EXPECT_FALSE(a.Apply());
        EXPECT_EQ(a.d.p.messages.Last().text, "削除に失敗しました\r\n\r\nD:\\A\\Tollervy.lnk");
        EXPECT_EQ(a.d.IniValue("StartUp", "D:\\A"), "1") << "the line stays while the shortcut does";
        EXPECT_EQ(a.DiskPaths().size(), 5u);
    }
}

TEST(StartUpApply, AnAddedFolderWhoseShortcutCannotBeMadeSaysSoAndIsRetried) {
    Applied a;
    a.d.p.fs.AddFolder("D:\\C");
    a.Scan();
    a.AddRow("D:\\C");
    a.d.p.fs.FailPath("D:\\C\\Tollervy.LNK");
    a.d.p.messages.Expect(1);

    EXPECT_FALSE(a.Apply());
    EXPECT_EQ(a.d.p.messages.Last().text, "ショートカットの作成に失敗しました\r\n\r\n5");
    EXPECT_EQ(a.Row("D:\\C").Registered, "1") << "the added row stays ticked";
    EXPECT_EQ(a.d.IniValue("StartUp", "D:\\C"), "<missing>");
    EXPECT_EQ(a.DiskPaths().size(), 5u);

    a.d.p.fs.ClearFaults();
    ASSERT_TRUE(a.Apply());
    EXPECT_TRUE(a.Has("D:\\C"));
    EXPECT_EQ(a.d.IniValue("StartUp", "D:\\C"), "1");
    EXPECT_EQ(a.DiskPaths().size(), 6u);
}

TEST(StartUpApply, AnAddedFolderWhoseLineCannotBeWrittenIsRetriedWholeByTheNextSave) {
    Applied a;
    a.d.p.fs.AddFolder("D:\\C");
    a.Scan();
    a.AddRow("D:\\C");
    a.d.p.fs.FailPath(Desk::Ini_);
    EXPECT_FALSE(a.Apply());
    EXPECT_EQ(a.d.p.messages.Count(), 0u);
    EXPECT_EQ(a.DiskPaths().size(), 5u);

    a.d.p.fs.ClearFaults();
    ASSERT_TRUE(a.Apply());
    EXPECT_EQ(a.d.IniValue("StartUp", "D:\\C"), "1");
    EXPECT_TRUE(a.Has("D:\\C"));
}

// A hand-edited section longer than the page's 16-bit counts can hold: the
// page lists as many rows as they count, and a save leaves the lines past
// them as they are.
TEST(StartUpApply, ASectionLongerThanTheCountsHoldIsListedUpToTheirLimit) {
    Applied a;
    std::string section = "[Start]\r\nStarted=1\r\n[StartUp]\r\n";
    for (int i = 0; i < 40000; ++i) section += "D:\\F" + std::to_string(i) + "=1\r\n";
    a.d.p.fs.AddFile(Desk::Ini_, section);
    a.Scan();
    EXPECT_EQ(a.s.StartUpCount, MaxStartUpCount);
    EXPECT_EQ(a.s.StartUpPathCount, MaxStartUpCount);
    ASSERT_EQ(a.s.StartUpPathList.size(), static_cast<std::size_t>(MaxStartUpCount) + 1) << "one spare slot";
    const std::string last = a.s.StartUpPathList[static_cast<std::size_t>(MaxStartUpCount) - 1].Path;
    EXPECT_EQ(last, "D:\\F" + std::to_string(MaxStartUpCount - 4)) << "after the common folder and two profiles";

    a.RemoveRow("D:\\F0");
    ASSERT_TRUE(a.Apply());
    EXPECT_EQ(a.d.IniValue("StartUp", "D:\\F0"), "<missing>");
    EXPECT_EQ(a.d.IniValue("StartUp", "D:\\F39999"), "1");
    EXPECT_EQ(a.s.StartUpCount, MaxStartUpCount - 1);
}

}  // namespace
}  // namespace tollervy
