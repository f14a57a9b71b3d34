// The five plug-ins in one process: each keeps its own state, and one that is
// unloaded and loaded again starts afresh and works.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Families.h"
#include "SharedLibrary.h"
#include "SimFixture.h"
#include "models/LeCroy93xx.h"

namespace {

using reliability::Families;
using reliability::Family;

const Family& LeCroyFamily() {
    return Families()[0];
}

// All five loaded here, and unloaded when the object goes.
struct Loaded {
    std::vector<std::unique_ptr<ztest::Plugin>> plugins;
    Loaded() {
        for (const Family& family : Families()) {
            plugins.emplace_back(new ztest::Plugin(family.path));
        }
    }
};

class IsolationTest : public ztest::SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        for (const Family& family : Families()) {
            zsim::AddInstrument(family.resource, family.make(false).instrument);
        }
    }

    static std::vector<uint16_t> Read(ztest::Plugin& plugin, const Family& family, int32_t handle) {
        std::vector<uint16_t> samples(static_cast<size_t>(family.points), 0);
        EXPECT_EQ(plugin.ReadWaveform(handle, family.channel, samples.data(), 0), 0) << family.name;
        return samples;
    }
};

TEST_F(IsolationTest, EachPluginOpensItsOwnResourceManagerOnce) {
    Loaded loaded;
    const int before = zsim::DefaultRMOpenCount();
    std::vector<int32_t> handles;
    for (size_t i = 0; i < Families().size(); ++i) {
        int32_t handle = 0;
        ASSERT_EQ(loaded.plugins[i]->Open(Families()[i].address, &handle), 0) << Families()[i].name;
        handles.push_back(handle);
        EXPECT_EQ(zsim::DefaultRMOpenCount(), before + static_cast<int>(i) + 1)
            << Families()[i].name << " did not open a resource manager of its own";
    }
    // Managers are distinct sessions.
    std::vector<ViSession> managers;
    for (const zsim::CallRecord& r : ztest::Only(zsim::Transcript(), zsim::Call::OpenDefaultRM)) {
        for (ViSession seen : managers) {
            EXPECT_NE(seen, r.session);
        }
        managers.push_back(r.session);
    }
    EXPECT_EQ(managers.size(), Families().size());
    // A second round opens none, and each plug-in's session works on its own.
    for (size_t i = 0; i < Families().size(); ++i) {
        int32_t handle = 0;
        ASSERT_EQ(loaded.plugins[i]->Open(Families()[i].address, &handle), 0);
        Read(*loaded.plugins[i], Families()[i], handle);
        loaded.plugins[i]->Close(handle);
    }
    EXPECT_EQ(zsim::DefaultRMOpenCount(), before + static_cast<int>(Families().size()));
    // Closing one plug-in's session leaves the others' open.
    for (size_t i = 0; i < Families().size(); ++i) {
        loaded.plugins[i]->Close(handles[i]);
        for (size_t j = i + 1; j < Families().size(); ++j) {
            EXPECT_TRUE(zsim::IsOpen(static_cast<ViSession>(handles[j])));
        }
    }
}

TEST_F(IsolationTest, TheLeCroyChannelFlagIsTheLeCroyPluginsAlone) {
    Loaded loaded;
    ztest::Plugin& lecroy = *loaded.plugins[0];
    // A 9350 on another address: two channels.
    zsim::AddInstrument("GPIB0::3", std::make_shared<zsim::LeCroy93xx>("9350AM"));
    for (const char* address : {"GPIB0::7", "GPIB0::3"}) {
        int32_t handle = 0;
        ASSERT_EQ(lecroy.Open(address, &handle), 0);
        std::vector<ztest::Channel> before;
        ASSERT_EQ(ztest::Enumerate(lecroy, handle, before), 0);

        // Every other plug-in opens, enumerates and reads its own instrument,
        // and tries the LeCroy too (which it refuses).
        for (size_t i = 1; i < Families().size(); ++i) {
            const Family& family = Families()[i];
            ztest::Plugin& other = *loaded.plugins[i];
            int32_t own = 0;
            ASSERT_EQ(other.Open(family.address, &own), 0);
            std::vector<ztest::Channel> channels;
            EXPECT_EQ(ztest::Enumerate(other, own, channels), 0);
            Read(other, family, own);
            other.Close(own);
            int32_t stranger = 0;
            EXPECT_NE(other.Open(address, &stranger), 0) << family.name;
            other.Close(stranger);
        }

        std::vector<ztest::Channel> after;
        ASSERT_EQ(ztest::Enumerate(lecroy, handle, after), 0);
        EXPECT_EQ(after, before) << address;
        EXPECT_EQ(after.size(), address == std::string("GPIB0::7") ? 12u : 10u);
        lecroy.Close(handle);
    }
}

TEST_F(IsolationTest, UnloadedAndLoadedAgainEachPluginStartsAfreshAndWorks) {
    for (const Family& family : Families()) {
        SCOPED_TRACE(family.name);
        std::vector<uint16_t> first;
        for (int round = 0; round < 2; ++round) {
            // Not loaded by anyone else here, so unloading really unloads it.
            ASSERT_FALSE(zhost::IsLoaded(family.path)) << "still loaded before round " << round;
            const int managers = zsim::DefaultRMOpenCount();
            {
                ztest::Plugin plugin(family.path);
                if (&family == &LeCroyFamily()) {
                    // Fresh state: before any open the two-channel list.
                    std::vector<ztest::Channel> channels;
                    EXPECT_EQ(ztest::Enumerate(plugin, 0, channels), 0);
                    EXPECT_EQ(channels.size(), 10u);
                }
                int32_t handle = 0;
                ASSERT_EQ(plugin.Open(family.address, &handle), 0);
                // A fresh copy has no resource manager yet and opens one.
                EXPECT_EQ(zsim::DefaultRMOpenCount(), managers + 1);
                const std::vector<uint16_t> samples = Read(plugin, family, handle);
                if (round == 0) {
                    first = samples;
                } else {
                    EXPECT_EQ(samples, first);
                }
                EXPECT_EQ(plugin.Close(handle), 0);
                EXPECT_FALSE(zsim::IsOpen(static_cast<ViSession>(handle)));
            }
        }
        ASSERT_FALSE(zhost::IsLoaded(family.path)) << "not unloaded";
    }
}

}  // namespace
