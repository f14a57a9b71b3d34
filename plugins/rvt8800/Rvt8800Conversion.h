// The RVT8800/8800U waveform block: 4096 byte values, summed in fours.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zvds {
namespace rvt8800 {

constexpr size_t kBlockBytes = 4096;
constexpr size_t kSamples = kBlockBytes / 4;

// Sample i = 4 x (byte 4i + byte 4i+1 + byte 4i+2 + byte 4i+3), 0 to 4080.
// Returns false and writes nothing when fewer than kBlockBytes arrived.
bool ConvertBytes(const uint8_t* reply, size_t received, uint16_t* samples);

}  // namespace rvt8800
}  // namespace zvds
