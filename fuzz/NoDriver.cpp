// For targets that use the core without a plug-in: a driver that does nothing.
#include "PluginDriver.h"

namespace {
void Nothing(CGpibDevice&) {}
void NoChannels(CGpibDevice&, const zvds::ChannelSink&) {}
void NoWaveform(CGpibDevice&, const char*, uint16_t*) {}
const zvds::PluginDriver kDriver = {"Fuzz", false, Nothing, NoChannels, NoWaveform, nullptr};
}  // namespace

const zvds::PluginDriver& zvds::ThisPlugin() {
    return kDriver;
}
