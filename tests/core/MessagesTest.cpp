// ZVDS_GetErrMessage through a real plug-in's export.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "PluginLoader.h"

namespace {

ztest::Plugin& TestPlugin() {
    static ztest::Plugin plugin(DSO_TEST_PATH);
    return plugin;
}

struct Case {
    int32_t number;
    const char* text;  // with "DEV1" as the device text
};

class MessageTexts : public ::testing::TestWithParam<Case> {};

TEST_P(MessageTexts, AreExact) {
    const Case& c = GetParam();
    const std::string text = TestPlugin().Message(c.number, "DEV1");
    EXPECT_EQ(text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MessageTexts,
    ::testing::Values(
        Case{1200, "GPIB unknown error."},
        Case{1220, "Unable to open instrument in device DEV1."},
        Case{1221, "Unable to close instrument in device DEV1."},
        Case{1223, "Different model access in device DEV1."},
        Case{1224, "Error clearing instrument in device DEV1."},
        Case{1225, "Error triggering instrument in device DEV1."},
        Case{1226, "Error polling instrument in device DEV1."},
        Case{1228, "Error writing to instrument from file in device DEV1."},
        Case{1229, "Error reading from instrument to file in device DEV1."},
        Case{1230, "Error writing to instrument in device DEV1."},
        Case{1231, "Error reading from instrument in device DEV1."},
        Case{1232, "Instrument not initialized in device DEV1."},
        Case{1233, "Error in configuring GPIB address in device DEV1."},
        Case{1234, "Error in placing instrument in local mode in device DEV1."},
        Case{1236, "Error interpreting instrument response in device DEV1."},
        Case{1239, "Error in configuring timeout in device DEV1."},
        Case{1240, "Instrument timed out in device DEV1."},
        Case{1301, "Not in STORAGE mode in device DEV1."},
        Case{1302, "Wave channel inactive in device DEV1."},
        Case{1303, "Not in SINGLE TRIGGER mode in device DEV1."},
        // Only the LeCroy plug-in owns 1304; gaps and strangers have no text.
        Case{1304, ""}, Case{1235, ""}, Case{1222, ""}, Case{0, ""}, Case{-1, ""},
        Case{INT_MAX, ""}, Case{INT_MIN, ""}, Case{1199, ""}, Case{1305, ""}));

TEST(GetErrMessage, Message1304OnlyFromThePluginThatOwnsIt) {
    // Both loaded at once: each answers from its own table.
    ztest::Plugin owner(DSO_TEST_1304_PATH);
    char out[1024];
    EXPECT_EQ(owner.GetErrMessage("DEV1", 1304, out, 0), 49);
    EXPECT_STREQ(out, "Specified channel does not exist, in device DEV1.");
    EXPECT_EQ(owner.Message(1303, "DEV1"), "Not in SINGLE TRIGGER mode in device DEV1.");
    EXPECT_EQ(TestPlugin().GetErrMessage("DEV1", 1304, out, 0), 0);
    EXPECT_STREQ(out, "");
}

TEST(GetErrMessage, ReturnsTheLengthWritten) {
    char out[1024];
    EXPECT_EQ(TestPlugin().GetErrMessage("GPIB0::5", 1220, out, 0), 45);
    EXPECT_STREQ(out, "Unable to open instrument in device GPIB0::5.");
    EXPECT_EQ(TestPlugin().GetErrMessage("anything", 1200, out, 0), 19);
    EXPECT_STREQ(out, "GPIB unknown error.");
    EXPECT_EQ(TestPlugin().GetErrMessage("", 1232, out, 0), 38);
    EXPECT_STREQ(out, "Instrument not initialized in device .");
    memset(out, 'x', sizeof(out));
    EXPECT_EQ(TestPlugin().GetErrMessage("DEV1", 1235, out, 0), 0);
    EXPECT_EQ(out[0], '\0');
}

TEST(GetErrMessage, DeviceTextIsNotAFormat) {
    EXPECT_EQ(TestPlugin().Message(1230, "%s%d%n"),
              "Error writing to instrument in device %s%d%n.");
}

TEST(GetErrMessage, NeverWritesMoreThan1024Bytes) {
    const std::string device(5000, 'd');
    std::vector<char> out(2048, '#');
    const int32_t n = TestPlugin().GetErrMessage(device.c_str(), 1231, out.data(), 0);
    EXPECT_EQ(n, 1023);
    EXPECT_EQ(out[1023], '\0');
    EXPECT_EQ(strlen(out.data()), 1023u);
    EXPECT_EQ(std::string(out.data(), 37), "Error reading from instrument in devi");
    for (size_t i = 1024; i < out.size(); ++i) {
        ASSERT_EQ(out[i], '#') << "byte " << i;
    }
}

TEST(GetErrMessage, NullArgumentsAreHarmless) {
    char out[64];
    EXPECT_EQ(TestPlugin().GetErrMessage(nullptr, 1232, out, 0), 38);
    EXPECT_STREQ(out, "Instrument not initialized in device .");
    EXPECT_EQ(TestPlugin().GetErrMessage("DEV1", 1232, nullptr, 0), 0);
}

}  // namespace
