// Paths of more than 260 characters through the Win32 file system: the form
// handed to the wide functions, and every operation the engine uses on a
// folder tree that deep.
#include <gtest/gtest.h>

#include "win32/WinApi.h"

#include <algorithm>
#include <string>
#include <vector>

#include "win32/Encoding.h"
#include "win32/LongPath.h"
#include "win32/Win32FileSystem.h"
#include "wine/Scratch.h"

namespace tollervy {
namespace {

std::string Repeat(const std::string& part, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) s += part;
    return s;
}

TEST(LongPath, ShortPathsGoAsTheyAreAndLongOnesInTheLongForm) {
    const std::string deep = Repeat("\\abcdefghijklmnopqrstuvwxyz0123456789", 8);  // 296 characters
    struct Case {
        std::string path;
        std::wstring expected;
    };
    const Case cases[] = {
        {"C:\\short\\a.txt", L"C:\\short\\a.txt"},
        {"C:\\短い\\ファイル.txt", L"C:\\短い\\ファイル.txt"},
        {"C:" + deep, L"\\\\?\\C:" + win32::Widen(deep)},
        // The plain functions resolve "/" and "..": so does the long form.
        {"C:\\x\\..\\y/z" + deep, L"\\\\?\\C:\\y\\z" + win32::Widen(deep)},
        {"\\\\server\\share" + deep, L"\\\\?\\UNC\\server\\share" + win32::Widen(deep)},
        {"\\\\?\\C:" + deep + "\\..", L"\\\\?\\C:" + win32::Widen(deep) + L"\\.."},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.path);
        EXPECT_EQ(win32::FileApiPath(k.path), k.expected);
    }
}

// A tree deeper than 260 characters: made, listed, copied, read, its
// attributes read and set, emptied and removed through the plain paths the
// engine passes.
TEST(LongPath, EveryFileOperationWorksBeyond260Characters) {
    const std::wstring tempW = scratch::TempPath() + L"\\tollervy-long-" + std::to_wstring(GetCurrentProcessId());
    scratch::RemoveTree(L"\\\\?\\" + tempW);
    const std::string temp = win32::Narrow(tempW);
    win32::Win32FileSystem fs;
    ASSERT_TRUE(fs.CreateFolder(temp));

    std::vector<std::string> folders;
    std::string folder = temp;
    for (int i = 0; i < 8; ++i) {
        folder += "\\深いフォルダ-" + std::to_string(i) + "-abcdefghijklmnopqrstuvwxyz";
        ASSERT_TRUE(fs.CreateFolder(folder)) << folder.size() << " " << fs.LastErrorText();
        folders.push_back(folder);
    }
    ASSERT_GT(win32::Widen(folder).size(), 300u);
    const std::string source = folder + "\\元のファイル.txt";
    const std::string copy = folder + "\\写し.txt";
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    ASSERT_TRUE(fs.WriteFileAtomic(source, bytes)) << fs.LastErrorText();
    ASSERT_TRUE(fs.CopyFile(source, copy, true)) << fs.LastErrorText();

    std::string read;
    ASSERT_TRUE(fs.ReadFile(copy, read));
    EXPECT_EQ(read, bytes);
    std::uint64_t length = 0;
    ASSERT_TRUE(fs.FileLength(copy, length));
    EXPECT_EQ(length, 256u);
    std::uint32_t attributes = 0;
    ASSERT_TRUE(fs.SetAttributes(copy, FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(fs.GetAttributes(copy, attributes));
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(fs.SetAttributes(copy, FILE_ATTRIBUTE_NORMAL));
    std::vector<std::string> names;
    ASSERT_TRUE(fs.List(folder + "\\", 16, names));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "元のファイル.txt", "写し.txt"}));
    ASSERT_TRUE(fs.MoveFile(copy, copy + ".moved"));
    ASSERT_TRUE(fs.DeleteFile(copy + ".moved"));
    ASSERT_TRUE(fs.DeleteFile(source));
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) ASSERT_TRUE(fs.RemoveFolder(*it)) << *it;
    EXPECT_TRUE(fs.RemoveFolder(temp));
}

}  // namespace
}  // namespace tollervy
