#include "Registered.h"

namespace zvds_tool {

// Filled in once the registry layer offers a read API.
std::vector<RegisteredPlugin> RegisteredPlugins() { return {}; }

}  // namespace zvds_tool
