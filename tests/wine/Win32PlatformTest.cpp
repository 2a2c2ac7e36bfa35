// What the Win32 platform adds to the shared file-system and profile rules:
// the bytes on disk are the ANSI code page's, replacing a file leaves no
// half-written file, and the process and shell queries answer as the program
// expects.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Shell.h"
#include "win32/Encoding.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Profile.h"
#include "win32/Win32Shell.h"
#include "win32/Win32System.h"

namespace tollervy::win32 {
namespace {

// A fresh folder under the temporary folder, removed with its files.
class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, base);
        path_ = Narrow(std::wstring(base)) + "tollervy-w32-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter_++);
        CreateDirectoryW(Widen(path_).c_str(), nullptr);
    }
    ~TempFolder() {
        Win32FileSystem fs;
        std::vector<std::string> names;
        fs.List(path_ + "\\", 0, names);
        for (const std::string& name : names) {
            SetFileAttributesW(Widen(path_ + "\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(Widen(path_ + "\\" + name).c_str());
        }
        RemoveDirectoryW(Widen(path_).c_str());
    }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    static inline int counter_ = 0;
};

std::string Bytes(const std::string& path) {
    Win32FileSystem fs;
    std::string bytes;
    EXPECT_TRUE(fs.ReadFile(path, bytes));
    return bytes;
}

bool JapaneseCodePage() { return GetACP() == 932; }

TEST(Win32Profile, ValuesAreStoredInTheAnsiCodePage) {
    if (!JapaneseCodePage()) GTEST_SKIP() << "needs the ANSI code page 932 (LANG=ja_JP.UTF-8)";
    TempFolder folder;
    const std::string ini = folder / "設定.ini";
    Win32Profile profile;
    const std::string value = "日本語";
    ASSERT_TRUE(profile.WriteString(ini, "Last", "User", &value));
    EXPECT_NE(Bytes(ini).find("User=\x93\xfa\x96\x7b\x8c\xea"), std::string::npos);
    EXPECT_EQ(profile.GetString(ini, "Last", "User", "", 256), "日本語");

    // A double-byte value cut by the buffer keeps whole characters only up to
    // the cut and nothing of the rest of the buffer.
    EXPECT_EQ(profile.GetString(ini, "Last", "User", "", 5), "日本");
    EXPECT_EQ(profile.GetString(ini, "Last", "User", "", 6), "日本");

    // "あ" is 0x82 0xA0: its first byte alone is no character.
    EXPECT_EQ(Win32Profile::WholeCharacters("a\x82\xa0\x82", 4), 3u);
    EXPECT_EQ(Win32Profile::WholeCharacters("\x82\xa0\x82\xa0", 4), 4u);
    EXPECT_EQ(Win32Profile::WholeCharacters("abc", 3), 3u);
}

TEST(Win32Profile, SectionLinesEndAtTheEmptyLine) {
    const char buffer[] = "F1=C:\\a.txt\0F2=C:\\b\\\0\0junk\0";
    EXPECT_EQ((std::vector<std::string>{"F1=C:\\a.txt", "F2=C:\\b\\"}),
              Win32Profile::SplitSection(buffer, sizeof buffer - 1));
    // Cut before the closing NUL: the unfinished line is not taken.
    EXPECT_EQ((std::vector<std::string>{"F1=C:\\a.txt"}), Win32Profile::SplitSection(buffer, 15));
    EXPECT_TRUE(Win32Profile::SplitSection(buffer, 0).empty());
}

TEST(Win32FileSystem, TextLinesAreAnsiWithCrLf) {
    if (!JapaneseCodePage()) GTEST_SKIP() << "needs the ANSI code page 932 (LANG=ja_JP.UTF-8)";
    TempFolder folder;
    const std::string file = folder / "User.dat";
    Win32FileSystem fs;
    ASSERT_TRUE(fs.AppendLine(file, "あ,1"));
    ASSERT_TRUE(fs.AppendLine(file, "B,0"));
    EXPECT_EQ(Bytes(file), "\x82\xa0,1\r\nB,0\r\n");
    std::vector<std::string> lines;
    ASSERT_TRUE(fs.ReadLines(file, lines));
    EXPECT_EQ((std::vector<std::string>{"あ,1", "B,0"}), lines);

    EXPECT_FALSE(fs.ReadLines(folder / "missing.dat", lines));
    EXPECT_TRUE(lines.empty());
}

TEST(Win32FileSystem, LinesEndAtCrLfOrLoneLf) {
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), Win32FileSystem::SplitLines("a\r\nb\nc"));
    EXPECT_EQ((std::vector<std::string>{"a", "", "b"}), Win32FileSystem::SplitLines("a\r\n\r\nb\r\n"));
    EXPECT_EQ((std::vector<std::string>{"a\rb"}), Win32FileSystem::SplitLines("a\rb"));
    EXPECT_TRUE(Win32FileSystem::SplitLines("").empty());
}

TEST(Win32FileSystem, AtomicWriteReplacesAndLeavesNoTemporaryFile) {
    TempFolder folder;
    const std::string file = folder / "User.dat";
    Win32FileSystem fs;
    ASSERT_TRUE(fs.WriteFileAtomic(file, "old"));
    ASSERT_TRUE(fs.WriteFileAtomic(file, std::string("new\0bytes", 9)));
    EXPECT_EQ(Bytes(file), std::string("new\0bytes", 9));
    std::uint32_t attributes = 0;
    EXPECT_FALSE(fs.GetAttributes(file + ".tmp", attributes));

    EXPECT_FALSE(fs.WriteFileAtomic(folder / "no such folder\\User.dat", "x"));
    EXPECT_NE(fs.LastError(), 0u);
    EXPECT_FALSE(fs.LastErrorText().empty());
}

// Closes the handle it is given after 300 ms (a thread's entry: stdcall on
// i686, so a function of its own).
DWORD WINAPI CloseAfterAWhile(void* h) {
    Sleep(300);
    CloseHandle(static_cast<HANDLE>(h));
    return 0;
}

// Another program that has the file open for a moment (here: another handle
// without delete sharing, closed after 300 ms) delays the replacement but
// does not make it fail; one that keeps it open does, and the old content
// stays whole.
TEST(Win32FileSystem, AtomicWriteWaitsForAReaderToLetGo) {
    TempFolder folder;
    const std::string file = folder / "InPlace.dat";
    Win32FileSystem fs;
    ASSERT_TRUE(fs.WriteFileAtomic(file, "old"));
    auto holdOpen = [&] {
        return CreateFileW(Widen(file).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };

    HANDLE reader = holdOpen();
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    HANDLE closer = CreateThread(nullptr, 0, CloseAfterAWhile, reader, 0, nullptr);
    ASSERT_NE(closer, nullptr);
    EXPECT_TRUE(fs.WriteFileAtomic(file, "new"));
    WaitForSingleObject(closer, INFINITE);
    CloseHandle(closer);
    EXPECT_EQ(Bytes(file), "new");

    reader = holdOpen();
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(fs.WriteFileAtomic(file, "newer"));
    CloseHandle(reader);
    EXPECT_EQ(Bytes(file), "new");
    std::uint32_t attributes = 0;
    EXPECT_FALSE(fs.GetAttributes(file + ".tmp", attributes));
}
TEST(Win32FileSystem, LengthOfFilesOnly) {
    TempFolder folder;
    Win32FileSystem fs;
    ASSERT_TRUE(fs.WriteFileAtomic(folder / "a.txt", "12345"));
    std::uint64_t length = 0;
    ASSERT_TRUE(fs.FileLength(folder / "a.txt", length));
    EXPECT_EQ(length, 5u);
    EXPECT_FALSE(fs.FileLength(folder.Path(), length));
    EXPECT_FALSE(fs.FileLength(folder / "missing.txt", length));
}

TEST(Win32System, ProcessQueries) {
    Win32System system;
    EXPECT_EQ(system.ProgramTitle(), "Tollervy");
    const std::string exe = system.ProgramExePath();
    const std::string folder = system.ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(exe.rfind(folder, 0), 0u);
    EXPECT_NE(folder.back(), '\\');
    EXPECT_GT(system.ScreenWidth(), 0);
    EXPECT_GT(system.ScreenHeight(), 0);

    platform::VersionInfo version;
    ASSERT_TRUE(system.Version(version));
    EXPECT_EQ(version.platformId, 2u);

    std::string name;
    ASSERT_TRUE(system.UserName(name));
    EXPECT_FALSE(name.empty());
    EXPECT_EQ(name.find('\0'), std::string::npos);
}

TEST(Win32System, SecondInstanceIsSeenAndTheAnswerKept) {
    Win32System first;
    Win32System second;
    EXPECT_FALSE(first.PreviousInstance());
    EXPECT_TRUE(second.PreviousInstance());
    EXPECT_FALSE(first.PreviousInstance());
}

TEST(Win32Shell, FoldersShortcutsAndDocuments) {
    Win32Shell shell;
    const std::string startup = shell.SpecialFolderPath(platform::CsidlStartup);
    EXPECT_FALSE(startup.empty());
    EXPECT_EQ(shell.SpecialFolderPath(0x7f), "");

    TempFolder folder;
    const std::string link = folder / "Tollervy.lnk";
    ASSERT_TRUE(shell.CreateShortcut(link, "C:\\Tools\\Tollervy.exe", "-s"));
    Win32FileSystem fs;
    std::uint64_t length = 0;
    ASSERT_TRUE(fs.FileLength(link, length));
    EXPECT_GT(length, 0u);

    EXPECT_LE(shell.OpenDocument(folder / "missing-readme.txt"), 32);
}

// The recent documents list: the shell leaves "<name>.lnk" in the Recent
// folder before it returns, and that shortcut names the document.
TEST(Win32Shell, TheRecentListsShortcutNamesTheDocument) {
    if (!JapaneseCodePage()) GTEST_SKIP() << "needs the ANSI code page 932 (LANG=ja_JP.UTF-8)";
    Win32Shell shell;
    TempFolder folder;
    const std::string name = "tollervy-最近-" + std::to_string(GetCurrentProcessId()) + ".exe";
    const std::string document = folder / name;
    ASSERT_TRUE(Win32FileSystem().WriteFileAtomic(document, "MZ"));
    const std::string recent = shell.SpecialFolderPath(platform::CsidlRecent);
    ASSERT_FALSE(recent.empty());
    const std::string link = recent + "\\" + name + ".lnk";
    DeleteFileW(Widen(link).c_str());

    shell.AddToRecentDocs(document);
    std::string target;
    EXPECT_TRUE(shell.ShortcutTarget(link, target)) << link;
    EXPECT_EQ(target, document);
    DeleteFileW(Widen(link).c_str());
}

}  // namespace
}  // namespace tollervy::win32
