// The user file on the (fake) disk and the logon check against the list it
// gives.
#include <gtest/gtest.h>

#include <functional>

#include "fakes/Cp932.h"
#include "fakes/FakePlatform.h"
#include "users/UserList.h"

namespace tollervy {
namespace {

using fakes::FakeFileSystem;

class UsersFile : public ::testing::Test {
protected:
    fakes::FakePlatform p;
    Context& c = p.context;
    GrobalMod& s = p.context.state;
    const std::string userFile = fakes::FakePlatform::DataPath() + "\\User.dat";

    void SetUp() override { p.fs.AddFolder(fakes::FakePlatform::DataPath()); }

    void WriteUserFile(const std::vector<std::string>& lines) { p.fs.AddTextFile(userFile, lines); }

    // Profile users as the users page prepares them before it loads the file.
    void PrepareProfiles(const std::vector<std::string>& names) {
        s.ProfileUserNames = names;
        s.UserList.clear();
        for (const auto& n : names) s.UserList.push_back(UserRecord{n, "", true, true});
        s.UserCount = static_cast<std::int16_t>(names.size());
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int i = 0; i < s.UserCount; ++i) names.push_back(s.UserList[static_cast<std::size_t>(i)].Name);
        return names;
    }
};

TEST_F(UsersFile, LoadsOneRecordPerWellFormedLine) {
    WriteUserFile({"Aoi,pw,1", "Ken,,0", "two,fields", "four,fields,1,x", "", "Mio,m,1,", "Rin,r,yes"});
    LoadUserFile(c);

    EXPECT_EQ(s.UserFilePath, userFile);
    ASSERT_EQ(Names(), (std::vector<std::string>{"Aoi", "Ken", "Mio", "Rin"}));
    EXPECT_EQ(s.UserList[0].Password, "pw");
    EXPECT_TRUE(s.UserList[0].InUse);
    EXPECT_FALSE(s.UserList[0].IsProfileUser);
    EXPECT_EQ(s.UserList[1].Password, "");
    EXPECT_FALSE(s.UserList[1].InUse);
    EXPECT_TRUE(s.UserList[2].InUse);   // the trailing comma is dropped
    EXPECT_FALSE(s.UserList[3].InUse);  // only "1" switches a new user on
}

TEST_F(UsersFile, KeepsAQuotedCommaWithItsQuotes) {
    WriteUserFile({"Aoi,\"a,b\",1"});
    LoadUserFile(c);
    ASSERT_EQ(s.UserCount, 1);
    EXPECT_EQ(s.UserList[0].Password, "\"a,b\"");
    EXPECT_EQ(CheckLogon(c, "Aoi", "\"a,b\""), LogonAccepted);
}

TEST_F(UsersFile, MissingOrUnreadableFileLeavesOnlyTheProfileUsers) {
    PrepareProfiles({"Taro"});
    LoadUserFile(c);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Taro"}));

    WriteUserFile({"Aoi,pw,1"});
    p.fs.FailPath(userFile, false, 5, FakeFileSystem::Op::Read);
    LoadUserFile(c);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Taro"}));
    EXPECT_EQ(CheckLogon(c, "Aoi", "pw"), LogonUnknown);
}

TEST_F(UsersFile, ReloadingRebuildsTheListInsteadOfGrowingIt) {
    WriteUserFile({"Aoi,pw,1", "Ken,k,1"});
    LoadUserFile(c);
    LoadUserFile(c);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Aoi", "Ken"}));
    EXPECT_EQ(s.UserList.size(), 2u);

    p.fs.Remove(userFile);
    LoadUserFile(c);
    EXPECT_EQ(s.UserCount, 0);
    EXPECT_EQ(CheckLogon(c, "Aoi", "pw"), LogonUnknown);
}

TEST_F(UsersFile, DuplicateRegisteredNamesGiveTwoRecordsAndTheFirstCounts) {
    WriteUserFile({"Aoi,first,1", "Aoi,second,1"});
    LoadUserFile(c);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Aoi", "Aoi"}));
    EXPECT_EQ(CheckLogon(c, "Aoi", "first"), LogonAccepted);
    EXPECT_EQ(CheckLogon(c, "Aoi", "second"), LogonWrongPassword);

    WriteUserFile({"Aoi,first,0", "Aoi,second,1"});
    LoadUserFile(c);
    EXPECT_EQ(CheckLogon(c, "Aoi", "second"), LogonUnknown);  // the first record is switched off
}

TEST_F(UsersFile, EveryLineUpdatesTheProfileUserInPlace) {
    PrepareProfiles({"Taro", "Hana"});
    WriteUserFile({"Taro,one,1", "Aoi,a,1", "Taro,two,1", "Hana,h,0", "Hana,h2,1"});
    LoadUserFile(c);

    ASSERT_EQ(Names(), (std::vector<std::string>{"Taro", "Hana", "Aoi"}));
    EXPECT_EQ(s.UserList[0].Password, "two");  // the last password wins
    EXPECT_TRUE(s.UserList[0].InUse);
    EXPECT_TRUE(s.UserList[0].IsProfileUser);
    EXPECT_EQ(s.UserList[1].Password, "h2");
    EXPECT_FALSE(s.UserList[1].InUse);  // a "0" anywhere switches it off; "1" does not switch it back
    EXPECT_TRUE(s.UserList[1].IsProfileUser);
    EXPECT_FALSE(s.UserList[2].IsProfileUser);
}

TEST_F(UsersFile, AppendedRecordsAreNotMatchedAsProfileUsers) {
    PrepareProfiles({"Taro"});
    WriteUserFile({"Aoi,one,1", "Aoi,two,0"});
    LoadUserFile(c);
    ASSERT_EQ(Names(), (std::vector<std::string>{"Taro", "Aoi", "Aoi"}));
    EXPECT_EQ(s.UserList[1].Password, "one");
    EXPECT_TRUE(s.UserList[1].InUse);
}

TEST_F(UsersFile, ASpareEmptyProfileNameIsNotCounted) {
    // A list grown by appending keeps one spare empty element at its end.
    PrepareProfiles({"Taro"});
    s.ProfileUserNames.push_back("");
    WriteUserFile({"Aoi,a,1"});
    LoadUserFile(c);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Taro", "Aoi"}));
}

TEST_F(UsersFile, ProfileNamesWithoutPreparedRecordsDoNotOverrun) {
    s.ProfileUserNames = {"Taro", "Hana", "Jiro"};
    s.UserList.clear();
    s.UserCount = 0;
    WriteUserFile({"Taro,t,1"});
    LoadUserFile(c);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Taro"}));
    EXPECT_FALSE(s.UserList[0].IsProfileUser);
}

TEST_F(UsersFile, AHugeFileStopsAtTheLargestCount) {
    std::string bytes;
    for (int i = 0; i < 32800; ++i) bytes += "u" + std::to_string(i) + ",p,1\r\n";
    bytes += "Taro,late,0\r\n";
    p.fs.AddFile(userFile, bytes);
    PrepareProfiles({"Taro"});
    LoadUserFile(c);

    EXPECT_EQ(s.UserCount, MaxUserCount);
    EXPECT_EQ(s.UserList.size(), 32767u);
    EXPECT_EQ(s.UserList.back().Name, "u32765");
    // Lines past the limit still update the profile users.
    EXPECT_EQ(s.UserList[0].Password, "late");
    EXPECT_FALSE(s.UserList[0].InUse);
    EXPECT_EQ(CheckLogon(c, "u32765", "p"), LogonAccepted);
    EXPECT_EQ(CheckLogon(c, "u32766", "p"), LogonUnknown);
}

TEST_F(UsersFile, CheckLogonAnswers) {
    WriteUserFile({"Aoi,Secret,1", "Ken,,1", "Off,pw,0"});
    LoadUserFile(c);

    EXPECT_EQ(CheckLogon(c, "Aoi", "Secret"), LogonAccepted);
    EXPECT_EQ(CheckLogon(c, "Aoi", "secret"), LogonWrongPassword);  // passwords keep their case
    EXPECT_EQ(CheckLogon(c, "Aoi", ""), LogonWrongPassword);
    EXPECT_EQ(CheckLogon(c, "aoi", "Secret"), LogonUnknown);  // so do names
    EXPECT_EQ(CheckLogon(c, "Ａｏｉ", "Secret"), LogonUnknown);
    EXPECT_EQ(CheckLogon(c, "Ken", ""), LogonAccepted);
    EXPECT_EQ(CheckLogon(c, "Off", "pw"), LogonUnknown);  // switched off, even with the right password
    EXPECT_EQ(CheckLogon(c, "Nobody", ""), LogonUnknown);
    EXPECT_EQ(CheckLogon(c, "", ""), LogonUnknown);
}

TEST_F(UsersFile, CheckLogonLooksOnlyAtCountedRecords) {
    s.UserList = {UserRecord{"Aoi", "a", true, false}, UserRecord{"Ken", "k", true, false}};
    s.UserCount = 1;
    EXPECT_EQ(CheckLogon(c, "Ken", "k"), LogonUnknown);
    s.UserCount = 5;  // more than the list holds
    EXPECT_EQ(CheckLogon(c, "Ken", "k"), LogonAccepted);
    s.UserCount = -1;
    EXPECT_EQ(CheckLogon(c, "Aoi", "a"), LogonUnknown);
}

TEST_F(UsersFile, SaveWritesOneLinePerRecordInTheAnsiCodePage) {
    s.UserFilePath = userFile;
    s.UserList = {UserRecord{"山田", "パスワード", true, true}, UserRecord{"Ken", "", false, false},
                  UserRecord{"表示", "ソ", true, false}};
    s.UserCount = 3;
    ASSERT_TRUE(SaveUserFile(c));

    const std::string expected = fakes::cp932::FromUtf8("山田,パスワード,1\r\nKen,,0\r\n表示,ソ,1\r\n");
    EXPECT_EQ(p.fs.Content(userFile), expected);
    EXPECT_NE(expected.find("\x95\x5C"), std::string::npos);  // 表 carries a backslash byte

    // And back: the same records (profile users come from the machine, not the file).
    s.UserList.clear();
    s.UserCount = 0;
    LoadUserFile(c);
    ASSERT_EQ(Names(), (std::vector<std::string>{"山田", "Ken", "表示"}));
    EXPECT_EQ(s.UserList[0].Password, "パスワード");
    EXPECT_TRUE(s.UserList[0].InUse);
    EXPECT_FALSE(s.UserList[1].InUse);
    EXPECT_EQ(s.UserList[2].Password, "ソ");
    EXPECT_EQ(CheckLogon(c, "山田", "パスワード"), LogonAccepted);
}

TEST_F(UsersFile, SaveReplacesTheOldFile) {
    WriteUserFile({"Old,o,1", "Older,o,1"});
    s.UserFilePath = userFile;
    s.UserList = {UserRecord{"Aoi", "a", true, false}};
    s.UserCount = 1;
    ASSERT_TRUE(SaveUserFile(c));
    EXPECT_EQ(p.fs.TextLines(userFile), (std::vector<std::string>{"Aoi,a,1"}));
}

TEST_F(UsersFile, SavingAnEmptyListLeavesNoFile) {
    WriteUserFile({"Aoi,a,1"});
    s.UserFilePath = userFile;
    s.UserList = {UserRecord{"Aoi", "a", true, false}};  // a record past the count is not written
    s.UserCount = 0;
    EXPECT_TRUE(SaveUserFile(c));
    EXPECT_FALSE(p.fs.Exists(userFile));
    EXPECT_EQ(p.messages.Count(), 0u);
}

TEST_F(UsersFile, APasswordWithACommaSurvivesTheRoundTrip) {
    s.UserFilePath = userFile;
    s.UserList = {UserRecord{"Aoi", "a,b", true, false}};
    s.UserCount = 1;
    ASSERT_TRUE(SaveUserFile(c));
    EXPECT_EQ(p.fs.TextLines(userFile), (std::vector<std::string>{"Aoi,a|b,1"}));
    s.UserList.clear();
    LoadUserFile(c);
    ASSERT_EQ(s.UserCount, 1);
    EXPECT_EQ(CheckLogon(c, "Aoi", "a,b"), LogonAccepted);
}

TEST_F(UsersFile, SaveFindsTheFileWhenNothingWasLoadedBefore) {
    s.UserList = {UserRecord{"Aoi", "a", true, false}};
    s.UserCount = 1;
    ASSERT_TRUE(SaveUserFile(c));
    EXPECT_EQ(s.UserFilePath, userFile);
    EXPECT_EQ(p.fs.TextLines(userFile), (std::vector<std::string>{"Aoi,a,1"}));
}

TEST_F(UsersFile, AFailedWriteIsReported) {
    s.UserFilePath = userFile;
    s.UserList = {UserRecord{"Aoi", "a", true, false}, UserRecord{"Ken", "k", true, false}};
    s.UserCount = 2;

    // The first line cannot be written.
    p.fs.FailNth(FakeFileSystem::Op::Write, 1);
    p.messages.Expect("ユーザ情報の保存に失敗しました", platform::AnswerOK);
    EXPECT_FALSE(SaveUserFile(c));
    EXPECT_EQ(p.messages.Last().style, 16u + 4096u);
    EXPECT_EQ(p.messages.Last().caption, "Tollervy");

    // A later line fails: reported, not passed off as saved.
    p.fs.ClearFaults();
    p.fs.ResetCounts();
    p.fs.FailNth(FakeFileSystem::Op::Write, 2);
    p.messages.Expect("ユーザ情報の保存に失敗しました", platform::AnswerOK);
    EXPECT_FALSE(SaveUserFile(c));
    EXPECT_EQ(p.messages.Count(), 2u);
}

// Whatever step of a save fails (a full disk, a file held open by another
// program), the old file stays as it was, whole, and nothing is left beside
// it.
TEST_F(UsersFile, AFailedSaveLeavesTheOldFileWhole) {
    struct Case {
        const char* what;
        std::function<void(FakeFileSystem&)> fault;
    };
    const std::string aside = userFile + ".new";
    const Case cases[] = {
        {"the second line of the new file", [](FakeFileSystem& fs) { fs.FailNth(FakeFileSystem::Op::Write, 2, 112); }},
        {"reading the new file back", [](FakeFileSystem& fs) { fs.FailNth(FakeFileSystem::Op::Read, 1); }},
        {"putting it in place", [](FakeFileSystem& fs) { fs.FailNth(FakeFileSystem::Op::Write, 3, 112); }},
        {"a file held open", [&](FakeFileSystem& fs) { fs.FailPath(userFile, false, 32); }},
    };
    for (const auto& t : cases) {
        p.fs.ClearFaults();
        WriteUserFile({"Aoi,old,1", "Ken,k,0"});
        const std::string before = p.fs.Content(userFile);
        s.UserFilePath = userFile;
        s.UserList = {UserRecord{"Aoi", "new", true, false}, UserRecord{"Mio", "m", true, false}};
        s.UserCount = 2;
        p.fs.ResetCounts();
        t.fault(p.fs);
        p.messages.Expect("ユーザ情報の保存に失敗しました", platform::AnswerOK);
        EXPECT_FALSE(SaveUserFile(c)) << t.what;
        p.fs.ClearFaults();
        EXPECT_EQ(p.fs.Content(userFile), before) << t.what;
        EXPECT_FALSE(p.fs.Exists(aside)) << t.what;
    }
}

}  // namespace
}  // namespace tollervy
