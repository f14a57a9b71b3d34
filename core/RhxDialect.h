// The command dialect of the maker's RHX4402A/4403A and RVT8800/8800U
// oscilloscopes: the model check by "MODEL?", the channels that answer "ON",
// the storage-mode check and the request of one fixed-size waveform block.
// Each family supplies its constants; the steps are the same.
#pragma once

#include <cstddef>
#include <cstdint>

#include "GpibDevice.h"
#include "PluginDriver.h"

namespace zvds {
namespace rhx {

// Samples delivered for every channel of these instruments.
constexpr int32_t kPoints = 1024;

// What the trimmed reply to "MODEL?" must begin with: the prefix, and at its
// seventh character a model digit not below `lowestDigit`. The digit is
// compared as a signed 8-bit value, so codes from 0x80 up never pass.
struct ModelId {
    const char* prefix;
    char lowestDigit;
};

// True when the reply names a model of the family.
bool IsModel(const char* reply, size_t length, const ModelId& model);

// The identification step of ZVDS_Open: raises 1223 for another model.
void Identify(CGpibDevice& device, const ModelId& model);

// Queries each name followed by "?" in table order and offers those whose
// reply holds "ON"; stops at once when the host says so.
void ScanChannels(CGpibDevice& device, const ChannelSink& sink, const char* const* names,
                  size_t count);

// Raises 1301 unless the reply to "MOD?" holds "STORAGE".
void RequireStorageMode(CGpibDevice& device);

// Sends "WAV OUT " with the channel name and reads the binary reply, at most
// `size` bytes, into block; returns how many bytes arrived.
uint32_t RequestWaveform(CGpibDevice& device, const char* channel, uint8_t* block, int32_t size);

}  // namespace rhx
}  // namespace zvds
