#include "FuzzPlugin.h"
#include "LeCroyWaveform.h"
#include "Messages.h"

namespace zfuzz {

const size_t kPoints = zvds::lc9350::kSamples;

int32_t Convert(const uint8_t* reply, size_t size, uint16_t* samples) {
    return zvds::lc9350::ConvertWaveformReply(reply, size, samples);
}

bool MayWriteOnFailure(int32_t result) {
    return result == zvds::kMsgNoSuchChannel;
}

}  // namespace zfuzz
