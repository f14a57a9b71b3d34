#include "FuzzPlugin.h"
#include "Messages.h"
#include "Tds300Curve.h"

namespace zfuzz {

const size_t kPoints = zvds::tds300::kPoints;

int32_t Convert(const uint8_t* reply, size_t size, uint16_t* samples) {
    return zvds::tds300::ConvertCurve(reply, size, samples) ? 0 : zvds::kMsgBadResponse;
}

bool MayWriteOnFailure(int32_t) {
    return false;
}

}  // namespace zfuzz
