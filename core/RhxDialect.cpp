#include "RhxDialect.h"

#include <cstring>
#include <string>

#include "GpibException.h"
#include "Messages.h"
#include "Query.h"
#include "ReplyText.h"

namespace zvds {
namespace rhx {

namespace {
// The model digit is the seventh character of the reply.
constexpr size_t kModelDigitIndex = 6;
}  // namespace

bool IsModel(const char* reply, size_t length, const ModelId& model) {
    const size_t prefixLength = strlen(model.prefix);
    if (length < prefixLength || memcmp(reply, model.prefix, prefixLength) != 0) {
        return false;
    }
    if (length <= kModelDigitIndex) {
        return false;
    }
    return static_cast<signed char>(reply[kModelDigitIndex]) >=
           static_cast<signed char>(model.lowestDigit);
}

void Identify(CGpibDevice& device, const ModelId& model) {
    std::string reply = Query(device, "MODEL?");  // which model are you?
    TrimTrailingSpace(reply);
    if (!IsModel(reply.data(), reply.size(), model)) {
        ThrowGpibException(&device, kMsgDifferentModel);
    }
}

void ScanChannels(CGpibDevice& device, const ChannelSink& sink, const char* const* names,
                  size_t count) {
    std::string reply;
    for (size_t i = 0; i < count; ++i) {
        device.WriteJoined(names[i], "?");  // is this channel switched on?
        device.ReadString(reply);
        if (Contains(reply, "ON") && !sink.Offer(names[i], kPoints)) {
            return;
        }
    }
}

void RequireStorageMode(CGpibDevice& device) {
    if (!Contains(Query(device, "MOD?"), "STORAGE")) {  // which acquisition mode?
        ThrowGpibException(&device, kMsgNotStorageMode);
    }
}

uint32_t RequestWaveform(CGpibDevice& device, const char* channel, uint8_t* block, int32_t size) {
    device.WriteJoined("WAV OUT ", channel);  // send this channel's waveform
    uint32_t received = 0;
    device.ReadBytesCounted(block, size, received);
    return received;
}

}  // namespace rhx
}  // namespace zvds
