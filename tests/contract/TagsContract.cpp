// What the tags of copied bytes rest on: the system's random bytes (every
// byte asked for is filled, no two draws repeat), the comparison of two
// files' bytes (equal only when both read whole and the same) and a file's
// change time (moved on by every change of its bytes or attributes).
#include <functional>
#include <set>

#include "contract/ContractTest.h"

namespace tollervy::contract {
namespace {

class TagsContract : public ContractTest {};

TEST_F(TagsContract, EveryDrawFillsItsBytesAndNoneRepeats) {
    platform::System& system = platform_->system();
    std::set<std::string> draws;
    for (int i = 0; i < 64; ++i) {
        std::string bytes(8, '\0');
        ASSERT_TRUE(system.RandomBytes(bytes.data(), bytes.size()));
        draws.insert(bytes);
    }
    EXPECT_EQ(draws.size(), 64u);
    // A long draw has no run of untouched bytes.
    std::string sentinel(256, '\x5a');
    ASSERT_TRUE(system.RandomBytes(sentinel.data(), sentinel.size()));
    EXPECT_LT(std::count(sentinel.begin(), sentinel.end(), '\x5a'), 16);
}

TEST_F(TagsContract, TwoFilesAreEqualOnlyWhenBothReadWholeAndTheSame) {
    platform::FileSystem& fs = platform_->fs();
    const std::string big(200'000, 'x');
    std::string other = big;
    other[150'000] = 'y';  // past the first block read
    ASSERT_TRUE(fs.WriteFileAtomic(At("a"), big));
    ASSERT_TRUE(fs.WriteFileAtomic(At("same"), big));
    ASSERT_TRUE(fs.WriteFileAtomic(At("late"), other));
    ASSERT_TRUE(fs.WriteFileAtomic(At("short"), big.substr(1)));
    ASSERT_TRUE(fs.WriteFileAtomic(At("empty"), ""));
    ASSERT_TRUE(fs.WriteFileAtomic(At("empty2"), ""));
    ASSERT_TRUE(fs.CreateFolder(At("folder")));
    EXPECT_TRUE(fs.FilesEqual(At("a"), At("same")));
    EXPECT_TRUE(fs.FilesEqual(At("empty"), At("empty2")));
    EXPECT_FALSE(fs.FilesEqual(At("a"), At("late")));
    EXPECT_FALSE(fs.FilesEqual(At("a"), At("short")));
    EXPECT_FALSE(fs.FilesEqual(At("a"), At("missing")));
    EXPECT_FALSE(fs.FilesEqual(At("missing"), At("missing")));
    EXPECT_FALSE(fs.FilesEqual(At("folder"), At("folder")));
}

TEST_F(TagsContract, EveryChangeOfAFileMovesItsListedChangeTimeOn) {
    platform::FileSystem& fs = platform_->fs();
    std::uint64_t before = 0;
    const auto changed = [&](const std::string& spec) {
        std::vector<platform::FileSystem::Entry> entries;
        EXPECT_TRUE(fs.ListEntries(spec, platform::ListAll | platform::ListChangeTimes, entries));
        for (const auto& e : entries)
            if (e.name == "f") return e.changed;
        ADD_FAILURE() << "f not listed by " << spec;
        return std::uint64_t{0};
    };
    ASSERT_TRUE(fs.WriteFileAtomic(At("f"), "one"));
    ASSERT_TRUE(fs.WriteFileAtomic(At("g"), "six"));
    before = changed(At("f"));
    ASSERT_NE(before, 0u);
    // The folder's listing, a pattern and the file alone say the same.
    EXPECT_EQ(changed(At("")), before);
    EXPECT_EQ(changed(At("?")), before);
    const auto changes = [&](const char* what, const std::function<bool()>& change) {
        SCOPED_TRACE(what);
        platform_->system().Sleep(30);  // past the file system's clock step
        ASSERT_TRUE(change());
        const std::uint64_t after = changed(At("f"));
        EXPECT_NE(after, before);
        before = after;
    };
    changes("rewritten", [&] { return fs.WriteFileAtomic(At("f"), "two"); });
    changes("an attribute set", [&] { return fs.SetAttributes(At("f"), platform::AttrArchive | platform::AttrHidden); });
    changes("copied over", [&] {
        return fs.SetAttributes(At("f"), platform::AttrArchive) && fs.CopyFile(At("g"), At("f"), false);
    });
    // Reading changes nothing.
    std::string bytes;
    ASSERT_TRUE(fs.ReadFile(At("f"), bytes));
    EXPECT_EQ(changed(At("f")), before);
}

}  // namespace
}  // namespace tollervy::contract
