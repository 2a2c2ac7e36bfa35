// The form model: controls as plain state objects that raise their events the
// way the original toolkit did. The logic sets and reads them; a FormHost
// mirrors them onto real windows (or nowhere, in tests).
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace tollervy::ui {

class Form;

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

protected:
    // Tells the host that the state changed, so the window follows.
    void Changed();

private:
    Form& owner_;
    int id_;
    std::string name_;
    std::string caption_;
    bool enabled_ = true;
    bool visible_ = true;
    std::string toolTip_;
    Font font_;
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
