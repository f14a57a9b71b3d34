#include "Tds300Curve.h"

#include "ByteCodes.h"

namespace zvds {
namespace tds300 {

bool ConvertCurve(const uint8_t* reply, size_t received, uint16_t* samples) {
    return CodesToSamples(reply, received, kBlockHeader, kPoints, samples);
}

}  // namespace tds300
}  // namespace zvds
