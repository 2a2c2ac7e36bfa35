// Names that become folders of the data store, and the split of a [File] line.
//
// The data store keeps one folder per user (Data\<user>) and in it one folder
// per listed item (Data\<user>\<key>). A name that is joined into such a path
// must stay one folder name directly below its parent: otherwise saving or
// emptying a stored copy would reach somewhere else on the disk.
#pragma once
#include <string>

namespace tollervy {

// True when `name` can be one folder directly below its parent on Windows:
// not empty, not "." or "..", none of \ / : * ? " < > | nor a control
// character, not ending in "." or " " (Windows drops those, so two names
// would share one folder), and not a device name (CON, NUL, COM1, ...).
bool IsSafeFolderName(const std::string& name);

// A user name that may become Data\<name>. The marker "\" of an unregistered
// user is not one: it never gets a folder.
bool IsStoreUserName(const std::string& name);

// A [File] key that may become Data\<user>\<key>.
bool IsStoreKeyName(const std::string& key);

// Splits a [File] line at its first "=" into key and value. False (and both
// outputs empty) when the line has no "=", its key is empty or not a safe
// folder name, or its value is empty: such a line names no item.
bool SplitFileLine(const std::string& line, std::string& key, std::string& value);

}  // namespace tollervy
