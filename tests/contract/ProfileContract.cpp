// What the settings code expects of the profile functions, checked against
// both platforms. Files with exact content are made with the text-file
// operations (code page 932, CR LF).
#include "contract/ContractTest.h"

namespace tollervy::contract {
namespace {

class ProfileContract : public ContractTest {
protected:
    std::string ini = At("T.ini");

    void WriteIni(const Names& lines) {
        for (const auto& line : lines) ASSERT_TRUE(fs.AppendLine(ini, line)) << fs.LastErrorText();
    }
    std::string Get(const std::string& section, const std::string& key, const std::string& def = "DEF",
                    std::size_t buffer = 256) {
        return profile.GetString(ini, section, key, def, buffer);
    }
    bool Put(const std::string& section, const std::string& key, const std::string& value) {
        return profile.WriteString(ini, section, key, &value);
    }
    Names FileLines() {
        Names lines;
        EXPECT_TRUE(fs.ReadLines(ini, lines));
        // Blank lines are layout, not content.
        lines.erase(std::remove(lines.begin(), lines.end(), std::string()), lines.end());
        return lines;
    }
};

TEST_F(ProfileContract, ValuesLoseBlanksAndOnePairOfQuotes) {
    WriteIni({"[Start]", "  Debug  =  1  ", "Quoted=\" spaced \"", "Twice=\"\"x\"\"", "Half=\"open", "Inner=a \"b\" c",
              "Tab=\tv\t"});
    EXPECT_EQ(Get("Start", "Debug"), "1");
    EXPECT_EQ(Get("START", "DEBUG"), "1");
    EXPECT_EQ(Get("start", "debug"), "1");
    EXPECT_EQ(Get("Start", "Quoted"), " spaced ");
    EXPECT_EQ(Get("Start", "Twice"), "\"x\"");
    EXPECT_EQ(Get("Start", "Half"), "\"open");
    EXPECT_EQ(Get("Start", "Inner"), "a \"b\" c");
    EXPECT_EQ(Get("Start", "Tab"), "v");
}

TEST_F(ProfileContract, SingleQuotesAndTheDefaultsQuotesGoToo) {
    WriteIni({"[S]", "Single='q'", "Mixed=\"q'", "One=\""});
    EXPECT_EQ(Get("S", "Single"), "q");
    EXPECT_EQ(Get("S", "Mixed"), "\"q'");
    EXPECT_EQ(Get("S", "One"), "\"");
    EXPECT_EQ(Get("S", "Missing", "\"dq\"  "), "dq");
    EXPECT_EQ(Get("S", "Missing", "  lead"), "  lead");
}

TEST_F(ProfileContract, AnEmptyValueBeatsTheDefaultAndTheFirstDuplicateWins) {
    WriteIni({"[S]", "Empty=", "Blank=   ", "Dup=first", "Dup=second", "NoEquals", "[T]", "Dup=other section"});
    EXPECT_EQ(Get("S", "Empty"), "");
    EXPECT_EQ(Get("S", "Blank"), "");
    EXPECT_EQ(Get("S", "Dup"), "first");
    EXPECT_EQ(Get("S", "NoEquals"), "DEF");
    EXPECT_EQ(Get("S", "Missing"), "DEF");
    EXPECT_EQ(Get("Missing", "Dup"), "DEF");
    EXPECT_EQ(Get("T", "Dup"), "other section");
    EXPECT_EQ(profile.GetString(At("none.ini"), "S", "Empty", "0", 256), "0");
    EXPECT_EQ(profile.GetString(At("none\\none.ini"), "S", "Empty", "", 256), "");
}

TEST_F(ProfileContract, ValuesAreCutTo255BytesOfCodePage932) {
    std::string longJapanese;
    for (int i = 0; i < 128; ++i) longJapanese += "あ";  // 256 bytes in CP932
    ASSERT_TRUE(Put("V", "Five", "日本語です"));
    ASSERT_TRUE(Put("V", "Ascii", std::string(300, 'x')));
    ASSERT_TRUE(Put("V", "Odd", "a" + longJapanese));
    ASSERT_TRUE(Put("V", "Even", longJapanese));
    EXPECT_EQ(Get("V", "Five"), "日本語です");
    EXPECT_EQ(Get("V", "Ascii"), std::string(255, 'x'));
    EXPECT_EQ(Get("V", "Odd"), "a" + longJapanese.substr(0, 127 * 3));
    // 255 bytes split the 128th character: its first byte does not come back.
    EXPECT_EQ(Get("V", "Even"), longJapanese.substr(0, 127 * 3));
}

TEST_F(ProfileContract, WritingCreatesFileAndSectionsInWriteOrder) {
    ASSERT_TRUE(Put("Start", "NowUser", "Aoi"));
    ASSERT_TRUE(Put("Last", "User", "All Users"));
    ASSERT_TRUE(Put("Start", "Debug", "0"));
    EXPECT_EQ(FileLines(), (Names{"[Start]", "NowUser=Aoi", "Debug=0", "[Last]", "User=All Users"}));
    // A new value replaces the old one in its line.
    ASSERT_TRUE(Put("start", "nowuser", "山田"));
    EXPECT_EQ(FileLines(), (Names{"[Start]", "NowUser=山田", "Debug=0", "[Last]", "User=All Users"}));
    EXPECT_EQ(Get("Start", "NowUser"), "山田");
    // A value written with blanks around it reads back without them.
    ASSERT_TRUE(Put("Start", "Debug", " 1 "));
    EXPECT_EQ(Get("Start", "Debug"), "1");
    EXPECT_FALSE(profile.WriteString(At("none\\T.ini"), "S", "K", &ini));
}

TEST_F(ProfileContract, ANullValueDeletesTheKeyAndTheSectionStays) {
    ASSERT_TRUE(Put("S", "A", "1"));
    ASSERT_TRUE(Put("S", "B", "2"));
    ASSERT_TRUE(Put("T", "C", "3"));
    profile.WriteString(ini, "S", "A", nullptr);
    EXPECT_EQ(Get("S", "A"), "DEF");
    EXPECT_EQ(FileLines(), (Names{"[S]", "B=2", "[T]", "C=3"}));
    profile.WriteString(ini, "S", "B", nullptr);
    EXPECT_EQ(FileLines(), (Names{"[S]", "[T]", "C=3"}));
    // Deleting a key that is not there changes nothing.
    profile.WriteString(ini, "T", "Missing", nullptr);
    profile.WriteString(ini, "Missing", "Missing", nullptr);
    EXPECT_EQ(FileLines(), (Names{"[S]", "[T]", "C=3"}));
}

TEST_F(ProfileContract, SectionsComeBackLineByLineInFileOrder) {
    WriteIni({"[File]", "F1=C:\\a\\", "F3=C:\\b.txt", "F2=C:\\c\\*.dat", "[Other]", "X=1"});
    std::uint64_t length = 0;
    ASSERT_TRUE(fs.FileLength(ini, length));
    EXPECT_EQ(profile.GetSection(ini, "File", static_cast<std::size_t>(length) + 2),
              (Names{"F1=C:\\a\\", "F3=C:\\b.txt", "F2=C:\\c\\*.dat"}));
    EXPECT_EQ(profile.GetSection(ini, "file", 1000), (Names{"F1=C:\\a\\", "F3=C:\\b.txt", "F2=C:\\c\\*.dat"}));
    EXPECT_EQ(profile.GetSection(ini, "Other", 1000), Names{"X=1"});
    EXPECT_TRUE(profile.GetSection(ini, "Missing", 1000).empty());
    EXPECT_TRUE(profile.GetSection(At("none.ini"), "File", 1000).empty());
}

TEST_F(ProfileContract, SectionLinesLoseBlanksBlankLinesAndComments) {
    WriteIni({"[ S ]", "  Key  =  v  ", "NoEquals", ";comment=1", "", "Last=x", "[T]", "a=1"});
    EXPECT_EQ(profile.GetSection(ini, "S", 1000), (Names{"Key=v", "NoEquals", "Last=x"}));
    // A buffer too small: the last line that fits in part is cut.
    EXPECT_EQ(profile.GetSection(ini, "S", 12), (Names{"Key=v", "NoEq"}));
    EXPECT_EQ(Get("S", "Key"), "v");
    EXPECT_EQ(Get("S", ";comment"), "1");  // a comment is a key to GetString
    EXPECT_EQ(Get("S", "a"), "DEF");
    // Lines ended by LF alone.
    ASSERT_TRUE(fs.WriteFileAtomic(At("lf.ini"), "[L]\nk=lf\n[M]\nk=m"));
    EXPECT_EQ(profile.GetString(At("lf.ini"), "L", "k", "", 256), "lf");
    EXPECT_EQ(profile.GetString(At("lf.ini"), "M", "k", "", 256), "m");
}

TEST_F(ProfileContract, JapaneseSectionsKeysAndValues) {
    ASSERT_TRUE(Put("ユーザー", "表示名", "山田 太郎"));
    ASSERT_TRUE(Put("ユーザー", "ア", "a"));
    ASSERT_TRUE(Put("ユーザー", "ヂ", "di"));  // second bytes 'A' and 'a'
    EXPECT_EQ(Get("ユーザー", "表示名"), "山田 太郎");
    EXPECT_EQ(Get("ユーザー", "ア"), "a");
    EXPECT_EQ(Get("ユーザー", "ヂ"), "di");
    EXPECT_EQ(profile.GetSection(ini, "ユーザー", 1000), (Names{"表示名=山田 太郎", "ア=a", "ヂ=di"}));
}

TEST_F(ProfileContract, AReadOnlyFileRefusesWrites) {
    if (!platform_->canTestReadOnly()) GTEST_SKIP() << "read-only files are writable here (root)";
    ASSERT_TRUE(Put("S", "K", "1"));
    ASSERT_TRUE(fs.SetAttributes(ini, 1 | 32));
    EXPECT_FALSE(Put("S", "K", "2"));
    EXPECT_FALSE(Put("New", "K", "2"));
    EXPECT_EQ(Get("S", "K"), "1");
    ASSERT_TRUE(fs.SetAttributes(ini, 32));
}

}  // namespace
}  // namespace tollervy::contract

