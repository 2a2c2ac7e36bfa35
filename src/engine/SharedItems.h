// The list of items every PC of a shared store uses, so that F3 names the
// same item on each: <store>\Items.dat, UTF-8 text, replaced whole
//     ; Tollervy items <generation>
//     [File]
//     F1=C:\Documents and Settings\...
//     [Registry]
//     R1=HKEY_CURRENT_USER\Software\...
// The PC keeps the generation it took in [Store] Items.
#pragma once
#include <string>
#include <vector>

#include "settings/Context.h"

namespace tollervy {

std::string SharedItemsPath(const Context& c);

// At start, with a shared store that answers: a store without a list gets
// this PC's (made in one step: of two PCs joining at once, one gives its
// list and the other takes it); a list of another generation replaces this
// PC's [File] and [Registry] lines. An item new to this PC holds the PC's
// own files in place: its in-place record says "All Users", so they are
// kept on the PC and never saved as a person's copy. False when the list
// could not be read or written.
bool TakeSharedItems(Context& c);

// After the settings dialog saved its list: publishes it as the next
// generation, under a lock (<store>\Items.lock, made in one step; one older
// than ten minutes was left by a PC that stopped and is taken over).
// Changed: another PC published a list since this one took its own (nothing
// is published; the next start takes the other one). A list that cannot be
// read (cut short as its first PC lost power) counts as none.
enum class PublishResult { Done, Busy, Changed, Failed };
PublishResult PublishItems(Context& c);

}  // namespace tollervy
