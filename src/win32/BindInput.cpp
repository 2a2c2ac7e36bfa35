// Clicks into a text box and files dropped onto a control: the control's own
// window is subclassed to see them.

#include <vector>

#include "win32/Encoding.h"
#include "win32/HostWindow.h"

#include <shellapi.h>

namespace tollervy::win32::host {

namespace {

constexpr wchar_t PreviousProc[] = L"Tollervy.PreviousProc";
constexpr wchar_t BoundControl[] = L"Tollervy.Control";

std::vector<std::string> DroppedPaths(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        const UINT got = DragQueryFileW(drop, i, path.data(), length + 1);
        path.resize(got);
        if (!path.empty()) paths.push_back(Narrow(path));
    }
    return paths;
}

LRESULT CALLBACK InputProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(GetPropW(hwnd, PreviousProc));
    auto* control = static_cast<ui::Control*>(GetPropW(hwnd, BoundControl));
    if (message == WM_DROPFILES && control) {
        auto drop = reinterpret_cast<HDROP>(wParam);
        const std::vector<std::string> paths = DroppedPaths(drop);
        DragFinish(drop);
        if (!paths.empty()) control->DropFiles(paths);
        return 0;
    }
    if (message == WM_NCDESTROY) {
        DetachInput(hwnd);
        return previous ? CallWindowProcW(previous, hwnd, message, wParam, lParam) : 0;
    }
    const LRESULT result = previous ? CallWindowProcW(previous, hwnd, message, wParam, lParam)
                                    : DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_LBUTTONUP && control) {
        if (auto* textBox = dynamic_cast<ui::TextBox*>(control)) textBox->Click();
    }
    return result;
}

}  // namespace

void AttachInput(HostWindow&, ui::Control& control, HWND child) {
    auto* textBox = dynamic_cast<ui::TextBox*>(&control);
    const bool clicks = textBox && textBox->OnClick;
    const bool drops = static_cast<bool>(control.OnDropFiles);
    if (!clicks && !drops) return;
    if (GetPropW(child, BoundControl)) return;
    SetPropW(child, BoundControl, &control);
    SetPropW(child, PreviousProc, reinterpret_cast<HANDLE>(GetWindowLongPtrW(child, GWLP_WNDPROC)));
    SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&InputProc));
    if (drops) DragAcceptFiles(child, TRUE);
}

void DetachInput(HWND child) {
    const auto previous = reinterpret_cast<WNDPROC>(GetPropW(child, PreviousProc));
    if (!previous) return;
    SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    RemovePropW(child, PreviousProc);
    RemovePropW(child, BoundControl);
}

}  // namespace tollervy::win32::host
