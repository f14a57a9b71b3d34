#include <gtest/gtest.h>

#include "TranslateAddress.h"

namespace {

struct Case {
    const char* address;
    int board;
    const char* expected;
};

class TranslateAddressCases : public ::testing::TestWithParam<Case> {};

TEST_P(TranslateAddressCases, GivesResourceName) {
    const Case& c = GetParam();
    EXPECT_EQ(zvds::TranslateAddress(c.address, c.board), c.expected) << "address '" << c.address
                                                                      << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Forms, TranslateAddressCases,
    ::testing::Values(
        // The short forms.
        Case{"dev5", 0, "GPIB0::5"}, Case{"DEV5", 0, "GPIB0::5"}, Case{"DEV5", 2, "GPIB2::5"},
        Case{"com2", 0, "ASRL2"}, Case{"COM1", 0, "ASRL1"},
        // Decimal parsing: blanks before the number, sign, trailing text.
        Case{"DEV 12", 0, "GPIB0::12"}, Case{"DEV\t7", 0, "GPIB0::7"},
        Case{"DEV12X", 0, "GPIB0::12"}, Case{"DEV-1", 0, "GPIB0::-1"},
        Case{"DEV+3", 0, "GPIB0::3"}, Case{"COM 3", 0, "ASRL3"}, Case{"COM-2", 0, "ASRL-2"},
        Case{"dev007", 0, "GPIB0::7"},
        // Out of range saturates instead of wrapping.
        Case{"DEV99999999999", 0, "GPIB0::2147483647"},
        Case{"DEV-99999999999", 0, "GPIB0::-2147483648"},
        // Not the short forms: passed on, upper-cased.
        Case{"DEV", 0, "DEV"}, Case{"DEVICE1", 0, "DEVICE1"}, Case{" DEV1", 0, " DEV1"},
        Case{"COM", 0, "COM"}, Case{"COMX", 0, "COMX"}, Case{"DEV -", 0, "DEV -"},
        Case{"DEV- 1", 0, "DEV- 1"},
        Case{"gpib0::7::instr", 0, "GPIB0::7::INSTR"}, Case{"asrl1::instr", 0, "ASRL1::INSTR"},
        Case{"", 0, ""},
        // Only a to z change case.
        Case{"tcpip0::10.0.0.1::inst0::instr", 0, "TCPIP0::10.0.0.1::INST0::INSTR"},
        Case{"g\xe9pib", 0, "G\xe9PIB"}));

TEST(TranslateAddress, LeavesCallersStringAlone) {
    const std::string address = "dev5";
    zvds::TranslateAddress(address, 0);
    EXPECT_EQ(address, "dev5");
}

}  // namespace
