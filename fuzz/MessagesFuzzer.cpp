// ZVDS_GetErrMessage and zvds::GetErrMessage with any number and device text:
// input = 4 bytes of number (little-endian), 1 byte choosing whether the
// plug-in owns 1304, then the device text (a NUL-terminated copy).
#include <cstdint>
#include <cstring>
#include <memory>

#include "Exports.h"
#include "FuzzCheck.h"
#include "Messages.h"
#include "PluginDriver.h"

namespace {
void Nothing(CGpibDevice&) {}
void NoChannels(CGpibDevice&, const zvds::ChannelSink&) {}
void NoWaveform(CGpibDevice&, const char*, uint16_t*) {}
zvds::PluginDriver g_driver = {"Fuzz", false, Nothing, NoChannels, NoWaveform, nullptr};

constexpr size_t kOutput = 1024;  // all the host has to give
}  // namespace

const zvds::PluginDriver& zvds::ThisPlugin() {
    return g_driver;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) {
        return 0;
    }
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) {
        bits |= static_cast<uint32_t>(data[i]) << (8 * i);
    }
    const int32_t number = static_cast<int32_t>(bits);
    g_driver.hasMessage1304 = (data[4] & 1) != 0;
    std::unique_ptr<char[]> device(new char[size - 5 + 1]);
    memcpy(device.get(), data + 5, size - 5);
    device[size - 5] = '\0';

    // Exactly 1024 bytes, so that a longer write is caught.
    std::unique_ptr<char[]> out(new char[kOutput]);
    const int32_t n = ZVDS_GetErrMessage(device.get(), number, out.get(), 0);
    zfuzz::Require(n >= 0 && static_cast<size_t>(n) < kOutput, "a text of 1024 or more");
    zfuzz::Require(strlen(out.get()) == static_cast<size_t>(n), "a count that is not the length");

    std::unique_ptr<char[]> again(new char[kOutput]);
    const int32_t m = zvds::GetErrMessage(device.get(), number, again.get());
    zfuzz::Require(m == n && memcmp(out.get(), again.get(), static_cast<size_t>(n) + 1) == 0,
                   "the export and the core disagree");
    // Without a device text the message still comes, with nothing for "%s".
    zvds::GetErrMessage(nullptr, number, again.get());
    return 0;
}
