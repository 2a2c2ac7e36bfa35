// The in-memory file system must answer as Windows does wherever the logic
// depends on it: case folding, wildcards, listing filters, refusals, text in
// code page 932, and the faults tests inject.
#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/FakeFileSystem.h"
#include "fakes/ProcessEnded.h"

namespace tollervy::fakes {
namespace {

using Names = std::vector<std::string>;
using Op = FakeFileSystem::Op;

Names ListOf(FakeFileSystem& fs, const std::string& spec, std::uint32_t filter) {
    Names names;
    EXPECT_TRUE(fs.List(spec, filter, names)) << spec;
    return names;
}

TEST(FakeFileSystem, NamesCompareWithoutCaseAndKeepTheirOwn) {
    FakeFileSystem fs;
    fs.AddFile("C:\\Work\\Report.TXT", "x");
    EXPECT_TRUE(fs.Exists("c:\\work\\report.txt"));
    EXPECT_TRUE(fs.Exists("C:/WORK/REPORT.txt"));
    EXPECT_EQ(fs.StoredPath("c:\\work\\report.txt"), "C:\\Work\\Report.TXT");
    EXPECT_EQ(ListOf(fs, "c:\\WORK\\report.txt", 0), Names{"Report.TXT"});
    EXPECT_EQ(ListOf(fs, "C:\\work\\", 0), Names{"Report.TXT"});
    // Creating a folder that differs only in case collides.
    EXPECT_FALSE(fs.CreateFolder("C:\\WORK"));
    EXPECT_EQ(fs.LastError(), 183u);
    // Replacing through another spelling keeps the stored name.
    fs.AddFile("C:\\src.txt", "new");
    ASSERT_TRUE(fs.CopyFile("C:\\src.txt", "C:\\work\\REPORT.TXT", false));
    EXPECT_EQ(fs.StoredPath("C:\\work\\report.txt"), "C:\\Work\\Report.TXT");
    EXPECT_EQ(fs.Content("C:\\Work\\Report.TXT"), "new");
    // Japanese names pass through untouched.
    fs.AddFile("C:\\Work\\日本語.txt", "j");
    EXPECT_EQ(ListOf(fs, "C:\\Work\\日本*", 0), Names{"日本語.txt"});
    EXPECT_EQ(ListOf(fs, "C:\\Work\\???.txt", 0), Names{"日本語.txt"});
}

TEST(FakeFileSystem, WildcardsMatchAsWindowsDoes) {
    FakeFileSystem fs;
    for (const char* name : {"a.txt", "b.TXT", "noext", "x.txt.bak", "ab.dat"}) fs.AddFile(std::string("C:\\d\\") + name);
    EXPECT_EQ(ListOf(fs, "C:\\d\\*.txt", 0), (Names{"a.txt", "b.TXT"}));
    EXPECT_EQ(ListOf(fs, "C:\\d\\*.*", 0), (Names{"a.txt", "ab.dat", "b.TXT", "noext", "x.txt.bak"}));
    EXPECT_EQ(ListOf(fs, "C:\\d\\*", 0), ListOf(fs, "C:\\d\\*.*", 0));
    EXPECT_EQ(ListOf(fs, "C:\\d\\?.txt", 0), (Names{"a.txt", "b.TXT"}));
    EXPECT_EQ(ListOf(fs, "C:\\d\\A*", 0), (Names{"a.txt", "ab.dat"}));
    EXPECT_EQ(ListOf(fs, "C:\\d\\*.", 0), Names{"noext"});
    EXPECT_EQ(ListOf(fs, "C:\\d\\*t*x*", 0), (Names{"a.txt", "b.TXT", "x.txt.bak"}));
    // Nothing matching in an existing folder: success, no names.
    EXPECT_EQ(ListOf(fs, "C:\\d\\*.doc", 0), Names{});
    EXPECT_EQ(ListOf(fs, "C:\\d\\missing.txt", 0), Names{});
    // A missing folder or a file used as a folder: the listing fails.
    Names names{"stale"};
    EXPECT_FALSE(fs.List("C:\\nowhere\\*", 0, names));
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(fs.LastError(), 3u);
    EXPECT_FALSE(fs.List("C:\\d\\a.txt\\", 0, names));
    EXPECT_FALSE(fs.List("C:\\d*\\a.txt", 0, names));
}

TEST(FakeFileSystem, ListingFiltersAdmitHiddenSystemAndFoldersOnlyOnRequest) {
    FakeFileSystem fs;
    fs.AddFile("C:\\f\\plain.txt", "", 32);
    fs.AddFile("C:\\f\\ro.txt", "", 1);
    fs.AddFile("C:\\f\\hidden.txt", "", 2 | 32);
    fs.AddFile("C:\\f\\system.txt", "", 4);
    fs.AddFile("C:\\f\\both.txt", "", 2 | 4);
    fs.AddFolder("C:\\f\\sub");
    fs.AddFolder("C:\\f\\hiddensub", 16 | 2);
    fs.AddFolder("C:\\f\\rosub", 16 | 1);

    EXPECT_EQ(ListOf(fs, "C:\\f\\", 0), (Names{"plain.txt", "ro.txt"}));
    EXPECT_EQ(ListOf(fs, "C:\\f\\", 16), (Names{".", "..", "plain.txt", "ro.txt", "rosub", "sub"}));
    EXPECT_EQ(ListOf(fs, "C:\\f\\", 22), (Names{".", "..", "both.txt", "hidden.txt", "hiddensub", "plain.txt",
                                               "ro.txt", "rosub", "sub", "system.txt"}));
    // Hidden alone does not admit an entry that is also system.
    EXPECT_EQ(ListOf(fs, "C:\\f\\*.txt", 2), (Names{"hidden.txt", "plain.txt", "ro.txt"}));
    EXPECT_EQ(ListOf(fs, "C:\\f\\*.txt", 6), (Names{"both.txt", "hidden.txt", "plain.txt", "ro.txt", "system.txt"}));
    // "." and ".." follow the pattern too.
    EXPECT_EQ(ListOf(fs, "C:\\f\\*sub", 16), (Names{"rosub", "sub"}));
    // A drive root has no "." or "..".
    EXPECT_EQ(ListOf(fs, "C:\\", 16), Names{"f"});
    // A path naming one entry gives its own name when the filter admits it.
    EXPECT_EQ(ListOf(fs, "C:\\f\\sub", 0), Names{});
    EXPECT_EQ(ListOf(fs, "C:\\f\\SUB", 16), Names{"sub"});
    EXPECT_EQ(ListOf(fs, "C:\\f\\hidden.txt", 16), Names{});
    EXPECT_EQ(ListOf(fs, "C:\\f\\hidden.txt", 22), Names{"hidden.txt"});
}

TEST(FakeFileSystem, RefusesWhatWindowsRefuses) {
    FakeFileSystem fs;
    fs.AddFile("C:\\d\\ro.txt", "old", 1 | 32);
    fs.AddFile("C:\\d\\src.txt", "new");
    fs.AddFile("C:\\d\\full\\x.txt");
    fs.AddFile("C:\\d\\hid.txt", "h", 2 | 32);

    EXPECT_FALSE(fs.DeleteFile("C:\\d\\ro.txt"));
    EXPECT_EQ(fs.LastError(), 5u);
    EXPECT_TRUE(fs.Exists("C:\\d\\ro.txt"));
    EXPECT_FALSE(fs.CopyFile("C:\\d\\src.txt", "C:\\d\\ro.txt", false));
    EXPECT_EQ(fs.LastError(), 5u);
    EXPECT_EQ(fs.Content("C:\\d\\ro.txt"), "old");
    EXPECT_FALSE(fs.CopyFile("C:\\d\\src.txt", "C:\\d\\hid.txt", false));
    EXPECT_EQ(fs.Content("C:\\d\\hid.txt"), "h");
    EXPECT_FALSE(fs.CopyFile("C:\\d\\src.txt", "C:\\d\\ro.txt", true));
    EXPECT_EQ(fs.LastError(), 80u);
    EXPECT_FALSE(fs.CopyFile("C:\\d\\full", "C:\\d\\copy", false));
    EXPECT_EQ(fs.LastError(), 5u);
    EXPECT_FALSE(fs.CopyFile("C:\\d\\src.txt", "C:\\d\\full", false));
    EXPECT_FALSE(fs.CopyFile("C:\\d\\src.txt", "C:\\d\\SRC.TXT", false));
    EXPECT_FALSE(fs.CopyFile("C:\\d\\src.txt", "C:\\nowhere\\x.txt", false));
    EXPECT_EQ(fs.LastError(), 3u);
    EXPECT_FALSE(fs.RemoveFolder("C:\\d\\full"));
    EXPECT_EQ(fs.LastError(), 145u);
    EXPECT_FALSE(fs.RemoveFolder("C:\\d\\src.txt"));
    EXPECT_FALSE(fs.DeleteFile("C:\\d\\full"));
    EXPECT_FALSE(fs.CreateFolder("C:\\a\\b"));
    EXPECT_EQ(fs.LastError(), 3u);
    EXPECT_FALSE(fs.DeleteFile("C:\\d\\gone.txt"));
    EXPECT_EQ(fs.LastError(), 2u);
    EXPECT_FALSE(fs.DeleteFile("C:\\gone\\gone.txt"));
    EXPECT_EQ(fs.LastError(), 3u);
    std::uint32_t attrs = 0;
    EXPECT_FALSE(fs.GetAttributes("C:\\d\\gone.txt", attrs));
    EXPECT_FALSE(fs.SetAttributes("C:\\d\\gone.txt", 0));
    EXPECT_FALSE(fs.MoveFile("C:\\d\\src.txt", "C:\\d\\ro.txt"));
    EXPECT_EQ(fs.LastError(), 183u);
    EXPECT_FALSE(fs.MoveFile("C:\\d", "C:\\d\\full\\inner"));
    EXPECT_FALSE(fs.CreateFolder("C:\\d\\bad|name"));
    EXPECT_EQ(fs.LastError(), 123u);
    EXPECT_FALSE(fs.LastErrorText().empty());

    // A read-only folder cannot be removed, even empty.
    fs.AddFolder("C:\\d\\rodir", 16 | 1);
    EXPECT_FALSE(fs.RemoveFolder("C:\\d\\rodir"));
    ASSERT_TRUE(fs.SetAttributes("C:\\d\\rodir", 0));
    EXPECT_EQ(fs.Attributes("C:\\d\\rodir"), 16u);
    EXPECT_TRUE(fs.RemoveFolder("C:\\d\\rodir"));

    // What is refused is left as it was.
    EXPECT_EQ(fs.Dump("C:\\d"), (std::map<std::string, std::string>{{"full\\", "<dir>"},
                                                                      {"full\\x.txt", ""},
                                                                      {"hid.txt", "h"},
                                                                      {"ro.txt", "old"},
                                                                      {"src.txt", "new"}}));
}

TEST(FakeFileSystem, CopyKeepsTheSourcesBitsAndSetsArchive) {
    FakeFileSystem fs;
    fs.AddFile("C:\\s\\hr.txt", "data", 1 | 2);
    fs.AddFile("C:\\s\\plain.txt", "p", 0);
    fs.AddFolder("C:\\t");
    ASSERT_TRUE(fs.CopyFile("C:\\s\\hr.txt", "C:\\t\\hr.txt", false));
    std::uint32_t attrs = 0;
    ASSERT_TRUE(fs.GetAttributes("C:\\t\\hr.txt", attrs));
    EXPECT_EQ(attrs, 1u | 2u | 32u);
    EXPECT_EQ(fs.Content("C:\\t\\hr.txt"), "data");
    // A file with no bit reports "normal".
    ASSERT_TRUE(fs.GetAttributes("C:\\s\\plain.txt", attrs));
    EXPECT_EQ(attrs, 128u);
    ASSERT_TRUE(fs.CopyFile("C:\\s\\plain.txt", "C:\\t\\plain.txt", false));
    ASSERT_TRUE(fs.GetAttributes("C:\\t\\plain.txt", attrs));
    EXPECT_EQ(attrs, 32u);
    // The folder bit cannot be set on a file nor cleared from a folder.
    ASSERT_TRUE(fs.SetAttributes("C:\\t\\plain.txt", 16 | 4));
    EXPECT_EQ(fs.Attributes("C:\\t\\plain.txt"), 4u);
    ASSERT_TRUE(fs.SetAttributes("C:\\t", 2));
    EXPECT_EQ(fs.Attributes("C:\\t"), 18u);
    // A move keeps the bits and takes the new name.
    ASSERT_TRUE(fs.MoveFile("C:\\t\\hr.txt", "C:\\s\\Moved.txt"));
    EXPECT_EQ(fs.Attributes("C:\\s\\moved.txt"), 35u);
    EXPECT_EQ(fs.StoredPath("C:\\s\\moved.txt"), "C:\\s\\Moved.txt");
    EXPECT_FALSE(fs.Exists("C:\\t\\hr.txt"));
}

TEST(FakeFileSystem, TextFilesAreCodePage932WithCrLf) {
    FakeFileSystem fs;
    fs.AddFolder("C:\\d");
    ASSERT_TRUE(fs.AppendLine("C:\\d\\u.dat", "日本語,a"));
    ASSERT_TRUE(fs.AppendLine("C:\\d\\u.dat", "表"));
    EXPECT_EQ(fs.Content("C:\\d\\u.dat"), "\x93\xfa\x96\x7b\x8c\xea,a\r\n\x95\x5c\r\n");
    std::vector<std::string> lines;
    ASSERT_TRUE(fs.ReadLines("C:\\d\\u.dat", lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"日本語,a", "表"}));
    // LF alone ends a line; a last line without an end still counts.
    fs.AddFile("C:\\d\\mixed.txt", "one\r\ntwo\nthree");
    ASSERT_TRUE(fs.ReadLines("C:\\d\\mixed.txt", lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three"}));
    // Bytes that are no CP932 text do not stop the reading.
    fs.AddFile("C:\\d\\bad.txt", std::string("a\x81\r\n\xff\xfe" "b\r\n\x82", 11));
    ASSERT_TRUE(fs.ReadLines("C:\\d\\bad.txt", lines));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 1), "a");
    EXPECT_NE(lines[1].find('b'), std::string::npos);
    // Raw bytes go through the atomic write untouched.
    ASSERT_TRUE(fs.WriteFileAtomic("C:\\d\\raw.bin", std::string("\0\xff日", 5)));
    std::string bytes;
    ASSERT_TRUE(fs.ReadFile("C:\\d\\raw.bin", bytes));
    EXPECT_EQ(bytes, std::string("\0\xff日", 5));
    std::uint64_t length = 0;
    ASSERT_TRUE(fs.FileLength("C:\\d\\raw.bin", length));
    EXPECT_EQ(length, 5u);
    // Appending to a read-only file or into a missing folder fails.
    fs.AddFile("C:\\d\\ro.txt", "", 1);
    EXPECT_FALSE(fs.AppendLine("C:\\d\\ro.txt", "x"));
    EXPECT_FALSE(fs.AppendLine("C:\\none\\x.txt", "x"));
    EXPECT_FALSE(fs.WriteFileAtomic("C:\\d\\ro.txt", "x"));
}

TEST(FakeFileSystem, FailsTheNthCallOfAKindAndCountsEveryCall) {
    FakeFileSystem fs;
    fs.AddFile("C:\\s\\a.txt", "a");
    fs.AddFolder("C:\\t");
    fs.FailNth(Op::Copy, 2, 32);
    EXPECT_TRUE(fs.CopyFile("C:\\s\\a.txt", "C:\\t\\1.txt", false));
    EXPECT_FALSE(fs.CopyFile("C:\\s\\a.txt", "C:\\t\\2.txt", false));
    EXPECT_EQ(fs.LastError(), 32u);
    EXPECT_FALSE(fs.Exists("C:\\t\\2.txt"));
    EXPECT_TRUE(fs.CopyFile("C:\\s\\a.txt", "C:\\t\\3.txt", false));
    EXPECT_EQ(fs.Calls(Op::Copy), 3);
    EXPECT_EQ(fs.FaultsFired(), 1);
    std::uint32_t attrs = 0;
    fs.GetAttributes("C:\\s\\a.txt", attrs);
    EXPECT_EQ(fs.Calls(Op::GetAttributes), 1);
    EXPECT_EQ(fs.Mutations(), 3);
    fs.ResetCounts();
    EXPECT_EQ(fs.Calls(Op::Copy), 0);
}

TEST(FakeFileSystem, FailsEveryOperationUnderAPath) {
    FakeFileSystem fs;
    fs.AddFile("C:\\keep\\a.txt", "a");
    fs.AddFile("C:\\locked\\b.txt", "b");
    fs.AddFile("C:\\lockedtoo\\c.txt", "c");
    fs.FailPath("C:\\LOCKED");
    std::uint32_t attrs = 0;
    Names names;
    EXPECT_FALSE(fs.GetAttributes("C:\\locked\\b.txt", attrs));
    EXPECT_FALSE(fs.List("C:\\locked\\", 0, names));
    EXPECT_FALSE(fs.CopyFile("C:\\keep\\a.txt", "C:\\locked\\a.txt", false));
    EXPECT_FALSE(fs.DeleteFile("C:\\locked\\b.txt"));
    EXPECT_EQ(fs.LastError(), 5u);
    // A sibling whose name merely begins the same is not under it.
    EXPECT_TRUE(fs.DeleteFile("C:\\lockedtoo\\c.txt"));
    EXPECT_TRUE(fs.GetAttributes("C:\\keep\\a.txt", attrs));
    // Limited to one kind of operation.
    fs.ClearFaults();
    fs.FailPath("C:\\keep\\a.txt", false, 5, Op::Delete);
    EXPECT_TRUE(fs.GetAttributes("C:\\keep\\a.txt", attrs));
    EXPECT_FALSE(fs.DeleteFile("C:\\keep\\a.txt"));
    EXPECT_TRUE(fs.Exists("C:\\keep\\a.txt"));
}

TEST(FakeFileSystem, AbortStopsBeforeTheNthChangeAndCanLeaveAHalfCopy) {
    FakeFileSystem fs;
    fs.AddFile("C:\\s\\a.txt", "abcdefgh");
    fs.AddFolder("C:\\t");
    fs.AbortAtMutation(2);
    std::uint32_t attrs = 0;
    EXPECT_TRUE(fs.GetAttributes("C:\\s\\a.txt", attrs));  // not a change
    EXPECT_TRUE(fs.CopyFile("C:\\s\\a.txt", "C:\\t\\1.txt", false));
    try {
        fs.DeleteFile("C:\\s\\a.txt");
        ADD_FAILURE() << "no abort";
    } catch (const ProcessEnded& e) {
        EXPECT_EQ(e.code, AbortedCode);
    }
    EXPECT_TRUE(fs.Exists("C:\\s\\a.txt"));

    FakeFileSystem half;
    half.AddFile("C:\\s\\a.txt", "abcdefgh", 2);
    half.AddFile("C:\\t\\a.txt", "old old old");
    half.AbortAtMutation(1, true);
    EXPECT_THROW(half.CopyFile("C:\\s\\a.txt", "C:\\t\\a.txt", false), ProcessEnded);
    EXPECT_EQ(half.Content("C:\\t\\a.txt"), "abcd");
    EXPECT_EQ(half.Mutations(), 1);
}

}  // namespace
}  // namespace tollervy::fakes
