// Linux: the message texts are compiled in; the plug-in says whether it owns
// message 1304.
#include "../Messages.h"

#include <cstring>

#include "../PluginDriver.h"

namespace zvds {

int LoadMessage(int32_t number, char* buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0) {
        return 0;
    }
    buffer[0] = '\0';
    if (number == kMsgNoSuchChannel && !ThisPlugin().hasMessage1304) {
        return 0;
    }
    for (int i = 0; i < kMessageTableSize; ++i) {
        if (kMessageTable[i].number == number) {
            size_t length = strlen(kMessageTable[i].text);
            if (length > static_cast<size_t>(capacity - 1)) {
                length = static_cast<size_t>(capacity - 1);
            }
            memcpy(buffer, kMessageTable[i].text, length);
            buffer[length] = '\0';
            return static_cast<int>(length);
        }
    }
    return 0;
}

int FormatPlatformMessage(char* out, const char* format, const char* argument) {
    return FormatMessageText(out, format, argument);
}

}  // namespace zvds
