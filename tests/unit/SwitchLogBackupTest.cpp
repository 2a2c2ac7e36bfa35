// The switch log's size and a log that cannot be written; the previous
// versions' pruning by count and by size.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "engine/Backup.h"
#include "engine/SaveRestore.h"
#include "engine/SwitchLog.h"
#include "settings/Settings.h"

namespace tollervy::enginetest {
namespace {

using Op = fakes::FakeFileSystem::Op;

const std::string Docs = R"(C:\Users\docs\)";

// Aoi's file in place, Ken's stored.
void Seed(Desk& d) {
    d.fs.AddFile(Docs + "a.txt", "Aoi");
    d.fs.AddFile(Desk::Store("Ken", "F1", "a.txt"), "Ken");
    d.List({Docs});
}

// One switch as the program runs it, with its log and backup.
bool SwitchWithLog(Desk& d, const std::string& from, const std::string& to) {
    SwitchLog log(d.c);
    Backup backup(d.c);
    ItemHooks hooks;
    hooks.log = &log;
    hooks.backup = &backup;
    log.Begin(from, to, SwitchCause::WindowsStart);
    const bool done = SaveUserData(d.c, from, &hooks) && RestoreUserData(d.c, to, from, &hooks);
    log.End(done);
    if (backup.Moved() != 0) backup.Prune();
    return done;
}

// The log's lines without their time.
std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; start < bytes.size(); start = end + 2) {
        end = bytes.find("\r\n", start);
        lines.push_back(bytes.substr(start, end - start).substr(bytes[start] == '2' ? 20 : 0));
    }
    return lines;
}

TEST(SwitchLog, PastItsLimitTheLogBecomesTheOlderFileAtTheNextStart) {
    for (const std::uint64_t size : {SwitchLog::Limit - 1, SwitchLog::Limit}) {
        Desk d;
        Seed(d);
        const std::string full(size, 'x');
        d.fs.AddFile(SwitchLog::Path(d.c), full);
        d.fs.AddFile(SwitchLog::OldPath(d.c), "older");
        ASSERT_TRUE(SwitchWithLog(d, "Aoi", "Ken"));
        const bool turned = size >= SwitchLog::Limit;
        EXPECT_EQ(d.fs.Content(SwitchLog::OldPath(d.c)), turned ? full : "older") << size;
        // A new log starts with the byte order mark Notepad knows UTF-8 by.
        const std::string log = d.fs.Content(SwitchLog::Path(d.c));
        EXPECT_EQ(log.substr(0, turned ? 3 : size), turned ? "\xEF\xBB\xBF" : full);
        EXPECT_EQ(Lines(log.substr(turned ? 3 : size)),
                  (std::vector<std::string>{"切り替え開始: Aoi → Ken (Windowsの起動)",
                                            // the copy waited for its source's time step
                                            "保存 F1 " + Docs + " (Aoi): 保存 1, そのまま 0, バックアップ 0 (2.00秒)",
                                            "回復 F1 " + Docs + " (Ken): 回復 1, そのまま 0 (0.00秒)",
                                            "切り替え終了: 完了"}));
    }
}

// A read-only log: the switch runs as ever, tries the log once, and the next
// log that can be written says so once.
TEST(SwitchLog, AReadOnlyLogNeverStopsASwitchAndIsToldOnceNextTime) {
    int writes[2] = {};
    std::size_t lines = 0;
    for (const bool readOnly : {false, true}) {
        Desk d;
        Seed(d);
        d.fs.AddFile(SwitchLog::Path(d.c), "", readOnly ? platform::AttrReadOnly : platform::AttrArchive);
        d.fs.ResetCounts();
        EXPECT_TRUE(SwitchWithLog(d, "Aoi", "Ken"));
        writes[readOnly] = d.fs.Calls(Op::Write);
        EXPECT_EQ(d.fs.Content(Docs + "a.txt"), "Ken");
        EXPECT_EQ(d.fs.Content(Desk::Store("Aoi", "F1", "a.txt")), "Aoi");
        EXPECT_EQ(ReadIniValue(d.c, keys::LogUnwritten), readOnly ? "2024-01-01 09:00:00" : "");
        if (!readOnly) {
            lines = Lines(d.fs.Content(SwitchLog::Path(d.c))).size();
            continue;
        }
        EXPECT_EQ(d.fs.Content(SwitchLog::Path(d.c)), "");
        d.fs.AddFile(SwitchLog::Path(d.c), "");
        d.p.system.localNow.hour = 18;
        ASSERT_TRUE(SwitchWithLog(d, "Ken", "Aoi"));
        ASSERT_TRUE(SwitchWithLog(d, "Aoi", "Ken"));
        std::vector<std::string> told = Lines(d.fs.Content(SwitchLog::Path(d.c)));
        ASSERT_EQ(told.size(), 2 * lines + 1);
        EXPECT_EQ(told[0].substr(0, 3), "\xEF\xBB\xBF");
        EXPECT_EQ(told[1], "(2024-01-01 09:00:00 からの切り替えはこのログに書けませんでした)");
        EXPECT_EQ(ReadIniValue(d.c, keys::LogUnwritten), "");
    }
    EXPECT_EQ(writes[0] - writes[1], static_cast<int>(lines) - 1) << "the log was tried more than once";
}

TEST(Backup, PrunesOldestFirstByCountAndBySizeNeverTheNewest) {
    struct Case {
        std::vector<std::uint64_t> sizes;  // oldest first, named "1", "2", ...
        std::size_t keep;
        std::uint64_t maxBytes;
        std::vector<std::string> pruned;
    };
    const Case cases[] = {
        {{1, 1, 1}, 3, 100, {}},
        {{1, 1, 1, 1}, 2, 100, {"1", "2"}},
        {{50, 30, 30}, 10, 70, {"1"}},
        {{50, 30, 90}, 10, 70, {"1", "2"}},  // the newest alone is too big: it stays
        {{50, 30, 90}, 1, 1000, {"1", "2"}},
        {{}, 1, 1, {}},
    };
    for (const auto& k : cases) {
        std::vector<Backup::Kept> kept;
        for (std::size_t i = 0; i < k.sizes.size(); ++i) kept.push_back({std::to_string(i + 1), k.sizes[i]});
        EXPECT_EQ(Backup::Pruned(kept, k.keep, k.maxBytes), k.pruned) << k.keep << " " << k.maxBytes;
    }
}

// Prune on disk: backups oldest first by their names (a second switch in
// one second after the first), sizes measured once and then taken from
// Backup.dat, a folder not named as a backup left alone.
TEST(Backup, PruneRemovesWholeBackupsOldestFirstAndKeepsTheirSizes) {
    Desk d;
    const std::string root = Backup::Root(d.c) + "\\";
    for (const char* name : {"2024-01-01 090000", "2024-01-02 090000-2", "2024-01-02 090000", "2024-01-03 090000"})
        d.fs.AddFile(root + name + "\\Aoi\\F1\\sub\\a.txt", std::string(10, 'a'), platform::AttrReadOnly);
    d.fs.AddFile(root + "メモ\\keep.txt", "mine");
    d.WriteSetting("Backup", "Keep", "2");
    Backup(d.c).Prune();
    EXPECT_EQ(d.fs.Dump(root).count("メモ\\keep.txt"), 1u);
    for (const char* gone : {"2024-01-01 090000\\", "2024-01-02 090000\\"}) EXPECT_FALSE(d.fs.Exists(root + gone));
    EXPECT_EQ(d.fs.Content(root + "Backup.dat"), "2024-01-02 090000-2\t10\r\n2024-01-03 090000\t10\r\n");

    // The index is believed: by it the older one is too big for 500 MB.
    d.WriteSetting("Backup", "Keep", "");
    d.fs.AddFile(root + "Backup.dat", "2024-01-02 090000-2\t600000000\r\n2024-01-03 090000\t10\r\n");
    Backup(d.c).Prune();
    EXPECT_FALSE(d.fs.Exists(root + "2024-01-02 090000-2"));
    EXPECT_TRUE(d.fs.IsFile(root + "2024-01-03 090000\\Aoi\\F1\\sub\\a.txt"));

    // Off: nothing moves, nothing is pruned.
    d.WriteSetting("Backup", "Use", "0");
    d.WriteSetting("Backup", "MaxMB", "1");
    Seed(d);
    d.fs.AddFile(Desk::Store("Aoi", "F1", "a.txt"), "Aoi before");
    const auto before = d.fs.Dump(root);
    ASSERT_TRUE(SwitchWithLog(d, "Aoi", "Ken"));
    EXPECT_EQ(d.fs.Dump(root), before);
    EXPECT_EQ(d.fs.Content(Desk::Store("Aoi", "F1", "a.txt")), "Aoi");
}

// The settings dialog's registration copy into "All Users" keeps what it
// replaces too, in a backup of its own.
TEST(Backup, ARegistrationCopyKeepsTheCommonCopyItReplaces) {
    Desk d;
    d.fs.AddFile(Docs + "a.txt", "new");
    d.fs.AddFile(Desk::Store("All Users", "F1", "a.txt"), "registered before");
    d.fs.AddFile(Desk::Store("All Users", "F1", "gone.txt"), "gone");
    ASSERT_TRUE(SaveFileEntry(d.c, Data + "\\All Users", "F1=" + Docs));
    EXPECT_EQ(d.fs.Content(Desk::Store("All Users", "F1", "a.txt")), "new");
    const std::string kept = Backup::Root(d.c) + "\\2024-01-01 090000\\All Users\\F1\\";
    EXPECT_EQ(d.fs.Content(kept + "a.txt"), "registered before");
    EXPECT_EQ(d.fs.Content(kept + "gone.txt"), "gone");
}

// A registry key is logged and kept like a file: its counts are keys, and the
// copy a save replaces goes into the backup with its old bytes.
TEST(SwitchLog, ARegistryKeyIsLoggedAndItsReplacedCopyKeptLikeAFile) {
    Desk d;
    const std::string app = "Software\\Vendor\\App", line = "R1=HKEY_CURRENT_USER\\" + app;
    const auto set = [&](const std::string& text) {
        d.p.registry.Put(app + "\\Recent", {"last", platform::RegBinary, text});
    };
    set("registered");
    d.WriteSetting("Registry", "R1", "HKEY_CURRENT_USER\\" + app);
    ASSERT_TRUE(SaveFileEntry(d.c, Data + "\\All Users", line));
    ASSERT_TRUE(SwitchWithLog(d, "Aoi", "Ken"));  // Ken's copy is the registration copy, in place already
    set("ken");
    ASSERT_TRUE(SwitchWithLog(d, "Ken", "Aoi"));
    const std::string aois = d.fs.Content(Desk::Store("Aoi", "R1", "Registry.reg"));
    set("aoi, later");
    ASSERT_TRUE(SwitchWithLog(d, "Aoi", "Ken"));
    EXPECT_EQ(d.fs.Content(Backup::Root(d.c) + "\\2024-01-01 090000\\Aoi\\R1\\Registry.reg"), aois);
    const auto lines = Lines(d.fs.Content(SwitchLog::Path(d.c)).substr(3));
    const std::string item = " R1 HKEY_CURRENT_USER\\" + app;
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.begin() + 3),
              (std::vector<std::string>{"保存" + item + " (Aoi): 保存 2, そのまま 0, バックアップ 0 (0.00秒)",
                                        "回復" + item + " (Ken): 回復 0, そのまま 2 (0.00秒)"}));
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end() - 1),
              (std::vector<std::string>{"保存" + item + " (Aoi): 保存 2, そのまま 0, バックアップ 1 (0.00秒)",
                                        "回復" + item + " (Ken): 回復 2, そのまま 0 (0.00秒)"}));
}

}  // namespace
}  // namespace tollervy::enginetest
