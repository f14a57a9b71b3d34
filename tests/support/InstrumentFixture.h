// A test of one plug-in against one simulated instrument, opened before each
// test and closed after it, with a host buffer that shows every write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "PluginLoader.h"
#include "SimFixture.h"

namespace ztest {

// What the host's buffer holds before a read: no plug-in writes this value.
constexpr uint16_t kUntouched = 0xBEEF;

// Derived supplies `static Plugin& P()`; Model is the simulated instrument,
// put at `resource` and opened as `address`. Samples is the host buffer's
// size, which may be larger than the plug-in's point count.
template <class Derived, class Model, size_t Samples>
class InstrumentTest : public SimTest {
protected:
    InstrumentTest(const char* resource, const char* address)
        : resource_(resource), address_(address) {}

    void SetUp() override {
        SimTest::SetUp();
        scope_ = std::make_shared<Model>();
        zsim::AddInstrument(resource_, scope_);
        ASSERT_EQ(Derived::P().Open(address_, &handle_), 0);
        zsim::ClearTranscript();
        for (uint16_t& s : samples_) {
            s = kUntouched;
        }
    }

    void TearDown() override {
        Derived::P().Close(handle_);
        SimTest::TearDown();
    }

    int32_t Read(const char* channel = "CH1") {
        return Derived::P().ReadWaveform(handle_, channel, samples_, 0);
    }

    // No sample from `from` on was written.
    bool Untouched(size_t from = 0) const {
        for (size_t i = from; i < Samples; ++i) {
            if (samples_[i] != kUntouched) {
                return false;
            }
        }
        return true;
    }

    const char* resource_;
    const char* address_;
    std::shared_ptr<Model> scope_;
    int32_t handle_ = 0;
    uint16_t samples_[Samples];
};

}  // namespace ztest
