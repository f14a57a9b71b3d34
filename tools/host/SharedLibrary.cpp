#include "SharedLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace zhost {

#if defined(_WIN32)

void* OpenLibrary(const std::string& path, bool /*global*/) {
    return reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
}

void* FindSymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseLibrary(void* library) {
    FreeLibrary(static_cast<HMODULE>(library));
}

std::string LastLoadError() {
    return "error " + std::to_string(GetLastError());
}

bool IsLoaded(const std::string& path) {
    return GetModuleHandleA(path.c_str()) != nullptr;
}

#else

void* OpenLibrary(const std::string& path, bool global) {
    return dlopen(path.c_str(), RTLD_NOW | (global ? RTLD_GLOBAL : RTLD_LOCAL));
}

void* FindSymbol(void* library, const char* name) {
    return dlsym(library, name);
}

void CloseLibrary(void* library) {
    dlclose(library);
}

std::string LastLoadError() {
    const char* text = dlerror();
    return text ? text : "unknown error";
}

bool IsLoaded(const std::string& path) {
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (library != nullptr) {
        dlclose(library);  // only the reference just taken
    }
    return library != nullptr;
}

#endif

}  // namespace zhost
