// The RHX4402A/4403A waveform block: 1024 words, most significant byte first.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zvds {
namespace rhx4402 {

constexpr size_t kBlockBytes = 2048;
constexpr size_t kSamples = kBlockBytes / 2;

// Stores word i of the reply, bytes 2i and 2i+1, as sample i bit for bit.
// Returns false and writes nothing when fewer than kBlockBytes arrived.
bool ConvertWords(const uint8_t* reply, size_t received, uint16_t* samples);

}  // namespace rhx4402
}  // namespace zvds
