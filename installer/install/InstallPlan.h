// What an installation touches: the files that make up an add-on, where
// they lie, and which add-ons are copied and which deleted. Reads
// g_installer and the file names in it; changes nothing.
//
// Calling thread: the wizard's UI thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "installer/InstallerState.h"

namespace kefo {

// An add-on's files in the order they are deleted and copied: the DLL, its
// help file when it has one, then its companion files (at most
// kMaxCompanionFiles; empty names are left out). Fields are read no further
// than their size.
std::vector<std::wstring> FilesOf(const AddOnRecord& addOn);

// The path of a file in the add-ons folder, or in the distribution folder.
std::wstring AddOnsFolderPath(const std::wstring& name);
std::wstring DistributionPath(const std::wstring& name);

// True when the path is short enough for the file functions (MAX_PATH with
// the terminator).
bool FitsPath(const std::wstring& path);

// A distribution add-on is copied when it is selected and not older than
// its installed counterpart.
bool WillBeCopied(const AddOnRecord& addOn);

// An installed add-on (by index) is deleted when it is marked for removal
// and a distribution add-on of its name will be copied in its place: the
// marks alone never remove an add-on without its successor.
bool WillBeReplaced(std::uint32_t index);

// The installed add-ons (by index, in list order) that the distribution
// add-on at index replaces: none when it is not copied.
std::vector<std::uint32_t> ReplacedBy(std::uint32_t index);

}  // namespace kefo
