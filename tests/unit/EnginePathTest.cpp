// Path utilities: splitting and normalising paths, listings with their
// exclusions, the status line, the removal of an item's stored copies, and
// the names that may become folders of the data store.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "engine/PathUtil.h"
#include "engine/StoreNames.h"
#include "platform/Text.h"

namespace tollervy::enginetest {
namespace {

using Names = std::vector<std::string>;
using fakes::FakeFileSystem;

struct Split {
    std::string folder, name;
    bool operator==(const Split&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Split& s) { return os << "{" << s.folder << " | " << s.name << "}"; }

Split SplitOf(Context& c, const std::string& path, bool stringOnly = false) {
    Split s{"?", "?"};
    SplitPath(c, path, s.folder, s.name, stringOnly);
    return s;
}

TEST(EnginePath, SplitPathSeparatesFolderAndNameAndRecognisesPlainDirectories) {
    Desk d;
    d.fs.AddFolder(R"(C:\a)");
    d.fs.AddFolder(R"(C:\ro)", 16 | 1);
    d.fs.AddFile(R"(C:\a\b.ini)");
    EXPECT_EQ(SplitOf(d.c, R"(C:\a\b.ini)"), (Split{R"(C:\a)", "b.ini"}));
    EXPECT_EQ(SplitOf(d.c, R"(C:\a\)"), (Split{R"(C:\a)", ""}));
    // A plain directory written without its backslash is a folder...
    EXPECT_EQ(SplitOf(d.c, R"(C:\a)"), (Split{R"(C:\a)", ""}));
    // ...but only when its attributes are exactly 16, and only when asked.
    EXPECT_EQ(SplitOf(d.c, R"(C:\ro)"), (Split{"C:", "ro"}));
    EXPECT_EQ(SplitOf(d.c, R"(C:\a)", true), (Split{"C:", "a"}));
    EXPECT_EQ(SplitOf(d.c, R"(C:\missing\x.txt)"), (Split{R"(C:\missing)", "x.txt"}));
    EXPECT_EQ(SplitOf(d.c, R"(C:\データ\日本語.txt)"), (Split{R"(C:\データ)", "日本語.txt"}));
    // No backslash after the first character: no folder part.
    EXPECT_EQ(SplitOf(d.c, R"(\name)", true), (Split{"", "name"}));
    EXPECT_EQ(SplitOf(d.c, "name", true), (Split{"", "name"}));
}

TEST(EnginePath, CheckPathExistsNormalisesExistingPathsAndLeavesOthersAlone) {
    Desk d;
    d.fs.AddFolder(R"(C:\a)");
    d.fs.AddFile(R"(C:\a.txt)");
    d.fs.AddFile(R"(C:\a\hidden.txt)", "", 2);
    auto check = [&](std::string path, bool exists, const std::string& after) {
        const std::string before = path;
        EXPECT_EQ(CheckPathExists(d.c, path), exists) << before;
        EXPECT_EQ(path, after) << before;
    };
    check(R"(C:\a\)", true, R"(C:\a\)");
    check(R"(C:\a)", true, R"(C:\a\)");
    check(R"(C:\a.txt\)", true, R"(C:\a.txt)");
    check(R"(C:\a\hidden.txt)", true, R"(C:\a\hidden.txt)");
    check("C:", false, "C:");
    check(R"(C:\nothing\)", false, R"(C:\nothing\)");
}

TEST(EnginePath, FolderTreeIsBreadthFirstWithTheRootAsPassed) {
    Desk d;
    for (const char* f : {R"(C:\r\x\y)", R"(C:\r\z)", R"(C:\r\隠し)"}) d.fs.AddFolder(f);
    d.fs.AddFolder(R"(C:\r\hidden)", 16 | 2);
    d.fs.AddFile(R"(C:\r\file.txt)");
    Names tree;
    ASSERT_TRUE(GetFolderTree(d.c, R"(C:\r)", tree, false));
    EXPECT_EQ(tree, (Names{R"(C:\r)", R"(C:\r\x\)", R"(C:\r\z\)", R"(C:\r\隠し\)", R"(C:\r\x\y\)"}));
    ASSERT_TRUE(GetFolderTree(d.c, R"(C:\r\)", tree, false));
    EXPECT_EQ(tree.front(), R"(C:\r\)");
    // Not a directory: false and no message (the fake fails the test on any box).
    EXPECT_FALSE(GetFolderTree(d.c, R"(C:\r\file.txt)", tree, false));
    EXPECT_FALSE(GetFolderTree(d.c, R"(C:\none)", tree, false));
    EXPECT_TRUE(tree.empty());
}

TEST(EnginePath, SubFoldersLeaveOutTheProgramFolderUnlessKept) {
    Desk d;
    d.fs.AddFolder(R"(C:\Program Files\Other)");
    d.fs.AddFolder(R"(C:\Program Files\Tollervy2)");  // merely begins the same way
    Names sub;
    ASSERT_TRUE(GetSubFolders(d.c, R"(C:\Program Files)", sub, false));
    EXPECT_EQ(sub, Names{R"(C:\Program Files\Other)"});
    ASSERT_TRUE(GetSubFolders(d.c, R"(C:\Program Files\)", sub, true));
    EXPECT_EQ(sub, (Names{R"(C:\Program Files\Other)", R"(C:\Program Files\Tollervy)",
                          R"(C:\Program Files\Tollervy2)"}));
    // Windows paths ignore case: another spelling of the folder is still the
    // program's folder, and is still left out.
    ASSERT_TRUE(GetSubFolders(d.c, R"(c:\PROGRAM FILES)", sub, false));
    EXPECT_EQ(sub, Names{R"(c:\PROGRAM FILES\Other)"});
    // Not a directory: the settings message.
    d.messages.Expect("設定ファイルのファイル設定に異常があります", platform::AnswerOK);
    EXPECT_FALSE(GetSubFolders(d.c, R"(C:\Program Files\missing)", sub, false));
    EXPECT_EQ(d.messages.Last().style, 16u + 4096u);
}

TEST(EnginePath, FileListingsHoldPlainFilesOnly) {
    Desk d;
    d.fs.AddFile(R"(C:\f\a.dat)");
    d.fs.AddFile(R"(C:\f\b.txt)", "", 1);
    d.fs.AddFile(R"(C:\f\c.dat)", "", 2);
    d.fs.AddFile(R"(C:\f\d.dat)", "", 4);
    d.fs.AddFile(R"(C:\f\日本.dat)");
    d.fs.AddFolder(R"(C:\f\sub.dat)");
    Names files;
    ASSERT_TRUE(GetFolderFiles(d.c, R"(C:\f)", files));
    EXPECT_EQ(files, (Names{"a.dat", "b.txt", "日本.dat"}));
    ASSERT_TRUE(GetMatchingFiles(d.c, R"(C:\f\)", "*.dat", files));
    EXPECT_EQ(files, (Names{"a.dat", "日本.dat"}));
    d.messages.Expect("設定ファイルのファイル設定に異常があります", platform::AnswerOK);
    EXPECT_FALSE(GetFolderFiles(d.c, R"(C:\f\a.dat)", files));
    // A listing that fails fails the call, instead of an empty list that a
    // copy would then trust.
    d.fs.FailPath(R"(C:\f)", true, 5, FakeFileSystem::Op::List);
    d.messages.Expect("設定ファイルのファイル設定に異常があります", platform::AnswerOK);
    EXPECT_FALSE(GetFolderFiles(d.c, R"(C:\f)", files));
    EXPECT_TRUE(files.empty());
}

std::string Repeat(const std::string& unit, std::size_t times) {
    std::string s;
    for (std::size_t i = 0; i < times; ++i) s += unit;
    return s;
}

// A path of `folderChars` characters after "C:\", then "\" and the name.
std::string PathOf(const std::string& unit, std::size_t folderChars, const std::string& name) {
    return "C:\\" + Repeat(unit, folderChars) + "\\" + name;
}

TEST(EnginePath, StatusLineShortensLongPathsByCharacters) {
    const std::string p41 = PathOf("d", 27, "abcdef.txt");
    ASSERT_EQ(text::Length(p41), 41u);
    EXPECT_EQ(ShortenStatusLine(p41), text::Left(p41, 25) + "...\\abcdef.txt");
    EXPECT_EQ(text::Length(ShortenStatusLine(p41)), 39u);
    const std::string p40 = PathOf("d", 26, "abcdef.txt");
    EXPECT_EQ(ShortenStatusLine(p40), p40);

    // Japanese characters count once each, whatever their bytes.
    const std::string j40 = PathOf("デ", 23, "日本語のファイル名.txt");
    ASSERT_EQ(text::Length(j40), 40u);
    EXPECT_EQ(ShortenStatusLine(j40), j40);
    const std::string j41 = PathOf("デ", 24, "日本語のファイル名.txt");
    const std::string shown = ShortenStatusLine(j41);
    EXPECT_EQ(shown, "C:\\" + Repeat("デ", 19) + "...\\日本語のファイル名.txt");
    EXPECT_EQ(text::Length(shown), 39u);

    // A name with no room left for any of the folder is shown alone.
    const std::string longName(36, 'n');
    EXPECT_EQ(ShortenStatusLine("C:\\x\\" + longName), longName);
}

TEST(EnginePath, ShowStatusDrivesTheMainWindowOnlyWhenStatusIsOn) {
    Desk d;
    const std::string p41 = PathOf("d", 27, "abcdef.txt");
    ShowStatus(d.c, "前回のユーザの情報を保存中", true);
    EXPECT_EQ(d.status.phases, Names{"前回のユーザの情報を保存中"});
    EXPECT_TRUE(d.status.details.empty());
    EXPECT_FALSE(d.status.visible);
    ShowStatus(d.c, p41, false);
    // The whole line: the window shortens what it paints.
    EXPECT_EQ(d.status.details, Names{p41});
    EXPECT_TRUE(d.status.visible);
    EXPECT_EQ(d.status.repaints, 1);
    ShowStatus(d.c, "", false);
    EXPECT_EQ(d.status.details.back(), "");

    Desk off;
    off.c.state.StartStatus = "0";
    ShowStatus(off.c, "phase", true);
    ShowStatus(off.c, p41, false);
    EXPECT_TRUE(off.status.Untouched());
    // Any value other than "0" is on.
    off.c.state.StartStatus = "";
    ShowStatus(off.c, "x", false);
    EXPECT_EQ(off.status.details, Names{"x"});
    // No display attached: nothing to show, nothing breaks.
    off.c.status = nullptr;
    ShowStatus(off.c, "x", false);
}

TEST(EnginePath, PurgeRemovesOneItemsCopiesFromEveryUser) {
    Desk d;
    for (const char* u : {"All Users", "Aoi", "太郎"}) {
        d.fs.AddFile(Desk::Store(u, "F1", R"(sub\a.txt)"), "1");
        d.fs.AddFile(Desk::Store(u, "F2", "b.txt"), "2");
    }
    d.fs.AddFile(Data + "\\User.dat", "Aoi,,1");
    ASSERT_TRUE(PurgeEntryData(d.c, R"(F1=C:\docs\)"));
    for (const char* u : {"All Users", "Aoi", "太郎"}) {
        EXPECT_FALSE(d.fs.Exists(Desk::Store(u, "F1"))) << u;
        EXPECT_EQ(d.fs.Content(Desk::Store(u, "F2", "b.txt")), "2") << u;
    }
    EXPECT_TRUE(d.fs.Exists(Data + "\\User.dat"));
    // Nothing left to remove is no failure.
    EXPECT_TRUE(PurgeEntryData(d.c, R"(F1=C:\docs\)"));
    // A copy that cannot be removed stops the purge with false.
    d.fs.FailPath(Desk::Store("Aoi", "F2", "b.txt"), false, 5, FakeFileSystem::Op::Delete);
    EXPECT_FALSE(PurgeEntryData(d.c, R"(F2=C:\b.txt)"));
    EXPECT_TRUE(d.fs.Exists(Desk::Store("Aoi", "F2", "b.txt")));
}

TEST(EnginePath, PurgeNeverLeavesTheItemsFolderForALineWithoutAProperKey) {
    Desk d;
    d.fs.AddFile(Desk::Store("Aoi", "F1", "a.txt"), "1");
    const int before = d.fs.Mutations();
    for (const char* line : {R"(C:\docs\)", R"(=C:\docs\)", R"(..=C:\docs\)", R"(.=x)", R"(F1\..\..=x)", R"(a/b=x)"})
        EXPECT_FALSE(PurgeEntryData(d.c, line)) << line;
    EXPECT_EQ(d.fs.Mutations(), before);
    EXPECT_EQ(d.fs.Content(Desk::Store("Aoi", "F1", "a.txt")), "1");
    // An empty data store yields true.
    Desk empty;
    empty.fs.Remove(Data);
    EXPECT_TRUE(PurgeEntryData(empty.c, R"(F1=C:\docs\)"));
}

TEST(EngineStoreNames, OnlyNamesThatStayOneFolderBelowTheStore) {
    for (const char* ok : {"Aoi", "All Users", "太郎", "a.b", " lead", "user,1", "CONSOLE", "COM0"})
        EXPECT_TRUE(IsStoreUserName(ok)) << ok;
    for (const char* bad : {"", ".", "..", "\\", "a\\b", "a/b", "..\\x", "x.", "x ", "C:", "a*", "a?", "a\"b",
                            "<a>", "a|b", "CON", "nul", "Com1", "LPT9.txt", "tab\there"})
        EXPECT_FALSE(IsStoreUserName(bad)) << bad;
    std::string key, value;
    EXPECT_TRUE(SplitFileLine(R"(F1=C:\a=b\)", key, value));
    EXPECT_EQ(key, "F1");
    EXPECT_EQ(value, R"(C:\a=b\)");  // the first "=" splits; the value may hold more
    for (const char* bad : {"F1", "=C:\\x", "F1=", "..=C:\\x", "a\\b=C:\\x"}) {
        EXPECT_FALSE(SplitFileLine(bad, key, value)) << bad;
        EXPECT_TRUE(key.empty() && value.empty()) << bad;
    }
}

TEST(EnginePath, DataStoreLocationsAreComparedAsWindowsResolvesThem) {
    Desk d;
    EXPECT_TRUE(LiesInDataStore(d.c, Data));
    EXPECT_TRUE(LiesInDataStore(d.c, Data + "\\"));
    EXPECT_TRUE(LiesInDataStore(d.c, R"(c:\program files\tollervy\data\Aoi\F1\x.txt)"));
    EXPECT_TRUE(LiesInDataStore(d.c, R"(C:\Program Files\Other\..\Tollervy\Data\Aoi)"));
    EXPECT_TRUE(LiesInDataStore(d.c, R"(C:/Program Files/Tollervy//Data.\Aoi)"));
    EXPECT_FALSE(LiesInDataStore(d.c, R"(C:\Program Files\Tollervy\Data2)"));
    EXPECT_FALSE(LiesInDataStore(d.c, R"(C:\Program Files\Tollervy)"));
    EXPECT_TRUE(LiesInStoredCopy(d.c, Data + R"(\Aoi\F1)"));
    EXPECT_TRUE(LiesInStoredCopy(d.c, Data + R"(\Aoi\F1\sub\)"));
    EXPECT_FALSE(LiesInStoredCopy(d.c, Data + R"(\Aoi\)"));
    EXPECT_FALSE(LiesInStoredCopy(d.c, Data));
}

}  // namespace
}  // namespace tollervy::enginetest
