// Several PCs, one store: two PCs (their own C: drives) over one disk with
// the shared store on S:. Each row is a story of logons; its last logons are
// run once per file operation failing in turn and once per changing step
// with the process dying there (either PC), then run again without faults.
// Afterwards every version of every person's files is somewhere, no store,
// conflict or backup folder holds another person's file, and each PC holds
// one whole copy of the person last logged on there. The clean run of each
// row must also end exactly as the row says.
#include <gtest/gtest.h>

#include <iostream>
#include <set>
#include <tuple>

#include "EngineTestSupport.h"
#include "driver/TollervyMain.h"
#include "engine/CheckOut.h"
#include "engine/EngineText.h"
#include "fakes/PcDisk.h"
#include "ui/Forms.h"

namespace tollervy {
namespace {

using fakes::FakeFileSystem;
using Op = FakeFileSystem::Op;
using Files = std::map<std::string, std::string>;  // item-relative path -> content

const std::string Shared = "S:\\Tollervy";
const std::string PcDrive[] = {"C:", "D:"};
const std::string PcName[] = {"PC1", "PC2"};

// A copy of the two items (a file, a folder): "<who>:<version> <file>".
Files CopyOf(const std::string& who, const std::string& version) {
    const std::string tag = who + ":" + version;
    return {{"F1\\memo.txt", tag + " memo"}, {"F2\\top.txt", tag + " top"}, {"F2\\sub\\深い.txt", tag + " deep"}};
}
std::string Live(int pc, const std::string& rel) {
    return PcDrive[pc] + (rel.rfind("F1\\", 0) == 0 ? "\\Work\\" : "\\Work\\Notes\\") + rel.substr(3);
}
std::string Ini(int pc) { return PcDrive[pc] + "\\Program Files\\Tollervy\\Tollervy.ini"; }

// Answers: the check-out question as told, the error policy's No, OK.
int Answer(const std::string&, unsigned style, int checkedOut) {
    if (style == engine_text::CheckedOutStyle) return checkedOut;
    return style == engine_text::ContinueQuestionStyle ? platform::AnswerNo : platform::AnswerOK;
}

// One start of the program on one PC.
struct Pc {
    Pc(FakeFileSystem& disk, int pc, int checkedOut) : view(disk, PcDrive[pc]), profile(disk), shell(&disk) {
        system.computerName = PcName[pc];
        system.programFolder = system.currentFolder = PcDrive[pc] + "\\Program Files\\Tollervy";
        system.onSleep = [&disk](unsigned ms) { disk.AdvanceClock(ms * 10'000ull); };
        messages.AnswerWith([checkedOut](const std::string& t, unsigned s) { return Answer(t, s, checkedOut); });
    }
    std::optional<int> LogOn(const std::string& user) {
        system.loginName = user;
        try {
            forms.TollervyMain().Show();
        } catch (const fakes::ProcessEnded& ended) {
            return ended.code;
        }
        return std::nullopt;
    }
    fakes::PcDisk view;
    fakes::FakeProfile profile;
    fakes::FakeShell shell;
    fakes::FakeSystem system;
    enginetest::AnsweringMessages messages;
    fakes::FakeFormHost host;
    Context context{view, profile, messages, system, shell, {}, nullptr, nullptr};
    Forms forms{context, host};
};

void Install(FakeFileSystem& disk) {
    disk.AddDrive("D:");
    disk.AddDrive("S:");
    fakes::FakeProfile profile(disk);
    for (int pc : {0, 1}) {
        disk.AddFolder(PcDrive[pc] + "\\Program Files\\Tollervy");
        for (const auto& [section, key, value] :
             {std::tuple<std::string, std::string, std::string>{"Start", "Started", "1"},
              {"Store", "Shared", Shared + "\\"},
              {"File", "F1", "C:\\Work\\memo.txt"},
              {"File", "F2", "C:\\Work\\Notes\\"}})
            profile.WriteString(Ini(pc), section, key, &value);
        for (const auto& [rel, content] : CopyOf(PcName[pc], "own")) disk.AddFile(Live(pc, rel), content);
    }
    for (const char* who : {"Aoi", "Ben", "Chika", "All Users"})
        for (const auto& [rel, content] : CopyOf(who, "stored")) disk.AddFile(Shared + "\\" + who + "\\" + rel, content);
}

// A logon; then, when `edit` is given, the person changes every file.
struct Step {
    int pc;
    std::string user;
    std::string edit;
    int hoursLater = 0;           // the clock moves on before the logon
    int answer = platform::AnswerYes;  // to the check-out question
};

// Whose copy the PC's in-place record says an item holds ("" none).
std::string OwnerOf(const FakeFileSystem& disk, int pc, const std::string& key) {
    const std::string record = disk.Content(PcDrive[pc] + "\\Program Files\\Tollervy\\Data\\InPlace.dat");
    const auto at = record.find("\n" + key + "=");
    return at == std::string::npos ? "" : record.substr(at + key.size() + 2, record.find('\r', at + 1) - at - key.size() - 2);
}

// The person edits only what the program put in place for them (a start
// that stopped leaves the one before's files).
void LogOn(FakeFileSystem& disk, const Step& s, std::vector<std::string>* boxes = nullptr,
           std::set<std::string>* edits = nullptr) {
    disk.AdvanceClock(static_cast<std::uint64_t>(s.hoursLater) * 3600 * platform::FileTimeSecond);
    Pc pc(disk, s.pc, s.answer);
    pc.LogOn(s.user);
    if (boxes)
        for (const auto& b : pc.messages.boxes) boxes->push_back(b.text);
    if (s.edit.empty() || OwnerOf(disk, s.pc, "F1") != s.user || OwnerOf(disk, s.pc, "F2") != s.user) return;
    if (edits) edits->insert(s.user + ":" + s.edit);
    for (const auto& [rel, content] : CopyOf(s.user, s.edit)) disk.AddFile(Live(s.pc, rel), content);
}

struct Row {
    const char* name;
    std::vector<Step> before, swept;
    // How the clean run ends: each PC's copy in place, Aoi's stored copy,
    // the copy kept beside it ("" none), and a text some box must show.
    std::string pc1, pc2, aoiStored, aoiBeside, shown;
};

const Row Rows[] = {
    {"moves from PC1 to PC2",
     {{0, "Aoi", "pc1"}},
     {{0, "Ben", ""}, {1, "Aoi", ""}},
     "Ben:stored", "Aoi:pc1", "Aoi:pc1", "", ""},
    {"same person on both",
     {{0, "Aoi", "pc1"}, {1, "Aoi", "pc2"}},
     {{0, "Ben", ""}, {1, "Chika", ""}},
     "Ben:stored", "Chika:stored", "Aoi:pc2", "Aoi:pc1", "パソコン : PC1\r\n使用開始 : 2024-01-01 09:00 (0分前)"},
    {"PC1 dies holding Aoi's",
     {{0, "Aoi", "pc1"}},
     {{1, "Aoi", "pc2", 3}, {1, "Ben", ""}, {0, "Chika", ""}},
     "Chika:stored", "Ben:stored", "Aoi:pc2", "Aoi:pc1", "(3時間前)"},
};

// Every file of the disk outside the program's bookkeeping.
Files AllFiles(const FakeFileSystem& disk) {
    Files all;
    for (const std::string drive : {"C:\\", "D:\\", "S:\\"})
        for (const auto& [path, content] : enginetest::FilesOf(disk.Dump(drive))) all[drive + path] = content;
    return all;
}

// The "<who>:<version>" of a copy when it is whole; "" otherwise.
std::string WholeCopy(const Files& rels) {
    if (rels.empty()) return "";
    const std::string tag = rels.begin()->second.substr(0, rels.begin()->second.find(' '));
    const auto colon = tag.find(':');
    return colon != std::string::npos && rels == CopyOf(tag.substr(0, colon), tag.substr(colon + 1)) ? tag : "";
}
Files LiveCopy(const FakeFileSystem& disk, int pc) {
    Files rels;
    for (const auto& [rel, content] : CopyOf("x", "y")) rels[rel] = disk.Content(Live(pc, rel));
    return rels;
}
Files StoredCopy(const FakeFileSystem& disk, const std::string& folder) {
    Files rels;
    for (const auto& [path, content] : enginetest::FilesOf(disk.Dump(folder)))
        if (path.rfind("F1\\", 0) == 0 || path.rfind("F2\\", 0) == 0) rels[path] = content;
    return rels;
}

// What went wrong after a row's story: versions nowhere, files in another
// person's folder, a PC that does not hold one whole copy of its last user.
std::vector<std::string> Problems(const FakeFileSystem& disk, const std::set<std::string>& edits, int* mixed = nullptr) {
    std::vector<std::string> problems;
    const Files all = AllFiles(disk);
    std::set<std::string> contents;
    for (const auto& [path, content] : all) contents.insert(content);
    std::vector<std::pair<std::string, std::string>> versions{{"PC1", "own"}, {"PC2", "own"}};
    for (const char* who : {"Aoi", "Ben", "Chika", "All Users"}) versions.emplace_back(who, "stored");
    for (const auto& tag : edits) versions.emplace_back(tag.substr(0, tag.find(':')), tag.substr(tag.find(':') + 1));
    for (const auto& [who, version] : versions)
        for (const auto& [rel, content] : CopyOf(who, version))
            if (contents.count(content) == 0) problems.push_back("lost: " + content);
    for (const auto& [path, content] : all) {
        const std::string inStore = path.substr(0, Shared.size() + 1) == Shared + "\\" ? path.substr(Shared.size() + 1) : "";
        if (inStore.empty() || content.empty()) continue;  // not the store's, or a marker
        std::string rest = inStore;
        if (rest.rfind("Conflict\\", 0) == 0) rest = rest.substr(9);
        else if (rest.rfind("Backup\\", 0) == 0 && rest.find('\\', 7) != std::string::npos) rest = rest.substr(rest.find('\\', 7) + 1);
        else if (rest.rfind("CheckOut\\", 0) == 0 || rest.rfind("Backup\\", 0) == 0 || rest.find('\\') == std::string::npos)
            continue;
        const std::string owner = rest.substr(0, rest.find('\\'));
        if (content.rfind(owner + ":", 0) != 0) problems.push_back("wrong person: " + path + " holds " + content);
    }
    // Each file in place is its item's record owner's (the PC's own files
    // before any record). A person who takes over after a save that stopped
    // half-way, and is told so, gets that item as far as it was saved
    // (counted in `mixed`).
    for (int pc : {0, 1}) {
        for (const std::string key : {"F1", "F2"}) {
            const std::string owner = OwnerOf(disk, pc, key);
            if (owner == "*") continue;  // being overwritten: nobody's, both copies stored
            std::set<std::string> tags;
            for (const auto& [rel, content] : LiveCopy(disk, pc)) {
                if (rel.rfind(key + "\\", 0) != 0) continue;
                const std::string tag = content.substr(0, content.find(' '));
                tags.insert(tag);
                const bool own = (owner.empty() || owner == "All Users") &&
                                 (tag == PcName[pc] + ":own" || tag == "All Users:stored");
                if (!own && !content.empty() && tag.rfind(owner + ":", 0) != 0)
                    problems.push_back(PcName[pc] + " " + rel + " holds " + tag + " as " + owner + "'s");
            }
            if (mixed && tags.size() > 1) ++*mixed;
        }
    }
    // A check-out names a PC that holds some copy of the person's.
    for (const auto& [path, content] : all) {
        const std::string prefix = Shared + "\\CheckOut\\";
        if (path.rfind(prefix, 0) != 0 || path.size() < prefix.size() + 5 || path.substr(path.size() - 4) != ".dat") continue;
        const std::string user = path.substr(prefix.size(), path.size() - prefix.size() - 4);
        CheckOutEntry entry;
        const int pc = entry.Parse(content) && entry.pc == PcName[1] ? 1 : 0;
        if (OwnerOf(disk, pc, "F1") != user && OwnerOf(disk, pc, "F2") != user)
            problems.push_back(user + " is checked out to " + PcName[pc] + ", which holds none of theirs");
    }
    return problems;
}

class SharedStoreSweep : public ::testing::TestWithParam<Row> {};

TEST_P(SharedStoreSweep, EndsAsToldAndNoFaultLosesOrMixesAnyonesFiles) {
    const Row& row = GetParam();
    // The clean story, counting the swept logons' calls.
    FakeFileSystem clean;
    Install(clean);
    std::vector<std::string> boxes;
    std::set<std::string> edits;
    for (const auto& s : row.before) LogOn(clean, s, &boxes, &edits);
    clean.ResetCounts();
    for (const auto& s : row.swept) LogOn(clean, s, &boxes, &edits);
    std::map<Op, int> calls;
    for (int op = 0; op < static_cast<int>(FakeFileSystem::OpCount); ++op)
        calls[static_cast<Op>(op)] = clean.Calls(static_cast<Op>(op));
    const int mutations = clean.Mutations();
    EXPECT_EQ(Problems(clean, edits), std::vector<std::string>{});
    EXPECT_EQ(WholeCopy(LiveCopy(clean, 0)), row.pc1);
    EXPECT_EQ(WholeCopy(LiveCopy(clean, 1)), row.pc2);
    EXPECT_EQ(WholeCopy(StoredCopy(clean, Shared + "\\Aoi")), row.aoiStored);
    std::vector<std::string> beside;
    for (const auto& [path, content] : clean.Dump(Shared + "\\Conflict\\Aoi"))
        if (path.back() == '\\' && path.find('\\') == path.size() - 1)
            beside.push_back(WholeCopy(StoredCopy(clean, Shared + "\\Conflict\\Aoi\\" + path)));
    EXPECT_EQ(beside, row.aoiBeside.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.aoiBeside});
    bool shown = row.shown.empty();
    for (const auto& b : boxes) {
        shown = shown || b.find(row.shown) != std::string::npos;
        EXPECT_EQ(b.find(engine_text::SavingStoppedSuffix), std::string::npos) << "no save stopped, yet: " << b;
    }
    EXPECT_TRUE(shown) << row.shown;

    int runs = 0, problems = 0, mixed = 0;
    auto sweep = [&](const std::function<void(FakeFileSystem&)>& inject, const std::string& what) {
        FakeFileSystem disk;
        Install(disk);
        std::set<std::string> edits;
        for (const auto& s : row.before) LogOn(disk, s, nullptr, &edits);
        disk.ResetCounts();
        inject(disk);
        std::vector<std::string> boxes;
        for (const auto& s : row.swept) LogOn(disk, s, &boxes, &edits);
        disk.ClearFaults();
        for (const auto& s : row.swept) LogOn(disk, Step{s.pc, s.user, ""}, &boxes);
        ++runs;
        int mixedHere = 0;
        for (const auto& p : Problems(disk, edits, &mixedHere)) ++problems, ADD_FAILURE() << what << ": " << p;
        // A copy saved part-way is taken over only when the question says so.
        bool told = false;
        for (const auto& b : boxes) told = told || b.find(engine_text::SavingStoppedSuffix) != std::string::npos;
        if (mixedHere != 0 && !told) ++problems, ADD_FAILURE() << what << ": taken over half-saved without a word";
        mixed += mixedHere;
    };
    for (const auto& [op, count] : calls)
        for (int n = 1; n <= count; ++n)
            sweep([op = op, n](FakeFileSystem& d) { d.FailNth(op, n); },
                  std::string(FakeFileSystem::OpName(op)) + " #" + std::to_string(n) + " fails");
    for (int n = 1; n <= mutations; ++n)
        sweep([n](FakeFileSystem& d) { d.AbortAtMutation(n, n % 2 == 0); }, "dies at change #" + std::to_string(n));
    std::cout << "[ two PCs  ] " << row.name << ": " << runs << " runs, " << problems << " problems, " << mixed
              << " items taken over half-saved\n";
    EXPECT_EQ(problems, 0);
}

INSTANTIATE_TEST_SUITE_P(Stories, SharedStoreSweep, ::testing::ValuesIn(Rows));

}  // namespace
}  // namespace tollervy

namespace tollervy {
namespace {

std::vector<std::string> BoxesOf(FakeFileSystem& disk, const Step& s) {
    std::vector<std::string> boxes;
    LogOn(disk, s, &boxes);
    return boxes;
}

// The copy kept beside is in PC1's switch log, and its person is told once,
// at their next logon on any PC.
TEST(SharedStore, ACopyKeptBesideIsLoggedAndToldOnce) {
    FakeFileSystem disk;
    Install(disk);
    for (const Step& s : {Step{0, "Aoi", "pc1"}, Step{1, "Aoi", "pc2"}, Step{0, "Ben", ""}}) LogOn(disk, s);
    const std::string beside = Shared + "\\Conflict\\Aoi\\PC1 2024-01-01 090000";
    EXPECT_NE(disk.Content("C:\\Program Files\\Tollervy\\Data\\Switch.log").find("競合 Aoi: " + beside), std::string::npos);
    EXPECT_EQ(BoxesOf(disk, {1, "Chika", ""}), std::vector<std::string>{});
    EXPECT_EQ(BoxesOf(disk, {0, "Aoi", ""}),
              std::vector<std::string>{std::string(engine_text::ConflictsKept) + "\r\n\r\n" + beside});
    EXPECT_EQ(BoxesOf(disk, {0, "Ben", ""}), std::vector<std::string>{});
    EXPECT_EQ(BoxesOf(disk, {1, "Aoi", ""}), std::vector<std::string>{});
    EXPECT_EQ(WholeCopy(LiveCopy(disk, 1)), "Aoi:pc2");
}

// The server gone at start: a message, nothing switched, [Last] User kept;
// the next start that reaches it saves the files in place as their owner's.
// Declining the question switches nothing either.
TEST(SharedStore, WithoutTheServerOrWhenDeclinedNothingIsSwitched) {
    FakeFileSystem disk;
    Install(disk);
    LogOn(disk, {0, "Aoi", "pc1"});
    disk.FailPath(Shared, true, 53);
    EXPECT_EQ(BoxesOf(disk, {0, "Ben", ""}),
              std::vector<std::string>{std::string(engine_text::StoreUnreachable) + "\r\n\r\n" + Shared});
    EXPECT_EQ(WholeCopy(LiveCopy(disk, 0)), "Aoi:pc1");
    fakes::FakeProfile profile(disk);
    EXPECT_EQ(profile.GetString(Ini(0), "Last", "User", "", 256), "Aoi");
    disk.ClearFaults();

    const auto asked = BoxesOf(disk, {1, "Aoi", "", 0, platform::AnswerNo});
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].substr(0, asked[0].find("\r\n")), "Aoi" + std::string(engine_text::CheckedOutSuffix));
    EXPECT_EQ(WholeCopy(LiveCopy(disk, 1)), "PC2:own");
    EXPECT_NE(disk.Content(Shared + "\\CheckOut\\Aoi.dat").find("PC1"), std::string::npos);

    LogOn(disk, {0, "Ben", ""});
    EXPECT_EQ(WholeCopy(LiveCopy(disk, 0)), "Ben:stored");
    EXPECT_EQ(WholeCopy(StoredCopy(disk, Shared + "\\Aoi")), "Aoi:pc1");
    EXPECT_FALSE(disk.Exists(Shared + "\\CheckOut\\Aoi.dat"));
}

}  // namespace
}  // namespace tollervy

#include "engine/SharedItems.h"

namespace tollervy {
namespace {

// The list every PC shares: the first PC to start gives its own; a PC that
// joins with a shorter list takes the shared one, and the item new to it
// holds the PC's own files (kept on the PC, never saved as a person's).
// The settings dialog's list is published as the next generation, refused
// when another PC published meanwhile or holds the lock.
TEST(SharedStore, ThePcsShareOneListOfItems) {
    FakeFileSystem disk;
    Install(disk);
    fakes::FakeProfile profile(disk);
    profile.WriteString(Ini(1), "File", "F2", nullptr);  // PC2 knows only F1
    LogOn(disk, {0, "Aoi", ""});
    EXPECT_EQ(disk.Content(Shared + "\\Items.dat"),
              "; Tollervy items 1\r\n[File]\r\nF1=C:\\Work\\memo.txt\r\nF2=C:\\Work\\Notes\\\r\n[Registry]\r\n");
    const std::string pcData = "D:\\Program Files\\Tollervy\\Data\\";
    disk.AddFile(pcData + "All Users\\F2\\top.txt", "PC2:older top");  // from an earlier join
    LogOn(disk, {1, "Ben", ""});
    EXPECT_EQ(profile.GetString(Ini(1), "File", "F2", "", 256), "C:\\Work\\Notes\\");
    EXPECT_EQ(WholeCopy(LiveCopy(disk, 1)), "Ben:stored");
    EXPECT_EQ(disk.Content(pcData + "All Users\\F2\\top.txt"), "PC2:own top");
    // What that save replaced is in the PC's own backup.
    const std::string replaced = "\\All Users\\F2\\top.txt";
    int kept = 0;
    for (const auto& [path, content] : disk.Dump(pcData + "Backup"))
        kept += path.size() > replaced.size() && path.substr(path.size() - replaced.size()) == replaced &&
                content == "PC2:older top";
    EXPECT_EQ(kept, 1);
    EXPECT_EQ(WholeCopy(StoredCopy(disk, Shared + "\\Ben")), "Ben:stored");

    auto publish = [&](int pc) {
        Pc at(disk, pc, platform::AnswerYes);
        at.context.state.IniFilePath = Ini(pc);
        at.context.state.SharedStorePath = Shared;
        return PublishItems(at.context);
    };
    const std::string games = "C:\\Games\\*.sav", other = "C:\\Other\\";
    disk.AddFolder("C:\\Games");
    disk.AddFolder("D:\\Games");
    profile.WriteString(Ini(0), "File", "F3", &games);  // added on PC1
    EXPECT_EQ(publish(0), PublishResult::Done);
    EXPECT_NE(disk.Content(Shared + "\\Items.dat").find("; Tollervy items 2\r\n"), std::string::npos);
    profile.WriteString(Ini(1), "File", "F4", &other);  // PC2 still on generation 1
    EXPECT_EQ(publish(1), PublishResult::Changed);
    disk.AddFile(Shared + "\\Items.lock", "");
    EXPECT_EQ(publish(0), PublishResult::Busy);
    disk.AdvanceClock(11 * 60 * platform::FileTimeSecond);  // left by a PC that died publishing
    EXPECT_EQ(publish(0), PublishResult::Done);
    EXPECT_FALSE(disk.Exists(Shared + "\\Items.lock"));
    LogOn(disk, {1, "Chika", ""});
    EXPECT_EQ(profile.GetString(Ini(1), "File", "F3", "", 256), "C:\\Games\\*.sav");
    EXPECT_EQ(profile.GetString(Ini(1), "File", "F4", "<none>", 256), "<none>");

    // A list cut short as its first PC lost power is given again whole.
    disk.AddFile(Shared + "\\Items.dat", "");
    LogOn(disk, {0, "Ben", ""});
    EXPECT_EQ(disk.Content(Shared + "\\Items.dat").substr(0, 20), "; Tollervy items 1\r\n");
    EXPECT_EQ(WholeCopy(LiveCopy(disk, 0)), "Ben:stored");
}

}  // namespace
}  // namespace tollervy

#include "users/UserList.h"

namespace tollervy {
namespace {

// The user file every PC shares: a settings dialog whose file another PC
// changed since it was read writes nothing and says so; read again, the
// change goes on top of the other PC's.
TEST(SharedStore, AUserFileChangedOnAnotherPcIsNeverWrittenOver) {
    FakeFileSystem disk;
    Install(disk);
    const std::string users = Shared + "\\User.dat";
    disk.AddFile(users, "Aoi,,1\r\n");
    Pc pc(disk, 0, platform::AnswerYes);
    pc.context.state.IniFilePath = Ini(0);
    pc.context.state.SharedStorePath = Shared;
    auto addBen = [&] {
        LoadUserFile(pc.context);
        pc.context.state.UserList.push_back(UserRecord{"Ben", "", true, false});
        ++pc.context.state.UserCount;
    };
    addBen();
    disk.AddFile(users, "Aoi,,1\r\nChika,,1\r\n");  // PC2 added Chika meanwhile
    EXPECT_FALSE(SaveUserFile(pc.context));
    EXPECT_EQ(disk.Content(users), "Aoi,,1\r\nChika,,1\r\n");
    ASSERT_EQ(pc.messages.boxes.size(), 1u);
    EXPECT_EQ(pc.messages.boxes[0].text.rfind("ユーザ情報が別のパソコンで変更されています\r\n", 0), 0u);
    addBen();
    EXPECT_TRUE(SaveUserFile(pc.context));
    EXPECT_EQ(disk.Content(users), "Aoi,,1\r\nChika,,1\r\nBen,,1\r\n");
    ++pc.context.state.UserCount, pc.context.state.UserList.push_back(UserRecord{"Dan", "", true, false});
    EXPECT_TRUE(SaveUserFile(pc.context));  // its own write is no change from elsewhere
}

}  // namespace
}  // namespace tollervy
