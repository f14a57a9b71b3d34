// The LeCroy 9350/9354 driver: identification, channel lists, waveform read.
#pragma once

#include <cstdint>

#include "GpibDevice.h"
#include "LeCroyWaveform.h"
#include "PluginDriver.h"

namespace zvds {
namespace lc9350 {

void Identify(CGpibDevice& device);
void EnumerateChannels(CGpibDevice& device, const ChannelSink& sink);
void ReadWaveform(CGpibDevice& device, const char* channel, uint16_t* samples);

}  // namespace lc9350
}  // namespace zvds
