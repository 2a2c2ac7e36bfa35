#include "win32/Win32Messages.h"

#include "win32/Encoding.h"

namespace tollervy::win32 {

int Win32Messages::Show(const std::string& text, const std::string& caption, unsigned style) {
    // A box that is not system modal belongs to the window the user works in,
    // so that it stays above it (the logon dialog is top-most).
    HWND owner = (style & MB_SYSTEMMODAL) ? nullptr : GetActiveWindow();
    if (!owner) style |= MB_SETFOREGROUND;
    return MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), style);
}

}  // namespace tollervy::win32
