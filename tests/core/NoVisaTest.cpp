// A process with no VISA library at all: opening fails cleanly with 1220.
#include <gtest/gtest.h>

#include "PluginLoader.h"

TEST(NoVisaLibrary, EveryOpenIs1220AndNothingCrashes) {
    ztest::Plugin plugin(DSO_TEST_PATH);
    for (const char* address : {"DEV1", "COM1", "GPIB0::7::INSTR"}) {
        int32_t handle = 99;
        EXPECT_EQ(plugin.Open(address, &handle), 1220) << address;
        EXPECT_EQ(handle, 99);
    }
    uint16_t samples[16];
    EXPECT_EQ(plugin.ReadWaveform(5, "A", samples, 0), 1230);
    EXPECT_EQ(plugin.Close(5), 0);
    EXPECT_EQ(plugin.Message(1220, "DEV1"), "Unable to open instrument in device DEV1.");
}
