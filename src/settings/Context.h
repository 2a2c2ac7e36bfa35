// What every procedure of the program works with: the platform services and
// the shared program state.
#pragma once
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/System.h"
#include "settings/GrobalMod.h"

namespace tollervy {

// The main window's status display during a switch. The engine shows its
// progress only through this.
class StatusDisplay {
public:
    virtual ~StatusDisplay() = default;
    virtual void SetPhaseText(const std::string& text) = 0;   // StatusMess
    // StatusDetail: the whole file line; the window shows it shortened
    // (ShortenStatusLine), and only what it paints needs shortening.
    virtual void SetDetailText(const std::string& text) = 0;
    virtual void SetBar(float value) = 0;                     // StatusBar, 0 to 100
    virtual void MakeVisible() = 0;
    virtual void Repaint() = 0;
};

struct Context {
    platform::FileSystem& fs;
    platform::Profile& profile;
    platform::Messages& messages;
    platform::System& system;
    platform::Shell& shell;
    GrobalMod state;
    StatusDisplay* status = nullptr;
    // The registry of HKEY_CURRENT_USER; without one, registry items fail.
    platform::Registry* registry = nullptr;
};

}  // namespace tollervy
