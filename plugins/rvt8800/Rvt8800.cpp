// dso_rvt8800: the maker's RVT8800/8800U series, in the RHX4402A dialect.
#include "GpibException.h"
#include "Messages.h"
#include "PluginDriver.h"
#include "RhxDialect.h"
#include "Rvt8800Conversion.h"

namespace {

using namespace zvds;

// The bound is '1': a model digit of '0' does not pass.
const rhx::ModelId kModel = {"RVT88", '1'};

const char* const kChannels[] = {"CH1", "CH2", "MEM1", "MEM2"};

void Identify(CGpibDevice& device) {
    rhx::Identify(device, kModel);
}

void EnumerateChannels(CGpibDevice& device, const ChannelSink& sink) {
    rhx::ScanChannels(device, sink, kChannels, sizeof(kChannels) / sizeof(kChannels[0]));
}

// No pause handling: the instrument's pause state is left alone.
void ReadWaveform(CGpibDevice& device, const char* channel, uint16_t* samples) {
    rhx::RequireStorageMode(device);

    device.WriteString("WAV STA 0");    // transfer range starts at point 0
    device.WriteString("WAV END 7");    // and ends at range code 7, the whole record
    device.WriteString("WAV COD BYT");  // transfer one byte per point

    uint8_t block[rvt8800::kBlockBytes];
    const uint32_t received =
        rhx::RequestWaveform(device, channel, block, static_cast<int32_t>(sizeof(block)));
    if (!rvt8800::ConvertBytes(block, received, samples)) {
        ThrowGpibException(&device, kMsgBadResponse);
    }
}

const PluginDriver kDriver = {
    "Morvane RVT8800/8800U Series", false, Identify, EnumerateChannels, ReadWaveform, nullptr,
};

}  // namespace

const zvds::PluginDriver& zvds::ThisPlugin() {
    return kDriver;
}
