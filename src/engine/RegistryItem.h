// Registry items: a key of HKEY_CURRENT_USER with its whole tree, stored as
// Data\<user>\<key>\Registry.reg in the registry editor's format
// (RegFile.h). Saving writes the live tree's file unless the stored one
// holds the same bytes; restoring makes the live key exactly the stored
// tree, deleting the values and subkeys the copy lacks, unless the live
// tree's file is already the stored one's bytes. A key that does not exist
// is a state like any other: its copy lists no key, and putting that copy
// in place deletes the key.
#pragma once
#include <string>

#include "engine/RegFile.h"
#include "platform/Registry.h"

namespace tollervy {

inline constexpr const char* RegistryCopyName = "Registry.reg";

// The live tree of `key` (below HKEY_CURRENT_USER): no keys when it does
// not exist. False when a call fails.
bool ExportKey(platform::Registry& registry, const std::string& key, regfile::Tree& tree);

// Makes the live tree whose export is `live` (its export), exactly `wanted`:
// keys and values the copy lacks are deleted, the rest written where they
// differ (a key whose values stand in another order is written anew, so that
// the values keep the copy's order). False at the first call that fails.
bool PutTree(platform::Registry& registry, const regfile::Tree& live, const regfile::Tree& wanted);

}  // namespace tollervy
