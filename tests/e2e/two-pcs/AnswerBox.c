/* Answers the program's next message box for tools/two-pcs: waits for a
 * dialog titled "Tollervy" with a message text (static 0xFFFF), writes that
 * text as UTF-8 to a file, waits a moment (for a screenshot) and presses a
 * button. Usage: AnswerBox.exe <text file> <button id> <seconds to wait>.
 * Exit code 0 when it answered, 1 when no box came. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

static HWND found;

static BOOL CALLBACK look(HWND h, LPARAM unused) {
    wchar_t title[64], cls[16];
    (void)unused;
    if (!IsWindowVisible(h) || !GetWindowTextW(h, title, 64) || wcscmp(title, L"Tollervy") != 0) return TRUE;
    if (!GetClassNameW(h, cls, 16) || wcscmp(cls, L"#32770") != 0 || !GetDlgItem(h, 0xFFFF)) return TRUE;
    found = h;
    return FALSE;
}

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    const int button = _wtoi(argv[2]);
    const DWORD until = GetTickCount() + 1000u * (DWORD)_wtoi(argv[3]);
    while (!found && GetTickCount() < until) {
        EnumWindows(look, 0);
        if (!found) Sleep(100);
    }
    if (!found) return 1;
    Sleep(300);
    wchar_t text[2048] = {0};
    GetDlgItemTextW(found, 0xFFFF, text, 2047);
    char utf8[8192] = {0};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL);
    FILE* f = _wfopen(argv[1], L"wb");
    if (f) {
        fputs(utf8, f);
        fclose(f);
    }
    Sleep(1500);
    PostMessageW(found, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(found, button));
    return 0;
}
