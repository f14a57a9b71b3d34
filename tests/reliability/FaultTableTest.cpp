// Every write and read of a good run, failed in turn. For each plug-in and
// export the good run is recorded from the simulator's transcript; the table
// of faults is made from that recording, so it follows the dialogue as it is.
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "Families.h"
#include "SimFixture.h"

namespace {

using reliability::Families;
using reliability::Family;
using zsim::Call;
using zsim::CallRecord;
using zsim::FaultKind;

constexpr uint16_t kSentinel = 0xBEEF;
constexpr size_t kGuard = 32;  // samples after the point count that stay as they were
constexpr int32_t kUnsetHandle = 0x5A5A5A5A;

enum class Export { Open, EnumValidChannels, ReadWaveform, Close };

const char* ExportName(Export e) {
    switch (e) {
        case Export::Open:
            return "ZVDS_Open";
        case Export::EnumValidChannels:
            return "ZVDS_EnumValidChannels";
        case Export::ReadWaveform:
            return "ZVDS_ReadWaveform";
        case Export::Close:
            return "ZVDS_Close";
    }
    return "?";
}

// One call of an export on a fresh instrument, and what came of it.
struct Outcome {
    int32_t result = -1;
    int32_t handle = kUnsetHandle;
    std::vector<CallRecord> transcript;
    std::vector<ztest::Channel> channels;
    std::vector<uint16_t> buffer;
    reliability::Bench bench;
};

struct Param {
    const Family* family;
    Export exported;
    bool paused;  // the instrument is paused before the call
};

void PrintTo(const Param& p, std::ostream* os) {
    *os << p.family->name << " " << ExportName(p.exported) << (p.paused ? " paused" : "");
}

std::string ParamName(const ::testing::TestParamInfo<Param>& info) {
    std::string name = std::string(info.param.family->name) + "_" +
                       (ExportName(info.param.exported) + 5) + (info.param.paused ? "_Paused" : "");
    return name;
}

std::vector<Param> AllParams() {
    std::vector<Param> params;
    for (const Family& family : Families()) {
        for (Export e :
             {Export::Open, Export::EnumValidChannels, Export::ReadWaveform, Export::Close}) {
            params.push_back({&family, e, false});
            if (family.HasPause()) {
                params.push_back({&family, e, true});
            }
        }
    }
    return params;
}

std::string Printable(const std::string& bytes) {
    std::string out;
    for (char c : bytes.substr(0, 32)) {
        if (c == '\n') {
            out += "\\n";
        } else if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) {
            out += '.';
        } else {
            out += c;
        }
    }
    return bytes.size() > 32 ? out + "..." : out;
}

std::string CommandText(const std::string& message) {
    return zsim::Instrument::CommandText(message);
}

std::vector<std::string> Writes(const std::vector<CallRecord>& records, size_t upTo) {
    std::vector<std::string> out;
    for (size_t i = 0; i < records.size() && i <= upTo; ++i) {
        if (records[i].call == Call::Write) {
            out.push_back(records[i].data);
        }
    }
    return out;
}

class FaultTableTest : public ::testing::TestWithParam<Param> {
protected:
    const Family& F() const { return *GetParam().family; }
    ztest::Plugin& P() const { return reliability::PluginOf(F()); }

    void SetUp() override {
        zsim::Reset();
        // The plug-in's resource manager and the LeCroy model are set by one
        // good open first, so that every recording starts alike.
        Place();
        int32_t handle = 0;
        ASSERT_EQ(P().Open(F().address, &handle), 0);
        P().Close(handle);
    }
    void TearDown() override { zsim::Reset(); }

    // A fresh instrument in its starting state, and nothing recorded.
    reliability::Bench Place() {
        zsim::Reset();
        reliability::Bench bench = F().make(GetParam().paused);
        zsim::AddInstrument(F().resource, bench.instrument);
        return bench;
    }

    // Calls `e` on `handle` (Open fills the handle itself).
    void Invoke(Export e, Outcome& run) {
        switch (e) {
            case Export::Open:
                run.result = P().Open(F().address, &run.handle);
                break;
            case Export::EnumValidChannels:
                run.result = ztest::Enumerate(P(), run.handle, run.channels);
                break;
            case Export::ReadWaveform:
                run.buffer.assign(static_cast<size_t>(F().points) + kGuard, kSentinel);
                run.result = P().ReadWaveform(run.handle, F().channel, run.buffer.data(), 0);
                break;
            case Export::Close:
                run.result = P().Close(run.handle);
                break;
        }
    }

    // One run of the export under test on a fresh instrument, with `fault`
    // armed just before it (none when null).
    Outcome Replay(const zsim::Fault* fault) {
        Outcome run;
        run.bench = Place();
        if (GetParam().exported != Export::Open) {
            EXPECT_EQ(P().Open(F().address, &run.handle), 0);
            zsim::ClearTranscript();
        }
        if (fault != nullptr) {
            zsim::ArmFault(*fault);
        }
        Invoke(GetParam().exported, run);
        run.transcript = zsim::Transcript();
        zsim::ClearFaults();
        return run;
    }

    // The good result of a follow-up export on a fresh instrument.
    Outcome GoodRun(Export e) {
        Outcome run;
        run.bench = Place();
        EXPECT_EQ(P().Open(F().address, &run.handle), 0);
        if (e != Export::Open) {
            Invoke(e, run);
        }
        P().Close(run.handle);
        return run;
    }
};

// What a good call on the same handle must give after the failure.
Export FollowUp(Export e) {
    return e == Export::ReadWaveform ? Export::ReadWaveform : Export::EnumValidChannels;
}

TEST_P(FaultTableTest, EveryWriteAndReadFailsInTurn) {
    const Param& param = GetParam();
    const Outcome good = Replay(nullptr);
    ASSERT_EQ(good.result, 0) << "the good run failed";
    if (param.exported == Export::ReadWaveform) {
        for (size_t i = static_cast<size_t>(F().points); i < good.buffer.size(); ++i) {
            ASSERT_EQ(good.buffer[i], kSentinel) << "sample " << i << " beyond the point count";
        }
    }
    if (good.bench.paused) {
        ASSERT_EQ(good.bench.paused(), param.paused) << "a good run changed the pause state";
    }
    P().Close(good.handle);
    const Outcome followUpGood = GoodRun(FollowUp(param.exported));

    // Where the pause was set in the good run, if it was.
    size_t pauseOnAt = good.transcript.size();
    for (size_t i = 0; i < good.transcript.size(); ++i) {
        if (F().pauseOn && good.transcript[i].call == Call::Write &&
            CommandText(good.transcript[i].data) == F().pauseOn) {
            pauseOnAt = i;
        }
    }

    int cases = 0;
    int writes = 0;
    int reads = 0;
    std::string lastCommand;
    for (size_t at = 0; at < good.transcript.size(); ++at) {
        const CallRecord& step = good.transcript[at];
        if (step.call == Call::Write) {
            lastCommand = CommandText(step.data);
        }
        if (step.call != Call::Write && step.call != Call::Read) {
            continue;
        }
        const int nth = step.call == Call::Write ? ++writes : ++reads;
        // A binary read is the one made with the termination character off.
        const bool binary = step.call == Call::Read && at > 0 &&
                            good.transcript[at - 1].call == Call::SetAttribute &&
                            good.transcript[at - 1].attribute == VI_ATTR_TERMCHAR_EN &&
                            good.transcript[at - 1].value == VI_FALSE;

        struct Case {
            zsim::Fault fault;
            const char* what;
            int32_t expected;
            bool tellsPause;  // a damaged reply that made the plug-in lift the pause
        };
        std::vector<Case> table;
        zsim::Fault fault;
        fault.call = step.call;
        fault.nth = nth;
        if (step.call == Call::Write) {
            fault.status = VI_ERROR_IO;
            table.push_back({fault, "fails with an I/O error", 1230, false});
        } else {
            fault.status = VI_ERROR_TMO;
            table.push_back({fault, "times out", 1231, false});
            const reliability::TextRule* rule = binary ? nullptr : F().RuleFor(lastCommand);
            if (!binary && rule == nullptr) {
                ADD_FAILURE() << F().name << " " << ExportName(param.exported)
                              << ": no rule for a damaged reply to \"" << lastCommand << "\"";
                continue;
            }
            zsim::Fault empty = fault;
            empty.kind = FaultKind::Empty;
            table.push_back({empty, "comes back empty", binary ? 1236 : rule->emptyResult,
                             !binary && rule->tellsPause});
            zsim::Fault cut = fault;
            cut.kind = FaultKind::Short;
            cut.keep = step.data.size() / 2;
            table.push_back({cut, "comes back cut to half", binary ? 1236 : rule->shortResult,
                             !binary && rule->tellsPause});
        }

        for (const Case& c : table) {
            char label[512];
            snprintf(label, sizeof label, "%s %s%s: %s #%d (%s \"%s\") %s", F().name,
                     ExportName(param.exported), param.paused ? " on a paused instrument" : "",
                     zsim::CallName(step.call), nth, binary ? "binary reply to" : "after",
                     Printable(step.call == Call::Write ? step.data : lastCommand).c_str(), c.what);
            SCOPED_TRACE(label);
            ++cases;
            const Outcome run = Replay(&c.fault);

            EXPECT_EQ(run.result, c.expected);
            const bool failed = c.expected != 0;
            if (failed) {
                // Nothing is sent after the failing step.
                EXPECT_EQ(Writes(run.transcript, run.transcript.size()),
                          Writes(good.transcript, at));
            }
            if (param.exported == Export::ReadWaveform) {
                const bool lateWrite = failed && step.call == Call::Write && F().pauseOff &&
                                       CommandText(step.data) == F().pauseOff;
                if (!failed || lateWrite) {
                    // Filled before the pause is lifted: the samples are the good ones.
                    EXPECT_EQ(run.buffer, good.buffer);
                } else {
                    EXPECT_EQ(run.buffer, std::vector<uint16_t>(run.buffer.size(), kSentinel))
                        << "the host buffer was touched";
                }
            }
            if (run.bench.paused) {
                bool expected = param.paused;
                if (failed) {
                    expected =
                        param.paused || (pauseOnAt < good.transcript.size() && at > pauseOnAt);
                } else if (c.tellsPause) {
                    expected = false;
                }
                EXPECT_EQ(run.bench.paused(), expected) << "pause state afterwards";
            }
            if (param.exported == Export::Open) {
                EXPECT_NE(run.handle, kUnsetHandle) << "the handle was not handed out";
            }
            EXPECT_TRUE(zsim::IsOpen(static_cast<ViSession>(run.handle))) << "session closed";
            if (binary) {
                // Switched back on before the failure was raised.
                ViAttrState termChar = VI_FALSE;
                EXPECT_TRUE(zsim::SessionAttribute(static_cast<ViSession>(run.handle),
                                                   VI_ATTR_TERMCHAR_EN, termChar));
                EXPECT_EQ(termChar, static_cast<ViAttrState>(VI_TRUE)) << "termination character";
            }

            // A good call on the same handle works.
            Outcome next;
            next.handle = run.handle;
            const Export followUp = FollowUp(param.exported);
            Invoke(followUp, next);
            EXPECT_EQ(next.result, 0) << "the next " << ExportName(followUp) << " failed";
            if (followUp == Export::ReadWaveform) {
                EXPECT_EQ(next.buffer, followUpGood.buffer);
            } else {
                EXPECT_EQ(next.channels, followUpGood.channels);
            }
            P().Close(run.handle);
        }
    }

    printf("[ table    ] %s %s%s: %d writes, %d reads, %d cases\n", F().name,
           ExportName(param.exported), param.paused ? " (paused)" : "", writes, reads, cases);
    if (param.exported == Export::Open || param.exported == Export::ReadWaveform) {
        EXPECT_GT(cases, 0) << "the good run made no write or read";
    }
}

INSTANTIATE_TEST_SUITE_P(Plugins, FaultTableTest, ::testing::ValuesIn(AllParams()), ParamName);

}  // namespace
