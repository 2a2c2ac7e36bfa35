// The kinds of listed item behind one interface. The item loop
// (SaveRestore.cpp: the list, the progress bands, the hooks of the
// in-place record, the error policy, the stored copy to restore from) is
// written once over it; each kind says how its live side is checked, saved
// and put in place.
//   file, folder, pattern  FileItems.cpp, with the copy plans of CopyPlan.h
//   registry key           RegistryItem.cpp, stored as a registry file
#pragma once
#include <string>

#include "engine/SaveRestore.h"

namespace tollervy {

class ItemKind {
public:
    virtual ~ItemKind() = default;
    // Whether the item can be switched now: its live side is where it must
    // be. False after the kind's message; the item fails.
    virtual bool CheckLive(Context& c, const Entry& e) const = 0;
    // Saves what is in place as step.user's copy into step.store
    // (Data\<user>\<key>). The change runs between the hooks (Wrapped).
    virtual bool Save(Context& c, const Entry& e, ItemStep& step, const ItemHooks* hooks) const = 0;
    // Puts the stored copy step.store in place, between the hooks.
    virtual bool Restore(Context& c, const Entry& e, ItemStep& step, const ItemHooks* hooks) const = 0;
};

const ItemKind& FileItemKind();      // file, folder and pattern entries
const ItemKind& RegistryItemKind();  // registry keys
inline const ItemKind& KindOf(const Entry& e) {
    return e.kind == EntryKind::Registry ? RegistryItemKind() : FileItemKind();
}

// Runs the item's destructive part between the hooks.
template <typename Change>
bool Wrapped(const ItemHooks* hooks, ItemStep& step, Change change) {
    if (hooks && hooks->beforeChange && !hooks->beforeChange(step)) {
        step.reason = step.failedReason = hooks->refusal;
        return false;
    }
    const bool ok = change();
    if (hooks && hooks->afterChange) hooks->afterChange(step, ok);
    return ok;
}

// Windows' reason for the failure of the call just made, kept for the error
// policy's question (a full disk, a folder that went away).
inline bool Because(Context& c, ItemStep& step, bool ok) {
    if (!ok) step.reason = c.fs.LastErrorText();
    return ok;
}

// Messages the kinds share: a path or copy that is not there (diagnostic),
// and a data store that cannot be written.
void ShowNotFound(Context& c, const std::string& path);
void ShowStoreUnwritable(Context& c, const std::string& path);
// The program ends with this code when the data store cannot be used.
inline constexpr int StoreUnusableExitCode = 1;

}  // namespace tollervy
