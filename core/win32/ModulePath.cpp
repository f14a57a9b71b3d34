// Windows: the module that holds this function is the plug-in's DLL.
#include "../ModulePath.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace zvds {

size_t GetModulePath(char* buffer, size_t size) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    buffer[0] = '\0';
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&GetModulePath), &module)) {
        return 0;
    }
    const DWORD length = GetModuleFileNameA(module, buffer, static_cast<DWORD>(size));
    // A path that does not fit is cut; older systems leave it without a NUL.
    const size_t kept = length < size ? length : size - 1;
    buffer[kept] = '\0';
    return kept;
}

}  // namespace zvds
