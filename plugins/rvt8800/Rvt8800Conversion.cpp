#include "Rvt8800Conversion.h"

namespace zvds {
namespace rvt8800 {

bool ConvertBytes(const uint8_t* reply, size_t received, uint16_t* samples) {
    if (received < kBlockBytes) {
        return false;  // never take samples from bytes that did not arrive
    }
    for (size_t i = 0; i < kSamples; ++i) {
        const uint8_t* group = reply + 4 * i;
        samples[i] = static_cast<uint16_t>(4 * (group[0] + group[1] + group[2] + group[3]));
    }
    return true;
}

}  // namespace rvt8800
}  // namespace zvds
