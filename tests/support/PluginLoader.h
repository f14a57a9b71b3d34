// Loads a plug-in as the host does (dlopen or LoadLibraryA, exports by name)
// for the tests.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "Exports.h"

namespace ztest {

class Plugin {
public:
    explicit Plugin(const std::string& path);
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    void* Symbol(const char* name) const;

    decltype(&ZVDS_Open) Open;
    decltype(&ZVDS_Close) Close;
    decltype(&ZVDS_EnumValidChannels) EnumValidChannels;
    decltype(&ZVDS_ReadWaveform) ReadWaveform;
    decltype(&ZVDS_HasLongData) HasLongData;
    decltype(&ZVDS_GetErrMessage) GetErrMessage;
    typedef int32_t(ZVDS_STDCALL* RegisterFn)();
    RegisterFn RegisterServer;  // null until the plug-in has registration
    RegisterFn UnregisterServer;

    // The formatted text of a message, as the host would show it.
    std::string Message(int32_t number, const char* device = "DEV1") const;

private:
    void* m_library;
};

// Channels collected through the host callback.
struct Channel {
    std::string name;
    int32_t points;
    bool operator==(const Channel& o) const { return name == o.name && points == o.points; }
};

// Runs ZVDS_EnumValidChannels collecting every channel; `stopAfter` > 0 makes
// the callback return 0 on that call. Not reentrant (one enumeration at a time
// per thread).
int32_t Enumerate(const Plugin& plugin, int32_t handle, std::vector<Channel>& out,
                  int stopAfter = 0);

}  // namespace ztest
