// The functions every plug-in exports, as the host binds them.
#pragma once

#include <cstdint>

#include "PluginDriver.h"

extern "C" {
ZVDS_EXPORT int32_t ZVDS_STDCALL ZVDS_Open(const char* address, int32_t* handle);
ZVDS_EXPORT int32_t ZVDS_STDCALL ZVDS_Close(int32_t handle);
ZVDS_EXPORT int32_t ZVDS_STDCALL ZVDS_EnumValidChannels(int32_t handle,
                                                        ZVDS_ChannelCallback callback);
ZVDS_EXPORT int32_t ZVDS_STDCALL ZVDS_ReadWaveform(int32_t handle, const char* channel,
                                                   uint16_t* samples, int32_t unused);
ZVDS_EXPORT int32_t ZVDS_STDCALL ZVDS_HasLongData(int32_t unused);
ZVDS_EXPORT int32_t ZVDS_STDCALL ZVDS_GetErrMessage(const char* device, int32_t number,
                                                    char* out, int32_t unused);
// Enter and remove the plug-in's registry entry; both return 0 in every case.
ZVDS_EXPORT int32_t ZVDS_STDCALL DllRegisterServer();
ZVDS_EXPORT int32_t ZVDS_STDCALL DllUnregisterServer();
}
