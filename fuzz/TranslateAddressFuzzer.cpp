// TranslateAddress with any address text; the first byte picks the board.
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "TranslateAddress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const int board = static_cast<signed char>(data[0]);
    const std::string address(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string resource = zvds::TranslateAddress(address, board);
    // A translated address is a resource name of its own; anything else is
    // passed on as given, letters made upper case.
    if (resource.rfind("GPIB", 0) == 0 || resource.rfind("ASRL", 0) == 0) {
        zfuzz::Require(resource.size() < 32 || resource.size() == address.size(),
                       "a translated name longer than its buffer");
    } else {
        zfuzz::Require(resource.size() == address.size(), "an untranslated address changed length");
    }
    return 0;
}
