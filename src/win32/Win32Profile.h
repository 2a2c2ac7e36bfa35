// The settings file through the ANSI profile functions, text converted
// through the system ANSI code page.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "platform/Profile.h"

namespace tollervy::win32 {

class Win32Profile : public platform::Profile {
public:
    std::string GetString(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& defaultValue, std::size_t bufferBytes) override;
    bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                     const std::string* value) override;
    std::vector<std::string> GetSection(const std::string& file, const std::string& section,
                                        std::size_t bufferBytes) override;

    // The lines of a section buffer as GetPrivateProfileSectionA fills it:
    // each line ended by a NUL, an empty line (or the end of the `count`
    // bytes) ending the list. The lines stay in the ANSI code page.
    static std::vector<std::string> SplitSection(const char* buffer, std::size_t count);
    // How many of the first `count` bytes make whole characters of the ANSI
    // code page: a double-byte character cut after its first byte is left out.
    static std::size_t WholeCharacters(const char* bytes, std::size_t count);
};

}  // namespace tollervy::win32
