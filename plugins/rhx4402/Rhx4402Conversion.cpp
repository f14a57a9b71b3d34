#include "Rhx4402Conversion.h"

#include <cstring>

namespace zvds {
namespace rhx4402 {

bool ConvertWords(const uint8_t* reply, size_t received, uint16_t* samples) {
    if (received < kBlockBytes) {
        return false;  // never take samples from bytes that did not arrive
    }
    // The words come most significant byte first; on a little-endian host a
    // byte swap of each word, which the compiler vectorises.
    for (size_t i = 0; i < kSamples; ++i) {
        uint16_t word;
        memcpy(&word, reply + 2 * i, sizeof(word));
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        samples[i] = word;
#else
        samples[i] = static_cast<uint16_t>((word << 8) | (word >> 8));
#endif
    }
    return true;
}

}  // namespace rhx4402
}  // namespace zvds
