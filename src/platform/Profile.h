// The Windows profile (INI) functions of the ANSI family. Text crosses this
// seam as UTF-8 and is converted to and from the system ANSI code page, so the
// byte rules of the profile functions (a value cut to the buffer's bytes) hold.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace tollervy::platform {

class Profile {
public:
    virtual ~Profile() = default;

    // GetPrivateProfileStringA with a buffer of `bufferBytes` bytes: the value
    // (surrounding blanks and one pair of surrounding quotes removed by the
    // profile functions), cut to bufferBytes - 1 bytes of the ANSI code page;
    // the default when the file, section or key is missing.
    virtual std::string GetString(const std::string& file, const std::string& section,
                                  const std::string& key, const std::string& defaultValue,
                                  std::size_t bufferBytes) = 0;

    // WritePrivateProfileStringA. A null value removes the key's line.
    // True when the call reported success.
    virtual bool WriteString(const std::string& file, const std::string& section,
                             const std::string& key, const std::string* value) = 0;

    // GetPrivateProfileSectionA with a buffer of `bufferBytes` bytes: the
    // section's key=value lines in file order (as many as fit the buffer).
    virtual std::vector<std::string> GetSection(const std::string& file, const std::string& section,
                                                std::size_t bufferBytes) = 0;
};

}  // namespace tollervy::platform
