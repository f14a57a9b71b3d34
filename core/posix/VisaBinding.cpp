// Linux: take the VISA functions from the process when a host or test has
// already loaded a VISA library globally, else load one of the usual ones.
#include "../VisaBinding.h"

#include <dlfcn.h>

namespace zvds {

namespace {

// Tried in this order; the last one is an incomplete open-source library.
const char* const kLibraryNames[] = {
    "libivivisa.so.7",  // IVI shared components
    "libvisa.so",       // NI-VISA
    "libvisa.so.7",     // NI-VISA, legacy name
    "libiovisa.so",     // Keysight IO Libraries
    "librsvisa.so",     // Rohde & Schwarz VISA
    "libvisa.so.0",
};

template <class Fn>
bool Take(void* library, const char* name, Fn& out) {
    void* symbol = dlsym(library, name);
    out = reinterpret_cast<Fn>(symbol);
    return symbol != nullptr;
}

bool BindFrom(void* library, VisaApi& api) {
    bool ok = Take(library, "viOpenDefaultRM", api.openDefaultRM);
    ok = Take(library, "viOpen", api.open) && ok;
    ok = Take(library, "viClose", api.close) && ok;
    ok = Take(library, "viGetAttribute", api.getAttribute) && ok;
    ok = Take(library, "viSetAttribute", api.setAttribute) && ok;
    ok = Take(library, "viRead", api.read) && ok;
    ok = Take(library, "viWrite", api.write) && ok;
    return ok;
}

}  // namespace

bool BindVisaApi(VisaApi& api) {
    if (BindFrom(RTLD_DEFAULT, api)) {
        return true;
    }
    for (const char* name : kLibraryNames) {
        // Kept loaded for the life of the process: sessions live in it.
        void* library = dlopen(name, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            continue;
        }
        if (BindFrom(library, api)) {
            return true;
        }
        dlclose(library);
    }
    return false;
}

}  // namespace zvds
