// The profile (INI) functions of Windows, working on files stored in a
// FakeFileSystem, in CP932 bytes, by the rules of GetPrivateProfileStringA,
// WritePrivateProfileStringA and GetPrivateProfileSectionA:
// - section and key names compare without regard to ASCII case (and to
//   blanks around them); the first section of a name and, in it, the first
//   line of a key count;
// - a value (or the default) loses its surrounding blanks and one pair of
//   surrounding quotes, double or single; a key with an empty value reads ""
//   (not the default); a line without "=" is no key;
// - a value is cut to bufferBytes - 1 bytes, without the lead byte of a
//   double-byte character cut in two, and at a NUL byte in the file (the
//   buffer holds C strings; section lines likewise);
// - a section comes back line by line in file order: key=value with the
//   blanks around both parts removed, lines without "=" as they are, blank
//   lines and comments (";") left out, as many as fit the buffer (each line
//   and its NUL, then a final NUL; a line that does not fit whole is cut);
// - a missing file is an empty file; writing creates file and section
//   (appended in write order), replaces a key's value in its line, and a null
//   value removes the key's line (the section stays, even empty);
// - writing fails when the file is read-only, its folder is missing, or the
//   file system refuses the path (FakeFileSystem::FailPath).
// Reading and writing the file are not counted as file operations of the
// program and do not trip FailNth or AbortAtMutation.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "fakes/FakeFileSystem.h"
#include "platform/Profile.h"

namespace tollervy::fakes {

class FakeProfile : public platform::Profile {
public:
    explicit FakeProfile(FakeFileSystem& fs) : fs_(fs) {}

    std::string GetString(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& defaultValue, std::size_t bufferBytes) override;
    bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                     const std::string* value) override;
    std::vector<std::string> GetSection(const std::string& file, const std::string& section,
                                        std::size_t bufferBytes) override;

    // Every WriteString call in order (value nullopt = delete), with its result.
    struct Write {
        std::string file, section, key;
        std::optional<std::string> value;
        bool ok = false;
    };
    const std::vector<Write>& Writes() const { return writes_; }
    // GetString and GetSection calls so far.
    int Reads() const { return reads_; }
    // Makes every WriteString fail (as a full disk would) while set.
    void SetWritesFail(bool fail) { writesFail_ = fail; }

    // Test convenience: the value as GetString with a 256-byte buffer reads it,
    // or nullopt when the key is absent.
    std::optional<std::string> Value(const std::string& file, const std::string& section, const std::string& key);

private:
    FakeFileSystem& fs_;
    std::vector<Write> writes_;
    int reads_ = 0;
    bool writesFail_ = false;
};

}  // namespace tollervy::fakes
