// A test with a fresh simulated bench, and helpers to read its transcript.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Bench.h"
#include "ScriptedInstrument.h"

namespace ztest {

class SimTest : public ::testing::Test {
protected:
    void SetUp() override { zsim::Reset(); }
    void TearDown() override { zsim::Reset(); }
};

// The transcript reduced to lines such as "viWrite \"*IDN?\"" or
// "viSetAttribute 0x3FFF001A=10000", for exact comparisons.
std::vector<std::string> Dialogue(const std::vector<zsim::CallRecord>& records);
// Only the records of one kind of call.
std::vector<zsim::CallRecord> Only(const std::vector<zsim::CallRecord>& records, zsim::Call call);
// The bytes of every write in the transcript.
std::vector<std::string> WrittenTexts(const std::vector<zsim::CallRecord>& records);

}  // namespace ztest
