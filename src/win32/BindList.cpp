// List boxes and drop-down lists (a ListBox model on a LISTBOX or a COMBOBOX
// window): the rows, the selection, and the selection and double-click
// notifications.
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
