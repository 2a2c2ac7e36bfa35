#include "ui/Form.h"

namespace tollervy::ui {

Form::Form(FormHost& host, std::string name, int templateId)
    : host_(host), name_(std::move(name)), templateId_(templateId) {}

void Form::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    if (created_) host_.Update(*this, nullptr);
}

void Form::Move(int left, int top) {
    left_ = left;
    top_ = top;
    if (created_) host_.Update(*this, nullptr);
}

void Form::SetBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
}

void Form::SetVisible(bool visible) {
    if (visible) Show();
    else Hide();
}

void Form::Load() {
    if (loaded_) return;
    loaded_ = true;
    if (!created_) {
        host_.Create(*this);
        created_ = true;
    }
    loading_ = true;
    hiddenWhileLoading_ = false;
    Form_Load();
    loading_ = false;
}

void Form::Show() {
    Load();
    if (!loaded_) return;  // Form_Load unloaded it
    // Hidden by what its load did (another window took its place): the show
    // that loaded it does not bring it back.
    if (hiddenWhileLoading_) {
        hiddenWhileLoading_ = false;
        return;
    }
    visible_ = true;
    host_.Show(*this, false);
}

void Form::ShowModal() {
    Load();
    if (!loaded_) return;
    visible_ = true;
    host_.Show(*this, true);
}

void Form::Hide() {
    if (loading_) hiddenWhileLoading_ = true;
    if (!visible_) return;
    visible_ = false;
    if (created_) host_.Hide(*this);
}

void Form::Unload() {
    if (!loaded_ || unloading_) return;
    unloading_ = true;
    if (!Form_QueryUnload() || !loaded_) {
        unloading_ = false;
        return;
    }
    // The form counts as loaded while its unload handler runs, so showing
    // it meanwhile (a progress display) never loads it a second time.
    Form_Unload();
    loaded_ = false;
    unloading_ = false;
    visible_ = false;
    if (created_) {
        created_ = false;
        host_.Destroy(*this);
    }
}

void Form::Refresh() {
    if (created_) host_.Repaint(*this);
}

}  // namespace tollervy::ui
