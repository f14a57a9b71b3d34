// Identification by "*IDN?", the process-wide four-channel flag and the
// channel lists, through the plug-in's exports.
#include <thread>

#include "LeCroyFixture.h"

namespace lctest {
namespace {

using ztest::Channel;
using ztest::Dialogue;

std::vector<Channel> List(std::initializer_list<const char*> names) {
    std::vector<Channel> out;
    for (const char* name : names) {
        out.push_back(Channel{name, 1024});
    }
    return out;
}

const std::vector<Channel> kFour =
    List({"C1", "C2", "C3", "C4", "M1", "M2", "M3", "M4", "TA", "TB", "TC", "TD"});
const std::vector<Channel> kTwo =
    List({"C1", "C2", "M1", "M2", "M3", "M4", "TA", "TB", "TC", "TD"});

class IdentifyTest : public LeCroyTest {
protected:
    // Opens a real 9354 (flag true) or 9350 (flag false) so that a case
    // starts from a known flag.
    void SetFlag(bool four) {
        auto known = std::make_shared<zsim::LeCroy93xx>(four ? "9354AM" : "9350AM");
        zsim::AddInstrument("GPIB0::20", known);
        const int32_t handle = OpenScope("GPIB0::20");
        P().Close(handle);
    }

    std::vector<Channel> Channels(int32_t handle, int stopAfter = 0) {
        std::vector<Channel> channels;
        EXPECT_EQ(ztest::Enumerate(P(), handle, channels, stopAfter), 0);
        return channels;
    }
};

TEST_F(IdentifyTest, OpenAsksForTheIdentityOnce) {
    int32_t handle = 0;
    ASSERT_EQ(P().Open("DEV7", &handle), 0);
    const auto transcript = zsim::Transcript();
    EXPECT_EQ(Dialogue(transcript),
              (std::vector<std::string>{
                  "viOpen \"GPIB0::7\"", "viGetAttribute 0x3FFF0171", "viGetAttribute 0x3FFF0176",
                  "viSetAttribute 0x3FFF001A=10000", "viWrite \"*IDN?\"", "viRead 65536"}));
    EXPECT_EQ(handle, static_cast<int32_t>(transcript[0].session));
    EXPECT_EQ(P().Close(handle), 0);
    EXPECT_FALSE(zsim::IsOpen(static_cast<ViSession>(handle)));
}

struct IdentityCase {
    const char* name;
    std::string reply;
    int32_t result;
    int channels;  // 12, 10, or 0: flag unchanged
};

class IdentityReplies : public IdentifyTest, public ::testing::WithParamInterface<IdentityCase> {};

TEST_P(IdentityReplies, DecideTheModelOrRefuse) {
    const IdentityCase& c = GetParam();
    scope_->SetIdentityReply(c.reply);
    // Each case from both starting flags, so that "unchanged" is seen as such.
    for (bool before : {true, false}) {
        SetFlag(before);
        int32_t handle = 0;
        EXPECT_EQ(P().Open(kAddress, &handle), c.result) << "flag before: " << before;
        // The handle is out and usable whatever the identification said.
        EXPECT_TRUE(zsim::IsOpen(static_cast<ViSession>(handle)));
        const std::vector<Channel>& expected = c.channels == 12   ? kFour
                                               : c.channels == 10 ? kTwo
                                               : before           ? kFour
                                                                  : kTwo;
        EXPECT_EQ(Channels(handle), expected) << "flag before: " << before;
        EXPECT_EQ(P().Close(handle), 0);
        EXPECT_FALSE(zsim::IsOpen(static_cast<ViSession>(handle)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lc9350, IdentityReplies,
    ::testing::Values(
        IdentityCase{"Model9354", "*IDN LECROY,9354AM,935402378,08.2.2\n", 0, 12},
        IdentityCase{"Model9350", "*IDN LECROY,9350AM,935000411,08.2.2\n", 0, 10},
        IdentityCase{"NoHeader", "LECROY,9354", 0, 12},
        IdentityCase{"BothNamesCountAs9350", "*IDN LECROY,9354AM,LECROY,9350\n", 0, 10},
        IdentityCase{"TrailingWhiteSpace", "*IDN LECROY,9350AL,935000411,08.2.2 \r\n\t  ", 0, 10},
        IdentityCase{"LowerCase", "*idn lecroy,9354am,935402378,08.2.2\n", 1223, 0},
        IdentityCase{"MixedCase", "*IDN LeCroy,9354AM,935402378,08.2.2\n", 1223, 0},
        IdentityCase{"OtherLeCroy", "*IDN LECROY,9310AM,931000001,07.1.0\n", 1223, 0},
        IdentityCase{"OtherMaker", "TEKTRONIX,TDS 340,0,CF:91.1CT FV:v1.00\n", 1223, 0},
        IdentityCase{"Empty", "\n", 1223, 0}),
    [](const ::testing::TestParamInfo<IdentityCase>& info) { return info.param.name; });

TEST_F(IdentifyTest, TheInstrumentIdentifiedLastDecidesForEveryHandle) {
    auto small = std::make_shared<zsim::LeCroy93xx>("9350AM", "935000411");
    zsim::AddInstrument("GPIB0::8", small);
    const int32_t big = OpenScope();
    EXPECT_EQ(Channels(big), kFour);
    const int32_t little = OpenScope("GPIB0::8");
    EXPECT_EQ(Channels(big), kTwo);
    EXPECT_EQ(Channels(little), kTwo);
    // A close changes nothing; a failed open neither.
    P().Close(little);
    EXPECT_EQ(Channels(big), kTwo);
    scope_->SetIdentityReply("*IDN SOMEONE,ELSE\n");
    int32_t refused = 0;
    EXPECT_EQ(P().Open(kAddress, &refused), 1223);
    EXPECT_EQ(Channels(big), kTwo);
    P().Close(refused);
    P().Close(big);
}

TEST_F(IdentifyTest, EnumerationStopsWhenTheHostSaysSoAndSendsNothing) {
    const int32_t handle = OpenScope();
    zsim::ClearTranscript();
    EXPECT_EQ(Channels(handle, 1), List({"C1"}));
    EXPECT_EQ(Channels(handle, 5), List({"C1", "C2", "C3", "C4", "M1"}));
    SetFlag(false);
    zsim::ClearTranscript();
    EXPECT_EQ(Channels(handle, 3), List({"C1", "C2", "M1"}));
    EXPECT_TRUE(ztest::Only(zsim::Transcript(), zsim::Call::Write).empty());
    EXPECT_TRUE(ztest::Only(zsim::Transcript(), zsim::Call::Read).empty());
    // Any handle, even none: the list of the last identification.
    EXPECT_EQ(Channels(0), kTwo);
    P().Close(handle);
}

struct IoFailure {
    const char* name;
    zsim::Fault fault;
    int32_t result;
};

class IdentifyFailures : public IdentifyTest, public ::testing::WithParamInterface<IoFailure> {};

TEST_P(IdentifyFailures, AreReportedWithTheSessionOpenAndTheFlagKept) {
    SetFlag(false);
    zsim::ArmFault(GetParam().fault);
    int32_t handle = 0;
    EXPECT_EQ(P().Open(kAddress, &handle), GetParam().result);
    EXPECT_TRUE(zsim::IsOpen(static_cast<ViSession>(handle)));
    EXPECT_EQ(Channels(handle), kTwo);
    EXPECT_EQ(P().Close(handle), 0);
}

zsim::Fault MakeFault(zsim::Call call, zsim::FaultKind kind = zsim::FaultKind::Status) {
    zsim::Fault f;
    f.call = call;
    f.kind = kind;
    f.command = "*IDN?";
    return f;
}

INSTANTIATE_TEST_SUITE_P(
    Lc9350, IdentifyFailures,
    ::testing::Values(IoFailure{"WriteFails", MakeFault(zsim::Call::Write), 1230},
                      IoFailure{"ReadTimesOut", MakeFault(zsim::Call::Read), 1231},
                      IoFailure{"EmptyReply", MakeFault(zsim::Call::Read, zsim::FaultKind::Empty),
                                1223}),
    [](const ::testing::TestParamInfo<IoFailure>& info) { return info.param.name; });

TEST_F(IdentifyTest, ConcurrentOpensAndEnumerationsSeeOneWholeList) {
    auto small = std::make_shared<zsim::LeCroy93xx>("9350AM", "935000411");
    zsim::AddInstrument("GPIB0::8", small);
    zsim::SetRecording(false);
    std::vector<std::thread> threads;
    std::vector<int> bad(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 25; ++i) {
                int32_t handle = 0;
                if (P().Open(t % 2 == 0 ? kAddress : "GPIB0::8", &handle) != 0) {
                    ++bad[t];
                }
                std::vector<Channel> channels;
                ztest::Enumerate(P(), handle, channels);
                if (channels != kFour && channels != kTwo) {
                    ++bad[t];
                }
                P().Close(handle);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(bad, std::vector<int>(4, 0));
}

TEST_F(IdentifyTest, OwnsMessage1304AndKnows1236) {
    EXPECT_EQ(P().Message(1304, "GPIB0::7"),
              "Specified channel does not exist, in device GPIB0::7.");
    EXPECT_EQ(P().Message(1236, "GPIB0::7"),
              "Error interpreting instrument response in device GPIB0::7.");
}

}  // namespace
}  // namespace lctest
