// One-byte instrument codes on the host's scale of 16 steps per code
// (0 ... 4080), as several families deliver them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zvds {

inline uint16_t CodeToSample(uint8_t code) {
    return static_cast<uint16_t>(code << 4);
}

// Takes `count` codes starting at `offset` of a reply of which `received`
// bytes arrived. When the reply is too short nothing is written and the
// result is false: samples never come from bytes that did not arrive.
inline bool CodesToSamples(const uint8_t* reply, size_t received, size_t offset, size_t count,
                           uint16_t* samples) {
    if (received < offset || received - offset < count) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        samples[i] = CodeToSample(reply[offset + i]);
    }
    return true;
}

}  // namespace zvds
