#include "PluginLoader.h"

#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace ztest {

namespace {

#if defined(_WIN32)
void* LoadPlugin(const std::string& path, std::string& error) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        error = "error " + std::to_string(GetLastError());
    }
    return reinterpret_cast<void*>(module);
}
void* Find(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
void Unload(void* library) {
    FreeLibrary(static_cast<HMODULE>(library));
}
#else
void* LoadPlugin(const std::string& path, std::string& error) {
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        error = dlerror();
    }
    return library;
}
void* Find(void* library, const char* name) {
    return dlsym(library, name);
}
void Unload(void* library) {
    dlclose(library);
}
#endif

}  // namespace

Plugin::Plugin(const std::string& path) {
    std::string error;
    m_library = LoadPlugin(path, error);
    if (m_library == nullptr) {
        throw std::runtime_error(std::string("cannot load ") + path + ": " + error);
    }
    auto need = [&](const char* name) {
        void* symbol = Find(m_library, name);
        if (symbol == nullptr) {
            throw std::runtime_error(std::string("no export ") + name + " in " + path);
        }
        return symbol;
    };
    Open = reinterpret_cast<decltype(Open)>(need("ZVDS_Open"));
    Close = reinterpret_cast<decltype(Close)>(need("ZVDS_Close"));
    EnumValidChannels =
        reinterpret_cast<decltype(EnumValidChannels)>(need("ZVDS_EnumValidChannels"));
    ReadWaveform = reinterpret_cast<decltype(ReadWaveform)>(need("ZVDS_ReadWaveform"));
    HasLongData = reinterpret_cast<decltype(HasLongData)>(need("ZVDS_HasLongData"));
    GetErrMessage = reinterpret_cast<decltype(GetErrMessage)>(need("ZVDS_GetErrMessage"));
    RegisterServer = reinterpret_cast<RegisterFn>(Find(m_library, "DllRegisterServer"));
    UnregisterServer = reinterpret_cast<RegisterFn>(Find(m_library, "DllUnregisterServer"));
}

Plugin::~Plugin() {
    Unload(m_library);
}

bool IsLoaded(const std::string& path) {
#if defined(_WIN32)
    return GetModuleHandleA(path.c_str()) != nullptr;
#else
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (library != nullptr) {
        dlclose(library);  // only the reference just taken
    }
    return library != nullptr;
#endif
}

void* Plugin::Symbol(const char* name) const {
    return Find(m_library, name);
}

std::string Plugin::Message(int32_t number, const char* device) const {
    std::vector<char> out(1100, '\0');
    const int32_t n = GetErrMessage(device, number, out.data(), 0);
    return std::string(out.data(), static_cast<size_t>(n));
}

namespace {
thread_local std::vector<Channel>* t_channels = nullptr;
thread_local int t_stopAfter = 0;

int32_t ZVDS_STDCALL Collect(const char* name, int32_t points) {
    t_channels->push_back(Channel{name, points});
    return (t_stopAfter > 0 && static_cast<int>(t_channels->size()) >= t_stopAfter) ? 0 : 1;
}
}  // namespace

int32_t Enumerate(const Plugin& plugin, int32_t handle, std::vector<Channel>& out, int stopAfter) {
    out.clear();
    t_channels = &out;
    t_stopAfter = stopAfter;
    const int32_t result = plugin.EnumValidChannels(handle, Collect);
    t_channels = nullptr;
    return result;
}

}  // namespace ztest
