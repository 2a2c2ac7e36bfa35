// Message boxes.
#pragma once
#include <string>

namespace tollervy::platform {

// Answers of a message box.
enum Answer : int { AnswerOK = 1, AnswerCancel = 2, AnswerYes = 6, AnswerNo = 7 };

class Messages {
public:
    virtual ~Messages() = default;
    // Shows a message box with the given style bits (MB_* values, system
    // modal 4096 included by the caller when wanted) and returns the button.
    virtual int Show(const std::string& text, const std::string& caption, unsigned style) = 0;
};

}  // namespace tollervy::platform
