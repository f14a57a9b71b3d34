// dso_rhx6000 through its exports, against the simulated RHX6000.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "Faults.h"
#include "InstrumentFixture.h"
#include "PluginLoader.h"
#include "SimFixture.h"
#include "models/Rhx6000.h"

namespace {

using zsim::Call;
using zsim::Rhx6000;
using ztest::Channel;

constexpr size_t kPoints = 1024;
using ztest::kUntouched;

std::vector<Channel> Names(std::initializer_list<const char*> inputs) {
    std::vector<Channel> names;
    for (const char* input : inputs) {
        names.push_back({input, 1024});
    }
    for (int i = 1; i <= 20; ++i) {
        names.push_back({"REF" + std::to_string(i), 1024});
    }
    return names;
}

// Room beyond the record to see stray writes.
class Rhx6000Test : public ztest::InstrumentTest<Rhx6000Test, Rhx6000, kPoints + 16> {
public:
    static ztest::Plugin& P() {
        static ztest::Plugin plugin(DSO_RHX6000_PATH);
        return plugin;
    }

protected:
    Rhx6000Test() : InstrumentTest("GPIB0::7", "DEV7") {}
};

struct IdCase {
    const char* model;
    int32_t result;
};

class Rhx6000IdentifyTest : public Rhx6000Test, public ::testing::WithParamInterface<IdCase> {};

TEST_P(Rhx6000IdentifyTest, ModelPrefixDecides) {
    scope_->SetModel(GetParam().model);
    int32_t handle = 0;
    EXPECT_EQ(P().Open("DEV7", &handle), GetParam().result);
    // Also a refused instrument has its session handed out and left open.
    EXPECT_TRUE(zsim::IsOpen(static_cast<ViSession>(handle)));
    EXPECT_EQ(scope_->Received().back(), "MODEL?");
    EXPECT_EQ(P().Close(handle), 0);
}

INSTANTIATE_TEST_SUITE_P(Replies, Rhx6000IdentifyTest,
                         ::testing::Values(IdCase{"RHX6", 0}, IdCase{"RHX6104 V2.10\r", 0},
                                           IdCase{"RHX6 \t", 0}, IdCase{"rhx6104", 1223},
                                           IdCase{"RHX", 1223}, IdCase{"", 1223},
                                           IdCase{" RHX6104", 1223}, IdCase{"RHX4402A", 1223}));

struct ModeCase {
    const char* vmode;
    std::vector<Channel> names;
};

TEST_F(Rhx6000Test, VerticalModeChoosesTheChannels) {
    const ModeCase cases[] = {
        {"DUAL", Names({"CH1", "CH2"})},
        {"CH1 DUAL", Names({"CH1", "CH2"})},
        {"CH1", Names({"CH1"})},
        {"CH2", Names({"CH2"})},
        {"CH2 X10", Names({"CH1"})},  // any "1" in the reply selects CH1
        {"CHOP", Names({"CH2"})},
        {"ADD", Names({})},
        {"dual", Names({})},
        {"", Names({})},
    };
    for (const ModeCase& c : cases) {
        scope_->SetVerticalMode(c.vmode);
        std::vector<Channel> channels;
        EXPECT_EQ(ztest::Enumerate(P(), handle_, channels), 0) << c.vmode;
        EXPECT_EQ(channels, c.names) << c.vmode;
        EXPECT_EQ(scope_->Received().back(), "VMODE?");
    }
}

TEST_F(Rhx6000Test, EnumerationStopsWhenTheHostSaysSo) {
    struct {
        const char* vmode;
        int stopAfter;
        const char* last;
    } cases[] = {{"DUAL", 1, "CH1"},
                 {"DUAL", 3, "REF1"},
                 {"CH2", 1, "CH2"},
                 {"", 1, "REF1"},
                 {"CH1", 21, "REF20"}};
    for (const auto& c : cases) {
        scope_->SetVerticalMode(c.vmode);
        std::vector<Channel> channels;
        EXPECT_EQ(ztest::Enumerate(P(), handle_, channels, c.stopAfter), 0);
        ASSERT_EQ(channels.size(), static_cast<size_t>(c.stopAfter)) << c.vmode;
        EXPECT_EQ(channels.back().name, c.last);
    }
}

TEST_F(Rhx6000Test, EnumerationReadFailureIsReported) {
    zsim::ArmFault(ztest::ReplyFault("VMODE?", zsim::FaultKind::Status));
    std::vector<Channel> channels;
    EXPECT_EQ(ztest::Enumerate(P(), handle_, channels), 1231);
    EXPECT_TRUE(channels.empty());
}

std::vector<std::string> ReadDialogue(const char* channel, bool resume) {
    std::vector<std::string> lines = {
        "viGetAttribute 0x3FFF0171",  // attaching the handle
        "viWrite \"MOD?\"",
        "viRead 65536",
        "viWrite \"PAUSE?\"",
        "viRead 65536",
        "viWrite \"WAV STA 0\"",
        "viWrite \"WAV END 7\"",
        "viWrite \"PAUSE ON\"",
        std::string("viWrite \"WAV OUT ") + channel + "\"",
        "viSetAttribute 0x3FFF0038=0",
        "viRead 1024",
        "viSetAttribute 0x3FFF0038=1",
    };
    if (resume) {
        lines.push_back("viWrite \"PAUSE OFF\"");
    }
    return lines;
}

TEST_F(Rhx6000Test, RunningInstrumentIsPausedForTheTransferAndResumed) {
    ASSERT_EQ(Read("CH2"), 0);
    EXPECT_EQ(ztest::Dialogue(zsim::Transcript()), ReadDialogue("CH2", true));
    EXPECT_FALSE(scope_->Paused());
    const Rhx6000::Record points = Rhx6000::DefaultRecord("CH2");
    for (size_t k = 0; k < kPoints; ++k) {
        ASSERT_EQ(samples_[k], points[k] * 16) << k;
    }
    for (size_t k = kPoints; k < sizeof(samples_) / sizeof(samples_[0]); ++k) {
        EXPECT_EQ(samples_[k], kUntouched);
    }
}

TEST_F(Rhx6000Test, PausedInstrumentStaysPaused) {
    scope_->SetPaused(true);
    ASSERT_EQ(Read("REF12"), 0);
    EXPECT_EQ(ztest::Dialogue(zsim::Transcript()), ReadDialogue("REF12", false));
    EXPECT_TRUE(scope_->Paused());
    EXPECT_EQ(samples_[5], Rhx6000::DefaultRecord("REF12")[5] * 16);
}

TEST_F(Rhx6000Test, PointsAreScaledBySixteen) {
    Rhx6000::Record points{};
    const uint8_t codes[] = {0x00, 0x01, 0x80, 0xFF, 0x0A, 0x0D};  // line ends are data too
    for (size_t k = 0; k < kPoints; ++k) {
        points[k] = codes[k % 6];
    }
    ASSERT_TRUE(scope_->SetRecord("CH1", points));
    ASSERT_EQ(Read("CH1"), 0);
    const uint16_t expected[] = {0, 16, 2048, 4080, 160, 208};
    for (size_t k = 0; k < kPoints; ++k) {
        ASSERT_EQ(samples_[k], expected[k % 6]) << k;
    }
}

TEST_F(Rhx6000Test, NotInStorageModeSendsNothingElse) {
    for (const char* mode : {"REALTIME", "storage", "", "STORE"}) {
        scope_->SetMode(mode);
        zsim::ClearTranscript();
        EXPECT_EQ(Read(), 1301) << mode;
        EXPECT_EQ(zsim::Writes(), std::vector<std::string>{"MOD?"});
        EXPECT_FALSE(scope_->Paused());
        EXPECT_TRUE(Untouched());
    }
    scope_->SetMode("ROLL/STORAGE");
    EXPECT_EQ(Read(), 0);
}

struct FailureCase {
    const char* name;
    zsim::Fault fault;
    int32_t result;
    const char* lastSeen;  // the last command the instrument received
    bool pausedAfter;      // the instrument ran before the call
    bool filled;           // host buffer written
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class Rhx6000FailureTest : public Rhx6000Test, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(Rhx6000FailureTest, EndsTheCallAndLeavesTheInstrumentAsItWas) {
    zsim::ArmFault(GetParam().fault);
    EXPECT_EQ(Read(), GetParam().result);
    EXPECT_EQ(scope_->Paused(), GetParam().pausedAfter);
    EXPECT_EQ(Untouched(), !GetParam().filled);
    // Nothing is sent after the failing step.
    const std::vector<std::string> writes = zsim::Writes();
    EXPECT_EQ(writes.empty() ? "" : writes.back(), GetParam().lastSeen);
    EXPECT_TRUE(zsim::IsOpen(static_cast<ViSession>(handle_)));
    // The session stays usable.
    zsim::ClearFaults();
    scope_->SetPaused(false);
    EXPECT_EQ(Read(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, Rhx6000FailureTest,
    ::testing::Values(
        FailureCase{"ModWrite", ztest::WriteFault("MOD?"), 1230, "", false, false},
        FailureCase{"ModRead", ztest::ReplyFault("MOD?", zsim::FaultKind::Status), 1231, "MOD?",
                    false, false},
        FailureCase{"PauseQuery", ztest::ReplyFault("PAUSE?", zsim::FaultKind::Status), 1231,
                    "PAUSE?", false, false},
        FailureCase{"WavStart", ztest::WriteFault("WAV STA"), 1230, "PAUSE?", false, false},
        FailureCase{"PauseOn", ztest::WriteFault("PAUSE ON"), 1230, "WAV END 7", false, false},
        FailureCase{"WavOutWrite", ztest::WriteFault("WAV OUT"), 1230, "PAUSE ON", true, false},
        FailureCase{"WavOutRead", ztest::ReplyFault("WAV OUT", zsim::FaultKind::Status), 1231,
                    "WAV OUT CH1", true, false},
        FailureCase{"ShortReply", ztest::ReplyFault("WAV OUT", zsim::FaultKind::Short, 1023), 1236,
                    "WAV OUT CH1", true, false},
        FailureCase{"EmptyReply", ztest::ReplyFault("WAV OUT", zsim::FaultKind::Empty), 1236,
                    "WAV OUT CH1", true, false},
        FailureCase{"PauseOff", ztest::WriteFault("PAUSE OFF"), 1230, "WAV OUT CH1", true, true}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(Rhx6000Test, UnknownChannelIsSentAllTheSame) {
    EXPECT_EQ(Read("CH9"), 1231);  // the instrument has nothing to send
    EXPECT_EQ(scope_->Received().back(), "WAV OUT CH9");
    EXPECT_TRUE(Untouched());
}

TEST_F(Rhx6000Test, HandleZeroIs1232) {
    EXPECT_EQ(P().ReadWaveform(0, "CH1", samples_, 0), 1232);
    std::vector<Channel> channels;
    EXPECT_EQ(ztest::Enumerate(P(), 0, channels), 1232);
    EXPECT_TRUE(Untouched());
}

TEST_F(Rhx6000Test, MessagesHaveNo1304) {
    EXPECT_EQ(P().Message(1304), "");
    EXPECT_EQ(P().Message(1301, "GPIB0::7"), "Not in STORAGE mode in device GPIB0::7.");
    EXPECT_EQ(P().Message(1236, "X"), "Error interpreting instrument response in device X.");
}

TEST_F(Rhx6000Test, OpenEnumerateReadCloseOnAnotherInstrument) {
    auto scope = std::make_shared<Rhx6000>();
    scope->SetVerticalMode("CH1");
    zsim::AddInstrument("GPIB0::12", scope);
    ztest::Plugin& plugin = P();
    int32_t handle = 0;
    ASSERT_EQ(plugin.Open("GPIB0::12::INSTR", &handle), 0);
    std::vector<Channel> channels;
    ASSERT_EQ(ztest::Enumerate(plugin, handle, channels), 0);
    ASSERT_EQ(channels.size(), 21u);
    uint16_t samples[kPoints];
    for (const Channel& channel : channels) {
        ASSERT_EQ(plugin.ReadWaveform(handle, channel.name.c_str(), samples, 0), 0);
        const Rhx6000::Record points = Rhx6000::DefaultRecord(channel.name);
        EXPECT_EQ(samples[0], points[0] * 16) << channel.name;
        EXPECT_EQ(samples[kPoints - 1], points[kPoints - 1] * 16) << channel.name;
    }
    EXPECT_FALSE(scope->Paused());
    EXPECT_EQ(plugin.Close(handle), 0);
    EXPECT_FALSE(zsim::IsOpen(static_cast<ViSession>(handle)));
}

}  // namespace
