// Tektronix TDS300 series: identified by "*IDN?" with headers off, five
// fixed traces of 1000 points, and repeat addressing set before the close.
#include <string>

#include "GpibException.h"
#include "Messages.h"
#include "PluginDriver.h"
#include "Query.h"
#include "ReplyText.h"
#include "Tds300Curve.h"

namespace {

using namespace zvds;

const char* const kChannels[] = {"CH1", "CH2", "MATH1", "REF1", "REF2"};
constexpr int32_t kChannelPoints = static_cast<int32_t>(tds300::kPoints);

void Identify(CGpibDevice& device) {
    device.WriteString("HEADER OFF");         // replies without their header from now on
    std::string id = Query(device, "*IDN?");  // maker, model, serial, firmware
    TrimTrailingSpace(id);
    if (!Contains(id, "TEKTRONIX") || !Contains(id, "TDS 3")) {
        ThrowGpibException(&device, kMsgDifferentModel);
    }
}

void EnumerateChannels(CGpibDevice&, const ChannelSink& sink) {
    OfferAll(sink, kChannels, sizeof(kChannels) / sizeof(kChannels[0]), kChannelPoints);
}

void ReadWaveform(CGpibDevice& device, const char* channel, uint16_t* samples) {
    device.WriteJoined("DATA:SOURCE ", channel);         // the trace to send
    device.WriteString("DATA:ENCDG RPBINARY;WIDTH 1");   // one unsigned byte a point
    device.WriteString("HORIZONTAL:RECORDLENGTH 1000");  // a record of 1000 points
    device.WriteString("DATA:START 1");                  // from the first point ...
    device.WriteString("DATA:STOP 1000");                // ... to the last
    device.WriteString("CURVE?");                        // the points as a block

    uint8_t reply[tds300::kReplyBuffer];
    uint32_t received = 0;
    device.ReadBytesCounted(reply, static_cast<int32_t>(sizeof(reply)), received);
    if (!tds300::ConvertCurve(reply, received, samples)) {
        ThrowGpibException(&device, kMsgBadResponse);
    }
}

// Leaves the GPIB session addressing the instrument anew on every transfer.
void BeforeClose(CGpibDevice& device) {
    device.SetOption(CGpibDevice::kOptionRepeatAddressing, 1);
}

const PluginDriver kDriver = {
    "Tektronix TDS300 Series", false, Identify, EnumerateChannels, ReadWaveform, BeforeClose,
};

}  // namespace

const zvds::PluginDriver& zvds::ThisPlugin() {
    return kDriver;
}
