#include "FuzzPlugin.h"
#include "Messages.h"
#include "Rhx4402Conversion.h"

namespace zfuzz {

const size_t kPoints = zvds::rhx4402::kSamples;

int32_t Convert(const uint8_t* reply, size_t size, uint16_t* samples) {
    return zvds::rhx4402::ConvertWords(reply, size, samples) ? 0 : zvds::kMsgBadResponse;
}

bool MayWriteOnFailure(int32_t) {
    return false;
}

}  // namespace zfuzz
