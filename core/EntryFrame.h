// The frame every export runs in, and the exports' work, for one driver.
#pragma once

#include <cstdint>

#include "GpibException.h"
#include "Messages.h"
#include "PluginDriver.h"

namespace zvds {

// Runs work; a raised CGpibException becomes the result and is freed.
template <class Work>
int32_t RunInFrame(Work&& work) {
    try {
        work();
        return 0;
    } catch (CGpibException* e) {
        const int32_t number = e->m_nError;
        e->Delete();
        return number;
    } catch (...) {
        // Nothing may escape into the host (an allocation failure, say).
        return kMsgUnknown;
    }
}

int32_t Open(const PluginDriver& driver, const char* address, int32_t* handle);
int32_t Close(const PluginDriver& driver, int32_t handle);
int32_t EnumValidChannels(const PluginDriver& driver, int32_t handle,
                          ZVDS_ChannelCallback callback);
int32_t ReadWaveform(const PluginDriver& driver, int32_t handle, const char* channel,
                     uint16_t* samples);

// The fixed parameters of every connection.
constexpr int32_t kBaudRate = 1000;
constexpr int32_t kParity = 0;
constexpr int32_t kDataBits = 8;
constexpr int32_t kStopBitCode = 0;
constexpr bool kSoftwareHandshake = false;
constexpr int32_t kTimeoutMs = 10000;

}  // namespace zvds
