// Windows: the message texts are the plug-in's own string resources
// (Messages.rc); formatting is wsprintfA's.
#include "../Messages.h"

#include <windows.h>

namespace zvds {

namespace {

// The module this code is linked into: the plug-in, not the host program.
HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

}  // namespace

int LoadMessage(int32_t number, char* buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0) {
        return 0;
    }
    buffer[0] = '\0';
    // A string resource id is 16 bits wide: other numbers have no text.
    if (number < 0 || number > 0xFFFF) {
        return 0;
    }
    return LoadStringA(ThisModule(), static_cast<UINT>(number), buffer, capacity);
}

int FormatPlatformMessage(char* out, const char* format, const char* argument) {
    const int n = wsprintfA(out, format, argument);
    // wsprintfA stops at 1024 bytes; make sure a cut result still ends in NUL.
    if (n < 0 || n > kMessageOutputLimit - 1) {
        out[kMessageOutputLimit - 1] = '\0';
        return kMessageOutputLimit - 1;
    }
    return n;
}

}  // namespace zvds
