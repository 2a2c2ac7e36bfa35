#include "fakes/FakeMessages.h"

#include <gtest/gtest.h>

namespace tollervy::fakes {

FakeMessages::~FakeMessages() {
    for (const auto& e : queue_)
        ADD_FAILURE() << "An expected message box never came"
                      << (e.description.empty() ? std::string() : " (" + e.description + ")") << ", answer " << e.answer;
}

int FakeMessages::Show(const std::string& text, const std::string& caption, unsigned style) {
    int answer = platform::AnswerOK;
    if (queue_.empty()) {
        ADD_FAILURE() << "Unexpected message box: \"" << text << "\" (caption \"" << caption << "\", style " << style
                      << ")";
    } else {
        const Expectation e = std::move(queue_.front());
        queue_.pop_front();
        if (e.matcher && !e.matcher(text))
            ADD_FAILURE() << "Message box \"" << text << "\" is not the one expected: " << e.description;
        answer = e.answer;
    }
    boxes_.push_back(MessageBox{text, caption, style, answer});
    return answer;
}

void FakeMessages::Expect(int answer) { queue_.push_back(Expectation{nullptr, {}, answer}); }

void FakeMessages::Expect(const std::string& textPart, int answer) {
    queue_.push_back(Expectation{[textPart](const std::string& text) { return text.find(textPart) != std::string::npos; },
                                 "a text containing \"" + textPart + "\"", answer});
}

void FakeMessages::Expect(std::function<bool(const std::string&)> matcher, std::string description, int answer) {
    queue_.push_back(Expectation{std::move(matcher), std::move(description), answer});
}

std::vector<std::string> FakeMessages::Texts() const {
    std::vector<std::string> texts;
    for (const auto& b : boxes_) texts.push_back(b.text);
    return texts;
}

const MessageBox& FakeMessages::Last() const {
    static const MessageBox none;
    if (boxes_.empty()) {
        ADD_FAILURE() << "No message box was shown";
        return none;
    }
    return boxes_.back();
}

void FakeMessages::Clear() {
    boxes_.clear();
    queue_.clear();
}

}  // namespace tollervy::fakes
