// Message boxes for the unit tests: every box is recorded in order and
// answered from a queue the test fills beforehand. A box that comes when the
// queue is empty fails the test (showing its text) and is answered OK. An
// answer still queued when the fake is destroyed also fails the test (the
// expected box never came); Clear() drops the queue first where that is
// intended.
#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/Messages.h"

namespace tollervy::fakes {

struct MessageBox {
    std::string text;
    std::string caption;
    unsigned style = 0;
    int answer = 0;
};

class FakeMessages : public platform::Messages {
public:
    FakeMessages() = default;
    ~FakeMessages() override;
    FakeMessages(const FakeMessages&) = delete;
    FakeMessages& operator=(const FakeMessages&) = delete;

    int Show(const std::string& text, const std::string& caption, unsigned style) override;

    // The next box is answered with `answer`, whatever it says.
    void Expect(int answer);
    // The next box must contain `textPart` in its text (the test fails when it
    // does not, and the box is still answered with `answer`).
    void Expect(const std::string& textPart, int answer);
    // The next box must satisfy `matcher`; `description` names it in failures.
    void Expect(std::function<bool(const std::string& text)> matcher, std::string description, int answer);

    // Every box shown, in order.
    const std::vector<MessageBox>& Boxes() const { return boxes_; }
    std::vector<std::string> Texts() const;
    std::size_t Count() const { return boxes_.size(); }
    // The last box (a failure and an empty record when none was shown).
    const MessageBox& Last() const;
    // Answers still queued.
    std::size_t Pending() const { return queue_.size(); }
    // Forgets the recorded boxes and the queued answers.
    void Clear();

private:
    struct Expectation {
        std::function<bool(const std::string&)> matcher;
        std::string description;
        int answer;
    };
    std::vector<MessageBox> boxes_;
    std::deque<Expectation> queue_;
};

}  // namespace tollervy::fakes
