#include "win32/Win32Shell.h"

#include "win32/Encoding.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "win32/Win32System.h"

namespace tollervy::win32 {

namespace {

// COM for the calls of one operation, when the thread has not started it.
class ComScope {
public:
    ComScope() : hr_(CoInitialize(nullptr)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT hr_;
};

template <class T>
void Release(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

}  // namespace

std::string Win32Shell::SpecialFolderPath(int csidl) {
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &pidl)) || !pidl) return "";
    wchar_t buffer[MAX_PATH + 1] = {};
    const BOOL ok = SHGetPathFromIDListW(pidl, buffer);
    CoTaskMemFree(pidl);
    if (!ok) return "";
    return Narrow(buffer, wcslen(buffer));
}

void Win32Shell::AddToRecentDocs(const std::string& path) {
    // The ANSI form where the path has one (Wine's shell makes a shortcut to
    // a wrong target from the wide form); the wide form otherwise.
    const std::string ansi = ToAnsi(path);
    if (FromAnsi(ansi) == path) {
        SHAddToRecentDocs(SHARD_PATHA, ansi.c_str());
        return;
    }
    const std::wstring wide = Widen(path);
    SHAddToRecentDocs(SHARD_PATHW, wide.c_str());
}

bool Win32Shell::CreateShortcut(const std::string& linkPath, const std::string& target,
                                const std::string& arguments) {
    ComScope com;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    const std::wstring wideTarget = Widen(target);
    bool ok = SUCCEEDED(link->SetPath(wideTarget.c_str())) &&
              SUCCEEDED(link->SetArguments(Widen(arguments).c_str())) &&
              SUCCEEDED(link->SetWorkingDirectory(Win32System::FolderOf(wideTarget).c_str()));
    IPersistFile* file = nullptr;
    if (ok) ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    if (ok) ok = SUCCEEDED(file->Save(Widen(linkPath).c_str(), TRUE));
    Release(file);
    Release(link);
    return ok;
}

bool Win32Shell::ShortcutTarget(const std::string& linkPath, std::string& target) {
    ComScope com;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    if (ok) ok = SUCCEEDED(file->Load(Widen(linkPath).c_str(), STGM_READ));
    wchar_t buffer[MAX_PATH + 1] = {};
    // The path as stored, not resolved: a moved target must not be found
    // again by the shell's search.
    if (ok) ok = link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK;
    Release(file);
    Release(link);
    if (!ok) return false;
    target = Narrow(buffer, wcslen(buffer));
    return true;
}

int Win32Shell::OpenDocument(const std::string& pathOrUrl) {
    const std::wstring file = Widen(pathOrUrl);
    SHELLEXECUTEINFOW info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    // The program reports a failure itself; the shell shows no box of its own.
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = nullptr;  // the default action of the document's type
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&info);
    return static_cast<int>(reinterpret_cast<INT_PTR>(info.hInstApp));
}

}  // namespace tollervy::win32
