#pragma once

#include <string>

namespace tulvo {

class RegistryStore;

// Checks made before a command uses the settings store or a file named on
// its command line, so that nothing is sent, written or waited for in vain.
// Each gives false with the operator's message in `why`.
namespace store_file_checks {

// The store at path is a readable file that holds this program's gateway
// values. Writing a missing or empty store would send factory defaults in
// place of the installer's configuration, exporting it would make a backup
// of nothing, and comparing with it would list every value.
bool HoldsImage(const std::string& path, RegistryStore& store, std::string& why);

// The store can be saved: the file is writable or, for a new one, the
// nearest folder that exists (the save creates the missing ones).
bool Writable(const std::string& path, std::string& why);

// The file exists and its owner has made it read-only (no write bit in its
// mode, which counts for root too), or this user may not write it.
bool WriteProtected(const std::string& path);

// A file argument to read or write: "-" (standard input or output), a
// regular file, or a name that does not exist (yet). A FIFO, device or
// folder is refused without opening it, so nothing waits for a peer that
// never comes.
bool UsableFileArgument(const std::string& path, std::string& why);

// Whether path names the same file as `other` (links followed): the same
// device, the same file, or, while either is missing, the same place. A
// file written there would replace the program's own data or go to the
// gateway.
bool SameFile(const std::string& path, const std::string& other);

}  // namespace store_file_checks
}  // namespace tulvo
