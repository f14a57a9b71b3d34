// The conversion called directly, with the reply placed right before an
// inaccessible page: a read of one byte beyond those received crashes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FencedBytes.h"
#include "LeCroyWaveform.h"

namespace {

using zvds::lc9350::ConvertWaveformReply;

using FencedReply = ztest::FencedBytes;

std::string Be32(uint32_t v) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
    }
    return out;
}

// "C1:WF ALL,#9<length>" and a descriptor of `descriptor` bytes with the two
// fields set, then `points` words with first byte 0x00.
std::string Reply(uint32_t descriptorField, uint32_t countField, size_t descriptor = 346,
                  size_t points = 0) {
    std::string d(descriptor < 120 ? 120 : descriptor, '\0');
    d.replace(36, 4, Be32(descriptorField));
    d.replace(116, 4, Be32(countField));
    d.resize(descriptor);
    const std::string data(2 * points, '\0');
    std::string length = std::to_string(d.size() + data.size());
    length.insert(0, 9 - length.size(), '0');
    return "C1:WF ALL,#9" + length + d + data;
}

// Every prefix of every reply: whatever is cut off, nothing past the last
// byte received is read, and an unusable reply leaves the samples alone.
TEST(LeCroyConversion, NeverReadsPastTheBytesReceived) {
    const std::vector<std::string> replies = {
        Reply(346, 24, 346, 24),
        Reply(346, 0),
        Reply(120, 12, 120, 12),
        Reply(346, 20000, 346, 12288),
        Reply(5000, 12, 346, 12),
        Reply(0xFFFFFFFF, 12, 346, 12),
        Reply(346, 0x7FFFFFFF, 346, 6),
        Reply(346, 0x80000000, 346, 12),
        "no block at all",
        "#",
    };
    for (const std::string& full : replies) {
        for (size_t keep = 0; keep <= full.size();
             keep += (keep < 400 || full.size() - keep < 400) ? 1 : 997) {
            FencedReply fenced(full.substr(0, keep));
            std::vector<uint16_t> samples(1024 + 8, 0xABCD);
            const int32_t result =
                ConvertWaveformReply(fenced.data(), fenced.size(), samples.data());
            ASSERT_TRUE(result == 0 || result == 1304 || result == 1236) << result;
            for (size_t i = 1024; i < samples.size(); ++i) {
                ASSERT_EQ(samples[i], 0xABCD);
            }
            if (result == 1236) {
                ASSERT_EQ(samples, std::vector<uint16_t>(1024 + 8, 0xABCD)) << keep;
            }
        }
    }
}

TEST(LeCroyConversion, AcceptsExactlyTheBytesThatAreNeeded) {
    const std::string full = Reply(346, 24, 346, 24);
    std::vector<uint16_t> samples(1024, 1);
    FencedReply exact(full);
    EXPECT_EQ(ConvertWaveformReply(exact.data(), exact.size(), samples.data()), 0);
    EXPECT_EQ(samples[0], 2048);
    EXPECT_EQ(samples[1], 2048);
    EXPECT_EQ(samples[2], 0);
    FencedReply oneShort(full.substr(0, full.size() - 1));
    EXPECT_EQ(ConvertWaveformReply(oneShort.data(), oneShort.size(), samples.data()), 1236);
    EXPECT_EQ(ConvertWaveformReply(nullptr, 0, samples.data()), 1236);
}

}  // namespace
