#include "PluginLoader.h"

#include <vector>

#include "SharedLibrary.h"

namespace ztest {

Plugin::Plugin(const std::string& path) {
    m_library = zhost::OpenLibrary(path, false);
    if (m_library == nullptr) {
        throw std::runtime_error(std::string("cannot load ") + path + ": " +
                                 zhost::LastLoadError());
    }
    auto need = [&](const char* name) {
        void* symbol = zhost::FindSymbol(m_library, name);
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
    RegisterServer =
        reinterpret_cast<RegisterFn>(zhost::FindSymbol(m_library, "DllRegisterServer"));
    UnregisterServer =
        reinterpret_cast<RegisterFn>(zhost::FindSymbol(m_library, "DllUnregisterServer"));
}

Plugin::~Plugin() {
    zhost::CloseLibrary(m_library);
}

void* Plugin::Symbol(const char* name) const {
    return zhost::FindSymbol(m_library, name);
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
