// What each plug-in's fuzz target supplies to PluginFuzzer.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zfuzz {

// Samples a successful conversion writes.
extern const size_t kPoints;

// Runs the plug-in's conversion over exactly `size` bytes. Returns 0 on
// success, else the message number the read reports; `samples` has room for
// kPoints and more.
int32_t Convert(const uint8_t* reply, size_t size, uint16_t* samples);

// Whether a failed conversion with this result may have written samples
// (LeCroy: a trace without points clears them).
bool MayWriteOnFailure(int32_t result);

}  // namespace zfuzz
