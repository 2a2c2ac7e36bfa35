// Scroll bars: the range, the page (the large change) and the value; the
// bar's requests move the value and raise Change.
#include <algorithm>

#include "win32/HostWindow.h"

namespace tollervy::win32::host {

bool PushScroll(HostWindow&, ui::Control& control, HWND child, Pushed& pushed) {
    auto* bar = dynamic_cast<ui::ScrollBar*>(&control);
    if (!bar) return false;
    const int page = std::max(1, bar->LargeChange());
    if (pushed.scrollPushed && pushed.scrollMin == bar->Min() && pushed.scrollMax == bar->Max() &&
        pushed.scrollValue == bar->Value() && pushed.scrollPage == page)
        return true;
    SCROLLINFO info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = bar->Min();
    // The thumb spans a page, so the highest position is Max.
    info.nMax = bar->Max() + page - 1;
    info.nPage = static_cast<UINT>(page);
    info.nPos = bar->Value();
    SetScrollInfo(child, SB_CTL, &info, TRUE);
    pushed.scrollPushed = true;
    pushed.scrollMin = bar->Min();
    pushed.scrollMax = bar->Max();
    pushed.scrollValue = bar->Value();
    pushed.scrollPage = page;
    return true;
}

bool ScrollRequest(HostWindow&, ui::Control& control, HWND child, int request) {
    auto* bar = dynamic_cast<ui::ScrollBar*>(&control);
    if (!bar) return false;
    int value = bar->Value();
    switch (request) {
        case SB_LINEUP: --value; break;
        case SB_LINEDOWN: ++value; break;
        case SB_PAGEUP: value -= std::max(1, bar->LargeChange()); break;
        case SB_PAGEDOWN: value += std::max(1, bar->LargeChange()); break;
        case SB_TOP: value = bar->Min(); break;
        case SB_BOTTOM: value = bar->Max(); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO info;
            ZeroMemory(&info, sizeof info);
            info.cbSize = sizeof info;
            info.fMask = SIF_TRACKPOS;
            if (GetScrollInfo(child, SB_CTL, &info)) value = info.nTrackPos;
            break;
        }
        default: return true;
    }
    bar->SetValue(value);
    return true;
}

}  // namespace tollervy::win32::host
