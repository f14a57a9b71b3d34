// A process without any VISA library: every open of every plug-in is 1220,
// and no export crashes.
#include <gtest/gtest.h>

#include <vector>

#include "PluginLoader.h"

namespace {

struct Case {
    const char* name;
    const char* path;
    const char* channel;
    bool channelsNeedIo;  // the channel list comes from the instrument
};

const Case kCases[] = {
    {"dso_lc9350", DSO_LC9350_PATH, "C1", false},   {"dso_rhx4402", DSO_RHX4402_PATH, "CH1", true},
    {"dso_rhx6000", DSO_RHX6000_PATH, "CH1", true}, {"dso_tds300", DSO_TDS300_PATH, "CH1", false},
    {"dso_rvt8800", DSO_RVT8800_PATH, "CH1", true},
};

class NoVisaTest : public ::testing::TestWithParam<Case> {};

TEST_P(NoVisaTest, EveryOpenIs1220AndNothingCrashes) {
    ztest::Plugin plugin(GetParam().path);
    for (int round = 0; round < 2; ++round) {  // a later open looks for the library again
        for (const char* address : {"DEV1", "COM1", "GPIB0::7::INSTR", "", "TCPIP0::host::INSTR"}) {
            int32_t handle = 99;
            EXPECT_EQ(plugin.Open(address, &handle), 1220) << address;
            EXPECT_EQ(handle, 99) << address;
        }
    }
    std::vector<uint16_t> samples(1024, 0xBEEF);
    EXPECT_EQ(plugin.ReadWaveform(5, GetParam().channel, samples.data(), 0), 1230);
    EXPECT_EQ(samples, std::vector<uint16_t>(1024, 0xBEEF));
    EXPECT_EQ(plugin.ReadWaveform(0, GetParam().channel, samples.data(), 0), 1232);
    std::vector<ztest::Channel> channels;
    EXPECT_EQ(ztest::Enumerate(plugin, 5, channels), GetParam().channelsNeedIo ? 1230 : 0);
    EXPECT_EQ(plugin.Close(5), 0);
    EXPECT_EQ(plugin.Close(0), 0);
    EXPECT_EQ(plugin.HasLongData(0), 0);
    EXPECT_EQ(plugin.Message(1220, "DEV1"), "Unable to open instrument in device DEV1.");
}

INSTANTIATE_TEST_SUITE_P(Plugins, NoVisaTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
