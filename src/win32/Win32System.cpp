#include "win32/Win32System.h"

#include <cwchar>
#include <vector>

#include "settings/Environment.h"
#include "win32/Encoding.h"
#include "win32/WinApi.h"

#include <ntsecapi.h>

namespace tollervy::win32 {

namespace {

// The single-instance marker: one per session.
constexpr wchar_t InstanceMutexName[] = L"Tollervy.SingleInstance.7F3A2C1E";

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

bool Win32System::ComputerName(std::string& name) {
    wchar_t buffer[MAX_COMPUTERNAME_LENGTH + 2] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(buffer, &size)) return false;
    name = Narrow(buffer, size <= MAX_COMPUTERNAME_LENGTH ? size : MAX_COMPUTERNAME_LENGTH);
    return true;
}

Win32System::~Win32System() {
    if (instanceMutex_) CloseHandle(instanceMutex_);
}

bool Win32System::UserName(std::string& name) {
    // The wide form: the ANSI one would already have put "?" in place of
    // the characters the code page cannot hold, and the program could not
    // tell such a name from another.
    wchar_t buffer[257] = {};
    DWORD size = 257;
    if (!GetUserNameW(buffer, &size)) return false;
    // size counts the terminating NUL; never trust it beyond the buffer.
    std::size_t count = size > 0 ? size - 1 : 0;
    if (count >= 257) count = 256;
    for (std::size_t i = 0; i < count; ++i) {
        if (buffer[i] == L'\0') {
            count = i;
            break;
        }
    }
    name = Narrow(buffer, count);
    return true;
}

bool Win32System::FitsAnsiCodePage(const std::string& text) { return FitsAnsi(text); }

std::string Win32System::UpperCase(const std::string& text) {
    std::wstring wide = Widen(text);
    if (!wide.empty()) CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return Narrow(wide);
}

bool Win32System::Version(platform::VersionInfo& info) {
    OSVERSIONINFOA v;
    ZeroMemory(&v, sizeof v);
    v.dwOSVersionInfoSize = sizeof v;  // 148
    if (!GetVersionExA(&v)) return false;
    info.platformId = v.dwPlatformId;
    info.major = v.dwMajorVersion;
    info.minor = v.dwMinorVersion;
    return true;
}

std::int16_t Win32System::AsyncKeyState(int virtualKey) {
    return static_cast<std::int16_t>(GetAsyncKeyState(virtualKey));
}

std::wstring Win32System::ArgumentsOf(const std::wstring& commandLine) {
    std::size_t i = 0;
    const std::size_t n = commandLine.size();
    while (i < n && IsBlank(commandLine[i])) ++i;
    if (i < n && commandLine[i] == L'"') {
        ++i;
        while (i < n && commandLine[i] != L'"') ++i;
        if (i < n) ++i;  // the closing quote
    } else {
        while (i < n && !IsBlank(commandLine[i])) ++i;
    }
    // One blank separates the path from the arguments; any further blank
    // belongs to them (" -s" is not "-s").
    if (i < n && IsBlank(commandLine[i])) ++i;
    return commandLine.substr(i);
}

std::string Win32System::CommandLine() {
    const wchar_t* line = GetCommandLineW();
    return Narrow(ArgumentsOf(line ? std::wstring(line) : std::wstring()));
}

std::wstring Win32System::FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L"";
    std::wstring folder = path.substr(0, slash);
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
    return folder;
}

std::string Win32System::ProgramExePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return "";
        if (n < buffer.size()) return Narrow(buffer.data(), n);
        buffer.resize(buffer.size() * 2);  // the path was cut: try a larger buffer
        if (buffer.size() > 32768) return "";
    }
}

std::string Win32System::CurrentFolder() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0) return "";
    std::vector<wchar_t> buffer(size);
    const DWORD n = GetCurrentDirectoryW(size, buffer.data());
    if (n == 0 || n >= size) return "";
    std::wstring folder(buffer.data(), n);
    // GetCurrentDirectory ends only a drive root with a backslash.
    if (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    return Narrow(folder);
}

platform::ProgramVersion Win32System::VersionRecord() {
    platform::ProgramVersion v;
    const std::wstring exe = Widen(ProgramExePath());
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &handle);
    if (size == 0) return v;
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(exe.c_str(), 0, size, block.data())) return v;

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed &&
        length >= sizeof *fixed) {
        v.major = HIWORD(fixed->dwFileVersionMS);
        v.minor = LOWORD(fixed->dwFileVersionMS);
        v.revision = HIWORD(fixed->dwFileVersionLS);
    }
    // The company name of the record's first language.
    struct Translation {
        WORD language, codePage;
    };
    Translation* translations = nullptr;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                        &length) ||
        !translations || length < sizeof(Translation))
        return v;
    wchar_t query[64];
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\CompanyName", translations[0].language,
             translations[0].codePage);
    wchar_t* company = nullptr;
    if (VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&company), &length) && company && length > 0)
        v.companyName = Narrow(std::wstring(company, wcsnlen(company, length)));
    return v;
}

std::string Win32System::ProgramFolder() { return Narrow(FolderOf(Widen(ProgramExePath()))); }

std::string Win32System::ProgramTitle() { return tollervy::ProgramTitle; }

bool Win32System::PreviousInstance() {
    if (previousInstance_ < 0) {
        instanceMutex_ = CreateMutexW(nullptr, FALSE, InstanceMutexName);
        previousInstance_ = (instanceMutex_ && GetLastError() == ERROR_ALREADY_EXISTS) ? 1 : 0;
        // The handle is kept to the end of the process: it is what a later
        // start sees.
    }
    return previousInstance_ == 1;
}

int Win32System::ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }

int Win32System::ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

void Win32System::EndProcess(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

void Win32System::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

std::uint32_t Win32System::TickCount() { return GetTickCount(); }

platform::LocalTime Win32System::LocalNow() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

bool Win32System::RandomBytes(void* buffer, std::size_t size) {
    // RtlGenRandom (advapi32's SystemFunction036, Windows XP on): the
    // generator CryptGenRandom draws from, without a provider to open.
    return RtlGenRandom(buffer, static_cast<ULONG>(size)) != FALSE;
}

}  // namespace tollervy::win32
