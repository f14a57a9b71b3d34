#include "EntryFrame.h"

#include <string>

#include "GpibException.h"
#include "Messages.h"
#include "TranslateAddress.h"

namespace zvds {

void OfferAll(const ChannelSink& sink, const char* const* names, size_t count, int32_t points) {
    for (size_t i = 0; i < count; ++i) {
        if (!sink.Offer(names[i], points)) {
            return;
        }
    }
}

int32_t Open(const PluginDriver& driver, const char* address, int32_t* handle) {
    if (address == nullptr || handle == nullptr) {
        return kMsgOpenFailed;
    }
    return RunInFrame([&] {
        EnsureDefaultResourceManager();
        CGpibDevice device;
        const std::string resource = TranslateAddress(address, 0);
        device.Connect(resource, kBaudRate, kParity, kDataBits, kStopBitCode, kSoftwareHandshake,
                       kTimeoutMs);
        *handle = device.GetSession();
        driver.identify(device);
        device.Detach(false);
    });
}

int32_t Close(const PluginDriver& driver, int32_t handle) {
    RunInFrame([&] {
        CGpibDevice device;
        device.Attach(handle);
        if (driver.beforeClose != nullptr) {
            driver.beforeClose(device);
        }
        device.Detach(true);
    });
    return 0;
}

int32_t EnumValidChannels(const PluginDriver& driver, int32_t handle,
                          ZVDS_ChannelCallback callback) {
    if (callback == nullptr) {
        return 0;  // nobody to offer channels to
    }
    return RunInFrame([&] {
        CGpibDevice device;
        device.Attach(handle);
        driver.enumerateChannels(device, ChannelSink(callback));
        device.Detach(false);
    });
}

int32_t ReadWaveform(const PluginDriver& driver, int32_t handle, const char* channel,
                     uint16_t* samples) {
    if (channel == nullptr || samples == nullptr) {
        return kMsgUnknown;
    }
    return RunInFrame([&] {
        CGpibDevice device;
        device.Attach(handle);
        driver.readWaveform(device, channel, samples);
        device.Detach(false);
    });
}

}  // namespace zvds
