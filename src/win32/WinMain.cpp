// The program's entry: the platform, the shared state and the forms are made
// here, and the start-up window's load runs the whole start. The process ends
// through the main window's exit path; the message loop serves the resident
// program until then.
#include "win32/WinApi.h"

#include <commctrl.h>
#include <objbase.h>

#include "ui/Forms.h"
#include "driver/TollervyMain.h"
#include "settings/Context.h"
#include "settings/Environment.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32FormHost.h"
#include "win32/Win32Messages.h"
#include "win32/Win32Profile.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Shell.h"
#include "win32/Win32System.h"

namespace {

// Windows 95, 98 and ME lack the wide-character functions the program
// calls: there it says which Windows it needs, in the ANSI code page's
// bytes, before anything else runs. (The entry is the ANSI one for the same
// reason: the wide entry's start-up code already asks for the wide command
// line.)
bool RefusedAsWindows9x() {
    OSVERSIONINFOA v;
    ZeroMemory(&v, sizeof v);
    v.dwOSVersionInfoSize = sizeof v;
    if (!GetVersionExA(&v)) return false;
    if (!tollervy::IsWindows9x({v.dwPlatformId, v.dwMajorVersion, v.dwMinorVersion})) return false;
    MessageBoxA(nullptr, tollervy::NeedsWindowsMessageCp932, tollervy::ProgramTitle,
                MB_OK | MB_ICONSTOP | MB_SYSTEMMODAL);
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (RefusedAsWindows9x()) return 1;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    const HRESULT com = CoInitialize(nullptr);

    using namespace tollervy;
    win32::Win32FileSystem fileSystem;
    win32::Win32Profile profile;
    win32::Win32Messages messages;
    win32::Win32System system;
    win32::Win32Shell shell;
    win32::Win32Registry registry;
    Context context{fileSystem, profile, messages, system, shell, {}, nullptr, &registry};
    win32::Win32FormHost host(instance);
    Forms forms(context, host);

    forms.TollervyMain().Show();
    const int code = host.Run();

    if (SUCCEEDED(com)) CoUninitialize();
    return code;
}
