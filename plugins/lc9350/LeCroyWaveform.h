// The conversion of a LeCroy waveform reply into the host's samples, apart
// from the I/O so that it can be driven with any bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zvds {
namespace lc9350 {

// Samples delivered for every channel.
constexpr int32_t kSamples = 1024;
// Points asked for with "WFSU"; 12 points make one sample.
constexpr int32_t kMaxPoints = 12288;
constexpr int32_t kPointsPerSample = 12;
// One read of the reply takes at most this many bytes.
constexpr int32_t kReplySize = 200000;

// Converts the first `received` bytes of a reply (anything, then an IEEE 488.2
// definite-length block holding a WAVEDESC descriptor and 16-bit points) into
// the 1024 samples. Returns 0 on success; 1304 for a trace without points
// (samples all zero); 1236 for a reply that cannot be interpreted within the
// bytes received (samples untouched). Reads no byte at or beyond `received`
// and writes no sample beyond the 1024th.
int32_t ConvertWaveformReply(const uint8_t* reply, size_t received, uint16_t* samples);

}  // namespace lc9350
}  // namespace zvds
