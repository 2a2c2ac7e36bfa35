/* Another program holding a person's file, for tools/two-pcs: opens the file
 * shared with nobody, then makes a flag file and keeps the file open while
 * the flag exists (at most the given seconds). Usage: HoldFile.exe <file>
 * <flag file> <seconds>. Exit code 0 when it held the file, 1 when it could
 * not open it. */
#include <windows.h>
#include <stdlib.h>

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    const HANDLE file = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return 1;
    const HANDLE flag = CreateFileW(argv[2], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, NULL, CREATE_ALWAYS,
                                    0, NULL);
    if (flag == INVALID_HANDLE_VALUE) return 1;
    CloseHandle(flag);
    const DWORD until = GetTickCount() + 1000u * (DWORD)_wtoi(argv[3]);
    while (GetFileAttributesW(argv[2]) != INVALID_FILE_ATTRIBUTES && GetTickCount() < until) Sleep(100);
    CloseHandle(file);
    return 0;
}
