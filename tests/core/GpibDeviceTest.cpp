// The session class over the simulated VISA library: settings, framing of
// commands, text and binary reads, termination character, hand-over.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "GpibDevice.h"
#include "GpibException.h"
#include "SimFixture.h"

namespace {

using ztest::Dialogue;
using zsim::Call;

// Runs fn and returns the message number it raised, 0 if none.
template <class Fn>
int32_t Raised(Fn&& fn) {
    try {
        fn();
    } catch (CGpibException* e) {
        const int32_t n = e->m_nError;
        e->Delete();
        return n;
    }
    return 0;
}

class GpibDeviceTest : public ztest::SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        for (const char* resource : {"GPIB0::5", "ASRL1", "TCPIP0::10.0.0.9::INSTR"}) {
            auto instrument = std::make_shared<zsim::ScriptedInstrument>();
            zsim::AddInstrument(resource, instrument);
            instruments_[resource] = instrument;
        }
        zvds::EnsureDefaultResourceManager();
        zsim::ClearTranscript();
    }

    zsim::ScriptedInstrument& At(const char* resource) { return *instruments_[resource]; }

    void Connect(CGpibDevice& device, const char* resource, int32_t stopBits = 0,
                 bool handshake = false) {
        device.Connect(resource, 1000, 0, 8, stopBits, handshake, 10000);
    }

    std::map<std::string, std::shared_ptr<zsim::ScriptedInstrument>> instruments_;
};

TEST_F(GpibDeviceTest, ConnectSerialMakesSevenSettingsInOrder) {
    CGpibDevice device;
    Connect(device, "ASRL1");
    EXPECT_EQ(Dialogue(zsim::Transcript()),
              (std::vector<std::string>{
                  "viOpen \"ASRL1\"", "viGetAttribute 0x3FFF0171", "viGetAttribute 0x3FFF0176",
                  "viSetAttribute 0x3FFF0025=6", "viSetAttribute 0x3FFF0021=1000",
                  "viSetAttribute 0x3FFF0023=0", "viSetAttribute 0x3FFF0022=8",
                  "viSetAttribute 0x3FFF0024=10", "viSetAttribute 0x3FFF0018=10",
                  "viSetAttribute 0x3FFF001A=10000"}));
    EXPECT_EQ(device.InterfaceType(), VI_INTF_ASRL);
    EXPECT_EQ(device.InterfaceNumber(), 1);
}

TEST_F(GpibDeviceTest, ConnectGpibSetsOnlyTheTimeout) {
    CGpibDevice device;
    EXPECT_TRUE(device.Connect("GPIB0::5", 1000, 0, 8, 0, false, 10000));
    EXPECT_EQ(Dialogue(zsim::Transcript()),
              (std::vector<std::string>{"viOpen \"GPIB0::5\"", "viGetAttribute 0x3FFF0171",
                                        "viGetAttribute 0x3FFF0176",
                                        "viSetAttribute 0x3FFF001A=10000"}));
    EXPECT_EQ(device.ResourceName(), "GPIB0::5");
}

TEST_F(GpibDeviceTest, ConnectOtherInterfaceMakesNoSetting) {
    CGpibDevice device;
    Connect(device, "TCPIP0::10.0.0.9::INSTR");
    EXPECT_TRUE(ztest::Only(zsim::Transcript(), Call::SetAttribute).empty());
}

TEST_F(GpibDeviceTest, StopBitCodesAndHandshake) {
    struct Case {
        int32_t code;
        bool handshake;
        ViAttrState stopBits;
        ViAttrState flow;
    };
    for (const Case& c : {Case{0, false, 10, 6}, Case{1, false, 15, 6}, Case{2, true, 20, 7}}) {
        CGpibDevice device;
        Connect(device, "ASRL1", c.code, c.handshake);
        ViAttrState value = 0;
        ASSERT_TRUE(zsim::SessionAttribute(device.Detach(false), VI_ATTR_ASRL_STOP_BITS, value));
        EXPECT_EQ(value, c.stopBits) << "code " << c.code;
    }
    // The flow-control value is the first setting of each connection.
    std::vector<ViAttrState> flows;
    for (const auto& r : ztest::Only(zsim::Transcript(), Call::SetAttribute)) {
        if (r.attribute == VI_ATTR_ASRL_FLOW_CNTRL) {
            flows.push_back(r.value);
        }
    }
    EXPECT_EQ(flows, (std::vector<ViAttrState>{6, 6, 7}));
}

TEST_F(GpibDeviceTest, OpenFailureRaises1220) {
    CGpibDevice device;
    EXPECT_EQ(Raised([&] { Connect(device, "GPIB0::9"); }), 1220);
    EXPECT_EQ(Raised([&] { Connect(device, ""); }), 1220);
}

TEST_F(GpibDeviceTest, SerialCommandsGetOneLineFeed) {
    CGpibDevice serial, gpib;
    Connect(serial, "ASRL1");
    Connect(gpib, "GPIB0::5");
    serial.WriteString("*IDN?");
    serial.WriteString("");
    gpib.WriteString("*IDN?");
    gpib.WriteString("");
    const std::string longCommand(1000, 'x');
    serial.WriteString(longCommand);
    EXPECT_EQ(At("ASRL1").Received(),
              (std::vector<std::string>{"*IDN?\n", "\n", longCommand + "\n"}));
    EXPECT_EQ(At("GPIB0::5").Received(), (std::vector<std::string>{"*IDN?", ""}));
}

TEST_F(GpibDeviceTest, AttachedSessionLearnsItsInterface) {
    CGpibDevice opener;
    Connect(opener, "ASRL1");
    const int32_t handle = opener.GetSession();
    opener.Detach(false);
    CGpibDevice later;
    EXPECT_TRUE(later.Attach(handle));
    EXPECT_EQ(later.ResourceName(), "");
    later.WriteString("MOD?");
    EXPECT_EQ(At("ASRL1").Received().back(), "MOD?\n");
}

TEST_F(GpibDeviceTest, NoSessionRaises1232ForEveryTransfer) {
    CGpibDevice device;
    EXPECT_FALSE(device.Attach(0));
    std::string reply;
    char buffer[4];
    EXPECT_EQ(Raised([&] { device.WriteString("X"); }), 1232);
    EXPECT_EQ(Raised([&] { device.WriteBytes("X", 1); }), 1232);
    EXPECT_EQ(Raised([&] { device.ReadString(reply); }), 1232);
    EXPECT_EQ(Raised([&] { device.ReadBytes(buffer, 4); }), 1232);
    EXPECT_TRUE(zsim::Transcript().empty());
}

TEST_F(GpibDeviceTest, WriteAndReadFailuresRaiseTheirNumbers) {
    CGpibDevice device;
    Connect(device, "GPIB0::5");
    std::string reply;
    zsim::Fault fault;
    fault.call = Call::Write;
    fault.status = VI_ERROR_IO;
    zsim::ArmFault(fault);
    EXPECT_EQ(Raised([&] { device.WriteString("X"); }), 1230);
    EXPECT_EQ(Raised([&] { device.ReadString(reply); }), 1231);  // nothing to read: time-out
    EXPECT_EQ(device.GetLastStatus(), VI_ERROR_TMO);
}

TEST_F(GpibDeviceTest, GetSessionMapsZeroAndMinusOne) {
    struct Case {
        int32_t handle;
        int32_t expected;
    };
    for (const Case& c : {Case{0, -1}, Case{-1, -1}, Case{7, 7}, Case{0x7FFFFFFF, 0x7FFFFFFF}}) {
        CGpibDevice device;
        device.Attach(c.handle);
        EXPECT_EQ(device.GetSession(), c.expected);
        EXPECT_EQ(device.GetHandle(), c.expected);
        device.Detach(false);
    }
}

TEST_F(GpibDeviceTest, DetachWithoutCloseMakesNoVisaCall) {
    CGpibDevice device;
    Connect(device, "GPIB0::5");
    const ViSession session = static_cast<ViSession>(device.GetSession());
    zsim::ClearTranscript();
    EXPECT_EQ(device.Detach(false), session);
    EXPECT_TRUE(zsim::Transcript().empty());
    EXPECT_TRUE(zsim::IsOpen(session));
    EXPECT_EQ(device.Detach(false), 0u);
}

TEST_F(GpibDeviceTest, DestructionNeverClosesAndDetachTrueDoes) {
    ViSession session = 0;
    {
        CGpibDevice device;
        Connect(device, "GPIB0::5");
        session = static_cast<ViSession>(device.GetSession());
    }
    EXPECT_TRUE(zsim::IsOpen(session));
    CGpibDevice device;
    device.Attach(static_cast<int32_t>(session));
    device.Detach(true);
    EXPECT_FALSE(zsim::IsOpen(session));
}

TEST_F(GpibDeviceTest, BinaryReadKeepsLineFeedsAndSwitchesTermCharOn) {
    CGpibDevice device;
    Connect(device, "GPIB0::5");
    At("GPIB0::5").Push(std::string("AB\nCD", 5));
    At("GPIB0::5").Push("first\nsecond");
    zsim::ClearTranscript();
    char block[16] = {};
    uint32_t received = 0;
    device.ReadBytesCounted(block, sizeof(block), received);
    EXPECT_EQ(received, 5u);
    EXPECT_EQ(std::string(block, 5), std::string("AB\nCD", 5));
    EXPECT_EQ(Dialogue(zsim::Transcript()),
              (std::vector<std::string>{"viSetAttribute 0x3FFF0038=0", "viRead 16",
                                        "viSetAttribute 0x3FFF0038=1"}));
    // From now on a text reply ends at its line feed.
    std::string reply;
    EXPECT_EQ(device.ReadString(reply), VI_SUCCESS_TERM_CHAR);
    EXPECT_EQ(reply, "first\n");
    device.ReadString(reply);
    EXPECT_EQ(reply, "second");
}

TEST_F(GpibDeviceTest, TextReadBeforeAnyBinaryReadTakesTheWholeMessage) {
    CGpibDevice device;
    Connect(device, "GPIB0::5");
    At("GPIB0::5").Push("first\nsecond");
    std::string reply;
    EXPECT_EQ(device.ReadString(reply), VI_SUCCESS);
    EXPECT_EQ(reply, "first\nsecond");
}

TEST_F(GpibDeviceTest, FailedBinaryReadStillSwitchesTermCharOn) {
    CGpibDevice device;
    Connect(device, "GPIB0::5");
    char block[8];
    EXPECT_EQ(Raised([&] { device.ReadBytes(block, 8); }), 1231);  // time-out
    ViAttrState on = 0;
    ASSERT_TRUE(zsim::SessionAttribute(device.Detach(false), VI_ATTR_TERMCHAR_EN, on));
    EXPECT_EQ(on, 1u);
}

TEST_F(GpibDeviceTest, FailedTermCharRestoreFailsTheTransfer) {
    CGpibDevice device;
    Connect(device, "GPIB0::5");
    At("GPIB0::5").Push("data");
    char block[8];
    zsim::Fault fault;
    fault.call = Call::SetAttribute;
    fault.nth = 2;
    fault.attribute = VI_ATTR_TERMCHAR_EN;
    fault.status = VI_ERROR_IO;
    zsim::ArmFault(fault);
    EXPECT_EQ(Raised([&] { device.ReadBytes(block, 8); }), 1231);
    zsim::ArmFault(fault);
    EXPECT_EQ(Raised([&] { device.WriteBytes(block, 8); }), 1230);
}

TEST_F(GpibDeviceTest, BinaryReadLeavesBytesBeyondTheReplyAlone) {
    CGpibDevice device;
    Connect(device, "GPIB0::5");
    At("GPIB0::5").Push("xy");
    char block[6];
    memset(block, '#', sizeof(block));
    device.ReadBytes(block, 6);
    EXPECT_EQ(std::string(block, 6), "xy####");
}

TEST_F(GpibDeviceTest, WriteBytesFramesTheTransferWithTermCharSettings) {
    CGpibDevice device;
    Connect(device, "ASRL1");
    zsim::ClearTranscript();
    device.WriteBytes("\x01\x02", 2);
    EXPECT_EQ(Dialogue(zsim::Transcript()),
              (std::vector<std::string>{"viSetAttribute 0x3FFF0038=0", "viWrite \"\x01\x02\"",
                                        "viSetAttribute 0x3FFF0038=1"}));
}

TEST_F(GpibDeviceTest, TextReplyEndsAtNul) {
    CGpibDevice device;
    Connect(device, "GPIB0::5");
    At("GPIB0::5").Push(std::string("ab\0cd", 5));
    std::string reply;
    device.ReadString(reply);
    EXPECT_EQ(reply, "ab");
}

TEST_F(GpibDeviceTest, LongTextReplyIsCutAt64KiBAndTheRestStays) {
    CGpibDevice device;
    Connect(device, "GPIB0::5");
    At("GPIB0::5").Push(std::string(65536, 'a') + "tail");
    std::string reply;
    EXPECT_EQ(device.ReadString(reply), VI_SUCCESS_MAX_CNT);
    EXPECT_EQ(reply.size(), 65536u);
    device.ReadString(reply);
    EXPECT_EQ(reply, "tail");
}

TEST_F(GpibDeviceTest, SetOptionTouchesOnlyRepeatAddressing) {
    CGpibDevice device;
    Connect(device, "GPIB0::5");
    zsim::ClearTranscript();
    EXPECT_EQ(device.SetOption(5, 1), 0);
    EXPECT_EQ(device.GetLastStatus(), VI_SUCCESS);
    EXPECT_TRUE(zsim::Transcript().empty());
    EXPECT_EQ(device.SetOption(6, 0), 0);
    EXPECT_EQ(Dialogue(zsim::Transcript()),
              (std::vector<std::string>{"viSetAttribute 0x3FFF001B=0"}));
    // On a serial line the attribute does not exist: still no exception, status kept.
    CGpibDevice serial;
    Connect(serial, "ASRL1");
    EXPECT_EQ(serial.SetOption(6, 1), 0);
    EXPECT_EQ(serial.GetLastStatus(), VI_ERROR_NSUP_ATTR);
}

}  // namespace
