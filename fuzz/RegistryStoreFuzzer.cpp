// The Linux registry store's reader with any store file: the input is written
// as machine.reg, then read back through the read API, walking every key.
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include <unistd.h>

#include "FuzzCheck.h"
#include "RegistryStore.h"

namespace {
std::string g_directory;
std::string g_store;

// The store's directory goes when the run ends.
void RemoveStore() {
    unlink(g_store.c_str());
    unlink((g_directory + "/machine.lock").c_str());
    rmdir(g_directory.c_str());
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A store of its own, never the machine's.
    const char* tmp = std::getenv("TMPDIR");
    std::string dir =
        std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/zvds-fuzz-registry-XXXXXX";
    if (mkdtemp(&dir[0]) == nullptr) {
        abort();
    }
    g_directory = dir;
    setenv(zvds::registry::kDirectoryVariable, dir.c_str(), 1);
    g_store = zvds::registry::StorePath();
    atexit(RemoveStore);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = fopen(g_store.c_str(), "wb");
    if (file == nullptr) {
        abort();
    }
    if (size > 0 && fwrite(data, 1, size, file) != size) {
        abort();
    }
    fclose(file);

    using namespace zvds::registry;
    // Each call reads the whole file again: a few dozen keys are enough.
    std::deque<std::string> keys{""};
    for (int visited = 0; !keys.empty() && visited < 32; ++visited) {
        const std::string key = keys.front();
        keys.pop_front();
        std::vector<std::string> children;
        const LONG listed = ListSubKeys(key, children);
        if (listed != ERROR_SUCCESS) {
            zfuzz::Require(key.empty() || listed != ERROR_FILE_NOT_FOUND,
                           "a listed key that cannot be found");
            continue;
        }
        for (const std::string& child : children) {
            keys.push_back(key.empty() ? child : key + "\\" + child);
        }
        std::vector<std::string> values;
        zfuzz::Require(ListValues(key, values) == ERROR_SUCCESS, "a key without its values");
        for (const std::string& name : values) {
            DWORD type = 0;
            std::vector<uint8_t> bytes;
            zfuzz::Require(ReadValue(key, name, type, bytes) == ERROR_SUCCESS,
                           "a listed value that cannot be read");
        }
    }
    return 0;
}
