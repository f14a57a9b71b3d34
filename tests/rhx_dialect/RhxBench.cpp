#include "RhxBench.h"

namespace rhxtest {

const char* FamilyName(Family family) {
    return family == Family::Rhx4402 ? "Rhx4402" : "Rvt8800";
}

ztest::Plugin& PluginOf(Family family) {
    static ztest::Plugin rhx(DSO_RHX4402_PATH);
    static ztest::Plugin rvt(DSO_RVT8800_PATH);
    return family == Family::Rhx4402 ? rhx : rvt;
}

std::shared_ptr<zsim::RhxDialectInstrument> MakeScope(Family family) {
    if (family == Family::Rhx4402) {
        return std::make_shared<zsim::Rhx4402Instrument>();
    }
    return std::make_shared<zsim::Rvt8800Instrument>();
}

void RhxTest::Place(Family family) {
    family_ = family;
    zsim::Reset();
    scope_ = MakeScope(family);
    zsim::AddInstrument("GPIB0::7", scope_);
    // The first open of a plug-in also opens its resource manager.
    int32_t handle = 0;
    ASSERT_EQ(P().Open("DEV7", &handle), 0);
    P().Close(handle);
    scope_ = MakeScope(family);
    zsim::AddInstrument("GPIB0::7", scope_);
    zsim::ClearTranscript();
}

void RhxTest::OpenScope() {
    ASSERT_EQ(P().Open("DEV7", &handle_), 0);
    zsim::ClearTranscript();
}

void RhxTest::TearDown() {
    if (handle_ != 0) {
        P().Close(handle_);
    }
    SimTest::TearDown();
}

std::vector<std::string> RhxTest::Commands() {
    return ztest::WrittenTexts(zsim::Transcript());
}

}  // namespace rhxtest
