// Linux: the plug-in finds its own file from the address of one of its own
// functions.
#include "../ModulePath.h"

#include <dlfcn.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace zvds {

size_t GetModulePath(char* buffer, size_t size) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    buffer[0] = '\0';
    Dl_info info = {};
    if (dladdr(reinterpret_cast<void*>(&GetModulePath), &info) == 0 || info.dli_fname == nullptr ||
        info.dli_fname[0] == '\0') {
        return 0;
    }
    std::string path = info.dli_fname;
    // A library loaded by a relative name knows only that name; the entry
    // must hold a path that works from anywhere.
    if (path[0] != '/') {
        if (char* absolute = realpath(path.c_str(), nullptr)) {
            path = absolute;
            free(absolute);
        }
    }
    const size_t length = path.size() < size - 1 ? path.size() : size - 1;
    memcpy(buffer, path.data(), length);
    buffer[length] = '\0';
    return length;
}

}  // namespace zvds
