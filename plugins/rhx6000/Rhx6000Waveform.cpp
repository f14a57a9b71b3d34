#include "Rhx6000Waveform.h"

#include "ByteCodes.h"

namespace zvds {
namespace rhx6000 {

bool ConvertWaveform(const uint8_t* reply, size_t received, uint16_t* samples) {
    return CodesToSamples(reply, received, 0, kPoints, samples);
}

}  // namespace rhx6000
}  // namespace zvds
