// Several PCs, one store: where people's things live when [Store] Shared
// names a folder on a file server (a UNC path such as \\server\share\Tollervy
// or a mapped drive).
//
// The people's store (PeopleFolder) holds what belongs to people and is the
// same for every PC: their copies <store>\<user>\<key> with their manifests,
// the registration copies <store>\All Users\<key>, the user file User.dat,
// the backups of replaced files, the check-outs (CheckOut.h) and the copies
// kept beside a newer one (Conflict\). What describes one PC stays in its
// own Data folder beside the program: the in-place record and its manifests,
// the switch log, the check-out tokens it holds, and the PC's own files it
// held before it joined (Data\All Users). Without the key the people's store
// is that Data folder, and everything is as on one PC.
#pragma once
#include <string>

#include "settings/Context.h"

namespace tollervy {

// The shared store's folder as the settings name it ("" when absent), read
// into the program state at start.
std::string ReadSharedStoreSetting(Context& c);

// True when a shared store is set.
bool UsesSharedStore(const Context& c);

// The folder that holds people's copies, the user file and the backups: the
// shared store, or Data beside the program.
std::string PeopleFolder(const Context& c);

// Where an owner's copies are saved: <people>\<user>, except that with a
// shared store the PC's own copies (owner "All Users", what the PC held
// before its first switch) stay on the PC, in Data\All Users, and never
// replace the registration copies every PC shares.
std::string SaveFolderOf(const Context& c, const std::string& user);

// True when the shared store's folder answers (it can be listed). Always
// true without a shared store.
bool SharedStoreReachable(Context& c);

}  // namespace tollervy
