// The plug-ins registered with the host, read back from the registry.
#pragma once

#include <string>
#include <vector>

namespace zvds_tool {

struct RegisteredPlugin {
    std::string family;  // the key name under ...\Vesk\Scopes
    std::string path;    // its "DllPath"
};

std::vector<RegisteredPlugin> RegisteredPlugins();

}  // namespace zvds_tool
