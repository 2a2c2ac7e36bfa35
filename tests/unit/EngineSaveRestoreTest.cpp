// Saving the copies in place into the data store and putting a user's copies
// back: each kind of item, first starts and the "All Users" fallback, the
// error policy, the read-only guard, the progress display, the unrecoverable
// failures, and the cases where a careless switch would lose a user's files.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "engine/SaveRestore.h"

namespace tollervy::enginetest {
namespace {

using fakes::FakeFileSystem;
using fakes::ProcessEnded;
using Op = FakeFileSystem::Op;
using Files = std::map<std::string, std::string>;
using Texts = std::vector<std::string>;

const std::string Docs = R"(C:\Users\docs\)";
const std::string Ini = R"(C:\App\settings.ini)";
const std::string Game = R"(C:\Game)";
const std::string Saves = R"(C:\Game\*.sav)";
const std::string RunEnds = "異常が発生しました\r\n処理を終了します";

// Aoi's files in place: a folder tree with a hidden file, one settings file,
// and saved games beside a file the pattern does not match.
void SeedLive(Desk& d, const std::string& who) {
    d.fs.AddFile(Docs + "a.txt", who + "-a");
    d.fs.AddFile(Docs + "日本語.txt", who + "-日本", 0);
    d.fs.AddFile(Docs + R"(sub\b.txt)", who + "-b");
    d.fs.AddFile(Docs + R"(sub\深い\c.txt)", who + "-c");
    d.fs.AddFolder(Docs + "empty");
    d.fs.AddFile(Docs + "desktop.ini", "hidden", 2 | 4);
    d.fs.AddFile(Ini, who + "-ini");
    d.fs.AddFile(Game + R"(\1.sav)", who + "-1");
    d.fs.AddFile(Game + R"(\2.sav)", who + "-2");
    d.fs.AddFile(Game + R"(\notes.txt)", "notes");
}

// Ken's stored copies, different in every kind.
void SeedStored(Desk& d, const std::string& user) {
    d.fs.AddFile(Desk::Store(user, "F1", "x.txt"), user + "-x", 0);
    d.fs.AddFile(Desk::Store(user, "F1", R"(新しい\y.txt)"), user + "-y");
    d.fs.AddFolder(Desk::Store(user, "F1", "kept-empty"));
    d.fs.AddFile(Desk::Store(user, "F2", "settings.ini"), user + "-ini");
    d.fs.AddFile(Desk::Store(user, "F3", "1.sav"), user + "-1");
    d.fs.AddFile(Desk::Store(user, "F3", "3.sav"), user + "-3");
}

void ListThree(Desk& d) { d.List({Docs, Ini, Saves}); }
// The settings file alone, under the key it has in ListThree.
void ListIni(Desk& d) { d.WriteSetting("File", "F2", Ini); }

TEST(EngineSave, EachKindIsStoredAsTheUsersCopy) {
    Desk d;
    SeedLive(d, "Aoi");
    ListThree(d);
    ASSERT_TRUE(SaveUserData(d.c, "Aoi"));

    auto mirror = d.fs.Dump(Docs);
    mirror.erase("desktop.ini");  // hidden and system files are never copied
    EXPECT_EQ(d.fs.Dump(Desk::Store("Aoi", "F1")), mirror);
    EXPECT_EQ(d.fs.Attributes(Desk::Store("Aoi", "F1", "日本語.txt")), 0u);  // attributes as in place
    EXPECT_EQ(FilesOf(d.fs.Dump(Desk::Store("Aoi", "F2"))), (Files{{"settings.ini", "Aoi-ini"}}));
    EXPECT_EQ(FilesOf(d.fs.Dump(Desk::Store("Aoi", "F3"))), (Files{{"1.sav", "Aoi-1"}, {"2.sav", "Aoi-2"}}));
    EXPECT_EQ(d.c.state.FileSectionLines, (Texts{"F1=" + Docs, "F2=" + Ini, "F3=" + Saves}));
    EXPECT_EQ(d.status.phases, Texts{"前回のユーザの情報を保存中"});
    EXPECT_EQ(d.status.bars.back(), 50.0f);
    EXPECT_EQ(d.status.details.back(), "");  // the file line is cleared after each item

    // A second save replaces the first: what was deleted in place is gone
    // from the copy too.
    d.fs.Remove(Docs + R"(sub\b.txt)");
    d.fs.Remove(Game + R"(\2.sav)");
    d.fs.AddFile(Docs + "a.txt", "Aoi-a2");
    ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
    EXPECT_FALSE(d.fs.Exists(Desk::Store("Aoi", "F1", R"(sub\b.txt)")));
    EXPECT_EQ(d.fs.Content(Desk::Store("Aoi", "F1", "a.txt")), "Aoi-a2");
    EXPECT_EQ(FilesOf(d.fs.Dump(Desk::Store("Aoi", "F3"))), (Files{{"1.sav", "Aoi-1"}}));
}

TEST(EngineSave, FolderWithoutItsBackslashAndTheProgramsOwnFolder) {
    Desk d;
    d.fs.AddFile(R"(C:\Program Files\tool\t.txt)", "t");
    d.fs.AddFile(ProgramFolder + R"(\Tollervy.ini)", "settings");
    d.fs.AddFile(Desk::Store("Ken", "F9", "k.txt"), "Ken's");
    d.fs.AddFile(R"(C:\Program Files\readme.txt)", "r");
    d.List({R"(C:\Program Files)"});  // a plain directory written without "\"
    ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
    // The program's folder (and the data store in it) is left out.
    EXPECT_EQ(FilesOf(d.fs.Dump(Desk::Store("Aoi", "F1"))),
              (Files{{"readme.txt", "r"}, {"tool\\t.txt", "t"}}));
}

TEST(EngineRestore, EachKindIsPutInPlaceFromTheUsersCopy) {
    Desk d;
    SeedLive(d, "Aoi");
    SeedStored(d, "Ken");
    ListThree(d);
    const auto store = d.fs.Dump(Data);
    ASSERT_TRUE(RestoreUserData(d.c, "Ken", "Aoi"));

    // The folder holds exactly the stored tree (the hidden file, never part
    // of any copy, stays where it is).
    auto live = d.fs.Dump(Docs);
    EXPECT_EQ(live.erase("desktop.ini"), 1u);
    EXPECT_EQ(live, d.fs.Dump(Desk::Store("Ken", "F1")));
    EXPECT_EQ(d.fs.Attributes(Docs + "x.txt"), 0u);
    EXPECT_EQ(d.fs.Content(Ini), "Ken-ini");
    // Only files that match the pattern are replaced.
    EXPECT_EQ(FilesOf(d.fs.Dump(Game)), (Files{{"1.sav", "Ken-1"}, {"3.sav", "Ken-3"}, {"notes.txt", "notes"}}));
    // The store is only read.
    EXPECT_EQ(fakes::WithoutManifests(d.fs.Dump(Data)), fakes::WithoutManifests(store));
    EXPECT_EQ(d.status.phases, Texts{"Kenの情報を回復中"});
    EXPECT_EQ(d.status.bars.back(), 100.0f);
    EXPECT_EQ(d.status.details.back(), "");
}

TEST(EngineRestore, SwitchingBackAndForthGivesEachUserTheirLatestFiles) {
    Desk d;
    SeedLive(d, "Aoi");
    ListThree(d);
    d.fs.AddFile(Desk::Store("All Users", "F1", "common.txt"), "common");
    d.fs.AddFile(Desk::Store("All Users", "F2", "settings.ini"), "common-ini");
    d.fs.AddFile(Desk::Store("All Users", "F3", "0.sav"), "common-0");
    auto switchTo = [&](const std::string& from, const std::string& to) {
        ASSERT_TRUE(SaveUserData(d.c, from));
        ASSERT_TRUE(RestoreUserData(d.c, to, from));
    };
    const auto aoiDocs = d.fs.Dump(Docs);
    switchTo("Aoi", "Ken");  // Ken's first start: the "All Users" copies
    EXPECT_EQ(d.fs.Content(Ini), "common-ini");
    EXPECT_EQ(d.fs.Content(Docs + "common.txt"), "common");
    d.fs.AddFile(Ini, "Ken-ini");
    d.fs.AddFile(Docs + R"(ken\日記.txt)", "Ken's diary");
    d.fs.AddFile(Game + R"(\9.sav)", "Ken-9");
    const auto kenDocs = d.fs.Dump(Docs);
    switchTo("Ken", "Aoi");
    EXPECT_EQ(d.fs.Dump(Docs), aoiDocs);
    EXPECT_EQ(d.fs.Content(Ini), "Aoi-ini");
    EXPECT_EQ(FilesOf(d.fs.Dump(Game)), (Files{{"1.sav", "Aoi-1"}, {"2.sav", "Aoi-2"}, {"notes.txt", "notes"}}));
    switchTo("Aoi", "Ken");
    EXPECT_EQ(d.fs.Dump(Docs), kenDocs);
    EXPECT_EQ(d.fs.Content(Ini), "Ken-ini");
    EXPECT_EQ(FilesOf(d.fs.Dump(Game)), (Files{{"0.sav", "common-0"}, {"9.sav", "Ken-9"}, {"notes.txt", "notes"}}));
}

TEST(EngineRestore, FirstStartAndTheAllUsersFallback) {
    {  // Right after "All Users": what is in place already is the start.
        Desk d;
        SeedLive(d, "Aoi");
        SeedStored(d, "All Users");
        ListThree(d);
        d.c.state.StartDebug = "1";
        d.messages.Expect("Newの初めての起動", platform::AnswerOK);
        const int before = d.fs.Mutations();
        int kept = 0;
        ItemHooks hooks;
        hooks.keptInPlace = [&] { ++kept; };
        EXPECT_TRUE(RestoreUserData(d.c, "New", "All Users", &hooks));
        EXPECT_EQ(kept, 1);
        EXPECT_EQ(d.messages.Last().style, 64u + 4096u);
        EXPECT_EQ(d.fs.Mutations(), before);
        EXPECT_EQ(d.fs.Content(Ini), "Aoi-ini");
    }
    {  // After a named user: every item from "All Users".
        Desk d;
        SeedLive(d, "Aoi");
        SeedStored(d, "All Users");
        ListThree(d);
        EXPECT_TRUE(RestoreUserData(d.c, "New", "Aoi"));
        EXPECT_EQ(d.fs.Content(Ini), "All Users-ini");
        EXPECT_EQ(d.fs.Content(Docs + "x.txt"), "All Users-x");
    }
    {  // An item listed after the user's last save: its "All Users" copy.
        Desk d;
        SeedLive(d, "Aoi");
        SeedStored(d, "All Users");
        d.fs.AddFile(Desk::Store("Ken", "F2", "settings.ini"), "Ken-ini");
        ListThree(d);
        EXPECT_TRUE(RestoreUserData(d.c, "Ken", "Aoi"));
        EXPECT_EQ(d.fs.Content(Ini), "Ken-ini");
        EXPECT_EQ(d.fs.Content(Docs + "x.txt"), "All Users-x");
        EXPECT_EQ(d.fs.Content(Game + R"(\3.sav)"), "All Users-3");
    }
    {  // No copy for the user nor for "All Users": the item fails.
        Desk d;
        SeedLive(d, "Aoi");
        d.fs.AddFile(Desk::Store("Ken", "F5", "x.txt"));  // Ken has a folder, but no copy of this item
        ListIni(d);
        d.c.state.StartDebug = "1";
        d.messages.Expect(Data + "\\All Users\\F2\r\n存在しない", platform::AnswerOK);
        d.messages.Expect(RunEnds, platform::AnswerOK);
        EXPECT_FALSE(RestoreUserData(d.c, "Ken", "Aoi"));
        EXPECT_EQ(d.fs.Content(Ini), "Aoi-ini");
    }
    {  // A listed file that is gone in place fails, although a copy exists.
        Desk d;
        SeedStored(d, "Ken");
        ListIni(d);
        d.messages.Expect(RunEnds, platform::AnswerOK);
        EXPECT_FALSE(RestoreUserData(d.c, "Ken", "Aoi"));
        EXPECT_FALSE(d.fs.Exists(Ini));
    }
}

TEST(EngineRestore, AUsersCopyThatCannotBeReadIsNeverReplacedByAnotherOne) {
    // Ken's copy exists but its listing fails: handing out the "All Users"
    // copy would make the next save overwrite Ken's files with it.
    Desk d;
    SeedLive(d, "Aoi");
    SeedStored(d, "Ken");
    SeedStored(d, "All Users");
    ListIni(d);
    d.fs.FailPath(Desk::Store("Ken", "F2"), false, 5, Op::List);
    d.messages.Expect(RunEnds, platform::AnswerOK);
    EXPECT_FALSE(RestoreUserData(d.c, "Ken", "Aoi"));
    EXPECT_EQ(d.fs.Content(Ini), "Aoi-ini");

    // Nor is a user folder that exists but cannot be listed a first start:
    // Ken still gets his own copies.
    Desk e;
    SeedLive(e, "Aoi");
    SeedStored(e, "Ken");
    SeedStored(e, "All Users");
    ListThree(e);
    e.fs.FailPath(Data + "\\Ken", false, 5, Op::List);
    EXPECT_TRUE(RestoreUserData(e.c, "Ken", "Aoi"));
    EXPECT_EQ(e.fs.Content(Ini), "Ken-ini");
    EXPECT_EQ(e.fs.Content(Docs + "x.txt"), "Ken-x");
}

// A copy that fails an item (a full disk) is named in the question with
// Windows' reason, for each kind of item, saving and restoring.
TEST(EngineSave, TheQuestionNamesWindowsReasonForAFailedCopy) {
    const std::string full = "\r\nThere is not enough space on the disk.";
    struct Case {
        bool saving;
        int copy;  // which copy fails
        std::string text;
    };
    for (const Case& k : {Case{true, 1, "前ユーザのデータの待避に失敗しました\r\n" + Docs + full},
                          Case{true, 5, "前ユーザのデータの待避に失敗しました\r\n" + Ini + full},
                          Case{true, 6, "前ユーザのデータの待避に失敗しました\r\n" + Saves + full},
                          Case{false, 1, "ユーザのデータの復活に失敗しました\r\n" + Docs + full},
                          Case{false, 3, "ユーザのデータの復活に失敗しました\r\n" + Ini + full},
                          Case{false, 4, "ユーザのデータの復活に失敗しました\r\n" + Saves + full}}) {
        Desk d;
        SeedLive(d, "Aoi");
        SeedStored(d, "Ken");
        ListThree(d);
        d.c.state.LastErrorNext = 2;
        d.fs.FailNth(Op::Copy, k.copy, 112);
        d.messages.Expect(platform::AnswerYes);
        EXPECT_TRUE(k.saving ? SaveUserData(d.c, "Aoi") : RestoreUserData(d.c, "Ken", "Aoi")) << k.text;
        ASSERT_EQ(d.messages.Count(), 1u) << k.text;
        const std::string shown = d.messages.Last().text;
        EXPECT_EQ(shown.substr(shown.rfind("\r\n\r\n") + 4), k.text);
    }
}

TEST(EngineSave, ErrorPolicyDecidesAfterAFailedItem) {
    const std::string missing = R"(C:\App\gone.ini)";
    const std::string question = "エラーが発生しました\r\n処理を続行した場合、データがどうなるかわかりません\r\n処理を続行しますか?"
                                 "\r\n\r\n前ユーザのデータの待避に失敗しました\r\n" + missing;
    struct Case {
        std::int16_t policy;
        int answer;  // to the question, when asked
        bool result;
        Texts boxes;
    };
    for (const Case& k : {Case{0, 0, true, {}}, Case{1, 0, false, {RunEnds}},
                          Case{2, platform::AnswerYes, true, {question}},
                          Case{2, platform::AnswerNo, false, {question, RunEnds}}}) {
        Desk d;
        d.fs.AddFile(Ini, "ini");
        d.List({missing, Ini});
        d.c.state.LastErrorNext = k.policy;
        if (k.answer) d.messages.Expect(k.answer);
        if (!k.result) d.messages.Expect(RunEnds, platform::AnswerOK);
        EXPECT_EQ(SaveUserData(d.c, "Aoi"), k.result) << k.policy;
        EXPECT_EQ(d.messages.Texts(), k.boxes) << k.policy;
        EXPECT_EQ(d.fs.Exists(Desk::Store("Aoi", "F2", "settings.ini")), k.result) << k.policy;
    }
    // The missing file's diagnostic appears in debug mode only, before the policy.
    Desk d;
    d.List({missing});
    d.c.state.StartDebug = "1";
    d.messages.Expect(missing + "\r\n存在しない", platform::AnswerOK);
    d.messages.Expect(RunEnds, platform::AnswerOK);
    EXPECT_FALSE(SaveUserData(d.c, "Aoi"));
}

TEST(EngineRestore, ErrorPolicyDecidesAfterAFailedItem) {
    const std::string question = "エラーが発生しました\r\n処理を続行した場合、データがどうなるかわかりません\r\n処理を続行しますか?"
                                 "\r\n\r\nユーザのデータの復活に失敗しました";
    for (const int answer : {platform::AnswerYes, platform::AnswerNo}) {
        Desk d;
        SeedLive(d, "Aoi");
        SeedStored(d, "Ken");
        d.fs.Remove(Desk::Store("Ken", "F2"));  // no copy of the settings file anywhere
        ListThree(d);
        d.c.state.LastErrorNext = 2;
        d.messages.Expect(question + "\r\n" + Ini, answer);  // the failed item's path on the last line
        if (answer == platform::AnswerNo) d.messages.Expect(RunEnds, platform::AnswerOK);
        EXPECT_EQ(RestoreUserData(d.c, "Ken", "Aoi"), answer == platform::AnswerYes);
        // After Yes the next item is restored; after No it is left as it was.
        EXPECT_EQ(d.fs.Content(Game + R"(\1.sav)"), answer == platform::AnswerYes ? "Ken-1" : "Aoi-1");
    }
}

TEST(EngineSave, ReadOnlyGuardFailsTheItemBeforeTheStoredCopyIsTouched) {
    Desk d;
    SeedLive(d, "Aoi");
    d.fs.AddFile(Docs + R"(sub\locked.txt)", "L", 1);
    d.fs.AddFile(Desk::Store("Aoi", "F1", "old.txt"), "previous copy");
    d.List({Docs});
    d.messages.Expect(Docs + "sub\\locked.txt\r\n読み取り専用です", platform::AnswerOK);
    d.messages.Expect(RunEnds, platform::AnswerOK);
    EXPECT_FALSE(SaveUserData(d.c, "Aoi"));
    EXPECT_EQ(FilesOf(d.fs.Dump(Desk::Store("Aoi", "F1"))), (Files{{"old.txt", "previous copy"}}));

    // With [Delete] ReadOnly "1" it is saved, read-only bit included.
    d.c.state.DeleteReadOnly = "1";
    EXPECT_TRUE(SaveUserData(d.c, "Aoi"));
    EXPECT_EQ(d.fs.Attributes(Desk::Store("Aoi", "F1", R"(sub\locked.txt)")), 1u);
    EXPECT_FALSE(d.fs.Exists(Desk::Store("Aoi", "F1", "old.txt")));

    // A read-only file entry is refused by name, as is the folder of a pattern.
    Desk e;
    e.fs.AddFile(Ini, "ini", 1);
    e.fs.AddFolder(R"(C:\RoGame)", 16 | 1);
    e.fs.AddFile(R"(C:\RoGame\1.sav)");
    e.List({Ini, R"(C:\RoGame\*.sav)"});
    e.c.state.LastErrorNext = 0;
    e.messages.Expect(Ini + "\r\n読み取り専用です", platform::AnswerOK);
    e.messages.Expect("C:\\RoGame\r\n読み取り専用です", platform::AnswerOK);
    EXPECT_TRUE(SaveUserData(e.c, "Aoi"));
    EXPECT_FALSE(e.fs.Exists(Desk::Store("Aoi", "F1")));
}

TEST(EngineRestore, ReadOnlyGuardAndUnemptiableFoldersFailBeforeAnythingInPlaceIsDeleted) {
    Desk d;
    SeedLive(d, "Aoi");
    SeedStored(d, "Ken");
    d.fs.AddFile(Desk::Store("Ken", "F1", R"(新しい\ro.txt)"), "r", 1);
    d.List({Docs});
    const auto before = d.fs.Dump(Docs);
    d.messages.Expect(Desk::Store("Ken", "F1", R"(新しい\ro.txt)") + "\r\n読み取り専用です", platform::AnswerOK);
    d.messages.Expect(RunEnds, platform::AnswerOK);
    EXPECT_FALSE(RestoreUserData(d.c, "Ken", "Aoi"));
    EXPECT_EQ(d.fs.Dump(Docs), before);

    // A live subfolder holding a system file cannot be emptied: nothing goes.
    Desk e;
    SeedLive(e, "Aoi");
    SeedStored(e, "Ken");
    e.fs.AddFile(Docs + R"(sub\Thumbs.db)", "", 2 | 4);
    e.List({Docs});
    const auto withThumbs = e.fs.Dump(Docs);
    e.messages.Expect(RunEnds, platform::AnswerOK);
    EXPECT_FALSE(RestoreUserData(e.c, "Ken", "Aoi"));
    EXPECT_EQ(e.fs.Dump(Docs), withThumbs);
}

TEST(EngineRestore, AReadOnlyFileEntryIsReplacedWhenReadOnlyFilesMayChange) {
    Desk d;
    d.fs.AddFile(Ini, "Aoi-ini", 1);
    d.fs.AddFile(Desk::Store("Ken", "F2", "settings.ini"), "Ken-ini", 1);
    ListIni(d);
    d.messages.Expect(Ini + "\r\n読み取り専用です", platform::AnswerOK);
    d.messages.Expect(RunEnds, platform::AnswerOK);
    EXPECT_FALSE(RestoreUserData(d.c, "Ken", "Aoi"));
    EXPECT_EQ(d.fs.Content(Ini), "Aoi-ini");
    d.c.state.DeleteReadOnly = "1";
    EXPECT_TRUE(RestoreUserData(d.c, "Ken", "Aoi"));
    EXPECT_EQ(d.fs.Content(Ini), "Ken-ini");
    EXPECT_EQ(d.fs.Attributes(Ini).value_or(0) & 1u, 1u);  // as stored
}

TEST(EngineSwitch, ProgressBandsSplitEachHalfEvenly) {
    Desk d;
    for (int i = 1; i <= 4; ++i) {
        d.fs.AddFile("C:\\f\\" + std::to_string(i) + ".txt", "v");
        d.fs.AddFile(Desk::Store("Ken", "F" + std::to_string(i), std::to_string(i) + ".txt"), "k");
    }
    d.List({R"(C:\f\1.txt)", R"(C:\f\2.txt)", R"(C:\f\3.txt)", R"(C:\f\4.txt)"});
    std::vector<std::pair<int, int>> bands;
    ItemHooks hooks;
    hooks.beforeChange = [&](const ItemStep&) {
        bands.emplace_back(d.c.state.ProgressStart, d.c.state.ProgressEnd);
        return true;
    };
    ASSERT_TRUE(SaveUserData(d.c, "Aoi", &hooks));
    // 12.5 goes to 12 and 37.5 to 38: halves to even.
    EXPECT_EQ(bands, (std::vector<std::pair<int, int>>{{0, 12}, {12, 25}, {25, 38}, {38, 50}}));
    EXPECT_EQ(d.status.bars, (std::vector<float>{0, 12, 12, 25, 25, 38, 38, 50, 50}));
    d.status.bars.clear();
    bands.clear();
    ASSERT_TRUE(RestoreUserData(d.c, "Ken", "Aoi", &hooks));
    EXPECT_EQ(bands, (std::vector<std::pair<int, int>>{{50, 62}, {62, 75}, {75, 88}, {88, 100}}));
    EXPECT_EQ(d.status.bars, (std::vector<float>{50, 62, 62, 75, 75, 88, 88, 100}));
}

TEST(EngineSwitch, TheBarMovesInsideTheBandPerFolderAndPerFile) {
    Desk d;
    d.fs.AddFile(R"(C:\d\a.txt)");
    d.fs.AddFile(R"(C:\d\s\b.txt)");
    d.fs.AddFile(R"(C:\d\s\t\c.txt)");
    d.fs.AddFile(R"(C:\g\1.sav)");
    d.fs.AddFile(R"(C:\g\2.sav)");
    d.fs.AddFile(R"(C:\g\3.sav)");
    d.fs.AddFile(R"(C:\g\4.sav)");
    d.List({R"(C:\d\)", R"(C:\g\*.sav)"});
    ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
    // Folder item in 0-25, three folders; pattern item in 25-50, four files.
    const std::vector<float> expected{0, 25.0f / 3, 50.0f / 3, 25, 25, 25, 31.25f, 37.5f, 43.75f, 50, 50, 50};
    ASSERT_EQ(d.status.bars.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_FLOAT_EQ(d.status.bars[i], expected[i]) << i;
    EXPECT_EQ(d.status.FileLines(), (Texts{R"(C:\d\a.txt)", R"(C:\d\s\b.txt)", R"(C:\d\s\t\c.txt)", R"(C:\g\1.sav)",
                                          R"(C:\g\2.sav)", R"(C:\g\3.sav)", R"(C:\g\4.sav)"}));
}

TEST(EngineSwitch, WithStatusOffNothingIsShownButEverythingSwitches) {
    Desk d;
    SeedLive(d, "Aoi");
    SeedStored(d, "Ken");
    ListThree(d);
    d.c.state.StartStatus = "0";
    ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
    ASSERT_TRUE(RestoreUserData(d.c, "Ken", "Aoi"));
    EXPECT_TRUE(d.status.Untouched());
    EXPECT_EQ(d.fs.Content(Ini), "Ken-ini");
    EXPECT_EQ(d.fs.Content(Desk::Store("Aoi", "F2", "settings.ini")), "Aoi-ini");
}

TEST(EngineSave, UnregisteredUserAndEmptyListTouchNothingElse) {
    Desk d;
    SeedLive(d, "Aoi");
    ListThree(d);
    const int before = d.fs.Mutations();
    EXPECT_TRUE(SaveUserData(d.c, "\\"));
    EXPECT_EQ(d.fs.Mutations(), before);
    EXPECT_EQ(d.status.phases, Texts{"前回のユーザの情報を削除中"});
    EXPECT_EQ(d.status.bars, std::vector<float>{50});

    Desk e;
    EXPECT_TRUE(SaveUserData(e.c, "新人"));
    EXPECT_TRUE(e.fs.IsFolder(Data + "\\新人"));
    EXPECT_TRUE(e.fs.Dump(Data + "\\新人").empty());
    EXPECT_EQ(e.status.bars, std::vector<float>{50});
}

TEST(EngineSave, AnUnusableStoreEndsTheProgramAfterItsMessage) {
    const std::string fatal = "書き込み権限がありません\r\n致命的なエラーです\r\n\r\n";
    {
        Desk d;
        d.fs.AddFile(Ini);
        d.List({Ini});
        d.fs.FailPath(Data + "\\Aoi", true, 5, Op::CreateFolder);
        d.messages.Expect(fatal + Data, platform::AnswerOK);
        EXPECT_THROW(SaveUserData(d.c, "Aoi"), ProcessEnded);
        EXPECT_TRUE(d.p.system.endedWith.has_value());
        EXPECT_EQ(d.messages.Last().text, fatal + Data);
    }
    {
        Desk d;
        d.fs.AddFile(Ini);
        d.List({Ini});
        d.fs.FailPath(Desk::Store("Aoi", "F1"), true, 5, Op::CreateFolder);
        d.messages.Expect(fatal + Desk::Store("Aoi", "F1"), platform::AnswerOK);
        EXPECT_THROW(SaveUserData(d.c, "Aoi"), ProcessEnded);
    }
    {  // A stored copy that cannot be emptied fails its item only.
        Desk d;
        d.fs.AddFile(Ini, "new");
        d.fs.AddFile(Desk::Store("Aoi", "F1", "settings.ini"), "old");
        d.List({Ini});
        d.fs.FailPath(Desk::Store("Aoi", "F1", "settings.ini"), false, 5, Op::Delete);
        d.messages.Expect(fatal + Desk::Store("Aoi", "F1") + "\\", platform::AnswerOK);
        d.messages.Expect(RunEnds, platform::AnswerOK);
        EXPECT_FALSE(SaveUserData(d.c, "Aoi"));
        EXPECT_EQ(d.fs.Content(Desk::Store("Aoi", "F1", "settings.ini")), "old");
    }
}

// --- What a careless switch would lose ------------------------------------

TEST(EngineSave, AFailedCopyFailsTheItemSoTheRestoreNeverOverwritesTheOnlyVersion) {
    for (const std::string& listed : {Ini, Saves, Docs}) {
        Desk d;
        SeedLive(d, "Aoi");
        SeedStored(d, "Ken");
        d.List({listed});
        const auto live = d.fs.Dump(R"(C:\)");
        d.fs.FailNth(Op::Copy, 1);
        d.messages.Expect(RunEnds, platform::AnswerOK);
        // As the switch run does it: no restore after a save that stopped.
        const bool saved = SaveUserData(d.c, "Aoi");
        EXPECT_FALSE(saved) << listed;
        if (saved) RestoreUserData(d.c, "Ken", "Aoi");
        EXPECT_EQ(d.fs.Content(Ini), "Aoi-ini") << listed;
        EXPECT_EQ(d.fs.Content(Docs + "a.txt"), "Aoi-a") << listed;
        EXPECT_EQ(d.fs.Content(Game + R"(\2.sav)"), "Aoi-2") << listed;
    }
    // "Ignore" goes on, as the user chose.
    Desk d;
    d.fs.AddFile(Ini, "ini");
    ListIni(d);
    d.c.state.LastErrorNext = 0;
    d.fs.FailNth(Op::Copy, 1);
    EXPECT_TRUE(SaveUserData(d.c, "Aoi"));
}

TEST(EngineRestore, AFailedCopyOfAFileEntryIsAFailedItem) {
    Desk d;
    SeedLive(d, "Aoi");
    SeedStored(d, "Ken");
    d.List({Ini});
    d.fs.FailNth(Op::Copy, 1, 32);
    d.c.state.StartDebug = "1";
    d.messages.Expect([](const std::string& t) { return t.rfind("32\r\n", 0) == 0; }, "error number 32 first",
                      platform::AnswerOK);
    d.messages.Expect(RunEnds, platform::AnswerOK);
    EXPECT_FALSE(RestoreUserData(d.c, "Ken", "Aoi"));
    EXPECT_EQ(d.fs.Content(Ini), "Aoi-ini");
}

TEST(EngineRestore, AFolderThatCannotBeMadeFailsTheItemEvenWhenEmpty) {
    Desk d;
    SeedLive(d, "Aoi");
    SeedStored(d, "Ken");
    d.List({Docs});
    d.fs.FailPath(Docs + "kept-empty", false, 5, Op::CreateFolder);
    d.messages.Expect(RunEnds, platform::AnswerOK);
    EXPECT_FALSE(RestoreUserData(d.c, "Ken", "Aoi"));
}

TEST(EngineSwitch, LinesThatNameNoItemFailWithoutTouchingTheStore) {
    Desk d;
    d.fs.AddFile(Desk::Store("Aoi", "F1", "keep.txt"), "keep");
    d.fs.AddFile(Ini, "ini");
    const auto store = d.fs.Dump(Data);
    const int before = d.fs.Mutations();
    for (const std::string& line : {std::string(R"(C:\App\settings.ini)"), "=" + Ini, "..=" + Ini, R"(F1\..\..=)" + Ini,
                                   std::string("F1=")}) {
        d.messages.Expect("設定ファイルのファイル設定に異常があります", platform::AnswerOK);
        EXPECT_FALSE(SaveFileEntry(d.c, Data + "\\Aoi", line)) << line;
        d.messages.Expect("設定ファイルのファイル設定に異常があります", platform::AnswerOK);
        EXPECT_FALSE(RestoreFileEntry(d.c, Data + "\\Aoi", line)) << line;
    }
    EXPECT_EQ(d.fs.Mutations(), before);
    EXPECT_EQ(d.fs.Dump(Data), store);

    // In the list, such a line is a failed item for the policy like any other.
    Desk e;
    e.fs.AddTextFile(e.c.state.IniFilePath, {"[File]", "broken line", "F2=" + Ini});
    e.fs.AddFile(Ini, "ini");
    e.c.state.LastErrorNext = 0;
    e.messages.Expect("設定ファイルのファイル設定に異常があります", platform::AnswerOK);
    EXPECT_TRUE(SaveUserData(e.c, "Aoi"));
    EXPECT_EQ(e.fs.Content(Desk::Store("Aoi", "F2", "settings.ini")), "ini");
    EXPECT_EQ(FilesOf(e.fs.Dump(Data + "\\Aoi")), (Files{{"F2\\settings.ini", "ini"}}));
}

TEST(EngineSwitch, UserNamesThatWouldLeaveTheStoreAreRefusedUntouched) {
    for (const char* bad : {"", ".", "..", "..\\..", "a\\b", "a/b", "x.", "x ", "CON", "C:", "\\"}) {
        const std::string name = bad;
        Desk d;
        SeedLive(d, "Aoi");
        SeedStored(d, "All Users");
        ListThree(d);
        const int before = d.fs.Mutations();
        if (name != "\\") {  // "\" is the unregistered marker: it saves nothing, by design
            d.messages.Expect(RunEnds, platform::AnswerOK);
            EXPECT_FALSE(SaveUserData(d.c, name)) << name;
        }
        d.messages.Expect(RunEnds, platform::AnswerOK);
        EXPECT_FALSE(RestoreUserData(d.c, name, "Aoi")) << name;
        EXPECT_EQ(d.fs.Mutations(), before) << name;
        EXPECT_EQ(d.fs.Content(Ini), "Aoi-ini") << name;
    }
}

TEST(EngineSwitch, TheDataStoreIsNeverAListedItem) {
    Desk d;
    SeedStored(d, "Aoi");
    SeedStored(d, "Ken");
    const auto store = d.fs.Dump(Data);
    d.List({Data + "\\Aoi\\", Data + R"(\Ken\F3\*.sav)", R"(c:\program files\tollervy\data\)"});
    d.c.state.LastErrorNext = 0;
    for (int i = 0; i < 3; ++i) d.messages.Expect("設定ファイルのファイル設定に異常があります", platform::AnswerOK);
    EXPECT_TRUE(SaveUserData(d.c, "Aoi"));
    for (int i = 0; i < 3; ++i) d.messages.Expect("設定ファイルのファイル設定に異常があります", platform::AnswerOK);
    EXPECT_TRUE(RestoreUserData(d.c, "Ken", "Aoi"));
    EXPECT_EQ(d.fs.Dump(Data), store);
}

TEST(EngineSwitch, AnUnreadableListIsNotAnEmptyOne) {
    // The settings file's length cannot be read: the save must not pass for
    // a save of nothing, or the restore would overwrite every item.
    Desk d;
    SeedLive(d, "Aoi");
    SeedStored(d, "Ken");
    ListThree(d);
    d.fs.FailPath(d.c.state.IniFilePath, false, 32, Op::Read);
    d.messages.Expect(RunEnds, platform::AnswerOK);
    EXPECT_FALSE(SaveUserData(d.c, "Aoi"));
    d.messages.Expect(RunEnds, platform::AnswerOK);
    EXPECT_FALSE(RestoreUserData(d.c, "Ken", "Aoi"));
    EXPECT_EQ(d.fs.Content(Ini), "Aoi-ini");
    // A read that fails once is read again.
    Desk e;
    SeedLive(e, "Aoi");
    ListThree(e);
    e.fs.FailNth(Op::Read, 1);
    EXPECT_TRUE(SaveUserData(e.c, "Aoi"));
    EXPECT_EQ(e.fs.Content(Desk::Store("Aoi", "F2", "settings.ini")), "Aoi-ini");
}

TEST(EngineSwitch, HooksWrapEachItemsDestructiveStep) {
    Desk d;
    SeedLive(d, "Aoi");
    SeedStored(d, "Ken");
    ListThree(d);
    Texts log;
    ItemHooks hooks;
    hooks.beforeChange = [&](const ItemStep& s) {
        // Before the step nothing of it has happened yet.
        const std::string probe = s.saving ? Desk::Store("Aoi", s.key) : Ini;
        log.push_back(std::string(s.saving ? "save " : "restore ") + std::to_string(s.index) + " " + s.key + " " +
                      s.user + " " + s.store + (s.saving ? "" : " " + d.fs.Content(probe)));
        return true;
    };
    hooks.afterChange = [&](const ItemStep& s, bool ok) { log.push_back(std::string(ok ? "ok " : "failed ") + s.key); };
    ASSERT_TRUE(SaveUserData(d.c, "Aoi", &hooks));
    ASSERT_TRUE(RestoreUserData(d.c, "Ken", "Aoi", &hooks));
    EXPECT_EQ(log, (Texts{"save 0 F1 Aoi " + Desk::Store("Aoi", "F1"), "ok F1",
                          "save 1 F2 Aoi " + Desk::Store("Aoi", "F2"), "ok F2",
                          "save 2 F3 Aoi " + Desk::Store("Aoi", "F3"), "ok F3",
                          "restore 0 F1 Ken " + Desk::Store("Ken", "F1") + "\\ Aoi-ini", "ok F1",
                          "restore 1 F2 Ken " + Desk::Store("Ken", "F2") + "\\ Aoi-ini", "ok F2",
                          "restore 2 F3 Ken " + Desk::Store("Ken", "F3") + "\\ Ken-ini", "ok F3"}));

    // A hook that says no fails the item with nothing changed.
    Desk e;
    SeedLive(e, "Aoi");
    SeedStored(e, "Ken");
    ListIni(e);
    ItemHooks veto;
    veto.beforeChange = [](const ItemStep&) { return false; };
    e.c.state.LastErrorNext = 0;
    const int before = e.fs.Mutations();
    EXPECT_TRUE(RestoreUserData(e.c, "Ken", "Aoi", &veto));
    EXPECT_EQ(e.fs.Mutations(), before);
    EXPECT_EQ(e.fs.Content(Ini), "Aoi-ini");
}

TEST(EngineSwitch, EachItemCanBeSavedAsTheUserWhoseCopyItHolds) {
    Desk d;
    SeedLive(d, "Aoi");
    ListThree(d);
    ItemHooks hooks;
    // The settings file still holds Ken's copy (say, his restore of it was
    // the one that failed); the saved games belong to nobody.
    hooks.saveAs = [](std::size_t i, const std::string&, const std::string& user) -> std::string {
        return i == 1 ? "Ken" : i == 2 ? "\\" : user;
    };
    ASSERT_TRUE(SaveUserData(d.c, "Aoi", &hooks));
    EXPECT_TRUE(d.fs.Exists(Desk::Store("Aoi", "F1", "a.txt")));
    EXPECT_FALSE(d.fs.Exists(Desk::Store("Aoi", "F2")));
    EXPECT_EQ(d.fs.Content(Desk::Store("Ken", "F2", "settings.ini")), "Aoi-ini");
    EXPECT_FALSE(d.fs.Exists(Desk::Store("Aoi", "F3")));
}

}  // namespace
}  // namespace tollervy::enginetest
