// Text boxes: the text (set by the host without raising Change twice), the
// password character, and EN_CHANGE.
#include "win32/Encoding.h"
#include "win32/HostWindow.h"

namespace tollervy::win32::host {

bool PushTextBox(HostWindow& w, ui::Control& control, HWND child, Pushed& pushed) {
    auto* textBox = dynamic_cast<ui::TextBox*>(&control);
    if (!textBox) return false;
    const int masked = textBox->PasswordMasked() ? 1 : 0;
    if (pushed.masked != masked) {
        SendMessageW(child, EM_SETPASSWORDCHAR, masked ? L'*' : 0, 0);
        InvalidateRect(child, nullptr, TRUE);
        pushed.masked = masked;
    }
    if (WindowText(child) != textBox->Text()) {
        ++w.settingText;  // the EN_CHANGE this causes is not the user's
        SetWindowTextUtf8(child, textBox->Text());
        --w.settingText;
    }
    return true;
}

bool CommandTextBox(HostWindow& w, ui::Control& control, HWND child, int code) {
    auto* textBox = dynamic_cast<ui::TextBox*>(&control);
    if (!textBox) return false;
    if (code == EN_CHANGE && w.settingText == 0) textBox->SetText(WindowText(child));
    return true;
}

}  // namespace tollervy::win32::host
