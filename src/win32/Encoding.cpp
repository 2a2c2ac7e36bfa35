#include "win32/Encoding.h"

#include <vector>

namespace tollervy::win32 {

namespace {

std::wstring ToWide(UINT codePage, const char* bytes, std::size_t count) {
    if (count == 0) return {};
    const int n = MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(count), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(count), out.data(), n);
    return out;
}

std::string FromWide(UINT codePage, const wchar_t* text, std::size_t count) {
    if (count == 0) return {};
    const int n = WideCharToMultiByte(codePage, 0, text, static_cast<int>(count), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text, static_cast<int>(count), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

std::wstring Widen(const std::string& utf8) { return ToWide(CP_UTF8, utf8.data(), utf8.size()); }

std::string Narrow(const wchar_t* utf16, std::size_t count) { return FromWide(CP_UTF8, utf16, count); }

std::string Narrow(const std::wstring& utf16) { return Narrow(utf16.data(), utf16.size()); }

std::string ToAnsi(const std::string& utf8) {
    const std::wstring wide = Widen(utf8);
    return FromWide(CP_ACP, wide.data(), wide.size());
}

std::string FromAnsi(const char* bytes, std::size_t count) {
    const std::wstring wide = ToWide(CP_ACP, bytes, count);
    return Narrow(wide);
}

std::string FromAnsi(const std::string& bytes) { return FromAnsi(bytes.data(), bytes.size()); }

bool FitsAnsi(const std::string& utf8) {
    const std::wstring wide = Widen(utf8);
    if (Narrow(wide) != utf8) return false;  // not valid UTF-8
    if (wide.empty()) return true;
    const int count = static_cast<int>(wide.size());
    // The default-character report is refused for the UTF-8 code page (a
    // system whose ANSI code page is UTF-8 holds every character anyway).
    BOOL usedDefault = FALSE;
    BOOL* report = GetACP() == CP_UTF8 ? nullptr : &usedDefault;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), count, nullptr, 0, nullptr, report);
    if (n <= 0) return false;
    std::string bytes(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), count, bytes.data(), n, nullptr, report);
    if (usedDefault) return false;
    return ToWide(CP_ACP, bytes.data(), bytes.size()) == wide;
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int n = GetWindowTextW(window, buffer.data(), length + 1);
    return Narrow(buffer.data(), static_cast<std::size_t>(n > 0 ? n : 0));
}

void SetWindowTextUtf8(HWND window, const std::string& text) { SetWindowTextW(window, Widen(text).c_str()); }

std::string SystemErrorText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message;
    if (n > 0 && text) message.assign(text, n);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' '))
        message.pop_back();
    if (message.empty()) return "error " + std::to_string(error);
    return Narrow(message);
}

}  // namespace tollervy::win32
