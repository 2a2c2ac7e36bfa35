#include "driver/Forms.h"

#include "driver/TollervyMain.h"
#include "shell/FormMenu.h"
#include "users/FormLogOn.h"

namespace tollervy {

Forms::Forms(Context& c, ui::FormHost& h) : context(c), host(h) {}

Forms::~Forms() = default;

tollervy::TollervyMain& Forms::TollervyMain() {
    if (!main_) main_ = std::make_unique<tollervy::TollervyMain>(*this);
    return *main_;
}

tollervy::FormLogOn& Forms::FormLogOn() {
    if (!logOn_) logOn_ = std::make_unique<tollervy::FormLogOn>(*this);
    return *logOn_;
}

tollervy::FormMenu& Forms::FormMenu() {
    if (!menu_) menu_ = std::make_unique<tollervy::FormMenu>(*this);
    return *menu_;
}

void Forms::ShowSettingsDialog() {
    // Before the logon phase no switch has run, so there is nothing to put
    // back; from the resident program's menu the end puts the start-time
    // copies back as the exit command does.
    if (!TollervyMain().LogOnDone()) context.state.StartAllWay = "0";
    TollervyMain().Unload();
}

}  // namespace tollervy
