// The file picker: where it opens for each kind of text in the target box,
// what the label shows, and what Select, a double click and Cancel leave in
// the box.
#include <gtest/gtest.h>

#include <functional>

#include "FileListPageSupport.h"
#include "PickerDesk.h"
#include "dialogs/FilePathFrm.h"

namespace tollervy {
namespace {

constexpr int Enter = 13;
constexpr int Escape = 27;

class FilePicker : public ::testing::Test {
protected:
    PickerDesk desk;
    FilePathFrm& f = desk.forms.FilePathFrm();

    void SetUp() override { desk.state.FilePathTarget = &desk.owner.Box; }

    // Shows the picker modally over a box holding `target`; `user` acts while
    // it is up and must close it.
    void Show(const std::string& target, std::function<void(FilePathFrm&)> user) {
        desk.Target(target);
        desk.p.host.OnShowOnce("FilePathFrm", [user](ui::Form& form) { user(static_cast<FilePathFrm&>(form)); });
        f.ShowModal();
    }

    struct Seen {
        std::string drive, folder, filesPath, selected, label;
        std::vector<std::string> files;
    };
    static Seen Look(FilePathFrm& form) {
        return Seen{form.Drives.Drive(), form.Folders.Path(), form.Files.Path(), form.Files.FileName(),
                    form.PathDirFile.Caption(), form.PathFile.Items()};
    }
};

TEST_F(FilePicker, HasItsCaptionsAndControls) {
    EXPECT_EQ(f.Name(), "FilePathFrm");
    EXPECT_EQ(f.TemplateId(), 1000);
    EXPECT_EQ(f.Caption(), "ファイルの選択");
    EXPECT_EQ(f.SelectPathBtn.Caption(), "選択");
    EXPECT_EQ(f.CancelPathBtn.Caption(), "キャンセル");
    std::vector<std::pair<std::string, int>> ids;
    for (const ui::Control* control : f.Controls()) ids.emplace_back(control->Name(), control->Id());
    EXPECT_EQ(ids, (std::vector<std::pair<std::string, int>>{{"PathDrive", 1001},
                                                             {"PathDir", 1002},
                                                             {"PathFile", 1003},
                                                             {"PathDirFile", 1004},
                                                             {"SelectPathBtn", 1005},
                                                             {"CancelPathBtn", 1006}}));
}

// Where the picker opens, by the text in the box.
TEST_F(FilePicker, StartsWhereTheTargetTextPoints) {
    struct Case {
        const char* name;
        std::string target;
        Seen seen;
    };
    const std::string cur = PickerDesk::Current;
    const std::vector<std::string> curFiles{"Tollervy.exe", "Tollervy.ini"};
    const std::vector<std::string> docs{"Budget.xls", "report.txt"};
    const std::vector<Case> cases{
        {"empty: the current folder", "", {"C:\\", cur, cur, "", cur + "\\", curFiles}},
        {"a file: its folder, the file selected", "C:\\Docs\\report.txt",
         {"C:\\", "C:\\Docs", "C:\\Docs", "report.txt", "C:\\Docs\\report.txt", docs}},
        {"the name in other case: nothing selected", "C:\\Docs\\REPORT.TXT",
         {"C:\\", "C:\\Docs", "C:\\Docs", "", "C:\\Docs\\REPORT.TXT", docs}},
        {"a folder with a backslash", "C:\\Docs\\", {"C:\\", "C:\\Docs", "C:\\Docs", "", "C:\\Docs\\", docs}},
        {"a folder without one", "C:\\Docs", {"C:\\", "C:\\Docs", "C:\\Docs", "", "C:\\Docs", docs}},
        {"a pattern: its folder", "C:\\Docs\\*.txt", {"C:\\", "C:\\Docs", "C:\\Docs", "", "C:\\Docs\\*.txt", docs}},
        {"a relative name: the current folder", "Tollervy.ini", {"C:\\", cur, cur, "", cur + "\\", curFiles}},
        {"a missing folder on the drive: lists stay, text kept", "C:\\Nowhere\\Tollervy.ini",
         {"C:\\", cur, cur, "", "C:\\Nowhere\\Tollervy.ini", curFiles}},
        {"another drive", "D:\\Music\\a.mp3", {"D:\\", "D:\\Music", "D:\\Music", "a.mp3", "D:\\Music\\a.mp3", {"a.mp3"}}},
        {"a drive root", "D:\\", {"D:\\", "D:\\", "D:\\", "", "D:\\", {"top.txt"}}},
        {"a drive that does not exist: the current folder", "Q:\\x.txt", {"C:\\", cur, cur, "", cur + "\\", curFiles}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Seen seen;
        Show(c.target, [&](FilePathFrm& form) {
            seen = Look(form);
            EXPECT_EQ(form.mstrDrive, c.seen.drive);
            form.CancelPathBtn.Click();
        });
        EXPECT_EQ(seen.drive, c.seen.drive);
        EXPECT_EQ(seen.folder, c.seen.folder);
        EXPECT_EQ(seen.filesPath, c.seen.filesPath);
        EXPECT_EQ(seen.selected, c.seen.selected);
        EXPECT_EQ(seen.label, c.seen.label);
        EXPECT_EQ(seen.files, c.seen.files);
        EXPECT_EQ(desk.owner.Box.Text(), c.target) << "Cancel leaves the box alone";
        EXPECT_EQ(desk.boxChanges, 0);
        EXPECT_FALSE(f.Loaded());
    }
}

TEST_F(FilePicker, EmptyTargetHandsBackTheCurrentFolder) {
    Show("", [](FilePathFrm& form) { form.SelectPathBtn.Click(); });
    EXPECT_EQ(desk.owner.Box.Text(), "C:\\Program Files\\Tollervy\\");
    EXPECT_EQ(desk.boxChanges, 1);
    EXPECT_FALSE(f.Loaded());
}

TEST_F(FilePicker, UnreadableDriveAtStartGoesBackWithThePlatformsMessage) {
    desk.p.fs.FailPath("D:\\", true, 21);
    desk.p.messages.Expect("The device is not ready.", platform::AnswerOK);
    Seen seen;
    Show("D:\\Music\\a.mp3", [&](FilePathFrm& form) {
        seen = Look(form);
        form.SelectPathBtn.Click();
    });
    EXPECT_EQ(desk.p.messages.Last().style, 16u | 4096u);
    EXPECT_EQ(seen.drive, "C:\\");
    EXPECT_EQ(seen.folder, PickerDesk::Current);
    EXPECT_EQ(seen.label, std::string(PickerDesk::Current) + "\\");
    // Select hands back what the lists show, not an empty text.
    EXPECT_EQ(desk.owner.Box.Text(), std::string(PickerDesk::Current) + "\\");
}

TEST_F(FilePicker, ChangingDriveOpensItsRootOrGoesBack) {
    Show("C:\\Docs\\report.txt", [&](FilePathFrm& form) {
        form.PathDrive.SetListIndex(1);  // D:
        EXPECT_EQ(form.mstrDrive, "D:\\");
        EXPECT_EQ(form.Folders.Path(), "D:\\");
        EXPECT_EQ(form.PathFile.Items(), std::vector<std::string>{"top.txt"});
        EXPECT_EQ(form.PathDirFile.Caption(), "D:\\");

        form.PathDrive.SetListIndex(0);  // back to C:, its root
        EXPECT_EQ(form.Folders.Path(), "C:\\");
        form.PathDir.SetListIndex(form.Folders.OpenRow() + 1);  // Docs
        form.PathDir.DblClick();
        ASSERT_EQ(form.Folders.Path(), "C:\\Docs");

        // D: is gone meanwhile: the message, and everything stays as it was.
        desk.p.fs.FailPath("D:\\", true, 21);
        desk.p.messages.Expect("The device is not ready.", platform::AnswerOK);
        form.PathDrive.SetListIndex(1);
        EXPECT_EQ(form.Drives.Drive(), "C:\\");
        EXPECT_EQ(form.mstrDrive, "C:\\");
        EXPECT_EQ(form.Folders.Path(), "C:\\Docs");
        EXPECT_EQ(form.Files.Path(), "C:\\Docs");
        EXPECT_EQ(form.PathDirFile.Caption(), "C:\\Docs\\");
        form.CancelPathBtn.Click();
    });
    EXPECT_EQ(desk.p.messages.Count(), 1u);
}

TEST_F(FilePicker, ClickingShowsTheFileOrTheFolderAndFolderChangesFollow) {
    Show("C:\\Docs\\", [&](FilePathFrm& form) {
        form.PathFile.SetListIndex(0);
        EXPECT_EQ(form.PathDirFile.Caption(), "C:\\Docs\\Budget.xls");
        form.PathFile.SetListIndex(-1);
        EXPECT_EQ(form.PathDirFile.Caption(), "C:\\Docs\\");
        form.PathFile.SetListIndex(1);

        // Opening the subfolder: the file list follows, nothing selected.
        const auto& rows = form.Folders.RowPaths();
        const auto old = std::find(rows.begin(), rows.end(), "C:\\Docs\\Old");
        ASSERT_NE(old, rows.end());
        form.PathDir.SetListIndex(static_cast<int>(old - rows.begin()));
        EXPECT_EQ(form.Folders.Path(), "C:\\Docs") << "a click only highlights";
        EXPECT_EQ(form.PathDirFile.Caption(), "C:\\Docs\\report.txt");
        form.PathDir.DblClick();
        EXPECT_EQ(form.Folders.Path(), "C:\\Docs\\Old");
        EXPECT_EQ(form.Files.Path(), "C:\\Docs\\Old");
        EXPECT_TRUE(form.PathFile.Items().empty());
        EXPECT_EQ(form.PathFile.ListIndex(), -1);
        EXPECT_EQ(form.PathDirFile.Caption(), "C:\\Docs\\Old\\");
        form.SelectPathBtn.Click();
    });
    EXPECT_EQ(desk.owner.Box.Text(), "C:\\Docs\\Old\\");
}

TEST_F(FilePicker, DoubleClickAndEnterHandTheFileBackEscapeDoesNot) {
    Show("C:\\Docs\\", [](FilePathFrm& form) {
        form.PathFile.SetListIndex(1);
        form.PathFile.DblClick();
    });
    EXPECT_EQ(desk.owner.Box.Text(), "C:\\Docs\\report.txt");
    EXPECT_FALSE(f.Loaded());

    Show("D:\\Music\\", [](FilePathFrm& form) {
        form.PathFile.SetListIndex(0);
        EXPECT_TRUE(form.Form_KeyDown(Enter));
    });
    EXPECT_EQ(desk.owner.Box.Text(), "D:\\Music\\a.mp3");

    Show("D:\\Music\\", [](FilePathFrm& form) {
        form.PathFile.SetListIndex(0);
        EXPECT_TRUE(form.Form_KeyDown(Escape));
    });
    EXPECT_EQ(desk.owner.Box.Text(), "D:\\Music\\");
    EXPECT_EQ(desk.boxChanges, 0);
    EXPECT_EQ(desk.p.host.CountsOf("FilePathFrm").shownModal, 3);
}

TEST_F(FilePicker, EachOpeningStartsAfresh) {
    Show("D:\\Music\\a.mp3", [](FilePathFrm& form) { form.CancelPathBtn.Click(); });
    Seen seen;
    Show("", [&](FilePathFrm& form) {
        seen = Look(form);
        EXPECT_EQ(desk.p.host.FocusOf("FilePathFrm"), "PathFile") << "the focus starts in the file list";
        form.CancelPathBtn.Click();
    });
    EXPECT_EQ(seen.drive, "C:\\");
    EXPECT_EQ(seen.folder, PickerDesk::Current);
    EXPECT_EQ(seen.selected, "");
}

TEST_F(FilePicker, PathControlsFollowTheJapanesePathOption) {
    for (const auto& [japanese, face] : std::vector<std::pair<std::string, std::string>>{
             {"0", "ＭＳ Ｐゴシック"}, {"1", "ＭＳ ゴシック"}, {"", "ＭＳ ゴシック"}}) {
        SCOPED_TRACE("StartJapanese=" + japanese);
        desk.state.StartJapanese = japanese;
        Show("", [&](FilePathFrm& form) {
            for (const ui::Control* c : {static_cast<ui::Control*>(&form.PathDrive), static_cast<ui::Control*>(&form.PathDir),
                                         static_cast<ui::Control*>(&form.PathFile),
                                         static_cast<ui::Control*>(&form.PathDirFile)}) {
                EXPECT_EQ(c->GetFont(), (ui::Font{face, 128})) << c->Name();
            }
            EXPECT_EQ(form.SelectPathBtn.GetFont(), ui::Font{}) << "buttons keep the template's font";
            form.CancelPathBtn.Click();
        });
    }
}

// The file list page's "..." opens the picker at the path typed in its box;
// the file double-clicked comes back into that box, ready for "追加".
TEST(FilePickerOnThePage, OpensAtTheTypedPathAndFillsThePathBox) {
    Desk d;
    filelist::SeedTwoItems(d);
    LervIni& dlg = filelist::OpenSettings(d);
    dlg.FilePath.SetText(filelist::Work + "memo.txt");
    bool shown = false;
    d.p.host.OnShowOnce("FilePathFrm", [&](ui::Form& f) {
        shown = true;
        auto& picker = static_cast<FilePathFrm&>(f);
        EXPECT_EQ(picker.Folders.Path(), "C:\\Work");
        EXPECT_EQ(picker.Files.FileName(), "memo.txt");
        EXPECT_EQ(picker.PathFile.Items(), (std::vector<std::string>{"a.log", "memo.txt", "new.txt"}));
        picker.PathFile.SetListIndex(2);
        picker.PathFile.DblClick();
    });
    dlg.FilePathGetButton.Click();
    EXPECT_TRUE(shown);
    EXPECT_EQ(dlg.FilePath.Text(), filelist::Work + "new.txt");
    EXPECT_TRUE(dlg.FileAdd.Enabled());
    EXPECT_FALSE(d.forms.FilePathFrm().Loaded());
}

}  // namespace
}  // namespace tollervy
