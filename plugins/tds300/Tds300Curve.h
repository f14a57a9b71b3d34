// The TDS300 "CURVE?" reply with headers off: "#41000", 1000 one-byte
// points, a line feed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zvds {
namespace tds300 {

constexpr size_t kPoints = 1000;
constexpr size_t kBlockHeader = 6;  // "#41000", not examined
constexpr size_t kReplyBuffer = 2048;

// Output i = 16 x reply byte 6 + i, for the first kPoints samples only.
// False, with the samples untouched, when the header and the points did not
// all arrive.
bool ConvertCurve(const uint8_t* reply, size_t received, uint16_t* samples);

}  // namespace tds300
}  // namespace zvds
