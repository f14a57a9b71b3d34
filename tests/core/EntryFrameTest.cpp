// The common exports through a real plug-in loaded with dlopen, with the
// dialogue and settings read back from the simulator's transcript.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "PluginLoader.h"
#include "SimFixture.h"

namespace {

using ztest::Dialogue;
using zsim::Call;

class EntryFrameTest : public ztest::SimTest {
protected:
    static ztest::Plugin& P() {
        static ztest::Plugin plugin(DSO_TEST_PATH);
        return plugin;
    }

    void SetUp() override {
        SimTest::SetUp();
        gpib_ = std::make_shared<zsim::ScriptedInstrument>();
        serial_ = std::make_shared<zsim::ScriptedInstrument>();
        zsim::AddInstrument("GPIB0::5", gpib_);
        zsim::AddInstrument("ASRL2", serial_);
        // Make sure the resource manager is open before tests look at transcripts.
        int32_t handle = 0;
        ASSERT_EQ(P().Open("DEV5", &handle), 0);
        P().Close(handle);
        zsim::ClearTranscript();
    }

    std::shared_ptr<zsim::ScriptedInstrument> gpib_, serial_;
};

TEST_F(EntryFrameTest, OpenConnectsAndHandsOutTheSession) {
    int32_t handle = 0;
    ASSERT_EQ(P().Open("dev5", &handle), 0);
    const auto transcript = zsim::Transcript();
    EXPECT_EQ(Dialogue(transcript),
              (std::vector<std::string>{"viOpen \"GPIB0::5\"", "viGetAttribute 0x3FFF0171",
                                        "viGetAttribute 0x3FFF0176",
                                        "viSetAttribute 0x3FFF001A=10000"}));
    EXPECT_EQ(handle, static_cast<int32_t>(transcript[0].session));
    EXPECT_TRUE(zsim::IsOpen(static_cast<ViSession>(handle)));
    EXPECT_EQ(P().Close(handle), 0);
}

TEST_F(EntryFrameTest, SerialAddressIsServedWithLineSettings) {
    int32_t handle = 0;
    ASSERT_EQ(P().Open("COM2", &handle), 0);
    const auto sets = ztest::Only(zsim::Transcript(), Call::SetAttribute);
    EXPECT_EQ(sets.size(), 7u);
    // A later call on the handle still frames its commands for the serial line.
    serial_->On("WAV? A", "OK");
    uint16_t samples[16];
    P().ReadWaveform(handle, "A", samples, 0);
    ASSERT_FALSE(serial_->Received().empty());
    EXPECT_EQ(serial_->Received().front(), "WAV? A\n");
    P().Close(handle);
}

TEST_F(EntryFrameTest, DefaultResourceManagerIsOpenedOnce) {
    const int before = zsim::DefaultRMOpenCount();
    int32_t a = 0, b = 0;
    ASSERT_EQ(P().Open("DEV5", &a), 0);
    ASSERT_EQ(P().Open("GPIB0::5::INSTR", &b), 0);
    EXPECT_NE(a, b);
    EXPECT_EQ(zsim::DefaultRMOpenCount(), before);
    EXPECT_TRUE(ztest::Only(zsim::Transcript(), Call::OpenDefaultRM).empty());
    P().Close(a);
    P().Close(b);
}

TEST_F(EntryFrameTest, OpenFailureLeavesTheHandleAlone) {
    for (const char* address : {"DEV9", "", "GPIB0::5::BOGUS", "COM7", "nonsense"}) {
        int32_t handle = 12345;
        EXPECT_EQ(P().Open(address, &handle), 1220) << address;
        EXPECT_EQ(handle, 12345) << address;
    }
    EXPECT_EQ(zsim::OpenInstrumentSessions(), 0);
}

TEST_F(EntryFrameTest, OpenWithNullArgumentsIs1220WithNothingOpened) {
    int32_t handle = 7;
    EXPECT_EQ(P().Open(nullptr, &handle), 1220);
    EXPECT_EQ(handle, 7);
    EXPECT_EQ(P().Open("DEV5", nullptr), 1220);
    EXPECT_TRUE(zsim::Transcript().empty());
}

TEST_F(EntryFrameTest, CloseIsAlwaysZero) {
    int32_t handle = 0;
    ASSERT_EQ(P().Open("DEV5", &handle), 0);
    EXPECT_EQ(P().Close(handle), 0);
    EXPECT_FALSE(zsim::IsOpen(static_cast<ViSession>(handle)));
    EXPECT_EQ(P().Close(handle), 0);  // already closed
    EXPECT_EQ(P().Close(0), 0);
    EXPECT_EQ(P().Close(987654), 0);  // never a session
}

TEST_F(EntryFrameTest, EnumerationStopsWhenTheCallbackSaysSo) {
    int32_t handle = 0;
    ASSERT_EQ(P().Open("DEV5", &handle), 0);
    std::vector<ztest::Channel> channels;
    EXPECT_EQ(ztest::Enumerate(P(), handle, channels), 0);
    EXPECT_EQ(channels, (std::vector<ztest::Channel>{{"A", 16}, {"B", 16}, {"C", 16}}));
    EXPECT_EQ(ztest::Enumerate(P(), handle, channels, 1), 0);
    EXPECT_EQ(channels, (std::vector<ztest::Channel>{{"A", 16}}));
    EXPECT_EQ(P().EnumValidChannels(handle, nullptr), 0);
    P().Close(handle);
}

TEST_F(EntryFrameTest, ReadWaveformOnHandleZeroIs1232) {
    uint16_t samples[16] = {};
    EXPECT_EQ(P().ReadWaveform(0, "A", samples, 0), 1232);
    EXPECT_TRUE(zsim::Transcript().empty());
}

TEST_F(EntryFrameTest, ReadWaveformOnAStrangerHandleIsAWriteError) {
    uint16_t samples[16] = {};
    EXPECT_EQ(P().ReadWaveform(424242, "A", samples, 0), 1230);
}

TEST_F(EntryFrameTest, ReadWaveformWithNullArgumentsSendsNothing) {
    int32_t handle = 0;
    ASSERT_EQ(P().Open("DEV5", &handle), 0);
    zsim::ClearTranscript();
    uint16_t samples[16];
    EXPECT_EQ(P().ReadWaveform(handle, nullptr, samples, 0), 1200);
    EXPECT_EQ(P().ReadWaveform(handle, "A", nullptr, 0), 1200);
    EXPECT_TRUE(zsim::Transcript().empty());
    P().Close(handle);
}

TEST_F(EntryFrameTest, ARaisedNumberIsTheResultAndTheSessionStaysUsable) {
    int32_t handle = 0;
    ASSERT_EQ(P().Open("DEV5", &handle), 0);
    uint16_t samples[16] = {};
    gpib_->On("WAV? A", "ERR 1301");
    EXPECT_EQ(P().ReadWaveform(handle, "A", samples, 0), 1301);
    EXPECT_TRUE(zsim::IsOpen(static_cast<ViSession>(handle)));
    gpib_->On("WAV? A", "OK");
    gpib_->On("DATA?", std::string("\x01\x00\x02\x00", 4) + std::string(28, '\0'));
    EXPECT_EQ(P().ReadWaveform(handle, "A", samples, 0), 0);
    EXPECT_EQ(samples[0], 1);
    EXPECT_EQ(samples[1], 2);
    P().Close(handle);
}

TEST_F(EntryFrameTest, ReadFailureIsReportedAndCommandsStaySent) {
    int32_t handle = 0;
    ASSERT_EQ(P().Open("DEV5", &handle), 0);
    gpib_->On("WAV? A", "OK");  // "DATA?" gets no answer: time-out
    uint16_t samples[16];
    memset(samples, 0xAB, sizeof(samples));
    EXPECT_EQ(P().ReadWaveform(handle, "A", samples, 0), 1231);
    EXPECT_EQ(gpib_->Received().back(), "DATA?");
    EXPECT_EQ(samples[0], 0xABAB);
    EXPECT_TRUE(zsim::IsOpen(static_cast<ViSession>(handle)));
    P().Close(handle);
}

TEST_F(EntryFrameTest, HasLongDataIsZero) {
    for (int32_t argument : {0, 1, -1, 0x7FFFFFFF}) {
        EXPECT_EQ(P().HasLongData(argument), 0);
    }
    EXPECT_TRUE(zsim::Transcript().empty());
}

TEST_F(EntryFrameTest, ExportsNoVisaFunction) {
    for (const char* name : {"viOpen", "viRead", "viWrite", "viOpenDefaultRM"}) {
        EXPECT_EQ(P().Symbol(name), nullptr) << name;
    }
}

TEST_F(EntryFrameTest, ConcurrentOpensShareOneManagerPerPlugin) {
    std::vector<std::thread> threads;
    std::vector<int32_t> results(4, -1);
    std::vector<int32_t> handles(4, 0);
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&, i] { results[i] = P().Open("DEV5", &handles[i]); });
    }
    for (auto& t : threads) {
        t.join();
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(results[i], 0);
        P().Close(handles[i]);
    }
}

}  // namespace
