// The logon dialog: what it shows, what it accepts and what it leaves in
// CurrentUserName.
#include <gtest/gtest.h>

#include <functional>

#include "Desk.h"
#include "users/FormLogOn.h"

namespace tollervy {
namespace {

constexpr int Enter = 13;
constexpr int Escape = 27;
const char* const Refusal =
    "ログオンできません。ユーザ名を確認して、もう一度パスワードを入力してください。パスワードは大文字と小文字が区別されます";

class LogOnDialog : public ::testing::Test {
protected:
    Desk desk;
    GrobalMod& s = desk.state;

    void SetUp() override {
        desk.p.fs.AddFolder(Desk::Data);
        s.CurrentUserName = "Taro";  // the operating-system login name
    }

    void Users(const std::vector<std::string>& lines) {
        desk.p.fs.AddTextFile(std::string(Desk::Data) + "\\User.dat", lines);
    }
    void LastUser(const std::string& name) { desk.forms.TollervyMain().mstrLogonDispName = name; }

    // Shows the dialog modally; `user` acts while it is up, after its first
    // paint. The script must close it.
    void Show(std::function<void(FormLogOn&)> user) {
        desk.p.host.OnShowOnce("FormLogOn", [user](ui::Form& f) {
            auto& logOn = static_cast<FormLogOn&>(f);
            logOn.Form_Paint();
            user(logOn);
        });
        desk.forms.FormLogOn().ShowModal();
    }
    // Shows the dialog and records what it displays at its first paint.
    struct Seen {
        std::string user, focus;
    };
    Seen ShowAndCancel() {
        Seen seen;
        Show([&](FormLogOn& f) {
            seen.user = f.TextLogonUser.Text();
            seen.focus = desk.p.host.FocusOf("FormLogOn");
            f.CommandCancel.Click();
        });
        return seen;
    }
    void Type(FormLogOn& f, const std::string& user, const std::string& password) {
        f.TextLogonUser.SetText(user);
        f.TextLogonPass.SetText(password);
    }
};

TEST_F(LogOnDialog, HasItsCaptionsControlsAndMaskedPassword) {
    FormLogOn& f = desk.forms.FormLogOn();
    EXPECT_EQ(f.Name(), "FormLogOn");
    EXPECT_EQ(f.TemplateId(), 200);
    EXPECT_EQ(f.Caption(), "ログオン情報");
    EXPECT_EQ(f.LabelLogonInfo.Caption(), "ユーザ名とパスワードを入力してください。");
    EXPECT_EQ(f.LabelLogonUser.Caption(), "ユーザ名 :");
    EXPECT_EQ(f.LabelLogonPass.Caption(), "パスワード :");
    EXPECT_EQ(f.CommandOK.Caption(), "OK");
    EXPECT_EQ(f.CommandCancel.Caption(), "キャンセル");
    EXPECT_TRUE(f.TextLogonPass.PasswordMasked());
    EXPECT_FALSE(f.TextLogonUser.PasswordMasked());

    std::vector<std::pair<std::string, int>> ids;
    for (const ui::Control* control : f.Controls()) ids.emplace_back(control->Name(), control->Id());
    EXPECT_EQ(ids, (std::vector<std::pair<std::string, int>>{{"LabelLogonInfo", 201},
                                                             {"PictureIcon", 202},
                                                             {"LabelLogonUser", 203},
                                                             {"TextLogonUser", 204},
                                                             {"LabelLogonPass", 205},
                                                             {"TextLogonPass", 206},
                                                             {"CommandOK", 207},
                                                             {"CommandCancel", 208}}));
}

TEST_F(LogOnDialog, FontFollowsTheJapaneseOptionAndStaysOnTop) {
    const std::pair<std::string, std::string> cases[] = {
        {"0", "ＭＳ Ｐゴシック"}, {"1", "ＭＳ ゴシック"}, {"", "ＭＳ ゴシック"}};
    for (const auto& [japanese, face] : cases) {
        s.StartJapanese = japanese;
        LastUser("All Users");
        ui::Font font;
        Show([&](FormLogOn& f) {
            font = f.TextLogonUser.GetFont();
            f.CommandCancel.Click();
        });
        EXPECT_EQ(font.face, face) << "Japanese \"" << japanese << "\"";
        EXPECT_EQ(font.charset, 128) << "Japanese \"" << japanese << "\"";
    }
    EXPECT_EQ(desk.p.host.topMost, (std::vector<std::string>{"FormLogOn", "FormLogOn", "FormLogOn"}));
}

TEST_F(LogOnDialog, ShowsTheLastUserAndAsksForThePassword) {
    Users({"Aoi,a,1"});
    LastUser("All Users");  // not in the user file: shown all the same
    Seen seen = ShowAndCancel();
    EXPECT_EQ(seen.user, "All Users");
    EXPECT_EQ(seen.focus, "TextLogonPass");

    LastUser("Aoi");
    seen = ShowAndCancel();
    EXPECT_EQ(seen.user, "Aoi");
    EXPECT_EQ(seen.focus, "TextLogonPass");
}

TEST_F(LogOnDialog, WithNoLastUserOffersTheLoginNameOnlyWhenItHasAPassword) {
    struct Case {
        std::string last;
        std::vector<std::string> file;
        std::string user, focus;
    };
    const Case cases[] = {
        {"\\", {"Taro,pw,1"}, "Taro", "TextLogonPass"},  // registered with a password
        {"", {"Taro,pw,1"}, "Taro", "TextLogonPass"},
        {"\\", {"Taro,,1"}, "", "TextLogonUser"},         // registered without a password
        {"\\", {"Taro,pw,0"}, "", "TextLogonUser"},       // switched off
        {"\\", {"taro,pw,1"}, "", "TextLogonUser"},       // another case is another name
        {"", {}, "", "TextLogonUser"},                    // not registered
    };
    for (const Case& k : cases) {
        Users(k.file);
        LastUser(k.last);
        s.CurrentUserName = "Taro";
        const Seen seen = ShowAndCancel();
        EXPECT_EQ(seen.user, k.user) << "last \"" << k.last << "\", file " << ::testing::PrintToString(k.file);
        EXPECT_EQ(seen.focus, k.focus) << "last \"" << k.last << "\", file " << ::testing::PrintToString(k.file);
    }
}

TEST_F(LogOnDialog, OkWithAnEmptyUserBoxDoesNothing) {
    Users({"Aoi,a,1"});
    LastUser("\\");
    bool stillUp = false;
    Show([&](FormLogOn& f) {
        f.TextLogonPass.SetText("a");
        f.CommandOK.Click();
        EXPECT_TRUE(desk.forms.FormLogOn().Loaded());
        stillUp = f.Visible();
        EXPECT_TRUE(f.Form_KeyDown(Enter));
        stillUp = stillUp && f.Visible();
        f.CommandCancel.Click();
    });
    EXPECT_TRUE(stillUp);
    EXPECT_EQ(desk.p.messages.Count(), 0u);
}

TEST_F(LogOnDialog, RefusesEveryWrongAttemptAlikeAndKeepsTheTexts) {
    Users({"Aoi,Secret,1", "Off,pw,0"});
    LastUser("Aoi");
    const std::pair<std::string, std::string> attempts[] = {
        {"Aoi", "secret"}, {"aoi", "Secret"}, {"Off", "pw"}, {"Nobody", ""}};
    Show([&](FormLogOn& f) {
        for (const auto& [user, password] : attempts) {
            desk.p.messages.Expect(Refusal, platform::AnswerOK);
            Type(f, user, password);
            f.CommandOK.Click();
            EXPECT_TRUE(f.Visible()) << user;
            EXPECT_EQ(f.TextLogonUser.Text(), user);
            EXPECT_EQ(f.TextLogonPass.Text(), password);
            EXPECT_EQ(desk.p.host.FocusOf("FormLogOn"), "TextLogonPass") << user;
            // The box closes and the dialog repaints: what was typed stays.
            f.Form_Paint();
            EXPECT_EQ(f.TextLogonUser.Text(), user);
        }
        f.CommandCancel.Click();
    });
    ASSERT_EQ(desk.p.messages.Count(), 4u);
    for (const auto& box : desk.p.messages.Boxes()) {
        EXPECT_EQ(box.text, Refusal);
        EXPECT_EQ(box.caption, "ログオンメッセージ");
        EXPECT_EQ(box.style, 48u);
    }
    EXPECT_EQ(s.CurrentUserName, "\\");
}

TEST_F(LogOnDialog, AcceptedLogonSetsTheUserAndCloses) {
    Users({"Aoi,Secret,1", "山田,パス,1"});
    LastUser("Aoi");
    Show([&](FormLogOn& f) {
        f.TextLogonPass.SetText("Secret");
        f.CommandOK.Click();
    });
    EXPECT_EQ(s.CurrentUserName, "Aoi");
    EXPECT_FALSE(desk.forms.FormLogOn().Loaded());
    EXPECT_EQ(desk.p.host.CountsOf("FormLogOn").destroyed, 1);

    // Enter acts as OK, here after a refusal.
    Show([&](FormLogOn& f) {
        desk.p.messages.Expect(Refusal, platform::AnswerOK);
        Type(f, "山田", "ぱす");
        EXPECT_TRUE(f.Form_KeyDown(Enter));
        f.TextLogonPass.SetText("パス");
        EXPECT_TRUE(f.Form_KeyDown(Enter));
    });
    EXPECT_EQ(s.CurrentUserName, "山田");
    EXPECT_FALSE(desk.forms.FormLogOn().Loaded());
}

TEST_F(LogOnDialog, AFreshShowStartsWithAnEmptyPassword) {
    Users({"Aoi,a,1"});
    LastUser("Aoi");
    Show([&](FormLogOn& f) {
        f.TextLogonPass.SetText("typed");
        f.CommandCancel.Click();
    });
    std::string password = "?";
    Show([&](FormLogOn& f) {
        password = f.TextLogonPass.Text();
        f.CommandCancel.Click();
    });
    EXPECT_EQ(password, "");
}

TEST_F(LogOnDialog, CancelAndEscapeLogOnNobody) {
    Users({"Aoi,a,1"});
    LastUser("Aoi");
    Show([&](FormLogOn& f) {
        Type(f, "Aoi", "a");  // even with a good logon typed
        f.CommandCancel.Click();
    });
    EXPECT_EQ(s.CurrentUserName, "\\");
    EXPECT_FALSE(desk.forms.FormLogOn().Loaded());

    s.CurrentUserName = "Taro";
    bool otherKeyHandled = true;
    Show([&](FormLogOn& f) {
        otherKeyHandled = f.Form_KeyDown('A');
        EXPECT_TRUE(f.Form_KeyDown(Escape));
    });
    EXPECT_FALSE(otherKeyHandled);  // other keys go on to the focused control
    EXPECT_EQ(s.CurrentUserName, "\\");
    EXPECT_FALSE(desk.forms.FormLogOn().Loaded());
    EXPECT_EQ(desk.p.messages.Count(), 0u);
}

TEST_F(LogOnDialog, EveryRefusalWithoutAUserFileUntilCancel) {
    LastUser("Aoi");  // no user file at all
    Show([&](FormLogOn& f) {
        desk.p.messages.Expect(Refusal, platform::AnswerOK);
        f.TextLogonPass.SetText("");
        f.CommandOK.Click();
        f.CommandCancel.Click();
    });
    EXPECT_EQ(s.CurrentUserName, "\\");
}

}  // namespace
}  // namespace tollervy
