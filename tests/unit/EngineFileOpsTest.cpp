// File operations and the error policy: what each operation does to the
// disk, which messages it shows in which mode, and what each [Last]
// ErrorNext answers.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "engine/FileOps.h"

namespace tollervy::enginetest {
namespace {

using fakes::FakeFileSystem;
using Op = FakeFileSystem::Op;
using Texts = std::vector<std::string>;

const std::string Question =
    "エラーが発生しました\r\n処理を続行した場合、データがどうなるかわかりません\r\n処理を続行しますか?";
const std::string RunEnds = "異常が発生しました\r\n処理を終了します";

TEST(EngineErrorPolicy, EachSettingAnswersAsWritten) {
    {  // 0: go on, silently
        Desk d;
        d.c.state.LastErrorNext = 0;
        EXPECT_TRUE(ConfirmContinue(d.c, "前ユーザのデータの待避に失敗しました"));
        EXPECT_EQ(d.messages.Count(), 0u);
    }
    for (const std::int16_t stop : {1, 5, -1}) {  // 1 and anything unknown: stop with the closing message only
        Desk d;
        d.c.state.LastErrorNext = stop;
        d.messages.Expect(RunEnds, platform::AnswerOK);
        EXPECT_FALSE(ConfirmContinue(d.c, "text")) << stop;
        ASSERT_EQ(d.messages.Count(), 1u);
        EXPECT_EQ(d.messages.Last().text, RunEnds);
        EXPECT_EQ(d.messages.Last().style, 16u + 4096u);
        EXPECT_EQ(d.messages.Last().caption, "Tollervy");
    }
    {  // 2, answered No: the question with the failure text, then the closing message
        Desk d;
        d.c.state.LastErrorNext = 2;
        d.messages.Expect(platform::AnswerNo);
        d.messages.Expect(platform::AnswerOK);
        EXPECT_FALSE(ConfirmContinue(d.c, "ユーザのデータの復活に失敗しました"));
        ASSERT_EQ(d.messages.Count(), 2u);
        EXPECT_EQ(d.messages.Boxes()[0].text, Question + "\r\n\r\nユーザのデータの復活に失敗しました");
        EXPECT_EQ(d.messages.Boxes()[0].style, 4116u);
        EXPECT_EQ(d.messages.Boxes()[0].caption, "Tollervy");
        EXPECT_EQ(d.messages.Boxes()[1].text, RunEnds);
    }
    {  // 2, answered Yes: go on after the question alone
        Desk d;
        d.c.state.LastErrorNext = 2;
        d.messages.Expect(platform::AnswerYes);
        EXPECT_TRUE(ConfirmContinue(d.c, ""));
        ASSERT_EQ(d.messages.Count(), 1u);
        EXPECT_EQ(d.messages.Last().text, Question);  // no trailing empty line without a text
    }
}

TEST(EngineFileOps, CopyKeepsTheSourcesAttributesExactly) {
    Desk d;
    d.fs.AddFile(R"(C:\s\hidden.txt)", "h", 1 | 2);
    d.fs.AddFile(R"(C:\s\plain.txt)", "p", 0);
    d.fs.AddFolder(R"(C:\d)");
    ASSERT_TRUE(CopyFileKeepAttr(d.c, R"(C:\s\hidden.txt)", R"(C:\d\hidden.txt)", false));
    EXPECT_EQ(d.fs.Attributes(R"(C:\d\hidden.txt)"), 1u | 2u);  // no archive bit added
    EXPECT_EQ(d.fs.Content(R"(C:\d\hidden.txt)"), "h");
    ASSERT_TRUE(CopyFileKeepAttr(d.c, R"(C:\s\plain.txt)", R"(C:\d\plain.txt)", true));
    EXPECT_EQ(d.fs.Attributes(R"(C:\d\plain.txt)"), 0u);
    EXPECT_FALSE(d.fs.Exists(R"(C:\s\plain.txt)"));  // moved
}

TEST(EngineFileOps, CopyFailuresAreFalseWithTheirDiagnosticInDebugModeOnly) {
    Desk d;
    d.fs.AddFile(R"(C:\s\a.txt)", "new");
    d.fs.AddFile(R"(C:\d\a.txt)", "old", 1);
    EXPECT_FALSE(CopyFileKeepAttr(d.c, R"(C:\s\a.txt)", R"(C:\d\a.txt)", false));  // quiet without Debug
    EXPECT_EQ(d.fs.Content(R"(C:\d\a.txt)"), "old");

    d.c.state.StartDebug = "1";
    d.messages.Expect(platform::AnswerOK);
    EXPECT_FALSE(CopyFileKeepAttr(d.c, R"(C:\s\a.txt)", R"(C:\d\a.txt)", false));
    d.messages.Expect(platform::AnswerOK);
    EXPECT_FALSE(CopyFileKeepAttr(d.c, R"(C:\s\missing.txt)", R"(C:\d\b.txt)", false));
    d.fs.AddFile(R"(C:\s\bare.txt)", "b", 0);  // the copy gains the archive bit: it must be set back
    d.fs.FailNth(Op::SetAttributes, d.fs.Calls(Op::SetAttributes) + 1);
    d.messages.Expect(platform::AnswerOK);
    EXPECT_FALSE(CopyFileKeepAttr(d.c, R"(C:\s\bare.txt)", R"(C:\d\c.txt)", false));
    d.fs.AddFile(R"(C:\s\locked.txt)", "x");
    d.fs.FailPath(R"(C:\s\locked.txt)", false, 32, Op::Delete);
    d.messages.Expect(platform::AnswerOK);
    EXPECT_FALSE(CopyFileKeepAttr(d.c, R"(C:\s\locked.txt)", R"(C:\d\locked.txt)", true));
    EXPECT_EQ(d.messages.Texts(), (Texts{"C:\\s\\a.txt\r\nファイルコピー失敗", "C:\\s\\missing.txt\r\nファイル属性取得失敗",
                                         "C:\\s\\bare.txt\r\nファイル属性変更失敗", "C:\\s\\locked.txt\r\nファイル移動失敗"}));
    EXPECT_EQ(d.messages.Last().style, 16u + 4096u);
}

// A copy that ran out of room (Windows' 112 and 39) leaves no destination,
// so nothing cut short stays where the copy began; any other failure leaves
// the destination alone.
TEST(EngineFileOps, ACopyOnAFullDiskLeavesNoDestination) {
    for (const std::uint32_t error : {112u, 39u, 5u}) {
        Desk d;
        d.fs.AddFile(R"(C:\s\a.txt)", "new");
        d.fs.AddFile(R"(C:\d\a.txt)", "old");
        d.fs.FailNth(Op::Copy, 1, error);
        EXPECT_FALSE(CopyFileKeepAttr(d.c, R"(C:\s\a.txt)", R"(C:\d\a.txt)", false)) << error;
        EXPECT_EQ(d.fs.Exists(R"(C:\d\a.txt)"), error == 5u) << error;
        EXPECT_EQ(d.fs.LastError(), error) << "the reason stays the copy's";
        d.fs.FailNth(Op::Copy, 2, error);
        EXPECT_FALSE(CopyFileKeepAttr(d.c, R"(C:\s\a.txt)", R"(C:\d\new.txt)", false)) << error;
        EXPECT_EQ(d.fs.LastError(), error) << "nothing to delete, the reason stays the copy's";
    }
}

TEST(EngineFileOps, DeletingHonoursTheReadOnlySetting) {
    Desk d;
    d.fs.AddFile(R"(C:\ro.txt)", "", 1 | 2);
    d.fs.AddFolder(R"(C:\rodir)", 16 | 1);
    d.c.state.StartDebug = "1";
    d.messages.Expect("C:\\ro.txt\r\nファイル削除失敗", platform::AnswerOK);
    EXPECT_FALSE(DeleteFileForce(d.c, R"(C:\ro.txt)"));
    EXPECT_TRUE(d.fs.Exists(R"(C:\ro.txt)"));
    d.messages.Expect("C:\\rodir\r\nフォルダ削除失敗", platform::AnswerOK);
    EXPECT_FALSE(DeleteFolderForce(d.c, R"(C:\rodir)"));
    EXPECT_TRUE(d.fs.Exists(R"(C:\rodir)"));

    d.c.state.DeleteReadOnly = "1";
    EXPECT_TRUE(DeleteFileForce(d.c, R"(C:\ro.txt)"));
    EXPECT_FALSE(d.fs.Exists(R"(C:\ro.txt)"));
    EXPECT_TRUE(DeleteFolderForce(d.c, R"(C:\rodir)"));
    EXPECT_FALSE(d.fs.Exists(R"(C:\rodir)"));

    // A file that is already gone counts as deleted (with its diagnostic).
    d.messages.Expect("C:\\gone.txt\r\nファイル未存在", platform::AnswerOK);
    EXPECT_TRUE(DeleteFileForce(d.c, R"(C:\gone.txt)"));
    // A file that exists but cannot be deleted, while the listing that would
    // tell fails too, is not taken for a missing one.
    d.fs.AddFile(R"(C:\busy.txt)");
    d.fs.FailPath(R"(C:\busy.txt)", false, 32, Op::Delete);
    d.fs.FailPath(R"(C:\busy.txt)", false, 5, Op::List);
    d.messages.Expect("C:\\busy.txt\r\nファイル削除失敗", platform::AnswerOK);
    EXPECT_FALSE(DeleteFileForce(d.c, R"(C:\busy.txt)"));
}

TEST(EngineFileOps, ClearPathEmptiesATreeButKeepsTheFolder) {
    Desk d;
    d.fs.AddFile(R"(C:\t\a.txt)");
    d.fs.AddFile(R"(C:\t\x\b.dat)");
    d.fs.AddFile(R"(C:\t\x\y\c.txt)");
    d.fs.AddFolder(R"(C:\t\empty)");
    ASSERT_TRUE(ClearPath(d.c, R"(C:\t\)", ""));
    EXPECT_TRUE(d.fs.IsFolder(R"(C:\t)"));
    EXPECT_TRUE(d.fs.Dump(R"(C:\t)").empty());

    d.fs.AddFile(R"(C:\p\a.dat)");
    d.fs.AddFile(R"(C:\p\b.DAT)");
    d.fs.AddFile(R"(C:\p\c.txt)");
    d.fs.AddFile(R"(C:\p\sub\d.dat)");
    ASSERT_TRUE(ClearPath(d.c, R"(C:\p)", "*.dat"));
    EXPECT_EQ(FilesOf(d.fs.Dump(R"(C:\p)")), (std::map<std::string, std::string>{{"c.txt", ""}, {"sub\\d.dat", ""}}));

    d.fs.AddFile(R"(C:\one.txt)");
    EXPECT_TRUE(ClearPath(d.c, R"(C:\one.txt)", ""));
    EXPECT_FALSE(d.fs.Exists(R"(C:\one.txt)"));

    EXPECT_FALSE(ClearPath(d.c, R"(C:\missing\)", ""));
    d.c.state.StartDebug = "1";
    d.messages.Expect("C:\\missing\\\r\n存在しない", platform::AnswerOK);
    EXPECT_FALSE(ClearPath(d.c, R"(C:\missing\)", ""));
}

TEST(EngineFileOps, ClearPathThatCannotFinishDeletesNothing) {
    // A folder with a hidden file cannot be removed, a read-only file cannot
    // be deleted: the emptying fails before any file is gone, instead of
    // leaving half a folder behind.
    Desk d;
    d.fs.AddFile(R"(C:\t\a.txt)", "a");
    d.fs.AddFile(R"(C:\t\x\b.txt)", "b");
    d.fs.AddFile(R"(C:\t\x\Thumbs.db)", "", 2 | 4);
    const auto before = d.fs.Dump(R"(C:\t)");
    EXPECT_FALSE(ClearPath(d.c, R"(C:\t\)", ""));
    EXPECT_EQ(d.fs.Dump(R"(C:\t)"), before);

    d.fs.Remove(R"(C:\t\x\Thumbs.db)");
    d.fs.AddFile(R"(C:\t\x\ro.txt)", "r", 1);
    const auto withReadOnly = d.fs.Dump(R"(C:\t)");
    EXPECT_FALSE(ClearPath(d.c, R"(C:\t\)", ""));
    EXPECT_EQ(d.fs.Dump(R"(C:\t)"), withReadOnly);
    d.c.state.DeleteReadOnly = "1";
    EXPECT_TRUE(ClearPath(d.c, R"(C:\t\)", ""));
    EXPECT_TRUE(d.fs.Dump(R"(C:\t)").empty());
}

TEST(EngineFileOps, ClearPathLeavesTheProgramFolderAloneOutsideTheStore) {
    Desk d;
    d.fs.AddFile(Desk::Store("Aoi", "F1", "a.txt"), "stored");
    d.fs.AddFile(ProgramFolder + "\\Tollervy.ini", "ini");
    d.fs.AddFile(R"(C:\Program Files\other\x.txt)");
    // Emptying a live folder that contains the program: the program's
    // folder, and the data store in it, stay.
    ASSERT_TRUE(ClearPath(d.c, R"(C:\Program Files\)", ""));
    EXPECT_FALSE(d.fs.Exists(R"(C:\Program Files\other)"));
    EXPECT_EQ(d.fs.Content(Desk::Store("Aoi", "F1", "a.txt")), "stored");
    EXPECT_TRUE(d.fs.Exists(ProgramFolder + "\\Tollervy.ini"));

    // A live folder inside the program's folder is walked as the save walks
    // it (its subfolders are left out there), so nothing it did not copy is
    // deleted.
    d.fs.AddFile(ProgramFolder + R"(\docs\top.txt)");
    d.fs.AddFile(ProgramFolder + R"(\docs\sub\kept.txt)", "k");
    ASSERT_TRUE(ClearPath(d.c, ProgramFolder + "\\docs\\", ""));
    EXPECT_FALSE(d.fs.Exists(ProgramFolder + R"(\docs\top.txt)"));
    EXPECT_EQ(d.fs.Content(ProgramFolder + R"(\docs\sub\kept.txt)"), "k");

    // A stored copy is emptied whole.
    d.fs.AddFile(Desk::Store("Aoi", "F1", R"(deep\b.txt)"));
    ASSERT_TRUE(ClearPath(d.c, Desk::Store("Aoi", "F1"), ""));
    EXPECT_TRUE(d.fs.Dump(Desk::Store("Aoi", "F1")).empty());
}

TEST(EngineFileOps, ClearingForACopyLeavesWhatTheCopyReplaces) {
    Desk d;
    d.c.state.DeleteReadOnly = "1";
    d.fs.AddFile(R"(C:\t\same.txt)", "old");
    d.fs.AddFile(R"(C:\t\Case.txt)", "old");
    d.fs.AddFile(R"(C:\t\gone.txt)", "old");
    d.fs.AddFile(R"(C:\t\ro.txt)", "old", 1);
    d.fs.AddFile(R"(C:\t\keep\inner.txt)", "old");
    d.fs.AddFile(R"(C:\t\drop\inner.txt)", "old");
    ASSERT_TRUE(ClearPathForCopy(d.c, R"(C:\t\)", "",
                                 {"same.txt", "case.txt", "ro.txt", "keep\\", "keep\\inner.txt", "drop\\other.txt"}));
    // Kept exactly where the names agree, read-only made writable; a name
    // that differs in case goes (the copy brings the stored spelling).
    EXPECT_EQ(FilesOf(d.fs.Dump(R"(C:\t)")),
              (std::map<std::string, std::string>{{"keep\\inner.txt", "old"}, {"ro.txt", "old"}, {"same.txt", "old"}}));
    EXPECT_EQ(d.fs.Attributes(R"(C:\t\ro.txt)"), 0u);
    EXPECT_FALSE(d.fs.Exists(R"(C:\t\drop)"));

    // The checks are those of ClearPath: a subfolder it could not remove
    // fails the whole emptying, kept or not.
    d.fs.AddFile(R"(C:\t\keep\Thumbs.db)", "", 2 | 4);
    const auto before = d.fs.Dump(R"(C:\t)");
    EXPECT_FALSE(ClearPathForCopy(d.c, R"(C:\t\)", "", {"keep\\", "keep\\inner.txt"}));
    EXPECT_EQ(d.fs.Dump(R"(C:\t)"), before);
}

TEST(EngineFileOps, ReadOnlyGuardRefusesWithItsMessage) {
    Desk d;
    d.fs.AddFile(R"(C:\ro.txt)", "", 1);
    d.fs.AddFile(R"(C:\rw.txt)");
    d.messages.Expect("C:\\ro.txt\r\n読み取り専用です", platform::AnswerOK);
    EXPECT_TRUE(IsReadOnlyBlocked(d.c, R"(C:\ro.txt)"));  // shown even without Debug
    EXPECT_EQ(d.messages.Last().style, 16u + 4096u);
    EXPECT_FALSE(IsReadOnlyBlocked(d.c, R"(C:\rw.txt)"));
    d.c.state.DeleteReadOnly = "1";
    EXPECT_FALSE(IsReadOnlyBlocked(d.c, R"(C:\ro.txt)"));
    EXPECT_EQ(d.messages.Count(), 1u);
}

}  // namespace
}  // namespace tollervy::enginetest
