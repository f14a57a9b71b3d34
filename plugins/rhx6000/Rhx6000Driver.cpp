// Morvane RHX6000 series: identified by "MODEL?", channels chosen by the
// vertical mode, waveforms read paused as 1024 one-byte points.
#include <string>

#include "GpibException.h"
#include "Messages.h"
#include "PluginDriver.h"
#include "Query.h"
#include "ReplyText.h"
#include "Rhx6000Waveform.h"

namespace {

using namespace zvds;

constexpr int32_t kChannelPoints = static_cast<int32_t>(rhx6000::kPoints);

// The two inputs, then the twenty reference memories.
const char* const kChannels[] = {
    "CH1",   "CH2",   "REF1",  "REF2",  "REF3",  "REF4",  "REF5",  "REF6",
    "REF7",  "REF8",  "REF9",  "REF10", "REF11", "REF12", "REF13", "REF14",
    "REF15", "REF16", "REF17", "REF18", "REF19", "REF20",
};
constexpr size_t kInputs = 2;
constexpr size_t kReferences = sizeof(kChannels) / sizeof(kChannels[0]) - kInputs;

void Identify(CGpibDevice& device) {
    std::string model = Query(device, "MODEL?");  // the model id, e.g. RHX6104
    TrimTrailingSpace(model);
    if (!StartsWith(model, "RHX6")) {
        ThrowGpibException(&device, kMsgDifferentModel);
    }
}

void EnumerateChannels(CGpibDevice& device, const ChannelSink& sink) {
    const std::string mode = Query(device, "VMODE?");  // which inputs are displayed
    const char* const* references = kChannels + kInputs;
    if (Contains(mode, "DUAL")) {
        OfferAll(sink, kChannels, kInputs + kReferences, kChannelPoints);
        return;
    }
    if (Contains(mode, "CH")) {
        const char* input = Contains(mode, "1") ? kChannels[0] : kChannels[1];
        if (!sink.Offer(input, kChannelPoints)) {
            return;
        }
    }
    OfferAll(sink, references, kReferences, kChannelPoints);
}

void ReadWaveform(CGpibDevice& device, const char* channel, uint16_t* samples) {
    if (!Contains(Query(device, "MOD?"), "STORAGE")) {  // acquisition mode
        ThrowGpibException(&device, kMsgNotStorageMode);
    }
    const bool pausedBefore = Contains(Query(device, "PAUSE?"), "ON");  // run state
    device.WriteString("WAV STA 0");          // the transfer starts at the first block ...
    device.WriteString("WAV END 7");          // ... and ends at the last: the whole record
    device.WriteString("PAUSE ON");           // hold the record still during the transfer
    device.WriteJoined("WAV OUT ", channel);  // send the channel's points

    uint8_t reply[rhx6000::kPoints];
    uint32_t received = 0;
    device.ReadBytesCounted(reply, static_cast<int32_t>(sizeof(reply)), received);
    if (!rhx6000::ConvertWaveform(reply, received, samples)) {
        ThrowGpibException(&device, kMsgBadResponse);
    }
    if (!pausedBefore) {
        device.WriteString("PAUSE OFF");  // let it run again, as it was
    }
}

const PluginDriver kDriver = {
    "Morvane RHX6000 Series", false, Identify, EnumerateChannels, ReadWaveform, nullptr,
};

}  // namespace

const zvds::PluginDriver& zvds::ThisPlugin() {
    return kDriver;
}
