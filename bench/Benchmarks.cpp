// The cost of the five plug-ins against simulated instruments that answer at
// once: each waveform read beside the same dialogue made directly on the
// simulator's VISA functions, each conversion beside a memcpy of the same
// reply, open plus enumeration, and the heap allocations of each. A summary
// of the medians against the targets closes the run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Bench.h"
#include "Counting.h"
#include "LeCroyWaveform.h"
#include "PluginLoader.h"
#include "Rhx4402Conversion.h"
#include "Rhx6000Waveform.h"
#include "Rvt8800Conversion.h"
#include "Tds300Curve.h"
#include "VisaCalls.h"
#include "models/LeCroy93xx.h"
#include "models/Rhx6000.h"
#include "models/RhxInstruments.h"
#include "models/Tds300.h"

namespace {

typedef bool (*ConvertFn)(const uint8_t* reply, size_t received, uint16_t* samples);
typedef std::shared_ptr<zsim::Instrument> (*MakeFn)();

struct Family {
    const char* name;     // the deliverable
    const char* path;     // where the build put it
    const char* channel;  // the channel read
    size_t points;        // samples delivered
    int maxAllocations;   // the target for one waveform read
    MakeFn make;
    ConvertFn convert;
};

const Family kFamilies[] = {
    {"dso_lc9350", DSO_LC9350_PATH, "C1", 1024, 1,
     []() -> std::shared_ptr<zsim::Instrument> {
         return std::make_shared<zsim::LeCroy93xx>("9354AM");
     },
     [](const uint8_t* reply, size_t received, uint16_t* samples) {
         return zvds::lc9350::ConvertWaveformReply(reply, received, samples) == 0;
     }},
    {"dso_rhx4402", DSO_RHX4402_PATH, "CH1", 1024, 0,
     []() -> std::shared_ptr<zsim::Instrument> {
         return std::make_shared<zsim::Rhx4402Instrument>();
     },
     zvds::rhx4402::ConvertWords},
    {"dso_rhx6000", DSO_RHX6000_PATH, "CH1", 1024, 0,
     []() -> std::shared_ptr<zsim::Instrument> { return std::make_shared<zsim::Rhx6000>(); },
     zvds::rhx6000::ConvertWaveform},
    {"dso_tds300", DSO_TDS300_PATH, "CH1", 1000, 0,
     []() -> std::shared_ptr<zsim::Instrument> { return std::make_shared<zsim::Tds300>(); },
     zvds::tds300::ConvertCurve},
    {"dso_rvt8800", DSO_RVT8800_PATH, "CH1", 1024, 0,
     []() -> std::shared_ptr<zsim::Instrument> {
         return std::make_shared<zsim::Rvt8800Instrument>();
     },
     zvds::rvt8800::ConvertBytes},
};

const char* const kResource = "GPIB0::7";
const char* const kAddress = "DEV7";

// Loaded once, as the host loads them.
ztest::Plugin& PluginOf(const Family& family) {
    static std::map<std::string, std::unique_ptr<ztest::Plugin>> plugins;
    std::unique_ptr<ztest::Plugin>& plugin = plugins[family.name];
    if (!plugin) {
        plugin.reset(new ztest::Plugin(family.path));
    }
    return *plugin;
}

// A fresh instrument of the family at DEV7, opened through the plug-in.
class Scope {
public:
    explicit Scope(const Family& family) : plugin(PluginOf(family)) {
        zsim::Reset();
        zsim::AddInstrument(kResource, family.make());
        opened = plugin.Open(kAddress, &handle) == 0;
    }
    ~Scope() {
        plugin.Close(handle);
        zsim::Reset();
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

    ztest::Plugin& plugin;
    int32_t handle = 0;
    bool opened = false;
};

// One waveform read by the plug-in, after a first one, with its VISA calls as the simulator saw
// them. Empty when the read failed or did not reach the simulator.
std::vector<zsim::CallRecord> RecordRead(Scope& scope, const Family& family,
                                         std::vector<uint16_t>& samples) {
    // The first binary read leaves the termination character on for the
    // text replies that follow: record a read of the steady state.
    scope.plugin.ReadWaveform(scope.handle, family.channel, samples.data(), 0);
    zsim::SetRecording(true);
    zsim::ClearTranscript();
    const int32_t result =
        scope.plugin.ReadWaveform(scope.handle, family.channel, samples.data(), 0);
    std::vector<zsim::CallRecord> dialogue = zsim::Transcript();
    zsim::SetRecording(false);
    if (result != 0) {
        dialogue.clear();
    }
    return dialogue;
}

// The largest reply of a dialogue: the waveform.
std::string WaveformReply(const std::vector<zsim::CallRecord>& dialogue) {
    std::string reply;
    for (const zsim::CallRecord& r : dialogue) {
        if (r.call == zsim::Call::Read && r.data.size() > reply.size()) {
            reply = r.data;
        }
    }
    return reply;
}

size_t LargestReadCount(const std::vector<zsim::CallRecord>& dialogue) {
    size_t count = 0;
    for (const zsim::CallRecord& r : dialogue) {
        if (r.call == zsim::Call::Read && r.count > count) {
            count = r.count;
        }
    }
    return count;
}

// Makes the recorded calls again, with the same arguments and the same
// buffer sizes. With `check`, false when a status or a reply differs.
bool Replay(const std::vector<zsim::CallRecord>& dialogue, uint8_t* buffer, bool check) {
    for (const zsim::CallRecord& r : dialogue) {
        ViStatus status = VI_SUCCESS;
        ViUInt32 n = 0;
        switch (r.call) {
            case zsim::Call::Write:
                status = viWrite(r.session, reinterpret_cast<ViConstBuf>(r.data.data()),
                                 static_cast<ViUInt32>(r.data.size()), &n);
                break;
            case zsim::Call::Read:
                status = viRead(r.session, buffer, r.count, &n);
                if (check && r.data.compare(0, std::string::npos,
                                            reinterpret_cast<const char*>(buffer), n) != 0) {
                    return false;
                }
                break;
            case zsim::Call::SetAttribute:
                status = viSetAttribute(r.session, r.attribute, r.value);
                break;
            case zsim::Call::GetAttribute: {
                ViAttrState value = 0;
                status = viGetAttribute(r.session, r.attribute, &value);
                break;
            }
            default:
                return false;  // a read opens and closes nothing
        }
        if (check && status != r.status) {
            return false;
        }
    }
    return true;
}

// Allocations between two points, per iteration, as counters.
void ReportAllocations(benchmark::State& state, const zbench::Allocations& before) {
    const zbench::Allocations after = zbench::CountedAllocations();
    state.counters["allocs"] = benchmark::Counter(static_cast<double>(after.ours - before.ours),
                                                  benchmark::Counter::kAvgIterations);
    state.counters["sim_allocs"] =
        benchmark::Counter(static_cast<double>(after.simulator - before.simulator),
                           benchmark::Counter::kAvgIterations);
}

void ReadWaveform(benchmark::State& state, const Family* family) {
    Scope scope(*family);
    std::vector<uint16_t> samples(family->points);
    const zbench::Allocations start = zbench::CountedAllocations();
    if (!scope.opened || RecordRead(scope, *family, samples).empty()) {
        state.SkipWithError("the plug-in cannot open or read the simulated instrument");
        return;
    }
    if (zbench::CountedAllocations().simulator == start.simulator) {
        state.SkipWithError("the plug-in's VISA calls do not pass the counting functions");
        return;
    }
    int32_t failed = 0;
    const zbench::Allocations before = zbench::CountedAllocations();
    for (auto _ : state) {
        failed |= scope.plugin.ReadWaveform(scope.handle, family->channel, samples.data(), 0);
    }
    ReportAllocations(state, before);
    if (failed != 0) {
        state.SkipWithError("a waveform read failed");
    }
}

void Baseline(benchmark::State& state, const Family* family) {
    Scope scope(*family);
    std::vector<uint16_t> samples(family->points);
    const std::vector<zsim::CallRecord> dialogue =
        scope.opened ? RecordRead(scope, *family, samples) : std::vector<zsim::CallRecord>();
    std::vector<uint8_t> buffer(LargestReadCount(dialogue));
    if (dialogue.empty() || !Replay(dialogue, buffer.data(), true)) {
        state.SkipWithError("the recorded dialogue does not replay with the same replies");
        return;
    }
    const zbench::Allocations before = zbench::CountedAllocations();
    for (auto _ : state) {
        Replay(dialogue, buffer.data(), false);
    }
    ReportAllocations(state, before);
    // What crosses the bus in one read: every byte written and read.
    size_t busBytes = 0;
    for (const zsim::CallRecord& r : dialogue) {
        if (r.call == zsim::Call::Write || r.call == zsim::Call::Read) {
            busBytes += r.data.size();
        }
    }
    state.counters["bus_bytes"] = static_cast<double>(busBytes);
}

void Convert(benchmark::State& state, const Family* family) {
    Scope scope(*family);
    std::vector<uint16_t> samples(family->points);
    const std::string reply = WaveformReply(scope.opened ? RecordRead(scope, *family, samples)
                                                         : std::vector<zsim::CallRecord>());
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(reply.data());
    if (reply.empty() || !family->convert(bytes, reply.size(), samples.data())) {
        state.SkipWithError("no waveform reply to convert");
        return;
    }
    benchmark::DoNotOptimize(samples.data());
    bool ok = true;
    for (auto _ : state) {
        ok &= family->convert(bytes, reply.size(), samples.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
    state.counters["bytes"] = static_cast<double>(reply.size());
    if (!ok) {
        state.SkipWithError("a conversion failed");
    }
}

void Memcpy(benchmark::State& state, const Family* family) {
    Scope scope(*family);
    std::vector<uint16_t> samples(family->points);
    const std::string reply = WaveformReply(scope.opened ? RecordRead(scope, *family, samples)
                                                         : std::vector<zsim::CallRecord>());
    if (reply.empty()) {
        state.SkipWithError("no waveform reply to copy");
        return;
    }
    std::vector<char> copy(reply.size());
    benchmark::DoNotOptimize(copy.data());
    for (auto _ : state) {
        std::memcpy(copy.data(), reply.data(), reply.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
    state.counters["bytes"] = static_cast<double>(reply.size());
}

int32_t g_channels = 0;

int32_t ZVDS_STDCALL CountChannel(const char*, int32_t) {
    ++g_channels;
    return 1;
}

// ZVDS_Open and ZVDS_EnumValidChannels, then ZVDS_Close so that sessions do
// not pile up in the simulator.
void OpenEnumerate(benchmark::State& state, const Family* family) {
    Scope scope(*family);  // the resource manager is open from here on
    if (!scope.opened) {
        state.SkipWithError("the plug-in cannot open the simulated instrument");
        return;
    }
    zsim::SetRecording(false);
    int32_t failed = 0;
    g_channels = 0;
    const zbench::Allocations before = zbench::CountedAllocations();
    for (auto _ : state) {
        int32_t handle = 0;
        failed |= scope.plugin.Open(kAddress, &handle);
        failed |= scope.plugin.EnumValidChannels(handle, CountChannel);
        scope.plugin.Close(handle);
    }
    ReportAllocations(state, before);
    state.counters["channels"] =
        benchmark::Counter(static_cast<double>(g_channels), benchmark::Counter::kAvgIterations);
    if (failed != 0) {
        state.SkipWithError("an open or enumeration failed");
    }
}

void Enumerate(benchmark::State& state, const Family* family) {
    Scope scope(*family);
    if (!scope.opened) {
        state.SkipWithError("the plug-in cannot open the simulated instrument");
        return;
    }
    zsim::SetRecording(false);
    int32_t failed = 0;
    g_channels = 0;
    const zbench::Allocations before = zbench::CountedAllocations();
    for (auto _ : state) {
        failed |= scope.plugin.EnumValidChannels(scope.handle, CountChannel);
    }
    ReportAllocations(state, before);
    state.counters["channels"] =
        benchmark::Counter(static_cast<double>(g_channels), benchmark::Counter::kAvgIterations);
    if (failed != 0) {
        state.SkipWithError("an enumeration failed");
    }
}

// The console output, then the medians of the runs set against the targets.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    SummaryReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (run.error_occurred || !(median || single)) {
                continue;
            }
            Figure& f = m_figures[run.run_name.function_name];
            f.ns = run.GetAdjustedCPUTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            auto allocs = run.counters.find("allocs");
            f.allocs = allocs == run.counters.end() ? -1 : allocs->second.value;
            auto bytes = run.counters.find("bytes");
            f.bytes = bytes == run.counters.end() ? 0 : bytes->second.value;
            f.valid = true;
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf(
            "\nMedians (CPU time) against the targets\n"
            "%-12s %10s %10s %9s %4s %7s %4s %7s %7s %9s %9s %6s %4s\n",
            "plug-in", "read us", "base us", "ours us", "<2", "allocs", "ok", "enum/a", "open/a",
            "conv ns", "copy ns", "ratio", "<=3");
        for (const Family& family : kFamilies) {
            const Figure& read = Get("ReadWaveform/", family);
            const Figure& base = Get("Baseline/", family);
            const Figure& conv = Get("Convert/", family);
            const Figure& copy = Get("Memcpy/", family);
            const Figure& enumerate = Get("Enumerate/", family);
            const Figure& open = Get("OpenEnumerate/", family);
            if (!(read.valid || base.valid || conv.valid || copy.valid || enumerate.valid ||
                  open.valid)) {
                continue;  // not run (a filter)
            }
            const double ours = (read.ns - base.ns) / 1000.0;
            const double ratio = copy.ns > 0 ? conv.ns / copy.ns : 0;
            std::printf(
                "%-12s %10.2f %10.2f %9.2f %4s %7.2f %4s %7.2f %7.2f %9.1f %9.1f %6.2f %4s\n",
                family.name, read.ns / 1000.0, base.ns / 1000.0, ours,
                Verdict(read.valid && base.valid, ours < 2.0), read.allocs,
                Verdict(read.valid, read.allocs <= family.maxAllocations), enumerate.allocs,
                open.allocs, conv.ns, copy.ns, ratio,
                Verdict(conv.valid && copy.valid, ratio <= 3.0));
        }
        std::fflush(stdout);
    }

private:
    struct Figure {
        bool valid = false;
        double ns = 0;
        double allocs = -1;
        double bytes = 0;
    };

    const Figure& Get(const char* kind, const Family& family) {
        return m_figures[std::string(kind) + family.name];
    }
    static const char* Verdict(bool measured, bool met) {
        return !measured ? "-" : met ? "yes" : "NO";
    }

    std::map<std::string, Figure> m_figures;
};

void RegisterAll() {
    typedef void (*BenchFn)(benchmark::State&, const Family*);
    const struct {
        const char* kind;
        BenchFn fn;
    } kinds[] = {
        {"ReadWaveform/", ReadWaveform},
        {"Baseline/", Baseline},
        {"Convert/", Convert},
        {"Memcpy/", Memcpy},
        {"OpenEnumerate/", OpenEnumerate},
        {"Enumerate/", Enumerate},
    };
    for (const Family& family : kFamilies) {
        for (const auto& kind : kinds) {
            benchmark::RegisterBenchmark((std::string(kind.kind) + family.name).c_str(), kind.fn,
                                         &family);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    zbench::BindSimulatorVisa();
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
