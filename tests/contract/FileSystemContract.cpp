// What the logic expects of the file system, checked against both platforms.
#include "contract/ContractTest.h"

namespace tollervy::contract {
namespace {

constexpr std::uint32_t RO = 1, HID = 2, SYS = 4, DIR = 16, ARC = 32;

class FileSystemContract : public ContractTest {};

TEST_F(FileSystemContract, ListingFiltersAdmitHiddenSystemAndFolders) {
    MakeFile("plain.txt", "p");
    MakeFile("ro.txt", "r", RO | ARC);
    MakeFile("hidden.txt", "h", HID | ARC);
    MakeFile("system.txt", "s", SYS | ARC);
    MakeFolder("sub");
    MakeFolder("hsub", HID);
    EXPECT_EQ(Listed(At(""), 0), (Names{"plain.txt", "ro.txt"}));
    EXPECT_EQ(Listed(At(""), 16), (Names{".", "..", "plain.txt", "ro.txt", "sub"}));
    EXPECT_EQ(Listed(At(""), 22),
              (Names{".", "..", "hidden.txt", "hsub", "plain.txt", "ro.txt", "sub", "system.txt"}));
    EXPECT_EQ(Listed(At("*"), 16), Listed(At(""), 16));
    // An empty folder: only "." and "..", or nothing for plain files.
    EXPECT_EQ(Listed(At("sub\\"), 16), (Names{".", ".."}));
    EXPECT_EQ(Listed(At("sub\\"), 0), Names{});
}

// A listing with attributes lists what List lists, in the same order, and
// gives each entry the attributes GetAttributes gives it.
TEST_F(FileSystemContract, ListingWithAttributesAgreesWithListAndTheQueries) {
    MakeFile("plain.txt", "p");
    MakeFile("bare.txt", "b");
    ASSERT_TRUE(fs.SetAttributes(At("bare.txt"), 0));  // no bit at all
    MakeFile("ro.txt", "r", RO | ARC);
    MakeFile("hs.txt", "h", HID | SYS | ARC);
    MakeFolder("sub");
    MakeFile("sub\\in.txt", "i", HID | ARC);
    MakeFolder("hsub", HID);
    struct Case {
        std::string spec, folder;
    };
    for (const Case& k : {Case{At(""), At("")}, Case{At("*.txt"), At("")}, Case{At("ro.txt"), At("")},
                          Case{At("sub"), At("")}, Case{At("sub\\"), At("sub\\")}}) {
        for (std::uint32_t filter : {0u, 16u, 22u}) {
            Names names;
            std::vector<platform::FileSystem::Entry> entries;
            ASSERT_TRUE(fs.List(k.spec, filter, names));
            ASSERT_TRUE(fs.ListEntries(k.spec, filter, entries));
            ASSERT_EQ(entries.size(), names.size()) << k.spec << " " << filter;
            for (std::size_t i = 0; i < names.size(); ++i) {
                EXPECT_EQ(entries[i].name, names[i]);
                if (names[i] == "." || names[i] == "..") continue;
                EXPECT_EQ(entries[i].attributes, AttributesOf(k.folder + names[i])) << k.spec << " " << names[i];
            }
        }
    }
    std::vector<platform::FileSystem::Entry> entries{{"stale", 1}};
    EXPECT_FALSE(fs.ListEntries(At("missing\\"), 16, entries));
    EXPECT_TRUE(entries.empty());
}

TEST_F(FileSystemContract, WildcardsMatchTheLastComponent) {
    for (const char* name : {"a.txt", "b.TXT", "noext", "x.txt.bak", "ab.dat"}) MakeFile(name, "");
    MakeFolder("dir.txt");
    EXPECT_EQ(Listed(At("*.txt"), 0), (Names{"a.txt", "b.TXT"}));
    EXPECT_EQ(Listed(At("*.TXT"), 16), (Names{"a.txt", "b.TXT", "dir.txt"}));
    EXPECT_EQ(Listed(At("*.*"), 0), (Names{"a.txt", "ab.dat", "b.TXT", "noext", "x.txt.bak"}));
    EXPECT_EQ(Listed(At("?.txt"), 0), (Names{"a.txt", "b.TXT"}));
    EXPECT_EQ(Listed(At("A*"), 0), (Names{"a.txt", "ab.dat"}));
    EXPECT_EQ(Listed(At("*.doc"), 0), Names{});
    Names names{"stale"};
    EXPECT_FALSE(fs.List(At("missing\\*"), 0, names));
    EXPECT_TRUE(names.empty());
    EXPECT_FALSE(fs.List(At("missing\\"), 16, names));
}

TEST_F(FileSystemContract, APathNamingAnEntryListsThatEntrysName) {
    MakeFile("Report.txt", "r");
    MakeFile("secret.txt", "s", HID | ARC);
    MakeFolder("Sub");
    EXPECT_EQ(Listed(At("Report.txt"), 0), Names{"Report.txt"});
    EXPECT_EQ(Listed(At("REPORT.TXT"), 0), Names{"Report.txt"});
    EXPECT_EQ(Listed(At("Sub"), 0), Names{});
    EXPECT_EQ(Listed(At("Sub"), 16), Names{"Sub"});
    EXPECT_EQ(Listed(At("secret.txt"), 16), Names{});
    EXPECT_EQ(Listed(At("secret.txt"), 22), Names{"secret.txt"});
    EXPECT_EQ(Listed(At("none.txt"), 22), Names{});
    EXPECT_EQ(Listed(dir, 16).size(), 1u);  // the scratch folder itself
}

TEST_F(FileSystemContract, AttributesRoundTrip) {
    MakeFile("f.txt", "x");
    EXPECT_EQ(AttributesOf(At("f.txt")), ARC);  // a new file
    for (std::uint32_t a : {RO | ARC, HID | ARC, SYS | ARC, HID | SYS | ARC, ARC}) {
        ASSERT_TRUE(fs.SetAttributes(At("f.txt"), a)) << fs.LastErrorText();
        EXPECT_EQ(AttributesOf(At("f.txt")), a);
    }
    // Wine keeps hidden and system in an extended attribute, which a file that
    // is read-only to its (non-root) owner cannot take.
    if (!(platform_->underWine() && platform_->canTestReadOnly())) {
        ASSERT_TRUE(fs.SetAttributes(At("f.txt"), RO | HID | SYS | ARC));
        EXPECT_EQ(AttributesOf(At("f.txt")), RO | HID | SYS | ARC);
        ASSERT_TRUE(fs.SetAttributes(At("f.txt"), ARC));
    }
    // A file with no bit at all reports "normal" (128) on Windows; Wine keeps
    // the archive bit on every file.
    ASSERT_TRUE(fs.SetAttributes(At("f.txt"), 0));
    if (!platform_->underWine()) {
        EXPECT_EQ(AttributesOf(At("f.txt")), 128u);
    }
    MakeFolder("d");
    EXPECT_EQ(AttributesOf(At("d")) & (DIR | RO | HID | SYS), DIR);
    ASSERT_TRUE(fs.SetAttributes(At("d"), HID));
    EXPECT_EQ(AttributesOf(At("d")) & (DIR | HID), DIR | HID);
    EXPECT_EQ(AttributesOf(At("d\\")) & DIR, DIR);
    std::uint32_t a = 0;
    EXPECT_FALSE(fs.GetAttributes(At("none"), a));
    EXPECT_EQ(fs.LastError(), 2u);
    EXPECT_FALSE(fs.GetAttributes(At("none\\x"), a));
    EXPECT_EQ(fs.LastError(), 3u);
    EXPECT_FALSE(fs.SetAttributes(At("none"), ARC));
}

TEST_F(FileSystemContract, CopyReplacesAndKeepsAttributes) {
    MakeFile("src.txt", "new content");
    MakeFile("dst.txt", "old");
    ASSERT_TRUE(fs.CopyFile(At("src.txt"), At("dst.txt"), false)) << fs.LastErrorText();
    EXPECT_EQ(Bytes(At("dst.txt")), "new content");
    EXPECT_FALSE(fs.CopyFile(At("src.txt"), At("dst.txt"), true));
    EXPECT_EQ(fs.LastError(), 80u);
    // The copy has the source's bits.
    MakeFile("hs.txt", "h", HID | SYS | ARC);
    ASSERT_TRUE(fs.CopyFile(At("hs.txt"), At("copy.txt"), false)) << fs.LastErrorText();
    EXPECT_EQ(AttributesOf(At("copy.txt")), HID | SYS | ARC);
    EXPECT_EQ(Bytes(At("copy.txt")), "h");
    MakeFile("ro.txt", "r", RO | ARC);
    ASSERT_TRUE(fs.CopyFile(At("ro.txt"), At("rocopy.txt"), false)) << fs.LastErrorText();
    EXPECT_EQ(AttributesOf(At("rocopy.txt")), RO | ARC);
    EXPECT_EQ(Bytes(At("rocopy.txt")), "r");
    // A hidden file replaced by a hidden file.
    MakeFile("h1.txt", "one", HID | ARC);
    MakeFile("h2.txt", "two", HID | ARC);
    ASSERT_TRUE(fs.CopyFile(At("h1.txt"), At("h2.txt"), false)) << fs.LastErrorText();
    EXPECT_EQ(Bytes(At("h2.txt")), "one");
    // Folders are not copied; missing sources and folders fail.
    MakeFolder("d");
    EXPECT_FALSE(fs.CopyFile(At("d"), At("d2"), false));
    EXPECT_FALSE(fs.CopyFile(At("src.txt"), At("d"), false));
    EXPECT_FALSE(fs.CopyFile(At("none.txt"), At("x.txt"), false));
    EXPECT_EQ(fs.LastError(), 2u);
    EXPECT_FALSE(fs.CopyFile(At("src.txt"), At("none\\x.txt"), false));
    EXPECT_EQ(fs.LastError(), 3u);
}

// Windows opens the destination with the source's attributes, and replacing
// a hidden or system file without those bits is refused (access denied).
// Wine replaces it.
TEST_F(FileSystemContract, CopyOverAHiddenFileNeedsAHiddenSource) {
    if (platform_->underWine()) GTEST_SKIP() << "Wine replaces a hidden file from a plain source";
    MakeFile("plain.txt", "plain");
    MakeFile("hidden.txt", "hidden", HID | ARC);
    EXPECT_FALSE(fs.CopyFile(At("plain.txt"), At("hidden.txt"), false));
    EXPECT_EQ(fs.LastError(), 5u);
    EXPECT_EQ(Bytes(At("hidden.txt")), "hidden");
}

TEST_F(FileSystemContract, ReadOnlyFilesRefuseCopyAndDelete) {
    if (!platform_->canTestReadOnly()) GTEST_SKIP() << "read-only files are writable here (root)";
    MakeFile("src.txt", "new");
    MakeFile("ro.txt", "old", RO | ARC);
    EXPECT_FALSE(fs.CopyFile(At("src.txt"), At("ro.txt"), false));
    EXPECT_EQ(fs.LastError(), 5u);
    EXPECT_EQ(Bytes(At("ro.txt")), "old");
    EXPECT_FALSE(fs.DeleteFile(At("ro.txt")));
    EXPECT_EQ(fs.LastError(), 5u);
    EXPECT_FALSE(fs.AppendLine(At("ro.txt"), "x"));
    EXPECT_FALSE(fs.AppendBytes(At("ro.txt"), "x"));
    // Windows does not rename over a read-only file; Wine does.
    if (!platform_->underWine()) {
        EXPECT_FALSE(fs.WriteFileAtomic(At("ro.txt"), "x"));
    }
    EXPECT_EQ(Bytes(At("ro.txt")), "old");
    ASSERT_TRUE(fs.SetAttributes(At("ro.txt"), ARC));
    EXPECT_TRUE(fs.DeleteFile(At("ro.txt")));
}

TEST_F(FileSystemContract, FoldersMustBeEmptyToGoAndNeedTheirParent) {
    MakeFolder("full");
    MakeFile("full\\x.txt", "x");
    EXPECT_FALSE(fs.RemoveFolder(At("full")));
    EXPECT_EQ(fs.LastError(), 145u);
    EXPECT_FALSE(fs.DeleteFile(At("full")));
    EXPECT_FALSE(fs.RemoveFolder(At("full\\x.txt")));
    ASSERT_TRUE(fs.DeleteFile(At("full\\x.txt")));
    EXPECT_TRUE(fs.RemoveFolder(At("full")));
    EXPECT_FALSE(fs.RemoveFolder(At("full")));
    EXPECT_EQ(fs.LastError(), 2u);

    EXPECT_FALSE(fs.CreateFolder(At("a\\b")));
    EXPECT_EQ(fs.LastError(), 3u);
    ASSERT_TRUE(fs.CreateFolder(At("a")));
    EXPECT_FALSE(fs.CreateFolder(At("A")));
    EXPECT_EQ(fs.LastError(), 183u);
    EXPECT_TRUE(fs.CreateFolder(At("a\\b\\")));
    EXPECT_EQ(AttributesOf(At("A\\B")) & DIR, DIR);

    EXPECT_FALSE(fs.DeleteFile(At("none.txt")));
    EXPECT_EQ(fs.LastError(), 2u);
    EXPECT_FALSE(fs.DeleteFile(At("none\\none.txt")));
    EXPECT_EQ(fs.LastError(), 3u);
}

TEST_F(FileSystemContract, FilesUsedAsFoldersAndFoldersUsedAsFilesFail) {
    MakeFile("f.txt", "x");
    MakeFolder("d");
    std::uint32_t a = 0;
    Names names;
    std::uint64_t length = 0;
    EXPECT_FALSE(fs.GetAttributes(At("f.txt\\"), a));
    EXPECT_FALSE(fs.List(At("f.txt\\"), 16, names));
    EXPECT_FALSE(fs.List(At("d*\\x"), 16, names));
    EXPECT_FALSE(fs.CreateFolder(At("f.txt")));
    EXPECT_EQ(fs.LastError(), 183u);
    EXPECT_FALSE(fs.RemoveFolder(At("f.txt")));
    EXPECT_EQ(fs.LastError(), 267u);
    EXPECT_FALSE(fs.DeleteFile(At("d")));
    EXPECT_EQ(fs.LastError(), 5u);
    EXPECT_FALSE(fs.CopyFile(At("f.txt"), At("F.TXT"), false));  // onto itself
    EXPECT_EQ(fs.LastError(), 32u);
    EXPECT_FALSE(fs.CopyFile(At("f.txt"), At("d\\"), false));
    EXPECT_EQ(fs.LastError(), 5u);
    EXPECT_FALSE(fs.FileLength(At("d"), length));
    EXPECT_FALSE(fs.ReadLines(At("d"), names));
    EXPECT_FALSE(fs.AppendLine(At("d"), "x"));
    EXPECT_FALSE(fs.CreateFolder(At("a|b")));
    EXPECT_EQ(fs.LastError(), 123u);
    // "." and ".." inside a path are resolved.
    EXPECT_EQ(Listed(At("d\\..\\f.txt"), 0), Names{"f.txt"});
    EXPECT_EQ(Listed(At("d\\."), 16), Names{"d"});
    // Hidden files take appended lines and atomic replacement.
    MakeFile("h.txt", "h", HID | ARC);
    EXPECT_TRUE(fs.AppendLine(At("h.txt"), "y"));
    EXPECT_TRUE(fs.WriteFileAtomic(At("h.txt"), "z"));
    EXPECT_EQ(Bytes(At("h.txt")), "z");
}

// Appended bytes go in as given (UTF-8 stays UTF-8), after what is there;
// a missing file is made.
TEST_F(FileSystemContract, AppendBytesAddsTheBytesAsGiven) {
    EXPECT_TRUE(fs.AppendBytes(At("log.txt"), "切り替え\r\n"));
    EXPECT_TRUE(fs.AppendBytes(At("log.txt"), std::string("a\0b\n", 4)));
    EXPECT_EQ(Bytes(At("log.txt")), std::string("切り替え\r\na\0b\n", 18));
    EXPECT_FALSE(fs.AppendBytes(At("missing\\log.txt"), "x"));
}

TEST_F(FileSystemContract, MoveRenamesAndRefusesAnExistingTarget) {
    MakeFile("a.txt", "a", HID | ARC);
    MakeFile("b.txt", "b");
    EXPECT_FALSE(fs.MoveFile(At("a.txt"), At("b.txt")));
    EXPECT_EQ(fs.LastError(), 183u);
    MakeFolder("d");
    ASSERT_TRUE(fs.MoveFile(At("a.txt"), At("d\\Moved.txt"))) << fs.LastErrorText();
    EXPECT_EQ(Listed(At("d\\"), 22), (Names{".", "..", "Moved.txt"}));
    EXPECT_EQ(AttributesOf(At("d\\moved.txt")), HID | ARC);
    EXPECT_EQ(Listed(At("a.txt"), 22), Names{});
    ASSERT_TRUE(fs.MoveFile(At("d"), At("e")));
    EXPECT_EQ(Bytes(At("e\\Moved.txt")), "a");
    EXPECT_FALSE(fs.MoveFile(At("none"), At("x")));
    EXPECT_EQ(fs.LastError(), 2u);
}

TEST_F(FileSystemContract, JapaneseNamesRoundTrip) {
    MakeFolder("日本語フォルダ");
    MakeFile("日本語フォルダ\\表ソ能.txt", "j");
    EXPECT_EQ(Listed(At("日本語フォルダ\\"), 0), Names{"表ソ能.txt"});
    EXPECT_EQ(Listed(At("日本語フォルダ\\*ソ*"), 0), Names{"表ソ能.txt"});
    EXPECT_EQ(Listed(At("日*"), 16), Names{"日本語フォルダ"});
    EXPECT_EQ(AttributesOf(At("日本語フォルダ\\表ソ能.txt")), ARC);
    ASSERT_TRUE(fs.CopyFile(At("日本語フォルダ\\表ソ能.txt"), At("ｶﾅ①.txt"), false)) << fs.LastErrorText();
    EXPECT_EQ(Bytes(At("ｶﾅ①.txt")), "j");
    std::uint64_t length = 0;
    ASSERT_TRUE(fs.FileLength(At("ｶﾅ①.txt"), length));
    EXPECT_EQ(length, 1u);
}

TEST_F(FileSystemContract, TextLinesAreCodePage932WithCrLf) {
    ASSERT_TRUE(fs.AppendLine(At("u.dat"), "日本語,表,a"));
    ASSERT_TRUE(fs.AppendLine(At("u.dat"), ""));
    ASSERT_TRUE(fs.AppendLine(At("u.dat"), "end"));
    EXPECT_EQ(Bytes(At("u.dat")), "\x93\xfa\x96\x7b\x8c\xea,\x95\x5c,a\r\n\r\nend\r\n");
    Names lines;
    ASSERT_TRUE(fs.ReadLines(At("u.dat"), lines));
    EXPECT_EQ(lines, (Names{"日本語,表,a", "", "end"}));
    MakeFile("mixed.txt", "one\r\ntwo\nthree");
    ASSERT_TRUE(fs.ReadLines(At("mixed.txt"), lines));
    EXPECT_EQ(lines, (Names{"one", "two", "three"}));
    MakeFile("empty.txt", "");
    ASSERT_TRUE(fs.ReadLines(At("empty.txt"), lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(fs.ReadLines(At("none.txt"), lines));
    EXPECT_FALSE(fs.AppendLine(At("none\\u.dat"), "x"));
    std::uint64_t length = 0;
    ASSERT_TRUE(fs.FileLength(At("u.dat"), length));
    EXPECT_EQ(length, 20u);
    EXPECT_FALSE(fs.FileLength(At("none.txt"), length));
}

TEST_F(FileSystemContract, AtomicWriteReplacesTheWholeContent) {
    MakeFile("f.bin", "a long first content");
    ASSERT_TRUE(fs.WriteFileAtomic(At("f.bin"), std::string("\0\xff\r\n日", 7)));
    EXPECT_EQ(Bytes(At("f.bin")), std::string("\0\xff\r\n日", 7));
    ASSERT_TRUE(fs.WriteFileAtomic(At("f.bin"), ""));
    EXPECT_EQ(Bytes(At("f.bin")), "");
    // Nothing is left beside it.
    EXPECT_EQ(Listed(At(""), 22), (Names{".", "..", "f.bin"}));
    EXPECT_FALSE(fs.WriteFileAtomic(At("none\\f.bin"), "x"));
    MakeFolder("d");
    EXPECT_FALSE(fs.WriteFileAtomic(At("d"), "x"));
    std::string bytes;
    EXPECT_FALSE(fs.ReadFile(At("d"), bytes));
    EXPECT_FALSE(fs.ReadFile(At("none"), bytes));
}

// Two PCs that make one check-out entry at once: one makes it, the other
// finds it made, and its content stays the maker's.
TEST_F(FileSystemContract, ANewFileIsMadeOnceAndNeverReplaced) {
    ASSERT_TRUE(fs.CreateNewFile(At("entry.dat"), "PC1\r\n日")) << fs.LastErrorText();
    EXPECT_EQ(Bytes(At("entry.dat")), "PC1\r\n日");
    EXPECT_FALSE(fs.CreateNewFile(At("ENTRY.dat"), "PC2"));
    EXPECT_EQ(fs.LastError(), 80u);
    EXPECT_EQ(Bytes(At("entry.dat")), "PC1\r\n日");
    MakeFolder("d");
    EXPECT_FALSE(fs.CreateNewFile(At("d"), "x"));
    EXPECT_FALSE(fs.CreateNewFile(At("none\\entry.dat"), "x"));
    EXPECT_EQ(Listed(At(""), 22), (Names{".", "..", "d", "entry.dat"}));
}

TEST_F(FileSystemContract, APiecewiseWriteChangesNothingUntilCommitted) {
    MakeFile("m.txt", "old");
    {
        auto dropped = fs.BeginAtomic(At("m.txt"), platform::FileSystem::Flush::ToDisk);
        ASSERT_TRUE(dropped);
        EXPECT_TRUE(dropped->Write("new, "));
        EXPECT_EQ(Bytes(At("m.txt")), "old");
    }
    // Dropped: the old content, and nothing beside it.
    EXPECT_EQ(Bytes(At("m.txt")), "old");
    EXPECT_EQ(Listed(At(""), 22), (Names{".", "..", "m.txt"}));
    const std::string piece(100000, 'p');
    auto file = fs.BeginAtomic(At("m.txt"), platform::FileSystem::Flush::Lazily);
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->Write(piece));
    EXPECT_TRUE(file->Write("\r\nend"));
    EXPECT_EQ(Bytes(At("m.txt")), "old");
    ASSERT_TRUE(file->Commit());
    file.reset();
    EXPECT_EQ(Bytes(At("m.txt")), piece + "\r\nend");
    EXPECT_EQ(Listed(At(""), 22), (Names{".", "..", "m.txt"}));
    const auto none = fs.BeginAtomic(At("none\\m.txt"), platform::FileSystem::Flush::ToDisk);
    EXPECT_TRUE(!none || !none->Commit());
}

}  // namespace
}  // namespace tollervy::contract
