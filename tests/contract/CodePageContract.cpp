// Which texts the ANSI code page (932) holds, as both platforms answer it:
// the fakes must refuse exactly what Windows would turn into something else
// in the settings file and the user file. A name that passes must also come
// back unchanged through the profile functions.
#include "contract/ContractTest.h"

namespace tollervy::contract {
namespace {

class CodePageContract : public ContractTest {};

TEST_F(CodePageContract, TextsTheCodePageHoldsAndTextsItDoesNot) {
    platform::System& system = platform_->system();
    struct Case {
        const char* text;
        bool fits;
    };
    const Case cases[] = {
        {"", true},
        {"Taro", true},
        {"山田 太郎", true},
        {"ﾀﾛｳ", true},        // half-width katakana
        {"①髙", true},        // NEC and IBM extensions of 932
        {"表示", true},       // second bytes 0x5C, the backslash byte
        {"～", true},         // U+FF5E, the tilde 932 holds
        {"〜", false},        // U+301C WAVE DASH: only a best fit
        {"¥", false},         // U+00A5: a best fit to the backslash byte
        {"Zoë", false},
        {"김민수", false},
        {"😀", false},
        {"\xff", false},      // not UTF-8
    };
    const std::string ini = At("T.ini");
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        EXPECT_EQ(system.FitsAnsiCodePage(k.text), k.fits);
        if (!k.fits || *k.text == '\0') continue;
        const std::string value = k.text;
        ASSERT_TRUE(profile.WriteString(ini, "Last", "User", &value));
        EXPECT_EQ(profile.GetString(ini, "Last", "User", "", 256), value);
    }
}

// Two user names that Windows upper-cases alike share one folder of the
// data store: the fakes upper-case the letters Windows does.
TEST_F(CodePageContract, UpperCaseAsWindowsDoesIt) {
    platform::System& system = platform_->system();
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"taro Yamada", "TARO YAMADA"},
        {"ａｏｉ ＡＯＩ", "ＡＯＩ ＡＯＩ"},      // full-width Latin
        {"ωmega αβγ", "ΩMEGA ΑΒΓ"},             // Greek
        {"ёлка щука", "ЁЛКА ЩУКА"},             // Cyrillic
        {"ⅰⅱⅹ", "ⅠⅡⅩ"},                         // Roman numerals (932's NEC row)
        {"山田 太郎 ﾀﾛｳ ①", "山田 太郎 ﾀﾛｳ ①"},  // no case
        {"àéø", "ÀÉØ"},
    };
    for (const auto& [text, upper] : cases) EXPECT_EQ(system.UpperCase(text), upper) << text;
}

}  // namespace
}  // namespace tollervy::contract
