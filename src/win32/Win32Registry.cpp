#include "win32/Win32Registry.h"

#include "win32/WinApi.h"

#include "win32/Encoding.h"

namespace tollervy::win32 {

namespace {

// An open key, closed on every way out.
struct OpenKey {
    HKEY key = nullptr;
    ~OpenKey() {
        if (key) RegCloseKey(key);
    }
    LONG Open(const std::string& path, REGSAM access) {
        return RegOpenKeyExW(HKEY_CURRENT_USER, Widen(path).c_str(), 0, access, &key);
    }
};

}  // namespace

bool Win32Registry::Failed(long error) {
    lastError_ = static_cast<std::uint32_t>(error);
    return false;
}

bool Win32Registry::KeyExists(const std::string& key, bool& exists) {
    OpenKey k;
    const LONG r = k.Open(key, KEY_QUERY_VALUE);
    exists = r == ERROR_SUCCESS;
    return exists || r == ERROR_FILE_NOT_FOUND || Failed(r);
}

bool Win32Registry::ListSubkeys(const std::string& key, std::vector<std::string>& names) {
    names.clear();
    OpenKey k;
    LONG r = k.Open(key, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE);
    if (r != ERROR_SUCCESS) return Failed(r);
    DWORD count = 0, longest = 0;
    r = RegQueryInfoKeyW(k.key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr);
    if (r != ERROR_SUCCESS) return Failed(r);
    std::wstring name(longest + 1, L'\0');
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        r = RegEnumKeyExW(k.key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS) return true;
        if (r == ERROR_MORE_DATA) {  // a subkey made since the query
            name.resize(name.size() * 2 + 256);
            --i;
            continue;
        }
        if (r != ERROR_SUCCESS) return Failed(r);
        names.push_back(Narrow(name.data(), length));
    }
}

bool Win32Registry::ListValues(const std::string& key, std::vector<platform::RegValue>& values) {
    values.clear();
    OpenKey k;
    LONG r = k.Open(key, KEY_QUERY_VALUE);
    if (r != ERROR_SUCCESS) return Failed(r);
    DWORD longestName = 0, longestData = 0;
    r = RegQueryInfoKeyW(k.key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                         &longestData, nullptr, nullptr);
    if (r != ERROR_SUCCESS) return Failed(r);
    std::wstring name(longestName + 1, L'\0');
    std::string data(longestData + 2, '\0');
    for (DWORD i = 0;;) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        r = RegEnumValueW(k.key, i, name.data(), &nameLength, nullptr, &type,
                          reinterpret_cast<BYTE*>(data.data()), &dataLength);
        if (r == ERROR_NO_MORE_ITEMS) return true;
        if (r == ERROR_MORE_DATA) {  // grown since the query
            name.resize(name.size() * 2 + 256);
            data.resize(data.size() * 2 + 256);
            continue;
        }
        if (r != ERROR_SUCCESS) return Failed(r);
        values.push_back({Narrow(name.data(), nameLength), type, data.substr(0, dataLength)});
        ++i;
    }
}

bool Win32Registry::StampKey(const std::string& key, platform::KeyStamp& stamp,
                            std::vector<platform::KeyStamp>& subkeys) {
    subkeys.clear();
    OpenKey k;
    LONG r = k.Open(key, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE);
    if (r != ERROR_SUCCESS) return Failed(r);
    DWORD count = 0, longest = 0;
    FILETIME written{};
    r = RegQueryInfoKeyW(k.key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr, nullptr,
                         nullptr, &written);
    if (r != ERROR_SUCCESS) return Failed(r);
    const auto time = [](const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    stamp = {"", time(written)};
    std::wstring name(longest + 1, L'\0');
    for (DWORD i = 0; i < count; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        r = RegEnumKeyExW(k.key, i, name.data(), &length, nullptr, nullptr, nullptr, &written);
        if (r == ERROR_NO_MORE_ITEMS) break;  // a subkey deleted since the query
        if (r == ERROR_MORE_DATA) {           // one made since
            name.resize(name.size() * 2 + 256);
            --i;
            continue;
        }
        if (r != ERROR_SUCCESS) return Failed(r);
        subkeys.push_back({Narrow(name.data(), length), time(written)});
    }
    return true;
}

bool Win32Registry::CreateKey(const std::string& key) {
    HKEY k = nullptr;
    const LONG r = RegCreateKeyExW(HKEY_CURRENT_USER, Widen(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_QUERY_VALUE, nullptr, &k, nullptr);
    if (r != ERROR_SUCCESS) return Failed(r);
    RegCloseKey(k);
    return true;
}

bool Win32Registry::DeleteKey(const std::string& key) {
    const LONG r = RegDeleteKeyW(HKEY_CURRENT_USER, Widen(key).c_str());
    return r == ERROR_SUCCESS || Failed(r);
}

bool Win32Registry::SetValues(const std::string& key, const std::vector<platform::RegValue>& values) {
    OpenKey k;
    LONG r = k.Open(key, KEY_SET_VALUE);
    if (r != ERROR_SUCCESS) return Failed(r);
    for (const auto& v : values) {
        r = RegSetValueExW(k.key, Widen(v.name).c_str(), 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()),
                           static_cast<DWORD>(v.data.size()));
        if (r != ERROR_SUCCESS) return Failed(r);
    }
    return true;
}

bool Win32Registry::DeleteValues(const std::string& key, const std::vector<std::string>& names) {
    OpenKey k;
    LONG r = k.Open(key, KEY_SET_VALUE);
    if (r != ERROR_SUCCESS) return Failed(r);
    for (const auto& name : names) {
        r = RegDeleteValueW(k.key, Widen(name).c_str());
        if (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND) return Failed(r);
    }
    return true;
}

std::string Win32Registry::LastErrorText() { return SystemErrorText(lastError_); }

}  // namespace tollervy::win32
