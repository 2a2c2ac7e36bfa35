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

bool Control::ShownOnScreen() const {
    for (const Control* c = this; c; c = c->container_)
        if (!c->visible_) return false;
    return true;
}

bool Control::Usable() const {
    for (const Control* c = this; c; c = c->container_)
        if (!c->enabled_) return false;
    return true;
}

void Control::Move(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    SetBounds(left, top, width, height);
    Changed();
}

void Control::SetBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
}

void Frame::Contain(Control& child) {
    if (child.container_ == this) return;
    if (child.container_) std::erase(child.container_->children_, &child);
    child.container_ = this;
    children_.push_back(&child);
}

void TextBox::SetText(const std::string& text) {
    if (text == Text()) return;
    SetCaption(text);
    if (Change) Change();
}

void CommandButton::Click() {
    if (Usable() && ShownOnScreen() && OnClick) OnClick();
}

void CheckBox::SetValue(int value) {
    if (value == value_) return;
    value_ = value;
    Changed();
    if (OnClick) OnClick();
}

OptionButton::OptionButton(Form& owner, int id, std::string name, OptionButtons& group, int index)
    : Control(owner, id, std::move(name)), group_(group), index_(index) {}

void OptionButton::SetValue(bool value) {
    if (!value) {
        if (!value_) return;
        value_ = false;
        Changed();
        return;
    }
    for (auto& other : group_.buttons_) {
        if (other.get() == this || !other->value_) continue;
        other->value_ = false;
        other->Changed();
    }
    if (!value_) {
        value_ = true;
        Changed();
    }
    if (group_.OnClick) group_.OnClick(index_);
}

OptionButtons::OptionButtons(Form& owner, const std::string& name, const std::vector<int>& ids) {
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const int index = static_cast<int>(i);
        buttons_.push_back(std::make_unique<OptionButton>(owner, ids[i], name + "(" + std::to_string(index) + ")",
                                                          *this, index));
    }
}

int OptionButtons::Selected() const {
    for (const auto& button : buttons_)
        if (button->Value()) return button->Index();
    return -1;
}

const std::string& ListBox::List(int index) const {
    static const std::string none;
    if (index < 0 || index >= ListCount()) return none;
    return items_[static_cast<std::size_t>(index)];
}

void ListBox::SetList(int index, const std::string& text) {
    if (index < 0 || index >= ListCount() || items_[static_cast<std::size_t>(index)] == text) return;
    items_[static_cast<std::size_t>(index)] = text;
    Changed();
}

void ListBox::AddItem(const std::string& text, int index) {
    if (index < 0 || index > ListCount()) index = ListCount();
    items_.insert(items_.begin() + index, text);
    if (listIndex_ >= index) ++listIndex_;
    Changed();
}

void ListBox::RemoveItem(int index) {
    if (index < 0 || index >= ListCount()) return;
    items_.erase(items_.begin() + index);
    // The selection goes with its row, as in a Windows list box.
    if (listIndex_ == index) listIndex_ = -1;
    else if (listIndex_ > index) --listIndex_;
    Changed();
}

void ListBox::Clear() {
    if (items_.empty() && listIndex_ < 0) return;
    items_.clear();
    listIndex_ = -1;
    Changed();
}

void ListBox::SetItems(std::vector<std::string> items) {
    if (items == items_ && listIndex_ < 0) return;
    items_ = std::move(items);
    listIndex_ = -1;
    Changed();
}

void ListBox::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) index = -1;
    if (index == listIndex_) return;
    listIndex_ = index;
    Changed();
    if (OnClick) OnClick();
}

void TabStrip::AddTab(const std::string& caption, const std::string& key, const std::string& toolTip) {
    tabs_.push_back(Tab{caption, key, toolTip});
    if (selected_ == 0) selected_ = 1;
    Changed();
}

std::string TabStrip::SelectedKey() const {
    if (selected_ < 1 || selected_ > TabCount()) return "";
    return tabs_[static_cast<std::size_t>(selected_ - 1)].key;
}

void TabStrip::Select(int index) {
    if (index < 1 || index > TabCount()) return;
    if (index != selected_) {
        selected_ = index;
        Changed();
    }
    if (OnClick) OnClick();
}

void ScrollBar::SetRange(int min, int max) {
    if (max < min) max = min;
    min_ = min;
    max_ = max;
    Changed();
    SetValue(value_);
}

void ScrollBar::SetValue(int value) {
    value = std::clamp(value, min_, max_);
    if (value == value_) return;
    value_ = value;
    Changed();
    if (Change) Change();
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
