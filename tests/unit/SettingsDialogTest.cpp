// The settings dialog on the fakes: what it loads and shows, what a save
// writes and in which order, the closing questions and what the program does
// after the dialog, the options page's enabling rules, the users page's
// buttons and the version page.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <tuple>

#include "Desk.h"
#include "dialogs/DirPathFrm.h"
#include "dialogs/FormDelete.h"
#include "engine/FileOps.h"
#include "users/FormLogOn.h"
#include "shell/FormMenu.h"
#include "users/UserList.h"

namespace tollervy {
namespace {

using Answer = platform::Answer;
using Ini = std::map<std::string, std::string>;

// A program that has been set up before, opened with "-s" for `login`.
struct Dialog {
    Desk d;
    explicit Dialog(const Ini& ini = {}) {
        d.p.fs.AddFolder(Desk::Data);
        d.Ini("Start", "Started", "1");
        for (const auto& [sectionKey, value] : ini) {
            const auto slash = sectionKey.find('/');
            d.Ini(sectionKey.substr(0, slash), sectionKey.substr(slash + 1), value);
        }
        d.p.system.loginName = "Taro";
        d.p.system.commandLine = "-s";
    }
    LervIni& Open() {
        EXPECT_EQ(d.Start(), std::nullopt);
        EXPECT_TRUE(d.SettingsOpen());
        return d.forms.LervIni();
    }
    // The keys written since `from` (section/key), in order.
    std::vector<std::string> WrittenKeys(std::size_t from = 0) const {
        std::vector<std::string> keys;
        const auto& writes = d.p.profile.Writes();
        for (std::size_t i = from; i < writes.size(); ++i) keys.push_back(writes[i].section + "/" + writes[i].key);
        return keys;
    }
    std::string UserFile() const { return std::string(Desk::Data) + "\\User.dat"; }
};

// ---------------------------------------------------------------------------
// Loading

// A program set up before: Aoi's memo in place, Taro's and the common copy
// stored, Taro logging on; `sectionKey` ("Start/Status") holds `value`.
void SetUpRun(Desk& d, const std::string& sectionKey, const std::string& value) {
    const std::string data = Desk::Data;
    d.p.fs.AddFile("C:\\Work\\memo.txt", "Aoi's");
    d.p.fs.AddFile(data + "\\Taro\\F1\\memo.txt", "Taro's");
    d.p.fs.AddFile(data + "\\All Users\\F1\\memo.txt", "common");
    d.Ini("Start", "Started", "1");
    d.Ini("Last", "User", "Aoi");
    d.Ini("File", "F1", "C:\\Work\\memo.txt");
    if (sectionKey != "Last/Message") d.Ini("Last", "Message", "0");
    const auto slash = sectionKey.find('/');
    d.Ini(sectionKey.substr(0, slash), sectionKey.substr(slash + 1), value);
    d.p.system.loginName = "Taro";
}

// What the program does with one option's stored text, and what the options
// page shows for it: the same, for the texts the page writes and for any
// other a hand-edited file may hold. The page keeps such a text as it stands.
TEST(SettingsDialogLoad, EachOptionShowsWhatTheProgramDoesWithItsText) {
    using Probe = std::function<int(Desk&)>;
    struct Key {
        const char* key;
        Probe shown;    // on the settings dialog opened with -s
        Probe program;  // a run of the program, or the dialog doing its work
        bool dialog;    // the program's work is the dialog's
    };
    auto startRun = [](Desk& d) { return d.Start().has_value() ? 0 : 1; };
    const Key table[] = {
        {"Logon/Use", [](Desk& d) { return d.forms.LervIni().OptionLogOn.Selected(); },
         [](Desk& d) {
             int shown = 0;
             d.p.host.OnShow("FormLogOn", [&](ui::Form& f) {
                 shown = 1;
                 static_cast<FormLogOn&>(f).CommandCancel.Click();
             });
             d.Start();
             return shown;
         },
         false},
        {"Start/Status", [](Desk& d) { return d.forms.LervIni().CheckStatus.Value(); },
         [](Desk& d) {
             int onScreen = 0;
             d.p.host.onRepaint = [&](ui::Form& f) {
                 if (&f == &d.forms.TollervyMain() && f.Visible() && f.Left() < d.p.system.screenWidth) onScreen = 1;
             };
             d.Start();
             return onScreen;
         },
         false},
        {"Last/Message", [](Desk& d) { return d.forms.LervIni().CheckEnd.Value(); },
         [](Desk& d) {
             for (int i = 0; i < 3; ++i) d.p.messages.Expect(platform::AnswerYes);
             d.Run([&] { d.forms.LervIni().CancelIniBtn.Click(); });
             bool checks = false, shift = false;
             for (const auto& box : d.p.messages.Boxes()) {
                 checks = checks || box.text.find("スタートアップにTollervyを登録しない場合") == 0;
                 shift = shift || box.text.find("「Shift」キー") == 0;
             }
             d.p.messages.Clear();
             EXPECT_EQ(checks, shift) << "the closing checks and the Shift question go together";
             return shift ? 1 : 0;
         },
         true},
        {"Delete/Check", [](Desk& d) { return d.forms.LervIni().CheckDelete.Value(); },
         [](Desk& d) {
             int asked = 0;
             d.p.host.OnShow("FormDelete", [&](ui::Form& f) {
                 asked = 1;
                 static_cast<FormDelete&>(f).DataUseBtn.Click();
             });
             LervIni& f = d.forms.LervIni();
             f.IniTab.Select(2);
             f.FileList.SetListIndex(0);
             d.p.messages.Expect("リストから削除しますか?", platform::AnswerOK);
             f.FileDelete.Click();
             f.SetIniBtn.Click();
             return asked == 0 ? 1 : 0;  // ticked: no question
         },
         true},
        {"Delete/Type", [](Desk& d) { return d.forms.LervIni().OptionDelete.Selected(); },
         [](Desk& d) {
             LervIni& f = d.forms.LervIni();
             f.IniTab.Select(2);
             f.FileList.SetListIndex(0);
             d.p.messages.Expect("リストから削除しますか?", platform::AnswerOK);
             f.FileDelete.Click();
             f.SetIniBtn.Click();
             return d.p.fs.Content("C:\\Work\\memo.txt") == "common" ? 1 : 0;  // 1: the registration copy
         },
         true},
        {"Delete/ReadOnly", [](Desk& d) { return d.forms.LervIni().CheckReadOnly.Value(); },
         [](Desk& d) {
             d.p.fs.AddFile("C:\\Work\\ro.txt", "r", 1);
             d.p.messages.Expect("読み取り専用です", platform::AnswerOK);
             const bool blocked = IsReadOnlyBlocked(d.p.context, "C:\\Work\\ro.txt");
             d.p.messages.Clear();
             return blocked ? 0 : 1;
         },
         true},
        {"Last/ErrorNext", [](Desk& d) { return d.forms.LervIni().OptionError.Selected(); },
         [](Desk& d) {
             d.p.messages.Expect(platform::AnswerNo);
             d.p.messages.Expect(platform::AnswerOK);
             const bool goOn = ConfirmContinue(d.p.context, "C:\\Work\\memo.txt");
             const bool asked = !d.p.messages.Boxes().empty() && d.p.messages.Boxes()[0].style != 16 + 4096;
             d.p.messages.Clear();
             return asked ? 2 : goOn ? 0 : 1;
         },
         true},
        {"Start/Japanese", [](Desk& d) { return d.forms.LervIni().CheckJapanese.Value(); },
         [](Desk& d) { return d.forms.LervIni().FileList.GetFont().face == "ＭＳ ゴシック" ? 1 : 0; }, true},
        {"User/Use", [](Desk& d) { return d.forms.LervIni().CheckUseUser.Value(); },
         [](Desk& d) {
             d.Start();
             return d.IniValue("Last", "User") == "\\" ? 1 : 0;  // Taro is nobody's registered user
         },
         false},
        {"Start/AllWay", [](Desk& d) { return d.forms.LervIni().CheckAllway.Value(); }, startRun, false},
        {"Start/Task", [](Desk& d) { return d.forms.LervIni().CheckTask.Value(); },
         [](Desk& d) {
             d.Ini("Start", "AllWay", "1");
             d.Start();
             return d.p.host.CountsOf("FormMenu").created > 0 ? 1 : 0;
         },
         false},
    };
    const char* const texts[] = {"1", "0", "2", "5", "9", "abc", "", "01", "-0", "-1"};
    for (const Key& k : table) {
        for (const char* text : texts) {
            SCOPED_TRACE(std::string(k.key) + "=\"" + text + "\"");
            Desk page;
            SetUpRun(page, k.key, text);
            page.p.system.commandLine = "-s";
            ASSERT_EQ(page.Start(), std::nullopt);
            const int shown = k.shown(page);
            // A save without edits leaves the text as it stands.
            const std::size_t before = page.p.profile.Writes().size();
            page.forms.LervIni().SetIniBtn.Click();
            for (std::size_t i = before; i < page.p.profile.Writes().size(); ++i)
                EXPECT_NE(page.p.profile.Writes()[i].section + "/" + page.p.profile.Writes()[i].key, k.key);

            Desk run;
            SetUpRun(run, k.key, text);
            if (k.dialog) {
                run.p.system.commandLine = "-s";
                ASSERT_EQ(run.Start(), std::nullopt);
            }
            EXPECT_EQ(shown, k.program(run));
        }
    }
    // The texts a hand edit leaves most often, as the page shows them.
    const std::tuple<const char*, const char*, int> shownAs[] = {
        {"Start/Status", "2", 0}, {"Start/Japanese", "abc", 1}, {"Delete/Type", "5", 1},
        {"Last/ErrorNext", "9", 1}, {"Last/Message", "2", 1}, {"Delete/Check", "-0", 1}};
    for (const auto& [key, text, expected] : shownAs) {
        Desk page;
        SetUpRun(page, key, text);
        page.p.system.commandLine = "-s";
        ASSERT_EQ(page.Start(), std::nullopt);
        const Key& k = *std::find_if(std::begin(table), std::end(table),
                                     [&, key = key](const Key& row) { return std::string(row.key) == key; });
        EXPECT_EQ(k.shown(page), expected) << key << "=" << text;
    }
}

TEST(SettingsDialogLoad, FirstOpeningMarksTheProgramSetUpAndMakesTheStore) {
    Desk d;  // nothing at all: no settings file, no data store
    EXPECT_EQ(d.Start(), std::nullopt);
    ASSERT_TRUE(d.SettingsOpen());
    EXPECT_TRUE(d.p.fs.Exists(Desk::Data));
    EXPECT_EQ(d.IniValue("Start", "Started"), "1");
    EXPECT_EQ(d.IniValue("Last", "User"), "All Users");
    // The main window stays out of sight while the dialog is open.
    EXPECT_FALSE(d.forms.TollervyMain().Visible());
    // The first closing makes the login user the one whose copies are in
    // place, and ends the program.
    EXPECT_EQ(d.CancelSettings(), 0);
    EXPECT_EQ(d.IniValue("Last", "User"), "Taro");
}

TEST(SettingsDialogLoad, AStoreThatCannotBeMadeOrMarksThatCannotBeWrittenEndTheProgram) {
    {
        Desk d;
        d.p.fs.FailPath(Desk::Data);
        d.p.messages.Expect("書き込み権限がありません\r\n致命的なエラーです\r\n\r\nC:\\Program Files\\Tollervy", 1);
        EXPECT_EQ(d.Start(), 0);
        EXPECT_EQ(d.IniValue("Start", "NowUser"), "");
    }
    {
        // Resident, then the settings file stops taking writes and the
        // program looks as if never set up: the dialog's first marks fail,
        // and it ends the program without a message.
        Dialog t(Ini{{"Start/AllWay", "1"}, {"Last/User", "Aoi"}});
        t.d.p.system.commandLine = "";
        ASSERT_EQ(t.d.Start(), std::nullopt);
        ASSERT_EQ(t.d.p.host.trays.size(), 1u);
        t.d.Ini("Start", "Started", "0");
        t.d.p.profile.SetWritesFail(true);
        EXPECT_EQ(t.d.Run([&] { t.d.forms.FormMenu().mnuIni_Click(); }), 0);
        EXPECT_EQ(t.d.p.messages.Count(), 0u);
        EXPECT_TRUE(t.d.p.host.trays.empty());
    }
}

TEST(SettingsDialogLoad, TheVersionPageAndTheRecentDocumentsEntry) {
    for (const bool xp : {true, false}) {
        Dialog t(Ini{{"Last/Message", "0"}});
        if (!xp) t.d.p.system.version = {2, 5, 0};  // Windows 2000
        LervIni& f = t.Open();
        EXPECT_EQ(f.LabelVer.Caption(), "Version 1.1.0");
        EXPECT_EQ(t.d.p.shell.recentDocs.empty(), xp);
        if (!xp) EXPECT_EQ(t.d.p.shell.recentDocs, std::vector<std::string>{"C:\\Program Files\\Tollervy\\Tollervy.exe"});
    }
    Dialog t(Ini{{"Last/Message", "0"}});
    t.d.p.system.versionRecord = {2, 10, 7, "https://tollervy.example.org/"};
    LervIni& f = t.Open();
    EXPECT_EQ(f.LabelVer.Caption(), "Version 2.10.7");
    f.IniTab.Select(5);
    f.URLBtn.Click();
    t.d.p.shell.openResult = 2;  // the shell cannot open the help file
    t.d.p.messages.Expect(1);
    f.HelpBtn.Click();
    EXPECT_EQ(t.d.p.shell.opened,
              (std::vector<std::string>{"https://tollervy.example.org/", "C:\\Program Files\\Tollervy\\readme.txt"}));
    EXPECT_EQ(t.d.p.messages.Last().text, "C:\\Program Files\\Tollervy\\readme.txtの表示に失敗しました");
    EXPECT_EQ(t.d.p.messages.Last().style, 16u | 4096u);
}

// ---------------------------------------------------------------------------
// Saving

TEST(SettingsDialogSave, ChangedOptionsAreWrittenInTheirOrderAndASecondApplyWritesNothing) {
    Dialog t(Ini{{"Last/Message", "0"}});
    LervIni& f = t.Open();
    f.OptionLogOn[1].SetValue(true);
    f.CheckStatus.SetValue(0);
    f.CheckEnd.SetValue(1);
    f.CheckDelete.SetValue(0);
    f.OptionDelete[1].SetValue(true);
    f.CheckReadOnly.SetValue(1);
    f.OptionError[0].SetValue(true);
    f.CheckJapanese.SetValue(1);
    f.CheckUseUser.SetValue(1);
    f.CheckTask.SetValue(0);
    f.IniTab.Select(4);
    f.TextUserName.SetText("Aoi");
    f.CommandUserAdd.Click();

    std::size_t before = t.d.p.profile.Writes().size();
    f.SetIniBtn.Click();
    EXPECT_EQ(t.WrittenKeys(before),
              (std::vector<std::string>{"Logon/Use", "Start/Status", "Last/Message", "Delete/Check", "Delete/Type",
                                        "Delete/ReadOnly", "Last/ErrorNext", "Start/Japanese", "User/Use",
                                        "Start/Task"}));
    const std::pair<const char*, const char*> values[] = {
        {"Logon/Use", "1"}, {"Start/Status", "0"}, {"Last/Message", "1"}, {"Delete/Check", "0"},
        {"Delete/Type", "1"}, {"Delete/ReadOnly", "1"}, {"Last/ErrorNext", "0"}, {"Start/Japanese", "1"},
        {"User/Use", "1"}, {"Start/Task", "0"}};
    for (const auto& [key, value] : values) {
        const std::string k = key;
        EXPECT_EQ(t.d.IniValue(k.substr(0, k.find('/')), k.substr(k.find('/') + 1)), value) << key;
    }
    // Taro's profile (his Start-up folder) makes him a user of the list too.
    EXPECT_EQ(t.d.p.fs.Content(t.UserFile()), "Taro,,1\r\nAoi,,1\r\n");
    // The new face shows at once, on the main window's file line too.
    EXPECT_EQ(t.d.forms.TollervyMain().StatusDetail.GetFont().face, "ＭＳ ゴシック");

    before = t.d.p.profile.Writes().size();
    const int userFileWrites = t.d.p.fs.Calls(fakes::FakeFileSystem::Op::Write);
    f.SetIniBtn.Click();
    EXPECT_TRUE(t.WrittenKeys(before).empty()) << ::testing::PrintToString(t.WrittenKeys(before));
    EXPECT_EQ(t.d.p.fs.Calls(fakes::FakeFileSystem::Op::Write), userFileWrites);
}

TEST(SettingsDialogSave, AFailedWriteStopsTheSaveAndOkKeepsTheDialogOpen) {
    Dialog t(Ini{{"Last/Message", "0"}});
    LervIni& f = t.Open();
    f.CheckStatus.SetValue(0);
    f.CheckJapanese.SetValue(1);
    t.d.p.profile.SetWritesFail(true);
    f.OkIniBtn.Click();
    EXPECT_TRUE(t.d.SettingsOpen());
    EXPECT_EQ(t.d.p.messages.Count(), 0u);
    t.d.p.profile.SetWritesFail(false);
    EXPECT_EQ(t.d.IniValue("Start", "Japanese"), "<missing>");
    // Once the file can be written the same OK saves both and closes.
    EXPECT_EQ(t.d.Run([&] { f.OkIniBtn.Click(); }), 0);
    EXPECT_EQ(t.d.IniValue("Start", "Status"), "0");
    EXPECT_EQ(t.d.IniValue("Start", "Japanese"), "1");
}

// The shared folder: picked with the folder picker or typed; Apply writes an
// existing folder without its final backslash, removes the key for an empty
// box, and refuses a folder that is not there, keeping the options page.
TEST(SettingsDialogSave, TheSharedFolderIsPickedCheckedAndWrittenOrRemoved) {
    Dialog t(Ini{{"Last/Message", "0"}, {"Store/Shared", "C:\\Share\\Tollervy"}});
    t.d.p.fs.AddFolder("C:\\Share\\Tollervy");
    t.d.p.fs.AddFolder("C:\\Other");
    LervIni& f = t.Open();
    EXPECT_EQ(f.TextShared.Text(), "C:\\Share\\Tollervy");
    t.d.p.host.OnShowOnce("DirPathFrm", [](ui::Form& form) {
        auto& picker = static_cast<DirPathFrm&>(form);
        ASSERT_TRUE(picker.Folders.SetPath("C:\\Other"));
        picker.PathDir_Change();
        picker.SelectPathBtn.Click();
    });
    f.IniTab.Select(3);
    f.SharedPathBtn.Click();
    EXPECT_EQ(f.TextShared.Text(), "C:\\Other");
    struct Case {
        std::string typed, stored, message;
    };
    for (const Case& k : {Case{"C:\\Other\\", "C:\\Other", ""},
                          Case{"S:\\Gone", "C:\\Other", "共有フォルダが見つかりません\r\n確認してください\r\n\r\nS:\\Gone"},
                          Case{"", "<missing>", ""}}) {
        SCOPED_TRACE(k.typed);
        f.IniTab.Select(1);
        f.TextShared.SetText(k.typed);
        if (!k.message.empty()) t.d.p.messages.Expect(platform::AnswerOK);
        const std::size_t shown = t.d.p.messages.Count();
        f.SetIniBtn.Click();
        EXPECT_EQ(t.d.IniValue("Store", "Shared"), k.stored);
        EXPECT_EQ(t.d.p.messages.Count() == shown ? "" : t.d.p.messages.Last().text, k.message);
        EXPECT_EQ(f.IniTab.SelectedKey(), k.message.empty() ? "StartUp" : "Ini");
    }
    EXPECT_EQ(t.d.Run([&] { f.CancelIniBtn.Click(); }), 0);
}

// The resident options cannot be changed on the page, but the dialog keeps
// them consistent: turned off from code, the switch to the current user runs
// at once; turned on, the current user becomes the last one.
TEST(SettingsDialogSave, TurningResidentModeOffSwitchesAtOnce) {
    Dialog t(Ini{{"Last/Message", "0"}, {"Start/AllWay", "1"}, {"Last/User", "Aoi"}, {"File/F1", "C:\\Work\\memo.txt"}});
    t.d.p.fs.AddFile("C:\\Work\\memo.txt", "Aoi memo");
    t.d.p.fs.AddFile(std::string(Desk::Data) + "\\Taro\\F1\\memo.txt", "Taro memo");
    LervIni& f = t.Open();
    EXPECT_EQ(f.CheckAllway.Value(), 1);
    EXPECT_TRUE(f.CheckTask.Enabled());
    f.CheckAllway.SetValue(0);
    EXPECT_FALSE(f.CheckTask.Enabled());
    f.SetIniBtn.Click();
    EXPECT_EQ(t.d.IniValue("Start", "AllWay"), "0");
    EXPECT_EQ(t.d.p.fs.Content("C:\\Work\\memo.txt"), "Taro memo");
    EXPECT_EQ(t.d.p.fs.Content(std::string(Desk::Data) + "\\Aoi\\F1\\memo.txt"), "Aoi memo");

    f.CheckAllway.SetValue(1);
    f.SetIniBtn.Click();
    EXPECT_EQ(t.d.IniValue("Start", "AllWay"), "1");
    EXPECT_EQ(t.d.IniValue("Last", "User"), "Taro");
}

// The switch of a resident mode turned off runs before the file list is
// saved: a path added in the same save is not part of that switch.
TEST(SettingsDialogSave, TheSwitchRunsBeforeTheFileListIsSaved) {
    Dialog t(Ini{{"Last/Message", "0"}, {"Start/AllWay", "1"}, {"Last/User", "Aoi"}});
    t.d.p.fs.AddFile("C:\\Work\\new.txt", "live new");
    LervIni& f = t.Open();
    f.CheckAllway.SetValue(0);
    f.IniTab.Select(2);
    f.FilePath.SetText("C:\\Work\\new.txt");
    f.FileAdd.Click();
    ASSERT_EQ(f.FileList.ListCount(), 1);
    f.SetIniBtn.Click();
    const auto keys = t.WrittenKeys();
    const auto allWay = std::find(keys.begin(), keys.end(), "Start/AllWay");
    const auto file = std::find(keys.begin(), keys.end(), "File/F1");
    ASSERT_NE(allWay, keys.end());
    ASSERT_NE(file, keys.end());
    EXPECT_LT(allWay, file);
    // Registered after the switch: only the common copy exists, nobody's.
    EXPECT_EQ(t.d.p.fs.Content(std::string(Desk::Data) + "\\All Users\\F1\\new.txt"), "live new");
    EXPECT_FALSE(t.d.p.fs.Exists(std::string(Desk::Data) + "\\Aoi\\F1"));
}

// ---------------------------------------------------------------------------
// Closing

TEST(SettingsDialogClose, QuestionsComeInOrderAndNoKeepsTheDialogOnItsTab) {
    struct Case {
        std::vector<int> answers;  // to the start-up, files and Shift questions
        bool open;
        int tab;
    };
    const Case cases[] = {
        {{Answer::AnswerNo}, true, 1},
        {{Answer::AnswerYes, Answer::AnswerNo}, true, 2},
        {{Answer::AnswerYes, Answer::AnswerYes, Answer::AnswerYes}, false, 0},
    };
    for (const Case& k : cases) {
        Dialog t;
        LervIni& f = t.Open();
        f.IniTab.Select(4);
        const char* starts[] = {"スタートアップにTollervyを登録しない場合、", "Tollervyにて使い分けるファイルを設定しない場合、",
                                "「Shift」キーを押しながら起動することで"};
        for (std::size_t i = 0; i < k.answers.size(); ++i) t.d.p.messages.Expect(starts[i], k.answers[i]);
        const std::optional<int> ended = t.d.Run([&] { f.CancelIniBtn.Click(); });
        EXPECT_EQ(ended.has_value(), !k.open);
        if (!k.open) continue;
        EXPECT_TRUE(t.d.SettingsOpen());
        EXPECT_EQ(f.IniTab.SelectedIndex(), k.tab);
        EXPECT_EQ(f.FrameStartUp.Visible(), k.tab == 1);
        EXPECT_EQ(f.FrameFileList.Visible(), k.tab == 2);
        EXPECT_FALSE(f.FrameUser.Visible());
    }
    Dialog t;
    t.Open();
    t.d.p.messages.Expect(Answer::AnswerYes);
    t.d.p.messages.Expect(Answer::AnswerYes);
    t.d.p.messages.Expect(Answer::AnswerYes);
    t.d.Run([&] { t.d.forms.LervIni().CancelIniBtn.Click(); });
    for (const auto& box : t.d.p.messages.Boxes()) EXPECT_EQ(box.caption, "Tollervy");
    ASSERT_EQ(t.d.p.messages.Count(), 3u);
    EXPECT_EQ(t.d.p.messages.Boxes()[0].style, 4388u);
    EXPECT_EQ(t.d.p.messages.Boxes()[1].style, 4388u);
    EXPECT_EQ(t.d.p.messages.Boxes()[2].style, 4164u);
}

// What the program does once the dialog is gone.
TEST(SettingsDialogClose, TheProgramEndsOrStaysResident) {
    struct Case {
        const char *allWay, *task, *debug, *lastUser;
        int shiftAnswer;
        bool ends, icon;
        std::vector<std::string> infoBoxes;
        const char* message;  // [Last] Message afterwards
    };
    const Case cases[] = {
        {"0", "1", "0", "Aoi", Answer::AnswerYes, true, false, {}, "<missing>"},
        {"1", "1", "0", "Taro", Answer::AnswerNo, true, false, {}, "0"},
        {"1", "1", "0", "Aoi", Answer::AnswerYes, false, true, {}, "<missing>"},
        {"1", "0", "1", "Aoi", Answer::AnswerYes, false, false, {"常駐開始"}, "<missing>"},
        {"1", "0", "0", "Aoi", Answer::AnswerYes, false, false, {}, "<missing>"},
    };
    for (const Case& k : cases) {
        Dialog t(Ini{{"Start/AllWay", k.allWay}, {"Start/Task", k.task}, {"Start/Debug", k.debug},
                  {"Last/User", k.lastUser}});
        if (std::string(k.debug) == "1") {
            t.d.p.messages.Expect("OSバージョン", 1);
            t.d.p.messages.Expect("Command", 1);
            t.d.p.messages.Expect("Taro\r\n", 1);  // the user's Start-up folder
        }
        LervIni& f = t.Open();
        t.d.p.messages.Expect(Answer::AnswerYes);
        t.d.p.messages.Expect(Answer::AnswerYes);
        t.d.p.messages.Expect(k.shiftAnswer);
        for (const auto& text : k.infoBoxes) t.d.p.messages.Expect(text, 1);
        const std::string what = std::string("AllWay=") + k.allWay + " Task=" + k.task + " Last=" + k.lastUser;
        EXPECT_EQ(t.d.Run([&] { f.CancelIniBtn.Click(); }).has_value(), k.ends) << what;
        EXPECT_EQ(t.d.p.host.trays.size(), k.icon ? 1u : 0u) << what;
        EXPECT_EQ(t.d.IniValue("Last", "Message"), k.message) << what;
        if (!k.ends) EXPECT_FALSE(t.d.SettingsOpen()) << what;
    }
}

// A write that fails in the closing step would leave a process with no
// window at all; the program ends through its exit path instead.
TEST(SettingsDialogClose, AFailedWriteInTheClosingStepEndsTheProgram) {
    Dialog t(Ini{{"Start/AllWay", "1"}, {"Last/User", "Aoi"}});
    LervIni& f = t.Open();
    t.d.p.messages.Expect(Answer::AnswerYes);
    t.d.p.messages.Expect(Answer::AnswerYes);
    t.d.p.messages.Expect(Answer::AnswerNo);
    t.d.p.profile.SetWritesFail(true);
    EXPECT_EQ(t.d.Run([&] { f.CancelIniBtn.Click(); }), 0);
}

// A second opening starts from the dialog as it is made, not from what the
// first one left in its controls.
TEST(SettingsDialogClose, EachOpeningStartsAfresh) {
    Dialog t(Ini{{"Start/AllWay", "1"}, {"Start/Task", "1"}, {"Last/User", "Aoi"}, {"Last/Message", "0"}});
    LervIni& first = t.Open();
    first.IniTab.Select(4);
    first.TextUserName.SetText("half typed");
    EXPECT_EQ(t.d.Run([&] { first.CancelIniBtn.Click(); }), std::nullopt);
    ASSERT_EQ(t.d.p.host.trays.size(), 1u);
    t.d.Run([&] { t.d.forms.FormMenu().mnuIni_Click(); });
    ASSERT_TRUE(t.d.SettingsOpen());
    LervIni& second = t.d.forms.LervIni();
    EXPECT_EQ(second.TextUserName.Text(), "");
    EXPECT_EQ(second.IniTab.SelectedIndex(), 1);
    EXPECT_TRUE(second.FrameStartUp.Visible());
    EXPECT_FALSE(second.FrameUser.Visible());
}

// ---------------------------------------------------------------------------
// The options page

TEST(SettingsDialogOptions, EnablingRules) {
    struct Case {
        const char* what;
        std::function<void(LervIni&)> act;
        std::function<bool(LervIni&)> holds;
    };
    const Case cases[] = {
        {"logon used: the cleanup option shows", [](LervIni& f) { f.OptionLogOn[1].SetValue(true); },
         [](LervIni& f) { return f.CheckUseUser.Visible() && !f.ListUser.Enabled() && !f.TextUserName.Enabled(); }},
        {"logon used, cleanup on: editing enabled",
         [](LervIni& f) {
             f.OptionLogOn[1].SetValue(true);
             f.CheckUseUser.SetValue(1);
         },
         [](LervIni& f) { return f.ListUser.Enabled() && f.TextUserPass.Enabled() && f.CheckUserUse.Enabled(); }},
        {"logon not used: cleanup hidden, editing enabled",
         [](LervIni& f) {
             f.OptionLogOn[1].SetValue(true);
             f.OptionLogOn[0].SetValue(true);
         },
         [](LervIni& f) {
             return !f.CheckUseUser.Visible() && f.ListUser.Enabled() && f.FrameUserIni.Enabled() &&
                    f.TextUserName.Enabled() && f.LabelUserPass.Enabled();
         }},
        {"asking which data: both choices disabled, selection kept",
         [](LervIni& f) {
             f.OptionDelete[1].SetValue(true);
             f.CheckDelete.SetValue(0);
         },
         [](LervIni& f) {
             return !f.OptionDelete[0].Enabled() && !f.OptionDelete[1].Enabled() && f.OptionDelete.Selected() == 1;
         }},
        {"not asking: both choices enabled",
         [](LervIni& f) {
             f.CheckDelete.SetValue(0);
             f.CheckDelete.SetValue(1);
         },
         [](LervIni& f) { return f.OptionDelete[0].Enabled() && f.OptionDelete[1].Enabled(); }},
        {"resident off: the icon option disabled", [](LervIni& f) { f.CheckAllway.SetValue(0); },
         [](LervIni& f) { return !f.CheckTask.Enabled() && !f.FrameAllway.Visible(); }},
    };
    for (const Case& k : cases) {
        Dialog t(Ini{{"Last/Message", "0"}, {"Start/AllWay", "1"}});
        LervIni& f = t.Open();
        k.act(f);
        EXPECT_TRUE(k.holds(f)) << k.what;
    }
}

TEST(SettingsDialogOptions, LoadedOptionsSetTheUsersPageAndTheFonts) {
    struct Case {
        const char *logon, *userUse, *japanese;
        bool cleanupShown, editing;
        const char* face;
    };
    const Case cases[] = {
        {"1", "0", "1", true, false, "ＭＳ ゴシック"},
        {"1", "1", "0", true, true, "ＭＳ Ｐゴシック"},
        {"0", "0", "", false, true, "ＭＳ ゴシック"},
    };
    for (const Case& k : cases) {
        Dialog t(Ini{{"Logon/Use", k.logon}, {"User/Use", k.userUse}, {"Last/Message", "0"}});
        if (*k.japanese) t.d.Ini("Start", "Japanese", k.japanese);
        LervIni& f = t.Open();
        if (!*k.japanese) {
            // A run that never read the option: the rule treats "" like "1".
            t.d.state.StartJapanese = "";
            f.ApplyJapaneseFont();
        }
        EXPECT_EQ(f.CheckUseUser.Visible(), k.cleanupShown) << k.logon << k.userUse;
        EXPECT_EQ(f.TextUserName.Enabled(), k.editing) << k.logon << k.userUse;
        for (ui::Control* c : std::vector<ui::Control*>{&t.d.forms.TollervyMain().StatusDetail, &f.FileList, &f.FilePath,
                                                        &f.ListUser, &f.TextUserName, &f.TextStartPath[0],
                                                        &f.TextStartPath[9]}) {
            EXPECT_EQ(c->GetFont().face, k.face) << c->Name();
            EXPECT_EQ(c->GetFont().charset, 128) << c->Name();
        }
        EXPECT_EQ(f.TextUserPass.GetFont().face, "") << "not a path or user-name control";
    }
}

// ---------------------------------------------------------------------------
// The users page

struct UsersPageCase : ::testing::Test {
    std::unique_ptr<Dialog> dialog;
    LervIni* f = nullptr;
    // A fresh program on the users page: the profile user Taro and the user
    // file's Aoi and Ben (switched off).
    void SetUp() override {
        dialog = std::make_unique<Dialog>(Ini{{"Last/Message", "0"}});
        dialog->d.state.ProfileUserNames = {"Taro", ""};
        dialog->d.p.fs.AddTextFile(dialog->UserFile(), {"Aoi,pw,1", "Ben,,0", "Taro,tp,1"});
        f = &dialog->Open();
        f->IniTab.Select(4);
    }
    Dialog& t() { return *dialog; }
    std::vector<std::string> Buttons() const {
        std::vector<std::string> on;
        if (f->CommandUserAdd.Enabled()) on.push_back("Add");
        if (f->CommandUserChange.Enabled()) on.push_back("Change");
        if (f->CommandUserDelete.Enabled()) on.push_back("Delete");
        return on;
    }
};

TEST_F(UsersPageCase, TheListShowsProfileUsersFirstWithTheirMarks) {
    EXPECT_EQ(f->ListUser.Items(), (std::vector<std::string>{"■ Taro", "■ Aoi", "□ Ben"}));
    EXPECT_EQ(t().d.state.UserCount, 3);
    EXPECT_TRUE(t().d.state.UserList[0].IsProfileUser);
    EXPECT_EQ(t().d.state.UserList[0].Password, "tp");
    EXPECT_FALSE(t().d.state.UserListChanged);
}

TEST_F(UsersPageCase, ButtonRules) {
    struct Case {
        const char* what;
        int row;  // -1: no row selected
        std::function<void(LervIni&)> edit;
        std::vector<std::string> buttons;
    };
    const Case cases[] = {
        {"a new name, nothing selected", -1, [](LervIni& f) { f.TextUserName.SetText("Chika"); }, {"Add"}},
        {"a new name with a row selected", 1, [](LervIni& f) { f.TextUserName.SetText("Chika"); }, {"Add"}},
        {"a row selected", 1, [](LervIni&) {}, {"Delete"}},
        {"the selected name typed back", 1,
         [](LervIni& f) {
             f.TextUserName.SetText("Ao");
             f.TextUserName.SetText("Aoi");
         },
         {}},
        {"another password", 1, [](LervIni& f) { f.TextUserPass.SetText("new"); }, {"Change"}},
        {"switched off", 1, [](LervIni& f) { f.CheckUserUse.SetValue(0); }, {"Change"}},
        {"another user's name", 1, [](LervIni& f) { f.TextUserName.SetText("Ben"); }, {"Change"}},
        {"a profile user selected", 0, [](LervIni&) {}, {}},
        {"a profile user's password", 0, [](LervIni& f) { f.TextUserPass.SetText("x"); }, {"Change"}},
        {"a profile user given another's name", 0, [](LervIni& f) { f.TextUserName.SetText("Aoi"); }, {}},
    };
    for (const Case& k : cases) {
        SetUp();
        if (k.row >= 0) f->ListUser.SetListIndex(k.row);
        k.edit(*f);
        EXPECT_EQ(Buttons(), k.buttons) << k.what;
    }
}

TEST_F(UsersPageCase, ForbiddenCharactersAreRefusedAtEachChange) {
    const std::string message = "これらの文字は使用できません\r\n\\ / : , ; * ? \" < > |";
    for (const char* name : {"a\\b", "a/b", "a:b", "a,b", "a;b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b"}) {
        SetUp();
        t().d.p.messages.Expect(message, 1);
        f->TextUserName.SetText(name);
        EXPECT_TRUE(Buttons().empty()) << name;
    }
    // The message comes back with the next change of any field.
    t().d.p.messages.Expect(message, 1);
    f->TextUserPass.SetText("p");
}

// A name typed key by key meets only the forbidden characters on the way;
// what else keeps it from being a user's name (and a folder of the data
// store) is said when Add or Change is pressed, with its own reason.
TEST_F(UsersPageCase, TypedKeyByKeyANameMeetsItsReasonOnlyAtAddOrChange) {
    struct Case {
        std::string name;
        const char* refusal;  // nullptr: added
    };
    const Case cases[] = {
        {"John Smith", nullptr},
        {"Connor", nullptr},
        {"j.doe", nullptr},
        {"Auxley", nullptr},
        {"Ωmega", nullptr},
        {"John ", "ユーザ名の先頭と末尾に空白は使用できません\r\n\r\nJohn "},
        {" John", "ユーザ名の先頭と末尾に空白は使用できません"},
        {"j.", "ユーザ名の末尾にピリオドは使用できません\r\n\r\nj."},
        {"..", "ユーザ名の末尾にピリオドは使用できません"},
        {"Aux", "Windowsが装置に使う名前です\r\nこのユーザ名は使用できません\r\n\r\nAux"},
        {"com1.txt", "Windowsが装置に使う名前です"},
        {"'Chika'", "引用符で囲まれたユーザ名は使用できません"},
        {"a\tb", "ユーザ名に制御文字は使用できません"},
        {std::string(128, 'c'), "ユーザ名が長すぎます\r\n127文字まで使用できます"},
        {"Zoë", "この文字列には、このパソコンで保存できない文字が含まれています\r\n\r\nZoë"},
    };
    for (const Case& k : cases) {
        SetUp();
        // Each key changes the box once: no message on the way.
        for (std::size_t n = 1; n <= k.name.size(); ++n)
            if (n == k.name.size() || (static_cast<unsigned char>(k.name[n]) & 0xC0) != 0x80)
                f->TextUserName.SetText(k.name.substr(0, n));
        EXPECT_EQ(t().d.p.messages.Count(), 0u) << k.name << ": " << ::testing::PrintToString(t().d.p.messages.Texts());
        EXPECT_EQ(Buttons(), std::vector<std::string>{"Add"}) << k.name;
        if (k.refusal) t().d.p.messages.Expect(k.refusal, 1);
        f->CommandUserAdd.Click();
        EXPECT_EQ(f->ListUser.ListCount(), k.refusal ? 3 : 4) << k.name;
        if (k.refusal) {
            EXPECT_EQ(t().d.p.messages.Last().style, 16u + 4096u) << k.name;
        }
    }
    // Change says the same: a user of a name that cannot be kept (from a
    // user file written by hand) is refused with its reason.
    Dialog handWritten(Ini{{"Last/Message", "0"}});
    handWritten.d.p.fs.AddTextFile(handWritten.UserFile(), {"CON,,1"});
    LervIni& g = handWritten.Open();
    g.IniTab.Select(4);
    const auto& rows = g.ListUser.Items();
    const int con = static_cast<int>(std::find(rows.begin(), rows.end(), "■ CON") - rows.begin());
    g.ListUser.SetListIndex(con);
    g.TextUserPass.SetText("p");
    handWritten.d.p.messages.Expect("Windowsが装置に使う名前です", 1);
    g.CommandUserChange.Click();
    EXPECT_EQ(handWritten.d.state.UserList[static_cast<std::size_t>(con)].Password, "");
}

TEST_F(UsersPageCase, AddChangeAndDelete) {
    f->CheckUserUse.SetValue(0);
    f->TextUserName.SetText("Chika");
    f->TextUserPass.SetText("cp");
    f->CommandUserAdd.Click();
    EXPECT_EQ(f->ListUser.List(3), "□ Chika");
    EXPECT_EQ(f->ListUser.ListIndex(), 3);
    EXPECT_EQ(Buttons(), std::vector<std::string>{"Delete"});
    EXPECT_TRUE(t().d.state.UserListChanged);

    // A profile user's change keeps Delete off.
    f->ListUser.SetListIndex(0);
    f->TextUserPass.SetText("new");
    f->CommandUserChange.Click();
    EXPECT_TRUE(Buttons().empty());
    EXPECT_EQ(t().d.state.UserList[0].Password, "new");

    // Cancelling the question changes nothing; OK removes the row.
    f->ListUser.SetListIndex(2);
    t().d.p.messages.Expect("Benを\r\nリストから削除しますか?", Answer::AnswerCancel);
    f->CommandUserDelete.Click();
    EXPECT_EQ(f->ListUser.ListCount(), 4);
    t().d.p.messages.Expect("Benを\r\nリストから削除しますか?", Answer::AnswerOK);
    f->CommandUserDelete.Click();
    EXPECT_EQ(f->ListUser.Items(), (std::vector<std::string>{"■ Taro", "■ Aoi", "□ Chika"}));
    EXPECT_EQ(f->TextUserName.Text(), "");
    EXPECT_EQ(f->CheckUserUse.Value(), 1);
    EXPECT_EQ(t().d.p.messages.Boxes().back().style, 4129u);

    f->SetIniBtn.Click();
    EXPECT_EQ(t().d.p.fs.Content(t().UserFile()), "Taro,new,1\r\nAoi,pw,1\r\nChika,cp,0\r\n");
    EXPECT_FALSE(t().d.state.UserListChanged);
    // Ben's stored copies are not the page's to remove.
    EXPECT_EQ(t().d.state.UserCount, 3);
}

// Two users never share a name, nor names that Windows takes for one folder
// of the data store.
TEST_F(UsersPageCase, NoTwoUsersGetOneName) {
    const std::string refusal = "同じ名前のユーザがすでに登録されています";
    f->ListUser.SetListIndex(1);
    f->TextUserName.SetText("Ben");
    t().d.p.messages.Expect(refusal, 1);
    f->CommandUserChange.Click();
    EXPECT_EQ(t().d.state.UserList[1].Name, "Aoi");

    for (const char* name : {"aoi", "BEN"}) {
        f->ListUser.SetListIndex(-1);
        f->TextUserName.SetText(name);
        EXPECT_TRUE(f->CommandUserAdd.Enabled()) << name;
        t().d.p.messages.Expect(refusal, 1);
        f->CommandUserAdd.Click();
        EXPECT_EQ(f->ListUser.ListCount(), 3) << name;
    }
    EXPECT_FALSE(t().d.state.UserListChanged);
    // Full-width letters are other names than ASCII ones, but fold by case
    // among themselves.
    f->TextUserName.SetText("ａｏｉ");
    f->CommandUserAdd.Click();
    EXPECT_EQ(f->ListUser.ListCount(), 4);
    f->ListUser.SetListIndex(-1);
    f->TextUserName.SetText("ＡＯＩ");
    t().d.p.messages.Expect(refusal, 1);
    f->CommandUserAdd.Click();
    EXPECT_EQ(f->ListUser.ListCount(), 4);
    // Greek and Cyrillic letters fold as well (code page 932 holds both).
    for (const auto& [first, second] : {std::pair<const char*, const char*>{"Ωmega", "ωMEGA"}, {"Ёлка", "ёЛКА"}}) {
        f->ListUser.SetListIndex(-1);
        f->TextUserName.SetText(first);
        f->CommandUserAdd.Click();
        const int count = f->ListUser.ListCount();
        f->ListUser.SetListIndex(-1);
        f->TextUserName.SetText(second);
        t().d.p.messages.Expect(refusal, 1);
        f->CommandUserAdd.Click();
        EXPECT_EQ(f->ListUser.ListCount(), count) << second;
    }
    // A user file written before keeps both of such a pair.
    Dialog earlier(Ini{{"Last/Message", "0"}});
    earlier.d.p.fs.AddTextFile(earlier.UserFile(), {"Ωmega,,1", "ωmega,,1"});
    const auto& rows = earlier.Open().ListUser.Items();
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "■ Ωmega") + std::count(rows.begin(), rows.end(), "■ ωmega"), 2);
}

// The user file and the settings file keep text in code page 932: a name or
// password it cannot hold, or a name the settings file would give back
// otherwise, is refused where it is typed; so is a path of the file list.
TEST_F(UsersPageCase, TextsTheFilesCannotKeepAreRefused) {
    const std::pair<std::string, std::string> users[] = {{"Aoi\u301c", ""}, {"Chika", "pässword"}};
    for (const auto& [name, password] : users) {
        f->ListUser.SetListIndex(-1);
        f->TextUserName.SetText(name);
        f->TextUserPass.SetText(password);
        t().d.p.messages.Expect("この文字列には、このパソコンで保存できない文字が含まれています", 1);
        f->CommandUserAdd.Click();
        EXPECT_EQ(f->ListUser.ListCount(), 3) << name;
    }
    EXPECT_FALSE(t().d.state.UserListChanged);
    // A change to such a password is refused the same way.
    f->ListUser.SetListIndex(1);
    f->TextUserPass.SetText("ë");
    t().d.p.messages.Expect("この文字列には、このパソコンで保存できない文字が含まれています", 1);
    f->CommandUserChange.Click();
    EXPECT_EQ(t().d.state.UserList[1].Password, "pw");

    t().d.p.fs.AddFile("C:\\Work\\Zoë.txt", "z");
    f->IniTab.Select(2);
    t().d.p.messages.Expect("この文字列には、このパソコンで保存できない文字が含まれています\r\n\r\nC:\\Work\\Zoë.txt", 1);
    f->FilePath.SetText("C:\\Work\\Zoë.txt");
    f->FileAdd.Click();
    EXPECT_EQ(f->FileList.ListCount(), 0);
}

TEST_F(UsersPageCase, DeletingTheLastUserLeavesNoUserFile) {
    for (int i = 0; i < 2; ++i) {
        f->ListUser.SetListIndex(1);
        t().d.p.messages.Expect(Answer::AnswerOK);
        f->CommandUserDelete.Click();
    }
    EXPECT_EQ(f->ListUser.Items(), std::vector<std::string>{"■ Taro"});
    // A profile user cannot be deleted: the button stays off for it.
    f->ListUser.SetListIndex(0);
    EXPECT_FALSE(f->CommandUserDelete.Enabled());
    // Without profiles, the last user goes too and the file with it.
    Dialog plain(Ini{{"Last/Message", "0"}});
    plain.d.p.shell.specialFolders[platform::CsidlStartup] = "C:\\StartUp";  // no profile layout
    plain.d.p.fs.AddFolder("C:\\StartUp");
    plain.d.p.fs.AddTextFile(plain.UserFile(), {"Aoi,pw,1"});
    LervIni& g = plain.Open();
    g.IniTab.Select(4);
    g.ListUser.SetListIndex(0);
    plain.d.p.messages.Expect(Answer::AnswerOK);
    g.CommandUserDelete.Click();
    EXPECT_EQ(g.ListUser.ListCount(), 0);
    g.SetIniBtn.Click();
    EXPECT_FALSE(plain.d.p.fs.Exists(plain.UserFile()));
}

TEST_F(UsersPageCase, ACleanupOptionOffDisablesEveryEditingControl) {
    f->OptionLogOn[1].SetValue(true);
    f->CheckUseUser.SetValue(1);
    f->ListUser.SetListIndex(1);
    f->CheckUseUser.SetValue(0);
    for (ui::Control* c : std::vector<ui::Control*>{&f->ListUser, &f->FrameUserIni, &f->CheckUserUse, &f->LabelUserName,
                                                    &f->TextUserName, &f->LabelUserPass, &f->TextUserPass,
                                                    &f->CommandUserAdd, &f->CommandUserChange, &f->CommandUserDelete})
        EXPECT_FALSE(c->Enabled()) << c->Name();
}

}  // namespace
}  // namespace tollervy
