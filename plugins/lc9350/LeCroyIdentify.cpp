#include <atomic>
#include <string>

#include "GpibException.h"
#include "LeCroy.h"
#include "Messages.h"
#include "Query.h"
#include "ReplyText.h"

namespace zvds {
namespace lc9350 {

namespace {

// Process-wide: the instrument identified last decides every handle's list.
// Atomic so that opens and enumerations on several threads do not race.
std::atomic<bool> g_fourChannels{false};

const char* const kFourChannelNames[] = {"C1", "C2", "C3", "C4", "M1", "M2",
                                         "M3", "M4", "TA", "TB", "TC", "TD"};
const char* const kTwoChannelNames[] = {"C1", "C2", "M1", "M2", "M3", "M4", "TA", "TB", "TC", "TD"};

}  // namespace

void Identify(CGpibDevice& device) {
    std::string reply = Query(device, "*IDN?");  // maker, model, serial number, firmware
    TrimTrailingSpace(reply);
    // The 9350 test comes first: a reply naming both counts as a 9350.
    if (Contains(reply, "LECROY,9350")) {
        g_fourChannels.store(false);
    } else if (Contains(reply, "LECROY,9354")) {
        g_fourChannels.store(true);
    } else {
        ThrowGpibException(&device, kMsgDifferentModel);
    }
}

void EnumerateChannels(CGpibDevice&, const ChannelSink& sink) {
    if (g_fourChannels.load()) {
        OfferAll(sink, kFourChannelNames, sizeof(kFourChannelNames) / sizeof(kFourChannelNames[0]),
                 kSamples);
    } else {
        OfferAll(sink, kTwoChannelNames, sizeof(kTwoChannelNames) / sizeof(kTwoChannelNames[0]),
                 kSamples);
    }
}

}  // namespace lc9350
}  // namespace zvds
