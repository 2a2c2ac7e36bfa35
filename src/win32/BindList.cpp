// List boxes and drop-down lists (a ListBox model on a LISTBOX or a COMBOBOX
// window): the rows, the selection, and the selection and double-click
// notifications.
#include <algorithm>
#include <string>
#include <vector>

#include "win32/Encoding.h"
#include "win32/HostWindow.h"

namespace tollervy::win32::host {

namespace {

struct ListMessages {
    UINT reset, add, setSel, getSel;
    int selChange, dblClick;
};

ListMessages MessagesOf(HWND child) {
    if (IsClass(child, L"ComboBox"))
        return {CB_RESETCONTENT, CB_ADDSTRING, CB_SETCURSEL, CB_GETCURSEL, CBN_SELCHANGE, CBN_DBLCLK};
    return {LB_RESETCONTENT, LB_ADDSTRING, LB_SETCURSEL, LB_GETCURSEL, LBN_SELCHANGE, LBN_DBLCLK};
}

// A list box with a horizontal scroll bar scrolls as far as its widest row
// reaches, so that a long path can be read to its end.
void FitHorizontalExtent(HWND child, const std::vector<std::string>& items) {
    // (A list box drops WS_HSCROLL from its style while the bar is not
    // needed, so the style cannot tell; a list without the bar ignores the
    // range.)
    if (!IsClass(child, L"ListBox")) return;
    int widest = 0;
    if (HDC dc = GetDC(child)) {
        auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
        for (const std::string& item : items) {
            const std::wstring text = Widen(item);
            SIZE size = {0, 0};
            if (GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size))
                widest = std::max(widest, static_cast<int>(size.cx));
        }
        if (old) SelectObject(dc, old);
        ReleaseDC(child, dc);
    }
    // The row's text starts a few pixels in from the left edge.
    constexpr int Margin = 6;
    SendMessageW(child, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest > 0 ? widest + Margin : 0), 0);
}

}  // namespace

bool PushList(HostWindow& w, ui::Control& control, HWND child, Pushed& pushed) {
    auto* list = dynamic_cast<ui::ListBox*>(&control);
    if (!list) return false;
    const ListMessages m = MessagesOf(child);
    ++w.settingText;  // nothing the host does here is the user's choice
    if (!pushed.itemsPushed || pushed.items != list->Items()) {
        // A sorted window would put the rows out of the model's order.
        SendMessageW(child, WM_SETREDRAW, FALSE, 0);
        SendMessageW(child, m.reset, 0, 0);
        for (const std::string& item : list->Items()) {
            const std::wstring text = Widen(item);
            SendMessageW(child, m.add, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        FitHorizontalExtent(child, list->Items());
        SendMessageW(child, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(child, nullptr, TRUE);
        pushed.items = list->Items();
        pushed.itemsPushed = true;
    }
    if (static_cast<int>(SendMessageW(child, m.getSel, 0, 0)) != list->ListIndex())
        SendMessageW(child, m.setSel, static_cast<WPARAM>(list->ListIndex()), 0);
    --w.settingText;
    return true;
}

void FitListWidth(ui::Control& control, HWND child) {
    if (auto* list = dynamic_cast<ui::ListBox*>(&control)) FitHorizontalExtent(child, list->Items());
}

bool CommandList(HostWindow& w, ui::Control& control, HWND child, int code) {
    auto* list = dynamic_cast<ui::ListBox*>(&control);
    if (!list) return false;
    if (w.settingText > 0) return true;
    const ListMessages m = MessagesOf(child);
    if (code == m.selChange) {
        list->SetListIndex(static_cast<int>(SendMessageW(child, m.getSel, 0, 0)));
    } else if (code == m.dblClick) {
        const int index = static_cast<int>(SendMessageW(child, m.getSel, 0, 0));
        if (index != list->ListIndex()) list->SetListIndex(index);
        list->DblClick();
    }
    return true;
}

}  // namespace tollervy::win32::host
