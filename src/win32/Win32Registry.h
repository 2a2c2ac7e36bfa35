// HKEY_CURRENT_USER through the wide advapi32 registry functions that
// Windows XP has (no RegDeleteTree, RegCopyTree or RegGetValue).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace tollervy::win32 {

class Win32Registry : public platform::Registry {
public:
    bool KeyExists(const std::string& key, bool& exists) override;
    bool ListSubkeys(const std::string& key, std::vector<std::string>& names) override;
    bool ListValues(const std::string& key, std::vector<platform::RegValue>& values) override;
    bool StampKey(const std::string& key, platform::KeyStamp& stamp, std::vector<platform::KeyStamp>& subkeys) override;
    bool CreateKey(const std::string& key) override;
    bool DeleteKey(const std::string& key) override;
    bool SetValues(const std::string& key, const std::vector<platform::RegValue>& values) override;
    bool DeleteValues(const std::string& key, const std::vector<std::string>& names) override;
    std::uint32_t LastError() override { return lastError_; }
    std::string LastErrorText() override;

private:
    bool Failed(long error);
    std::uint32_t lastError_ = 0;
};

}  // namespace tollervy::win32
