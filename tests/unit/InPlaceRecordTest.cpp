// Nothing is lost when a switch stops half-way or Windows stops: the data
// store's record of whose copy each item holds decides where the next
// saving pass writes each item.
//
// Three people share the machine. Aoi's copies are in place, Ben and Chika
// have stored copies. A start (Ben, or Aoi resident handing over to Ben) is
// run once per possible fault: each file operation failing in turn under the
// error policies "stop" and "ask, answered No", and the process dying before
// each changing operation. Then Chika starts normally. Afterwards Chika's
// copies are in place, Aoi's and Ben's latest files are exactly their stored
// copies, and no store holds another person's file.
#include <gtest/gtest.h>

#include <iostream>

#include "Desk.h"
#include "engine/InPlaceRecord.h"
#include "shell/FormMenu.h"

namespace tollervy {
namespace {

using Op = fakes::FakeFileSystem::Op;
using Files = std::map<std::string, std::string>;  // path relative to the item root -> content

const std::string Work = "C:\\Work\\";
const std::string Store = std::string(Desk::Data) + "\\";

// One person's copies of the three items: a file, a pattern and a folder.
Files CopiesOf(const std::string& who, const std::string& version) {
    const std::string tag = who + ":" + version;
    return {{"F1\\memo.txt", tag + " memo"},
            {"F2\\a.log", tag + " a.log"},
            {"F2\\b.log", tag + " b.log"},
            {"F3\\top.txt", tag + " top"},
            {"F3\\sub\\deep.txt", tag + " deep"},
            {"F3\\サブ\\日本語.txt", tag + " 日本語"}};
}

std::string LivePath(const std::string& rel) {
    if (rel.rfind("F1\\", 0) == 0) return Work + rel.substr(3);
    if (rel.rfind("F2\\", 0) == 0) return Work + rel.substr(3);
    return Work + "Notes\\" + rel.substr(3);
}

// Every seeded copy carries one time, as an installer or an archive leaves
// them: Aoi's and Ben's differ only in their bytes.
constexpr std::uint64_t SeedTime = 119'600'064'000'000'000ull;  // 1980-01-01
void PutLive(Desk& d, const Files& files) {
    for (const auto& [rel, content] : files) {
        d.p.fs.AddFile(LivePath(rel), content);
        d.p.fs.SetLastWrite(LivePath(rel), SeedTime);
    }
}
void PutStored(Desk& d, const std::string& who, const Files& files) {
    for (const auto& [rel, content] : files) {
        d.p.fs.AddFile(Store + who + "\\" + rel, content);
        d.p.fs.SetLastWrite(Store + who + "\\" + rel, SeedTime);
    }
}

Files Live(Desk& d) {
    Files files;
    for (const auto& [rel, content] : d.p.fs.Dump(Work)) {
        if (rel.back() == '\\' || rel == "other.txt") continue;
        if (rel.rfind("Notes\\", 0) == 0) files["F3\\" + rel.substr(6)] = content;
        else if (rel == "memo.txt") files["F1\\" + rel] = content;
        else files["F2\\" + rel] = content;
    }
    return files;
}
Files Stored(Desk& d, const std::string& who) {
    Files files;
    for (const auto& [rel, content] : d.p.fs.Dump(Store + who))
        if (rel.back() != '\\' && !fakes::IsManifest(rel)) files[rel] = content;
    return files;
}

// The machine before the faulty start: Aoi's latest in place, older copies
// of Aoi in the store, Ben's and Chika's stored copies.
void Seed(Desk& d) {
    d.p.fs.AddFolder(Desk::Data);
    d.Ini("Start", "Started", "1");
    d.Ini("Last", "User", "Aoi");
    d.Ini("File", "F1", Work + "memo.txt");
    d.Ini("File", "F2", Work + "*.log");
    d.Ini("File", "F3", Work + "Notes\\");
    d.p.fs.AddFile(Work + "other.txt", "not listed");
    PutLive(d, CopiesOf("Aoi", "latest"));
    PutStored(d, "Aoi", CopiesOf("Aoi", "old"));
    PutStored(d, "Ben", CopiesOf("Ben", "latest"));
    PutStored(d, "Chika", CopiesOf("Chika", "latest"));
    PutStored(d, "All Users", CopiesOf("All Users", "latest"));
}

// The record as "key=owner " for each item.
std::string RecordOf(Desk& d) {
    InPlaceRecord record;
    record.Load(d.p.context);
    std::string text;
    for (const char* key : {"F1", "F2", "F3"}) text += std::string(key) + "=" + record.Owner(key) + " ";
    return text;
}

// Boxes the faulty run may show are answered No (the error policy's
// question) or OK.
void AnswerEverythingNo(Desk& d) {
    for (int i = 0; i < 12; ++i) d.p.messages.Expect(7);
}

struct Outcome {
    int runs = 0;
    int losses = 0;
};

// Chika starts normally after `faulty`; then every person's latest files
// must be where they belong.
void CheckAfterChika(const Desk& faulty, const Files& bensLatest, Outcome& outcome, const std::string& what) {
    Desk chika;
    chika.TakeDiskOf(faulty);
    chika.p.system.loginName = "Chika";
    chika.Ini("Start", "AllWay", "0");
    EXPECT_EQ(chika.Start(), 0) << what;
    ++outcome.runs;
    bool lost = false;
    auto check = [&](bool ok, const std::string& text) {
        if (!ok) {
            lost = true;
            ADD_FAILURE() << what << ": " << text;
        }
    };
    check(Live(chika) == CopiesOf("Chika", "latest"), "Chika's copies are not in place");
    check(Stored(chika, "Aoi") == CopiesOf("Aoi", "latest"), "Aoi's latest files are not her stored copy");
    check(Stored(chika, "Ben") == bensLatest, "Ben's latest files are not his stored copy");
    check(Stored(chika, "Chika") == CopiesOf("Chika", "latest"), "Chika's stored copy changed");
    if (lost) {
        ++outcome.losses;
        if (getenv("DEBUG_INPLACE")) {
            std::string rec;
            chika.p.fs.ReadFile(Store + InPlaceRecordName, rec);
            std::cerr << "record after: " << rec << "\n";
            for (const char* who : {"Aoi", "Ben"})
                for (const auto& [k, v] : Stored(chika, who)) std::cerr << who << " " << k << " = " << v << "\n";
            std::string rec0;
            const_cast<Desk&>(faulty).p.fs.ReadOther(Store + InPlaceRecordName, rec0);
            std::cerr << "record before: " << rec0 << "\n";
            for (const auto& b : faulty.p.messages.Texts()) std::cerr << "box: " << b << "\n";
        }
    }
}

// A clean start of Ben after Aoi, to count the operations of each kind.
Desk& CleanBenStart(Desk& d) {
    Seed(d);
    d.p.system.loginName = "Ben";
    d.p.fs.ResetCounts();
    EXPECT_EQ(d.Start(), 0);
    return d;
}

TEST(InPlaceRecord, ACompleteSwitchRecordsTheNewOwnerAndChangesNothingElse) {
    Desk d;
    CleanBenStart(d);
    EXPECT_EQ(Live(d), CopiesOf("Ben", "latest"));
    EXPECT_EQ(Stored(d, "Aoi"), CopiesOf("Aoi", "latest"));
    EXPECT_EQ(d.IniValue("Last", "User"), "Ben");
    InPlaceRecord record;
    record.Load(d.p.context);
    for (const char* key : {"F1", "F2", "F3"}) EXPECT_EQ(record.Owner(key), "Ben") << key;
    // The record and the switch log are the files the switch adds to the
    // store's root.
    std::vector<std::string> root;
    d.p.fs.List(Store, 0, root);
    EXPECT_EQ(root, (std::vector<std::string>{InPlaceRecordName, "Switch.log"}));
}

TEST(InPlaceRecord, TheSameUserAgainSwitchesOnlyWhenTheRecordDisagrees) {
    // Ben is recorded in [Last] User, but the record says Aoi's copies are
    // still in place (Ben's switch stopped before its restore).
    Desk d;
    Seed(d);
    d.Ini("Last", "User", "Ben");
    d.p.fs.WriteFileAtomic(Store + InPlaceRecordName, "F1=Aoi\r\nF2=Aoi\r\nF3=Aoi\r\n");
    d.p.system.loginName = "Ben";
    EXPECT_EQ(d.Start(), 0);
    EXPECT_EQ(Live(d), CopiesOf("Ben", "latest"));
    EXPECT_EQ(Stored(d, "Aoi"), CopiesOf("Aoi", "latest"));
    EXPECT_EQ(Stored(d, "Ben"), CopiesOf("Ben", "latest"));

    // When the record agrees, nothing is touched at all.
    Desk again;
    again.TakeDiskOf(d);
    again.p.system.loginName = "Ben";
    again.p.fs.ResetCounts();
    EXPECT_EQ(again.Start(), 0);
    EXPECT_EQ(again.p.fs.Calls(Op::Copy), 0);
    EXPECT_EQ(again.p.fs.Calls(Op::Delete), 0);
}

TEST(InPlaceRecord, EveryFailureOfASwitchLosesNothing) {
    Desk counting;
    CleanBenStart(counting);
    const Op kinds[] = {Op::GetAttributes, Op::SetAttributes, Op::List, Op::Copy, Op::Delete,
                        Op::CreateFolder, Op::RemoveFolder, Op::Read, Op::Write};
    Outcome outcome;
    for (const char* policy : {"1", "2"}) {
        for (Op kind : kinds) {
            for (int n = 1; n <= counting.p.fs.Calls(kind); ++n) {
                Desk d;
                Seed(d);
                d.Ini("Last", "ErrorNext", policy);
                d.p.system.loginName = "Ben";
                AnswerEverythingNo(d);
                d.p.fs.ResetCounts();
                d.p.fs.FailNth(kind, n);
                d.Start();
                // A run that told of no failure has put Ben's copies in
                // place, and the record says so: an item left marked as
                // being overwritten would not be saved after Ben's work.
                if (d.p.messages.Texts().empty()) {
                    EXPECT_EQ(Live(d), CopiesOf("Ben", "latest")) << fakes::FakeFileSystem::OpName(kind) << " #" << n;
                    EXPECT_EQ(RecordOf(d), "F1=Ben F2=Ben F3=Ben ")
                        << "policy " << policy << ", " << fakes::FakeFileSystem::OpName(kind) << " #" << n;
                }
                d.p.messages.Clear();
                d.p.fs.ClearFaults();
                CheckAfterChika(d, CopiesOf("Ben", "latest"), outcome,
                                std::string("policy ") + policy + ", " + fakes::FakeFileSystem::OpName(kind) +
                                    " #" + std::to_string(n) + " fails");
            }
        }
    }
    std::cout << "[ failures ] " << outcome.runs << " runs, " << outcome.losses << " losses\n";
    EXPECT_GT(outcome.runs, 50);
    EXPECT_EQ(outcome.losses, 0);
}

TEST(InPlaceRecord, DyingAtAnyStepOfASwitchLosesNothing) {
    Desk counting;
    CleanBenStart(counting);
    const int mutations = counting.p.fs.Mutations();
    Outcome outcome;
    for (bool halfDone : {false, true}) {
        for (int n = 1; n <= mutations; ++n) {
            Desk d;
            Seed(d);
            d.p.system.loginName = "Ben";
            d.p.fs.ResetCounts();
            d.p.fs.AbortAtMutation(n, halfDone);
            EXPECT_NE(d.Start(), 0) << "step " << n;
            d.p.fs.ClearFaults();
            CheckAfterChika(d, CopiesOf("Ben", "latest"), outcome,
                            "dies at step " + std::to_string(n) + (halfDone ? " (half-done copy)" : ""));
        }
    }
    std::cout << "[ deaths   ] " << outcome.runs << " runs, " << outcome.losses << " losses\n";
    EXPECT_GT(outcome.runs, 20);
    EXPECT_EQ(outcome.losses, 0);
}

// Aoi is [Last] User; Ben runs resident and changes his files; the program
// dies during the exit restore (or Windows stops while it is resident).
TEST(InPlaceRecord, DyingDuringOrBeforeTheExitRestoreOfAResidentRunLosesNothing) {
    auto residentBen = [](Desk& d) {
        Seed(d);
        d.Ini("Start", "AllWay", "1");
        d.p.system.loginName = "Ben";
        EXPECT_EQ(d.Start(), std::nullopt);
        d.p.fs.AddFile(Work + "Notes\\new.txt", "Ben:latest new");
        d.p.fs.AddFile(Work + "memo.txt", "Ben:latest memo edited");
    };
    Files bensLatest = CopiesOf("Ben", "latest");
    bensLatest["F3\\new.txt"] = "Ben:latest new";
    bensLatest["F1\\memo.txt"] = "Ben:latest memo edited";

    Desk counting;
    residentBen(counting);
    counting.p.fs.ResetCounts();
    EXPECT_EQ(counting.Run([&] { counting.forms.FormMenu().mnuEnd_Click(); }), 0);
    const int mutations = counting.p.fs.Mutations();

    Outcome outcome;
    // Windows stops while Ben works: no exit at all.
    {
        Desk d;
        residentBen(d);
        CheckAfterChika(d, bensLatest, outcome, "killed while resident");
    }
    for (int n = 1; n <= mutations; ++n) {
        Desk d;
        residentBen(d);
        d.p.fs.ResetCounts();
        d.p.fs.AbortAtMutation(n, n % 2 == 0);
        EXPECT_NE(d.Run([&] { d.forms.FormMenu().mnuEnd_Click(); }), 0) << "step " << n;
        d.p.fs.ClearFaults();
        CheckAfterChika(d, bensLatest, outcome, "dies at exit step " + std::to_string(n));
    }
    std::cout << "[ resident ] " << outcome.runs << " runs, " << outcome.losses << " losses\n";
    EXPECT_EQ(outcome.losses, 0);
}

// Aoi logs on again after Ben's resident session died: she gets her own
// files back, and Ben's work is kept as his.
TEST(InPlaceRecord, ThePreviousUserAfterACrashedResidentSessionGetsTheirOwnFiles) {
    Desk d;
    Seed(d);
    d.Ini("Start", "AllWay", "1");
    d.p.system.loginName = "Ben";
    ASSERT_EQ(d.Start(), std::nullopt);
    d.p.fs.AddFile(Work + "memo.txt", "Ben:latest memo edited");

    Desk aoi;
    aoi.TakeDiskOf(d);
    aoi.Ini("Start", "AllWay", "0");
    aoi.p.system.loginName = "Aoi";
    EXPECT_EQ(aoi.Start(), 0);
    EXPECT_EQ(Live(aoi), CopiesOf("Aoi", "latest"));
    Files bensLatest = CopiesOf("Ben", "latest");
    bensLatest["F1\\memo.txt"] = "Ben:latest memo edited";
    EXPECT_EQ(Stored(aoi, "Ben"), bensLatest);
    EXPECT_EQ(aoi.IniValue("Last", "User"), "Aoi");
}

}  // namespace
}  // namespace tollervy
