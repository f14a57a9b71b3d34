// The full path of the plug-in's own module file, for its registry entry.
#pragma once

#include <cstddef>

namespace zvds {

// Room for the path as the registration has it: 262 characters and a NUL.
constexpr size_t kModulePathSize = 263;

// Writes the path of the module that holds this code into `buffer`, cut to
// size - 1 characters and NUL-terminated ("" when it cannot be found), and
// returns its length.
size_t GetModulePath(char* buffer, size_t size);

}  // namespace zvds
