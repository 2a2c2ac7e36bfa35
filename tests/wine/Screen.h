// A picture of the whole screen (the Wine virtual desktop) as a .bmp file,
// for the test programs that run under Wine.
#pragma once
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

namespace tollervy::screen {

// Saves the screen, or the part `area` of it, to `file` (a .bmp); false
// when it could not be taken or written.
inline bool SaveBmp(const std::wstring& file, const RECT* area = nullptr) {
    const RECT all{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const RECT& r = area ? *area : all;
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;  // bottom-up, as a .bmp file stores it
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (dib && bits) {
        HGDIOBJ old = SelectObject(mem, dib);
        ok = BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT) != 0;
        GdiFlush();
        SelectObject(mem, old);
    }
    if (ok) {
        const DWORD stride = ((static_cast<DWORD>(w) * 3 + 3) & ~3u);
        const DWORD imageSize = stride * static_cast<DWORD>(h);
        BITMAPFILEHEADER fh = {};
        fh.bfType = 0x4D42;  // "BM"
        fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
        fh.bfSize = fh.bfOffBits + imageSize;
        bi.bmiHeader.biSizeImage = imageSize;
        HANDLE out = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ok = out != INVALID_HANDLE_VALUE;
        if (ok) {
            DWORD written = 0;
            ok = WriteFile(out, &fh, sizeof fh, &written, nullptr) && written == sizeof fh &&
                 WriteFile(out, &bi.bmiHeader, sizeof bi.bmiHeader, &written, nullptr) &&
                 written == sizeof bi.bmiHeader && WriteFile(out, bits, imageSize, &written, nullptr) &&
                 written == imageSize;
            CloseHandle(out);
        }
    }
    if (dib) DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace tollervy::screen
