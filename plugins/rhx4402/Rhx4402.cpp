// dso_rhx4402: the maker's RHX4402A and RHX4403A oscilloscopes.
#include <string>

#include "GpibException.h"
#include "Messages.h"
#include "PluginDriver.h"
#include "Query.h"
#include "ReplyText.h"
#include "Rhx4402Conversion.h"
#include "RhxDialect.h"

namespace {

using namespace zvds;

// RHX4402 and RHX4403 pass; RHX4400 and RHX4401 do not.
const rhx::ModelId kModel = {"RHX44", '2'};

const char* const kChannels[] = {"CH1", "CH2", "CH3", "CH4", "REF1", "REF2", "REF3", "REF4"};

void Identify(CGpibDevice& device) {
    rhx::Identify(device, kModel);
}

void EnumerateChannels(CGpibDevice& device, const ChannelSink& sink) {
    rhx::ScanChannels(device, sink, kChannels, sizeof(kChannels) / sizeof(kChannels[0]));
}

// The instrument is paused for the transfer; the pause is lifted afterwards
// only when it was not paused already. A failure after "PAU ON" leaves it
// paused.
void ReadWaveform(CGpibDevice& device, const char* channel, uint16_t* samples) {
    rhx::RequireStorageMode(device);

    const bool wasPaused = Contains(Query(device, "PAU?"), "ON");  // is it paused?

    device.WriteString("WAV COD WOR");  // transfer 16-bit words
    device.WriteString("WAV STA DIS");  // from the first point shown
    device.WriteString("WAV END DIS");  // to the last point shown
    device.WriteString("PAU ON");       // hold the trace still for the transfer

    uint8_t block[rhx4402::kBlockBytes];
    const uint32_t received =
        rhx::RequestWaveform(device, channel, block, static_cast<int32_t>(sizeof(block)));
    if (!rhx4402::ConvertWords(block, received, samples)) {
        ThrowGpibException(&device, kMsgBadResponse);
    }

    if (!wasPaused) {
        device.WriteString("PAU OFF");  // let the acquisition run again
    }
}

const PluginDriver kDriver = {
    "Morvane RHX4402A/4403A", false, Identify, EnumerateChannels, ReadWaveform, nullptr,
};

}  // namespace

const zvds::PluginDriver& zvds::ThisPlugin() {
    return kDriver;
}
