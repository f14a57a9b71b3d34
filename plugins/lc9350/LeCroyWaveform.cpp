#include "LeCroyWaveform.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "GpibException.h"
#include "LeCroy.h"
#include "Messages.h"

namespace zvds {
namespace lc9350 {

namespace {

// Fields of the WAVEDESC descriptor, counted from the start of the block
// contents; both are stored most significant byte first.
constexpr size_t kDescriptorLengthAt = 36;  // WAVE_DESCRIPTOR: bytes before the points
constexpr size_t kPointCountAt = 116;       // WAVE_ARRAY_COUNT
constexpr size_t kFieldsEnd = kPointCountAt + 4;
constexpr size_t kBytesPerPoint = 2;

uint32_t BigEndian32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

uint64_t Word(const uint8_t* p) {
    uint64_t word = 0;
    memcpy(&word, p, sizeof(word));
    return word;
}

// The first bytes of the four points in a word, top bit inverted, one per
// 16-bit lane.
uint64_t FirstBytes(uint64_t word, unsigned shift) {
    return ((word >> shift) ^ 0x0080008000800080ull) & 0x00FF00FF00FF00FFull;
}

bool LittleEndian() {
    const uint16_t probe = 1;
    uint8_t first = 0;
    memcpy(&first, &probe, 1);
    return first == 1;
}

}  // namespace

int32_t ConvertWaveformReply(const uint8_t* reply, size_t received, uint16_t* samples) {
    // Everything is checked against the bytes received before the samples
    // are touched, so that a bad reply leaves the host's buffer as it was.
    if (reply == nullptr || received == 0) {
        return kMsgBadResponse;
    }
    const void* hashAt = memchr(reply, '#', received);
    if (hashAt == nullptr) {
        return kMsgBadResponse;
    }
    const size_t hash = static_cast<size_t>(static_cast<const uint8_t*>(hashAt) - reply);
    if (hash + 1 >= received || reply[hash + 1] < '0' || reply[hash + 1] > '9') {
        return kMsgBadResponse;
    }
    // "#", the digit n, n length digits (not needed), then the contents.
    const size_t start = hash + 2 + static_cast<size_t>(reply[hash + 1] - '0');
    if (start > received || received - start < kFieldsEnd) {
        return kMsgBadResponse;
    }
    const uint8_t* block = reply + start;
    const size_t available = received - start;
    const uint32_t descriptorLength = BigEndian32(block + kDescriptorLengthAt);
    const int32_t count = static_cast<int32_t>(BigEndian32(block + kPointCountAt));
    if (descriptorLength > available || count < 0) {
        return kMsgBadResponse;
    }
    // More points than asked for: the first ones fill the samples, the rest
    // are ignored.
    const size_t points = std::min(static_cast<size_t>(count), static_cast<size_t>(kMaxPoints));
    if ((available - descriptorLength) / kBytesPerPoint < points) {
        return kMsgBadResponse;
    }

    std::fill(samples, samples + kSamples, uint16_t{0});
    if (count == 0) {
        return kMsgNoSuchChannel;
    }
    // Only the first byte of each point counts: a signed code, made 0..255 by
    // inverting its top bit. Twelve codes give floor(16 x mean); a last,
    // incomplete group keeps its plain sum.
    const uint8_t* data = block + descriptorLength;
    const size_t fullGroups = points / kPointsPerSample;
    constexpr size_t kGroupBytes = kPointsPerSample * kBytesPerPoint;
    static_assert(kGroupBytes == 3 * sizeof(uint64_t), "a group is three words");
    // A full group is 24 bytes: three 8-byte words, each holding four points.
    // The first bytes of the points are summed in four 16-bit lanes at once
    // (at most 3 x 255 per lane), then the lanes are added together.
    const unsigned shift = LittleEndian() ? 0 : 8;  // where the first byte of a lane sits
    for (size_t s = 0; s < fullGroups; ++s) {
        const uint8_t* group = data + s * kGroupBytes;
        // Three loads of eight bytes, not one of 24: the compiler vectorizes these.
        uint64_t lanes = FirstBytes(Word(group), shift);
        lanes += FirstBytes(Word(group + 8), shift);
        lanes += FirstBytes(Word(group + 16), shift);
        lanes += lanes >> 32;
        lanes += lanes >> 16;
        const uint32_t sum = static_cast<uint32_t>(lanes & 0xFFFF);
        samples[s] = static_cast<uint16_t>((4 * sum) / 3);
    }
    const size_t rest = points - fullGroups * kPointsPerSample;
    if (rest > 0) {
        const uint8_t* group = data + fullGroups * kGroupBytes;
        uint32_t sum = 0;
        for (size_t k = 0; k < rest; ++k) {
            sum += group[k * kBytesPerPoint] ^ 0x80u;
        }
        samples[fullGroups] = static_cast<uint16_t>(sum);
    }
    return 0;
}

void ReadWaveform(CGpibDevice& device, const char* channel, uint16_t* samples) {
    // The reply buffer is too big for a host thread's stack.
    std::unique_ptr<uint8_t[]> reply(new uint8_t[kReplySize]);
    // Every 4th point, at most 12288 of them, from the first, all segments.
    device.WriteString("WFSU SP,4,NP,12288,FP,0,SN,0");
    // Descriptor and data points of the trace, as one block.
    device.WriteJoined(channel, ":WAVEFORM?");
    uint32_t received = 0;
    device.ReadBytesCounted(reply.get(), kReplySize, received);
    const int32_t result = ConvertWaveformReply(reply.get(), received, samples);
    if (result != 0) {
        ThrowGpibException(&device, result);
    }
}

}  // namespace lc9350
}  // namespace zvds
