// The switch under every single refusal of the file system: a save of Aoi's
// files followed by the restore of Ken's, run once per file operation with
// exactly that operation failing (and once per changing operation with the
// process dying there). Whatever happens, each of Aoi's files must still
// exist with its latest content, in place or in Aoi's stored copy.
#include <gtest/gtest.h>

#include <iostream>

#include "EngineTestSupport.h"
#include "engine/SaveRestore.h"

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

void Seed(Desk& d) {
    for (const auto& [live, latest] : AoisFiles()) d.fs.AddFile(live, latest.content);
    d.fs.AddFile(Docs + "desktop.ini", "hidden", 2 | 4);
    d.fs.AddFile(Game + "notes.txt", "notes");
    // Aoi's older copies, so that "latest" means something.
    d.fs.AddFile(Desk::Store("Aoi", "F1", "a.txt"), "Aoi-a old");
    d.fs.AddFile(Desk::Store("Aoi", "F1", R"(old\gone.txt)"), "Aoi old");
    d.fs.AddFile(Desk::Store("Aoi", "F2", "settings.ini"), "Aoi-ini old");
    d.fs.AddFile(Desk::Store("Aoi", "F3", "1.sav"), "Aoi-1 old");
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

// One switch from Aoi to Ken; `inject` sets the fault up.
Outcome Switch(std::int16_t policy, const std::function<void(FakeFileSystem&)>& inject) {
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
        o.saved = SaveUserData(d.c, "Aoi");
        if (o.saved) o.restored = RestoreUserData(d.c, "Ken", "Aoi");
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
    return o;
}

constexpr Op AllOps[] = {Op::GetAttributes, Op::SetAttributes, Op::List,         Op::Copy, Op::Move,
                         Op::Delete,        Op::CreateFolder,  Op::RemoveFolder, Op::Read, Op::Write};

TEST(EngineFaultSweep, NoSingleFailureOrStopLosesThePreviousUsersFiles) {
    // A clean switch first: it must work, and it tells how many calls of
    // each kind there are to fail.
    std::map<Op, int> calls;
    int mutations = 0;
    {
        const Outcome clean = Switch(1, [&](FakeFileSystem& fs) { fs.ResetCounts(); });
        ASSERT_TRUE(clean.saved && clean.restored);
        ASSERT_TRUE(clean.lost.empty());
    }
    {
        Desk d(true);
        Seed(d);
        d.fs.ResetCounts();
        ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
        ASSERT_TRUE(RestoreUserData(d.c, "Ken", "Aoi"));
        EXPECT_EQ(d.fs.Content(Ini), "Ken-ini");
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
                const Outcome o = Switch(policy, [&](FakeFileSystem& fs) { fs.FailNth(op, n); });
                tally(o, std::string("policy ") + std::to_string(policy) + ", " + FakeFileSystem::OpName(op) + " #" +
                             std::to_string(n) + " fails");
            }
        }
    }
    for (const bool halfDone : {false, true}) {
        for (int n = 1; n <= mutations; ++n) {
            const Outcome o = Switch(1, [&](FakeFileSystem& fs) { fs.AbortAtMutation(n, halfDone); });
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

}  // namespace
}  // namespace tollervy::enginetest
