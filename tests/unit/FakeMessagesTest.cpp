// The scripted message boxes and forms must fail a test that meets a box or
// a modal form it did not script; otherwise a wrong message would pass.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "fakes/FakeFormHost.h"
#include "fakes/FakeMessages.h"
#include "ui/Form.h"

namespace tollervy::fakes {
namespace {

TEST(FakeMessages, AnswersInOrderAndFailsOnAnUnexpectedBox) {
    FakeMessages messages;
    messages.Expect(platform::AnswerYes);
    messages.Expect("続行", platform::AnswerNo);
    EXPECT_EQ(messages.Show("first", "Tollervy", 4116), platform::AnswerYes);
    EXPECT_EQ(messages.Show("処理を続行しますか?", "Tollervy", 4116), platform::AnswerNo);
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(messages.Show("surprise", "Tollervy", 16), platform::AnswerOK), "surprise");
    messages.Expect("続行", platform::AnswerYes);
    EXPECT_NONFATAL_FAILURE(messages.Show("other text", "Tollervy", 16), "other text");
    ASSERT_EQ(messages.Count(), 4u);
    EXPECT_EQ(messages.Texts()[1], "処理を続行しますか?");
    EXPECT_EQ(messages.Last().style, 16u);
    EXPECT_EQ(messages.Boxes()[3].answer, platform::AnswerYes);
    EXPECT_NONFATAL_FAILURE(
        {
            FakeMessages unused;
            unused.Expect("never shown", platform::AnswerOK);
        },
        "never came");
}

class Dialog : public ui::Form {
public:
    explicit Dialog(ui::FormHost& host) : ui::Form(host, "Dialog", 101) {}
    ui::CommandButton OK{*this, 1, "CommandOK"};
};

TEST(FakeFormHost, RunsScriptsAndFailsOnAnUnscriptedModalForm) {
    FakeFormHost host;
    Dialog dialog(host);
    EXPECT_NONFATAL_FAILURE(dialog.ShowModal(), "no script");
    EXPECT_FALSE(dialog.Visible());

    int clicks = 0;
    dialog.OK.OnClick = [&] {
        ++clicks;
        dialog.Hide();
    };
    host.OnShow("Dialog", [](ui::Form& f) { static_cast<Dialog&>(f).OK.Click(); });
    host.OnShowOnce("Dialog", [](ui::Form&) {});  // leaves it visible
    EXPECT_NONFATAL_FAILURE(dialog.ShowModal(), "still visible");
    dialog.ShowModal();
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(dialog.Visible());
    const auto c = host.CountsOf("Dialog");
    EXPECT_EQ(c.created, 1);
    EXPECT_EQ(c.shownModal, 3);
    EXPECT_EQ(c.hidden, 3);
    dialog.OK.SetEnabled(false);
    ASSERT_FALSE(host.Updates().empty());
    EXPECT_EQ(host.Updates().back().control, "CommandOK");
    EXPECT_FALSE(host.Updates().back().enabled);
    dialog.OK.SetFocus();
    EXPECT_EQ(host.FocusOf("Dialog"), "CommandOK");
    dialog.Unload();
    EXPECT_EQ(host.CountsOf("Dialog").destroyed, 1);
}

}  // namespace
}  // namespace tollervy::fakes
