// The start-up page of the settings dialog: the rows it shows, scrolling,
// ticking, adding a folder with the picker and removing an added one, and
// what OK then leaves on disk.
#include <gtest/gtest.h>

#include "Desk.h"
#include "shell/StartUpRegistration.h"

namespace tollervy {
namespace {

constexpr unsigned Stop = 16 + 4096;
const std::string Profiles = "C:\\Documents and Settings\\";
const std::string Tail = "\\スタート メニュー\\プログラム\\スタートアップ";
const std::string Exe = "C:\\Program Files\\Tollervy\\Tollervy.exe";

std::string StartUpOf(const std::string& profile) { return Profiles + profile + Tail; }

// A set-up machine with the profiles given (Taro's and the common Start-up
// folders always exist) and the settings dialog open.
struct Page {
    Desk d;
    explicit Page(const std::vector<std::string>& profiles = {}, const std::vector<std::string>& added = {}) {
        d.p.fs.AddFolder(Desk::Data);
        d.p.fs.AddDrive("D:");
        d.Ini("Start", "Started", "1");
        d.Ini("Last", "User", "All Users");
        for (const std::string& p : profiles) d.p.fs.AddFolder(StartUpOf(p));
        for (const std::string& f : added) {
            d.p.fs.AddFolder(f);
            d.Ini("StartUp", f, "1");
        }
        d.p.system.commandLine = "-s";
        EXPECT_EQ(d.Start(), std::nullopt);
        EXPECT_TRUE(d.SettingsOpen());
    }
    LervIni& dialog() { return d.forms.LervIni(); }
    GrobalMod& s() { return d.state; }
    // The picker hands back `folder` (or nothing, for "").
    void PickerChooses(const std::string& folder) {
        d.p.host.OnShow("DirPathFrm", [this, folder](ui::Form& f) {
            EXPECT_EQ(s().DirPathTarget, &dialog().TextStartPath[RowOfAdding()]);
            if (!folder.empty()) s().DirPathTarget->SetText(folder);
            f.Hide();
        });
    }
    int RowOfAdding() { return s().StartUpPathCount - dialog().ScrollStartUpList.Value(); }
    // Visible row i as "state|check|text|button": state "row", "add" or
    // "hidden" from the controls' visibility and enabling.
    std::string Shown(int i) {
        LervIni& l = dialog();
        const ui::CheckBox& check = l.CheckStartPath[i];
        const ui::TextBox& text = l.TextStartPath[i];
        const ui::CommandButton& button = l.StartUpPathBtn[i];
        std::string out = check.Visible() ? (check.Enabled() ? "on" : "off") : "hidden";
        out += "|" + std::to_string(check.Value()) + "|" + text.Text() + (text.Enabled() ? "" : "(disabled)");
        out += "|" + button.Caption() + (button.Visible() ? "" : "(hidden)") + (button.Enabled() ? "" : "(disabled)");
        return out;
    }
};

TEST(StartUpPage, ThreeFoldersShowTheirRowsTheAddingRowAndNothingBelow) {
    Page page;
    LervIni& l = page.dialog();
    ASSERT_EQ(page.s().StartUpPathCount, 2);
    EXPECT_EQ(page.Shown(0), "on|0|" + StartUpOf("All Users") + "|x(disabled)");
    EXPECT_EQ(page.Shown(1), "on|0|" + StartUpOf("Taro") + "|x(disabled)");
    EXPECT_EQ(page.Shown(2), "off|0|(disabled)|...");
    for (int i = 3; i < 10; ++i) EXPECT_EQ(page.Shown(i), "hidden|0|(disabled)|(hidden)(disabled)") << i;
    EXPECT_EQ(l.TextStartPath[1].ToolTipText(), StartUpOf("Taro"));
    EXPECT_EQ(l.CheckStartPath[1].ToolTipText(), StartUpOf("Taro"));
    EXPECT_EQ(l.TextStartPath[2].ToolTipText(), "");
    EXPECT_EQ(l.ScrollStartUpList.Max(), 0);
    EXPECT_EQ(l.ScrollStartUpList.LargeChange(), 10);
    // Every control of the page goes with the page.
    l.IniTab.Select(2);
    EXPECT_FALSE(l.StartUpPathBtn[2].ShownOnScreen());
    EXPECT_FALSE(l.ScrollStartUpList.ShownOnScreen());
    l.IniTab.Select(1);
    EXPECT_TRUE(l.StartUpPathBtn[2].ShownOnScreen());
}

TEST(StartUpPage, TwelveFoldersScrollToTheAddingRow) {
    std::vector<std::string> profiles;
    for (int i = 1; i <= 10; ++i) profiles.push_back("User" + std::string(i < 10 ? "0" : "") + std::to_string(i));
    Page page(profiles);
    LervIni& l = page.dialog();
    ASSERT_EQ(page.s().StartUpPathCount, 12);  // common, Taro, User01..User10
    EXPECT_EQ(l.ScrollStartUpList.Max(), 3);
    EXPECT_EQ(page.Shown(9), "on|0|" + StartUpOf("User08") + "|x(disabled)");

    l.ScrollStartUpList.SetValue(3);
    EXPECT_EQ(page.Shown(0), "on|0|" + StartUpOf("User02") + "|x(disabled)");
    EXPECT_EQ(page.Shown(8), "on|0|" + StartUpOf("User10") + "|x(disabled)");
    EXPECT_EQ(page.Shown(9), "off|0|(disabled)|...");
    l.ScrollStartUpList.SetValue(7);  // past the maximum: stays at the adding row
    EXPECT_EQ(l.ScrollStartUpList.Value(), 3);

    // A tick on a scrolled row reaches the right folder.
    l.CheckStartPath[8].SetValue(1);
    EXPECT_EQ(page.s().StartUpPathList[11].Path, StartUpOf("User10"));
    EXPECT_EQ(page.s().StartUpPathList[11].Registered, "1");
    l.ScrollStartUpList.SetValue(0);
    EXPECT_EQ(page.Shown(9), "on|0|" + StartUpOf("User08") + "|x(disabled)");
    l.ScrollStartUpList.SetValue(3);
    EXPECT_EQ(l.CheckStartPath[8].Value(), 1);
}

TEST(StartUpPage, ClickingAPathTicksItAndNeverUnticks) {
    Page page;
    LervIni& l = page.dialog();
    l.TextStartPath[1].Click();
    EXPECT_EQ(l.CheckStartPath[1].Value(), 1);
    EXPECT_EQ(page.s().StartUpPathList[1].Registered, "1");
    l.TextStartPath[1].Click();
    EXPECT_EQ(page.s().StartUpPathList[1].Registered, "1");
    l.CheckStartPath[1].SetValue(0);
    EXPECT_EQ(page.s().StartUpPathList[1].Registered, "0");
    // The adding row's box is disabled: a click does nothing.
    l.TextStartPath[2].Click();
    EXPECT_EQ(l.CheckStartPath[2].Value(), 0);
    EXPECT_EQ(page.s().StartUpPathCount, 2);
}

TEST(StartUpPage, AddingAFolderWithThePicker) {
    struct Case {
        const char* name;
        std::string chosen;
        bool added;
        std::string message;  // "" none
    } cases[] = {
        {"a new folder is added ticked", "D:\\Boot", true, ""},
        {"the same folder in other letter case is another row", "D:\\a", true, ""},
        {"a folder already listed is refused", "D:\\A", false, "同じパスがすでに設定されています\r\n\r\nD:\\A"},
        {"a scanned folder is refused too", StartUpOf("Taro"), false,
         "同じパスがすでに設定されています\r\n\r\n" + StartUpOf("Taro")},
        {"cancelling the picker changes nothing", "", false, ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Page page({}, {"D:\\A"});
        LervIni& l = page.dialog();
        ASSERT_EQ(page.s().StartUpPathCount, 3);
        page.PickerChooses(k.chosen);
        if (!k.message.empty()) page.d.p.messages.Expect(1);

        l.StartUpPathBtn[3].Click();

        EXPECT_EQ(page.d.p.host.CountsOf("DirPathFrm").shownModal, 1);
        if (!k.message.empty()) {
            EXPECT_EQ(page.d.p.messages.Last().text, k.message);
            EXPECT_EQ(page.d.p.messages.Last().style, Stop);
        }
        EXPECT_EQ(page.s().StartUpPathCount, k.added ? 4 : 3);
        if (k.added) {
            EXPECT_EQ(page.Shown(3), "on|1|" + k.chosen + "|x");
            EXPECT_EQ(page.Shown(4), "off|0|(disabled)|...");
            EXPECT_TRUE(page.s().StartUpPathList[3].UserAdded);
            EXPECT_EQ(page.s().StartUpPathList.size(), 5u);
        } else {
            EXPECT_EQ(page.Shown(3), "off|0|(disabled)|...");
            EXPECT_EQ(page.Shown(4), "hidden|0|(disabled)|(hidden)(disabled)");
        }
    }
}

TEST(StartUpPage, RemovingAnAddedFolderAsksFirst) {
    for (const int answer : {platform::AnswerCancel, platform::AnswerOK}) {
        SCOPED_TRACE(answer);
        Page page({}, {"D:\\A", "D:\\B"});
        LervIni& l = page.dialog();
        // Scanned folders cannot be removed.
        l.StartUpPathBtn[0].Click();
        EXPECT_EQ(page.d.p.messages.Count(), 0u);

        page.d.p.messages.Expect(answer);
        l.StartUpPathBtn[2].Click();
        EXPECT_EQ(page.d.p.messages.Last().text, "D:\\Aを\r\nリストから削除しますか?");
        EXPECT_EQ(page.d.p.messages.Last().caption, "Tollervy");
        EXPECT_EQ(page.d.p.messages.Last().style, 4129u);
        if (answer == platform::AnswerOK) {
            EXPECT_EQ(page.s().StartUpPathCount, 3);
            EXPECT_EQ(page.Shown(2), "on|0|D:\\B|x");
            EXPECT_EQ(page.Shown(3), "off|0|(disabled)|...");
            EXPECT_EQ(page.Shown(4), "hidden|0|(disabled)|(hidden)(disabled)");
        } else {
            EXPECT_EQ(page.s().StartUpPathCount, 4);
            EXPECT_EQ(page.Shown(2), "on|0|D:\\A|x");
        }
    }
}

TEST(StartUpPage, SavingMakesAndRemovesShortcutsAndTheSection) {
    Page page({}, {"D:\\A"});
    LervIni& l = page.dialog();
    // Tick Taro's folder, add D:\Boot, remove D:\A.
    l.TextStartPath[1].Click();
    page.PickerChooses("D:\\Boot");
    page.d.p.fs.AddFolder("D:\\Boot");
    l.StartUpPathBtn[3].Click();
    page.d.p.messages.Expect(platform::AnswerOK);
    l.StartUpPathBtn[2].Click();

    l.SetIniBtn.Click();
    std::string target;
    EXPECT_TRUE(page.d.p.shell.ShortcutTarget(StartUpOf("Taro") + "\\Tollervy.lnk", target));
    EXPECT_EQ(target, Exe);
    EXPECT_TRUE(IsRegisteredIn(page.d.p.context, "D:\\Boot"));
    EXPECT_EQ(page.d.IniValue("StartUp", "D:\\Boot"), "1");
    EXPECT_EQ(page.d.IniValue("StartUp", "D:\\A"), "<missing>");

    // Untick both, save: the shortcuts are gone, the line stays.
    l.CheckStartPath[1].SetValue(0);
    l.CheckStartPath[2].SetValue(0);
    l.SetIniBtn.Click();
    EXPECT_FALSE(page.d.p.fs.Exists(StartUpOf("Taro") + "\\Tollervy.lnk"));
    EXPECT_FALSE(page.d.p.fs.Exists("D:\\Boot\\Tollervy.lnk"));
    EXPECT_EQ(page.d.IniValue("StartUp", "D:\\Boot"), "1");
}

TEST(StartUpPage, AFailedSaveShowsTheRowsAsTheyNowAreAndKeepsTheDialogOpen) {
    Page page;
    LervIni& l = page.dialog();
    l.CheckStartPath[1].SetValue(1);
    page.d.p.fs.FailPath(StartUpOf("Taro") + "\\Tollervy.LNK");
    page.d.p.messages.Expect(1);
    l.OkIniBtn.Click();
    EXPECT_EQ(page.d.p.messages.Last().text, "ショートカットの作成に失敗しました\r\n\r\n1");
    EXPECT_TRUE(page.d.SettingsOpen());
    EXPECT_EQ(l.CheckStartPath[1].Value(), 0);
}

TEST(StartUpPage, TheUsersPageListsTheProfilesButNotDefaultUserNorAllUsers) {
    Page page({"Default User", "Hanako"});
    const auto& items = page.dialog().ListUser.Items();
    EXPECT_EQ(items, (std::vector<std::string>{"■ Hanako", "■ Taro"}));
    EXPECT_EQ(page.s().StartUpPathCount, 4);  // common, Default User, Hanako, Taro
}

// A fresh XP-style machine: the first run proposes the common folder; the
// person ticks their own folder instead and presses OK; the next Windows
// start runs what the shortcut says and reaches the logon phase.
TEST(StartUpPage, AFreshMachineIsRegisteredAndTheNextStartRunsTheShortcut) {
    Desk first;
    first.p.fs.AddFolder(StartUpOf("Hanako"));
    EXPECT_EQ(first.Start(), std::nullopt);
    ASSERT_TRUE(first.SettingsOpen());
    LervIni& l = first.forms.LervIni();
    ASSERT_EQ(first.state.StartUpPathCount, 3);
    EXPECT_EQ(l.CheckStartPath[0].Value(), 1);  // the common folder
    EXPECT_EQ(l.CheckStartPath[1].Value(), 0);
    l.CheckStartPath[0].SetValue(0);
    l.CheckStartPath[2].SetValue(1);            // Taro's own folder
    first.p.messages.Expect(platform::AnswerYes);  // no files: set none anyway
    first.p.messages.Expect(platform::AnswerYes);  // the Shift hint again next time
    EXPECT_EQ(first.Run([&] { l.OkIniBtn.Click(); }), 0);
    EXPECT_EQ(first.p.messages.Count(), 2u) << "registered: no question about the start-up";
    EXPECT_FALSE(first.p.fs.Exists(StartUpOf("All Users") + "\\Tollervy.lnk"));

    std::string target;
    ASSERT_TRUE(first.p.shell.ShortcutTarget(StartUpOf("Taro") + "\\Tollervy.LNK", target));
    ASSERT_EQ(target, Exe);

    Desk next;
    next.TakeDiskOf(first);
    ASSERT_EQ(next.p.system.ProgramExePath(), target);
    next.p.system.commandLine = first.p.shell.shortcuts.back().arguments;
    EXPECT_EQ(next.Start(), 0);
    EXPECT_FALSE(next.SettingsOpen());
    EXPECT_EQ(next.IniValue("Last", "User"), "Taro");
    EXPECT_EQ(next.IniValue("Start", "NowUser"), "");
}

TEST(StartUpPage, AFullPageRefusesAnotherFolder) {
    Desk d;
    d.p.fs.AddFolder(Desk::Data);
    std::string ini = "[Start]\r\nStarted=1\r\n[Last]\r\nUser=All Users\r\n[StartUp]\r\n";
    for (int i = 0; i < MaxStartUpCount; ++i) ini += "D:\\F" + std::to_string(i) + "=1\r\n";
    d.p.fs.AddFile(Desk::Ini_, ini);
    d.p.system.commandLine = "-s";
    ASSERT_EQ(d.Start(), std::nullopt);
    ASSERT_TRUE(d.SettingsOpen());
    LervIni& l = d.forms.LervIni();
    ASSERT_EQ(d.state.StartUpPathCount, MaxStartUpCount);
    l.ScrollStartUpList.SetValue(l.ScrollStartUpList.Max());
    const int adding = MaxStartUpCount - l.ScrollStartUpList.Value();
    ASSERT_GE(adding, 0);
    ASSERT_LT(adding, l.StartUpPathBtn.Count());
    ASSERT_EQ(l.StartUpPathBtn[adding].Caption(), "...");
    d.p.messages.Expect(1);

    l.StartUpPathBtn[adding].Click();

    EXPECT_EQ(d.p.messages.Last().text, "これ以上フォルダを追加できません");
    EXPECT_EQ(d.p.host.CountsOf("DirPathFrm").shownModal, 0) << "no picker for a row that cannot be kept";
    EXPECT_EQ(d.state.StartUpPathCount, MaxStartUpCount);
}

}  // namespace
}  // namespace tollervy
