// Host addresses ("DEV5", "COM1" or a VISA resource name) to VISA resource names.
#pragma once

#include <string>

namespace zvds {
std::string TranslateAddress(std::string address, int board);
}
