// Loading a shared library and finding its symbols, on either platform.
#pragma once

#include <string>

namespace zhost {

// Null on failure; `global` makes its symbols visible to libraries loaded
// later (only meaningful on Linux).
void* OpenLibrary(const std::string& path, bool global);
void* FindSymbol(void* library, const char* name);
void CloseLibrary(void* library);
// Why the last OpenLibrary failed.
std::string LastLoadError();
// Whether the library at `path` is loaded in this process now (without
// loading it).
bool IsLoaded(const std::string& path);

}  // namespace zhost
