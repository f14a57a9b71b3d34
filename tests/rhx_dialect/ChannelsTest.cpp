// ZVDS_EnumValidChannels: the channel scan of both families.
#include <gtest/gtest.h>

#include <ostream>

#include "Faults.h"
#include "RhxBench.h"

namespace rhxtest {
namespace {

using Names = std::vector<std::string>;

struct ScanCase {
    const char* name;
    Family family;
    Names on;               // channels switched on at the instrument
    int stopAfter;          // the host says stop on this callback (0: never)
    const char* timeoutAt;  // the reply to this query times out (null: none)
    Names offered;          // what the host is told, in order
    Names queries;          // what the instrument is asked, in order
    int32_t result;
};

const Names kRhxQueries = {"CH1?", "CH2?", "CH3?", "CH4?", "REF1?", "REF2?", "REF3?", "REF4?"};
const Names kRvtQueries = {"CH1?", "CH2?", "MEM1?", "MEM2?"};

void PrintTo(const ScanCase& c, std::ostream* os) {
    *os << c.name;
}

const ScanCase kScanCases[] = {
    {"Rhx_SomeOn",
     Family::Rhx4402,
     {"CH2", "REF1", "REF4"},
     0,
     nullptr,
     {"CH2", "REF1", "REF4"},
     kRhxQueries,
     0},
    {"Rhx_AllOn",
     Family::Rhx4402,
     {"CH1", "CH2", "CH3", "CH4", "REF1", "REF2", "REF3", "REF4"},
     0,
     nullptr,
     {"CH1", "CH2", "CH3", "CH4", "REF1", "REF2", "REF3", "REF4"},
     kRhxQueries,
     0},
    {"Rhx_NoneOn", Family::Rhx4402, {}, 0, nullptr, {}, kRhxQueries, 0},
    {"Rhx_StopAtCH2",
     Family::Rhx4402,
     {"CH1", "CH2", "CH4"},
     2,
     nullptr,
     {"CH1", "CH2"},
     {"CH1?", "CH2?"},
     0},
    {"Rhx_TimeoutAtREF3",
     Family::Rhx4402,
     {"CH1", "REF2", "REF4"},
     0,
     "REF3?",
     {"CH1", "REF2"},
     {"CH1?", "CH2?", "CH3?", "CH4?", "REF1?", "REF2?", "REF3?"},
     1231},
    {"Rvt_CH2AndMEM1",
     Family::Rvt8800,
     {"CH2", "MEM1"},
     0,
     nullptr,
     {"CH2", "MEM1"},
     kRvtQueries,
     0},
    {"Rvt_StopAtCH1", Family::Rvt8800, {"CH1", "CH2"}, 1, nullptr, {"CH1"}, {"CH1?"}, 0},
    {"Rvt_TimeoutAtCH2",
     Family::Rvt8800,
     {"CH1", "MEM2"},
     0,
     "CH2?",
     {"CH1"},
     {"CH1?", "CH2?"},
     1231},
};

class ScanTest : public RhxTest, public ::testing::WithParamInterface<ScanCase> {};

TEST_P(ScanTest, OffersWhatIsOnInTableOrder) {
    const ScanCase& c = GetParam();
    Place(c.family);
    scope_->SetAllChannels(false);
    for (const std::string& name : c.on) {
        scope_->SetChannelOn(name, true);
    }
    OpenScope();
    if (c.timeoutAt != nullptr) {
        zsim::ArmFault(ztest::ReplyFault(c.timeoutAt, zsim::FaultKind::Status));
    }
    std::vector<ztest::Channel> channels;
    EXPECT_EQ(ztest::Enumerate(P(), handle_, channels, c.stopAfter), c.result);
    std::vector<ztest::Channel> expected;
    for (const std::string& name : c.offered) {
        expected.push_back({name, 1024});
    }
    EXPECT_EQ(channels, expected);
    EXPECT_EQ(Commands(), c.queries);
    EXPECT_TRUE(zsim::IsOpen(static_cast<ViSession>(handle_)));
}

INSTANTIATE_TEST_SUITE_P(Scans, ScanTest, ::testing::ValuesIn(kScanCases),
                         [](const auto& info) { return std::string(info.param.name); });

using ChannelReplyTest = RhxTest;

TEST_F(ChannelReplyTest, OnlyAnUpperCaseOnAnywhereInTheReplyCounts) {
    Place(Family::Rhx4402);
    scope_->SetAllChannels(false);
    OpenScope();
    zsim::ArmFault(ztest::ReplacedReply("CH3?", "CH3 MONITOR\n"));  // "ON" inside a word
    zsim::ArmFault(ztest::ReplacedReply("CH4?", "CH4 on\n"));
    zsim::ArmFault(ztest::ReplacedReply("REF1?", "ON"));
    std::vector<ztest::Channel> channels;
    EXPECT_EQ(ztest::Enumerate(P(), handle_, channels), 0);
    EXPECT_EQ(channels, (std::vector<ztest::Channel>{{"CH3", 1024}, {"REF1", 1024}}));
}

TEST_F(ChannelReplyTest, EveryScanAsksAfresh) {
    Place(Family::Rvt8800);
    OpenScope();
    std::vector<ztest::Channel> channels;
    ASSERT_EQ(ztest::Enumerate(P(), handle_, channels), 0);
    EXPECT_EQ(channels, (std::vector<ztest::Channel>{{"CH1", 1024}}));
    scope_->SetChannelOn("CH1", false);
    scope_->SetChannelOn("MEM2", true);
    ASSERT_EQ(ztest::Enumerate(P(), handle_, channels), 0);
    EXPECT_EQ(channels, (std::vector<ztest::Channel>{{"MEM2", 1024}}));
}

}  // namespace
}  // namespace rhxtest
