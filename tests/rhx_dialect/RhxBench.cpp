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

zsim::Fault WriteFails(const char* command) {
    zsim::Fault f;
    f.call = zsim::Call::Write;
    f.command = command;
    f.status = VI_ERROR_IO;
    return f;
}

zsim::Fault ReplyTimesOut(const char* command) {
    zsim::Fault f;
    f.call = zsim::Call::Read;
    f.command = command;
    f.status = VI_ERROR_TMO;
    return f;
}

zsim::Fault ReplyCut(const char* command, size_t keep) {
    zsim::Fault f = ReplyTimesOut(command);
    f.kind = keep == 0 ? zsim::FaultKind::Empty : zsim::FaultKind::Short;
    f.keep = keep;
    return f;
}

zsim::Fault ReplyReplaced(const char* command, const std::string& replacement) {
    zsim::Fault f = ReplyTimesOut(command);
    f.kind = zsim::FaultKind::Replace;
    f.replacement = replacement;
    return f;
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
