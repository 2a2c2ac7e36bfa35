// The file list page: which paths may be listed, how rows are selected and
// removed, and what saving the list does to the data store and [File].
#include <gtest/gtest.h>

#include "FileListPageSupport.h"
#include "dialogs/FormDelete.h"
#include "driver/TollervyMain.h"
#include "engine/InPlaceRecord.h"
#include "platform/Text.h"

namespace tollervy {
namespace {

using namespace filelist;
constexpr unsigned Stop = 4096 + 16;  // system modal, stop icon

std::vector<std::string> Rows(const LervIni& dlg) { return dlg.FileList.Items(); }

// [File] as key=value lines.
std::vector<std::string> FileSection(Desk& d) {
    return d.p.profile.GetSection(Desk::Ini_, "File", 65536);
}

TEST(FileListPage, LoadsTheListFromTheFileSectionWithNothingToAddOrRemove) {
    Desk d;
    SeedTwoItems(d);
    LervIni& dlg = OpenSettings(d);
    ASSERT_TRUE(d.SettingsOpen());
    EXPECT_EQ(Rows(dlg), (std::vector<std::string>{Work + "memo.txt", Work + "Notes\\"}));
    EXPECT_EQ(dlg.FilePath.Text(), "");
    EXPECT_FALSE(dlg.FileAdd.Enabled());
    EXPECT_FALSE(dlg.FileDelete.Enabled());
    EXPECT_TRUE(dlg.FilePathGetButton.Enabled());
    EXPECT_EQ(dlg.FilePathGetButton.Caption(), "...");
    EXPECT_EQ(dlg.FileAdd.Caption(), "追加");
    EXPECT_EQ(dlg.FileDelete.Caption(), "削除");
    EXPECT_EQ(dlg.FileAdd.ToolTipText(), "ファイルのパスをファイルのリストに追加します");
    EXPECT_EQ(dlg.FileDelete.ToolTipText(), "選択されているファイルのパスをリストから削除します");
    EXPECT_EQ(dlg.FilePathGetButton.ToolTipText(), "ファイルのパスを選択します");
    // Every control of the page shows only with its tab.
    dlg.IniTab.Select(1);
    for (ui::Control* c : std::initializer_list<ui::Control*>{&dlg.FileList, &dlg.FilePath, &dlg.FilePathGetButton,
                                                               &dlg.FileAdd, &dlg.FileDelete})
        EXPECT_FALSE(c->ShownOnScreen()) << c->Name();
    dlg.IniTab.Select(2);
    EXPECT_TRUE(dlg.FileAdd.ShownOnScreen());
}

struct AddCase {
    const char* what;
    std::vector<std::string> listed;  // rows before
    std::string typed;
    std::string message;  // "" = the path is added
    std::string shownPath;  // in the message, or the row added
};

TEST(FileListPage, AddingAPathChecksItInOrderAndNamesThePathInEveryMessage) {
    const std::string invalid = "パスの指定が不正です。\r\n確認してください";
    const std::string notAllowed = "このパスを設定することはできません";
    const std::string same = "同じパスがすでに設定されています";
    const std::string bak = Work + "a.ini.bak";
    const std::vector<AddCase> cases = {
        {"a question mark", {}, Work + "a?.ini", invalid, Work + "a?.ini"},
        {"a missing file", {}, Work + "missing.ini", invalid, Work + "missing.ini"},
        {"a pattern nothing matches", {}, Work + "*.none", invalid, Work + "*.none"},
        {"a pattern", {}, Work + "*.log", "", Work + "*.log"},
        {"a folder without its backslash", {}, Work + "Empty", "", Work + "Empty\\"},
        {"a folder with it", {}, Work + "Empty\\", "", Work + "Empty\\"},
        {"a folder with two", {}, Work + "Empty\\\\", "", Work + "Empty\\"},
        {"a file written with a backslash", {}, Work + "a.ini\\", "", Work + "a.ini"},
        {"a file inside a listed one's name", {bak}, Work + "a.ini", same, bak},
        {"a folder holding a listed file", {Work + "a.ini"}, Work, same, Work + "a.ini"},
        {"a file inside a listed folder", {Work}, Work + "a.ini", same, Work},
        {"the same path in other letter case", {Work + "a.ini"}, "c:\\WORK\\A.INI", same, Work + "a.ini"},
        {"the program's folder", {}, "C:\\Program Files\\Tollervy\\", notAllowed, "C:\\Program Files\\Tollervy\\"},
        {"the store in other case", {}, "c:\\program files\\TOLLERVY\\data", notAllowed,
         "c:\\program files\\TOLLERVY\\data\\"},
        {"a sibling folder starting with its name", {}, "C:\\Program Files\\TollervyXY\\a.ini", notAllowed,
         "C:\\Program Files\\TollervyXY\\a.ini"},
        {"the store reached through ..", {}, Work + "..\\Program Files\\Tollervy\\Tollervy.ini", notAllowed,
         Work + "..\\Program Files\\Tollervy\\Tollervy.ini"},
    };
    for (const auto& t : cases) {
        Desk d;
        SeedTwoItems(d);
        d.Ini("File", "F1", "");  // an empty list apart from the rows below
        d.p.fs.AddFile(Work + "a.ini", "a");
        d.p.fs.AddFile(bak, "bak");
        d.p.fs.AddFile("C:\\Program Files\\TollervyXY\\a.ini", "xy");
        LervIni& dlg = OpenSettings(d);
        dlg.FileList.Clear();
        for (const auto& row : t.listed) dlg.FileList.AddItem(row);
        if (!t.message.empty()) d.p.messages.Expect(t.message, platform::AnswerOK);
        dlg.FilePath.SetText(t.typed);
        dlg.FileAdd.Click();
        if (t.message.empty()) {
            EXPECT_EQ(d.p.messages.Count(), 0u) << t.what;
            EXPECT_EQ(dlg.FileList.List(dlg.FileList.ListCount() - 1), t.shownPath) << t.what;
        } else {
            ASSERT_EQ(d.p.messages.Count(), 1u) << t.what;
            EXPECT_EQ(d.p.messages.Last().text, t.message + "\r\n\r\n" + t.shownPath) << t.what;
            EXPECT_EQ(d.p.messages.Last().style, Stop) << t.what;
            EXPECT_EQ(Rows(dlg), t.listed) << t.what;
        }
    }
}

TEST(FileListPage, SelectionAndTheRemovalQuestion) {
    Desk d;
    SeedTwoItems(d);
    LervIni& dlg = OpenSettings(d);
    dlg.FileList.AddItem(Work + "new.txt");
    // Typing enables "追加"; emptying the box enables "削除".
    dlg.FilePath.SetText("x");
    EXPECT_TRUE(dlg.FileAdd.Enabled());
    EXPECT_FALSE(dlg.FileDelete.Enabled());
    dlg.FilePath.SetText("");
    EXPECT_FALSE(dlg.FileAdd.Enabled());
    EXPECT_TRUE(dlg.FileDelete.Enabled());
    // ...but with no row selected it removes nothing and asks nothing.
    dlg.FileDelete.Click();
    EXPECT_EQ(dlg.FileList.ListCount(), 3);

    // Selecting a row shows it; "追加" off, "削除" on.
    dlg.FileList.SetListIndex(0);
    EXPECT_EQ(dlg.FilePath.Text(), Work + "memo.txt");
    EXPECT_FALSE(dlg.FileAdd.Enabled());
    EXPECT_TRUE(dlg.FileDelete.Enabled());

    // Cancel keeps the row.
    d.p.messages.Expect(platform::AnswerCancel);
    dlg.FileDelete.Click();
    EXPECT_EQ(d.p.messages.Last().text, Work + "memo.txt" + "を\r\nリストから削除しますか?");
    EXPECT_EQ(d.p.messages.Last().caption, "Tollervy");
    EXPECT_EQ(d.p.messages.Last().style, 4129u);
    EXPECT_EQ(dlg.FileList.ListCount(), 3);

    // OK on the first row selects the row that moved into its place.
    d.p.messages.Expect(platform::AnswerOK);
    dlg.FileDelete.Click();
    EXPECT_EQ(Rows(dlg), (std::vector<std::string>{Work + "Notes\\", Work + "new.txt"}));
    EXPECT_EQ(dlg.FileList.ListIndex(), 0);
    EXPECT_EQ(dlg.FilePath.Text(), Work + "Notes\\");
    EXPECT_TRUE(dlg.FileDelete.Enabled());

    // Removing the last row empties the box and disables "削除".
    dlg.FileList.SetListIndex(1);
    d.p.messages.Expect(platform::AnswerOK);
    dlg.FileDelete.Click();
    EXPECT_EQ(Rows(dlg), (std::vector<std::string>{Work + "Notes\\"}));
    EXPECT_EQ(dlg.FileList.ListIndex(), -1);
    EXPECT_EQ(dlg.FilePath.Text(), "");
    EXPECT_FALSE(dlg.FileDelete.Enabled());
    EXPECT_FALSE(dlg.FileAdd.Enabled());

    // The picker starts without a selection and writes into the path box.
    dlg.FileList.SetListIndex(0);
    d.p.host.OnShow("FilePathFrm", [&](ui::Form& f) {
        EXPECT_EQ(dlg.FileList.ListIndex(), -1);
        EXPECT_FALSE(dlg.FileDelete.Enabled());
        d.state.FilePathTarget->SetText(Work + "new.txt");
        f.Hide();
    });
    dlg.FilePathGetButton.Click();
    EXPECT_EQ(dlg.FilePath.Text(), Work + "new.txt");
    EXPECT_TRUE(dlg.FileAdd.Enabled());
    EXPECT_EQ(dlg.FileList.ListCount(), 1);  // added only by "追加"
}

TEST(FileListPage, DroppedFilesGoThroughTheChecksInDropOrder) {
    Desk d;
    SeedTwoItems(d);
    LervIni& dlg = OpenSettings(d);
    dlg.FilePath.SetText("typed");
    d.p.messages.Expect("同じパスがすでに設定されています", platform::AnswerOK);
    d.p.messages.Expect("パスの指定が不正です", platform::AnswerOK);
    dlg.FileList.DropFiles({Work + "new.txt", Work + "memo.txt", Work + "gone.txt", Work + "Empty"});
    EXPECT_EQ(Rows(dlg), (std::vector<std::string>{Work + "memo.txt", Work + "Notes\\", Work + "new.txt",
                                                   Work + "Empty\\"}));
    EXPECT_EQ(d.p.messages.Count(), 2u);
    EXPECT_EQ(dlg.FilePath.Text(), "");

    // On the path box only the first path counts.
    dlg.FilePath.DropFiles({Work + "a.log", Work + "new.txt"});
    EXPECT_EQ(dlg.FilePath.Text(), Work + "a.log");
    dlg.FilePath.DropFiles({});
    EXPECT_EQ(dlg.FilePath.Text(), Work + "a.log");
}

// --- Saving the list -----------------------------------------------------------

struct KeyCase {
    const char* what;
    std::vector<std::string> remove;  // rows removed before adding d
    std::string expectedKey;
};

TEST(FileListPage, ANewPathTakesTheNumberAfterTheHighestKeptKey) {
    const std::string a = Work + "a.ini", b = Work + "b.ini", c = Work + "c.ini", dd = Work + "d.ini";
    const std::vector<KeyCase> cases = {
        {"c removed", {c}, "F3"},
        {"a removed", {a}, "F4"},
        {"nothing removed", {}, "F4"},
        {"all removed", {a, b, c}, "F1"},
    };
    for (const auto& t : cases) {
        Desk d;
        SeedTwoItems(d);
        d.p.fs.AddFile(Desk::Ini_, "[Start]\r\nStarted=1\r\n[Last]\r\nUser=Aoi\r\nMessage=0\r\n[File]\r\nF1=" + a +
                                       "\r\nF2=" + b + "\r\nF3=" + c + "\r\n");
        for (const auto& path : {a, b, c, dd}) d.p.fs.AddFile(path, path);
        for (const char* key : {"F1", "F2", "F3"}) d.p.fs.AddFile(Stored("Ben", std::string(key) + "\\x"), "ben");
        LervIni& dlg = OpenSettings(d);
        for (const auto& row : t.remove)
            for (int i = 0; i < dlg.FileList.ListCount(); ++i)
                if (dlg.FileList.List(i) == row) dlg.FileList.RemoveItem(i);
        dlg.FilePath.SetText(dd);
        dlg.FileAdd.Click();
        EXPECT_TRUE(dlg.ApplyFileList()) << t.what;
        EXPECT_EQ(d.IniValue("File", t.expectedKey), dd) << t.what;
        const std::string fresh = Stored("All Users", t.expectedKey + "\\d.ini");
        EXPECT_EQ(d.p.fs.Content(fresh), dd) << t.what;
        // The new key holds nobody else's copy.
        EXPECT_FALSE(d.p.fs.Exists(Stored("Ben", t.expectedKey))) << t.what;
        for (const auto& row : t.remove) EXPECT_EQ(d.p.fs.Content(row), row) << t.what << ": the file in place stays";
        EXPECT_EQ(dlg.FileList.List(dlg.FileList.ListCount() - 1), dd) << t.what;
        EXPECT_EQ(dlg.FileList.ListCount(), static_cast<int>(4 - t.remove.size())) << t.what;
        EXPECT_EQ(static_cast<int>(FileSection(d).size()), dlg.FileList.ListCount()) << t.what;
    }
}

TEST(FileListPage, APathRemovedAndAddedAgainKeepsItsKeyAndCopies) {
    Desk d;
    SeedTwoItems(d);
    LervIni& dlg = OpenSettings(d);
    dlg.FileList.RemoveItem(0);
    dlg.FilePath.SetText(Work + "memo.txt");
    dlg.FileAdd.Click();
    d.p.fs.ResetCounts();
    EXPECT_TRUE(dlg.ApplyFileList());
    EXPECT_EQ(FileSection(d), (std::vector<std::string>{"F1=" + Work + "memo.txt", "F2=" + Work + "Notes\\"}));
    EXPECT_EQ(d.p.fs.Content(Stored("Ben", "F1\\memo.txt")), "Ben memo");
    EXPECT_EQ(d.p.fs.Calls(fakes::FakeFileSystem::Op::Copy), 0);
    EXPECT_EQ(d.p.fs.Calls(fakes::FakeFileSystem::Op::Delete), 0);
}

struct RemovalCase {
    const char* what;
    std::string check, type;
    std::string inPlaceAfter;  // content of memo.txt after the save
    bool restored;
};

TEST(FileListPage, ARemovedPathKeepsTheConfiguredCopyInPlaceAndLosesItsStoredCopies) {
    const std::vector<RemovalCase> cases = {
        {"keep the logged-on user's copy", "1", "0", "Aoi memo", false},
        {"put the registration copy back", "1", "1", "All Users memo", true},
        {"any other type counts as the registration copy", "1", "x", "All Users memo", true},
    };
    for (const auto& t : cases) {
        Desk d;
        SeedTwoItems(d);
        d.Ini("Delete", "Check", t.check);
        d.Ini("Delete", "Type", t.type);
        LervIni& dlg = OpenSettings(d);
        dlg.FileList.RemoveItem(0);
        std::vector<std::string> phasesAtCopy;
        TollervyMain& main = d.forms.TollervyMain();
        d.p.host.onRepaint = [&](ui::Form&) { phasesAtCopy.push_back(main.StatusMess.Caption()); };
        d.p.fs.ResetCounts();
        EXPECT_TRUE(dlg.ApplyFileList()) << t.what;
        EXPECT_EQ(d.p.fs.Content(Work + "memo.txt"), t.inPlaceAfter) << t.what;
        EXPECT_EQ(d.p.fs.Calls(fakes::FakeFileSystem::Op::Copy) > 0, t.restored) << t.what;
        if (t.restored) {
            ASSERT_FALSE(phasesAtCopy.empty()) << t.what;
            EXPECT_EQ(phasesAtCopy.front(), "All Usersの情報を回復中") << t.what;
        }
        for (const char* user : {"Aoi", "Ben", "All Users"})
            EXPECT_FALSE(d.p.fs.Exists(Stored(user, "F1"))) << t.what << " " << user;
        EXPECT_TRUE(d.p.fs.Exists(Stored("Ben", "F2\\n.txt"))) << t.what;
        EXPECT_EQ(FileSection(d), (std::vector<std::string>{"F2=" + Work + "Notes\\"})) << t.what;
        InPlaceRecord record;
        record.Load(d.p.context);
        EXPECT_EQ(record.Owner("F1"), "") << t.what << ": a key that left the list left the record";
        // The progress display is put away at the end.
        EXPECT_FALSE(main.Visible()) << t.what;
        EXPECT_EQ(main.Left(), d.p.system.screenWidth) << t.what;
    }
}

TEST(FileListPage, RemovingEveryRowDeletesAllKeysFirst) {
    Desk d;
    SeedTwoItems(d);
    LervIni& dlg = OpenSettings(d);
    dlg.FileList.Clear();
    // The first purge finds both keys already gone.
    d.p.fs.FailPath(Stored("Ben", "F1"), true, 5, fakes::FakeFileSystem::Op::RemoveFolder);
    EXPECT_FALSE(dlg.ApplyFileList());
    EXPECT_TRUE(FileSection(d).empty());
    EXPECT_TRUE(dlg.FileList.Items().empty());
    d.p.fs.ClearFaults();
    EXPECT_TRUE(dlg.ApplyFileList());
}

TEST(FileListPage, TheDataChoiceDialogDecidesWhenTheCheckIsOff) {
    for (int choice : {0, 1}) {
        Desk d;
        SeedTwoItems(d);
        d.Ini("Delete", "Check", "0");
        LervIni& dlg = OpenSettings(d);
        dlg.FileList.RemoveItem(0);
        int shown = 0;
        d.p.host.OnShow("FormDelete", [&](ui::Form& f) {
            auto& form = static_cast<FormDelete&>(f);
            ++shown;
            EXPECT_EQ(form.DeleteFile.Caption(), Work + "memo.txt");
            EXPECT_EQ(form.OptionDelete[0].Caption(), "Aoiのデータ");
            EXPECT_TRUE(form.OptionDelete[0].Value());
            form.OptionDelete[choice].SetValue(true);
            form.DataUseBtn.Click();
        });
        EXPECT_TRUE(dlg.ApplyFileList());
        EXPECT_EQ(shown, 1);
        EXPECT_EQ(d.state.RemovedFileDataUser, choice == 0 ? "Aoi" : "All Users");
        EXPECT_EQ(d.p.fs.Content(Work + "memo.txt"), choice == 0 ? "Aoi memo" : "All Users memo");
    }
}

TEST(FileListPage, ClosingTheDataChoiceWithoutItsButtonKeepsTheLoggedOnUsersCopy) {
    for (const char* how : {"close box", "Escape"}) {
        Desk d;
        SeedTwoItems(d);
        d.Ini("Delete", "Check", "0");
        LervIni& dlg = OpenSettings(d);
        dlg.FileList.RemoveItem(0);
        d.state.RemovedFileDataUser = "garbage";
        d.p.host.OnShow("FormDelete", [&](ui::Form& f) {
            auto& form = static_cast<FormDelete&>(f);
            form.OptionDelete[1].SetValue(true);  // chosen, but not confirmed
            if (std::string(how) == "Escape") EXPECT_TRUE(form.Form_KeyDown(27));
            else form.Unload();
        });
        EXPECT_TRUE(dlg.ApplyFileList()) << how;
        EXPECT_EQ(d.state.RemovedFileDataUser, "Aoi") << how;
        EXPECT_EQ(d.p.fs.Content(Work + "memo.txt"), "Aoi memo") << how;
    }
}

TEST(FormDelete, AsksNothingForAllUsersAndFitsALongPath) {
    Desk d;
    SeedTwoItems(d);
    OpenSettings(d);
    FormDelete& form = d.forms.FormDelete();
    d.state.CurrentUserName = "All Users";
    d.state.RemovedFilePath = Work + "memo.txt";
    form.ShowModal();
    EXPECT_EQ(d.p.host.CountsOf("FormDelete").shown, 0);
    EXPECT_EQ(d.state.RemovedFileDataUser, "All Users");
    EXPECT_FALSE(form.Loaded());

    d.state.CurrentUserName = "Aoi";
    d.state.StartJapanese = "0";
    int widthShort = 0, widthLong = 0;
    for (std::string path : {std::string("C:\\a"), Work + std::string(120, 'x') + "\\長い名前.txt"}) {
        d.state.RemovedFilePath = path;
        d.p.host.OnShow("FormDelete", [&](ui::Form& f) {
            auto& fd = static_cast<FormDelete&>(f);
            (path.size() < 10 ? widthShort : widthLong) = fd.Width();
            EXPECT_EQ(fd.DeleteFile.Width(), d.p.host.charWidth * static_cast<int>(text::Length(path)));
            EXPECT_GE(fd.Width(), fd.DeleteFile.Width());
            EXPECT_EQ(fd.DataUseBtn.Left(), (fd.Width() - fd.DataUseBtn.Width()) / 2);
            EXPECT_EQ(fd.LabelMess.GetFont().face, "ＭＳ Ｐゴシック");
            EXPECT_EQ(fd.LabelMess.GetFont().charset, 128);
            EXPECT_EQ(d.p.host.FocusOf("FormDelete"), "DataUseBtn") << "Enter takes the proposed answer";
            fd.DataUseBtn.Click();
        });
        form.ShowModal();
        EXPECT_EQ(d.state.RemovedFileDataUser, "Aoi");
    }
    EXPECT_GT(widthLong, widthShort);
    EXPECT_EQ(d.p.host.CountsOf("FormDelete").shownModal, 2);
}

// A long hand-edited [File] section costs a save work in proportion to its
// length, counted rather than timed: the rows of the list are each read once
// when the section's lines find their rows, and the calls into the file
// system and the profile functions grow with the rows added, not with the
// square of the section.
TEST(FileListPage, ASaveCostsInProportionToTheLengthOfTheSection) {
    struct CountingRows {
        const std::vector<std::string>& texts;
        mutable long reads = 0;
        std::size_t size() const { return texts.size(); }
        const std::string& operator[](std::size_t r) const {
            ++reads;
            return texts[r];
        }
    };
    struct Cost {
        long rowReads = 0, platformCalls = 0;
    };
    auto costOf = [](int n) {
        Cost cost;
        // The lines' paths, one of them twice; the rows: all but the first line.
        std::vector<std::string> paths, rows;
        for (int i = 0; i < n; ++i) paths.push_back(Work + "f" + std::to_string(i % (n - 1)) + ".txt");
        rows.assign(paths.begin() + 1, paths.end());
        CountingRows counted{rows};
        const std::vector<int> kept = KeptRows(paths, counted);
        EXPECT_EQ(kept.front(), static_cast<int>(rows.size()) - 1);  // its path's one row
        EXPECT_EQ(kept.back(), -1);                                   // taken by the first line
        cost.rowReads = counted.reads;

        Desk d;
        SeedTwoItems(d);
        std::string section = "[Start]\r\nStarted=1\r\n[Last]\r\nUser=Aoi\r\nMessage=0\r\n[Delete]\r\nType=1\r\n[File]\r\n";
        for (int i = 1; i <= n; ++i) section += "F" + std::to_string(i) + "=" + Work + "f" + std::to_string(i) + ".txt\r\n";
        d.p.fs.AddFile(Desk::Ini_, section);
        d.p.fs.AddFile(Stored("All Users", "F1\\f1.txt"), "common");
        d.p.fs.AddFile(Work + "f1.txt", "Aoi");
        for (int i = 0; i < n / 10; ++i) d.p.fs.AddFile(Work + "new" + std::to_string(i) + ".txt", "new");
        LervIni& dlg = OpenSettings(d);
        EXPECT_EQ(dlg.FileList.ListCount(), n);
        dlg.FileList.RemoveItem(0);
        for (int i = 0; i < n / 10; ++i) {
            dlg.FilePath.SetText(Work + "new" + std::to_string(i) + ".txt");
            dlg.FileAdd.Click();
        }
        d.p.fs.ResetCounts();
        const int profileBefore = d.p.profile.Reads() + static_cast<int>(d.p.profile.Writes().size());
        EXPECT_TRUE(dlg.ApplyFileList()) << ::testing::PrintToString(d.p.messages.Texts());
        EXPECT_EQ(static_cast<int>(FileSection(d).size()), n - 1 + n / 10);
        EXPECT_EQ(d.p.fs.Content(Work + "f1.txt"), "common");
        for (std::size_t op = 0; op < fakes::FakeFileSystem::OpCount; ++op)
            cost.platformCalls += d.p.fs.Calls(static_cast<fakes::FakeFileSystem::Op>(op));
        cost.platformCalls += d.p.profile.Reads() + static_cast<long>(d.p.profile.Writes().size()) - profileBefore;
        return cost;
    };
    const Cost small = costOf(200), large = costOf(800);
    EXPECT_EQ(small.rowReads, 199);
    EXPECT_LE(large.rowReads, 4 * small.rowReads + 4);
    EXPECT_LE(large.platformCalls, 5 * small.platformCalls)
        << small.platformCalls << " calls for 200 lines, " << large.platformCalls << " for 800";
}

}  // namespace
}  // namespace tollervy
