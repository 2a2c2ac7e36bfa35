// The access key of a layout's text: split off for the model, put back for
// the window, so the logic's captions stay plain.
#include <gtest/gtest.h>

#include "ui/Mnemonic.h"

namespace tollervy::ui {
namespace {

struct Case {
    const char* layout;   // the text in the layout
    const char* plain;    // what the model keeps
    const char* caption;  // a caption the program sets later
    const char* shown;    // what the window then shows
};

TEST(Mnemonic, SplitForTheModelAndPutBackForTheWindow) {
    const Case cases[] = {
        {"キャンセル(&C)", "キャンセル", "キャンセル", "キャンセル(&C)"},
        {"ユーザ名(&U) :", "ユーザ名 :", "ユーザ名 :", "ユーザ名(&U) :"},
        {"パスワード(&P)：", "パスワード：", "パスワード：", "パスワード(&P)："},
        // A caption the logic changes keeps the letter; without the layout's
        // tail the mark goes to the end.
        {"ログオンしているユーザのデータ(&L)", "ログオンしているユーザのデータ", "Aoiのデータ", "Aoiのデータ(&L)"},
        {"ユーザ名(&U) :", "ユーザ名 :", "名前", "名前(&U)"},
        // Parentheses of the text itself are not a mark.
        {"無視する(危険)(&I)", "無視する(危険)", "無視する(危険)", "無視する(危険)(&I)"},
        {"(&1) 一番目", " 一番目", " 一番目", "(&1) 一番目"},
        // No mark: the text stays as it is, in both directions.
        {"OK", "OK", "OK", "OK"},
        {"(&)", "(&)", "(&)", "(&)"},
        {"a(&あ)", "a(&あ)", "a(&あ)", "a(&あ)"},
        {"(&C", "(&C", "(&C", "(&C"},
        {"(&CD)", "(&CD)", "(&CD)", "(&CD)"},
        {"...", "...", "x", "x"},
    };
    for (const Case& c : cases) {
        Mnemonic m;
        EXPECT_EQ(StripMnemonic(c.layout, &m), c.plain) << c.layout;
        EXPECT_EQ(WithMnemonic(c.caption, m), c.shown) << c.layout << " / " << c.caption;
    }
}

TEST(Mnemonic, AnEmptyCaptionShowsNoLoneKey) {
    Mnemonic m;
    StripMnemonic("削除(&R)", &m);
    EXPECT_EQ(m.mark, "(&R)");
    EXPECT_EQ(WithMnemonic("", m), "");
    EXPECT_EQ(WithMnemonic(" :", Mnemonic{"(&U)", " :"}), "(&U) :");
}

}  // namespace
}  // namespace tollervy::ui
