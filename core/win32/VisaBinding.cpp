// Windows: VISA32.dll, loaded on the first VISA call; its functions are taken
// by export ordinal, as every vendor's VISA32.dll numbers them alike.
#include "../VisaBinding.h"

#include <windows.h>

namespace zvds {

namespace {

template <class Fn>
bool Take(HMODULE library, WORD ordinal, Fn& out) {
    const FARPROC proc = GetProcAddress(library, MAKEINTRESOURCEA(ordinal));
    // Through the generic function type, which converts to any other.
    out = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
    return proc != nullptr;
}

}  // namespace

bool BindVisaApi(VisaApi& api) {
    HMODULE library = LoadLibraryA("VISA32.dll");
    if (library == nullptr) {
        return false;
    }
    bool ok = Take(library, 141, api.openDefaultRM);
    ok = Take(library, 131, api.open) && ok;
    ok = Take(library, 132, api.close) && ok;
    ok = Take(library, 133, api.getAttribute) && ok;
    ok = Take(library, 134, api.setAttribute) && ok;
    ok = Take(library, 256, api.read) && ok;
    ok = Take(library, 257, api.write) && ok;
    if (!ok) {
        FreeLibrary(library);
        return false;
    }
    // Kept loaded for the life of the process: sessions live in it.
    return true;
}

}  // namespace zvds
