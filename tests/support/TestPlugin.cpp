// A plug-in for the core's tests: no identification, three fixed channels and
// a small waveform dialogue that exercises text and binary reads.
#include <string>

#include "GpibException.h"
#include "PluginDriver.h"

namespace {

void Identify(CGpibDevice&) {}

void Enumerate(CGpibDevice&, const zvds::ChannelSink& sink) {
    static const char* const kNames[] = {"A", "B", "C"};
    zvds::OfferAll(sink, kNames, 3, 16);
}

// "WAV? <channel>" answers "OK" or "ERR <number>"; then "DATA?" answers 32 bytes.
void ReadWaveform(CGpibDevice& device, const char* channel, uint16_t* samples) {
    device.WriteString(std::string("WAV? ") + channel);
    std::string reply;
    device.ReadString(reply);
    if (reply.compare(0, 4, "ERR ") == 0) {
        ThrowGpibException(&device, std::stoi(reply.substr(4)));
    }
    device.WriteString("DATA?");
    device.ReadBytes(samples, 32);
}

// dso_test_1304 is the same plug-in owning message 1304, as dso_lc9350 does.
#ifndef ZVDS_TEST_HAS_1304
#define ZVDS_TEST_HAS_1304 false
#endif

const zvds::PluginDriver kDriver = {
    "ZVDS Test Plug-in", ZVDS_TEST_HAS_1304, Identify, Enumerate, ReadWaveform, nullptr,
};

}  // namespace

const zvds::PluginDriver& zvds::ThisPlugin() {
    return kDriver;
}
