#pragma once

#include <filesystem>
#include <string>
#include <system_error>

#include "create/file_descriptor_posix.h"

namespace tilewright {

// The file a save replaces or the name it creates, held by its folder's descriptor: every later
// step names the same folder, and a path of any length works where the folder can be opened.
struct Target {
    FileDescriptor folder;  // O_PATH
    std::string name;
    FileDescriptor existing;  // the file there now, opened for reading; not valid for a new file
    bool changed = false;     // another program swapped the file while it was being looked up
};

// Looks the target up again once when another program swapped it meanwhile, as two programs
// saving to one file in turn do.
std::error_code resolveTarget(const std::filesystem::path& path, Target& target);

}  // namespace tilewright
