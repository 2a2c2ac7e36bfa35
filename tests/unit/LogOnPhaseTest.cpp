// Whole starts through the fakes: who the user of the run is, the switch from
// the previous user's copies to the next user's, the resident life with its
// icon, and the exit restore.
#include <gtest/gtest.h>

#include "Desk.h"
#include "shell/FormMenu.h"
#include "users/FormLogOn.h"

namespace tollervy {
namespace {

constexpr const char* Live = "C:\\Work\\memo.txt";
constexpr const char* LiveDir = "C:\\Work\\Notes\\";

std::string Store(const std::string& user, const std::string& rest) {
    return std::string(Desk::Data) + "\\" + user + "\\" + rest;
}

// A set-up program with two listed items, a file and a folder, whose copies
// in place belong to `inPlace` and whose stored copies exist for each of
// `stored` (and for "All Users").
void Prepare(Desk& d, const std::string& inPlace, std::initializer_list<std::string> stored) {
    d.p.fs.AddFolder(Desk::Data);
    d.Ini("Start", "Started", "1");
    d.Ini("Last", "User", inPlace);
    d.Ini("File", "F1", Live);
    d.Ini("File", "F2", LiveDir);
    d.p.fs.AddFile(Live, inPlace + " memo");
    d.p.fs.AddFile(std::string(LiveDir) + "a.txt", inPlace + " a");
    d.p.fs.AddFile(std::string(LiveDir) + "sub\\b.txt", inPlace + " b");
    std::vector<std::string> users(stored);
    users.push_back("All Users");
    for (const auto& u : users) {
        d.p.fs.AddFile(Store(u, "F1\\memo.txt"), u + " memo");
        d.p.fs.AddFile(Store(u, "F2\\a.txt"), u + " a");
        d.p.fs.AddFile(Store(u, "F2\\sub\\b.txt"), u + " b");
    }
}

// The live items hold `user`'s copies.
void ExpectInPlace(Desk& d, const std::string& user) {
    EXPECT_EQ(d.p.fs.Content(Live), user + " memo");
    EXPECT_EQ(d.p.fs.Content(std::string(LiveDir) + "a.txt"), user + " a");
    EXPECT_EQ(d.p.fs.Content(std::string(LiveDir) + "sub\\b.txt"), user + " b");
}

// The store holds `content`'s copies as `user`'s.
void ExpectStored(Desk& d, const std::string& user, const std::string& content) {
    EXPECT_EQ(d.p.fs.Content(Store(user, "F1\\memo.txt")), content + " memo");
    EXPECT_EQ(d.p.fs.Content(Store(user, "F2\\a.txt")), content + " a");
    EXPECT_EQ(d.p.fs.Content(Store(user, "F2\\sub\\b.txt")), content + " b");
}

TEST(LogOnPhase, NextUserGetsTheirCopiesAndThePreviousUsersAreSaved) {
    Desk d;
    Prepare(d, "Aoi", {"Ben"});
    d.p.system.loginName = "Ben";

    EXPECT_EQ(d.Start(), 0);

    ExpectInPlace(d, "Ben");
    ExpectStored(d, "Aoi", "Aoi");
    EXPECT_EQ(d.IniValue("Last", "User"), "Ben");
    EXPECT_EQ(d.IniValue("Start", "NowUser"), "");
    EXPECT_EQ(d.p.messages.Count(), 0u);
}

TEST(LogOnPhase, TheSameUserAgainSwitchesNothingAndDropsResidentMode) {
    Desk d;
    Prepare(d, "Aoi", {});
    d.Ini("Start", "AllWay", "1");
    d.p.system.loginName = "Aoi";
    const auto before = d.p.fs.Dump("C:\\Work");
    const auto storeBefore = d.p.fs.Dump(Desk::Data);

    EXPECT_EQ(d.Start(), 0);  // not resident: nothing to put back

    EXPECT_EQ(d.p.fs.Dump("C:\\Work"), before);
    EXPECT_EQ(d.p.fs.Dump(Desk::Data), storeBefore);
    EXPECT_EQ(d.IniValue("Last", "User"), "Aoi");
    EXPECT_EQ(d.IniValue("Start", "AllWay"), "1");  // the stored setting stays
    EXPECT_TRUE(d.p.host.trays.empty());
}

TEST(LogOnPhase, AFirstStartAfterAnotherUserBeginsFromTheCommonCopies) {
    Desk d;
    Prepare(d, "Aoi", {});
    d.p.system.loginName = "Chika";
    EXPECT_EQ(d.Start(), 0);
    ExpectInPlace(d, "All Users");
    ExpectStored(d, "Aoi", "Aoi");
    EXPECT_EQ(d.IniValue("Last", "User"), "Chika");
}

TEST(LogOnPhase, ResidentModeKeepsTheIconAndTheExitPutsTheStartTimeCopiesBack) {
    Desk d;
    Prepare(d, "Aoi", {"Ben"});
    d.Ini("Start", "AllWay", "1");
    d.p.system.loginName = "Ben";

    EXPECT_EQ(d.Start(), std::nullopt);  // stays resident

    ExpectInPlace(d, "Ben");
    EXPECT_EQ(d.IniValue("Last", "User"), "Aoi");
    EXPECT_EQ(d.IniValue("Start", "NowUser"), "Ben");
    // The icon was added twice (load event and explicit call): one icon.
    EXPECT_EQ(d.p.host.traysAdded, 2);
    ASSERT_EQ(d.p.host.trays.size(), 1u);
    EXPECT_EQ(d.p.host.trays.at("FormMenu"), "Tollervy");

    // Ben works, then chooses "終了" from the icon's menu.
    d.p.fs.AddFile(std::string(LiveDir) + "new.txt", "Ben's new note");
    // The first progress the exit restore shows finds the icon gone.
    std::optional<bool> iconGoneBeforeRestore;
    d.p.host.OnPopup([&](ui::MenuItem& menu) {
        ASSERT_EQ(menu.Items.size(), 2u);
        EXPECT_EQ(menu.Items[0]->Caption(), "設定");
        EXPECT_EQ(menu.Items[1]->Caption(), "終了");
        d.p.host.onRepaint = [&](ui::Form&) {
            if (!iconGoneBeforeRestore) iconGoneBeforeRestore = d.p.host.trays.empty();
        };
        menu.Items[1]->Click();
    });
    FormMenu& tray = d.forms.FormMenu();
    const auto ended = d.Run([&] {
        tray.Form_TrayMessage(0x200);  // a move: nothing
        EXPECT_TRUE(d.p.host.popups.empty());
        tray.Form_TrayMessage(0x204);
    });

    EXPECT_EQ(ended, 0);
    EXPECT_EQ(iconGoneBeforeRestore, std::optional<bool>(true)) << "no progress, or the icon still there";
    EXPECT_EQ(d.p.host.traysRemoved, 1);
    EXPECT_TRUE(d.p.host.trays.empty());
    ASSERT_EQ(d.p.host.foreground.size(), 1u);
    ExpectInPlace(d, "Aoi");
    EXPECT_FALSE(d.p.fs.Exists(std::string(LiveDir) + "new.txt"));
    EXPECT_EQ(d.p.fs.Content(Store("Ben", "F2\\new.txt")), "Ben's new note");
    EXPECT_EQ(d.IniValue("Last", "User"), "Aoi");
    EXPECT_EQ(d.IniValue("Start", "NowUser"), "");
}

TEST(LogOnPhase, TheEndOfTheWindowsSessionAlsoPutsTheStartTimeCopiesBack) {
    Desk d;
    Prepare(d, "Aoi", {"Ben"});
    d.Ini("Start", "AllWay", "1");
    d.Ini("Start", "Task", "0");
    d.p.system.loginName = "Ben";
    ASSERT_EQ(d.Start(), std::nullopt);
    EXPECT_TRUE(d.p.host.trays.empty());

    const auto ended = d.Run([&] {
        d.forms.FormMenu().Form_EndSession();      // the hidden form does nothing
        d.forms.TollervyMain().Form_EndSession();  // the main window ends the run
    });
    EXPECT_EQ(ended, 0);
    ExpectInPlace(d, "Aoi");
    ExpectStored(d, "Ben", "Ben");
    EXPECT_EQ(d.IniValue("Start", "NowUser"), "");
}

TEST(LogOnPhase, TheIconsDoubleClickAndSingleClicks) {
    Desk d;
    Prepare(d, "Aoi", {"Ben"});
    d.Ini("Start", "AllWay", "1");
    d.p.system.loginName = "Ben";
    ASSERT_EQ(d.Start(), std::nullopt);
    FormMenu& tray = d.forms.FormMenu();
    for (int message : {0x201, 0x202, 0x205, 0x200}) tray.Form_TrayMessage(message);
    EXPECT_EQ(d.p.host.trays.size(), 1u);
    EXPECT_TRUE(d.p.host.popups.empty());
    // A right click and a click elsewhere: the menu closes without a choice.
    tray.Form_TrayMessage(0x204);
    EXPECT_EQ(d.p.host.popups.size(), 1u);
    EXPECT_EQ(d.p.host.trays.size(), 1u);
    // A double click opens the settings; the icon is down meanwhile.
    EXPECT_EQ(d.Run([&] { tray.Form_TrayMessage(0x203); }), std::nullopt);
    EXPECT_TRUE(d.SettingsOpen());
    EXPECT_TRUE(d.p.host.trays.empty());
    // Closed, the dialog leaves the program resident with its icon back.
    EXPECT_EQ(d.CancelSettings(), std::nullopt);
    EXPECT_EQ(d.p.host.trays.size(), 1u);
    ExpectInPlace(d, "Ben");
    // The menu's exit ends it with the start-time copies put back.
    d.p.host.OnPopup([](ui::MenuItem& menu) { menu.Items[1]->Click(); });
    EXPECT_EQ(d.Run([&] { tray.Form_TrayMessage(0x204); }), 0);
    EXPECT_TRUE(d.p.host.trays.empty());
    ExpectInPlace(d, "Aoi");
}

TEST(LogOnPhase, AnUnregisteredUserGetsTheCommonCopiesAndNothingOfTheirsIsKept) {
    Desk d;
    Prepare(d, "Aoi", {"Ben"});
    d.Ini("User", "Use", "1");
    d.p.fs.AddTextFile(std::string(Desk::Data) + "\\User.dat", {"Aoi,,1", "Ben,pw,1"});
    d.p.system.loginName = "Guest";

    EXPECT_EQ(d.Start(), 0);
    ExpectInPlace(d, "All Users");
    EXPECT_EQ(d.IniValue("Last", "User"), "\\");
    std::vector<std::string> users;
    d.p.fs.List(std::string(Desk::Data) + "\\", 16, users);
    std::erase_if(users, fakes::IsManifest);
    EXPECT_EQ(users, (std::vector<std::string>{".", "..", "All Users", "Aoi", "Ben", "InPlace.dat", "Switch.log", "User.dat"}));

    // The guest's changes are thrown away at the next start; Ben, who is
    // registered with a password, still gets his copies without the dialog.
    d.p.fs.AddFile(Live, "guest scribbles");
    Desk next;
    // Carry the disk over to a new run of the program.
    for (const auto& [path, content] : d.p.fs.Dump("C:\\")) {
        if (path.back() == '\\') next.p.fs.AddFolder("C:\\" + path);
        else next.p.fs.AddFile("C:\\" + path, content);
    }
    next.p.system.loginName = "Ben";
    EXPECT_EQ(next.Start(), 0);
    ExpectInPlace(next, "Ben");
    EXPECT_EQ(next.p.fs.Content(Store("All Users", "F1\\memo.txt")), "All Users memo");
    EXPECT_EQ(next.IniValue("Last", "User"), "Ben");
}

TEST(LogOnPhase, AnUnregisteredUserInResidentModeIsSavedUnderTheLoginNameAtExit) {
    Desk d;
    Prepare(d, "Aoi", {});
    d.Ini("User", "Use", "1");
    d.Ini("Start", "AllWay", "1");
    d.p.system.loginName = "Guest";
    ASSERT_EQ(d.Start(), std::nullopt);
    ExpectInPlace(d, "All Users");
    EXPECT_EQ(d.Run([&] { d.forms.FormMenu().mnuEnd_Click(); }), 0);
    ExpectInPlace(d, "Aoi");
    ExpectStored(d, "Guest", "All Users");
}

TEST(LogOnPhase, TheLogonDialogDecidesTheUser) {
    struct Case {
        const char* user;
        const char* password;
        bool cancel;
        const char* expectedLast;
    };
    const Case cases[] = {
        {"Ben", "pw", false, "Ben"},
        {"", "", true, "\\"},
    };
    for (const Case& k : cases) {
        Desk d;
        Prepare(d, "Aoi", {"Ben"});
        d.Ini("Logon", "Use", "1");
        d.p.fs.AddTextFile(std::string(Desk::Data) + "\\User.dat", {"Ben,pw,1"});
        d.p.system.loginName = "Taro";
        d.p.host.OnShow("FormLogOn", [&](ui::Form& f) {
            auto& logon = static_cast<FormLogOn&>(f);
            logon.Form_Paint();
            EXPECT_EQ(logon.TextLogonUser.Text(), "Aoi");  // the previous user
            if (k.cancel) {
                logon.CommandCancel.Click();
                return;
            }
            logon.TextLogonUser.SetText(k.user);
            logon.TextLogonPass.SetText("wrong");
            d.p.messages.Expect("ログオンできません", 1);
            logon.CommandOK.Click();
            EXPECT_EQ(d.p.messages.Last().caption, "ログオンメッセージ");
            EXPECT_EQ(d.p.messages.Last().style, 48u);
            logon.TextLogonPass.SetText(k.password);
            logon.CommandOK.Click();
        });
        EXPECT_EQ(d.Start(), 0);
        EXPECT_EQ(d.IniValue("Last", "User"), k.expectedLast);
        ExpectInPlace(d, k.cancel ? "All Users" : "Ben");
        ExpectStored(d, "Aoi", "Aoi");
    }
}

TEST(LogOnPhase, TheProgressWindowComesOnScreenOnlyWhenStatusIsOn) {
    for (const char* status : {"1", "0"}) {
        Desk d;
        Prepare(d, "Aoi", {"Ben"});
        d.Ini("Start", "Status", status);
        d.p.system.loginName = "Ben";
        TollervyMain& main = d.forms.TollervyMain();
        EXPECT_EQ(d.Start(), 0);
        ExpectInPlace(d, "Ben");
        if (std::string(status) == "1") {
            EXPECT_EQ(main.Left(), (1024 - main.Width()) / 2);
            EXPECT_EQ(main.Top(), (768 - main.Height()) / 2);
            EXPECT_EQ(main.StatusMess.Caption(), "Benの情報を回復中");
            EXPECT_EQ(main.StatusBar.Value(), 100);
            // Shown, both phases, the end; each item's last file.
            EXPECT_GE(d.p.host.CountsOf("TollervyMain").repainted, 3);
            EXPECT_GE(d.p.host.CountsOf("TollervyMain").paintEvents, 4);
        } else {
            EXPECT_EQ(main.Left(), 1024);
            EXPECT_EQ(main.StatusMess.Caption(), "");
            EXPECT_EQ(main.StatusBar.Value(), 0);
        }
    }
}

TEST(SwitchRun, EdgesOfTheTwoNames) {
    Desk d;
    Prepare(d, "Aoi", {"Ben"});
    d.Ini("Start", "Status", "0");  // the main window stays unloaded
    d.state.StartDebug = "1";
    d.state.LastErrorNext = 2;
    TollervyMain& main = d.forms.TollervyMain();

    // The same user twice switches nothing and reads no setting.
    std::string same = "Aoi";
    d.p.messages.Expect(1);
    main.SetData("Aoi", same);
    EXPECT_EQ(d.p.messages.Last().text, "User\r\nAoi→Aoi");
    EXPECT_EQ(d.state.StartStatus, "");
    ExpectInPlace(d, "Aoi");

    // An empty next user becomes "All Users", visible to the caller.
    std::string empty;
    d.p.messages.Expect("User\r\nAoi→All Users", 1);
    main.SetData("Aoi", empty);
    EXPECT_EQ(empty, "All Users");
    ExpectInPlace(d, "All Users");
    ExpectStored(d, "Aoi", "Aoi");

}

TEST(SwitchRun, AnUnregisteredUsersCopiesAreThrownAway) {
    // "\" to "\" switches: nothing is saved, the common copies go in place.
    Desk d;
    Prepare(d, "\\", {"Aoi"});
    d.Ini("Start", "Status", "0");
    d.p.fs.AddFile(Live, "scribbles");
    std::string none = "\\";
    d.forms.TollervyMain().SetData("\\", none);
    ExpectInPlace(d, "All Users");
    std::vector<std::string> users;
    d.p.fs.List(std::string(Desk::Data) + "\\", 16, users);
    std::erase_if(users, fakes::IsManifest);
    EXPECT_EQ(users, (std::vector<std::string>{".", "..", "All Users", "Aoi", "InPlace.dat", "Switch.log"}));
}


// The folders of the data store's root.
std::vector<std::string> StoreFolders(Desk& d) {
    std::vector<std::string> names;
    d.p.fs.List(std::string(Desk::Data) + "\\", 16, names);
    std::vector<std::string> folders;
    for (const auto& n : names)
        if (n != "." && n != ".." && !fakes::IsManifest(n) && d.p.fs.IsFolder(std::string(Desk::Data) + "\\" + n))
            folders.push_back(n);
    return folders;
}

constexpr const char* LoginRefused =
    "ログオン名に、このパソコンで保存できない文字が含まれているため、未登録のユーザとして扱います\r\n\r\n";

// A login name that code page 932 cannot hold ("ë", Hangul), or that the
// profile functions change ('Bob' comes back as Bob), would come back from
// the settings file as another name. Its person runs as an
// unregistered user, with or without the user list, resident or not: the
// common copies, and nothing saved under any name of theirs.
TEST(LogOnPhase, ALoginNameOutsideTheCodePageRunsAsAnUnregisteredUser) {
    struct Case {
        const char* login;
        const char* userUse;
        const char* allWay;
    };
    for (const Case& k : {Case{"Zoë", "0", "0"}, Case{"Zoë", "1", "0"}, Case{"김민수", "0", "1"},
                          Case{"김민수", "1", "1"}, Case{"'Bob'", "0", "0"}}) {
        SCOPED_TRACE(std::string(k.login) + " user list " + k.userUse + " resident " + k.allWay);
        Desk d;
        Prepare(d, "Aoi", {});
        d.Ini("User", "Use", k.userUse);
        d.Ini("Start", "AllWay", k.allWay);
        d.p.fs.AddTextFile(std::string(Desk::Data) + "\\User.dat", {"Aoi,,1", std::string(k.login) + ",,1"});
        d.p.system.loginName = k.login;
        d.p.messages.Expect(LoginRefused + std::string(k.login), 1);

        const auto ended = d.Start();
        ASSERT_EQ(d.p.messages.Count(), 1u);
        EXPECT_EQ(d.p.messages.Last().style, 16u + 4096u);
        ExpectInPlace(d, "All Users");
        ExpectStored(d, "Aoi", "Aoi");
        if (std::string(k.allWay) == "1") {
            ASSERT_EQ(ended, std::nullopt);
            d.p.fs.AddFile(Live, "changed");
            EXPECT_EQ(d.Run([&] { d.forms.FormMenu().mnuEnd_Click(); }), 0);
            ExpectInPlace(d, "Aoi");
        } else {
            EXPECT_EQ(ended, 0);
            EXPECT_EQ(d.IniValue("Last", "User"), "\\");
        }
        // No store folder of a mangled or a real spelling of the name.
        EXPECT_EQ(StoreFolders(d), (std::vector<std::string>{"All Users", "Aoi"}));
        EXPECT_EQ(d.p.fs.Content(Store("All Users", "F1\\memo.txt")), "All Users memo");
    }
}

// With the logon dialog the login name is not used, so it is not refused.
TEST(LogOnPhase, TheLogonDialogTakesOverFromALoginNameOutsideTheCodePage) {
    Desk d;
    Prepare(d, "Aoi", {"Ben"});
    d.Ini("Logon", "Use", "1");
    d.p.fs.AddTextFile(std::string(Desk::Data) + "\\User.dat", {"Aoi,,1", "Ben,pw,1"});
    d.p.system.loginName = "Zoë";
    d.p.host.OnShow("FormLogOn", [&](ui::Form& f) {
        auto& logon = static_cast<FormLogOn&>(f);
        logon.Form_Paint();
        logon.TextLogonUser.SetText("Ben");
        logon.TextLogonPass.SetText("pw");
        logon.CommandOK.Click();
    });
    EXPECT_EQ(d.Start(), 0);
    EXPECT_EQ(d.p.messages.Count(), 0u);
    ExpectInPlace(d, "Ben");
    EXPECT_EQ(d.IniValue("Last", "User"), "Ben");
}


// Another program holds the listed file open without sharing while Ben logs
// on after Aoi: it can be neither read nor replaced. The error policy's
// question names the file. "No" stops with Aoi's files in place and nothing
// lost; going on ("Yes", or the policy "ignore") leaves the held file as it
// is (Aoi's, not saved, so not overwritten) and switches the rest. Either
// way the next switch, the file free again, saves Aoi's latest as Aoi's.
TEST(SwitchRun, AListedFileHeldOpenIsNeitherLostNorOverwritten) {
    using Op = fakes::FakeFileSystem::Op;
    const std::string question = "エラーが発生しました\r\n処理を続行した場合、データがどうなるかわかりません\r\n処理を続行しますか?";
    const std::string runEnds = "異常が発生しました\r\n処理を終了します";
    struct Case {
        const char* policy;
        int answer;  // to each question; 0: none asked
    };
    for (const Case& k : {Case{"2", platform::AnswerNo}, Case{"2", platform::AnswerYes}, Case{"0", 0}}) {
        SCOPED_TRACE(std::string("policy ") + k.policy + " answer " + std::to_string(k.answer));
        const bool goesOn = k.answer != platform::AnswerNo;
        Desk d;
        Prepare(d, "Aoi", {"Ben"});
        d.Ini("Last", "ErrorNext", k.policy);
        d.p.system.loginName = "Ben";
        for (const Op op : {Op::Copy, Op::Delete, Op::Move}) d.p.fs.FailPath(Live, false, 32, op);
        if (k.answer != 0) {
            d.p.messages.Expect(question + "\r\n\r\n前ユーザのデータの待避に失敗しました\r\n" + Live, k.answer);
            if (goesOn)
                d.p.messages.Expect(question + "\r\n\r\nユーザのデータの復活に失敗しました\r\n" + Live +
                                        "\r\n前ユーザのデータを待避できなかったため、上書きしませんでした",
                                    k.answer);
            else d.p.messages.Expect(runEnds, 1);
        }
        EXPECT_EQ(d.Start(), 0);
        EXPECT_EQ(d.p.messages.Pending(), 0u);
        EXPECT_EQ(d.p.fs.Content(Live), "Aoi memo");  // held: untouched
        EXPECT_EQ(d.p.fs.Content(std::string(LiveDir) + "a.txt"), goesOn ? "Ben a" : "Aoi a");
        EXPECT_FALSE(d.p.fs.Exists(Store("Aoi", "F1\\memo.txt")));  // no copy made of the held file
        EXPECT_EQ(d.p.fs.Exists(Store("Aoi", "F2\\a.txt")), goesOn);
        const std::string record = d.p.fs.Content(std::string(Desk::Data) + "\\InPlace.dat");
        EXPECT_NE(record.find("F1=Aoi\r\n"), std::string::npos) << record;
        EXPECT_NE(record.find(goesOn ? "F2=Ben\r\n" : "F2=Aoi\r\n"), std::string::npos) << record;

        // Aoi's file changed meanwhile (Aoi's program wrote it), then the
        // other program let go. Ben starts again.
        Desk next;
        next.TakeDiskOf(d);
        next.p.fs.AddFile(Live, "Aoi latest");
        next.p.system.loginName = "Ben";
        EXPECT_EQ(next.Start(), 0);
        EXPECT_EQ(next.p.messages.Count(), 0u);
        EXPECT_EQ(next.p.fs.Content(Store("Aoi", "F1\\memo.txt")), "Aoi latest");
        EXPECT_EQ(next.p.fs.Content(Store("Aoi", "F2\\a.txt")), "Aoi a");
        EXPECT_EQ(next.p.fs.Content(Store("Aoi", "F2\\sub\\b.txt")), "Aoi b");
        ExpectInPlace(next, "Ben");
        EXPECT_EQ(next.p.fs.Content(std::string(Desk::Data) + "\\InPlace.dat").find("Aoi"), std::string::npos);
    }
}

// A read-only file in a listed folder stops the folder's save before any
// copy is made; with the policy "ignore" the run goes on. The restore must
// then leave the folder alone: emptying it for Ben's copy would delete
// Aoi's files, of which no copy was made.
TEST(SwitchRun, AFolderThatCouldNotBeSavedIsNotEmptiedForTheNextUser) {
    Desk d;
    Prepare(d, "Aoi", {"Ben"});
    d.Ini("Last", "ErrorNext", "0");
    d.p.fs.AddFile(std::string(LiveDir) + "ro.txt", "Aoi read-only", platform::AttrReadOnly);
    d.p.system.loginName = "Ben";
    d.p.messages.Expect(std::string(LiveDir) + "ro.txt\r\n読み取り専用です", 1);

    EXPECT_EQ(d.Start(), 0);
    EXPECT_EQ(d.p.messages.Count(), 1u);
    EXPECT_EQ(d.p.fs.Content(Live), "Ben memo");
    EXPECT_EQ(d.p.fs.Content(std::string(LiveDir) + "a.txt"), "Aoi a");
    EXPECT_EQ(d.p.fs.Content(std::string(LiveDir) + "sub\\b.txt"), "Aoi b");
    EXPECT_EQ(d.p.fs.Content(std::string(LiveDir) + "ro.txt"), "Aoi read-only");
    const std::string record = d.p.fs.Content(std::string(Desk::Data) + "\\InPlace.dat");
    EXPECT_NE(record.find("F2=Aoi\r\n"), std::string::npos) << record;
}

}  // namespace
}  // namespace tollervy
