// A registry key listed on the file list page: typed into the path box,
// refused keys with their messages, OK takes the registration copy; then
// switches between people made with Wine's own reg.exe: each person gets
// back their key exactly as `reg export` saw it (every type, nested
// subkeys), a value one person added is gone for the other, a key deleted
// by a program between two switches stays deleted for its owner only, and
// a person with no copy gets the registration copy.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Scenario.h"

#include <commctrl.h>

using namespace e2e;

namespace {

const char* const kDialogTitle = "Tollervy - [設定]";
enum : int { kTab = 401, kOk = 402, kFileList = 601, kFilePath = 602, kFileAdd = 604 };
constexpr int kFileTab = 1;

class RegistryKey : public Scenario {
protected:
    // A key of this test's own: HKCU\Software\Tollervy試験\<test>.
    std::string Key() const {
        return std::string("HKEY_CURRENT_USER\\Software\\Tollervy試験\\") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }
    void TearDown() override { Reg("delete \"" + Key() + "\" /f"); }

    // Runs Wine's reg.exe; its exit code (-1 when it did not run).
    int Reg(const std::string& args) {
        wchar_t system[MAX_PATH] = {};
        GetSystemDirectoryW(system, MAX_PATH);
        Process p;
        if (!p.Start(Utf8(system) + "\\reg.exe", args, liveRoot(), false)) return -1;
        DWORD code = 0;
        return p.WaitExit(kWait, &code) ? static_cast<int>(code) : -1;
    }
    // `reg export` of the key: its file's bytes ("" when the key is missing).
    std::string Export() {
        const std::string file = Live("export.reg");
        DeleteFileW(Wide(file).c_str());
        std::string bytes;
        if (Reg("export \"" + Key() + "\" \"" + file + "\" /y") != 0) return "";
        ReadBytes(file, bytes);
        return bytes;
    }
    std::string Stored(const std::string& user) {
        std::string bytes;
        ReadBytes(inst().StorePath(user, "R1") + "\\Registry.reg", bytes);
        return bytes;
    }
    // A switch to `user`, which must end without a message.
    void SwitchTo(const std::string& user) {
        Process p;
        ASSERT_TRUE(Start(p, "\"" + user + "\""));
        RunResult r = RunToEnd(p, kRun, Shot("switch-" + user));
        ASSERT_TRUE(r.ended) << "the run as " << user << " does not end";
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);
    }
    // Types a key into the path box and presses 追加; the text of the
    // message box that refuses it ("" when `refused` is false and none came).
    std::string Add(const Process& p, HWND dialog, const std::string& typed, bool refused = true) {
        if (!SetControlText(dialog, kFilePath, typed) || !PostClick(dialog, kFileAdd)) return "<not typed>";
        HWND box = WaitForMessageBox(p, "Tollervy", refused ? kWait : 1500);
        if (!box) return "";
        const std::string text = MessageText(box);
        PressButton(box, IDOK);
        WaitWindowGone(box, kWait);
        return text;
    }
    std::vector<std::string> Rows(HWND dialog) {
        std::vector<std::string> rows;
        const LRESULT count = SendDlgItemMessageW(dialog, kFileList, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[1024] = {};
            SendDlgItemMessageW(dialog, kFileList, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            rows.push_back(Utf8(text));
        }
        return rows;
    }
};

TEST_F(RegistryKey, TypedOnThePageThenEachPersonGetsTheirOwnKeyExactly) {
    const std::string k = Key();
    // Every type reg.exe makes, the default value, subkeys two deep.
    for (const std::string& add : std::vector<std::string>{"/ve /d \"既定の値\"", "/v 文字 /t REG_SZ /d \"a b\\\"c\\\\d\"", "/v exp /t REG_EXPAND_SZ /d %TEMP%\\x",
          "/v multi /t REG_MULTI_SZ /d one\\0二つ目", "/v dw /t REG_DWORD /d 42", "/v qw /t REG_QWORD /d 1234567890123",
          "/v bin /t REG_BINARY /d 00ff10" + std::string(120, 'a'), "/v none /t REG_NONE"})
        ASSERT_EQ(Reg("add \"" + k + "\" " + add + " /f"), 0) << add;
    ASSERT_EQ(Reg("add \"" + k + "\\設定\\深い\" /v x /d y /f"), 0);
    const std::string registration = Export();
    ASSERT_FALSE(registration.empty());

    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\n[Last]\nMessage=0\nUser=" + LoginName() + "\n"));
    ASSERT_TRUE(inst().MakeDataStore());
    {
        Process p;
        ASSERT_TRUE(Start(p, "-s"));
        HWND dialog = WaitForDialog(p, kDialogTitle, kWait);
        ASSERT_NE(dialog, nullptr);
        SendDlgItemMessageW(dialog, kTab, TCM_SETCURFOCUS, kFileTab, 0);
        const std::string vital = "このキーを設定することはできません\r\nWindows の動作に必要なキーか、それを含むキーです";
        EXPECT_EQ(Add(p, dialog, "HKLM\\Software\\x"),
                  "HKEY_CURRENT_USER の下のキーだけを設定できます\r\n\r\nHKLM\\Software\\x");
        EXPECT_EQ(Add(p, dialog, "HKCU"), vital + "\r\n\r\nHKCU");
        EXPECT_EQ(Add(p, dialog, "HKCU\\Software\\Microsoft"), vital + "\r\n\r\nHKEY_CURRENT_USER\\Software\\Microsoft");
        EXPECT_EQ(Add(p, dialog, "HKCU\\Software\\Tollervy試験\\無い"),
                  "キーが見つかりません。\r\n確認してください\r\n\r\nHKEY_CURRENT_USER\\Software\\Tollervy試験\\無い");
        const std::string typed = "hkcu\\" + k.substr(std::string("HKEY_CURRENT_USER\\").size());
        EXPECT_EQ(Add(p, dialog, typed, false), "");
        EXPECT_EQ(Rows(dialog), std::vector<std::string>{k});  // in its one form
        LetPaint(dialog);
        ASSERT_TRUE(Screenshot(Shot("listed")));
        ASSERT_TRUE(PostClick(dialog, kOk));
        DWORD code = 1;
        ASSERT_TRUE(p.WaitExit(kRun, &code)) << "the program did not end after OK";
        EXPECT_EQ(code, 0u);
    }
    EXPECT_EQ(inst().IniValue("Registry", "R1"), std::optional<std::string>(k));
    EXPECT_EQ(inst().IniValue("File", "F1"), std::nullopt);
    // The registration copy is the key as reg.exe exports it, byte for byte.
    EXPECT_EQ(Stored("All Users"), registration);
    EXPECT_EQ(inst().InPlaceOwners(), (std::map<std::string, std::string>{{"R1", LoginName()}}));

    SwitchTo("A");  // A has no copy: the registration copy (the key as it is)
    EXPECT_EQ(Export(), registration);
    ASSERT_EQ(Reg("add \"" + k + "\" /v Aだけ /t REG_DWORD /d 7 /f"), 0);
    ASSERT_EQ(Reg("add \"" + k + "\" /v dw /t REG_DWORD /d 43 /f"), 0);
    ASSERT_EQ(Reg("delete \"" + k + "\\設定\\深い\" /f"), 0);
    ASSERT_EQ(Reg("add \"" + k + "\\Aの\" /v bin /t REG_BINARY /d 0102 /f"), 0);
    const std::string aKey = Export();

    SwitchTo("B");
    EXPECT_EQ(Stored("A"), aKey);
    EXPECT_EQ(Export(), registration) << "B did not get the registration copy exactly";
    EXPECT_NE(Reg("query \"" + k + "\" /v Aだけ"), 0) << "the value A added is there for B";
    ASSERT_EQ(Reg("add \"" + k + "\" /v Bだけ /d b /f"), 0);
    const std::string bKey = Export();

    SwitchTo("A");
    EXPECT_EQ(Export(), aKey) << "A did not get A's key back exactly";
    EXPECT_EQ(Stored("B"), bKey);
    // A's program deletes its key; B still has B's, and C, who never came
    // before, gets the registration copy.
    ASSERT_EQ(Reg("delete \"" + k + "\" /f"), 0);
    SwitchTo("B");
    EXPECT_EQ(Export(), bKey) << "reg query: " << Reg("query \"" + k + "\" /s");
    SwitchTo("C");
    EXPECT_EQ(Export(), registration);
    SwitchTo("A");
    EXPECT_NE(Reg("query \"" + k + "\""), 0) << "A's deleted key came back";
    EXPECT_EQ(inst().InPlaceOwners(), (std::map<std::string, std::string>{{"R1", "A"}}));
}

// B's copy, edited by hand, names a key outside its item: the restore
// refuses it with the reader's reason, and while the question is on screen
// the progress window names the key as it names a path. "No" ends the run;
// A's key stays in place, saved as A's.
TEST_F(RegistryKey, Refused) {
    const std::string k = Key();
    ASSERT_EQ(Reg("add \"" + k + "\" /v a /d A /f"), 0);
    const std::string aKey = Export();
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\n[Last]\nMessage=0\nUser=A\n[Registry]\nR1=" + k + "\n"));
    ASSERT_TRUE(inst().MakeDataStore());
    const std::wstring copy = L"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n";
    ASSERT_TRUE(MakeFolders(inst().StorePath("B", "R1")));
    ASSERT_TRUE(WriteBytes(inst().StorePath("B", "R1") + "\\Registry.reg",
                           std::string(reinterpret_cast<const char*>(copy.data()), copy.size() * 2)));
    Process p;
    ASSERT_TRUE(Start(p, "\"B\"", /*waitIdle=*/false));
    HWND box = WaitForMessageBox(p, "Tollervy", kRun);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(MessageText(box).find("ユーザのデータの復活に失敗しました"), std::string::npos) << MessageText(box);
    EXPECT_NE(MessageText(box).find("この項目の外のキーが書かれています: HKEY_CURRENT_USER\\Software\\Other"),
              std::string::npos)
        << MessageText(box);
    HWND main = WaitForProgressWindow(p, kWait);
    ASSERT_NE(main, nullptr);
    // Shortened as a long path is: its start, "...\", its last name.
    EXPECT_EQ(WindowTitle(GetDlgItem(main, 102)), k.substr(0, 28) + "...\\Refused");
    ASSERT_TRUE(Screenshot(Shot("question")));
    PressButton(box, IDNO);
    RunResult r = RunToEnd(p, kRun, Shot("ends"));
    ASSERT_TRUE(r.ended);
    EXPECT_EQ(r.boxes, std::vector<std::string>{"異常が発生しました\r\n処理を終了します"});
    EXPECT_EQ(Export(), aKey);
    EXPECT_EQ(Stored("A"), aKey);
}

}  // namespace
