#include "Registered.h"

#include "RegistryApi.h"
#if !defined(_WIN32)
#include "RegistryStore.h"
#endif

namespace zvds_tool {

namespace {
// Where every plug-in writes its key: one key per family, "DllPath" in it.
const char* const kScopesKey = "Software\\Morvane\\Lumetra\\1.0\\Vesk\\Scopes";

std::string TextOf(const std::vector<uint8_t>& data) {
    std::string text(data.begin(), data.end());
    const size_t nul = text.find('\0');
    return nul == std::string::npos ? text : text.substr(0, nul);
}
}  // namespace

#if defined(_WIN32)

std::vector<RegisteredPlugin> RegisteredPlugins() {
    std::vector<RegisteredPlugin> plugins;
    HKEY scopes = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kScopesKey, 0, KEY_READ, &scopes) != ERROR_SUCCESS) {
        return plugins;
    }
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof(name);
        if (RegEnumKeyExA(scopes, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        std::vector<uint8_t> data(1024);
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const std::string key = std::string(kScopesKey) + "\\" + name;
        HKEY family = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &family) == ERROR_SUCCESS) {
            if (RegQueryValueExA(family, "DllPath", nullptr, &type, data.data(), &size) ==
                ERROR_SUCCESS) {
                data.resize(size);
                plugins.push_back(RegisteredPlugin{name, TextOf(data)});
            }
            RegCloseKey(family);
        }
    }
    RegCloseKey(scopes);
    return plugins;
}

#else

std::vector<RegisteredPlugin> RegisteredPlugins() {
    std::vector<RegisteredPlugin> plugins;
    std::vector<std::string> names;
    if (zvds::registry::ListSubKeys(kScopesKey, names) != ERROR_SUCCESS) {
        return plugins;
    }
    for (const std::string& name : names) {
        DWORD type = 0;
        std::vector<uint8_t> data;
        if (zvds::registry::ReadValue(std::string(kScopesKey) + "\\" + name, "DllPath", type,
                                      data) == ERROR_SUCCESS) {
            plugins.push_back(RegisteredPlugin{name, TextOf(data)});
        }
    }
    return plugins;
}

#endif

}  // namespace zvds_tool
