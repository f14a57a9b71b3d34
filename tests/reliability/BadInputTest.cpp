// Bad input at the exports, one table over all five plug-ins: every row gives
// a defined result in each plug-in, crashes nothing, leaves the host's buffer
// alone when it fails and leaves a good session usable.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "Families.h"
#include "SimFixture.h"

namespace {

using reliability::Families;
using reliability::Family;

constexpr uint16_t kSentinel = 0xBEEF;
constexpr size_t kSamples = 1024 + 32;
constexpr int32_t kNeverASession = 0x7FFF1234;
constexpr size_t kMessageLimit = 1024;
constexpr char kGuardByte = '\x7E';

// What one row sees: the plug-in, a good open session, a closed one.
struct Context {
    const Family* family;
    ztest::Plugin* plugin;
    int32_t handle;
    int32_t closed;
    std::vector<uint16_t> buffer;
    std::string message;  // ZVDS_GetErrMessage output, up to its NUL
    bool guardIntact = true;
    int callbacks = 0;
};

thread_local Context* t_context = nullptr;

int32_t ZVDS_STDCALL StopAtOnce(const char*, int32_t) {
    ++t_context->callbacks;
    return 0;
}

int32_t Read(Context& c, int32_t handle, const char* channel) {
    return c.plugin->ReadWaveform(handle, channel, c.buffer.data(), 0);
}

// ZVDS_GetErrMessage into a buffer with guard bytes after its 1024.
int32_t Message(Context& c, const char* device, int32_t number) {
    std::vector<char> out(kMessageLimit + 64, kGuardByte);
    const int32_t n = c.plugin->GetErrMessage(device, number, out.data(), 0);
    for (size_t i = kMessageLimit; i < out.size(); ++i) {
        c.guardIntact = c.guardIntact && out[i] == kGuardByte;
    }
    const void* nul = memchr(out.data(), '\0', kMessageLimit);
    c.message = nul ? std::string(out.data()) : std::string("<no NUL within 1024 bytes>");
    // The count is that of the characters before the NUL.
    return c.message.size() == static_cast<size_t>(n) ? n : -2;
}

const std::string kLongText(100000, 'C');
const std::string kLongDevice(5000, 'D');

using Results = std::array<int32_t, 5>;
Results All(int32_t n) {
    return {{n, n, n, n, n}};
}
// Channel lists that come from the instrument need a session; fixed ones do not.
Results TalksFails(int32_t n) {
    return {{0, n, n, 0, n}};
}
// A channel the instrument does not know: no answer comes and the read times
// out; the TDS ignores the unknown data source and sends the last one again.
const Results kUnknownChannel = {{1231, 1231, 1231, 0, 1231}};

// The expected result in each plug-in, in the order of Families().
struct Row {
    const char* what;
    int32_t (*run)(Context& c);
    Results expected;
    const char* message = nullptr;  // the ZVDS_GetErrMessage text, where checked
};

const Row kRows[] = {
    {"ZVDS_Open with a null address",
     [](Context& c) {
         int32_t h = 77;
         const int32_t r = c.plugin->Open(nullptr, &h);
         return h == 77 ? r : -1;
     },
     All(1220)},
    {"ZVDS_Open with a null handle pointer",
     [](Context& c) { return c.plugin->Open(c.family->address, nullptr); }, All(1220)},
    {"ZVDS_Open with both null", [](Context& c) { return c.plugin->Open(nullptr, nullptr); },
     All(1220)},
    {"ZVDS_Open with an address of 100000 characters",
     [](Context& c) {
         int32_t h = 77;
         const int32_t r = c.plugin->Open(kLongText.c_str(), &h);
         return h == 77 ? r : -1;
     },
     All(1220)},
    {"ZVDS_Open with an empty address",
     [](Context& c) {
         int32_t h = 77;
         const int32_t r = c.plugin->Open("", &h);
         return h == 77 ? r : -1;
     },
     All(1220)},
    {"ZVDS_Close on handle 0", [](Context& c) { return c.plugin->Close(0); }, All(0)},
    {"ZVDS_Close on a closed handle", [](Context& c) { return c.plugin->Close(c.closed); }, All(0)},
    {"ZVDS_Close on a number that was never a session",
     [](Context& c) { return c.plugin->Close(kNeverASession); }, All(0)},
    {"ZVDS_Close on -1", [](Context& c) { return c.plugin->Close(-1); }, All(0)},
    {"ZVDS_EnumValidChannels on handle 0",
     [](Context& c) {
         std::vector<ztest::Channel> channels;
         return ztest::Enumerate(*c.plugin, 0, channels);
     },
     TalksFails(1232)},
    {"ZVDS_EnumValidChannels on a closed handle",
     [](Context& c) {
         std::vector<ztest::Channel> channels;
         return ztest::Enumerate(*c.plugin, c.closed, channels);
     },
     TalksFails(1230)},
    {"ZVDS_EnumValidChannels on a number that was never a session",
     [](Context& c) {
         std::vector<ztest::Channel> channels;
         return ztest::Enumerate(*c.plugin, kNeverASession, channels);
     },
     TalksFails(1230)},
    {"ZVDS_EnumValidChannels with a null callback",
     [](Context& c) { return c.plugin->EnumValidChannels(c.handle, nullptr); }, All(0)},
    {"ZVDS_EnumValidChannels with a callback that stops at once",
     [](Context& c) {
         const int32_t r = c.plugin->EnumValidChannels(c.handle, StopAtOnce);
         return c.callbacks == 1 ? r : -1;
     },
     All(0)},
    {"ZVDS_ReadWaveform on handle 0", [](Context& c) { return Read(c, 0, c.family->channel); },
     All(1232)},
    {"ZVDS_ReadWaveform on a closed handle",
     [](Context& c) { return Read(c, c.closed, c.family->channel); }, All(1230)},
    {"ZVDS_ReadWaveform on a number that was never a session",
     [](Context& c) { return Read(c, kNeverASession, c.family->channel); }, All(1230)},
    {"ZVDS_ReadWaveform with a null channel", [](Context& c) { return Read(c, c.handle, nullptr); },
     All(1200)},
    {"ZVDS_ReadWaveform with a null buffer",
     [](Context& c) { return c.plugin->ReadWaveform(c.handle, c.family->channel, nullptr, 0); },
     All(1200)},
    {"ZVDS_ReadWaveform with both null",
     [](Context& c) { return c.plugin->ReadWaveform(c.handle, nullptr, nullptr, 0); }, All(1200)},
    {"ZVDS_ReadWaveform with an empty channel name",
     [](Context& c) { return Read(c, c.handle, ""); }, kUnknownChannel},
    {"ZVDS_ReadWaveform with a channel name of 100000 characters",
     [](Context& c) { return Read(c, c.handle, kLongText.c_str()); }, kUnknownChannel},
    {"ZVDS_GetErrMessage with a null output buffer",
     [](Context& c) { return c.plugin->GetErrMessage("DEV1", 1220, nullptr, 0); }, All(0)},
    {"ZVDS_GetErrMessage with a null device text",
     [](Context& c) { return Message(c, nullptr, 1232); }, All(38),
     "Instrument not initialized in device ."},
    {"ZVDS_GetErrMessage with a device text of 5000 characters",
     [](Context& c) { return Message(c, kLongDevice.c_str(), 1220); }, All(1023)},
    {"ZVDS_GetErrMessage for number 0", [](Context& c) { return Message(c, "DEV1", 0); }, All(0),
     ""},
    {"ZVDS_GetErrMessage for number -1", [](Context& c) { return Message(c, "DEV1", -1); }, All(0),
     ""},
    {"ZVDS_GetErrMessage for number 2^31-1",
     [](Context& c) { return Message(c, "DEV1", INT32_MAX); }, All(0), ""},
    {"ZVDS_GetErrMessage for number -2^31",
     [](Context& c) { return Message(c, "DEV1", INT32_MIN); }, All(0), ""},
    {"ZVDS_HasLongData with any argument",
     [](Context& c) { return c.plugin->HasLongData(INT32_MIN) | c.plugin->HasLongData(-1); },
     All(0)},
};

class BadInputTest : public ::testing::TestWithParam<const Family*> {};

TEST_P(BadInputTest, EveryRowGivesItsResult) {
    const Family& family = *GetParam();
    const size_t index = static_cast<size_t>(&family - Families().data());
    ztest::Plugin& plugin = reliability::PluginOf(family);
    zsim::Reset();
    reliability::Bench bench = family.make(false);
    zsim::AddInstrument(family.resource, bench.instrument);

    Context c{&family, &plugin, 0, 0, {}, {}};
    ASSERT_EQ(plugin.Open(family.address, &c.closed), 0);
    ASSERT_EQ(plugin.Close(c.closed), 0);
    ASSERT_EQ(plugin.Open(family.address, &c.handle), 0);
    std::vector<uint16_t> good(kSamples, kSentinel);
    ASSERT_EQ(plugin.ReadWaveform(c.handle, family.channel, good.data(), 0), 0);

    t_context = &c;
    for (const Row& row : kRows) {
        SCOPED_TRACE(std::string(family.name) + ": " + row.what);
        c.buffer.assign(kSamples, kSentinel);
        c.message = "<not called>";
        c.guardIntact = true;
        c.callbacks = 0;
        const int32_t result = row.run(c);
        EXPECT_EQ(result, row.expected[index]);
        if (result != 0) {
            EXPECT_EQ(c.buffer, std::vector<uint16_t>(kSamples, kSentinel)) << "buffer touched";
        }
        for (size_t i = static_cast<size_t>(family.points); i < kSamples; ++i) {
            ASSERT_EQ(c.buffer[i], kSentinel) << "sample " << i << " beyond the point count";
        }
        EXPECT_TRUE(c.guardIntact) << "ZVDS_GetErrMessage wrote beyond 1024 bytes";
        if (row.message != nullptr) {
            EXPECT_EQ(c.message, row.message);
        }
        // The good session is still there and still works.
        EXPECT_TRUE(zsim::IsOpen(static_cast<ViSession>(c.handle)));
        std::vector<uint16_t> again(kSamples, kSentinel);
        EXPECT_EQ(plugin.ReadWaveform(c.handle, family.channel, again.data(), 0), 0);
        EXPECT_EQ(again, good);
    }
    t_context = nullptr;
    plugin.Close(c.handle);
    zsim::Reset();
}

INSTANTIATE_TEST_SUITE_P(Plugins, BadInputTest,
                         ::testing::Values(&Families()[0], &Families()[1], &Families()[2],
                                           &Families()[3], &Families()[4]),
                         [](const ::testing::TestParamInfo<const Family*>& info) {
                             return std::string(info.param->name);
                         });

}  // namespace
