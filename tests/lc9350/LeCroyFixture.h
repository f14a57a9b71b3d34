// The LeCroy plug-in loaded as the host loads it, with a simulated 9354 on
// GPIB0::7 and helpers to build traces and raw replies.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "PluginLoader.h"
#include "SimFixture.h"
#include "models/LeCroy93xx.h"

namespace lctest {

constexpr const char* kAddress = "GPIB0::7";
constexpr size_t kSamples = 1024;
constexpr size_t kGuard = 16;  // samples after the 1024 that must stay as they were
constexpr uint16_t kFill = 0xABCD;

inline ztest::Plugin& P() {
    static ztest::Plugin plugin(DSO_LC9350_PATH);
    return plugin;
}

// A data word whose first (most significant) byte is the signed code for
// `code` (0..255) and whose second byte is `low`.
inline int16_t Word(unsigned code, uint8_t low = 0x0A) {
    return static_cast<int16_t>((((code ^ 0x80u) & 0xFFu) << 8) | low);
}

// A record from which "WFSU SP,4,..." picks exactly `points`: each point at
// every 4th position, with words between that would spoil any sample.
inline std::vector<int16_t> Sparsed(const std::vector<int16_t>& points) {
    std::vector<int16_t> record;
    for (int16_t p : points) {
        record.push_back(p);
        for (int i = 0; i < 3; ++i) {
            record.push_back(Word(255, 0xFF));
        }
    }
    return record;
}

inline std::vector<int16_t> Codes(size_t count, unsigned code, uint8_t low = 0x0A) {
    return std::vector<int16_t>(count, Word(code, low));
}

// A host buffer with guard samples after the 1024.
struct Buffer {
    std::vector<uint16_t> data = std::vector<uint16_t>(kSamples + kGuard, kFill);
    uint16_t* get() { return data.data(); }
    bool Untouched() const {
        for (uint16_t v : data) {
            if (v != kFill) {
                return false;
            }
        }
        return true;
    }
    bool GuardIntact() const {
        for (size_t i = kSamples; i < data.size(); ++i) {
            if (data[i] != kFill) {
                return false;
            }
        }
        return true;
    }
    std::vector<uint16_t> Samples() const {
        return std::vector<uint16_t>(data.begin(), data.begin() + kSamples);
    }
};

// A raw waveform reply, for replies the simulated instrument would not send.
struct RawReply {
    std::string prefix = "C1:WF ALL,";
    int digits = 9;                // n of "#n"
    size_t descriptorBytes = 346;  // bytes actually sent before the points
    int64_t descriptorField = -1;  // value at offset 36 (-1: descriptorBytes)
    int64_t countField = -1;       // value at offset 116 (-1: the points sent)
    std::vector<int16_t> points;
    std::string tail = "\n";

    std::string Bytes() const {
        auto put32 = [](std::string& d, size_t at, uint32_t v) {
            for (int i = 0; i < 4; ++i) {
                d[at + i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
            }
        };
        std::string descriptor(descriptorBytes < 120 ? 120 : descriptorBytes, '\0');
        descriptor.replace(0, 8, "WAVEDESC");
        put32(descriptor, 36,
              static_cast<uint32_t>(descriptorField < 0 ? descriptorBytes : descriptorField));
        put32(descriptor, 116, static_cast<uint32_t>(countField < 0 ? points.size() : countField));
        descriptor.resize(descriptorBytes);
        std::string data;
        for (int16_t p : points) {
            data += static_cast<char>(static_cast<uint16_t>(p) >> 8);
            data += static_cast<char>(p & 0xFF);
        }
        std::string length = std::to_string(descriptor.size() + data.size());
        if (static_cast<int>(length.size()) < digits) {
            length.insert(0, static_cast<size_t>(digits) - length.size(), '0');
        }
        return prefix + "#" + std::to_string(digits) + length.substr(0, digits) + descriptor +
               data + tail;
    }
};

class LeCroyTest : public ztest::SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        scope_ = std::make_shared<zsim::LeCroy93xx>("9354AM");
        zsim::AddInstrument(kAddress, scope_);
        // The first open of the process opens the resource manager; do it now
        // so that transcripts hold only the call under test.
        int32_t handle = 0;
        ASSERT_EQ(P().Open(kAddress, &handle), 0);
        P().Close(handle);
        zsim::ClearTranscript();
    }

    int32_t OpenScope(const char* address = kAddress) {
        int32_t handle = 0;
        EXPECT_EQ(P().Open(address, &handle), 0) << address;
        return handle;
    }

    std::shared_ptr<zsim::LeCroy93xx> scope_;
};

}  // namespace lctest
