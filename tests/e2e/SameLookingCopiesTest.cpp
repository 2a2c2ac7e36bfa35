// Two people's copies that look the same (size, last-write time, attributes)
// but hold other bytes: a switch gives each person their own bytes, both
// ways, in a folder entry, a file entry and a pattern entry. The copies are
// made the ways such twins arise: a fixed installer time, copies written in
// one instant, FAT's two-second step, a tool that puts the time back.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "Scenario.h"

using namespace e2e;

namespace {

// FILETIME ticks: 100 ns since 1601-01-01 UTC.
constexpr std::uint64_t kSecond = 10'000'000;

std::uint64_t At(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME s{year, month, 0, day, hour, minute, second, 0};
    FILETIME f{};
    SystemTimeToFileTime(&s, &f);
    return (static_cast<std::uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
}

bool SetLastWrite(const std::string& path, std::uint64_t time) {
    HANDLE h = CreateFileW(Wide(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const FILETIME f{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    const bool ok = SetFileTime(h, nullptr, nullptr, &f) != 0;
    return CloseHandle(h) && ok;
}

// A tool that rewrites a file and puts its last-write time back, as some
// settings and update tools do.
bool ToolRewrite(const std::string& path, const std::string& bytes) {
    WIN32_FILE_ATTRIBUTE_DATA before{};
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &before)) return false;
    const FILETIME& t = before.ftLastWriteTime;
    return WriteBytes(path, bytes) &&
           SetLastWrite(path, (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

// One way two people's copies come to look alike: the bytes each person's
// copy of a file holds (`label` names the file; A's and B's are of one
// size), and the one last-write time both carry.
struct Twins {
    const char* name;
    std::string (*bytes)(char owner, const std::string& label);
    std::uint64_t (*time)();
    bool tool;          // made by ToolRewrite over an installed file of that time
    bool earlierStore;  // the store as a version without manifests leaves it
};

std::string Version(char owner, const std::string& label) {
    return std::string("version=1.2.") + (owner == 'A' ? '3' : '4') + "\r\n; " + label + "\r\n";
}

std::string FourKilobytes(char owner, const std::string& label) {
    std::string s = label + "\r\n";
    std::uint32_t x = static_cast<unsigned char>(owner) * 2654435761u;
    while (s.size() < 4096) s += static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
    return s;
}

std::string Saved(char owner, const std::string& label) { return std::string("saved by ") + owner + ": " + label; }
// The tool writes its files at a fixed size.
std::string Theme(char owner, const std::string& label) {
    std::string s = std::string("theme=") + (owner == 'A' ? "dark" : "pale") + "\r\nfile=" + label + "\r\n";
    s.resize(512, ' ');
    return s;
}
std::string Same(char, const std::string& label) { return "the same for everybody: " + label; }

std::uint64_t Dos1980() { return At(1980, 1, 1, 0, 0, 0); }
std::uint64_t OneInstant() { return At(2025, 3, 14, 15, 9, 26) + 5'358'979; }
// An even second an hour ago: two writes within one step of FAT's clock.
std::uint64_t FatStep() {
    FILETIME f{};
    GetSystemTimeAsFileTime(&f);
    const std::uint64_t t = ((static_cast<std::uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime) - 3600 * kSecond;
    return t - t % (2 * kSecond);
}

const Twins kTwins[] = {
    {"FixedInstallerTime", Version, Dos1980, false, false},
    {"WrittenInOneInstant", FourKilobytes, OneInstant, false, false},
    {"FatTwoSecondStep", Saved, FatStep, false, false},
    {"ToolPutsTheTimeBack", Theme, Dos1980, true, false},
    {"ReallyEqual", Same, OneInstant, false, false},
    {"StoreOfAnEarlierVersion", Version, Dos1980, false, true},
};

// What a tool rewrites: the files as installed.
const Twins kInstalled{"Installed", Same, Dos1980, false, false};

const char* const kKeys[] = {"F1", "F2", "F3"};
using Copies = std::map<std::string, Tree>;  // by [File] key

// One person's copies of the three listed items.
Copies CopiesOf(const Twins& t, char owner) {
    const auto f = [&](const char* label) { return t.bytes(owner, label); };
    return {{"F1", {{"settings.ini", f("docs")}, {"sub\\", ""}, {"sub\\state.dat", f("docs\\sub")}}},
            {"F2", {{"app.ini", f("app")}}},
            {"F3", {{"one.cfg", f("one")}, {"two.cfg", f("two")}}}};
}

class SameLooking : public Scenario {
protected:
    // The folder each item's files lie in.
    std::string LiveFolder(const std::string& key) {
        return Live(key == "F1" ? "書類" : key == "F2" ? "app" : "設定");
    }
    std::string Ini(const std::string& extra) {
        return "[Start]\nStarted=1\nStatus=1\n" + extra +
               FileSection({{"F1", LiveFolder("F1") + "\\"},
                            {"F2", LiveFolder("F2") + "\\app.ini"},
                            {"F3", LiveFolder("F3") + "\\*.cfg"}});
    }

    // Writes one person's copies below `folderOf(key)`, made as the twins are.
    template <typename FolderOf>
    void Write(const Twins& t, const Copies& copies, std::uint64_t time, FolderOf folderOf) {
        for (const auto& [key, tree] : copies) {
            ASSERT_TRUE(WriteTree(folderOf(key), t.tool ? CopiesOf(kInstalled, 'I').at(key) : tree));
            for (const auto& [relative, bytes] : tree) {
                if (relative.back() == '\\') continue;
                const std::string path = folderOf(key) + "\\" + relative;
                ASSERT_TRUE(SetLastWrite(path, time)) << path;
                if (t.tool) {
                    ASSERT_TRUE(ToolRewrite(path, bytes)) << path;
                }
            }
        }
    }

    // Runs a switch to `user`; with `shot`, photographs its progress window.
    void SwitchTo(const std::string& user, bool shot = false) {
        Process p;
        ASSERT_TRUE(Start(p, "\"" + user + "\"", /*waitIdle=*/!shot));
        if (shot) {
            EXPECT_NE(WaitForProgressWindow(p, kRun), nullptr) << "the progress window was not seen during the switch";
            Screenshot(Shot("progress"));
        }
        const RunResult r = RunToEnd(p, kRun, Shot("to-" + user));
        ASSERT_TRUE(r.ended) << "the switch to " << user << " does not end";
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);
    }

    // `inPlace`'s copies are live; each person's copies are in the store.
    void ExpectOwnCopies(const std::map<char, Copies>& copies, char inPlace, const std::string& when) {
        for (const char* key : kKeys) {
            EXPECT_EQ(TreeDifference(copies.at(inPlace).at(key), ReadTree(LiveFolder(key))), "")
                << when << ": live " << key << " is not " << inPlace << "'s";
            for (const auto& [owner, theirs] : copies)
                EXPECT_EQ(TreeDifference(theirs.at(key), ReadTree(inst().StorePath(std::string(1, owner), key))), "")
                    << when << ": " << owner << "'s stored " << key;
        }
    }

    void EachGetsTheirOwnBytesBothWays(const Twins& t);
};

// A holds the live copies, B has stored copies that look the same; switches
// to B, back to A and to B again: the first meets B's copies as any earlier
// version left them (no record of their bytes), the next two meet copies
// whose bytes the program itself recorded on both sides.
void SameLooking::EachGetsTheirOwnBytesBothWays(const Twins& t) {
    std::map<char, Copies> copies{{'A', CopiesOf(t, 'A')}, {'B', CopiesOf(t, 'B')}};
    const std::uint64_t time = t.time();
    ASSERT_TRUE(inst().WriteIni(Ini("[Last]\nUser=A\n")));
    ASSERT_TRUE(inst().MakeDataStore());
    Write(t, copies['A'], time, [&](const std::string& key) { return LiveFolder(key); });
    Write(t, copies['B'], time, [&](const std::string& key) { return inst().StorePath("B", key); });
    if (t.earlierStore) {
        // A's copies saved earlier, and a record without a generation line.
        Write(t, copies['A'], time, [&](const std::string& key) { return inst().StorePath("A", key); });
        ASSERT_TRUE(WriteBytes(inst().dataPath() + "\\InPlace.dat", "; record\r\nF1=A\r\nF2=A\r\nF3=A\r\n"));
    }
    // A file A saved a moment ago: its copy waits for its time step, long
    // enough to see the progress window.
    const bool shot = &t == &kTwins[0];
    if (shot) {
        copies['A']["F1"]["今日のメモ.txt"] = Content("A", "今日のメモ");
        ASSERT_TRUE(WriteBytes(LiveFolder("F1") + "\\今日のメモ.txt", copies['A']["F1"]["今日のメモ.txt"]));
    }

    ASSERT_NO_FATAL_FAILURE(SwitchTo("B", shot));
    ExpectOwnCopies(copies, 'B', "A to B");
    // From here on both sides carry the program's records of their bytes.
    std::string record;
    ASSERT_TRUE(ReadBytes(inst().dataPath() + "\\InPlace.dat", record));
    EXPECT_NE(record.find("\n; manifests "), std::string::npos) << record;
    for (const char* key : kKeys)
        for (const std::string& manifest : {inst().StorePath("A", key), inst().StorePath("B", key),
                                           inst().dataPath() + "\\InPlace\\" + key})
            EXPECT_TRUE(FileExists(manifest + ".manifest")) << manifest;

    ASSERT_NO_FATAL_FAILURE(SwitchTo("A"));
    ExpectOwnCopies(copies, 'A', "B to A");
    ASSERT_NO_FATAL_FAILURE(SwitchTo("B"));
    ExpectOwnCopies(copies, 'B', "A to B again");
}

// A's copies become the common ones at the first start and B starts from
// them; after some switches B's tool rewrites B's files in place and puts
// their times back.
// Back to A, A's own bytes come back and B's are stored as B's (the files'
// change time, which the tool cannot put back, tells them apart).
TEST_F(SameLooking, AnUpdateInPlaceThatPutsTheTimeBack) {
    const Twins& t = kTwins[3];
    const std::map<char, Copies> copies{{'A', CopiesOf(t, 'A')}, {'B', CopiesOf(t, 'B')}};
    ASSERT_TRUE(inst().WriteIni(Ini("")));
    ASSERT_TRUE(inst().MakeDataStore());
    Write(t, copies.at('A'), t.time(), [&](const std::string& key) { return LiveFolder(key); });
    // Back and forth until both have stored copies that carry one tag.
    for (const char* who : {"A", "B", "A", "B", "A", "B"}) ASSERT_NO_FATAL_FAILURE(SwitchTo(who));
    for (const auto& [key, tree] : copies.at('B'))
        for (const auto& [relative, bytes] : tree)
            if (relative.back() != '\\') {
                ASSERT_TRUE(ToolRewrite(LiveFolder(key) + "\\" + relative, bytes));
            }
    ASSERT_NO_FATAL_FAILURE(SwitchTo("A"));
    ExpectOwnCopies(copies, 'A', "B's update, then B to A");
}

TEST_F(SameLooking, FixedInstallerTime) { EachGetsTheirOwnBytesBothWays(kTwins[0]); }
TEST_F(SameLooking, WrittenInOneInstant) { EachGetsTheirOwnBytesBothWays(kTwins[1]); }
TEST_F(SameLooking, FatTwoSecondStep) { EachGetsTheirOwnBytesBothWays(kTwins[2]); }
TEST_F(SameLooking, ToolPutsTheTimeBack) { EachGetsTheirOwnBytesBothWays(kTwins[3]); }
TEST_F(SameLooking, ReallyEqualCopies) { EachGetsTheirOwnBytesBothWays(kTwins[4]); }
TEST_F(SameLooking, StoreOfAnEarlierVersion) { EachGetsTheirOwnBytesBothWays(kTwins[5]); }

}  // namespace
