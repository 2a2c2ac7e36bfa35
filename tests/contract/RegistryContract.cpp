// What the registry items expect of HKEY_CURRENT_USER, checked against the
// fake and the real registry functions.
#include <algorithm>
#include <functional>

#include "contract/ContractTest.h"

namespace tollervy::contract {
namespace {

using platform::RegValue;

class RegistryContract : public ContractTest {
protected:
    platform::Registry& reg = platform_->registry();
    const std::string key = platform_->scratchKey();

    static std::string Wide(const std::string& ascii) {
        std::string bytes;
        for (const char ch : ascii) bytes += {ch, '\0'};
        return bytes;
    }
    std::vector<RegValue> Values(const std::string& k) {
        std::vector<RegValue> values;
        EXPECT_TRUE(reg.ListValues(k, values)) << reg.LastErrorText();
        // Windows lists values in the order they were made, Wine in name order.
        std::sort(values.begin(), values.end(), [](const RegValue& a, const RegValue& b) { return a.name < b.name; });
        return values;
    }
};

TEST_F(RegistryContract, EveryTypeKeepsItsRawBytes) {
    const std::vector<RegValue> values = {
        {"", platform::RegSz, Wide("default") + std::string(2, '\0')},
        {"binary", platform::RegBinary, std::string("\x00\xff\x10", 3)},
        {"dword", platform::RegDword, std::string("\x78\x56\x34\x12", 4)},
        {"empty", platform::RegBinary, ""},
        {"expand", platform::RegExpandSz, Wide("%TEMP%\\x") + std::string(2, '\0')},
        {"multi", platform::RegMultiSz, Wide("a") + std::string(2, '\0') + Wide("b") + std::string(4, '\0')},
        {"none", platform::RegNone, "\x01"},
        {"odd", 0x12345, std::string("\x01\x02\x03", 3)},
        {"qword", platform::RegQword, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
        {"short dword", platform::RegDword, "\x01"},
        {"unended", platform::RegSz, Wide("no zero")},
        {"名前\\\"q\"", platform::RegSz, std::string("\x42\x30\x00\x00", 4)},
    };
    ASSERT_TRUE(reg.CreateKey(key)) << reg.LastErrorText();
    ASSERT_TRUE(reg.SetValues(key, values)) << reg.LastErrorText();
    const auto listed = Values(key);
    ASSERT_EQ(listed.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(listed[i].name, values[i].name);
        EXPECT_EQ(listed[i].type, values[i].type) << values[i].name;
        // Windows reads a string without its final zero back as written;
        // Wine adds the zero when the reader's room has space for it.
        const bool added = values[i].name == "unended" && platform_->underWine() &&
                           listed[i].data == values[i].data + std::string(2, '\0');
        EXPECT_EQ(listed[i].data, values[i].data + (added ? std::string(2, '\0') : "")) << values[i].name;
    }
    // A name differing in case replaces the value, keeping its first spelling.
    ASSERT_TRUE(reg.SetValues(key, {{"BINARY", platform::RegDword, std::string(4, '\0')}}));
    const auto after = Values(key);
    ASSERT_EQ(after.size(), values.size());
    EXPECT_EQ(after[1].name, "binary");
    EXPECT_EQ(after[1].type, platform::RegDword);
    ASSERT_TRUE(reg.DeleteValues(key, {"DWORD", "not there", ""}));
    EXPECT_EQ(Values(key).size(), values.size() - 2);
}

TEST_F(RegistryContract, KeysAreMadeWithParentsListedInNameOrderAndDeletedLeafFirst) {
    bool exists = true;
    ASSERT_TRUE(reg.KeyExists(key, exists));
    EXPECT_FALSE(exists);
    std::vector<std::string> names;
    EXPECT_FALSE(reg.ListSubkeys(key, names));
    EXPECT_EQ(reg.LastError(), 2u);
    std::vector<RegValue> values;
    EXPECT_FALSE(reg.ListValues(key, values));
    EXPECT_FALSE(reg.SetValues(key, {{"x", platform::RegBinary, ""}}));

    for (const char* sub : {"b\\deep\\deeper", "A", "c", "日本"}) ASSERT_TRUE(reg.CreateKey(key + "\\" + sub));
    ASSERT_TRUE(reg.CreateKey(key + "\\B"));  // exists already, other case
    ASSERT_TRUE(reg.ListSubkeys(key, names));
    EXPECT_EQ(names, (std::vector<std::string>{"A", "b", "c", "日本"}));
    ASSERT_TRUE(reg.KeyExists(key + "\\B\\DEEP", exists));
    EXPECT_TRUE(exists);

    EXPECT_FALSE(reg.DeleteKey(key + "\\b"));  // has subkeys
    ASSERT_TRUE(reg.DeleteKey(key + "\\b\\deep\\deeper"));
    ASSERT_TRUE(reg.DeleteKey(key + "\\b\\deep"));
    ASSERT_TRUE(reg.DeleteKey(key + "\\b"));
    EXPECT_FALSE(reg.DeleteKey(key + "\\b"));
    ASSERT_TRUE(reg.ListSubkeys(key, names));
    EXPECT_EQ(names, (std::vector<std::string>{"A", "c", "日本"}));
}

// A key's stamp moves on with every change of its own values and subkeys
// (the clock's step apart), not with a change below its subkeys; the key
// lists each subkey with the subkey's own stamp.
TEST_F(RegistryContract, AStampMovesOnWithEveryChangeOfItsKey) {
    ASSERT_TRUE(reg.CreateKey(key + "\\child\\grandchild"));
    platform::KeyStamp stamp, before;
    std::vector<platform::KeyStamp> subkeys, earlier;
    const auto changed = [&](const std::function<bool()>& change) {
        EXPECT_TRUE(reg.StampKey(key, before, earlier));
        platform_->system().Sleep(40);  // past the clock's step
        EXPECT_TRUE(change()) << reg.LastErrorText();
        EXPECT_TRUE(reg.StampKey(key, stamp, subkeys));
        return stamp.lastWrite > before.lastWrite;
    };
    const auto listedAsItself = [&] {
        platform::KeyStamp own;
        std::vector<platform::KeyStamp> below;
        for (const auto& sub : subkeys)
            EXPECT_TRUE(reg.StampKey(key + "\\" + sub.name, own, below) && own.lastWrite == sub.lastWrite)
                << sub.name;
    };
    EXPECT_TRUE(changed([&] { return reg.SetValues(key, {{"v", platform::RegBinary, "1"}}); }));
    EXPECT_TRUE(changed([&] { return reg.SetValues(key, {{"v", platform::RegBinary, "2"}}); }));
    EXPECT_TRUE(changed([&] { return reg.CreateKey(key + "\\other"); }));
    ASSERT_EQ(subkeys.size(), 2u);
    EXPECT_EQ(subkeys[1].name, "other");
    listedAsItself();
    EXPECT_FALSE(changed([&] { return reg.CreateKey(key + "\\other\\leaf"); }));
    EXPECT_GT(subkeys[1].lastWrite, earlier[1].lastWrite) << "a subkey made in a listed key moves its stamp";
    listedAsItself();
    EXPECT_FALSE(changed([&] { return reg.SetValues(key + "\\child\\grandchild", {{"g", platform::RegSz, ""}}); }));
    EXPECT_TRUE(changed([&] { return reg.DeleteValues(key, {"v"}); }));
    EXPECT_FALSE(reg.StampKey(key + "\\missing", stamp, subkeys));
}

}  // namespace
}  // namespace tollervy::contract
