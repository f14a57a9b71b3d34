#include "Messages.h"

#include <cstring>

namespace zvds {

#define ZVDS_WITH_1304
#define ZVDS_MESSAGE(number, text) {number, text},
const MessageText kMessageTable[] = {
#include "Messages.inc"
};
#undef ZVDS_MESSAGE
#undef ZVDS_WITH_1304
const int kMessageTableSize = static_cast<int>(sizeof(kMessageTable) / sizeof(kMessageTable[0]));

namespace {
constexpr int kLoadBuffer = 256;
}  // namespace

int FormatMessageText(char* out, const char* format, const char* argument) {
    if (argument == nullptr) {
        argument = "";
    }
    int n = 0;
    const int last = kMessageOutputLimit - 1;
    for (const char* p = format; *p != '\0' && n < last; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            for (const char* a = argument; *a != '\0' && n < last; ++a) {
                out[n++] = *a;
            }
            ++p;
        } else if (p[0] == '%' && p[1] == '%') {
            out[n++] = '%';
            ++p;
        } else {
            out[n++] = *p;
        }
    }
    out[n] = '\0';
    return n;
}

int32_t GetErrMessage(const char* device, int32_t number, char* out) {
    if (out == nullptr) {
        return 0;
    }
    char text[kLoadBuffer];
    LoadMessage(number, text, kLoadBuffer - 1);
    return FormatPlatformMessage(out, text, device == nullptr ? "" : device);
}

}  // namespace zvds
