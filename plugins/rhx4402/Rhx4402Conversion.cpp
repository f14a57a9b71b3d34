#include "Rhx4402Conversion.h"

namespace zvds {
namespace rhx4402 {

bool ConvertWords(const uint8_t* reply, size_t received, uint16_t* samples) {
    if (received < kBlockBytes) {
        return false;  // never take samples from bytes that did not arrive
    }
    for (size_t i = 0; i < kSamples; ++i) {
        samples[i] = static_cast<uint16_t>((reply[2 * i] << 8) | reply[2 * i + 1]);
    }
    return true;
}

}  // namespace rhx4402
}  // namespace zvds
