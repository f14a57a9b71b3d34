// The core linked straight into a test still needs a driver to answer for.
#include "PluginDriver.h"

namespace {
void Nothing(CGpibDevice&) {}
void NoChannels(CGpibDevice&, const zvds::ChannelSink&) {}
void NoWaveform(CGpibDevice&, const char*, uint16_t*) {}
const zvds::PluginDriver kDriver = {"Unit", false, Nothing, NoChannels, NoWaveform, nullptr};
}  // namespace

const zvds::PluginDriver& zvds::ThisPlugin() { return kDriver; }
