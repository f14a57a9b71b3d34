#include "FuzzPlugin.h"
#include "Messages.h"
#include "Rhx6000Waveform.h"

namespace zfuzz {

const size_t kPoints = zvds::rhx6000::kPoints;

int32_t Convert(const uint8_t* reply, size_t size, uint16_t* samples) {
    return zvds::rhx6000::ConvertWaveform(reply, size, samples) ? 0 : zvds::kMsgBadResponse;
}

bool MayWriteOnFailure(int32_t) {
    return false;
}

}  // namespace zfuzz
