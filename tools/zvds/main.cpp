// zvds: try, register and read the waveform-source plug-ins without the host
// application, loading them exactly as the host does.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "PluginLibrary.h"
#include "Registered.h"
#include "Trace.h"

#if defined(_WIN32)
#include <direct.h>
#define MakeDirectory(path) _mkdir(path)
#else
#include <sys/stat.h>
#define MakeDirectory(path) mkdir(path, 0777)
#endif
#include <cerrno>

using namespace zvds_tool;

namespace {

enum Exit { kOk = 0, kInstrumentFailure = 1, kUsage = 2 };

const char* const kUsageText =
    "usage: zvds <command> [options]\n"
    "\n"
    "commands:\n"
    "  plugins [--json]                      the registered plug-ins\n"
    "  register FILE...                      call DllRegisterServer of each file\n"
    "  unregister FILE...                    call DllUnregisterServer of each file\n"
    "  probe PLUGIN ADDRESS [--sim] [--json] open, list the channels, close\n"
    "  read PLUGIN ADDRESS CHANNEL... [--sim] [--count N] [--interval SECONDS]\n"
    "       [-o FILE] [--svg FILE]           read waveforms as CSV\n"
    "  demo [--out DIR]                      the tour of the simulated bench\n"
    "\n"
    "PLUGIN is a file, a short name (lc9350, rhx4402, rhx6000, tds300, rvt8800)\n"
    "or a registered family name. --sim loads the simulated bench first.\n"
    "Run 'zvds <command> --help' for more. Exit status: 0 success, 1 instrument\n"
    "failure, 2 usage error.\n";

const std::map<std::string, std::string> kCommandHelp = {
    {"plugins",
     "usage: zvds plugins [--json]\n"
     "Lists the plug-ins registered with the host: family name, file, and whether\n"
     "the file loads as a plug-in.\n"},
    {"register",
     "usage: zvds register FILE...\n"
     "Calls DllRegisterServer of each plug-in file, as regsvr32 does.\n"},
    {"unregister",
     "usage: zvds unregister FILE...\n"
     "Calls DllUnregisterServer of each plug-in file, as regsvr32 /u does.\n"},
    {"probe",
     "usage: zvds probe PLUGIN ADDRESS [--sim] [--json]\n"
     "Opens the instrument at ADDRESS (e.g. DEV1, COM1, GPIB0::7::INSTR), lists\n"
     "its channels with their point counts, and closes it.\n"},
    {"read",
     "usage: zvds read PLUGIN ADDRESS CHANNEL... [--sim] [--count N]\n"
     "                 [--interval SECONDS] [-o FILE] [--svg FILE]\n"
     "Reads one waveform per channel (N captures with --count, SECONDS apart)\n"
     "and writes CSV to standard output or FILE, an SVG plot with --svg, and a\n"
     "preview line per channel.\n"},
    {"demo",
     "usage: zvds demo [--out DIR]\n"
     "Probes every plug-in on the simulated bench, reads two channels of each\n"
     "and writes a CSV and an SVG per plug-in to DIR (default zvds-demo).\n"},
};

struct UsageError {
    std::string text;
};

struct Options {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    bool json = false;
    bool sim = false;
    bool help = false;
};

// Splits the arguments after the command; `valued` names options that take a value.
Options Parse(int argc, char** argv, int first, const std::vector<std::string>& valued,
              const std::vector<std::string>& flags) {
    Options o;
    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            bool known = false;
            for (const std::string& v : valued) {
                if (arg == v) {
                    if (i + 1 >= argc) {
                        throw UsageError{arg + " needs a value"};
                    }
                    o.values[arg] = argv[++i];
                    known = true;
                }
            }
            for (const std::string& f : flags) {
                if (arg == f) {
                    known = true;
                    if (f == "--json")
                        o.json = true;
                    if (f == "--sim")
                        o.sim = true;
                }
            }
            if (!known) {
                throw UsageError{"unknown option " + arg};
            }
        } else {
            o.positional.push_back(arg);
        }
    }
    return o;
}

std::string PluginFileName(const std::string& shortName) {
#if defined(_WIN32)
    return "dso_" + shortName + ".dll";
#else
    return "libdso_" + shortName + ".so";
#endif
}

const char* const kShortNames[] = {"lc9350", "rhx4402", "rhx6000", "tds300", "rvt8800"};

// A file path, a short name found beside the program, or a registered family.
std::string ResolvePlugin(const std::string& name) {
    for (const char* shortName : kShortNames) {
        if (name == shortName) {
            return zhost::ProgramDirectory() + "/" + PluginFileName(shortName);
        }
    }
    if (name.find('/') == std::string::npos && name.find('\\') == std::string::npos) {
        for (const RegisteredPlugin& r : RegisteredPlugins()) {
            if (r.family == name) {
                return r.path;
            }
        }
    }
    return name;
}

std::unique_ptr<zhost::PluginLibrary> LoadPlugin(const std::string& name) {
    std::string error;
    auto plugin = zhost::PluginLibrary::Load(ResolvePlugin(name), error);
    if (!plugin) {
        std::cerr << "zvds: " << error << "\n";
    }
    return plugin;
}

bool StartBench() {
    std::string error;
    if (!zhost::LoadSimulatedBench(error)) {
        std::cerr << "zvds: " << error << "\n";
        return false;
    }
    return true;
}

// The simulated bench when asked for, then the plug-in named first.
std::unique_ptr<zhost::PluginLibrary> PreparePlugin(const Options& o) {
    if (o.sim && !StartBench()) {
        return nullptr;
    }
    return LoadPlugin(o.positional[0]);
}

int CmdPlugins(const Options& o) {
    const std::vector<RegisteredPlugin> plugins = RegisteredPlugins();
    std::vector<bool> loads;
    for (const RegisteredPlugin& r : plugins) {
        std::string error;
        loads.push_back(zhost::PluginLibrary::Load(r.path, error) != nullptr);
    }
    if (o.json) {
        std::cout << "[";
        for (size_t i = 0; i < plugins.size(); ++i) {
            std::cout << (i ? "," : "") << "\n  {\"family\": " << JsonString(plugins[i].family)
                      << ", \"path\": " << JsonString(plugins[i].path)
                      << ", \"loads\": " << (loads[i] ? "true" : "false") << "}";
        }
        std::cout << (plugins.empty() ? "]\n" : "\n]\n");
        return kOk;
    }
    if (plugins.empty()) {
        std::cout << "no plug-ins registered\n";
    }
    for (size_t i = 0; i < plugins.size(); ++i) {
        std::cout << plugins[i].family << "\n    " << plugins[i].path << "  "
                  << (loads[i] ? "(loads)" : "(does not load)") << "\n";
    }
    return kOk;
}

int CmdRegister(const Options& o, bool unregister) {
    if (o.positional.empty()) {
        throw UsageError{"no plug-in file given"};
    }
    int status = kOk;
    for (const std::string& file : o.positional) {
        auto plugin = LoadPlugin(file);
        if (!plugin) {
            status = kInstrumentFailure;
            continue;
        }
        const int32_t result = unregister ? plugin->UnregisterServer() : plugin->RegisterServer();
        std::cout << (unregister ? "unregistered " : "registered ") << plugin->Path() << " (result "
                  << result << ")\n";
    }
    return status;
}

// Opens the instrument; on failure prints the plug-in's text and closes a
// handle the plug-in already handed out.
bool OpenInstrument(const zhost::PluginLibrary& plugin, const std::string& address, int32_t& handle,
                    int32_t& result) {
    handle = 0;
    result = plugin.Open(address.c_str(), &handle);
    if (result != 0) {
        if (handle != 0) {
            plugin.Close(handle);
        }
        return false;
    }
    return true;
}

int CmdProbe(const Options& o) {
    if (o.positional.size() != 2) {
        throw UsageError{"probe takes PLUGIN and ADDRESS"};
    }
    auto plugin = PreparePlugin(o);
    if (!plugin) {
        return kInstrumentFailure;
    }
    const std::string& address = o.positional[1];
    int32_t handle = 0, result = 0;
    std::vector<zhost::ChannelInfo> channels;
    if (OpenInstrument(*plugin, address, handle, result)) {
        channels = plugin->Channels(handle, result);
        plugin->Close(handle);
    }
    const std::string message = result ? plugin->Message(result, address) : "";
    if (o.json) {
        std::cout << "{\"plugin\": " << JsonString(plugin->Path())
                  << ", \"address\": " << JsonString(address) << ", \"result\": " << result;
        if (result) {
            std::cout << ", \"message\": " << JsonString(message);
        }
        std::cout << ", \"channels\": [";
        for (size_t i = 0; i < channels.size(); ++i) {
            std::cout << (i ? ", " : "") << "{\"name\": " << JsonString(channels[i].name)
                      << ", \"points\": " << channels[i].points << "}";
        }
        std::cout << "]}\n";
    } else if (result == 0) {
        std::cout << address << ": identified by " << plugin->Path() << "\n"
                  << channels.size() << " channels:\n";
        for (const zhost::ChannelInfo& c : channels) {
            std::cout << "  " << c.name << "  " << c.points << " points\n";
        }
    }
    if (result != 0) {
        std::cerr << "zvds: " << message << "\n";
        return kInstrumentFailure;
    }
    return kOk;
}

// Reads each channel into a buffer of its announced point count.
int32_t ReadChannels(const zhost::PluginLibrary& plugin, int32_t handle,
                     const std::vector<std::string>& names,
                     const std::vector<zhost::ChannelInfo>& offered, std::vector<Trace>& out) {
    int32_t fallback = 0;
    for (const zhost::ChannelInfo& c : offered) {
        fallback = std::max(fallback, c.points);
    }
    if (fallback <= 0) {
        fallback = 1024;
    }
    out.clear();
    for (const std::string& name : names) {
        int32_t points = fallback;
        for (const zhost::ChannelInfo& c : offered) {
            if (c.name == name) {
                points = c.points;
            }
        }
        Trace trace{name, std::vector<uint16_t>(static_cast<size_t>(points), 0)};
        const int32_t result = plugin.ReadWaveform(handle, name.c_str(), trace.samples.data(), 0);
        if (result != 0) {
            return result;
        }
        out.push_back(std::move(trace));
    }
    return 0;
}

void Progress(int done, int total) {
    const int width = 30;
    const int filled = total ? done * width / total : width;
    std::cerr << "\r[" << std::string(static_cast<size_t>(filled), '#')
              << std::string(static_cast<size_t>(width - filled), '.') << "] " << done << "/"
              << total << (done == total ? "\n" : "") << std::flush;
}

bool WriteFile(const std::string& path, const std::string& content) {
    std::ofstream file(path, std::ios::binary);
    file << content;
    if (!file) {
        std::cerr << "zvds: cannot write " << path << "\n";
        return false;
    }
    return true;
}

int CmdRead(const Options& o) {
    if (o.positional.size() < 3) {
        throw UsageError{"read takes PLUGIN, ADDRESS and at least one CHANNEL"};
    }
    int count = 1;
    double interval = 0;
    if (o.values.count("--count")) {
        count = atoi(o.values.at("--count").c_str());
        if (count < 1) {
            throw UsageError{"--count must be 1 or more"};
        }
    }
    if (o.values.count("--interval")) {
        char* end = nullptr;
        interval = strtod(o.values.at("--interval").c_str(), &end);
        if (*end != '\0' || interval < 0) {
            throw UsageError{"--interval must be a number of seconds"};
        }
    }
    auto plugin = PreparePlugin(o);
    if (!plugin) {
        return kInstrumentFailure;
    }
    const std::string& address = o.positional[1];
    const std::vector<std::string> names(o.positional.begin() + 2, o.positional.end());
    int32_t handle = 0, result = 0;
    std::vector<std::vector<Trace>> captures;
    if (OpenInstrument(*plugin, address, handle, result)) {
        const std::vector<zhost::ChannelInfo> offered = plugin->Channels(handle, result);
        for (int c = 0; c < count && result == 0; ++c) {
            if (c > 0 && interval > 0) {
                std::this_thread::sleep_for(std::chrono::duration<double>(interval));
            }
            std::vector<Trace> traces;
            result = ReadChannels(*plugin, handle, names, offered, traces);
            if (result == 0) {
                captures.push_back(std::move(traces));
            }
            if (count > 1) {
                Progress(c + 1, count);
            }
        }
        plugin->Close(handle);
    }
    if (result != 0) {
        std::cerr << "zvds: " << plugin->Message(result, address) << "\n";
        return kInstrumentFailure;
    }
    std::ostringstream csv;
    WriteCsv(csv, captures);
    const bool toFile = o.values.count("-o") > 0;
    if (toFile) {
        if (!WriteFile(o.values.at("-o"), csv.str())) {
            return kInstrumentFailure;
        }
    } else {
        std::cout << csv.str();
    }
    if (o.values.count("--svg")) {
        std::ostringstream svg;
        WriteSvg(svg, captures.back(), PlotLabel{plugin->Path(), address});
        if (!WriteFile(o.values.at("--svg"), svg.str())) {
            return kInstrumentFailure;
        }
    }
    std::ostream& terminal = toFile ? std::cout : std::cerr;
    for (const Trace& t : captures.back()) {
        terminal << t.channel << std::string(t.channel.size() < 6 ? 6 - t.channel.size() : 1, ' ')
                 << Preview(t.samples, 64) << "\n";
    }
    return kOk;
}

// Creates a folder and its missing parents; false when that fails.
bool MakeDirectories(const std::string& path) {
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/' || path[i] == '\\') {
            const std::string part = path.substr(0, i);
            if (MakeDirectory(part.c_str()) != 0 && errno != EEXIST) {
                return false;
            }
        }
    }
    return true;
}

struct BenchEntry {
    const char* plugin;
    const char* address;
    const char* instrument;
};

// The simulated bench: one instrument of each family at a fixed address.
const BenchEntry kBench[] = {
    {"lc9350", "DEV1", "LeCroy 9354"},       {"lc9350", "DEV2", "LeCroy 9350"},
    {"rhx4402", "DEV3", "RHX4403A"},         {"rhx6000", "DEV4", "RHX6000 (dual)"},
    {"tds300", "DEV5", "Tektronix TDS 320"}, {"rvt8800", "DEV6", "RVT8801"},
};

int CmdDemo(const Options& o) {
    if (!o.positional.empty()) {
        throw UsageError{"demo takes no arguments"};
    }
    const std::string dir = o.values.count("--out") ? o.values.at("--out") : "zvds-demo";
    if (!MakeDirectories(dir)) {
        std::cerr << "zvds: cannot create " << dir << "\n";
        return kInstrumentFailure;
    }
    if (!StartBench()) {
        return kInstrumentFailure;
    }
    int status = kOk;
    std::ostringstream summary;
    char row[256];
    snprintf(row, sizeof(row), "%-9s %-5s %-18s %-9s %8s  %-12s %s\n", "plug-in", "addr",
             "instrument", "result", "channels", "read", "samples");
    summary << row;
    for (const BenchEntry& e : kBench) {
        auto plugin = LoadPlugin(e.plugin);
        if (!plugin) {
            status = kInstrumentFailure;
            continue;
        }
        int32_t handle = 0, result = 0;
        std::vector<zhost::ChannelInfo> channels;
        std::vector<Trace> traces;
        if (OpenInstrument(*plugin, e.address, handle, result)) {
            channels = plugin->Channels(handle, result);
            std::vector<std::string> names;
            for (size_t i = 0; i < channels.size() && names.size() < 2; ++i) {
                names.push_back(channels[i].name);
            }
            if (result == 0) {
                result = ReadChannels(*plugin, handle, names, channels, traces);
            }
            plugin->Close(handle);
        }
        std::cout << e.plugin << " at " << e.address << " (" << e.instrument << "): ";
        if (result != 0) {
            std::cout << plugin->Message(result, e.address) << "\n";
            status = kInstrumentFailure;
        } else {
            std::cout << channels.size() << " channels:";
            for (const zhost::ChannelInfo& c : channels) {
                std::cout << " " << c.name;
            }
            std::cout << "\n";
            for (const Trace& t : traces) {
                std::cout << "  " << t.channel
                          << std::string(t.channel.size() < 6 ? 6 - t.channel.size() : 1, ' ')
                          << Preview(t.samples, 64) << "\n";
            }
            const std::string base = dir + "/" + e.plugin + "-" + e.address;
            std::ostringstream csv, svg;
            WriteCsv(csv, {traces});
            WriteSvg(svg, traces, PlotLabel{PluginFileName(e.plugin), e.address});
            if (!WriteFile(base + ".csv", csv.str()) || !WriteFile(base + ".svg", svg.str())) {
                status = kInstrumentFailure;
            }
        }
        std::string read;
        size_t points = 0;
        uint16_t lo = 0xFFFF, hi = 0;
        for (const Trace& t : traces) {
            read += (read.empty() ? "" : ",") + t.channel;
            points = t.samples.size();
            for (uint16_t s : t.samples) {
                lo = std::min(lo, s);
                hi = std::max(hi, s);
            }
        }
        std::string samples = traces.empty() ? "-"
                                             : std::to_string(points) + " x " + std::to_string(lo) +
                                                   ".." + std::to_string(hi);
        snprintf(row, sizeof(row), "%-9s %-5s %-18s %-9s %8zu  %-12s %s\n", e.plugin, e.address,
                 e.instrument, result ? std::to_string(result).c_str() : "ok", channels.size(),
                 read.c_str(), samples.c_str());
        summary << row;
    }
    std::cout << "\n" << summary.str() << "\nplots and CSV files in " << dir << "/\n";
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << kUsageText;
        return kUsage;
    }
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsageText;
        return kOk;
    }
    if (kCommandHelp.count(command) == 0) {
        std::cerr << "zvds: unknown command '" << command << "'\n\n" << kUsageText;
        return kUsage;
    }
    try {
        Options o;
        if (command == "plugins") {
            o = Parse(argc, argv, 2, {}, {"--json"});
        } else if (command == "register" || command == "unregister") {
            o = Parse(argc, argv, 2, {}, {});
        } else if (command == "probe") {
            o = Parse(argc, argv, 2, {}, {"--json", "--sim"});
        } else if (command == "read") {
            o = Parse(argc, argv, 2, {"--count", "--interval", "-o", "--svg"}, {"--sim"});
        } else {
            o = Parse(argc, argv, 2, {"--out"}, {});
        }
        if (o.help) {
            std::cout << kCommandHelp.at(command);
            return kOk;
        }
        if (command == "plugins")
            return CmdPlugins(o);
        if (command == "register")
            return CmdRegister(o, false);
        if (command == "unregister")
            return CmdRegister(o, true);
        if (command == "probe")
            return CmdProbe(o);
        if (command == "read")
            return CmdRead(o);
        return CmdDemo(o);
    } catch (const UsageError& e) {
        std::cerr << "zvds: " << e.text << "\n\n" << kCommandHelp.at(command);
        return kUsage;
    }
}
