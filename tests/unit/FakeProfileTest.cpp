// The profile file fake must read and write as the Windows profile functions
// do, down to the byte: the settings code relies on the 255-byte cut, the
// empty-value rule and the in-place replacement.
#include <gtest/gtest.h>

#include "fakes/FakeFileSystem.h"
#include "fakes/FakeProfile.h"

namespace tollervy::fakes {
namespace {

const std::string Ini = "C:\\P\\T.ini";

struct FakeProfileFile : ::testing::Test {
    FakeFileSystem fs;
    FakeProfile profile{fs};
    FakeProfileFile() { fs.AddFolder("C:\\P"); }
    std::string Get(const std::string& section, const std::string& key, const std::string& def = "DEF",
                    std::size_t buffer = 256) {
        return profile.GetString(Ini, section, key, def, buffer);
    }
    bool Put(const std::string& section, const std::string& key, const std::string& value) {
        return profile.WriteString(Ini, section, key, &value);
    }
};

TEST_F(FakeProfileFile, ReadsValuesAsTheProfileFunctionsDo) {
    fs.AddTextFile(Ini, {"[Start]", "  Debug  =  1  ", "Quoted=\" spaced \"", "Half=\"open", "Empty=", "Dup=first",
                         "Dup=second", "NoEquals", "[start]", "Other=in second section", "[Next]", "Key=next"});
    EXPECT_EQ(Get("Start", "Debug"), "1");
    EXPECT_EQ(Get("START", "debug"), "1");
    EXPECT_EQ(Get(" Start ", " Debug "), "1");
    EXPECT_EQ(Get("Start", "Quoted"), " spaced ");
    EXPECT_EQ(Get("Start", "Half"), "\"open");
    EXPECT_EQ(Get("Start", "Empty"), "");
    EXPECT_EQ(Get("Start", "Dup"), "first");
    EXPECT_EQ(Get("Start", "NoEquals"), "DEF");
    EXPECT_EQ(Get("Start", "Other"), "DEF");  // only the first [Start] counts
    EXPECT_EQ(Get("Next", "Key"), "next");
    EXPECT_EQ(Get("Next", "Debug"), "DEF");
    EXPECT_EQ(Get("Missing", "Key", "dflt  "), "dflt");
    EXPECT_EQ(profile.GetString("C:\\P\\none.ini", "Start", "Debug", "0", 256), "0");
    EXPECT_EQ(profile.GetSection(Ini, "start", 1000),
              (std::vector<std::string>{"Debug=1", "Quoted=\" spaced \"", "Half=\"open", "Empty=", "Dup=first",
                                        "Dup=second", "NoEquals"}));
    EXPECT_TRUE(profile.GetSection(Ini, "Missing", 1000).empty());
    EXPECT_TRUE(profile.GetSection("C:\\P\\none.ini", "Start", 1000).empty());
}

// A NUL byte in the file (found by fuzzing): the profile functions hand out
// C strings, so the value and the section line end at it, as the Win32
// layer reads them.
TEST_F(FakeProfileFile, ANulByteEndsTheValueAndTheSectionLine) {
    fs.AddFile(Ini, std::string("[Start]\r\nDebug=1\0tail\r\nUser=\"Aoi\0\"\r\n", 36));
    EXPECT_EQ(Get("Start", "Debug"), "1");
    EXPECT_EQ(Get("Start", "User"), "\"Aoi");
    EXPECT_EQ(profile.GetSection(Ini, "Start", 1000), (std::vector<std::string>{"Debug=1", "User=\"Aoi"}));
}

TEST_F(FakeProfileFile, CutsValuesToTheBufferInCodePage932Bytes) {
    const std::string five = "日本語です";
    std::string longJapanese;
    for (int i = 0; i < 128; ++i) longJapanese += "あ";  // 256 bytes in CP932
    const std::string longAscii(300, 'x');
    ASSERT_TRUE(Put("V", "Five", five));
    ASSERT_TRUE(Put("V", "LongJ", longJapanese));
    ASSERT_TRUE(Put("V", "LongA", longAscii));
    ASSERT_TRUE(Put("V", "Mixed", "a" + longJapanese));
    EXPECT_EQ(Get("V", "Five"), five);
    EXPECT_EQ(Get("V", "LongA"), std::string(255, 'x'));
    // 255 bytes end in the middle of the 128th character: it goes entirely.
    EXPECT_EQ(Get("V", "LongJ"), longJapanese.substr(0, 127 * 3));
    EXPECT_EQ(Get("V", "Mixed"), "a" + longJapanese.substr(0, 127 * 3));
    EXPECT_EQ(Get("V", "Five", "", 5), "日本");
    EXPECT_EQ(Get("V", "Five", "", 1), "");
    EXPECT_EQ(Get("V", "Missing", "日本語", 6), "日本");
    // Double-byte characters whose second byte looks like a letter or a
    // backslash are not folded or split.
    ASSERT_TRUE(Put("V", "ア", "katakana a"));
    ASSERT_TRUE(Put("V", "ヂ", "katakana di"));
    ASSERT_TRUE(Put("V", "表", "hyou"));
    EXPECT_EQ(Get("V", "ア"), "katakana a");
    EXPECT_EQ(Get("V", "ヂ"), "katakana di");
    EXPECT_EQ(Get("V", "表"), "hyou");
    // A section cut to its buffer ends with a cut line and two NULs.
    const auto lines = profile.GetSection(Ini, "V", 12);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Five=日本");  // 9 of the 10 bytes: half of "語" is dropped
}

TEST_F(FakeProfileFile, WritesCreateReplaceInPlaceAndDelete) {
    ASSERT_TRUE(Put("Start", "NowUser", "Aoi"));
    ASSERT_TRUE(Put("Last", "User", "All Users"));
    ASSERT_TRUE(Put("Start", "Debug", "0"));
    EXPECT_EQ(fs.Content(Ini), "[Start]\r\nNowUser=Aoi\r\nDebug=0\r\n[Last]\r\nUser=All Users\r\n");
    EXPECT_EQ(fs.Attributes(Ini), 32u);
    ASSERT_TRUE(Put("start", "NOWUSER", "山田"));
    EXPECT_EQ(fs.TextLines(Ini),
              (std::vector<std::string>{"[Start]", "NowUser=山田", "Debug=0", "[Last]", "User=All Users"}));
    ASSERT_TRUE(profile.WriteString(Ini, "Start", "NowUser", nullptr));
    ASSERT_TRUE(profile.WriteString(Ini, "Start", "Debug", nullptr));
    ASSERT_TRUE(profile.WriteString(Ini, "Start", "Absent", nullptr));
    ASSERT_TRUE(profile.WriteString(Ini, "Gone", "Absent", nullptr));
    EXPECT_EQ(fs.Content(Ini), "[Start]\r\n[Last]\r\nUser=All Users\r\n");
    EXPECT_EQ(profile.Value(Ini, "Start", "NowUser"), std::nullopt);
    // A key added to an existing section goes after its last line, before
    // the blank lines that part it from the next section.
    fs.AddFile(Ini, "[A]\nx=1\n\n[B]\ny=2");
    ASSERT_TRUE(Put("A", "z", "3"));
    ASSERT_TRUE(Put("B", "w", "4"));
    EXPECT_EQ(fs.Content(Ini), "[A]\nx=1\nz=3\r\n\n[B]\ny=2\r\nw=4\r\n");
    ASSERT_TRUE(Put("A", "x", "one"));
    EXPECT_EQ(fs.Content(Ini), "[A]\nx=one\nz=3\r\n\n[B]\ny=2\r\nw=4\r\n");
    // Deleting from a missing file makes no file.
    ASSERT_TRUE(profile.WriteString("C:\\P\\new.ini", "S", "K", nullptr));
    EXPECT_FALSE(fs.Exists("C:\\P\\new.ini"));
    EXPECT_EQ(profile.Writes().size(), 12u);
}

TEST_F(FakeProfileFile, WritesFailWhereTheFileCannotBeWritten) {
    fs.AddTextFile(Ini, {"[S]", "K=1"}, 1 | 32);
    EXPECT_FALSE(Put("S", "K", "2"));
    EXPECT_FALSE(profile.WriteString(Ini, "S", "K", nullptr));
    EXPECT_EQ(Get("S", "K"), "1");
    const std::string value = "v";
    EXPECT_FALSE(profile.WriteString("C:\\nowhere\\T.ini", "S", "K", &value));
    EXPECT_FALSE(fs.Exists("C:\\nowhere"));
    fs.SetAttributes(Ini, 32);
    fs.FailPath(Ini);
    EXPECT_FALSE(Put("S", "K", "3"));
    EXPECT_EQ(Get("S", "K"), "DEF");  // an unreadable file reads as empty
    fs.ClearFaults();
    profile.SetWritesFail(true);
    EXPECT_FALSE(Put("S", "K", "4"));
    profile.SetWritesFail(false);
    EXPECT_TRUE(Put("S", "K", "5"));
    EXPECT_EQ(Get("S", "K"), "5");
    EXPECT_EQ(profile.Writes().back().value, "5");
}

TEST_F(FakeProfileFile, MangledFilesNeverCrash) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 37) & 0xFF);
    fs.AddFile(Ini, "[S]\r\nK=" + binary + "\r\n" + binary);
    EXPECT_LE(Get("S", "K").size(), 255u * 3);
    profile.GetSection(Ini, "S", 100000);
    EXPECT_TRUE(Put("S", "New", "v"));
    EXPECT_EQ(Get("S", "New"), "v");

    std::string big = "[Big]\r\n";
    for (int i = 0; i < 100000; ++i) big += "F" + std::to_string(i) + "=C:\\x\\" + std::to_string(i) + "\r\n";
    big += "[Tail]\r\nLong=" + std::string(10000, 'v') + "\r\nSjis=\x81\r\nLead=a\x82";
    fs.AddFile(Ini, big);
    EXPECT_EQ(profile.GetSection(Ini, "Big", big.size() + 2).size(), 100000u);
    EXPECT_EQ(Get("Big", "F99999"), "C:\\x\\99999");
    EXPECT_EQ(Get("Tail", "Long"), std::string(255, 'v'));
    EXPECT_EQ(Get("Tail", "Sjis"), "?");  // a lead byte without its partner
    EXPECT_EQ(Get("Tail", "Lead"), "a?");
    EXPECT_TRUE(Put("Tail", "Long", "short"));
    EXPECT_EQ(Get("Tail", "Long"), "short");
}

}  // namespace
}  // namespace tollervy::fakes
