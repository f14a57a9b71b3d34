// The waveform read through the plug-in's exports: the dialogue, the
// conversion of 12 points into one sample, and replies that cannot be used.
#include "LeCroyFixture.h"

namespace lctest {
namespace {

using ztest::Dialogue;

class WaveformTest : public LeCroyTest {
protected:
    void SetUp() override {
        LeCroyTest::SetUp();
        handle_ = OpenScope();
        zsim::ClearTranscript();
    }
    void TearDown() override {
        P().Close(handle_);
        LeCroyTest::TearDown();
    }

    int32_t Read(Buffer& buffer, const char* channel = "C1") {
        return P().ReadWaveform(handle_, channel, buffer.get(), 0);
    }

    int32_t handle_ = 0;
};

TEST_F(WaveformTest, DialogueIsSetupQueryAndOneBinaryRead) {
    Buffer buffer;
    ASSERT_EQ(Read(buffer, "C3"), 0);
    EXPECT_EQ(Dialogue(zsim::Transcript()),
              (std::vector<std::string>{"viGetAttribute 0x3FFF0171",
                                        "viWrite \"WFSU SP,4,NP,12288,FP,0,SN,0\"",
                                        "viWrite \"C3:WAVEFORM?\"", "viSetAttribute 0x3FFF0038=0",
                                        "viRead 200000", "viSetAttribute 0x3FFF0038=1"}));
    EXPECT_TRUE(scope_->CommandErrors().empty());
    const zsim::LeCroy93xx::Setup& setup = scope_->WaveformSetup();
    EXPECT_EQ(setup.sparsing, 4u);
    EXPECT_EQ(setup.maxPoints, 12288u);
    EXPECT_EQ(setup.firstPoint, 0u);
    EXPECT_EQ(setup.segment, 0u);
}

// The simulated 9354 with its own traces, from open to close: C1 to C4 hold
// sawtooth acquisitions (low bytes of 10 all through the block), memories and
// math traces are empty.
TEST_F(WaveformTest, EveryEnumeratedChannelReadsFromOpenToClose) {
    std::vector<ztest::Channel> channels;
    ASSERT_EQ(ztest::Enumerate(P(), handle_, channels), 0);
    ASSERT_EQ(channels.size(), 12u);
    for (const ztest::Channel& channel : channels) {
        Buffer buffer;
        const int32_t result = Read(buffer, channel.name.c_str());
        EXPECT_TRUE(buffer.GuardIntact()) << channel.name;
        if (channel.name[0] != 'C') {
            EXPECT_EQ(result, 1304) << channel.name;
            EXPECT_EQ(buffer.Samples(), std::vector<uint16_t>(kSamples, 0)) << channel.name;
            continue;
        }
        ASSERT_EQ(result, 0) << channel.name;
        // Point j of channel c has code (j + 37c) mod 256; the first groups
        // do not wrap, so sample k is floor(4/3 x sum of 12 rising codes).
        const unsigned base = 37u * static_cast<unsigned>(channel.name[1] - '0');
        for (unsigned k = 0; 12 * k + base + 11 < 256; ++k) {
            const unsigned sum = 12 * (12 * k + base) + 66;
            EXPECT_EQ(buffer.data[k], 4 * sum / 3) << channel.name << " sample " << k;
        }
    }
    EXPECT_EQ(P().Close(handle_), 0);
    EXPECT_FALSE(zsim::IsOpen(static_cast<ViSession>(handle_)));
}

struct ConversionCase {
    const char* name;
    std::vector<int16_t> points;     // as the instrument sends them
    std::vector<uint16_t> expected;  // the first samples; the rest are 0
    uint16_t everywhere;             // or: every one of the 1024 samples
};

std::vector<int16_t> Ramp(size_t count) {
    std::vector<int16_t> points;
    for (size_t i = 0; i < count; ++i) {
        points.push_back(Word(static_cast<unsigned>(i)));
    }
    return points;
}

std::vector<int16_t> FirstGroup(std::vector<unsigned> codes) {
    codes.resize(12, 0);
    std::vector<int16_t> points;
    for (unsigned code : codes) {
        points.push_back(Word(code));
    }
    return points;
}

// Samples of a ramp of 100 codes 0..99: groups k = 0..7 sum to 144k + 66,
// points 96 to 99 (a partial group) keep their plain sum.
std::vector<uint16_t> RampSamples() {
    std::vector<uint16_t> samples;
    for (unsigned k = 0; k < 8; ++k) {
        samples.push_back(static_cast<uint16_t>(192 * k + 88));
    }
    samples.push_back(96 + 97 + 98 + 99);
    return samples;
}

std::vector<int16_t> SecondBytes() {
    std::vector<int16_t> points;
    const uint8_t lows[] = {0x00, 0xFF, 0x0A, 0x80, 0x7F, 0x01};
    for (size_t i = 0; i < 12288; ++i) {
        points.push_back(Word(128, lows[i % 6]));
    }
    return points;
}

class Conversion : public WaveformTest, public ::testing::WithParamInterface<ConversionCase> {};

TEST_P(Conversion, FoldsTwelvePointsIntoOneSample) {
    const ConversionCase& c = GetParam();
    scope_->SetTrace("C2", Sparsed(c.points));
    Buffer buffer;
    ASSERT_EQ(Read(buffer, "C2"), 0);
    std::vector<uint16_t> expected(kSamples, c.everywhere);
    std::copy(c.expected.begin(), c.expected.end(), expected.begin());
    EXPECT_EQ(buffer.Samples(), expected);
    EXPECT_TRUE(buffer.GuardIntact());
}

INSTANTIATE_TEST_SUITE_P(
    Lc9350, Conversion,
    ::testing::Values(
        // A full trace: first bytes 0x00 (signed zero), 0x7F (highest), 0x80 (lowest).
        ConversionCase{"FullTraceOfZeros", Codes(12288, 128), {}, 2048},
        ConversionCase{"FullTraceOfHighest", Codes(12288, 255), {}, 4080},
        ConversionCase{"FullTraceOfLowest", Codes(12288, 0), {}, 0},
        ConversionCase{"GroupAddingUpTo3", FirstGroup({1, 1, 1}), {4}, 0},
        ConversionCase{"GroupAddingUpTo3060", Codes(12, 255), {4080}, 0},
        // The first byte is signed: 0xFF is -1 (code 127), 0x01 is +1 (code 129).
        ConversionCase{"FirstByteMinusOne", Codes(12, 127), {1524 * 4 / 3}, 0},
        ConversionCase{"FirstBytePlusOne", Codes(12, 129), {1548 * 4 / 3}, 0},
        ConversionCase{"HundredPoints", Ramp(100), RampSamples(), 0},
        ConversionCase{"SecondByteIgnored", SecondBytes(), {}, 2048}),
    [](const ::testing::TestParamInfo<ConversionCase>& info) { return info.param.name; });

TEST_F(WaveformTest, PartialGroupWithoutTheFactor) {
    scope_->SetTrace("C1", Sparsed(Codes(5, 255)));
    Buffer buffer;
    ASSERT_EQ(Read(buffer), 0);
    EXPECT_EQ(buffer.data[0], 5 * 255);
    EXPECT_EQ(buffer.data[1], 0);
}

TEST_F(WaveformTest, EmptyTraceIs1304WithAnAllZeroBuffer) {
    scope_->SetTrace("M2", {});
    Buffer buffer;
    EXPECT_EQ(Read(buffer, "M2"), 1304);
    EXPECT_EQ(buffer.Samples(), std::vector<uint16_t>(kSamples, 0));
    EXPECT_TRUE(buffer.GuardIntact());
}

class FinalLineFeed : public WaveformTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FinalLineFeed, MakesNoDifference) {
    scope_->SetFinalLineFeed(GetParam());
    scope_->SetTrace("C4", Sparsed(Ramp(240)));
    Buffer buffer;
    ASSERT_EQ(Read(buffer, "C4"), 0);
    for (unsigned k = 0; k < 20; ++k) {
        EXPECT_EQ(buffer.data[k], 192 * k + 88) << k;
    }
    EXPECT_EQ(buffer.data[20], 0);
}

INSTANTIATE_TEST_SUITE_P(Lc9350, FinalLineFeed, ::testing::Bool());

TEST_F(WaveformTest, LineFeedsInsideTheBlockAndARepeatedReadOnTheSession) {
    // Every byte of the block after the descriptor is 10 (code 138 with low
    // byte 10): a read that stopped at a line feed would lose the trace. The
    // second read comes after the first switched the termination character on.
    scope_->SetTrace("C1", Codes(4 * 12288, 138, 0x0A));
    for (int round = 0; round < 2; ++round) {
        Buffer buffer;
        ASSERT_EQ(Read(buffer), 0) << round;
        EXPECT_EQ(buffer.Samples(), std::vector<uint16_t>(kSamples, 138 * 16)) << round;
    }
}

// Replies the simulated instrument does not send, from a scripted one.
class RawReplies : public ztest::SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        scripted_ = std::make_shared<zsim::ScriptedInstrument>();
        scripted_->On("*IDN?", "*IDN LECROY,9354AM,935402378,08.2.2\n");
        zsim::AddInstrument(kAddress, scripted_);
        ASSERT_EQ(P().Open(kAddress, &handle_), 0);
    }
    void TearDown() override {
        P().Close(handle_);
        SimTest::TearDown();
    }
    int32_t ReadWith(const std::string& reply, Buffer& buffer) {
        scripted_->On("C1:WAVEFORM?", reply);
        return P().ReadWaveform(handle_, "C1", buffer.get(), 0);
    }

    std::shared_ptr<zsim::ScriptedInstrument> scripted_;
    int32_t handle_ = 0;
};

struct LocateCase {
    const char* name;
    std::string prefix;
    int digits;
};

class BlockLocation : public RawReplies, public ::testing::WithParamInterface<LocateCase> {};

TEST_P(BlockLocation, FindsTheContentsAfterTheFirstHash) {
    RawReply reply;
    reply.prefix = GetParam().prefix;
    reply.digits = GetParam().digits;
    reply.points = Ramp(24);
    Buffer buffer;
    ASSERT_EQ(ReadWith(reply.Bytes(), buffer), 0);
    std::vector<uint16_t> expected(kSamples, 0);
    expected[0] = 88;
    expected[1] = 192 + 88;
    EXPECT_EQ(buffer.Samples(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lc9350, BlockLocation,
    ::testing::Values(LocateCase{"NineDigits", "C1:WF ALL,", 9},
                      LocateCase{"SixDigits", "C1:WF ALL,", 6}, LocateCase{"NoHeader", "", 9},
                      LocateCase{"TextWithDigitsBefore", "12345 6789,C1:WAVEFORM ALL,", 9}),
    [](const ::testing::TestParamInfo<LocateCase>& info) { return info.param.name; });

TEST_F(RawReplies, DescriptorLengthPlacesThePoints) {
    // A longer descriptor than the usual 346 bytes: the points follow it.
    RawReply reply;
    reply.descriptorBytes = 400;
    reply.points = Codes(12, 255);
    Buffer buffer;
    ASSERT_EQ(ReadWith(reply.Bytes(), buffer), 0);
    EXPECT_EQ(buffer.data[0], 4080);
}

TEST_F(RawReplies, PointCountAboveWhatWasAskedForConvertsTheFirst12288) {
    for (size_t sent : {size_t{12288}, size_t{20000}}) {
        RawReply reply;
        reply.points = Codes(12288, 128);
        const std::vector<int16_t> surplus = Codes(sent - 12288, 255);
        reply.points.insert(reply.points.end(), surplus.begin(), surplus.end());
        reply.countField = 20000;  // the surplus need not even have arrived
        Buffer buffer;
        ASSERT_EQ(ReadWith(reply.Bytes(), buffer), 0) << sent;
        EXPECT_EQ(buffer.Samples(), std::vector<uint16_t>(kSamples, 2048)) << sent;
        EXPECT_TRUE(buffer.GuardIntact()) << sent;
    }
}

struct BadReply {
    const char* name;
    std::string bytes;
};

RawReply Points(size_t count) {
    RawReply reply;
    reply.points = Codes(count, 200);
    return reply;
}

std::string Truncated(std::string bytes, size_t keep) {
    return bytes.substr(0, keep);
}

std::vector<BadReply> MalformedReplyCases() {
    RawReply outside = Points(10);
    outside.descriptorField = 5000;
    RawReply huge = Points(10);
    huge.descriptorField = 0xFFFFFFF0;
    RawReply fewer = Points(50);
    fewer.countField = 100;
    // Negative counts with a full trace behind them, so that only the sign tells.
    RawReply negative = Points(12288);
    negative.countField = 0x80000000;
    RawReply minusOne = Points(12288);
    minusOne.countField = 0xFFFFFFFF;
    RawReply noDigit = Points(12);
    noDigit.prefix = "C1:WF ALL,";
    std::string noDigitBytes = noDigit.Bytes();
    noDigitBytes[noDigitBytes.find('#') + 1] = 'A';
    return {
        {"Empty", ""},
        {"NoHash", "C1:WF ALL,NO BLOCK HERE\n"},
        {"HashIsTheLastByte", "C1:WF ALL,#"},
        {"NotADigitAfterHash", noDigitBytes},
        {"HeaderDigitsCutOff", "C1:WF ALL,#9000"},
        {"DescriptorFieldsCutOff", Truncated(Points(12).Bytes(), 10 + 11 + 100)},
        {"DescriptorLengthOutside", outside.Bytes()},
        {"DescriptorLengthWraps", huge.Bytes()},
        {"PointsCutOff", fewer.Bytes()},
        {"LastPointHalfArrived", Truncated(Points(12).Bytes(), 10 + 11 + 346 + 23)},
        {"NegativeCount", negative.Bytes()},
        {"CountMinusOne", minusOne.Bytes()},
    };
}

class MalformedReplies : public RawReplies, public ::testing::WithParamInterface<BadReply> {};

TEST_P(MalformedReplies, Are1236WithTheBufferUntouched) {
    Buffer buffer;
    EXPECT_EQ(ReadWith(GetParam().bytes, buffer), 1236);
    EXPECT_TRUE(buffer.Untouched());
    EXPECT_TRUE(zsim::IsOpen(static_cast<ViSession>(handle_)));
}

INSTANTIATE_TEST_SUITE_P(Lc9350, MalformedReplies, ::testing::ValuesIn(MalformedReplyCases()),
                         [](const ::testing::TestParamInfo<BadReply>& info) {
                             return info.param.name;
                         });

struct StepFailure {
    const char* name;
    zsim::Fault fault;
    int32_t result;
};

zsim::Fault Failing(zsim::Call call, const char* command, int nth = 1, ViAttr attribute = 0,
                    zsim::FaultKind kind = zsim::FaultKind::Status, size_t keep = 0) {
    zsim::Fault f;
    f.call = call;
    f.command = command;
    f.nth = nth;
    f.attribute = attribute;
    f.kind = kind;
    f.keep = keep;
    return f;
}

class StepFailures : public WaveformTest, public ::testing::WithParamInterface<StepFailure> {};

TEST_P(StepFailures, AreReportedWithTheBufferUntouchedAndTheSessionUsable) {
    zsim::ArmFault(GetParam().fault);
    Buffer buffer;
    EXPECT_EQ(Read(buffer), GetParam().result);
    EXPECT_TRUE(buffer.Untouched());
    EXPECT_TRUE(zsim::IsOpen(static_cast<ViSession>(handle_)));
    ViAttrState termChar = 0;
    ASSERT_TRUE(
        zsim::SessionAttribute(static_cast<ViSession>(handle_), VI_ATTR_TERMCHAR_EN, termChar));
    // A binary read switches the termination character back on, failed or not.
    if (GetParam().fault.call == zsim::Call::Read) {
        EXPECT_EQ(termChar, VI_TRUE);
    }
    // The next read on the same handle works.
    scope_->Outbox().clear();
    Buffer again;
    EXPECT_EQ(Read(again), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Lc9350, StepFailures,
    ::testing::Values(
        StepFailure{"SetupWriteFails", Failing(zsim::Call::Write, "WFSU"), 1230},
        StepFailure{"QueryWriteFails", Failing(zsim::Call::Write, ":WAVEFORM?"), 1230},
        StepFailure{"ReadTimesOut", Failing(zsim::Call::Read, ":WAVEFORM?"), 1231},
        StepFailure{"TermCharBackOnFails",
                    Failing(zsim::Call::SetAttribute, "", 2, VI_ATTR_TERMCHAR_EN), 1231},
        StepFailure{"ReplyCutShort",
                    Failing(zsim::Call::Read, ":WAVEFORM?", 1, 0, zsim::FaultKind::Short, 200),
                    1236},
        StepFailure{"NoBytes",
                    Failing(zsim::Call::Read, ":WAVEFORM?", 1, 0, zsim::FaultKind::Empty), 1236}),
    [](const ::testing::TestParamInfo<StepFailure>& info) { return info.param.name; });

TEST_F(WaveformTest, ATraceTheInstrumentDoesNotHaveTimesOut) {
    // A 9350 has no C3: the instrument flags a command error and says nothing.
    auto small = std::make_shared<zsim::LeCroy93xx>("9350AM", "935000411");
    zsim::AddInstrument("GPIB0::8", small);
    const int32_t handle = OpenScope("GPIB0::8");
    Buffer buffer;
    EXPECT_EQ(P().ReadWaveform(handle, "C3", buffer.get(), 0), 1231);
    EXPECT_TRUE(buffer.Untouched());
    EXPECT_EQ(small->CommandErrors(), std::vector<std::string>{"C3:WAVEFORM?"});
    P().Close(handle);
}

}  // namespace
}  // namespace lctest
