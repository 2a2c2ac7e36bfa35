// What the start-up registration expects of shortcut files, checked against
// both platforms: a shortcut is made where asked, found by a listing of its
// name in any letter case, keeps its target when copied elsewhere, and only
// a real shortcut has a target.
#include "contract/ContractTest.h"

namespace tollervy::contract {
namespace {

class ShellContract : public ContractTest {
protected:
    platform::Shell& shell = platform_->shell();
    std::string Target(const std::string& link) {
        std::string target = "<none>";
        if (!shell.ShortcutTarget(link, target)) return "<none>";
        return target;
    }
};

TEST_F(ShellContract, AShortcutKeepsItsTargetWhereverItIsCopied) {
    MakeFolder("プログラム");
    MakeFolder("スタートアップ");
    MakeFile("プログラム\\Tollervy.exe", "MZ");
    const std::string target = At("プログラム\\Tollervy.exe");
    const std::string link = At("プログラム\\Tollervy.LNK");

    ASSERT_TRUE(shell.CreateShortcut(link, target, ""));
    EXPECT_EQ(Target(link), target);
    // Found by the name the program looks for, whatever its case.
    EXPECT_EQ(Listed(At("プログラム\\Tollervy.lnk"), platform::ListFiles), Names{"Tollervy.LNK"});

    const std::string moved = At("スタートアップ\\Tollervy.LNK");
    ASSERT_TRUE(fs.CopyFile(link, moved, false)) << fs.LastErrorText();
    ASSERT_TRUE(fs.DeleteFile(link)) << fs.LastErrorText();
    EXPECT_EQ(Target(moved), target);
    EXPECT_EQ(Target(link), "<none>");
}

TEST_F(ShellContract, OnlyAShortcutHasATarget) {
    MakeFile("Tollervy.lnk", "[not a shortcut]\r\n");
    MakeFolder("folder.lnk");
    EXPECT_EQ(Target(At("Tollervy.lnk")), "<none>");
    EXPECT_EQ(Target(At("missing.lnk")), "<none>");
    EXPECT_EQ(Target(At("folder.lnk")), "<none>");
}

TEST_F(ShellContract, AShortcutIntoAMissingFolderFails) {
    MakeFile("Tollervy.exe", "MZ");
    EXPECT_FALSE(shell.CreateShortcut(At("missing\\Tollervy.LNK"), At("Tollervy.exe"), ""));
    std::uint32_t attributes = 0;
    EXPECT_FALSE(fs.GetAttributes(At("missing"), attributes)) << "no folder is made on the way";
}

}  // namespace
}  // namespace tollervy::contract
