// Labels, frames, command buttons, check boxes and option buttons: a caption,
// a check state, and BN_CLICKED.
#include "win32/Encoding.h"
#include "win32/HostWindow.h"

namespace tollervy::win32::host {

bool PushButtonLike(HostWindow& w, ui::Control& control, HWND child) {
    auto* check = dynamic_cast<ui::CheckBox*>(&control);
    auto* option = dynamic_cast<ui::OptionButton*>(&control);
    if (!check && !option && !dynamic_cast<ui::Label*>(&control) && !dynamic_cast<ui::Frame*>(&control) &&
        !dynamic_cast<ui::CommandButton*>(&control))
        return false;
    const std::string shown = ShownCaption(w, control);
    if (WindowText(child) != shown) {
        ++w.settingText;
        SetWindowTextUtf8(child, shown);
        --w.settingText;
    }
    if (check || option) {
        const bool on = check ? check->Value() != 0 : option->Value();
        const WPARAM state = on ? BST_CHECKED : BST_UNCHECKED;
        if (static_cast<WPARAM>(SendMessageW(child, BM_GETCHECK, 0, 0)) != state)
            SendMessageW(child, BM_SETCHECK, state, 0);
    }
    return true;
}

bool CommandButtonLike(HostWindow&, ui::Control& control, HWND child, int code) {
    if (auto* button = dynamic_cast<ui::CommandButton*>(&control)) {
        if (code == BN_CLICKED) button->Click();
        return true;
    }
    if (auto* check = dynamic_cast<ui::CheckBox*>(&control)) {
        if (code == BN_CLICKED) check->SetValue(SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
        return true;
    }
    if (auto* option = dynamic_cast<ui::OptionButton*>(&control)) {
        // An automatic option button checks itself before it tells; a click
        // on the one already selected selects it again, as a click does.
        if (code == BN_CLICKED && SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED) option->SetValue(true);
        return true;
    }
    return dynamic_cast<ui::Label*>(&control) || dynamic_cast<ui::Frame*>(&control);
}

}  // namespace tollervy::win32::host
