// All five plug-ins loaded in one process and used from several threads at
// once, each thread with its own instruments and handles. Every sample read
// is compared with what that thread's instrument holds, so a reply that went
// to the wrong session, or state that leaked from one thread to another,
// shows as a wrong value; ThreadSanitizer sees the races themselves.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "PluginLoader.h"
#include "SimFixture.h"
#include "models/LeCroy93xx.h"
#include "models/Rhx6000.h"
#include "models/RhxInstruments.h"
#include "models/Tds300.h"

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 12;
constexpr size_t kBufferSamples = 1024 + 16;  // the guard after the samples must stay
constexpr uint16_t kFill = 0xABCD;

// One instrument of one family at one address, and what reading it must give.
struct Rig {
    std::string address;
    std::shared_ptr<zsim::Instrument> instrument;
    std::vector<std::string> channels;                     // as enumerated
    std::map<std::string, std::vector<uint16_t>> samples;  // per channel read
    int32_t points = 1024;
};

// A code of its own for every thread, family, channel and point.
uint8_t Code(int seed, size_t channel, size_t i) {
    return static_cast<uint8_t>(i * 7 + channel * 13 + static_cast<size_t>(seed) * 29);
}

Rig LeCroyRig(int seed) {
    // Every thread uses a 9354: which model was identified last is shared
    // by the whole plug-in, so mixed models would give either list.
    auto scope = std::make_shared<zsim::LeCroy93xx>("9354AM");
    Rig rig;
    rig.channels = zsim::LeCroy93xx::TraceNames(true);
    for (size_t c = 0; c < rig.channels.size(); ++c) {
        // "WFSU SP,4,NP,12288" sends every 4th word; twelve equal codes make
        // 16 x code.
        std::vector<int16_t> record(4 * 12288, static_cast<int16_t>(0x7F00));
        std::vector<uint16_t> expected(1024);
        for (size_t k = 0; k < 1024; ++k) {
            const uint8_t code = Code(seed, c, k);
            for (size_t j = 0; j < 12; ++j) {
                record[4 * (12 * k + j)] = static_cast<int16_t>(((code ^ 0x80u) << 8) | 0x5A);
            }
            expected[k] = static_cast<uint16_t>(16 * code);
        }
        scope->SetTrace(rig.channels[c], record);
        rig.samples[rig.channels[c]] = expected;
    }
    rig.instrument = scope;
    return rig;
}

Rig Rhx4402Rig(int seed) {
    auto scope = std::make_shared<zsim::Rhx4402Instrument>();
    Rig rig;
    scope->SetAllChannels(false);
    rig.channels = {"CH1", "CH3", "REF2"};
    for (size_t c = 0; c < rig.channels.size(); ++c) {
        scope->SetChannelOn(rig.channels[c], true);
        std::vector<uint16_t> words(1024);
        for (size_t i = 0; i < words.size(); ++i) {
            words[i] = static_cast<uint16_t>(Code(seed, c, i) << 8 | Code(seed + 1, c, i));
        }
        scope->SetWaveform(rig.channels[c], words);
        rig.samples[rig.channels[c]] = words;  // delivered bit for bit
    }
    rig.instrument = scope;
    return rig;
}

Rig Rvt8800Rig(int seed) {
    auto scope = std::make_shared<zsim::Rvt8800Instrument>();
    Rig rig;
    scope->SetAllChannels(false);
    rig.channels = {"CH1", "MEM2"};
    for (size_t c = 0; c < rig.channels.size(); ++c) {
        scope->SetChannelOn(rig.channels[c], true);
        std::vector<uint8_t> bytes(4096);
        std::vector<uint16_t> expected(1024, 0);
        for (size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = Code(seed, c, i);
            expected[i / 4] = static_cast<uint16_t>(expected[i / 4] + 4 * bytes[i]);
        }
        scope->SetWaveform(rig.channels[c], bytes);
        rig.samples[rig.channels[c]] = expected;
    }
    rig.instrument = scope;
    return rig;
}

// One-byte points, delivered as 16 steps per code (RHX6000, TDS300).
template <class Model>
void FillByteRecords(Model& scope, Rig& rig, int seed) {
    for (size_t c = 0; c < rig.channels.size(); ++c) {
        typename Model::Record record;
        std::vector<uint16_t> expected(record.size());
        for (size_t i = 0; i < record.size(); ++i) {
            record[i] = Code(seed, c, i);
            expected[i] = static_cast<uint16_t>(16 * record[i]);
        }
        scope.SetRecord(rig.channels[c], record);
        rig.samples[rig.channels[c]] = expected;
    }
}

Rig Rhx6000Rig(int seed) {
    auto scope = std::make_shared<zsim::Rhx6000>();
    Rig rig;
    rig.channels = {"CH1", "CH2"};
    for (int r = 1; r <= 20; ++r) {
        rig.channels.push_back("REF" + std::to_string(r));
    }
    FillByteRecords(*scope, rig, seed);
    rig.instrument = scope;
    return rig;
}

Rig Tds300Rig(int seed) {
    auto scope = std::make_shared<zsim::Tds300>("TDS 350");
    Rig rig;
    rig.points = 1000;
    rig.channels = {"CH1", "CH2", "MATH1", "REF1", "REF2"};
    FillByteRecords(*scope, rig, seed);
    rig.instrument = scope;
    return rig;
}

struct Family {
    const char* name;
    const char* path;
    std::function<Rig(int)> makeRig;
};

const Family kFamilies[] = {
    {"dso_lc9350", DSO_LC9350_PATH, LeCroyRig},    {"dso_rhx4402", DSO_RHX4402_PATH, Rhx4402Rig},
    {"dso_rhx6000", DSO_RHX6000_PATH, Rhx6000Rig}, {"dso_tds300", DSO_TDS300_PATH, Tds300Rig},
    {"dso_rvt8800", DSO_RVT8800_PATH, Rvt8800Rig},
};
constexpr size_t kFamilyCount = sizeof(kFamilies) / sizeof(kFamilies[0]);

// What one thread found wrong; read by the main thread after the join.
struct Findings {
    std::vector<std::string> errors;
    void Add(const std::string& what) {
        if (errors.size() < 20) {
            errors.push_back(what);
        }
    }
};

// One thread's work: every round opens all five instruments, enumerates each
// and reads one channel of each (a different one every round), then closes.
void Drive(const std::vector<std::unique_ptr<ztest::Plugin>>& plugins, std::vector<Rig>& rigs,
           Findings& findings) {
    std::vector<uint16_t> buffer(kBufferSamples);
    for (int round = 0; round < kRounds; ++round) {
        int32_t handles[kFamilyCount] = {};
        for (size_t f = 0; f < kFamilyCount; ++f) {
            const std::string where = std::string(kFamilies[f].name) + " " + rigs[f].address +
                                      " round " + std::to_string(round) + ": ";
            const int32_t opened = plugins[f]->Open(rigs[f].address.c_str(), &handles[f]);
            if (opened != 0) {
                findings.Add(where + "open gave " + std::to_string(opened));
                handles[f] = 0;
            }
        }
        for (size_t f = 0; f < kFamilyCount; ++f) {
            if (handles[f] == 0) {
                continue;
            }
            const ztest::Plugin& plugin = *plugins[f];
            const Rig& rig = rigs[f];
            const std::string where = std::string(kFamilies[f].name) + " " + rig.address +
                                      " round " + std::to_string(round) + ": ";
            std::vector<ztest::Channel> channels;
            const int32_t enumerated = ztest::Enumerate(plugin, handles[f], channels);
            std::vector<ztest::Channel> expected;
            for (const std::string& name : rig.channels) {
                expected.push_back(ztest::Channel{name, rig.points});
            }
            if (enumerated != 0 || channels != expected) {
                findings.Add(where + "enumeration gave " + std::to_string(enumerated) + " and " +
                             std::to_string(channels.size()) + " channels");
            }

            const std::string& channel =
                rig.channels[static_cast<size_t>(round) % rig.channels.size()];
            std::fill(buffer.begin(), buffer.end(), kFill);
            const int32_t read = plugin.ReadWaveform(handles[f], channel.c_str(), buffer.data(), 0);
            const std::vector<uint16_t>& want = rig.samples.at(channel);
            size_t wrong = 0;
            for (size_t i = 0; i < want.size(); ++i) {
                wrong += buffer[i] != want[i] ? 1 : 0;
            }
            size_t guardTouched = 0;
            for (size_t i = static_cast<size_t>(rig.points); i < buffer.size(); ++i) {
                guardTouched += buffer[i] != kFill ? 1 : 0;
            }
            if (read != 0 || wrong != 0 || guardTouched != 0) {
                findings.Add(where + channel + " read gave " + std::to_string(read) + ", " +
                             std::to_string(wrong) + " wrong samples, " +
                             std::to_string(guardTouched) + " written past the end");
            }

            const std::string message = plugin.Message(1231, rig.address.c_str());
            if (message.find(rig.address) == std::string::npos) {
                findings.Add(where + "message without its device: " + message);
            }
        }
        for (size_t f = 0; f < kFamilyCount; ++f) {
            if (handles[f] != 0 && plugins[f]->Close(handles[f]) != 0) {
                findings.Add(std::string(kFamilies[f].name) + " close failed");
            }
        }
    }
}

class ConcurrencyTest : public ztest::SimTest {};

TEST_F(ConcurrencyTest, ThreadsWithTheirOwnInstrumentsReadOnlyTheirOwnSamples) {
    std::vector<std::unique_ptr<ztest::Plugin>> plugins;
    for (const Family& family : kFamilies) {
        plugins.push_back(std::make_unique<ztest::Plugin>(family.path));
    }
    // The transcript of thousands of calls is not looked at here.
    zsim::SetRecording(false);

    std::vector<std::vector<Rig>> rigs(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        for (size_t f = 0; f < kFamilyCount; ++f) {
            const int primary = 1 + t * static_cast<int>(kFamilyCount) + static_cast<int>(f);
            Rig rig = kFamilies[f].makeRig(t * 5 + static_cast<int>(f));
            rig.address = "DEV" + std::to_string(primary);
            zsim::AddInstrument("GPIB0::" + std::to_string(primary), rig.instrument);
            rigs[t].push_back(std::move(rig));
        }
    }

    std::vector<Findings> findings(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back(Drive, std::cref(plugins), std::ref(rigs[t]), std::ref(findings[t]));
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    zsim::SetRecording(true);

    for (int t = 0; t < kThreads; ++t) {
        for (const std::string& error : findings[t].errors) {
            ADD_FAILURE() << "thread " << t << ": " << error;
        }
    }
    // Every session was closed, and the instruments that pause for a
    // transfer run again afterwards.
    EXPECT_EQ(zsim::OpenInstrumentSessions(), 0);
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_FALSE(static_cast<zsim::RhxDialectInstrument&>(*rigs[t][1].instrument).Paused());
        EXPECT_FALSE(static_cast<zsim::Rhx6000&>(*rigs[t][2].instrument).Paused());
    }
}

}  // namespace
