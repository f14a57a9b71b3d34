// The simulated LeCroy itself, spoken to as an instrument: the plug-in's tests
// rely on its setup handling and its reply layout.
#include <gtest/gtest.h>

#include <cstring>

#include "models/LeCroy93xx.h"

namespace {

using zsim::LeCroy93xx;

uint32_t Be32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) {
        v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
    }
    return v;
}

uint16_t Be16(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>((static_cast<uint8_t>(bytes[at]) << 8) |
                                 static_cast<uint8_t>(bytes[at + 1]));
}

std::string Answer(LeCroy93xx& scope, const std::string& command) {
    scope.Receive(command);
    if (scope.Outbox().empty()) {
        return "";
    }
    std::string reply = scope.Outbox().front();
    scope.Outbox().pop_front();
    return reply;
}

struct SetupCase {
    const char* setup;
    size_t recordLength;
    std::vector<size_t> picked;  // record positions sent, or empty with `count`
    size_t count;
};

class SimulatedSetup : public ::testing::TestWithParam<SetupCase> {};

TEST_P(SimulatedSetup, SendsMinOfNpAndTheSparsedRest) {
    const SetupCase& c = GetParam();
    LeCroy93xx scope;
    std::vector<int16_t> record(c.recordLength);
    for (size_t i = 0; i < record.size(); ++i) {
        record[i] = static_cast<int16_t>(i);
    }
    scope.Receive(c.setup);
    EXPECT_TRUE(scope.CommandErrors().empty());
    const std::vector<int16_t> points = scope.SelectPoints(record);
    ASSERT_EQ(points.size(), c.count);
    for (size_t j = 0; j < c.picked.size(); ++j) {
        EXPECT_EQ(points[j], static_cast<int16_t>(c.picked[j])) << j;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lc9350Sim, SimulatedSetup,
    ::testing::Values(SetupCase{"WFSU SP,4,NP,12288,FP,0,SN,0", 50000, {0, 4, 8}, 12288},
                      SetupCase{"WFSU SP,4,NP,12288,FP,0,SN,0", 1001, {0, 4, 8}, 251},
                      SetupCase{"WFSU SP,4,NP,12288,FP,0,SN,0", 1000, {0, 4}, 250},
                      SetupCase{"wfsu fp,10,sp,3", 100, {10, 13, 16}, 30},
                      SetupCase{"WAVEFORM_SETUP SP,0,NP,0,FP,0", 7, {0, 1, 2}, 7},
                      SetupCase{"WFSU SP,1,NP,5,FP,2", 100, {2, 3, 4, 5, 6}, 5},
                      SetupCase{"WFSU FP,100", 100, {}, 0}));

TEST(SimulatedLeCroy, IdentifiesWithItsResponseHeader) {
    LeCroy93xx scope("9354AM", "935402378", "08.2.2");
    EXPECT_EQ(Answer(scope, "*IDN?"), "*IDN LECROY,9354AM,935402378,08.2.2\n");
    scope.Receive("CHDR OFF");
    EXPECT_EQ(Answer(scope, "*IDN?\n"), "LECROY,9354AM,935402378,08.2.2\n");
}

TEST(SimulatedLeCroy, WaveformReplyHasTheWavedescLayout) {
    LeCroy93xx scope("9354AM");
    std::vector<int16_t> record;
    for (int i = 0; i < 40; ++i) {
        record.push_back(static_cast<int16_t>(0x0A0A + i));
    }
    scope.SetTrace("C3", record);
    const std::string reply = Answer(scope, "WFSU SP,4,NP,12288,FP,0,SN,0;C3:WAVEFORM?");
    const std::string head = "C3:WF ALL,#9000000366";  // 346 + 10 points of 2 bytes
    ASSERT_EQ(reply.compare(0, head.size(), head), 0) << reply.substr(0, 30);
    const std::string d = reply.substr(head.size());
    ASSERT_EQ(d.size(), 346u + 20u + 1u);
    EXPECT_EQ(d.compare(0, 9, std::string("WAVEDESC\0", 9)), 0);
    EXPECT_EQ(d.compare(16, 11, std::string("LECROY_2_2\0", 11)), 0);
    EXPECT_EQ(Be16(d, 32), 1);  // words
    EXPECT_EQ(Be16(d, 34), 0);  // most significant byte first
    EXPECT_EQ(Be32(d, 36), 346u);
    EXPECT_EQ(Be32(d, 60), 20u);
    EXPECT_EQ(d.compare(76, 12, "LECROY9354AM"), 0);
    EXPECT_EQ(Be32(d, 116), 10u);
    EXPECT_EQ(Be32(d, 132), 0u);
    EXPECT_EQ(Be32(d, 136), 4u);
    EXPECT_EQ(Be32(d, 140), 0u);
    float gain = 0;
    const uint32_t gainBits = Be32(d, 156);
    memcpy(&gain, &gainBits, sizeof(gain));
    EXPECT_GT(gain, 0.0f);
    EXPECT_NE(Be32(d, 176), 0u);  // HORIZ_INTERVAL
    EXPECT_EQ(Be16(d, 344), 2);   // WAVE_SOURCE: C3
    for (size_t j = 0; j < 10; ++j) {
        EXPECT_EQ(Be16(d, 346 + 2 * j), 0x0A0A + 4 * j) << j;
    }
    EXPECT_EQ(d.back(), '\n');
    scope.SetFinalLineFeed(false);
    EXPECT_EQ(Answer(scope, "C3:WF?").size(), head.size() + 346 + 20);
}

TEST(SimulatedLeCroy, EmptyTraceIsADescriptorWithoutPoints) {
    LeCroy93xx scope("9350AM");
    const std::string reply = Answer(scope, "M1:WAVEFORM? ALL");
    ASSERT_EQ(reply.compare(0, 21, "M1:WF ALL,#9000000346"), 0);
    EXPECT_EQ(Be32(reply, 21 + 116), 0u);
    EXPECT_EQ(Be16(reply, 21 + 344), 9);  // not an input channel
}

TEST(SimulatedLeCroy, UnknownCommandsAnswerNothing) {
    LeCroy93xx scope("9350AM");
    for (const char* command : {"C3:WAVEFORM?", "XX:WF?", "WFSU SP", "WFSU QQ,1", "FOO?"}) {
        EXPECT_EQ(Answer(scope, command), "") << command;
    }
    EXPECT_EQ(scope.CommandErrors().size(), 5u);
}

}  // namespace
