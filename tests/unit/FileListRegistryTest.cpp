// Registry keys on the file list page: which keys may be listed and why not,
// the registration copy and the [Registry] section, removal with the data
// choice, and switches of the listed key.
#include <gtest/gtest.h>

#include "FileListPageSupport.h"
#include "engine/InPlaceRecord.h"
#include "engine/RegistryItem.h"

namespace tollervy {
namespace {

using namespace filelist;

const std::string App = "Software\\Vendor\\App";
const std::string AppKey = "HKEY_CURRENT_USER\\Software\\Vendor\\App";
std::string W(const std::string& ascii) { return regfile::Utf16Bytes(ascii) + std::string(2, '\0'); }
std::string LiveFile(Desk& d) {
    regfile::Tree t;
    EXPECT_TRUE(ExportKey(d.p.registry, App, t));
    return regfile::Write(t);
}

TEST(FileListRegistry, AKeyIsCheckedAndListedInItsOneForm) {
    const std::string invalid = "パスの指定が不正です。\r\n確認してください";
    const std::string outside = "HKEY_CURRENT_USER の下のキーだけを設定できます";
    const std::string vital = "このキーを設定することはできません\r\nWindows の動作に必要なキーか、それを含むキーです";
    const struct {
        std::vector<std::string> listed;
        std::string typed, message, shown;  // message "": added as `shown`
    } cases[] = {
        {{}, "HKCU\\Software\\Vendor\\App", "", AppKey},
        {{}, " hkey_current_user\\Software\\Vendor\\App\\", "", AppKey},
        {{}, "HKLM\\Software\\Vendor", outside, "HKLM\\Software\\Vendor"},
        {{}, "HKEY_USERS\\S-1-5-18\\Software", outside, "HKEY_USERS\\S-1-5-18\\Software"},
        {{}, "HKEY_CURRENT_USER", vital, "HKEY_CURRENT_USER"},
        {{}, "HKCU\\software", vital, "HKEY_CURRENT_USER\\software"},
        {{}, "HKCU\\Software\\Microsoft", vital, "HKEY_CURRENT_USER\\Software\\Microsoft"},
        {{}, "HKCU\\Software\\Microsoft\\Windows", vital, "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows"},
        {{}, "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", vital,
         "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"},
        {{}, "HKCU\\Software\\Classes\\.txt", vital, "HKEY_CURRENT_USER\\Software\\Classes\\.txt"},
        {{}, "HKCU\\Environment", vital, "HKEY_CURRENT_USER\\Environment"},
        {{}, "HKCU\\Software\\\\App", invalid, "HKCU\\Software\\\\App"},
        {{}, "HKCU\\Software\\Missing", "キーが見つかりません。\r\n確認してください",
         "HKEY_CURRENT_USER\\Software\\Missing"},
        {{"HKEY_CURRENT_USER\\Software\\Vendor"}, "HKCU\\Software\\Vendor\\App", "同じパスがすでに設定されています",
         "HKEY_CURRENT_USER\\Software\\Vendor"},
    };
    for (const auto& t : cases) {
        Desk d;
        SeedTwoItems(d);
        d.p.registry.Put(App, {"x", platform::RegSz, W("x")});
        for (const char* k : {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", "Software\\Classes\\.txt",
                              "Environment"})
            d.p.registry.Put(k, {"", platform::RegSz, W("")});
        LervIni& dlg = OpenSettings(d);
        dlg.FileList.Clear();
        for (const auto& row : t.listed) dlg.FileList.AddItem(row);
        if (!t.message.empty()) d.p.messages.Expect(t.message, platform::AnswerOK);
        dlg.FilePath.SetText(t.typed);
        dlg.FileAdd.Click();
        if (t.message.empty()) {
            EXPECT_EQ(d.p.messages.Count(), 0u) << t.typed;
            EXPECT_EQ(dlg.FileList.Items(), (std::vector<std::string>{t.shown})) << t.typed;
        } else {
            ASSERT_EQ(d.p.messages.Count(), 1u) << t.typed;
            EXPECT_EQ(d.p.messages.Last().text, t.message + "\r\n\r\n" + t.shown);
            EXPECT_EQ(dlg.FileList.Items(), t.listed) << t.typed;
        }
    }
}

TEST(FileListRegistry, AListedKeyIsRegisteredSwitchedAndRemovedLikeAFolder) {
    Desk d;
    SeedTwoItems(d);
    d.p.registry.Put(App, {"size", platform::RegDword, std::string("\x10\0\0\0", 4)});
    d.p.registry.Put(App + "\\Sub", {"s", platform::RegSz, W("registration")});
    LervIni& dlg = OpenSettings(d);
    dlg.FilePath.SetText("HKCU\\Software\\Vendor\\App");
    dlg.FileAdd.Click();
    ASSERT_TRUE(dlg.ApplyFileList());
    // Its own section and "R" key; [File] as it was; the rows show both.
    EXPECT_EQ(d.IniValue("Registry", "R1"), AppKey);
    EXPECT_EQ(d.IniValue("File", "F3"), "<missing>");
    EXPECT_EQ(dlg.FileList.Items(), (std::vector<std::string>{Work + "memo.txt", Work + "Notes\\", AppKey}));
    const std::string registration = d.p.fs.Content(Stored("All Users", "R1\\Registry.reg"));
    EXPECT_EQ(registration, LiveFile(d));
    InPlaceRecord record;
    record.Load(d.p.context);
    EXPECT_EQ(record.Owner("R1"), "Aoi");

    // Aoi changes it; Ben, who has no copy, gets the registration copy.
    d.p.registry.Put(App + "\\Sub", {"s", platform::RegSz, W("Aoi")});
    d.p.registry.Put(App, {"aoi", platform::RegBinary, "a"});
    const std::string aois = LiveFile(d);
    std::string ben = "Ben";
    ASSERT_TRUE(d.forms.TollervyMain().SetData("Aoi", ben));
    EXPECT_EQ(LiveFile(d), registration);
    EXPECT_EQ(d.p.fs.Content(Stored("Aoi", "R1\\Registry.reg")), aois);
    record.Load(d.p.context);
    EXPECT_EQ(record.Owner("R1"), "Ben");

    // Removed with the registration copy kept in place: every stored copy goes.
    d.state.CurrentUserName = "Ben";
    d.state.DeleteType = "1";
    d.p.registry.Put(App, {"ben", platform::RegBinary, "b"});
    dlg.FileList.RemoveItem(2);
    ASSERT_TRUE(dlg.ApplyFileList());
    EXPECT_EQ(LiveFile(d), registration);
    EXPECT_EQ(d.IniValue("Registry", "R1"), "<missing>");
    for (const char* user : {"Aoi", "All Users"}) EXPECT_FALSE(d.p.fs.Exists(Stored(user, "R1"))) << user;
    EXPECT_EQ(dlg.FileList.Items(), (std::vector<std::string>{Work + "memo.txt", Work + "Notes\\"}));
}

}  // namespace
}  // namespace tollervy
