// Progress bars: the value as a whole percentage of the range.

#include <algorithm>
#include <cmath>

#include "win32/HostWindow.h"

#include <commctrl.h>

namespace tollervy::win32::host {

bool PushProgress(HostWindow&, ui::Control& control, HWND child, Pushed& pushed) {
    auto* bar = dynamic_cast<ui::ProgressBar*>(&control);
    if (!bar) return false;
    int percent = 0;
    const float span = bar->Max() - bar->Min();
    if (span > 0) {
        const float value = (bar->Value() - bar->Min()) * 100.0f / span;
        percent = std::clamp(static_cast<int>(std::lround(value)), 0, 100);
    }
    if (pushed.progress != percent) {
        if (pushed.progress < 0) SendMessageW(child, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        SendMessageW(child, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
        pushed.progress = percent;
    }
    return true;
}

}  // namespace tollervy::win32::host
