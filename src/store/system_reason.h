#pragma once

#include <string>

namespace tulvo {

// The operating system's reason for a failed file operation, for the
// operator: a Russian phrase with the system's own text in brackets, e.g.
// "нет места на диске (No space left on device)".
std::string SystemReason(int error);

// Why a file in folder cannot be created or replaced, naming the folder the
// user can act on: "нет прав на запись в папку /x (Permission denied)".
// For reasons that are not about the folder, as SystemReason.
std::string FolderReason(const std::string& folder, int error);

// Why a lock file beside a shared file cannot be taken: the folder when the
// folder is what stops it, else the lock file itself.
std::string LockReason(const std::string& lockPath, int error);

// The folder a path lies in ("." for a bare name).
std::string FolderOfPath(const std::string& path);

}  // namespace tulvo
