// dso_tds300 through its exports, against the simulated TDS 320/350.
#include <gtest/gtest.h>

#include <memory>

#include "Faults.h"
#include "InstrumentFixture.h"
#include "PluginLoader.h"
#include "SimFixture.h"
#include "models/Tds300.h"

// The simulator's own export, to put a session attribute into a known state.
extern "C" ViStatus viSetAttribute(ViObject vi, ViAttr attribute, ViAttrState value);

namespace {

using zsim::Call;
using zsim::Tds300;
using ztest::Channel;

constexpr size_t kPoints = 1000;
using ztest::kUntouched;

// The host's buffer is larger than the curve.
class Tds300Test : public ztest::InstrumentTest<Tds300Test, Tds300, 1024> {
public:
    static ztest::Plugin& P() {
        static ztest::Plugin plugin(DSO_TDS300_PATH);
        return plugin;
    }

protected:
    Tds300Test() : InstrumentTest("GPIB0::9", "DEV9") {}
};

struct IdCase {
    const char* identity;
    int32_t result;
};

class Tds300IdentifyTest : public Tds300Test, public ::testing::WithParamInterface<IdCase> {};

TEST_P(Tds300IdentifyTest, NeedsTektronixAndTheSeries) {
    scope_->SetIdentity(GetParam().identity);
    scope_->State().headers = true;
    int32_t handle = 0;
    EXPECT_EQ(P().Open("DEV9", &handle), GetParam().result);
    EXPECT_EQ(ztest::WrittenTexts(zsim::Transcript()),
              (std::vector<std::string>{"HEADER OFF", "*IDN?"}));
    EXPECT_FALSE(scope_->State().headers);
    // A refused instrument keeps its open session and still lists the traces.
    EXPECT_TRUE(zsim::IsOpen(static_cast<ViSession>(handle)));
    std::vector<Channel> channels;
    EXPECT_EQ(ztest::Enumerate(P(), handle, channels), 0);
    EXPECT_EQ(channels.size(), 5u);
    EXPECT_EQ(P().Close(handle), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, Tds300IdentifyTest,
    ::testing::Values(IdCase{"TEKTRONIX,TDS 320,0,CF:91.1CT FV:v1.00", 0},
                      IdCase{"TEKTRONIX,TDS 350,0,CF:91.1CT FV:v2.03", 0},
                      IdCase{"TEKTRONIX,TDS 3054B,C012345,CF:91.1CT FV:v3.41", 0},
                      IdCase{"TDS 340 TEKTRONIX\r", 0},
                      IdCase{"TEKTRONIX,TDS 420A,0,CF:91.1CT FV:v1.0.2e", 1223},
                      IdCase{"TEKTRONIX,TDS320,0,CF:91.1CT FV:v1.00", 1223},
                      IdCase{"tektronix,tds 320,0,cf:91.1ct fv:v1.00", 1223},
                      IdCase{"LECROY,TDS 320", 1223}, IdCase{"", 1223}));

TEST_F(Tds300Test, IdentificationStopsAtTheFirstFailure) {
    struct {
        zsim::Fault fault;
        int32_t result;
        std::vector<std::string> seen;
    } cases[] = {
        {ztest::WriteFault("HEADER OFF"), 1230, {}},
        {ztest::WriteFault("*IDN?"), 1230, {"HEADER OFF"}},
        {ztest::ReplyFault("*IDN?", zsim::FaultKind::Status), 1231, {"HEADER OFF", "*IDN?"}},
    };
    for (const auto& c : cases) {
        zsim::ClearTranscript();
        zsim::ArmFault(c.fault);
        int32_t handle = 0;
        EXPECT_EQ(P().Open("DEV9", &handle), c.result);
        EXPECT_EQ(zsim::Writes(), c.seen);
        EXPECT_TRUE(zsim::IsOpen(static_cast<ViSession>(handle)));
        P().Close(handle);
    }
}

TEST_F(Tds300Test, FiveTracesWithoutAskingTheInstrument) {
    std::vector<Channel> channels;
    EXPECT_EQ(ztest::Enumerate(P(), handle_, channels), 0);
    EXPECT_EQ(channels,
              (std::vector<Channel>{
                  {"CH1", 1000}, {"CH2", 1000}, {"MATH1", 1000}, {"REF1", 1000}, {"REF2", 1000}}));
    EXPECT_TRUE(zsim::Writes().empty());
    EXPECT_EQ(ztest::Enumerate(P(), handle_, channels, 2), 0);
    EXPECT_EQ(channels, (std::vector<Channel>{{"CH1", 1000}, {"CH2", 1000}}));
}

TEST_F(Tds300Test, ReadSetsTheTransferUpAndCopiesThePoints) {
    // Settings a user may have left: all of them are set anew.
    Tds300::Settings& state = scope_->State();
    state.encoding = Tds300::Encoding::Ascii;
    state.width = 2;
    state.start = 5;
    state.stop = 200;
    state.recordLength = 500;

    ASSERT_EQ(Read("REF2"), 0);
    EXPECT_EQ(ztest::Dialogue(zsim::Transcript()),
              (std::vector<std::string>{
                  "viGetAttribute 0x3FFF0171",  // attaching the handle
                  "viWrite \"DATA:SOURCE REF2\"", "viWrite \"DATA:ENCDG RPBINARY;WIDTH 1\"",
                  "viWrite \"HORIZONTAL:RECORDLENGTH 1000\"", "viWrite \"DATA:START 1\"",
                  "viWrite \"DATA:STOP 1000\"", "viWrite \"CURVE?\"", "viSetAttribute 0x3FFF0038=0",
                  "viRead 2048", "viSetAttribute 0x3FFF0038=1"}));
    EXPECT_EQ(state.source, "REF2");
    EXPECT_EQ(state.encoding, Tds300::Encoding::RpBinary);
    EXPECT_EQ(state.width, 1u);
    EXPECT_EQ(state.start, 1u);
    EXPECT_EQ(state.stop, 1000u);
    EXPECT_EQ(state.recordLength, 1000u);

    const Tds300::Record points = Tds300::DefaultRecord("REF2");
    for (size_t i = 0; i < kPoints; ++i) {
        ASSERT_EQ(samples_[i], points[i] * 16) << i;
    }
    EXPECT_TRUE(Untouched(kPoints));
}

TEST_F(Tds300Test, PointsAreScaledBySixteen) {
    Tds300::Record points{};
    const uint8_t codes[] = {0x00, 0x01, 0x80, 0xFF, 0x0A};  // a line feed is data too
    for (size_t i = 0; i < kPoints; ++i) {
        points[i] = codes[i % 5];
    }
    points[kPoints - 1] = 0x7F;
    ASSERT_TRUE(scope_->SetRecord("MATH1", points));
    ASSERT_EQ(Read("MATH1"), 0);
    const uint16_t expected[] = {0, 16, 2048, 4080, 160};
    for (size_t i = 0; i < kPoints - 1; ++i) {
        ASSERT_EQ(samples_[i], expected[i % 5]) << i;
    }
    EXPECT_EQ(samples_[kPoints - 1], 0x7F * 16);
    EXPECT_TRUE(Untouched(kPoints));
}

TEST_F(Tds300Test, TheSixHeaderBytesNeverReachTheOutput) {
    struct {
        std::string header;
        char point;
        uint16_t sample;
    } cases[] = {
        {"\xFF\xFF\xFF\xFF\xFF\xFF", '\0', 0}, {"#41000", '\xFF', 4080}, {"ABCDEF", '\x80', 2048}};
    for (const auto& c : cases) {
        zsim::ArmFault(ztest::ReplacedReply(
            "CURVE?", c.header + std::string(kPoints, c.point) + std::string(40, '\x11')));
        ASSERT_EQ(Read(), 0);
        for (size_t i = 0; i < kPoints; ++i) {
            ASSERT_EQ(samples_[i], c.sample) << c.header << " " << i;
        }
        EXPECT_TRUE(Untouched(kPoints));
    }
}

struct FailureCase {
    const char* name;
    zsim::Fault fault;
    int32_t result;
    const char* lastSeen;  // the last command the instrument received
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class Tds300FailureTest : public Tds300Test, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(Tds300FailureTest, EndsTheCallWithTheBufferUntouched) {
    zsim::ArmFault(GetParam().fault);
    EXPECT_EQ(Read(), GetParam().result);
    EXPECT_TRUE(Untouched());
    const std::vector<std::string> writes = zsim::Writes();
    EXPECT_EQ(writes.empty() ? "" : writes.back(), GetParam().lastSeen);
    // The session stays usable.
    zsim::ClearFaults();
    EXPECT_EQ(Read(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, Tds300FailureTest,
    ::testing::Values(
        FailureCase{"Source", ztest::WriteFault("DATA:SOURCE"), 1230, ""},
        FailureCase{"Encoding", ztest::WriteFault("DATA:ENCDG"), 1230, "DATA:SOURCE CH1"},
        FailureCase{"RecordLength", ztest::WriteFault("RECORDLENGTH"), 1230,
                    "DATA:ENCDG RPBINARY;WIDTH 1"},
        FailureCase{"Start", ztest::WriteFault("DATA:START"), 1230, "HORIZONTAL:RECORDLENGTH 1000"},
        FailureCase{"Stop", ztest::WriteFault("DATA:STOP"), 1230, "DATA:START 1"},
        FailureCase{"CurveWrite", ztest::WriteFault("CURVE?"), 1230, "DATA:STOP 1000"},
        FailureCase{"CurveRead", ztest::ReplyFault("CURVE?", zsim::FaultKind::Status), 1231,
                    "CURVE?"},
        FailureCase{"EmptyReply", ztest::ReplyFault("CURVE?", zsim::FaultKind::Empty), 1236,
                    "CURVE?"},
        FailureCase{"HeaderOnly", ztest::ReplyFault("CURVE?", zsim::FaultKind::Short, 6), 1236,
                    "CURVE?"},
        FailureCase{"LastPointMissing", ztest::ReplyFault("CURVE?", zsim::FaultKind::Short, 1005),
                    1236, "CURVE?"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(Tds300Test, ReplyWithoutItsLineFeedIsComplete) {
    zsim::ArmFault(ztest::ReplyFault("CURVE?", zsim::FaultKind::Short, 1006));
    ASSERT_EQ(Read("CH2"), 0);
    EXPECT_EQ(samples_[kPoints - 1], Tds300::DefaultRecord("CH2")[kPoints - 1] * 16);
}

TEST_F(Tds300Test, HandleZeroIs1232) {
    EXPECT_EQ(P().ReadWaveform(0, "CH1", samples_, 0), 1232);
    EXPECT_TRUE(Untouched());
    EXPECT_EQ(P().Close(0), 0);
}

// The attribute change before the close, whatever either call reports.
TEST_F(Tds300Test, CloseSwitchesRepeatAddressingOnFirst) {
    const ViSession session = static_cast<ViSession>(handle_);
    ASSERT_EQ(viSetAttribute(session, VI_ATTR_GPIB_READDR_EN, VI_FALSE), VI_SUCCESS);
    zsim::ClearTranscript();
    zsim::Fault closeFails;
    closeFails.call = Call::Close;
    closeFails.status = VI_ERROR_INV_OBJECT;
    zsim::ArmFault(closeFails);  // keeps the session open to look at it
    EXPECT_EQ(P().Close(handle_), 0);
    EXPECT_EQ(ztest::Dialogue(zsim::Transcript()),
              (std::vector<std::string>{"viGetAttribute 0x3FFF0171", "viSetAttribute 0x3FFF001B=1",
                                        "viClose"}));
    ViAttrState value = 0;
    ASSERT_TRUE(zsim::SessionAttribute(session, VI_ATTR_GPIB_READDR_EN, value));
    EXPECT_EQ(value, static_cast<ViAttrState>(VI_TRUE));

    zsim::Fault setFails;
    setFails.call = Call::SetAttribute;
    setFails.attribute = VI_ATTR_GPIB_READDR_EN;
    setFails.status = VI_ERROR_NSUP_ATTR;
    zsim::ArmFault(setFails);
    EXPECT_EQ(P().Close(handle_), 0);
    EXPECT_FALSE(zsim::IsOpen(session));
}

TEST_F(Tds300Test, OpenEnumerateReadCloseOnA350) {
    auto scope = std::make_shared<Tds300>("TDS 350");
    zsim::AddInstrument("GPIB0::3", scope);
    int32_t handle = 0;
    ASSERT_EQ(P().Open("GPIB0::3::INSTR", &handle), 0);
    std::vector<Channel> channels;
    ASSERT_EQ(ztest::Enumerate(P(), handle, channels), 0);
    for (const Channel& channel : channels) {
        ASSERT_EQ(P().ReadWaveform(handle, channel.name.c_str(), samples_, 0), 0);
        const Tds300::Record points =
            Tds300::DefaultRecord(channel.name == "MATH1" ? "MATH" : channel.name);
        EXPECT_EQ(samples_[0], points[0] * 16) << channel.name;
        EXPECT_EQ(samples_[kPoints - 1], points[kPoints - 1] * 16) << channel.name;
    }
    EXPECT_EQ(P().Close(handle), 0);
    EXPECT_FALSE(zsim::IsOpen(static_cast<ViSession>(handle)));
}

// The model itself: replies carry their headers until "HEADER OFF".
TEST(Tds300Model, AnswersAsTheInstrumentDoes) {
    Tds300 scope;
    auto answer = [&](const std::string& message) {
        scope.Receive(message);
        if (scope.Outbox().empty()) {
            return std::string("(none)");
        }
        std::string reply = scope.Outbox().front();
        scope.Outbox().pop_front();
        return reply;
    };
    EXPECT_EQ(answer("*IDN?"), "*IDN TEKTRONIX,TDS 320,0,CF:91.1CT FV:v1.00\n");
    EXPECT_EQ(answer("dat:enc rpb;wid 1;:data:source ref1;sou?"), ":DATA:SOURCE REF1\n");
    const std::string curve = answer("CURVE?");
    EXPECT_EQ(curve.substr(0, 13), ":CURVE #41000");
    EXPECT_EQ(curve.size(), 13 + 1000 + 1u);
    EXPECT_EQ(curve.back(), '\n');
    EXPECT_EQ(static_cast<uint8_t>(curve[13]), Tds300::DefaultRecord("REF1")[0]);

    EXPECT_EQ(answer("HEADER OFF;DATA:START 11;STOP 20;WIDTH 2;ENCDG SRIBINARY"), "(none)");
    const std::string window = answer("CURVE?");
    EXPECT_EQ(window.substr(0, 4), "#220");  // ten points of two bytes
    EXPECT_EQ(window.size(), 4 + 20 + 1u);
    EXPECT_EQ(static_cast<uint8_t>(window[5]), Tds300::DefaultRecord("REF1")[10] ^ 0x80);
    EXPECT_EQ(answer("DATA:SOURCE MATH3;SOURCE?;:HEADER?"), "REF1;0\n");
    EXPECT_EQ(answer("*IDN?"), "TEKTRONIX,TDS 320,0,CF:91.1CT FV:v1.00\n");
}

}  // namespace
