// The contract suite runs the same cases against two platforms: the fakes
// (natively) and the Win32 layer (under Wine). Each main file provides
// MakeContractPlatform() for its side.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/System.h"

namespace tollervy::contract {

struct ContractPlatform {
    virtual ~ContractPlatform() = default;
    virtual platform::FileSystem& fs() = 0;
    virtual platform::Profile& profile() = 0;
    // Shortcut files on the same file system.
    virtual platform::Shell& shell() = 0;
    virtual platform::System& system() = 0;
    virtual platform::Registry& registry() = 0;
    // A fresh missing key below HKEY_CURRENT_USER\Software, removed with its
    // tree after the test.
    virtual std::string scratchKey() = 0;
    // A fresh empty folder, as a Windows path without a trailing backslash.
    virtual std::string scratch() = 0;
    // False where read-only files do not stop a write (root under Wine).
    virtual bool canTestReadOnly() = 0;
    // "fakes" or "win32", for messages.
    virtual std::string name() = 0;
    // True when the Win32 layer runs under Wine, which differs from Windows
    // in a few documented cases (those cases are skipped there).
    virtual bool underWine() { return false; }
};

// Removes a key with its whole tree (test cleanup).
inline void RemoveKeyTree(platform::Registry& r, const std::string& key) {
    std::vector<std::string> names;
    if (r.ListSubkeys(key, names))
        for (const auto& name : names) RemoveKeyTree(r, key + "\\" + name);
    r.DeleteKey(key);
}

// A new platform for one test.
std::unique_ptr<ContractPlatform> MakeContractPlatform();

}  // namespace tollervy::contract
