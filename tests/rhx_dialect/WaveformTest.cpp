// ZVDS_ReadWaveform of both families: the dialogue, the conversion, the
// storage-mode check and every failure, with the instrument's pause state
// read back from the simulated instrument.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "Faults.h"
#include "RhxBench.h"

namespace rhxtest {
namespace {

using Names = std::vector<std::string>;

constexpr uint16_t kUntouched = 0xABAB;

class WaveformTest : public RhxTest {
protected:
    WaveformTest() { std::fill(std::begin(samples_), std::end(samples_), kUntouched); }

    zsim::Rhx4402Instrument& Rhx() { return static_cast<zsim::Rhx4402Instrument&>(*scope_); }
    zsim::Rvt8800Instrument& Rvt() { return static_cast<zsim::Rvt8800Instrument&>(*scope_); }

    int32_t Read(const char* channel) { return P().ReadWaveform(handle_, channel, samples_, 0); }
    bool Untouched() const {
        return std::all_of(std::begin(samples_), std::end(samples_),
                           [](uint16_t s) { return s == kUntouched; });
    }

    uint16_t samples_[1024];
};

// Position of the first transcript line equal to `line`, or -1.
int IndexOf(const std::vector<std::string>& lines, const std::string& line) {
    auto it = std::find(lines.begin(), lines.end(), line);
    return it == lines.end() ? -1 : static_cast<int>(it - lines.begin());
}

TEST_F(WaveformTest, RhxPausesForTheTransferAndLiftsOnlyItsOwnPause) {
    struct {
        bool pausedBefore;
        Names commands;
        Names pauseCommands;
    } const cases[] = {
        {true,
         {"MOD?", "PAU?", "WAV COD WOR", "WAV STA DIS", "WAV END DIS", "PAU ON", "WAV OUT CH1"},
         {"PAU ON"}},
        {false,
         {"MOD?", "PAU?", "WAV COD WOR", "WAV STA DIS", "WAV END DIS", "PAU ON", "WAV OUT CH1",
          "PAU OFF"},
         {"PAU ON", "PAU OFF"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pausedBefore ? "paused before" : "running before");
        Place(Family::Rhx4402);
        scope_->SetPaused(c.pausedBefore);
        OpenScope();
        ASSERT_EQ(Read("CH1"), 0);
        EXPECT_EQ(Commands(), c.commands);
        EXPECT_EQ(scope_->Paused(), c.pausedBefore);
        EXPECT_EQ(scope_->PauseCommands(), c.pauseCommands);
        // The transfer settings stay in force.
        EXPECT_EQ(scope_->Coding(), "WOR");
        EXPECT_EQ(scope_->Start(), "DIS");
        EXPECT_EQ(scope_->End(), "DIS");
        const auto lines = ztest::Dialogue(zsim::Transcript());
        const int block = IndexOf(lines, "viRead 2048");
        ASSERT_GE(block, 0);
        if (!c.pausedBefore) {
            EXPECT_GT(IndexOf(lines, "viWrite \"PAU OFF\""), block);
        }
        P().Close(handle_);
        handle_ = 0;
    }
}

TEST_F(WaveformTest, RhxWordsArriveBigEndianAndAreStoredBitForBit) {
    Place(Family::Rhx4402);
    std::vector<uint16_t> words(1024);
    for (size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<uint16_t>(0x0A0D + 3 * i);  // line feeds inside the block
    }
    words[0] = 0x1234;
    words[1] = 0xFFFE;
    words[2] = 0x8000;
    words[1023] = 0x00FF;
    Rhx().SetWaveform("REF4", words);
    OpenScope();
    ASSERT_EQ(Read("REF4"), 0);
    EXPECT_EQ(samples_[0], 4660);
    EXPECT_EQ(samples_[1], 0xFFFE);
    EXPECT_EQ(samples_[2], 0x8000);
    EXPECT_EQ(samples_[1023], 0x00FF);
    EXPECT_EQ(std::vector<uint16_t>(std::begin(samples_), std::end(samples_)), words);
    EXPECT_EQ(Commands()[6], "WAV OUT REF4");
}

TEST_F(WaveformTest, ChannelNameIsSentUnchecked) {
    Place(Family::Rhx4402);
    scope_->SetWaveformBlock("XYZ", std::string(2048, '\x01'));
    OpenScope();
    ASSERT_EQ(Read("XYZ"), 0);
    EXPECT_EQ(Commands()[6], "WAV OUT XYZ");
    EXPECT_EQ(samples_[500], 0x0101);
}

TEST_F(WaveformTest, RvtDialogueHasNoPauseAndLeavesThePauseStateAlone) {
    for (bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "paused" : "running");
        Place(Family::Rvt8800);
        scope_->SetPaused(paused);
        OpenScope();
        ASSERT_EQ(Read("MEM1"), 0);
        EXPECT_EQ(Commands(),
                  (Names{"MOD?", "WAV STA 0", "WAV END 7", "WAV COD BYT", "WAV OUT MEM1"}));
        EXPECT_EQ(scope_->Paused(), paused);
        EXPECT_TRUE(scope_->PauseCommands().empty());
        EXPECT_EQ(scope_->Coding(), "BYT");
        EXPECT_EQ(scope_->Start(), "0");
        EXPECT_EQ(scope_->End(), "7");
        EXPECT_EQ(ztest::Dialogue(zsim::Transcript()).back(), "viSetAttribute 0x3FFF0038=1");
        P().Close(handle_);
        handle_ = 0;
    }
}

TEST_F(WaveformTest, RvtSumsEachGroupOfFourTimesFour) {
    Place(Family::Rvt8800);
    std::vector<uint8_t> bytes(4096, 5);
    const uint8_t groups[][4] = {
        {1, 2, 3, 4}, {255, 255, 255, 255}, {128, 128, 128, 128}, {0, 0, 0, 0}, {10, 0, 0, 0}};
    for (size_t g = 0; g < 5; ++g) {
        std::copy(groups[g], groups[g] + 4, bytes.begin() + 4 * g);
    }
    const uint8_t last[4] = {10, 20, 30, 40};
    std::copy(last, last + 4, bytes.end() - 4);
    Rvt().SetWaveform("CH2", bytes);
    OpenScope();
    ASSERT_EQ(Read("CH2"), 0);
    EXPECT_EQ(samples_[0], 40);
    EXPECT_EQ(samples_[1], 4080);
    EXPECT_EQ(samples_[2], 2048);
    EXPECT_EQ(samples_[3], 0);
    EXPECT_EQ(samples_[4], 40);  // byte 16 ('\n') alone
    EXPECT_EQ(samples_[5], 80);
    EXPECT_EQ(samples_[1022], 80);
    EXPECT_EQ(samples_[1023], 400);
}

TEST_F(WaveformTest, NotInStorageModeIs1301BeforeAnythingElse) {
    struct {
        Family family;
        const char* mode;
        bool paused;
    } const cases[] = {
        {Family::Rhx4402, "ROLL", false},    {Family::Rhx4402, "ROLL", true},
        {Family::Rhx4402, "storage", false}, {Family::Rvt8800, "ROLL", false},
        {Family::Rvt8800, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(FamilyName(c.family)) + " mode '" + c.mode + "'");
        Place(c.family);
        scope_->SetMode(c.mode);
        scope_->SetPaused(c.paused);
        OpenScope();
        std::fill(std::begin(samples_), std::end(samples_), kUntouched);
        EXPECT_EQ(Read("CH1"), 1301);
        EXPECT_EQ(Commands(), Names{"MOD?"});
        EXPECT_TRUE(Untouched());
        EXPECT_EQ(scope_->Paused(), c.paused);
        EXPECT_TRUE(zsim::IsOpen(static_cast<ViSession>(handle_)));
        P().Close(handle_);
        handle_ = 0;
    }
}

struct FailureCase {
    const char* name;
    Family family;
    bool pausedBefore;
    zsim::Fault fault;
    int32_t result;
    const char* lastCommand;  // nothing is sent after it
    bool pausedAfter;
    bool bufferWritten;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

const FailureCase kFailureCases[] = {
    {"Rhx_ModeWrite", Family::Rhx4402, false, ztest::WriteFault("MOD?"), 1230, "MOD?", false,
     false},
    {"Rhx_ModeReply", Family::Rhx4402, false, ztest::ReplyFault("MOD?", zsim::FaultKind::Status),
     1231, "MOD?", false, false},
    {"Rhx_PauseReply", Family::Rhx4402, false, ztest::ReplyFault("PAU?", zsim::FaultKind::Status),
     1231, "PAU?", false, false},
    {"Rhx_CodingWrite", Family::Rhx4402, false, ztest::WriteFault("WAV COD WOR"), 1230,
     "WAV COD WOR", false, false},
    {"Rhx_EndWrite", Family::Rhx4402, false, ztest::WriteFault("WAV END DIS"), 1230, "WAV END DIS",
     false, false},
    // A "PAU ON" that never arrived leaves the instrument running.
    {"Rhx_PauseOnWrite", Family::Rhx4402, false, ztest::WriteFault("PAU ON"), 1230, "PAU ON", false,
     false},
    {"Rhx_RequestWrite", Family::Rhx4402, false, ztest::WriteFault("WAV OUT"), 1230, "WAV OUT CH1",
     true, false},
    {"Rhx_BlockTimesOut", Family::Rhx4402, false,
     ztest::ReplyFault("WAV OUT", zsim::FaultKind::Status), 1231, "WAV OUT CH1", true, false},
    {"Rhx_BlockShortByOne", Family::Rhx4402, false,
     ztest::ReplyFault("WAV OUT", zsim::FaultKind::Short, 2047), 1236, "WAV OUT CH1", true, false},
    {"Rhx_BlockHalf", Family::Rhx4402, false,
     ztest::ReplyFault("WAV OUT", zsim::FaultKind::Short, 1024), 1236, "WAV OUT CH1", true, false},
    {"Rhx_BlockEmpty", Family::Rhx4402, false,
     ztest::ReplyFault("WAV OUT", zsim::FaultKind::Short, 0), 1236, "WAV OUT CH1", true, false},
    {"Rhx_PausedBefore_BlockTimesOut", Family::Rhx4402, true,
     ztest::ReplyFault("WAV OUT", zsim::FaultKind::Status), 1231, "WAV OUT CH1", true, false},
    {"Rhx_PausedBefore_BlockShort", Family::Rhx4402, true,
     ztest::ReplyFault("WAV OUT", zsim::FaultKind::Short, 100), 1236, "WAV OUT CH1", true, false},
    // After the conversion: the waveform is delivered though the call fails.
    {"Rhx_PauseOffWrite", Family::Rhx4402, false, ztest::WriteFault("PAU OFF"), 1230, "PAU OFF",
     true, true},
    {"Rvt_ModeReply", Family::Rvt8800, false, ztest::ReplyFault("MOD?", zsim::FaultKind::Status),
     1231, "MOD?", false, false},
    {"Rvt_StartWrite", Family::Rvt8800, false, ztest::WriteFault("WAV STA 0"), 1230, "WAV STA 0",
     false, false},
    {"Rvt_CodingWrite", Family::Rvt8800, true, ztest::WriteFault("WAV COD BYT"), 1230,
     "WAV COD BYT", true, false},
    {"Rvt_RequestWrite", Family::Rvt8800, false, ztest::WriteFault("WAV OUT"), 1230, "WAV OUT CH1",
     false, false},
    {"Rvt_BlockTimesOut", Family::Rvt8800, false,
     ztest::ReplyFault("WAV OUT", zsim::FaultKind::Status), 1231, "WAV OUT CH1", false, false},
    {"Rvt_BlockShortByOne", Family::Rvt8800, false,
     ztest::ReplyFault("WAV OUT", zsim::FaultKind::Short, 4095), 1236, "WAV OUT CH1", false, false},
    {"Rvt_BlockOfRhxSize", Family::Rvt8800, true,
     ztest::ReplyFault("WAV OUT", zsim::FaultKind::Short, 2048), 1236, "WAV OUT CH1", true, false},
    {"Rvt_BlockEmpty", Family::Rvt8800, false,
     ztest::ReplyFault("WAV OUT", zsim::FaultKind::Short, 0), 1236, "WAV OUT CH1", false, false},
};

class WaveformFailureTest : public WaveformTest,
                            public ::testing::WithParamInterface<FailureCase> {};

TEST_P(WaveformFailureTest, StopsAtTheFailingStep) {
    const FailureCase& c = GetParam();
    Place(c.family);
    scope_->SetPaused(c.pausedBefore);
    OpenScope();
    zsim::ArmFault(c.fault);
    EXPECT_EQ(Read("CH1"), c.result);
    const Names commands = Commands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back(), c.lastCommand);
    EXPECT_EQ(scope_->Paused(), c.pausedAfter);
    if (c.bufferWritten) {
        EXPECT_EQ(samples_[1], 64);  // the instrument's ramp
    } else {
        EXPECT_TRUE(Untouched());
    }
    EXPECT_TRUE(zsim::IsOpen(static_cast<ViSession>(handle_)));
}

INSTANTIATE_TEST_SUITE_P(Steps, WaveformFailureTest, ::testing::ValuesIn(kFailureCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WaveformTest, FullSessionAgainstEachInstrument) {
    struct {
        Family family;
        Names on;
        uint16_t sample1;  // of the instrument's ramp
    } const cases[] = {{Family::Rhx4402, {"CH1", "REF2"}, 64}, {Family::Rvt8800, {"MEM2"}, 4 * 22}};
    for (const auto& c : cases) {
        SCOPED_TRACE(FamilyName(c.family));
        Place(c.family);
        scope_->SetAllChannels(false);
        for (const std::string& name : c.on) {
            scope_->SetChannelOn(name, true);
        }
        ASSERT_EQ(P().Open("DEV7", &handle_), 0);
        std::vector<ztest::Channel> channels;
        ASSERT_EQ(ztest::Enumerate(P(), handle_, channels), 0);
        ASSERT_EQ(channels.size(), c.on.size());
        for (const ztest::Channel& channel : channels) {
            std::fill(std::begin(samples_), std::end(samples_), kUntouched);
            ASSERT_EQ(Read(channel.name.c_str()), 0) << channel.name;
            EXPECT_EQ(samples_[1], c.sample1);
        }
        EXPECT_FALSE(scope_->Paused());
        EXPECT_EQ(P().Close(handle_), 0);
        EXPECT_FALSE(zsim::IsOpen(static_cast<ViSession>(handle_)));
        handle_ = 0;
    }
}

TEST_F(WaveformTest, MessagesOfTheDialect) {
    for (Family family : {Family::Rhx4402, Family::Rvt8800}) {
        EXPECT_EQ(PluginOf(family).Message(1236),
                  "Error interpreting instrument response in device DEV1.");
        EXPECT_EQ(PluginOf(family).Message(1301), "Not in STORAGE mode in device DEV1.");
        EXPECT_EQ(PluginOf(family).Message(1304), "");
    }
}

}  // namespace
}  // namespace rhxtest
