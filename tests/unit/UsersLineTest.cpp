// The user name rule and the pieces that read a user-file line.
#include <gtest/gtest.h>

#include "engine/StoreNames.h"
#include "settings/Settings.h"
#include "users/UserList.h"

namespace tollervy {
namespace {

using Fields = std::vector<std::string>;

TEST(SplitUserLine, ReadsThreePlainFields) {
    EXPECT_EQ(SplitUserLine("Aoi,secret,1", 3), (Fields{"Aoi", "secret", "1"}));
    EXPECT_EQ(SplitUserLine("Aoi,,0", 3), (Fields{"Aoi", "", "0"}));
    EXPECT_EQ(SplitUserLine("山田,パス,1", 3), (Fields{"山田", "パス", "1"}));
}

TEST(SplitUserLine, DropsOneTrailingComma) {
    EXPECT_EQ(SplitUserLine("Aoi,secret,1,", 3), (Fields{"Aoi", "secret", "1"}));
    // Only one: with two the line has a fourth (empty) field.
    EXPECT_FALSE(SplitUserLine("Aoi,secret,1,,", 3));
    // A trailing comma after two fields leaves two fields.
    EXPECT_FALSE(SplitUserLine("Aoi,secret,", 3));
}

TEST(SplitUserLine, IgnoresLinesWithTooFewOrTooManyFields) {
    EXPECT_FALSE(SplitUserLine("", 3));
    EXPECT_FALSE(SplitUserLine("Aoi", 3));
    EXPECT_FALSE(SplitUserLine("Aoi,secret", 3));
    EXPECT_FALSE(SplitUserLine("Aoi,secret,1,extra", 3));
    EXPECT_FALSE(SplitUserLine("a,b,c,d,e", 3));
    EXPECT_FALSE(SplitUserLine("Aoi,secret,1", 0));
    EXPECT_EQ(SplitUserLine("only", 1), (Fields{"only"}));
}

TEST(SplitUserLine, KeepsQuotedCommasWithTheQuotes) {
    EXPECT_EQ(SplitUserLine("\"Aoi,Ken\",pw,1", 3), (Fields{"\"Aoi,Ken\"", "pw", "1"}));
    EXPECT_EQ(SplitUserLine("Aoi,\"a,b,c\",1", 3), (Fields{"Aoi", "\"a,b,c\"", "1"}));
    // Two quoted sections on one line.
    EXPECT_EQ(SplitUserLine("\"x,y\",\"p,q\",0", 3), (Fields{"\"x,y\"", "\"p,q\"", "0"}));
    // An unclosed quote protects nothing: the line has four fields.
    EXPECT_FALSE(SplitUserLine("\"Aoi,Ken,pw,1", 3));
}

TEST(SplitUserLine, ReadsBarsAsCommas) {
    EXPECT_EQ(SplitUserLine("Aoi,a|b,1", 3), (Fields{"Aoi", "a,b", "1"}));
    EXPECT_EQ(SplitUserLine("Aoi,\"a|b\",1", 3), (Fields{"Aoi", "\"a,b\"", "1"}));
}

TEST(MarkQuotedCommas, ExchangesOnlyInsideQuotes) {
    EXPECT_EQ(MarkQuotedCommas("a,\"b,c\",d", QuoteMark::TowardsBars, '"'), "a,\"b|c\",d");
    EXPECT_EQ(MarkQuotedCommas("a|\"b|c\"|d", QuoteMark::TowardsCommas, '"'), "a|\"b,c\"|d");
    EXPECT_EQ(MarkQuotedCommas("\"1,2\"x\"3,4\"", QuoteMark::TowardsBars, '"'), "\"1|2\"x\"3|4\"");
    EXPECT_EQ(MarkQuotedCommas("no quotes, here", QuoteMark::TowardsBars, '"'), "no quotes, here");
    EXPECT_EQ(MarkQuotedCommas("\"\",a,\"", QuoteMark::TowardsBars, '"'), "\"\",a,\"");
    EXPECT_EQ(MarkQuotedCommas("", QuoteMark::TowardsBars, '"'), "");
    EXPECT_EQ(MarkQuotedCommas("'a,b',c", QuoteMark::TowardsBars, '\''), "'a|b',c");
}

// A user file line of many quoted sections (the rest of the line used to
// be copied once per section: quadratic in the line's length).
// Every section's comma is still marked, the ones between stay.
TEST(MarkQuotedCommas, ALineOfManySectionsIsMarkedInOnePass) {
    std::string line, expected;
    for (int i = 0; i < 100000; ++i) {
        line += "\"a,b\",";
        expected += "\"a|b\",";
    }
    EXPECT_EQ(MarkQuotedCommas(line, QuoteMark::TowardsBars, '"'), expected);
    const auto fields = SplitUserLine("\"x,y\"" + std::string(200000, '"') + ",p,1", 3);
    ASSERT_TRUE(fields.has_value());
    EXPECT_EQ((*fields)[1], "p");
}

TEST(FindQuoted, FindsTheFirstCompleteSection) {
    std::size_t open = 99, close = 99;
    std::string contents;
    ASSERT_TRUE(FindQuoted("ab\"cd\"ef\"g\"", '"', open, close, contents));
    EXPECT_EQ(open, 2u);
    EXPECT_EQ(close, 5u);
    EXPECT_EQ(contents, "cd");

    contents = "given";
    ASSERT_TRUE(FindQuoted("x\"\"y", '"', open, close, contents));
    EXPECT_EQ(open, 1u);
    EXPECT_EQ(close, 2u);
    EXPECT_EQ(contents, "given");  // an empty section leaves it as given

    EXPECT_FALSE(FindQuoted("no quote", '"', open, close, contents));
    EXPECT_FALSE(FindQuoted("ends with \"", '"', open, close, contents));
    EXPECT_FALSE(FindQuoted("\"never closed", '"', open, close, contents));
}

TEST(ReplaceText, ReplacesEveryOccurrenceLeftToRight) {
    EXPECT_EQ(ReplaceText("a|b|c", "|", ",", CompareMode::Binary), "a,b,c");
    EXPECT_EQ(ReplaceText("aaaa", "aa", "a", CompareMode::Binary), "aa");  // no re-scan of the output
    EXPECT_EQ(ReplaceText("abc", "x", "y", CompareMode::Binary), "abc");
    EXPECT_EQ(ReplaceText("", "a", "b", CompareMode::Binary), "");
    EXPECT_EQ(ReplaceText("abc", "", "b", CompareMode::Binary), "abc");
    EXPECT_EQ(ReplaceText("ab", "ab", "", CompareMode::Binary), "");
    EXPECT_EQ(ReplaceText("ユーザ|名", "|", ",", CompareMode::Text), "ユーザ,名");
}

TEST(ReplaceText, TextCompareIgnoresCaseBinaryDoesNot) {
    EXPECT_EQ(ReplaceText("Abc aBC", "abc", "x", CompareMode::Text), "x x");
    EXPECT_EQ(ReplaceText("Abc aBC abc", "abc", "x", CompareMode::Binary), "Abc aBC x");
}

TEST(IsValidName, RefusesEmptyAndEachForbiddenCharacter) {
    EXPECT_FALSE(IsValidName(""));
    for (const char ch : std::string("\\/:,;*?\"<>|")) {
        EXPECT_FALSE(IsValidName(std::string("a") + ch + "b")) << ch;
        EXPECT_FALSE(IsValidName(std::string(1, ch))) << ch;
    }
    EXPECT_FALSE(IsValidName("\\"));  // the marker of no registered user
}

// What the name box lets through but Add and Change refuse: names Windows
// folds onto another folder or a device, and names the settings file would
// give back otherwise. Whatever passes both can be a folder of the data
// store and reads back as itself.
TEST(NameRefusal, RefusesNamesThatCannotBeAStoreFolderOrReadBack) {
    for (const char* name : {".", "..", "Aoi.", "Aoi ", "Aoi. ", " Aoi", "CON", "nul", "Com1", "LPT9.txt", "aux .x",
                             "tab\there", "del\x7f", "'Aoi'"}) {
        EXPECT_TRUE(IsValidName(name)) << name;
        EXPECT_NE(NameRefusal(name), "") << name;
    }
    EXPECT_NE(NameRefusal(std::string(128, 'a')), "");
    for (const char* name : {"Aoi", "John Smith", "j.doe", "Auxley", "CONNOR", "com10", "lpt", ".hidden", "q'",
                             "山田 太郎", "ソフト表"}) {
        EXPECT_EQ(NameRefusal(name), "") << name;
        EXPECT_TRUE(IsStoreUserName(name)) << name;
        EXPECT_TRUE(ReadsBackUnchanged(name)) << name;
    }
    EXPECT_EQ(NameRefusal(std::string(127, 'a')), "");
}

TEST(IsValidName, AcceptsOrdinaryNames) {
    EXPECT_TRUE(IsValidName("Aoi"));
    EXPECT_TRUE(IsValidName("山田 太郎"));
    EXPECT_TRUE(IsValidName("ソフト表"));  // 0x5C as a second byte in CP932
    EXPECT_TRUE(IsValidName(".hidden"));
    EXPECT_TRUE(IsValidName(" Aoi"));
    EXPECT_TRUE(IsValidName("a.b"));
    EXPECT_TRUE(IsValidName("All Users"));
    EXPECT_TRUE(IsValidName("CONSOLE"));
    EXPECT_TRUE(IsValidName("COM0"));
    EXPECT_TRUE(IsValidName("Ｃ：ＯＮ"));  // full-width letters are ordinary characters
}

TEST(IsValidName, MessageListsTheCharactersInOrder) {
    EXPECT_EQ(InvalidNameMessage(), "これらの文字は使用できません\r\n\\ / : , ; * ? \" < > |");
}

}  // namespace
}  // namespace tollervy
