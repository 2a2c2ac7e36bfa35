// Registry items through the fake registry: a key's whole tree switched
// exactly between people, left alone when its copy is current, a key that is
// missing on either side, refused copies and lines, and the sweeps of every
// registry call failing in turn and of the process stopping at every change.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>

#include "EngineTestSupport.h"
#include "engine/Backup.h"
#include "engine/RegistryItem.h"
#include "engine/SaveRestore.h"
#include "engine/SwitchLog.h"

namespace tollervy::enginetest {
namespace {

using fakes::FakeRegistry;
using fakes::ProcessEnded;
using platform::RegValue;

const std::string App = "Software\\Vendor\\App";
const std::string Line = "R1=HKEY_CURRENT_USER\\Software\\Vendor\\App";
const std::string W(const std::string& ascii) { return regfile::Utf16Bytes(ascii) + std::string(2, '\0'); }

// The registration state, then what Aoi made of it.
void Seed(Desk& d) {
    FakeRegistry& r = d.p.registry;
    r.Put(App, {"", platform::RegSz, W("default")});
    r.Put(App, {"size", platform::RegDword, std::string("\x10\0\0\0", 4)});
    r.Put(App, {"path", platform::RegExpandSz, W("%APPDATA%\\App")});
    r.Put(App + "\\Recent", {"list", platform::RegMultiSz, W("a.txt") + W("")});
    r.Put(App + "\\Recent\\Deep", {"blob", platform::RegBinary, std::string("\x00\x01\xff", 3)});
    d.WriteSetting("Registry", "R1", "HKCU\\Software\\Vendor\\App");
    ASSERT_TRUE(SaveFileEntry(d.c, Data + "\\All Users", Line));
    r.Put(App, {"size", platform::RegDword, std::string("\x20\0\0\0", 4)});
    r.Put(App, {"aoi only", platform::RegQword, std::string(8, '\x07')});
    r.Put(App + "\\Aoi", {"odd", 0x4242, "\x01"});
    r.Put(App + "\\Aoi", {"none", platform::RegNone, ""});
}

std::string StoredCopy(Desk& d, const std::string& user) { return d.fs.Content(Desk::Store(user, "R1", "Registry.reg")); }

TEST(EngineRegistry, EachPersonGetsTheirOwnTreeExactly) {
    Desk d;
    Seed(d);
    const auto registration = [&] {
        regfile::Tree t;
        std::string reason;
        EXPECT_TRUE(regfile::Read(StoredCopy(d, "All Users"), App, t, reason)) << reason;
        return t;
    }();
    const auto aois = d.p.registry.Dump(App);

    ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
    ASSERT_TRUE(RestoreUserData(d.c, "Ken", "Aoi"));  // Ken has no copy: the registration copy
    regfile::Tree live;
    ASSERT_TRUE(ExportKey(d.p.registry, App, live));
    EXPECT_EQ(regfile::Write(live), StoredCopy(d, "All Users"));
    EXPECT_FALSE(d.p.registry.Has(App + "\\Aoi"));
    EXPECT_EQ(d.p.registry.Dump(App).count("aoi only"), 0u);
    EXPECT_EQ(registration.keys.size(), 3u);

    d.p.registry.Put(App + "\\Ken", {"k", platform::RegSz, W("ken")});
    d.p.registry.Remove(App + "\\Recent");
    ASSERT_TRUE(SaveUserData(d.c, "Ken"));
    ASSERT_TRUE(RestoreUserData(d.c, "Aoi", "Ken"));
    EXPECT_EQ(d.p.registry.Dump(App), aois);
    ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
    ASSERT_TRUE(RestoreUserData(d.c, "Ken", "Aoi"));
    EXPECT_TRUE(d.p.registry.Has(App + "\\Ken"));
    EXPECT_FALSE(d.p.registry.Has(App + "\\Recent"));
    // The progress window showed the key as it shows a path.
    EXPECT_EQ(d.status.FileLines().back(), "HKEY_CURRENT_USER\\Software\\Vendor\\App");
}

TEST(EngineRegistry, ACopyThatIsCurrentIsLeftAlone) {
    Desk d;
    Seed(d);
    ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
    const int writes = d.fs.Calls(fakes::FakeFileSystem::Op::Write);
    ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
    EXPECT_EQ(d.fs.Calls(fakes::FakeFileSystem::Op::Write), writes);  // the stored copy was not written again
    const int changes = d.p.registry.Mutations();
    int changed = 0;
    ItemHooks hooks;
    hooks.afterChange = [&](const ItemStep&, bool ok) { changed += ok; };
    ASSERT_TRUE(RestoreUserData(d.c, "Aoi", "Aoi", &hooks));
    EXPECT_EQ(d.p.registry.Mutations(), changes);  // nothing written to the registry
    EXPECT_EQ(changed, 1);                         // yet counted, and recorded, as restored
    // One value in another order is not the copy: it is written anew in the copy's order.
    d.p.registry.Remove(App);
    d.p.registry.Put(App, {"size", platform::RegDword, std::string("\x20\0\0\0", 4)});
    ASSERT_TRUE(RestoreUserData(d.c, "Aoi", "Aoi"));
    regfile::Tree live;
    ASSERT_TRUE(ExportKey(d.p.registry, App, live));
    EXPECT_EQ(regfile::Write(live), StoredCopy(d, "Aoi"));
}

TEST(EngineRegistry, AnUnchangedKeyIsKnownByItsStampsWithoutAnExport) {
    Desk d;
    Seed(d);
    FakeRegistry& r = d.p.registry;
    const std::string record = Data + "\\InPlace\\R1.registry";
    ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
    EXPECT_FALSE(d.fs.Exists(record)) << "recorded while the key's times were not settled";
    d.fs.AdvanceClock(3 * platform::FileTimeSecond);
    ASSERT_TRUE(SaveUserData(d.c, "Aoi"));  // exports, and records what it saw
    ASSERT_TRUE(d.fs.Exists(record));
    const int exports = r.Calls(FakeRegistry::Op::ListValues), writes = d.fs.Calls(fakes::FakeFileSystem::Op::Write);
    const int stamps = r.Calls(FakeRegistry::Op::Stamp);
    ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
    ASSERT_TRUE(RestoreUserData(d.c, "Aoi", "Aoi"));
    EXPECT_EQ(r.Calls(FakeRegistry::Op::ListValues), exports) << "an unchanged key was exported";
    EXPECT_EQ(d.fs.Calls(fakes::FakeFileSystem::Op::Write), writes);
    EXPECT_EQ(r.Calls(FakeRegistry::Op::Stamp) - stamps, 2 * 2) << "only App and Recent have subkeys to list";

    // A program changes one value, or makes a subkey in a key that had
    // none: that key's time moves on, and the change is saved.
    regfile::Tree live;
    for (const auto& change : std::vector<std::function<void()>>{
             [&] { r.Put(App + "\\Recent\\Deep", {"blob", platform::RegBinary, "changed"}); },
             [&] { r.CreateKey(App + "\\Aoi\\Empty"); }}) {
        d.fs.AdvanceClock(3 * platform::FileTimeSecond);
        ASSERT_TRUE(SaveUserData(d.c, "Aoi"));  // records the key
        const int before = r.Calls(FakeRegistry::Op::ListValues);
        change();
        ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
        EXPECT_GT(r.Calls(FakeRegistry::Op::ListValues), before);
        ASSERT_TRUE(ExportKey(r, App, live));
        EXPECT_EQ(StoredCopy(d, "Aoi"), regfile::Write(live));
    }
    EXPECT_TRUE(r.Has(App + "\\Aoi\\Empty"));
    // Putting another copy in place drops the record, and writes none: the
    // key's times are the program's own, of this very step.
    d.fs.AddFile(Desk::Store("Ken", "R1", "Registry.reg"), StoredCopy(d, "All Users"));
    d.fs.AdvanceClock(3 * platform::FileTimeSecond);
    ASSERT_TRUE(RestoreUserData(d.c, "Ken", "Aoi"));
    EXPECT_FALSE(d.fs.Exists(record));
    ASSERT_TRUE(ExportKey(r, App, live));
    EXPECT_EQ(regfile::Write(live), StoredCopy(d, "All Users"));
}

TEST(EngineRegistry, AMissingKeyIsAStateLikeAnyOther) {
    Desk d;
    Seed(d);
    d.p.registry.Remove(App);  // Aoi's program deleted its key
    ASSERT_TRUE(SaveUserData(d.c, "Aoi"));
    EXPECT_EQ(StoredCopy(d, "Aoi"), regfile::Write({}));
    ASSERT_TRUE(RestoreUserData(d.c, "Ken", "Aoi"));  // first use for Ken: made from the registration copy
    EXPECT_TRUE(d.p.registry.Has(App + "\\Recent\\Deep"));
    ASSERT_TRUE(SaveUserData(d.c, "Ken"));
    ASSERT_TRUE(RestoreUserData(d.c, "Aoi", "Ken"));
    EXPECT_FALSE(d.p.registry.Has(App));
    EXPECT_TRUE(d.p.registry.Has("Software\\Vendor"));
}

TEST(EngineRegistry, RefusedCopiesAndLinesFailTheItemWithTheirReason) {
    const struct {
        std::string setting;  // [Registry] R1
        std::string copy;     // Aoi's stored copy; "" keeps the one saved
        std::string shown;    // in the error policy's question
    } cases[] = {
        {"HKCU\\Software\\Vendor\\App",
         std::string("\xFF\xFE", 2) + regfile::Utf16Bytes("Windows Registry Editor Version 5.00\r\n\r\n"
                                                           "[HKEY_CURRENT_USER\\Software\\Other]\r\n"),
         "この項目の外のキーが書かれています: HKEY_CURRENT_USER\\Software\\Other"},
        {"HKCU\\Software", "", "設定ファイルのファイル設定に異常があります"},
        {"HKEY_LOCAL_MACHINE\\Software\\Vendor\\App", "", "設定ファイルのファイル設定に異常があります"},
    };
    for (const auto& c : cases) {
        Desk d(true);
        Seed(d);
        d.WriteSetting("Registry", "R1", c.setting);
        d.fs.AddFile(Desk::Store("Aoi", "R1", "Registry.reg"), c.copy.empty() ? StoredCopy(d, "All Users") : c.copy);
        const auto before = d.p.registry.Dump(App);
        d.c.state.LastErrorNext = 2;
        EXPECT_FALSE(RestoreUserData(d.c, "Aoi", "Ken")) << c.setting;
        EXPECT_EQ(d.p.registry.Dump(App), before);
        bool named = false;
        for (const auto& box : d.answering.boxes) named = named || box.text.find(c.shown) != std::string::npos;
        EXPECT_TRUE(named) << c.shown;
    }
}

// Aoi's latest tree must be in place or in her stored copy after any single
// failure or stop of a switch from Aoi to Ken: with no record of the key in
// place; with one (Aoi saved a while ago, nothing changed since); and with an
// older copy of Aoi's that the save replaces, with the log and the backup,
// where the older copy must be in her store or in the backup.
enum class Mode { Plain, Recorded, OlderCopyKept };
struct Outcome {
    bool saved = false, restored = false, ended = false, lost = false;
};
using FsOp = fakes::FakeFileSystem::Op;
Outcome Switch(Mode mode, const std::function<void(Desk&)>& inject,
               const std::function<void(Desk&)>& after = nullptr) {
    Desk d(true);
    Seed(d);
    d.fs.AddFile(Desk::Store("Ken", "R1", "Registry.reg"), StoredCopy(d, "All Users"));
    const std::string older = mode == Mode::OlderCopyKept ? StoredCopy(d, "All Users") + "\r\n" : "";
    if (!older.empty()) d.fs.AddFile(Desk::Store("Aoi", "R1", "Registry.reg"), older);
    if (mode == Mode::Recorded) {
        d.fs.AdvanceClock(3 * platform::FileTimeSecond);
        SaveUserData(d.c, "Aoi");
    }
    const std::string aois = [&] {
        regfile::Tree t;
        ExportKey(d.p.registry, App, t);
        return regfile::Write(t);
    }();
    d.answering.AnswerWith([](const std::string&, unsigned style) {
        return style == 4116 ? platform::AnswerNo : platform::AnswerOK;
    });
    inject(d);
    Outcome o;
    SwitchLog log(d.c);
    Backup backup(d.c);
    ItemHooks hooks;
    hooks.log = &log;
    hooks.backup = &backup;
    ItemHooks* kept = older.empty() ? nullptr : &hooks;
    try {
        if (kept) log.Begin("Aoi", "Ken", SwitchCause::LogonDialog);
        o.saved = SaveUserData(d.c, "Aoi", kept);
        if (o.saved) o.restored = RestoreUserData(d.c, "Ken", "Aoi", kept);
    } catch (const ProcessEnded&) {
        o.ended = true;
    }
    if (after) after(d);
    d.p.registry.ClearFaults();
    d.fs.ClearFaults();
    regfile::Tree live;
    ExportKey(d.p.registry, App, live);
    o.lost = regfile::Write(live) != aois && StoredCopy(d, "Aoi") != aois;
    if (!older.empty() && StoredCopy(d, "Aoi") != older) {
        const auto backups = d.fs.Dump(Backup::Root(d.c));
        o.lost = o.lost || std::none_of(backups.begin(), backups.end(), [&](const auto& f) { return f.second == older; });
    }
    return o;
}

TEST(EngineRegistry, NoSingleFailureOrStopLosesThePreviousUsersKey) {
    int runs = 0, losses = 0, stopped = 0;
    for (const Mode mode : {Mode::Plain, Mode::Recorded, Mode::OlderCopyKept}) {
        // A clean switch counts what there is to fail.
        int calls = 0, mutations = 0, writes = 0, deletes = 0, moves = 0, fileChanges = 0;
        const auto count = [&](Desk& d, int sign) {
            calls += sign * d.p.registry.TotalCalls();
            mutations += sign * d.p.registry.Mutations();
            writes += sign * d.fs.Calls(FsOp::Write);
            deletes += sign * d.fs.Calls(FsOp::Delete);
            moves += sign * d.fs.Calls(FsOp::Move);
            fileChanges += sign * d.fs.Mutations();
        };
        const Outcome clean = Switch(mode, [&](Desk& d) { count(d, -1); }, [&](Desk& d) { count(d, 1); });
        ASSERT_TRUE(clean.saved && clean.restored && !clean.lost);
        ASSERT_GE(mutations, 3);
        const auto tally = [&](const Outcome& o, const std::string& what) {
            ++runs;
            stopped += !o.restored;
            if (o.lost) ++losses, ADD_FAILURE() << what << " (mode " << static_cast<int>(mode) << "): a copy of Aoi's lost";
        };
        for (int n = 1; n <= calls; ++n)
            tally(Switch(mode, [&](Desk& d) { d.p.registry.FailNthCall(d.p.registry.TotalCalls() + n); }),
                  "registry call #" + std::to_string(n) + " fails");
        for (int n = 1; n <= mutations; ++n)
            tally(Switch(mode, [&](Desk& d) { d.p.registry.AbortAtMutation(d.p.registry.Mutations() + n); }),
                  "stop at registry change #" + std::to_string(n));
        for (int n = 1; n <= fileChanges; ++n)
            tally(Switch(mode, [&](Desk& d) { d.fs.AbortAtMutation(d.fs.Mutations() + n); }),
                  "stop at file change #" + std::to_string(n));
        for (const auto& [op, total] :
             {std::pair{FsOp::Write, writes}, std::pair{FsOp::Delete, deletes}, std::pair{FsOp::Move, moves}})
            for (int n = 1; n <= total; ++n)
                tally(Switch(mode, [&, op = op](Desk& d) { d.fs.FailNth(op, d.fs.Calls(op) + n); }),
                      std::string(fakes::FakeFileSystem::OpName(op)) + " #" + std::to_string(n) + " fails");
    }
    std::cout << "[ sweep    ] " << runs << " runs, " << stopped << " stopped, " << losses << " keys lost\n";
    // A failed walk after an export only costs the record; every other
    // failure stops the switch.
    EXPECT_GT(stopped, runs / 2);
    EXPECT_EQ(losses, 0);
}

}  // namespace
}  // namespace tollervy::enginetest
