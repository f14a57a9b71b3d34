#include "FuzzPlugin.h"
#include "Messages.h"
#include "Rvt8800Conversion.h"

namespace zfuzz {

const size_t kPoints = zvds::rvt8800::kSamples;

int32_t Convert(const uint8_t* reply, size_t size, uint16_t* samples) {
    return zvds::rvt8800::ConvertBytes(reply, size, samples) ? 0 : zvds::kMsgBadResponse;
}

bool MayWriteOnFailure(int32_t) {
    return false;
}

}  // namespace zfuzz
