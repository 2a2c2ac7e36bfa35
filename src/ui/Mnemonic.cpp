#include "ui/Mnemonic.h"

namespace tollervy::ui {

namespace {
bool IsKeyCharacter(char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9');
}
}  // namespace

std::string StripMnemonic(const std::string& text, Mnemonic* found) {
    if (found) *found = Mnemonic{};
    for (std::size_t at = text.find("(&"); at != std::string::npos; at = text.find("(&", at + 1)) {
        if (at + 3 >= text.size() || !IsKeyCharacter(text[at + 2]) || text[at + 3] != ')') continue;
        if (found) {
            found->mark = text.substr(at, 4);
            found->tail = text.substr(at + 4);
        }
        return text.substr(0, at) + text.substr(at + 4);
    }
    return text;
}

std::string WithMnemonic(const std::string& caption, const Mnemonic& mnemonic) {
    if (mnemonic.mark.empty() || caption.empty()) return caption;
    const std::string& tail = mnemonic.tail;
    if (!tail.empty() && caption.size() >= tail.size() &&
        caption.compare(caption.size() - tail.size(), tail.size(), tail) == 0)
        return caption.substr(0, caption.size() - tail.size()) + mnemonic.mark + tail;
    return caption + mnemonic.mark;
}

}  // namespace tollervy::ui
