// The switch under every single refusal of the file system: a save of Aoi's
// files followed by the restore of Ken's, run once per file operation with
// exactly that operation failing (and once per changing operation with the
// process dying there), without and with the switch log and the backup.
// Whatever happens, each of Aoi's files must still exist with its latest
// content, in place or in Aoi's stored copy; with the backup, each of Aoi's
// older stored copies too, in the store or in the backup, and a save that
// failed leaves her stored copy whole (each file old or new).
#include <gtest/gtest.h>

#include <iostream>

#include "EngineTestSupport.h"
#include "engine/Backup.h"
#include "engine/SaveRestore.h"
#include "engine/SwitchLog.h"

namespace tollervy::enginetest {
namespace {

using fakes::FakeFileSystem;
using fakes::ProcessEnded;
using Op = FakeFileSystem::Op;

const std::string Docs = R"(C:\Users\docs\)";
const std::string Ini = R"(C:\App\settings.ini)";
const std::string Game = R"(C:\Game\)";

// Aoi's latest files: live path -> (content, where Aoi's copy of it is stored).
struct Latest {
    std::string content;
    std::string stored;
};
std::map<std::string, Latest> AoisFiles() {
    std::map<std::string, Latest> files;
    auto folderFile = [&](const std::string& rel, const std::string& content) {
        files[Docs + rel] = {content, Desk::Store("Aoi", "F1", rel)};
    };
    folderFile("a.txt", "Aoi-a latest");
    folderFile("日本語.txt", "Aoi-日本 latest");
    folderFile(R"(sub\b.txt)", "Aoi-b latest");
    folderFile(R"(sub\深い\c.txt)", "Aoi-c latest");
    files[Ini] = {"Aoi-ini latest", Desk::Store("Aoi", "F2", "settings.ini")};
    files[Game + "1.sav"] = {"Aoi-1 latest", Desk::Store("Aoi", "F3", "1.sav")};
    files[Game + "2.sav"] = {"Aoi-2 latest", Desk::Store("Aoi", "F3", "2.sav")};
    return files;
}

// Aoi's older stored copies: relative to Aoi's store -> content.
const std::map<std::string, std::string> AoisOlder = {{R"(F1\a.txt)", "Aoi-a old"},
                                                      {R"(F1\old\gone.txt)", "Aoi old"},
                                                      {R"(F2\settings.ini)", "Aoi-ini old"},
                                                      {R"(F3\1.sav)", "Aoi-1 old"}};

void Seed(Desk& d) {
    for (const auto& [live, latest] : AoisFiles()) d.fs.AddFile(live, latest.content);
    d.fs.AddFile(Docs + "desktop.ini", "hidden", 2 | 4);
    d.fs.AddFile(Game + "notes.txt", "notes");
    // Aoi's older copies, so that "latest" means something.
    for (const auto& [relative, content] : AoisOlder) d.fs.AddFile(Data + "\\Aoi\\" + relative, content);
    for (const char* user : {"Ken", "All Users"}) {
        const std::string u = user;
        d.fs.AddFile(Desk::Store(u, "F1", "x.txt"), u + "-x");
        d.fs.AddFile(Desk::Store(u, "F1", R"(sub\y.txt)"), u + "-y");
        d.fs.AddFile(Desk::Store(u, "F2", "settings.ini"), u + "-ini");
        d.fs.AddFile(Desk::Store(u, "F3", "1.sav"), u + "-1");
    }
    d.List({Docs, Ini, Game + "*.sav"});
}

struct Outcome {
    bool saved = false;
    bool restored = false;
    bool ended = false;
    std::vector<std::string> lost;  // Aoi's files found nowhere with their latest content
};

// One switch from Aoi to Ken; `inject` sets the fault up. With `kept`, as
// the program runs it: with the switch log and the backup.
Outcome Switch(std::int16_t policy, const std::function<void(FakeFileSystem&)>& inject, bool kept) {
    Desk d(true);
    Seed(d);
    d.c.state.LastErrorNext = policy;
    d.fs.ResetCounts();  // as the clean run counts them
    // The policy's question is answered No; every other box is only seen.
    d.answering.AnswerWith([](const std::string&, unsigned style) {
        return style == 4116 ? platform::AnswerNo : platform::AnswerOK;
    });
    inject(d.fs);
    Outcome o;
    try {
        SwitchLog log(d.c);
        Backup backup(d.c);
        ItemHooks hooks;
        if (kept) hooks.log = &log, hooks.backup = &backup, log.Begin("Aoi", "Ken", SwitchCause::LogonDialog);
        o.saved = SaveUserData(d.c, "Aoi", &hooks);
        if (o.saved) o.restored = RestoreUserData(d.c, "Ken", "Aoi", &hooks);
        if (kept) log.End(o.restored), backup.Prune();
    } catch (const ProcessEnded&) {
        o.ended = true;
    }
    d.fs.ClearFaults();
    for (const auto& [live, latest] : AoisFiles()) {
        const bool inPlace = d.fs.IsFile(live) && d.fs.Content(live) == latest.content;
        const bool inStore = d.fs.IsFile(latest.stored) && d.fs.Content(latest.stored) == latest.content;
        if (!inPlace && !inStore) o.lost.push_back(live);
    }
    if (d.fs.Content(Docs + "desktop.ini") != "hidden") o.lost.push_back(Docs + "desktop.ini");
    if (!kept) return o;
    // A save that failed and was not killed leaves Aoi's stored copy
    // lacking none of the files both her copies have (old or new bytes):
    // what it set aside and did not replace went back.
    for (const auto& [relative, content] : AoisOlder)
        if (!o.ended && relative.find("gone") == std::string::npos && !d.fs.IsFile(Data + "\\Aoi\\" + relative))
            o.lost.push_back("missing from the store: " + relative);
    const auto backups = d.fs.Dump(Backup::Root(d.c));
    for (const auto& [relative, content] : AoisOlder) {
        bool found = d.fs.Content(Data + "\\Aoi\\" + relative) == content;
        for (const auto& [path, bytes] : backups)
            found = found || (path.size() > relative.size() && bytes == content &&
                              path.substr(path.size() - relative.size() - 5) == "\\Aoi\\" + relative);
        if (!found) o.lost.push_back("older " + relative);
    }
    return o;
}

constexpr Op AllOps[] = {Op::GetAttributes, Op::SetAttributes, Op::List,         Op::Copy, Op::Move,
                         Op::Delete,        Op::CreateFolder,  Op::RemoveFolder, Op::Read, Op::Write};

class EngineFaultSweep : public ::testing::TestWithParam<bool> {};

TEST_P(EngineFaultSweep, NoSingleFailureOrStopLosesThePreviousUsersFiles) {
    const bool kept = GetParam();
    // A clean switch first: it must work, and it tells how many calls of
    // each kind there are to fail.
    std::map<Op, int> calls;
    int mutations = 0;
    {
        const Outcome clean = Switch(1, [&](FakeFileSystem& fs) { fs.ResetCounts(); }, kept);
        ASSERT_TRUE(clean.saved && clean.restored);
        ASSERT_TRUE(clean.lost.empty());
    }
    {
        Desk d(true);
        Seed(d);
        d.fs.ResetCounts();
        SwitchLog log(d.c);
        Backup backup(d.c);
        ItemHooks hooks;
        if (kept) hooks.log = &log, hooks.backup = &backup, log.Begin("Aoi", "Ken", SwitchCause::LogonDialog);
        ASSERT_TRUE(SaveUserData(d.c, "Aoi", &hooks));
        ASSERT_TRUE(RestoreUserData(d.c, "Ken", "Aoi", &hooks));
        if (kept) log.End(true), backup.Prune();
        EXPECT_EQ(d.fs.Content(Ini), "Ken-ini");
        // The moves are in the sweep: every changed or dropped stored file.
        if (kept) EXPECT_EQ(d.fs.Calls(Op::Move), 4);
        for (const Op op : AllOps) calls[op] = d.fs.Calls(op);
        mutations = d.fs.Mutations();
    }

    int runs = 0, losses = 0, stoppedInSave = 0, stoppedInRestore = 0, ended = 0;
    auto tally = [&](const Outcome& o, const std::string& what) {
        ++runs;
        if (o.ended) ++ended;
        else if (!o.saved) ++stoppedInSave;
        else if (!o.restored) ++stoppedInRestore;
        for (const auto& path : o.lost) {
            ++losses;
            ADD_FAILURE() << what << ": lost " << path;
        }
    };
    for (const std::int16_t policy : {1, 2}) {
        for (const Op op : AllOps) {
            for (int n = 1; n <= calls[op]; ++n) {
                const Outcome o = Switch(policy, [&](FakeFileSystem& fs) { fs.FailNth(op, n); }, kept);
                tally(o, std::string("policy ") + std::to_string(policy) + ", " + FakeFileSystem::OpName(op) + " #" +
                             std::to_string(n) + " fails");
            }
        }
    }
    for (const bool halfDone : {false, true}) {
        for (int n = 1; n <= mutations; ++n) {
            const Outcome o = Switch(1, [&](FakeFileSystem& fs) { fs.AbortAtMutation(n, halfDone); }, kept);
            EXPECT_TRUE(o.ended) << "stop at change #" << n;
            tally(o, "process stops at change #" + std::to_string(n) + (halfDone ? " (half-done copy)" : ""));
        }
    }
    std::cout << "[ sweep    ] " << runs << " runs (" << stoppedInSave << " stopped in the save, " << stoppedInRestore
              << " in the restore, " << ended << " ended the process), " << losses << " files lost\n";
    EXPECT_GT(stoppedInSave, 0);
    EXPECT_GT(stoppedInRestore, 0);
    EXPECT_EQ(losses, 0);
}

INSTANTIATE_TEST_SUITE_P(WithoutAndWithLogAndBackup, EngineFaultSweep, ::testing::Bool());

}  // namespace
}  // namespace tollervy::enginetest
