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

// The widest of these rows in the list's font, in pixels (0 for a list that
// is not a list box: a drop-down list has no horizontal scroll bar).
int WidestRow(HWND child, std::vector<std::string>::const_iterator first,
              std::vector<std::string>::const_iterator last) {
    if (!IsClass(child, L"ListBox")) return 0;
    int widest = 0;
    if (HDC dc = GetDC(child)) {
        auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
        for (auto item = first; item != last; ++item) {
            const std::wstring text = Widen(*item);
            SIZE size = {0, 0};
            if (GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size))
                widest = std::max(widest, static_cast<int>(size.cx));
        }
        if (old) SelectObject(dc, old);
        ReleaseDC(child, dc);
    }
    return widest;
}

// A list box with a horizontal scroll bar scrolls as far as its widest row
// reaches, so that a long path can be read to its end. (A list box drops
// WS_HSCROLL from its style while the bar is not needed, so the style
// cannot tell; a list without the bar ignores the range.)
void SetHorizontalExtent(HWND child, int widest) {
    if (!IsClass(child, L"ListBox")) return;
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
    const std::vector<std::string>& items = list->Items();
    // Rows added at the end (a list filled row by row) are added alone:
    // pushing the whole list for each would make filling it quadratic.
    const bool appended = pushed.itemsPushed && pushed.items.size() < items.size() &&
                          std::equal(pushed.items.begin(), pushed.items.end(), items.begin());
    if (appended) {
        for (auto item = items.begin() + static_cast<std::ptrdiff_t>(pushed.items.size()); item != items.end(); ++item) {
            const std::wstring text = Widen(*item);
            SendMessageW(child, m.add, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        const int widest =
            WidestRow(child, items.begin() + static_cast<std::ptrdiff_t>(pushed.items.size()), items.end());
        if (widest > pushed.widestItem) SetHorizontalExtent(child, pushed.widestItem = widest);
        pushed.items.insert(pushed.items.end(), items.begin() + static_cast<std::ptrdiff_t>(pushed.items.size()),
                            items.end());
    } else if (!pushed.itemsPushed || pushed.items != items) {
        // A sorted window would put the rows out of the model's order.
        SendMessageW(child, WM_SETREDRAW, FALSE, 0);
        SendMessageW(child, m.reset, 0, 0);
        for (const std::string& item : items) {
            const std::wstring text = Widen(item);
            SendMessageW(child, m.add, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        SetHorizontalExtent(child, pushed.widestItem = WidestRow(child, items.begin(), items.end()));
        SendMessageW(child, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(child, nullptr, TRUE);
        pushed.items = items;
        pushed.itemsPushed = true;
    }
    if (static_cast<int>(SendMessageW(child, m.getSel, 0, 0)) != list->ListIndex())
        SendMessageW(child, m.setSel, static_cast<WPARAM>(list->ListIndex()), 0);
    --w.settingText;
    return true;
}

void FitListWidth(ui::Control& control, HWND child, Pushed& pushed) {
    if (auto* list = dynamic_cast<ui::ListBox*>(&control))
        SetHorizontalExtent(child, pushed.widestItem = WidestRow(child, list->Items().begin(), list->Items().end()));
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
