// The exports, the same in every plug-in; each plug-in supplies ThisPlugin().
#include "Exports.h"

#include "EntryFrame.h"
#include "Messages.h"

extern "C" {

int32_t ZVDS_STDCALL ZVDS_Open(const char* address, int32_t* handle) {
    return zvds::Open(zvds::ThisPlugin(), address, handle);
}

int32_t ZVDS_STDCALL ZVDS_Close(int32_t handle) {
    return zvds::Close(zvds::ThisPlugin(), handle);
}

int32_t ZVDS_STDCALL ZVDS_EnumValidChannels(int32_t handle, ZVDS_ChannelCallback callback) {
    return zvds::EnumValidChannels(zvds::ThisPlugin(), handle, callback);
}

int32_t ZVDS_STDCALL ZVDS_ReadWaveform(int32_t handle, const char* channel, uint16_t* samples,
                                       int32_t) {
    return zvds::ReadWaveform(zvds::ThisPlugin(), handle, channel, samples);
}

int32_t ZVDS_STDCALL ZVDS_HasLongData(int32_t) { return 0; }

int32_t ZVDS_STDCALL ZVDS_GetErrMessage(const char* device, int32_t number, char* out, int32_t) {
    return zvds::GetErrMessage(device, number, out);
}

}  // extern "C"
