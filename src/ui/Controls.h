// The form model: controls as plain state objects that raise their events the
// way the original toolkit did. The logic sets and reads them; a FormHost
// mirrors them onto real windows (or nowhere, in tests).
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tollervy::ui {

class Form;
class Frame;

struct Font {
    std::string face;     // "" = the template's font
    int charset = 1;      // DEFAULT_CHARSET; 128 = SHIFTJIS_CHARSET
    bool operator==(const Font&) const = default;
};

class Control {
public:
    Control(Form& owner, int id, std::string name);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    int Id() const { return id_; }
    const std::string& Name() const { return name_; }
    Form& Owner() const { return owner_; }

    // Caption of a label, button or frame; the text of a text box.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    const std::string& ToolTipText() const { return toolTip_; }
    void SetToolTipText(const std::string& tip);
    const Font& GetFont() const { return font_; }
    void SetFont(const Font& font);
    // Moves the keyboard focus here (through the host).
    void SetFocus();

    // The frame that contains this control (null: the form itself). A
    // control shows only while every frame around it is visible, and takes
    // input only while every frame around it is enabled; its own Visible and
    // Enabled keep their values meanwhile.
    Frame* Container() const { return container_; }
    bool ShownOnScreen() const;
    bool Usable() const;

    // Position and size in pixels within the form's client area. The host
    // fills them in from the template when the window is made; Move moves the
    // control's window.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void Move(int left, int top, int width, int height);
    void SetBounds(int left, int top, int width, int height);  // used by the host

    // Files dropped onto the control from the shell (full paths, in the order
    // the shell gives them). The host accepts drops only where this is set.
    std::function<void(const std::vector<std::string>& paths)> OnDropFiles;
    void DropFiles(const std::vector<std::string>& paths) {
        if (OnDropFiles) OnDropFiles(paths);
    }

protected:
    // Tells the host that the state changed, so the window follows.
    void Changed();

private:
    friend class Frame;
    Form& owner_;
    int id_;
    std::string name_;
    std::string caption_;
    bool enabled_ = true;
    bool visible_ = true;
    std::string toolTip_;
    Font font_;
    Frame* container_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

// A group box that contains other controls (a page of a tabbed dialog, a
// group of options).
class Frame : public Control {
public:
    using Control::Control;
    // Puts `child` into this frame.
    void Contain(Control& child);
    const std::vector<Control*>& Children() const { return children_; }

private:
    std::vector<Control*> children_;
};

class Label : public Control {
public:
    using Control::Control;
};

class TextBox : public Control {
public:
    using Control::Control;
    const std::string& Text() const { return Caption(); }
    // Setting another text raises Change, whoever sets it.
    void SetText(const std::string& text);
    std::function<void()> Change;
    // A click into the box.
    std::function<void()> OnClick;
    void Click() {
        if (Usable() && OnClick) OnClick();
    }
    bool PasswordMasked() const { return masked_; }
    void SetPasswordMasked(bool masked) { masked_ = masked; Changed(); }

private:
    bool masked_ = false;
};

class CommandButton : public Control {
public:
    using Control::Control;
    std::function<void()> OnClick;
    // A press of the button (by the user, or Enter/Escape through the form).
    void Click();
};

class CheckBox : public Control {
public:
    using Control::Control;
    int Value() const { return value_; }  // 0 unchecked, 1 checked
    // Setting another value raises the click handler at once.
    void SetValue(int value);
    std::function<void()> OnClick;

private:
    int value_ = 0;
};

// One button of a group of option buttons; selecting one clears the others.
class OptionButtons;
class OptionButton : public Control {
public:
    OptionButton(Form& owner, int id, std::string name, OptionButtons& group, int index);
    bool Value() const { return value_; }
    // True selects this button, clears the others of its group and raises
    // the group's click handler with this button's index, also when the
    // button was already selected. False clears it without an event.
    void SetValue(bool value);
    int Index() const { return index_; }

private:
    friend class OptionButtons;
    OptionButtons& group_;
    int index_;
    bool value_ = false;
};

// An indexed group of option buttons: the index is the value the group
// stands for, whatever the order on screen.
class OptionButtons {
public:
    // One button per id; button i gets ids[i] and the name "name(i)".
    OptionButtons(Form& owner, const std::string& name, const std::vector<int>& ids);
    OptionButtons(const OptionButtons&) = delete;
    OptionButtons& operator=(const OptionButtons&) = delete;

    int Count() const { return static_cast<int>(buttons_.size()); }
    bool Has(int index) const { return index >= 0 && index < Count(); }
    // The button of a valid index (see Has).
    OptionButton& operator[](int index) { return *buttons_.at(static_cast<std::size_t>(index)); }
    const OptionButton& operator[](int index) const { return *buttons_.at(static_cast<std::size_t>(index)); }
    // The index of the selected button; -1 when none is.
    int Selected() const;

    std::function<void(int index)> OnClick;

private:
    friend class OptionButton;
    std::vector<std::unique_ptr<OptionButton>> buttons_;
};

// A list box or drop-down list of text rows with at most one selected row.
class ListBox : public Control {
public:
    using Control::Control;
    int ListCount() const { return static_cast<int>(items_.size()); }
    // The text of a row ("" for an index outside the list).
    const std::string& List(int index) const;
    void SetList(int index, const std::string& text);
    // Inserts before `index`, or appends when index is -1 or past the end.
    void AddItem(const std::string& text, int index = -1);
    void RemoveItem(int index);
    void Clear();
    // Replaces every row at once; no row is selected afterwards (no event,
    // as with Clear).
    void SetItems(std::vector<std::string> items);
    const std::vector<std::string>& Items() const { return items_; }
    // The selected row; -1 when none is.
    int ListIndex() const { return listIndex_; }
    // Selecting another row (or none: -1) raises the click handler.
    void SetListIndex(int index);
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    void DblClick() {
        if (Usable() && OnDblClick) OnDblClick();
    }

private:
    std::vector<std::string> items_;
    int listIndex_ = -1;
};

// A tab strip: tabs with caption, key and tool tip, numbered from 1.
class TabStrip : public Control {
public:
    using Control::Control;
    struct Tab {
        std::string caption, key, toolTip;
    };
    void AddTab(const std::string& caption, const std::string& key, const std::string& toolTip);
    int TabCount() const { return static_cast<int>(tabs_.size()); }
    const Tab& TabAt(int index) const { return tabs_.at(static_cast<std::size_t>(index - 1)); }
    const std::vector<Tab>& Tabs() const { return tabs_; }
    // The selected tab's index (1-based; 0 when there are no tabs).
    int SelectedIndex() const { return selected_; }
    // The selected tab's key ("" when none).
    std::string SelectedKey() const;
    // Selecting a tab, by the user or from code, raises the click handler.
    void Select(int index);
    std::function<void()> OnClick;

private:
    std::vector<Tab> tabs_;
    int selected_ = 0;
};

// A scroll bar: a value between Min and Max.
class ScrollBar : public Control {
public:
    using Control::Control;
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Value() const { return value_; }
    int LargeChange() const { return largeChange_; }
    void SetLargeChange(int change) { largeChange_ = change; Changed(); }
    // A value outside the new range moves into it (raising Change).
    void SetRange(int min, int max);
    // Clamped to the range; another value raises Change.
    void SetValue(int value);
    std::function<void()> Change;

private:
    int min_ = 0, max_ = 0, value_ = 0, largeChange_ = 1;
};

class ProgressBar : public Control {
public:
    using Control::Control;
    float Min() const { return min_; }
    float Max() const { return max_; }
    float Value() const { return value_; }
    void SetRange(float min, float max);
    // Values outside the range are clamped to it.
    void SetValue(float value);

private:
    float min_ = 0, max_ = 100, value_ = 0;
};

class PictureBox : public Control {
public:
    using Control::Control;
};

// An indexed array of controls of one kind (a row of check boxes, say):
// control i gets ids[i] and the name "name(i)".
template <class T>
class ControlArray {
public:
    ControlArray(Form& owner, const std::string& name, const std::vector<int>& ids) {
        for (std::size_t i = 0; i < ids.size(); ++i)
            items_.push_back(std::make_unique<T>(owner, ids[i], name + "(" + std::to_string(i) + ")"));
    }
    ControlArray(const ControlArray&) = delete;
    ControlArray& operator=(const ControlArray&) = delete;
    int Count() const { return static_cast<int>(items_.size()); }
    T& operator[](int index) { return *items_.at(static_cast<std::size_t>(index)); }
    const T& operator[](int index) const { return *items_.at(static_cast<std::size_t>(index)); }

private:
    std::vector<std::unique_ptr<T>> items_;
};

// Ids first, first + 1, ... for `count` controls.
inline std::vector<int> IdRange(int first, int count) {
    std::vector<int> ids;
    for (int i = 0; i < count; ++i) ids.push_back(first + i);
    return ids;
}

// One item of a form's menu, with its sub-items.
class MenuItem {
public:
    MenuItem(int id, std::string name, std::string caption) : id_(id), name_(std::move(name)), caption_(std::move(caption)) {}
    int Id() const { return id_; }
    const std::string& Name() const { return name_; }
    const std::string& Caption() const { return caption_; }
    bool Visible() const { return visible_; }
    void SetVisible(bool v) { visible_ = v; }
    std::vector<MenuItem*> Items;
    std::function<void()> OnClick;
    void Click() { if (OnClick) OnClick(); }

private:
    int id_;
    std::string name_;
    std::string caption_;
    bool visible_ = true;
};

}  // namespace tollervy::ui
