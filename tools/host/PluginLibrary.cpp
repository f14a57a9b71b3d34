#include "PluginLibrary.h"

#include "SharedLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <climits>

namespace zhost {

namespace {

#if defined(_WIN32)
const char* const kSimulatorFile = "VISA32.dll";
#else
const char* const kSimulatorFile = "libzvds_visa_sim.so";
#endif

thread_local std::vector<ChannelInfo>* t_collecting = nullptr;

int32_t ZVDS_STDCALL CollectChannel(const char* name, int32_t points) {
    t_collecting->push_back(ChannelInfo{name ? name : "", points});
    return 1;
}

}  // namespace

std::unique_ptr<PluginLibrary> PluginLibrary::Load(const std::string& path, std::string& error) {
    void* library = OpenLibrary(path, false);
    if (library == nullptr) {
        error = "cannot load " + path + ": " + LastLoadError();
        return nullptr;
    }
    std::unique_ptr<PluginLibrary> plugin(new PluginLibrary);
    plugin->m_library = library;
    plugin->m_path = path;
    bool complete = true;
    auto take = [&](const char* name, auto& out) {
        out = reinterpret_cast<std::remove_reference_t<decltype(out)>>(FindSymbol(library, name));
        if (out == nullptr) {
            complete = false;
        }
    };
    take("ZVDS_Open", plugin->Open);
    take("ZVDS_Close", plugin->Close);
    take("ZVDS_EnumValidChannels", plugin->EnumValidChannels);
    take("ZVDS_ReadWaveform", plugin->ReadWaveform);
    take("ZVDS_HasLongData", plugin->HasLongData);
    take("ZVDS_GetErrMessage", plugin->GetErrMessage);
    take("DllRegisterServer", plugin->RegisterServer);
    take("DllUnregisterServer", plugin->UnregisterServer);
    if (!complete) {
        error = path + " is not a waveform-source plug-in (exports missing)";
        return nullptr;
    }
    return plugin;
}

PluginLibrary::~PluginLibrary() {
    if (m_library != nullptr) {
        CloseLibrary(m_library);
    }
}

std::string PluginLibrary::Message(int32_t number, const std::string& device) const {
    char text[1024];
    const int32_t n = GetErrMessage(device.c_str(), number, text, 0);
    if (n <= 0) {
        return "message " + std::to_string(number);
    }
    return std::string(text, static_cast<size_t>(n));
}

std::vector<ChannelInfo> PluginLibrary::Channels(int32_t handle, int32_t& result) const {
    std::vector<ChannelInfo> channels;
    t_collecting = &channels;
    result = EnumValidChannels(handle, CollectChannel);
    t_collecting = nullptr;
    return channels;
}

std::string ProgramDirectory() {
#if defined(_WIN32)
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path, n);
    const size_t slash = text.find_last_of("\\/");
#else
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof(path));
    std::string text(path, n > 0 ? static_cast<size_t>(n) : 0);
    const size_t slash = text.rfind('/');
#endif
    return slash == std::string::npos ? "." : text.substr(0, slash);
}

bool LoadSimulatedBench(std::string& error) {
    const std::string path = ProgramDirectory() + "/" + kSimulatorFile;
    // Global, so that the plug-ins find the VISA functions in the process.
    void* library = OpenLibrary(path, true);
    if (library == nullptr) {
        error = "cannot load the simulated VISA library " + path + ": " + LastLoadError();
        return false;
    }
    typedef void (*InstallFn)();
    auto install = reinterpret_cast<InstallFn>(FindSymbol(library, "zsim_InstallDemoBench"));
    if (install == nullptr) {
        error = path + " has no demonstration bench";
        return false;
    }
    install();
    return true;  // kept loaded: the plug-ins' sessions live in it
}

}  // namespace zhost
