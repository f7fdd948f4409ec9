#pragma once

#include <string>
#include <string_view>

// Files that are either there whole or not at all, even across a crash or a full disk.

// What WriteFileAtomically does when a file of that name is there already.
enum class TExistingFile { Replace, Keep };

// Writes bytes under path: first into an owner-only temporary file beside it, fsynced, then
// renamed to path, then the folder fsynced. Keep never replaces a file: false when path is
// taken (nothing written then). Throws std::system_error naming the file and the system's
// reason (e.g. a full disk); the temporary file is gone then and path untouched.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         TExistingFile existing = TExistingFile::Replace);

// Creates the folder (and those above it) owner-only where missing, each one created made
// durable (the folder holding it fsynced). Throws std::system_error naming the folder.
void MakeOwnerOnlyFolder(const std::string& folder);
