// What a plug-in folder supplies to the core: its family constants and the
// three places where it talks to its instrument. The core's exports do the
// rest (frame, opening sequence, close, messages, registration).
#pragma once

#include <cstddef>
#include <cstdint>

#include "GpibDevice.h"
#include "Platform.h"

extern "C" {
// The host's channel callback: non-zero to go on, zero to stop.
typedef int32_t(ZVDS_STDCALL* ZVDS_ChannelCallback)(const char* name, int32_t points);
}

namespace zvds {

// The host's callback as a driver sees it.
class ChannelSink {
public:
    explicit ChannelSink(ZVDS_ChannelCallback callback) : m_callback(callback) {}
    // Offers one channel; false when the host asks to stop.
    bool Offer(const char* name, int32_t points) const { return m_callback(name, points) != 0; }

private:
    ZVDS_ChannelCallback m_callback;
};

// Offers a fixed list in order until the host stops.
void OfferAll(const ChannelSink& sink, const char* const* names, size_t count, int32_t points);

struct PluginDriver {
    const char* familyName;  // registry key under ...\Scopes\ (e.g. "Morvane RHX6000 Series")
    bool hasMessage1304;     // only the LeCroy plug-in owns message 1304
    // Runs inside ZVDS_Open once the session is connected and the handle is
    // out; raises 1223 for an instrument of another family.
    void (*identify)(CGpibDevice& device);
    // The body of ZVDS_EnumValidChannels.
    void (*enumerateChannels)(CGpibDevice& device, const ChannelSink& sink);
    // The body of ZVDS_ReadWaveform: dialogue and conversion into samples.
    void (*readWaveform)(CGpibDevice& device, const char* channel, uint16_t* samples);
    // Runs inside ZVDS_Close before the session is closed; may be null.
    void (*beforeClose)(CGpibDevice& device);
};

// Defined once in each plug-in folder.
const PluginDriver& ThisPlugin();

}  // namespace zvds
