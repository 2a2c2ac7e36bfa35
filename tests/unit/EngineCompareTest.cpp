// A switch leaves a file alone whose copy is already current (same size,
// last-write time and attributes) and copies everything else: the end state is
// the one a full copy gives, and no way a copy can look current without being
// it (a time within the file system's resolution, a time set back, a file
// turned folder, a read-only copy, a copy cut off half-way) leaves a stale file.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/SaveRestore.h"

namespace tollervy::enginetest {
namespace {

using fakes::FakeFileSystem;
using fakes::ProcessEnded;
using Op = FakeFileSystem::Op;

const std::string Docs = R"(C:\Users\docs\)";
const std::string Ini = R"(C:\App\settings.ini)";
const std::string Saves = R"(C:\Game\*.sav)";
constexpr std::uint64_t Second = platform::FileTimeSecond;

void SeedLive(Desk& d, const std::string& who) {
    d.fs.AddFile(Docs + "a.txt", who + "-a");
    d.fs.AddFile(Docs + R"(sub\b.txt)", who + "-b");
    d.fs.AddFile(Docs + R"(sub\c.txt)", who + "-c");
    d.fs.AddFile(Ini, who + "-ini");
    d.fs.AddFile(R"(C:\Game\1.sav)", who + "-1");
    d.fs.AddFile(R"(C:\Game\2.sav)", who + "-2");
}

// Everything under a folder: bytes, attributes and last-write times.
std::map<std::string, std::string> State(const FakeFileSystem& fs, const std::string& folder) {
    std::map<std::string, std::string> out;
    const auto attributes = fs.DumpAttributes(folder);
    for (const auto& [path, content] : fakes::WithoutManifests(fs.Dump(folder))) {
        std::string facts = content + " attr " + std::to_string(attributes.at(path));
        if (path.back() != '\\') facts += " time " + std::to_string(fs.LastWrite(folder + path));
        out[path] = facts;
    }
    return out;
}

// The stored copy of each live file of the three items equals it.
void ExpectStoreMirrorsLive(Desk& d, const std::string& user) {
    EXPECT_EQ(State(d.fs, Desk::Store(user, "F1") + "\\"), State(d.fs, Docs));
    auto game = State(d.fs, R"(C:\Game\)");
    EXPECT_EQ(State(d.fs, Desk::Store(user, "F3") + "\\"), game);
    EXPECT_EQ(State(d.fs, Desk::Store(user, "F2") + "\\"), State(d.fs, R"(C:\App\)"));
}

// Saved once, then ten seconds pass: every stored copy is current.
void SavedOnce(Desk& d) {
    SeedLive(d, "Aoi");
    d.List({Docs, Ini, Saves});
    ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
    d.fs.AdvanceClock(10 * Second);
    d.fs.ResetCounts();
}

TEST(EngineCompare, OnlyChangedFilesAreCopiedUnlessEveryFileIsAskedFor) {
    struct Case {
        const char* name;
        const char* copyAll;  // [Start] CopyAll, nullptr: not written
        std::function<void(Desk&)> change;
        int copies;
    };
    const Case cases[] = {
        {"nothing changed", nullptr, [](Desk&) {}, 0},
        {"one file of each kind, same size", nullptr,
         [](Desk& d) {
             d.fs.AddFile(Docs + R"(sub\b.txt)", "Aoi-B");
             d.fs.AddFile(Ini, "Aoi-INI");
             d.fs.AddFile(R"(C:\Game\2.sav)", "Aoi-X");
         },
         3},
        {"a new file and a removed one", "0",
         [](Desk& d) {
             d.fs.AddFile(Docs + "new.txt", "new");
             d.fs.Remove(Docs + "a.txt");
         },
         1},
        {"an attribute only", nullptr, [](Desk& d) { d.fs.AddFile(Docs + "a.txt", "Aoi-a", 32 | 1); }, 1},
        {"every file asked for", "1", [](Desk&) {}, 6},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Desk d;
        d.c.state.DeleteReadOnly = "1";
        SavedOnce(d);
        if (k.copyAll) d.WriteSetting("Start", "CopyAll", k.copyAll);
        k.change(d);
        const int shownBefore = static_cast<int>(d.status.FileLines().size());
        ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
        EXPECT_EQ(d.fs.Calls(Op::Copy), k.copies);
        ExpectStoreMirrorsLive(d, "Aoi");
        // Every file is shown, copied or not.
        std::size_t live = 0;
        for (const auto& [p, content] : d.fs.Dump(Docs)) live += p.back() != '\\';
        EXPECT_EQ(static_cast<int>(d.status.FileLines().size()) - shownBefore, static_cast<int>(live) + 1 + 2);
    }
}

TEST(EngineCompare, RestoringCopiesOnlyWhatDiffersFromTheStoredCopy) {
    Desk d;
    SavedOnce(d);
    // The store holds Aoi's copies; one live file differs from them.
    d.fs.AddFile(Docs + "a.txt", "Ken-a");
    d.fs.AddFile(R"(C:\Game\1.sav)", "Ken-1");
    d.fs.AdvanceClock(10 * Second);
    d.fs.ResetCounts();
    d.fs.AddFolder(Data + "\\Aoi");
    ASSERT_TRUE(RestoreUserData(d.c, "Aoi", "Ken"));
    EXPECT_EQ(d.fs.Calls(Op::Copy), 2);
    ExpectStoreMirrorsLive(d, "Aoi");
    EXPECT_EQ(d.fs.Content(Docs + "a.txt"), "Aoi-a");
}

// The same names in many folders of a tree, names that begin one another,
// and stored files and folders that the live tree no longer has: each file
// is judged against the copy in its own folder. Current copies are neither
// read, written nor removed (any would fail here); everything else ends as
// the full copy leaves it, saving and restoring.
TEST(EngineCompare, EachFileIsJudgedAgainstTheCopyInItsOwnFolder) {
    const std::vector<std::string> names = {"x.txt", R"(sub\x.txt)", R"(sub\deep\x.txt)", R"(other\x.txt)",
                                            "a",     "a.txt",        "ab",                R"(sub\a.txt)"};
    struct Case {
        const char* name;
        bool saving;
        std::vector<std::string> changed;  // rewritten in the source, same size
        std::vector<std::string> stale;    // only in the target: must go
    };
    const Case cases[] = {
        {"save, one x.txt of four changed", true, {R"(sub\x.txt)"}, {R"(sub\deep\y.txt)", R"(gone\x.txt)"}},
        {"save, a name that begins others changed", true, {"a", R"(other\x.txt)"}, {"a.tx", R"(sub\deep\a)"}},
        {"restore, the deepest x.txt changed", false, {R"(sub\deep\x.txt)", "ab"}, {R"(other\y\x.txt)", "x.tx"}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Desk d;
        for (const auto& n : names) d.fs.AddFile(Docs + n, "Aoi-" + n);
        d.List({Docs});
        ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
        d.fs.AdvanceClock(10 * Second);
        const std::string stored = Desk::Store("Aoi", "F1") + "\\";
        const std::string& source = k.saving ? Docs : stored;
        const std::string& target = k.saving ? stored : Docs;
        // Same size, other bytes.
        for (const auto& n : k.changed) d.fs.AddFile(source + n, "Ken-" + n);
        for (const auto& n : k.stale) d.fs.AddFile(target + n, "stale");
        d.fs.AdvanceClock(10 * Second);
        // Current copies are never written, removed or touched (the file in
        // place is only asked for its change time).
        for (const auto& n : names)
            if (std::find(k.changed.begin(), k.changed.end(), n) == k.changed.end())
                for (const Op op : {Op::Copy, Op::Delete, Op::SetAttributes, Op::Move, Op::Read})
                    d.fs.FailPath(target + n, false, 5, op);
        d.fs.ResetCounts();
        ASSERT_TRUE(k.saving ? SaveUserData(d.c, "Aoi") : RestoreUserData(d.c, "Aoi", "Ken"));
        EXPECT_EQ(d.fs.FaultsFired(), 0);
        EXPECT_EQ(d.fs.Calls(Op::Copy), static_cast<int>(k.changed.size()));
        d.fs.ClearFaults();
        EXPECT_EQ(State(d.fs, stored), State(d.fs, Docs));
        for (const auto& n : k.changed) EXPECT_EQ(d.fs.Content(Docs + n), "Ken-" + n);
    }
}

// Ways a copy could look current without being it: each ends with the
// store holding the live file exactly.
TEST(EngineCompare, ACopyThatMightNotBeCurrentIsMade) {
    struct Case {
        const char* name;
        std::function<void(Desk&)> change;
    };
    const Case cases[] = {
        {"rewritten within the two seconds of a FAT time, same size",
         [](Desk& d) {
             // A copy left by a switch that ran in the same two seconds as
             // the write: same size and time, other bytes. The time is
             // too fresh to be trusted.
             d.fs.AddFile(Docs + "a.txt", "Aoi-A");
             d.fs.SetLastWrite(Docs + "a.txt", d.fs.Now() - Second);
             d.fs.AddFile(Desk::Store("Aoi", "F1", "a.txt"), "Aoi-a");
             d.fs.SetLastWrite(Desk::Store("Aoi", "F1", "a.txt"), d.fs.LastWrite(Docs + "a.txt"));
         }},
        {"last-write time set back by a program",
         [](Desk& d) {
             const std::uint64_t before = d.fs.LastWrite(Docs + "a.txt");
             d.fs.AddFile(Docs + "a.txt", "Aoi-A");
             d.fs.SetLastWrite(Docs + "a.txt", before - 3600 * Second);
         }},
        {"a file replaced by a folder of its name",
         [](Desk& d) {
             d.fs.Remove(Docs + "a.txt");
             d.fs.AddFile(Docs + R"(a.txt\inner.txt)", "inner");
         }},
        {"a folder replaced by a file of its name",
         [](Desk& d) {
             d.fs.Remove(Docs + "sub");
             d.fs.AddFile(Docs + "sub", "now a file");
         }},
        {"a read-only copy of a changed file",
         [](Desk& d) {
             d.fs.AddFile(Desk::Store("Aoi", "F1", "a.txt"), "Aoi-a", 32 | 1);
             d.fs.SetLastWrite(Desk::Store("Aoi", "F1", "a.txt"), d.fs.LastWrite(Docs + "a.txt"));
             d.fs.AddFile(Docs + "a.txt", "Aoi-A");
         }},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Desk d;
        d.c.state.DeleteReadOnly = "1";
        SavedOnce(d);
        k.change(d);
        ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
        ExpectStoreMirrorsLive(d, "Aoi");
    }
}

TEST(EngineCompare, AReadOnlyCurrentCopyStaysAsItIs) {
    Desk d;
    d.c.state.DeleteReadOnly = "1";
    d.fs.AddFile(Docs + "ro.txt", "read-only", 32 | 1);
    SavedOnce(d);
    ASSERT_EQ(d.fs.Attributes(Desk::Store("Aoi", "F1", "ro.txt")), 33u);
    ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
    EXPECT_EQ(d.fs.Calls(Op::Copy), 0);
    EXPECT_EQ(d.fs.Calls(Op::SetAttributes), 0);
    ExpectStoreMirrorsLive(d, "Aoi");
}

// A file on a FAT drive written just before the switch: its copy waits for
// the two seconds of its time to pass, so that a later write, however soon,
// carries another time and is copied at the next switch.
TEST(EngineCompare, AFreshFileOnFatIsCopiedOnlyAfterItsTimeStepAndALaterWriteIsSeen) {
    Desk d;
    d.fs.AddDrive("D:");
    d.fs.SetTimeResolution("D:", 2 * Second);
    d.fs.AddFile(R"(D:\mail\box.dat)", "version 1");
    d.List({R"(D:\mail\)"});
    ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
    EXPECT_GT(d.p.system.sleeps, 0);
    EXPECT_GE(d.fs.Now(), d.fs.LastWrite(R"(D:\mail\box.dat)") + 2 * Second);
    // Written again at once, same size.
    d.fs.AddFile(R"(D:\mail\box.dat)", "version 2");
    ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
    EXPECT_EQ(d.fs.Content(Desk::Store("Aoi", "F1", "box.dat")), "version 2");
    EXPECT_EQ(d.fs.LastWrite(Desk::Store("Aoi", "F1", "box.dat")), d.fs.LastWrite(R"(D:\mail\box.dat)"));
}

// A save that dies at any changing step, with a copy left half-written,
// followed by a save that runs to the end: the store holds the live files
// exactly, whatever the half-written file looked like.
TEST(EngineCompare, AHalfWrittenCopyIsNeverTakenForCurrent) {
    auto prepare = [](Desk& d) {
        d.c.state.DeleteReadOnly = "1";
        SavedOnce(d);
        // Same sizes, new bytes: only the time tells them apart.
        d.fs.AddFile(Docs + "a.txt", "Aoi-A");
        d.fs.AddFile(Docs + R"(sub\c.txt)", "Aoi-C");
        d.fs.AddFile(Ini, "Aoi-INI");
        d.fs.AdvanceClock(10 * Second);
        d.fs.ResetCounts();
    };
    int mutations = 0;
    {
        Desk d;
        prepare(d);
        ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
        mutations = d.fs.Mutations();
    }
    ASSERT_GT(mutations, 2);
    int halfCopies = 0;
    for (int n = 1; n <= mutations; ++n) {
        SCOPED_TRACE("died at change " + std::to_string(n));
        Desk d(true);
        prepare(d);
        d.fs.AbortAtMutation(n, true);
        EXPECT_THROW(SaveUserData(d.c, "Aoi"), ProcessEnded);
        halfCopies += d.fs.Calls(Op::Copy) > 0;
        d.fs.ClearFaults();
        d.fs.AdvanceClock(10 * Second);
        ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
        ExpectStoreMirrorsLive(d, "Aoi");
    }
    EXPECT_GT(halfCopies, 0);
}

// Whole switches back and forth with changes in between give the same disk
// with and without the comparison.
TEST(EngineCompare, SwitchesEndWithTheDiskAFullCopyLeaves) {
    auto run = [](const char* copyAll) {
        Desk d;
        d.c.state.DeleteReadOnly = "1";
        d.WriteSetting("Start", "CopyAll", copyAll);
        SeedLive(d, "Aoi");
        d.fs.AddFile(Desk::Store("Ken", "F1", "a.txt"), "Ken-a");
        d.fs.AddFile(Desk::Store("Ken", "F1", R"(sub\b.txt)"), "Aoi-b");
        d.fs.AddFile(Desk::Store("Ken", "F2", "settings.ini"), "Ken-ini");
        d.fs.AddFile(Desk::Store("Ken", "F3", "1.sav"), "Aoi-1", 32 | 1);
        d.List({Docs, Ini, Saves});
        // Each change at a time of its own, however many writes the
        // switches before it made.
        const std::function<void(std::uint64_t)> changes[] = {
            [&](std::uint64_t t) { d.fs.AddFile(Docs + "a.txt", "Aoi-A"); d.fs.SetLastWrite(Docs + "a.txt", t); },
            [&](std::uint64_t t) {
                d.fs.AddFile(Docs + "n.txt", "new");
                d.fs.SetLastWrite(Docs + "n.txt", t);
                d.fs.Remove(Docs + R"(sub\c.txt)");
            },
            [&](std::uint64_t t) {
                d.fs.AddFile(R"(C:\Game\2.sav)", "two", 32 | 1);
                d.fs.SetLastWrite(R"(C:\Game\2.sav)", t);
            },
        };
        const char* users[] = {"Aoi", "Ken"};
        const std::uint64_t start = d.fs.Now();
        for (int i = 0; i < 6; ++i) {
            d.fs.AdvanceClock(5 * Second);
            if (!SaveUserData(d.c, users[i % 2]) || !RestoreUserData(d.c, users[(i + 1) % 2], users[i % 2]))
                ADD_FAILURE() << "switch " << i;
            changes[i % 3](start + static_cast<std::uint64_t>(i) * Second);
        }
        // The live side and the store (the settings file differs by the key,
        // the record by its generation).
        auto state = State(d.fs, "C:\\");
        state.erase(R"(Program Files\Tollervy\Tollervy.ini)");
        state.erase(R"(Program Files\Tollervy\Data\InPlace.dat)");
        return state;
    };
    const auto compared = run("0");
    const auto full = run("1");
    for (const auto& [path, facts] : full) {
        const auto found = compared.find(path);
        EXPECT_TRUE(found != compared.end() && found->second == facts)
            << path << ": full copy " << facts << ", compared " << (found == compared.end() ? "missing" : found->second);
    }
    EXPECT_EQ(compared.size(), full.size());
}

}  // namespace
}  // namespace tollervy::enginetest
