#include "ui/Controls.h"

#include <algorithm>

#include "ui/Form.h"

namespace tollervy::ui {

Control::Control(Form& owner, int id, std::string name) : owner_(owner), id_(id), name_(std::move(name)) {
    owner_.Add(*this);
}

void Control::Changed() {
    if (owner_.created_) owner_.Host().Update(owner_, this);
}

void Control::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    Changed();
}

void Control::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Changed();
}

void Control::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    Changed();
}

void Control::SetToolTipText(const std::string& tip) {
    if (tip == toolTip_) return;
    toolTip_ = tip;
    Changed();
}

void Control::SetFont(const Font& font) {
    if (font == font_) return;
    font_ = font;
    Changed();
}

void Control::SetFocus() {
    if (owner_.created_) owner_.Host().SetFocus(owner_, *this);
}

void TextBox::SetText(const std::string& text) {
    if (text == Text()) return;
    SetCaption(text);
    if (Change) Change();
}

void CommandButton::Click() {
    if (Enabled() && OnClick) OnClick();
}

void CheckBox::SetValue(int value) {
    if (value == value_) return;
    value_ = value;
    Changed();
    if (OnClick) OnClick();
}

void ProgressBar::SetRange(float min, float max) {
    min_ = min;
    max_ = max;
    Changed();
}

void ProgressBar::SetValue(float value) {
    value = std::clamp(value, min_, max_);
    if (value == value_) return;
    value_ = value;
    Changed();
}

}  // namespace tollervy::ui
