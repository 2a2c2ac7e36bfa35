// The registry as the program sees it: keys below HKEY_CURRENT_USER named by
// their path below it ("Software\Vendor\App"), names in UTF-8, and every
// value as Windows keeps it: its type number and its raw bytes (strings stay
// UTF-16 LE with their terminating zero, as written).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tollervy::platform {

// The value types the program names; any other number is kept as it is.
enum RegType : std::uint32_t {
    RegNone = 0,
    RegSz = 1,
    RegExpandSz = 2,
    RegBinary = 3,
    RegDword = 4,
    RegMultiSz = 7,
    RegQword = 11,
};

struct RegValue {
    std::string name;  // "" is the key's default value
    std::uint32_t type = RegNone;
    std::string data;  // raw bytes
    bool operator==(const RegValue&) const = default;
};

// A key's stamp: the time of its last change (a value written or deleted, a
// subkey made or deleted; 100 ns units since 1601, UTC, in the system
// clock's steps). A change below its subkeys does not move it.
struct KeyStamp {
    std::string name;  // of a subkey, as listed; "" for the key itself
    std::uint64_t lastWrite = 0;
    bool operator==(const KeyStamp&) const = default;
};

class Registry {
public:
    virtual ~Registry() = default;

    // Whether the key exists. False when that cannot be told (the query
    // failed for another reason than a missing key).
    virtual bool KeyExists(const std::string& key, bool& exists) = 0;
    // The names of the key's direct subkeys, in the registry's order
    // (without regard to case). False when the key cannot be read.
    virtual bool ListSubkeys(const std::string& key, std::vector<std::string>& names) = 0;
    // Every value of the key, in the registry's order.
    virtual bool ListValues(const std::string& key, std::vector<RegValue>& values) = 0;
    // The key's stamp and its direct subkeys' names and stamps, in the
    // registry's order (one opening of the key, its values not read).
    virtual bool StampKey(const std::string& key, KeyStamp& stamp, std::vector<KeyStamp>& subkeys) = 0;
    // Creates the key and its missing parents (an existing key is kept).
    virtual bool CreateKey(const std::string& key) = 0;
    // Deletes a key that has no subkeys.
    virtual bool DeleteKey(const std::string& key) = 0;
    // Writes these values into the existing key, in order (one opening of
    // the key). False at the first that fails; those before it stay written.
    virtual bool SetValues(const std::string& key, const std::vector<RegValue>& values) = 0;
    // Deletes these values of the existing key; a missing one counts as
    // deleted. False at the first that fails.
    virtual bool DeleteValues(const std::string& key, const std::vector<std::string>& names) = 0;

    // The Windows error number and its text of the last failed call.
    virtual std::uint32_t LastError() = 0;
    virtual std::string LastErrorText() = 0;
};

}  // namespace tollervy::platform
