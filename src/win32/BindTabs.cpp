// Tab strips: the tabs with their captions, the selection (TCN_SELCHANGE
// raises the strip's click) and each tab's tool tip.

#include "win32/Encoding.h"
#include "win32/HostWindow.h"

#include <commctrl.h>

namespace tollervy::win32::host {

namespace {

// The strip's page body in the dialog's own colour, like the controls on
// it: a visual style paints the body of a tab control lighter than the
// dialog, and every label and check box on the page would stand out as a
// grey stripe. uxtheme.dll is looked up, not imported: without it the strip
// is plain already.
void PaintBodyAsDialog(HWND strip) {
    using SetThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    static const HMODULE uxtheme = LoadLibraryW(L"uxtheme.dll");
    if (!uxtheme) return;
    const auto setTheme = reinterpret_cast<SetThemeFn>(reinterpret_cast<void*>(GetProcAddress(uxtheme, "SetWindowTheme")));
    if (setTheme) setTheme(strip, L" ", L" ");
}

}  // namespace

bool PushTabs(HostWindow& w, ui::Control& control, HWND child, Pushed& pushed) {
    auto* strip = dynamic_cast<ui::TabStrip*>(&control);
    if (!strip) return false;
    ++w.settingText;
    if (pushed.tabsPushed != strip->TabCount()) {
        if (pushed.tabsPushed < 0) PaintBodyAsDialog(child);
        SendMessageW(child, TCM_DELETEALLITEMS, 0, 0);
        for (int i = 0; i < strip->TabCount(); ++i) {
            std::wstring caption = Widen(strip->TabAt(i + 1).caption);
            TCITEMW item;
            ZeroMemory(&item, sizeof item);
            item.mask = TCIF_TEXT;
            item.pszText = caption.data();
            SendMessageW(child, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        }
        pushed.tabsPushed = strip->TabCount();
    }
    const int selected = strip->SelectedIndex() - 1;
    if (selected >= 0 && static_cast<int>(SendMessageW(child, TCM_GETCURSEL, 0, 0)) != selected)
        SendMessageW(child, TCM_SETCURSEL, static_cast<WPARAM>(selected), 0);
    --w.settingText;
    return true;
}

bool NotifyTabs(HostWindow& w, ui::Control& control, HWND child, NMHDR& header) {
    auto* strip = dynamic_cast<ui::TabStrip*>(&control);
    if (!strip) return false;
    if (header.hwndFrom == child && header.code == static_cast<UINT>(TCN_SELCHANGE)) {
        if (w.settingText == 0) strip->Select(static_cast<int>(SendMessageW(child, TCM_GETCURSEL, 0, 0)) + 1);
        return true;
    }
    const HWND tips = reinterpret_cast<HWND>(SendMessageW(child, TCM_GETTOOLTIPS, 0, 0));
    if (tips && header.hwndFrom == tips && header.code == static_cast<UINT>(TTN_GETDISPINFOW)) {
        auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
        const int tab = static_cast<int>(header.idFrom) + 1;
        static std::wstring text;  // must outlive this message
        text = tab >= 1 && tab <= strip->TabCount() ? Widen(strip->TabAt(tab).toolTip) : std::wstring();
        info.lpszText = text.data();
        info.hinst = nullptr;
        return true;
    }
    return false;
}

bool TabKey(HostWindow& w, int virtualKey) {
    if (GetKeyState(VK_CONTROL) >= 0) return false;
    int step = 0;
    if (virtualKey == VK_TAB) step = GetKeyState(VK_SHIFT) < 0 ? -1 : 1;
    else if (virtualKey == VK_NEXT) step = 1;
    else if (virtualKey == VK_PRIOR) step = -1;
    if (step == 0) return false;
    for (ui::Control* control : w.form->Controls()) {
        auto* strip = dynamic_cast<ui::TabStrip*>(control);
        if (!strip || strip->TabCount() == 0 || !strip->ShownOnScreen() || !strip->Usable()) continue;
        const int count = strip->TabCount();
        strip->Select((strip->SelectedIndex() - 1 + step + count) % count + 1);
        return true;
    }
    return false;
}

}  // namespace tollervy::win32::host
