// The registry items' stored copies: the registry editor's export format,
// written and read back exactly, and what the reader refuses.
#include <gtest/gtest.h>

#include "engine/RegFile.h"

namespace tollervy {
namespace {

using platform::RegValue;
using regfile::Tree;

std::string W(const std::string& utf8) { return regfile::Utf16Bytes(utf8); }
std::string Z(const std::string& utf8) { return W(utf8) + std::string(2, '\0'); }
// The file's text as UTF-8, for reading expectations.
std::string Text(const std::string& bytes) {
    std::u16string s;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        s += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    return regfile::Utf8(s);
}
std::string File(const std::string& text) { return std::string("\xFF\xFE", 2) + W(text); }

const char* const Item = "Software\\Vendor\\App";

TEST(RegFile, EveryTypeIsWrittenInTheEditorsFormAndReadBackByteForByte) {
    Tree tree;
    tree.keys.push_back({Item,
                         {{"", platform::RegSz, Z("既定 \"q\" C:\\x")},
                          {"dword", platform::RegDword, std::string("\x2a\x00\x00\x80", 4)},
                          {"bin", platform::RegBinary, std::string("\x00\xff", 2)},
                          {"empty", platform::RegBinary, ""},
                          {"expand", platform::RegExpandSz, Z("%TEMP%")},
                          {"multi", platform::RegMultiSz, Z("a") + Z("") },
                          {"qword", platform::RegQword, std::string(8, '\x01')},
                          {"none", platform::RegNone, ""},
                          {"odd type", 0x20001, "\x07"},
                          {"unended sz", platform::RegSz, W("ab")},
                          {"sz with break", platform::RegSz, Z("a\r\nb")},
                          {"short dword", platform::RegDword, "\x01"},
                          {"名前\\\"\n", platform::RegSz, Z("")}}});
    tree.keys.push_back({std::string(Item) + "\\Sub\\深い", {{"long", platform::RegBinary, std::string(40, '\xab')}}});
    const std::string bytes = regfile::Write(tree);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    const std::string text = Text(bytes);
    for (const char* line :
         {"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vendor\\App]\r\n",
          "@=\"既定 \\\"q\\\" C:\\\\x\"\r\n", "\"dword\"=dword:8000002a\r\n", "\"bin\"=hex:00,ff\r\n",
          "\"empty\"=hex:\r\n", "\"expand\"=hex(2):25,00,54,00", "\"multi\"=hex(7):61,00,00,00,00,00\r\n",
          "\"qword\"=hex(b):01,01", "\"none\"=hex(0):\r\n", "\"odd type\"=hex(20001):07\r\n",
          "\"unended sz\"=hex(1):61,00,62,00\r\n", "\"short dword\"=hex(4):01\r\n", "\"名前\\\\\\\"\\n\"=\"\"\r\n",
          "\r\n[HKEY_CURRENT_USER\\Software\\Vendor\\App\\Sub\\深い]\r\n",
          "=hex:ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,\\\r\n  ab,ab,"})
        EXPECT_NE(text.find(line), std::string::npos) << line;

    Tree back;
    std::string reason;
    ASSERT_TRUE(regfile::Read(bytes, Item, back, reason)) << reason;
    ASSERT_EQ(back.keys.size(), 3u);  // Sub, which the tree skipped, is made on the way
    EXPECT_EQ(back.keys[0].values, tree.keys[0].values);
    EXPECT_EQ(back.keys[1].path, std::string(Item) + "\\Sub");
    EXPECT_TRUE(back.keys[1].values.empty());
    EXPECT_EQ(back.keys[2].values, tree.keys[1].values);
    EXPECT_EQ(regfile::Write(back), regfile::Write(Tree{{back.keys}}));

    // No keys: the item's key does not exist.
    ASSERT_TRUE(regfile::Read(regfile::Write(Tree{}), Item, back, reason));
    EXPECT_TRUE(back.keys.empty());
}

TEST(RegFile, ReadsWhatAPersonMayWriteByHand) {
    Tree t;
    std::string reason;
    ASSERT_TRUE(regfile::Read(File("Windows Registry Editor Version 5.00\n; note\n\n"
                                   "[hkey_current_user\\software\\vendor\\app\\X]  \n"
                                   "  \"A\" = dword:1\n\"B\"=hex(7):61,00,\\\n     00 , 00\n"
                                   "[HKEY_CURRENT_USER\\Software\\Vendor\\App]\n@=\"top\"\n"),
                              Item, t, reason))
        << reason;
    ASSERT_EQ(t.keys.size(), 2u);
    EXPECT_EQ(t.keys[0].path, Item);  // the item keeps its own spelling
    EXPECT_EQ(t.keys[0].values, (std::vector<RegValue>{{"", platform::RegSz, Z("top")}}));
    EXPECT_EQ(t.keys[1].path, std::string(Item) + "\\X");
    EXPECT_EQ(t.keys[1].values, (std::vector<RegValue>{{"A", platform::RegDword, std::string("\x01\0\0\0", 4)},
                                                       {"B", platform::RegMultiSz, std::string("a\0\0\0", 4)}}));
}

TEST(RegFile, RefusesKeysOutsideTheItemDeletionsAndWhatItCannotRead) {
    const std::string head = "Windows Registry Editor Version 5.00\r\n\r\n";
    const std::string app = "[HKEY_CURRENT_USER\\Software\\Vendor\\App]\r\n";
    const struct {
        std::string bytes;
        const char* reason;
    } cases[] = {
        {W(head + app), "登録ファイル (UTF-16) ではありません"},
        {File("REGEDIT4\r\n" + app), "登録ファイルの見出しがありません"},
        {File(head + "[HKEY_CURRENT_USER\\Software\\Vendor\\Apple]\r\n"), "この項目の外のキーが書かれています: "},
        {File(head + "[HKEY_LOCAL_MACHINE\\Software\\Vendor\\App]\r\n"), "この項目の外のキーが書かれています: "},
        {File(head + "[HKEY_CURRENT_USER\\Software\\Vendor]\r\n"), "この項目の外のキーが書かれています: "},
        {File(head + "[-HKEY_CURRENT_USER\\Software\\Vendor\\App]\r\n"), "キーの削除が書かれています"},
        {File(head + app + "\"a\"=-\r\n"), "値の削除が書かれています"},
        {File(head + app + app), "同じキーが二度書かれています: "},
        {File(head + app + "\"a\"=\"1\"\r\n\"A\"=\"2\"\r\n"), "同じ値が二度書かれています: A"},
        {File(head + "\"a\"=\"1\"\r\n"), "3行目を読み込めません"},
        {File(head + app + "\"a\"=\"C:\\path\"\r\n"), "4行目を読み込めません"},
        {File(head + app + "\"a\"=dword:123456789\r\n"), "4行目を読み込めません"},
        {File(head + app + "\"a\"=hex:1,234\r\n"), "4行目を読み込めません"},
        {File(head + app + "\"a\"=hex:01,\\\r\n"), "5行目を読み込めません"},
        {File(head + "[HKEY_CURRENT_USER\\Software\\Vendor\\App\\\\x]\r\n"), "3行目を読み込めません"},
    };
    for (const auto& c : cases) {
        Tree t;
        std::string reason;
        EXPECT_FALSE(regfile::Read(c.bytes, Item, t, reason)) << c.reason;
        EXPECT_EQ(reason.substr(0, std::string(c.reason).size()), c.reason);
        EXPECT_TRUE(t.keys.empty());
    }
}

}  // namespace
}  // namespace tollervy
