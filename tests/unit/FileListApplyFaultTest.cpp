// Saving the file list never hands a path another path's copies and never
// loses anybody's file, whatever file operation fails on the way; hand-made
// lines of [File] survive it.
//
// Aoi, at the settings dialog, removes memo.txt and adds new.txt while each
// file operation of the save fails in turn. Then Ben logs on and Aoi again.
// Afterwards Aoi's files are in place, Ben's copies are his, and no store
// holds another person's or another path's file.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

#include "FileListPageSupport.h"
#include "engine/InPlaceRecord.h"

namespace tollervy {
namespace {

using namespace filelist;
using Op = fakes::FakeFileSystem::Op;

std::vector<std::string> FileSection(Desk& d) { return d.p.profile.GetSection(Desk::Ini_, "File", 65536); }

// The next Windows start on the same disk, by `user`.
void StartAs(Desk& next, const Desk& before, const std::string& user) {
    next.TakeDiskOf(before);
    next.p.system.loginName = user;
    next.Ini("Start", "AllWay", "0");
    EXPECT_EQ(next.Start(), 0) << user;
}

TEST(FileListApply, ANewKeyNeverTakesOverCopiesLeftUnderIt) {
    // Cause one: a removal that stopped half-way left Ben's copy of memo.txt
    // under F1 after the key itself was gone.
    Desk d;
    SeedTwoItems(d);
    LervIni& dlg = OpenSettings(d);
    dlg.FileList.Clear();
    d.p.fs.FailPath(Stored("Ben", "F1\\memo.txt"), false, 5, Op::Delete);
    EXPECT_FALSE(dlg.ApplyFileList());
    d.p.fs.ClearFaults();
    ASSERT_TRUE(d.p.fs.Exists(Stored("Ben", "F1\\memo.txt")));
    ASSERT_TRUE(FileSection(d).empty());
    // Cause two: a store brought from elsewhere holds F2 for Chika.
    d.p.fs.AddFile(Stored("Chika", "F2\\memo.txt"), "Chika's other file");
    dlg.FilePath.SetText(Work + "new.txt");
    dlg.FileAdd.Click();
    EXPECT_TRUE(dlg.ApplyFileList());
    EXPECT_EQ(FileSection(d), (std::vector<std::string>{"F3=" + Work + "new.txt"}));
    EXPECT_EQ(d.p.fs.Content(Stored("Ben", "F1\\memo.txt")), "Ben memo");  // left alone, not reused
    EXPECT_EQ(d.p.fs.Content(Stored("Chika", "F2\\memo.txt")), "Chika's other file");

    // Ben logs on: new.txt becomes the registration copy, not memo.txt's.
    d.p.fs.AddFile(Work + "new.txt", "Aoi new, edited");
    Desk ben;
    StartAs(ben, d, "Ben");
    EXPECT_EQ(ben.p.fs.Content(Work + "new.txt"), "Aoi new");
    EXPECT_EQ(ben.p.fs.Content(Stored("Aoi", "F3\\new.txt")), "Aoi new, edited");
}

TEST(FileListApply, HandMadeLinesAreKeptNeverNumberedAndNeverDroppedSilently) {
    Desk d;
    SeedTwoItems(d);
    d.p.fs.AddFile(Desk::Ini_, "[Start]\r\nStarted=1\r\n[Last]\r\nUser=Aoi\r\nMessage=0\r\n[File]\r\nF1=" + Work +
                                   "memo.txt\r\nno equals sign\r\nX7=" + Work + "Notes\\\r\nF02=" + Work +
                                   "a.log\r\n");
    LervIni& dlg = OpenSettings(d);
    EXPECT_EQ(dlg.FileList.Items(), (std::vector<std::string>{Work + "memo.txt", "no equals sign", Work + "Notes\\",
                                                              Work + "a.log"}));
    // Kept rows stay as they are; the new key counts F1 only, and passes
    // over F2, under which the store still holds copies of another path.
    dlg.FilePath.SetText(Work + "new.txt");
    dlg.FileAdd.Click();
    EXPECT_TRUE(dlg.ApplyFileList());
    EXPECT_EQ(d.IniValue("File", "F3"), Work + "new.txt");
    EXPECT_EQ(d.p.fs.Content(Stored("Ben", "F2\\n.txt")), "Ben n");
    EXPECT_EQ(FileSection(d).size(), 5u);

    // Removing the line without "=" is refused with the line named; the
    // list comes back from [File] as it is.
    for (int i = 0; i < dlg.FileList.ListCount(); ++i)
        if (dlg.FileList.List(i) == "no equals sign") dlg.FileList.RemoveItem(i);
    d.p.messages.Expect("設定ファイルのファイル設定に異常があります", platform::AnswerOK);
    EXPECT_FALSE(dlg.ApplyFileList());
    EXPECT_EQ(d.p.messages.Last().text, "設定ファイルのファイル設定に異常があります\r\n\r\nno equals sign");
    EXPECT_EQ(FileSection(d).size(), 5u);
    EXPECT_EQ(dlg.FileList.ListCount(), 5);

    // A hand-made key that names a store folder is an item like any other.
    for (int i = 0; i < dlg.FileList.ListCount(); ++i)
        if (dlg.FileList.List(i) == Work + "Notes\\") dlg.FileList.RemoveItem(i);
    d.p.fs.AddFile(Stored("Ben", "X7\\n.txt"), "Ben n");
    EXPECT_TRUE(dlg.ApplyFileList());
    EXPECT_EQ(d.IniValue("File", "X7"), "<missing>");
    EXPECT_FALSE(d.p.fs.Exists(Stored("Ben", "X7")));
}

// --- The sweep ---------------------------------------------------------------

struct Outcome {
    int runs = 0;
    int losses = 0;
};

// Aoi's save: memo.txt leaves the list (her copy stays in place), new.txt
// joins it.
void Edit(LervIni& dlg) {
    dlg.FileList.RemoveItem(0);
    dlg.FilePath.SetText(Work + "new.txt");
    dlg.FileAdd.Click();
}

// `memoChoices`: what memo.txt may hold at the end. Keeping the logged-on
// user's copy changes nothing; choosing the registration copy replaces Aoi's
// latest memo by that copy, or, when the removal stopped after it, by her
// own stored one.
void CheckAfterTwoSwitches(const Desk& faulty, const std::vector<std::string>& memoChoices, Outcome& outcome,
                           const std::string& what) {
    Desk ben;
    StartAs(ben, faulty, "Ben");
    Desk aoi;
    StartAs(aoi, ben, "Aoi");
    ++outcome.runs;
    bool lost = false;
    auto check = [&](bool ok, const std::string& text) {
        if (ok) return;
        lost = true;
        ADD_FAILURE() << what << ": " << text;
    };
    auto& fs = aoi.p.fs;
    const std::string memo = fs.Content(Work + "memo.txt");
    check(std::find(memoChoices.begin(), memoChoices.end(), memo) != memoChoices.end(),
          "Aoi's memo is not in place: " + memo);
    check(fs.Content(Work + "Notes\\n.txt") == "Aoi n", "Aoi's notes are not in place");
    check(fs.Content(Work + "new.txt") == "Aoi new", "Aoi's new file is not in place: " + fs.Content(Work + "new.txt"));
    // Ben's copies are his own or the registration copies, never Aoi's
    // working files under another path's key.
    for (const auto& [path, content] : fs.Dump(Store + "Ben")) {
        if (path.back() == '\\' || fakes::IsManifest(path)) continue;
        const bool notes = path.rfind("F2\\", 0) == 0;
        check(!notes || content == "Ben n", "Ben's notes changed: " + path + " = " + content);
        check(content.find("memo") == std::string::npos || path.find("memo.txt") != std::string::npos,
              "a memo copy under another path: " + path);
    }
    if (lost) ++outcome.losses;
}

TEST(FileListApply, EveryFailureOfASaveLosesNothing) {
    Desk counting;
    SeedTwoItems(counting);
    counting.Ini("Delete", "Type", "0");
    Edit(OpenSettings(counting));
    counting.p.fs.ResetCounts();
    ASSERT_TRUE(counting.forms.LervIni().ApplyFileList());
    const Op kinds[] = {Op::GetAttributes, Op::SetAttributes, Op::List, Op::Copy, Op::Delete,
                        Op::CreateFolder, Op::RemoveFolder, Op::Read, Op::Write};
    Outcome outcome;
    for (const char* type : {"0", "1"}) {
        for (Op kind : kinds) {
            for (int n = 1; n <= counting.p.fs.Calls(kind) + 1; ++n) {
                Desk d;
                SeedTwoItems(d);
                d.Ini("Delete", "Type", type);
                LervIni& dlg = OpenSettings(d);
                Edit(dlg);
                for (int i = 0; i < 6; ++i) d.p.messages.Expect(platform::AnswerOK);
                d.p.fs.ResetCounts();
                d.p.fs.FailNth(kind, n);
                // A store folder that cannot be made ends the program.
                d.Run([&] { dlg.ApplyFileList(); });
                d.p.messages.Clear();
                d.p.fs.ClearFaults();
                const std::vector<std::string> memoChoices =
                    std::string(type) == "0" ? std::vector<std::string>{"Aoi memo"}
                                             : std::vector<std::string>{"Aoi memo", "All Users memo", "Aoi old memo"};
                CheckAfterTwoSwitches(d, memoChoices, outcome,
                                      std::string("type ") + type + ", " + fakes::FakeFileSystem::OpName(kind) +
                                          " #" + std::to_string(n) + " fails");
            }
        }
    }
    std::cout << "[ failures ] " << outcome.runs << " runs, " << outcome.losses << " losses\n";
    EXPECT_GT(outcome.runs, 40);
    EXPECT_EQ(outcome.losses, 0);
}

}  // namespace
}  // namespace tollervy
