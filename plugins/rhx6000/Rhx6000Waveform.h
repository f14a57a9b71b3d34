// The RHX6000 waveform reply: 1024 raw one-byte points, no header.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zvds {
namespace rhx6000 {

constexpr size_t kPoints = 1024;

// Sample k = byte k x 16. False, with the samples untouched, when fewer than
// kPoints bytes were received.
bool ConvertWaveform(const uint8_t* reply, size_t received, uint16_t* samples);

}  // namespace rhx6000
}  // namespace zvds
