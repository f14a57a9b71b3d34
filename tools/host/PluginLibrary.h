// A plug-in loaded as the host application loads it: the library by file,
// the exports by name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Exports.h"

namespace zhost {

struct ChannelInfo {
    std::string name;
    int32_t points;
};

class PluginLibrary {
public:
    // Null with `error` set when the file cannot be loaded or lacks an export.
    static std::unique_ptr<PluginLibrary> Load(const std::string& path, std::string& error);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const std::string& Path() const { return m_path; }

    decltype(&ZVDS_Open) Open = nullptr;
    decltype(&ZVDS_Close) Close = nullptr;
    decltype(&ZVDS_EnumValidChannels) EnumValidChannels = nullptr;
    decltype(&ZVDS_ReadWaveform) ReadWaveform = nullptr;
    decltype(&ZVDS_HasLongData) HasLongData = nullptr;
    decltype(&ZVDS_GetErrMessage) GetErrMessage = nullptr;
    typedef int32_t(ZVDS_STDCALL* RegisterFn)();
    RegisterFn RegisterServer = nullptr;
    RegisterFn UnregisterServer = nullptr;

    // The plug-in's own text for a message, with `device` in it.
    std::string Message(int32_t number, const std::string& device) const;
    // Every channel the plug-in offers on `handle`; `result` is the export's.
    std::vector<ChannelInfo> Channels(int32_t handle, int32_t& result) const;

private:
    PluginLibrary() = default;
    void* m_library = nullptr;
    std::string m_path;
};

// The folder of the running program (where the plug-ins are found by short name).
std::string ProgramDirectory();

// Loads the simulated VISA library from beside the program so that plug-ins
// loaded afterwards bind it, and installs the demonstration bench.
bool LoadSimulatedBench(std::string& error);

}  // namespace zhost
