// The folder picker: it opens at the current user's Start-up folder, hands
// back the folder that is open, and refuses while that is not the folder it
// last opened.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "PickerDesk.h"
#include "dialogs/DirPathFrm.h"
#include "dialogs/LervIni.h"

namespace tollervy {
namespace {

constexpr int Enter = 13;
constexpr int Escape = 27;
const std::string Startup = "C:\\Documents and Settings\\Taro\\スタート メニュー\\プログラム\\スタートアップ";

class FolderPicker : public ::testing::Test {
protected:
    PickerDesk desk;
    DirPathFrm& f = desk.forms.DirPathFrm();

    void SetUp() override { desk.state.DirPathTarget = &desk.owner.Box; }

    void Show(const std::string& target, std::function<void(DirPathFrm&)> user) {
        desk.Target(target);
        desk.p.host.OnShowOnce("DirPathFrm", [user](ui::Form& form) { user(static_cast<DirPathFrm&>(form)); });
        f.ShowModal();
    }
    static int RowOf(DirPathFrm& form, const std::string& path) {
        const auto& rows = form.Folders.RowPaths();
        const auto it = std::find(rows.begin(), rows.end(), path);
        EXPECT_NE(it, rows.end()) << path;
        return static_cast<int>(it - rows.begin());
    }
    static void Open(DirPathFrm& form, const std::string& path) {
        form.PathDir.SetListIndex(RowOf(form, path));
        form.PathDir.DblClick();
    }
};

TEST_F(FolderPicker, HasItsCaptionsAndControls) {
    EXPECT_EQ(f.Name(), "DirPathFrm");
    EXPECT_EQ(f.TemplateId(), 1100);
    EXPECT_EQ(f.Caption(), "フォルダの選択");
    EXPECT_EQ(f.SelectPathBtn.Caption(), "選択");
    EXPECT_EQ(f.CancelPathBtn.Caption(), "キャンセル");
    std::vector<std::pair<std::string, int>> ids;
    for (const ui::Control* control : f.Controls()) ids.emplace_back(control->Name(), control->Id());
    EXPECT_EQ(ids, (std::vector<std::pair<std::string, int>>{
                       {"PathDrive", 1101}, {"PathDir", 1102}, {"SelectPathBtn", 1103}, {"CancelPathBtn", 1104}}));
}

// Whatever the box holds, the picker opens at the Start-up folder and Select
// hands that back.
TEST_F(FolderPicker, StartsAtTheStartUpFolder) {
    for (const std::string target : {"", "D:\\Music", "relative"}) {
        SCOPED_TRACE(target);
        Show(target, [this](DirPathFrm& form) {
            EXPECT_EQ(form.Drives.Drive(), "C:\\");
            EXPECT_EQ(form.mstrDrive, "C:\\");
            EXPECT_EQ(form.Folders.Path(), Startup);
            EXPECT_EQ(form.mstrPath, Startup);
            EXPECT_EQ(form.PathDir.ListIndex(), form.Folders.OpenRow());
            EXPECT_EQ(desk.p.host.FocusOf("DirPathFrm"), "PathDir") << "the focus starts in the folder list";
            form.SelectPathBtn.Click();
        });
        EXPECT_EQ(desk.owner.Box.Text(), Startup);
        EXPECT_EQ(desk.boxChanges, target == Startup ? 0 : 1);
        EXPECT_FALSE(f.Loaded());
    }
}

TEST_F(FolderPicker, SelectHandsBackTheOpenFolderNotAHighlightedOne) {
    desk.p.fs.AddFolder(Startup + "\\Sub");
    Show("", [](DirPathFrm& form) {
        form.PathDir.SetListIndex(RowOf(form, Startup + "\\Sub"));
        EXPECT_EQ(form.Folders.HighlightedPath(), Startup + "\\Sub");
        form.SelectPathBtn.Click();
    });
    EXPECT_EQ(desk.owner.Box.Text(), Startup);

    Show("", [](DirPathFrm& form) {
        Open(form, Startup + "\\Sub");
        EXPECT_EQ(form.mstrPath, Startup + "\\Sub");
        Open(form, "C:\\Documents and Settings");
        EXPECT_TRUE(form.Form_KeyDown(Enter));
    });
    EXPECT_EQ(desk.owner.Box.Text(), "C:\\Documents and Settings");
}

// A Start-up folder that is missing (or that the shell cannot name) leaves the
// lists where they could go; Select refuses until another folder is opened.
TEST_F(FolderPicker, MissingStartUpFolderIsRefusedUntilAnotherFolderOpens) {
    struct Case {
        const char* name;
        std::function<void(PickerDesk&)> arrange;
        std::string mstrPath;
    };
    const std::vector<Case> cases{
        {"the folder is missing", [](PickerDesk& d) { d.p.fs.Remove(Startup); }, Startup},
        {"the shell names none", [](PickerDesk& d) { d.p.shell.specialFolders.erase(platform::CsidlStartup); }, ""},
        {"the shell names no full path",
         [](PickerDesk& d) { d.p.shell.specialFolders[platform::CsidlStartup] = "Startup"; }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PickerDesk d;
        c.arrange(d);
        d.state.DirPathTarget = &d.owner.Box;
        d.Target("kept");
        d.p.host.OnShowOnce("DirPathFrm", [&](ui::Form& form) {
            auto& picker = static_cast<DirPathFrm&>(form);
            // The lists stay at their default, the current folder.
            EXPECT_EQ(picker.Folders.Path(), PickerDesk::Current);
            EXPECT_EQ(picker.mstrPath, c.mstrPath);
            d.p.messages.Expect(
                [&](const std::string& text) {
                    return text == "このパスを設定することはできません\r\n\r\n" + std::string(PickerDesk::Current);
                },
                "the refusal with the open folder", platform::AnswerOK);
            picker.SelectPathBtn.Click();
            EXPECT_TRUE(picker.Loaded());
            EXPECT_EQ(d.p.messages.Last().style, 16u | 4096u);
            EXPECT_EQ(d.owner.Box.Text(), "kept");

            Open(picker, "C:\\Program Files");
            picker.SelectPathBtn.Click();
        });
        d.forms.DirPathFrm().ShowModal();
        EXPECT_EQ(d.owner.Box.Text(), "C:\\Program Files");
        EXPECT_EQ(d.p.messages.Count(), 1u);
    }
}

TEST_F(FolderPicker, DrivesOpenAtTheirRootAndAnUnreadableOneGoesBack) {
    Show("kept", [&](DirPathFrm& form) {
        desk.p.fs.FailPath("D:\\", true, 21);
        desk.p.messages.Expect("The device is not ready.", platform::AnswerOK);
        form.PathDrive.SetListIndex(1);
        EXPECT_EQ(form.Drives.Drive(), "C:\\");
        EXPECT_EQ(form.Folders.Path(), Startup);
        EXPECT_EQ(form.mstrPath, Startup);

        desk.p.fs.ClearFaults();
        form.PathDrive.SetListIndex(1);
        EXPECT_EQ(form.mstrDrive, "D:\\");
        EXPECT_EQ(form.Folders.Path(), "D:\\");
        EXPECT_EQ(form.mstrPath, "D:\\");
        form.SelectPathBtn.Click();
    });
    EXPECT_EQ(desk.owner.Box.Text(), "D:\\") << "a drive root keeps its backslash";
}

TEST_F(FolderPicker, StartUpFolderOnAnUnreadableDrive) {
    desk.p.shell.specialFolders[platform::CsidlStartup] = "D:\\Startup";
    desk.p.fs.AddFolder("D:\\Startup");
    desk.p.fs.FailPath("D:\\", true, 21);
    desk.p.messages.Expect("The device is not ready.", platform::AnswerOK);
    Show("kept", [&](DirPathFrm& form) {
        EXPECT_EQ(form.Drives.Drive(), "C:\\");
        EXPECT_EQ(form.mstrDrive, "C:\\");
        EXPECT_EQ(form.Folders.Path(), PickerDesk::Current);
        desk.p.messages.Expect("このパスを設定することはできません", platform::AnswerOK);
        form.SelectPathBtn.Click();
        EXPECT_TRUE(form.Form_KeyDown(Escape));
    });
    EXPECT_EQ(desk.owner.Box.Text(), "kept");
    EXPECT_EQ(desk.boxChanges, 0);
    EXPECT_FALSE(f.Loaded());
}

TEST_F(FolderPicker, CancelLeavesTheBoxAndTheNextOpeningStartsAfresh) {
    Show("kept", [](DirPathFrm& form) {
        Open(form, "C:\\Documents and Settings");
        form.CancelPathBtn.Click();
    });
    EXPECT_EQ(desk.owner.Box.Text(), "kept");
    EXPECT_EQ(desk.boxChanges, 0);
    Show("kept", [](DirPathFrm& form) {
        EXPECT_EQ(form.Folders.Path(), Startup);
        form.CancelPathBtn.Click();
    });
}

TEST_F(FolderPicker, PathControlsFollowTheJapanesePathOption) {
    for (const auto& [japanese, face] : std::vector<std::pair<std::string, std::string>>{
             {"0", "ＭＳ Ｐゴシック"}, {"1", "ＭＳ ゴシック"}, {"", "ＭＳ ゴシック"}}) {
        SCOPED_TRACE("StartJapanese=" + japanese);
        desk.state.StartJapanese = japanese;
        Show("", [&](DirPathFrm& form) {
            EXPECT_EQ(form.PathDrive.GetFont(), (ui::Font{face, 128}));
            EXPECT_EQ(form.PathDir.GetFont(), (ui::Font{face, 128}));
            form.CancelPathBtn.Click();
        });
    }
}

// The start-up page's "..." opens the picker at the Start-up folder; the
// folder the user opens there comes back as a new, ticked row.
TEST_F(FolderPicker, TheStartUpPageAddsTheFolderOpenedInThePicker) {
    desk.p.fs.AddFolder(Desk::Data);
    desk.p.fs.AddFolder("D:\\Boot");
    desk.Ini("Start", "Started", "1");
    desk.Ini("Last", "User", "All Users");
    desk.p.system.commandLine = "-s";
    ASSERT_EQ(desk.Start(), std::nullopt);
    LervIni& l = desk.forms.LervIni();
    const int before = desk.state.StartUpPathCount;
    const int adding = before - l.ScrollStartUpList.Value();
    desk.p.host.OnShowOnce("DirPathFrm", [&](ui::Form& form) {
        auto& picker = static_cast<DirPathFrm&>(form);
        EXPECT_EQ(desk.state.DirPathTarget, &l.TextStartPath[adding]);
        EXPECT_EQ(picker.Folders.Path(), Startup);
        picker.PathDrive.SetListIndex(1);  // D:
        Open(picker, "D:\\Boot");
        picker.SelectPathBtn.Click();
    });
    l.StartUpPathBtn[adding].Click();
    ASSERT_EQ(desk.state.StartUpPathCount, before + 1);
    EXPECT_EQ(desk.state.StartUpPathList[static_cast<std::size_t>(before)].Path, "D:\\Boot");
    EXPECT_EQ(desk.state.StartUpPathList[static_cast<std::size_t>(before)].Registered, "1");
    EXPECT_EQ(l.TextStartPath[adding].Text(), "D:\\Boot");
}

}  // namespace
}  // namespace tollervy
