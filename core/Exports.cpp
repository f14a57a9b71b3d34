// The exports, the same in every plug-in; each plug-in supplies ThisPlugin().
#include "Exports.h"

#include <string>

#include "EntryFrame.h"
#include "Messages.h"
#include "ModulePath.h"
#include "Registry.h"

namespace {

// Where the host looks for waveform sources: one key per family.
const char kRegistryBaseKey[] = "Software\\Morvane";

std::string FamilySubKey() {
    return std::string("Lumetra\\1.0\\Vesk\\Scopes\\") + zvds::ThisPlugin().familyName;
}

}  // namespace

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

int32_t ZVDS_STDCALL ZVDS_HasLongData(int32_t) {
    return 0;
}

int32_t ZVDS_STDCALL ZVDS_GetErrMessage(const char* device, int32_t number, char* out, int32_t) {
    return zvds::GetErrMessage(device, number, out);
}

// Failures stay in the CRegistry's status; the installer always sees 0.
int32_t ZVDS_STDCALL DllRegisterServer() {
    try {
        char path[zvds::kModulePathSize];
        zvds::GetModulePath(path, sizeof path);
        CRegistry key(FamilySubKey(), 0, HKEY_LOCAL_MACHINE, kRegistryBaseKey,
                      REG_OPTION_NON_VOLATILE);
        key.SetValue("DllPath", path);
    } catch (...) {
    }
    return 0;
}

// Opening the key first creates it (and its parents) when it is missing.
int32_t ZVDS_STDCALL DllUnregisterServer() {
    try {
        CRegistry key(FamilySubKey(), 0, HKEY_LOCAL_MACHINE, kRegistryBaseKey,
                      REG_OPTION_NON_VOLATILE);
        key.DeleteKey();
    } catch (...) {
    }
    return 0;
}

}  // extern "C"
