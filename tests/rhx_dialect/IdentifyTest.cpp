// ZVDS_Open's model check through "MODEL?" for both families.
#include <gtest/gtest.h>

#include <ostream>

#include "Faults.h"
#include "RhxBench.h"

namespace rhxtest {
namespace {

struct IdentifyCase {
    const char* name;
    Family family;
    std::string reply;
    int32_t result;
};

void PrintTo(const IdentifyCase& c, std::ostream* os) {
    *os << c.name;
}

const IdentifyCase kIdentifyCases[] = {
    {"Rhx4402A_LF", Family::Rhx4402, "RHX4402A\n", 0},
    {"Rhx4403A_CRLF", Family::Rhx4402, "RHX4403A\r\n", 0},
    {"Rhx_SevenCharactersExactly", Family::Rhx4402, "RHX4402", 0},
    {"Rhx_Digit9", Family::Rhx4402, "RHX4409\n", 0},
    {"Rhx_DigitZ", Family::Rhx4402, "RHX440Z\n", 0},
    {"Rhx4400A", Family::Rhx4402, "RHX4400A\n", 1223},
    {"Rhx4401A", Family::Rhx4402, "RHX4401A\n", 1223},
    {"Rhx_BarePrefix", Family::Rhx4402, "RHX44", 1223},
    {"Rhx_PrefixPlusOne", Family::Rhx4402, "RHX440\n", 1223},
    // The blank in seventh place goes with the trailing white space.
    {"Rhx_TrailingBlanksDoNotCount", Family::Rhx4402, "RHX440 \t\r\n", 1223},
    {"Rhx_LowerCase", Family::Rhx4402, "rhx4402a\n", 1223},
    {"Rhx_LeadingBlank", Family::Rhx4402, " RHX4402A\n", 1223},
    {"Rhx_Digit0x80", Family::Rhx4402, "RHX440\x80\n", 1223},
    {"Rhx_Digit0xFF", Family::Rhx4402,
     "RHX440\xFF"
     "A\n",
     1223},
    {"Rhx_OtherFamily", Family::Rhx4402, "RVT8802\n", 1223},
    {"Rhx_Empty", Family::Rhx4402, "\n", 1223},
    {"Rvt8801_LF", Family::Rvt8800, "RVT8801\n", 0},
    {"Rvt_Digit0x7F", Family::Rvt8800, "RVT880\x7F\n", 0},
    {"Rvt_DigitZ", Family::Rvt8800, "RVT881Z\r\n", 0},
    {"Rvt8800", Family::Rvt8800, "RVT8800\n", 1223},
    {"Rvt8800U", Family::Rvt8800, "RVT8800U\n", 1223},
    {"Rvt_BarePrefix", Family::Rvt8800, "RVT88", 1223},
    {"Rvt_PrefixPlusOne", Family::Rvt8800, "RVT880", 1223},
    {"Rvt_Digit0x80", Family::Rvt8800, "RVT880\x80\n", 1223},
    {"Rvt_OtherFamily", Family::Rvt8800, "RHX4402A\n", 1223},
};

class IdentifyTest : public RhxTest, public ::testing::WithParamInterface<IdentifyCase> {};

TEST_P(IdentifyTest, ModelReplyDecides) {
    const IdentifyCase& c = GetParam();
    Place(c.family);
    scope_->SetModelReply(c.reply);
    handle_ = -1;
    EXPECT_EQ(P().Open("DEV7", &handle_), c.result);
    EXPECT_EQ(Commands(), std::vector<std::string>{"MODEL?"});
    // Accepted or refused, the host holds an open session.
    EXPECT_TRUE(zsim::IsOpen(static_cast<ViSession>(handle_)));
}

INSTANTIATE_TEST_SUITE_P(Replies, IdentifyTest, ::testing::ValuesIn(kIdentifyCases),
                         [](const auto& info) { return std::string(info.param.name); });

class IdentifyFailureTest : public RhxTest, public ::testing::WithParamInterface<Family> {};

TEST_P(IdentifyFailureTest, IoFailureIsTheResultAndTheSessionStaysOpen) {
    struct {
        zsim::Fault fault;
        int32_t result;
    } const cases[] = {{ztest::WriteFault("MODEL?"), 1230},
                       {ztest::ReplyFault("MODEL?", zsim::FaultKind::Status), 1231}};
    for (const auto& c : cases) {
        Place(GetParam());
        zsim::ArmFault(c.fault);
        handle_ = -1;
        EXPECT_EQ(P().Open("DEV7", &handle_), c.result);
        EXPECT_TRUE(zsim::IsOpen(static_cast<ViSession>(handle_)));
        P().Close(handle_);
        handle_ = 0;
    }
}

INSTANTIATE_TEST_SUITE_P(Families, IdentifyFailureTest,
                         ::testing::Values(Family::Rhx4402, Family::Rvt8800),
                         [](const auto& info) { return std::string(FamilyName(info.param)); });

}  // namespace
}  // namespace rhxtest
