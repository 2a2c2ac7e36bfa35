// The drive, folder and file lists behind the pickers: their rows, what a
// click and a double click do, and how a folder that cannot be read leaves
// them.
#include <gtest/gtest.h>

#include "Desk.h"
#include "dialogs/PathLists.h"

namespace tollervy {
namespace {

struct ListsForm : ui::Form {
    explicit ListsForm(ui::FormHost& host) : ui::Form(host, "Lists", 0) {}
};

class Lists : public ::testing::Test {
protected:
    Desk desk;
    ListsForm form{desk.p.host};
    ui::ListBox driveBox{form, 1, "Drive"};
    ui::ListBox folderBox{form, 2, "Folder"};
    ui::ListBox fileBox{form, 3, "File"};
    DriveList drives{desk.p.context, driveBox};
    FolderList folders{desk.p.context, folderBox};
    FileList files{desk.p.context, fileBox};
    int folderChanges = 0, driveChanges = 0;

    void SetUp() override {
        folders.Change = [this] { ++folderChanges; };
        drives.Change = [this] { ++driveChanges; };
        desk.p.fs.AddFolder("C:\\a\\b\\zeta");
        desk.p.fs.AddFolder("C:\\a\\b\\Beta");
        desk.p.fs.AddFolder("C:\\a\\b\\alpha");
        desk.p.fs.AddFolder("C:\\a\\b\\secret", platform::AttrDirectory | platform::AttrHidden);
        desk.p.fs.AddFile("C:\\a\\b\\Note.txt");
        desk.p.fs.AddFile("C:\\a\\b\\apple.txt", "", platform::AttrReadOnly);
        desk.p.fs.AddFile("C:\\a\\b\\sys.dat", "", platform::AttrSystem);
        desk.p.fs.AddFile("C:\\a\\b\\hid.dat", "", platform::AttrHidden);
        desk.p.fs.AddDrive("E:");
    }
};

TEST_F(Lists, FolderRowsShowAncestorsTheOpenFolderAndSubfoldersIndented) {
    ASSERT_TRUE(folders.SetPath("C:\\a\\b\\"));
    EXPECT_EQ(folders.Path(), "C:\\a\\b");
    EXPECT_EQ(folderBox.Items(), (std::vector<std::string>{"▽ C:\\", "　▽ a", "　　▼ b", "　　　▷ alpha",
                                                            "　　　▷ Beta", "　　　▷ zeta"}));
    EXPECT_EQ(folders.RowPaths(), (std::vector<std::string>{"C:\\", "C:\\a", "C:\\a\\b", "C:\\a\\b\\alpha",
                                                             "C:\\a\\b\\Beta", "C:\\a\\b\\zeta"}));
    EXPECT_EQ(folders.OpenRow(), 2);
    EXPECT_EQ(folderBox.ListIndex(), 2) << "the open folder is highlighted";
    EXPECT_EQ(folderChanges, 1);

    ASSERT_TRUE(folders.SetPath("C:"));
    EXPECT_EQ(folders.Path(), "C:\\");
    EXPECT_EQ(folderBox.List(0), "▼ C:\\");
    EXPECT_EQ(folderBox.List(1), "　▷ a");
    EXPECT_EQ(folderChanges, 2);

    // Opening the same folder again only refreshes it.
    const int rows = folderBox.ListCount();
    desk.p.fs.AddFolder("C:\\new");
    ASSERT_TRUE(folders.SetPath("C:\\"));
    EXPECT_EQ(folderChanges, 2);
    EXPECT_EQ(folderBox.ListCount(), rows + 1);
}

TEST_F(Lists, ClickHighlightsDoubleClickOpens) {
    ASSERT_TRUE(folders.SetPath("C:\\a"));
    folderBox.SetListIndex(2);  // b
    EXPECT_EQ(folders.Path(), "C:\\a");
    EXPECT_EQ(folders.HighlightedPath(), "C:\\a\\b");
    EXPECT_EQ(folderChanges, 1);
    folderBox.DblClick();
    EXPECT_EQ(folders.Path(), "C:\\a\\b");
    EXPECT_EQ(folderChanges, 2);
    folderBox.SetListIndex(0);  // the root, upwards
    folderBox.DblClick();
    EXPECT_EQ(folders.Path(), "C:\\");
    folderBox.DblClick();  // the open folder: nothing happens
    EXPECT_EQ(folderChanges, 3);
}

TEST_F(Lists, AFolderThatCannotBeReadLeavesTheListAsItWas) {
    ASSERT_TRUE(folders.SetPath("C:\\a\\b"));
    const auto rows = folderBox.Items();
    struct Case {
        const char* name;
        std::string path;
    };
    desk.p.fs.FailPath("C:\\a\\b\\zeta", true, 5);
    for (const Case& c : std::vector<Case>{{"missing", "C:\\nowhere"},
                                           {"a file", "C:\\a\\b\\Note.txt"},
                                           {"refused", "C:\\a\\b\\zeta"},
                                           {"no drive", "Q:\\"},
                                           {"not a full path", "a\\b"}}) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(folders.SetPath(c.path));
        EXPECT_FALSE(folders.ErrorText().empty());
        EXPECT_EQ(folders.Path(), "C:\\a\\b");
        EXPECT_EQ(folderBox.Items(), rows);
    }
    EXPECT_EQ(folderChanges, 1);

    // A double click on a folder that went away says why and stays.
    folderBox.SetListIndex(5);  // zeta, refused
    desk.p.messages.Expect("Access is denied.", platform::AnswerOK);
    folderBox.DblClick();
    EXPECT_EQ(folders.Path(), "C:\\a\\b");
}

TEST_F(Lists, FileRowsArePlainFilesSorted) {
    ASSERT_TRUE(files.SetPath("C:\\a\\b"));
    EXPECT_EQ(fileBox.Items(), (std::vector<std::string>{"apple.txt", "Note.txt"}));
    EXPECT_TRUE(files.SelectName("Note.txt"));
    EXPECT_EQ(files.FileName(), "Note.txt");
    EXPECT_FALSE(files.SelectName("note.txt"));
    EXPECT_EQ(files.FileName(), "Note.txt");
    EXPECT_FALSE(files.SetPath("C:\\nowhere"));
    EXPECT_EQ(files.Path(), "C:\\a\\b");
    EXPECT_EQ(files.FileName(), "Note.txt");
    ASSERT_TRUE(files.SetPath("C:\\a"));
    EXPECT_TRUE(fileBox.Items().empty());
    EXPECT_EQ(files.FileName(), "");
}

TEST_F(Lists, DrivesByTheirRoot) {
    drives.Reset("E:\\x");
    EXPECT_EQ(driveBox.Items(), (std::vector<std::string>{"C:\\", "E:\\"}));
    EXPECT_EQ(drives.Drive(), "E:\\");
    EXPECT_EQ(driveChanges, 0) << "a reset raises nothing";
    EXPECT_TRUE(drives.SetDrive("c:\\whatever"));
    EXPECT_EQ(drives.Drive(), "C:\\");
    EXPECT_EQ(driveChanges, 1);
    EXPECT_TRUE(drives.SetDrive("C:"));
    EXPECT_EQ(driveChanges, 1) << "the same drive is no change";
    EXPECT_FALSE(drives.SetDrive("Q:\\"));
    EXPECT_FALSE(drives.SetDrive(""));
    EXPECT_EQ(drives.Drive(), "C:\\");
}

TEST(PathListText, FoldersNormalisedAndEndedWithOneBackslash) {
    const std::vector<std::pair<std::string, std::string>> normal{
        {"C:", "C:\\"},   {"c:\\", "c:\\"},  {"C:\\a\\\\", "C:\\a"}, {"C:\\a", "C:\\a"},
        {"a\\b", ""},     {"C:a", ""},        {"", ""},              {"1:\\", ""}};
    for (const auto& [in, out] : normal) EXPECT_EQ(NormalFolder(in), out) << in;
    EXPECT_EQ(FolderWithBackslash("C:\\"), "C:\\");
    EXPECT_EQ(FolderWithBackslash("C:\\a"), "C:\\a\\");
}

}  // namespace
}  // namespace tollervy
