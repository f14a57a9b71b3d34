// DllRegisterServer and DllUnregisterServer of every plug-in against the
// Windows registry itself, read back with the system's own functions.
#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "PluginLoader.h"
#include "Registry.h"

namespace {

struct PluginCase {
    const char* target;
    const char* path;
    const char* family;
};

const PluginCase kPlugins[] = {
    {"dso_test", DSO_TEST_PATH, "ZVDS Test Plug-in"},
    {"dso_lc9350", DSO_LC9350_PATH, "LeCroy 9350/9354 Series"},
    {"dso_rhx4402", DSO_RHX4402_PATH, "Morvane RHX4402A/4403A"},
    {"dso_rhx6000", DSO_RHX6000_PATH, "Morvane RHX6000 Series"},
    {"dso_tds300", DSO_TDS300_PATH, "Tektronix TDS300 Series"},
    {"dso_rvt8800", DSO_RVT8800_PATH, "Morvane RVT8800/8800U Series"},
};

void PrintTo(const PluginCase& c, std::ostream* out) {
    *out << c.target;
}

const char kBase[] = "Software\\Morvane";
const char kScopes[] = "Software\\Morvane\\Lumetra\\1.0\\Vesk\\Scopes";

std::string FamilyKey(const PluginCase& c) {
    return std::string(kScopes) + "\\" + c.family;
}

bool KeyExists(const std::string& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(handle);
    return true;
}

struct Value {
    LONG status = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::string bytes;  // exactly as stored, terminating NUL included
};

Value ReadValue(const std::string& key, const char* name) {
    Value value;
    HKEY handle = nullptr;
    value.status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle);
    if (value.status != ERROR_SUCCESS) {
        return value;
    }
    DWORD size = 0;
    value.status = RegQueryValueExA(handle, name, nullptr, &value.type, nullptr, &size);
    if (value.status == ERROR_SUCCESS) {
        std::vector<BYTE> data(size + 1);
        value.status = RegQueryValueExA(handle, name, nullptr, &value.type, data.data(), &size);
        value.bytes.assign(reinterpret_cast<const char*>(data.data()), size);
    }
    RegCloseKey(handle);
    return value;
}

std::vector<std::string> SubKeys(const std::string& key) {
    std::vector<std::string> names;
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return names;
    }
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(handle, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    RegCloseKey(handle);
    std::sort(names.begin(), names.end());
    return names;
}

// The file the loader actually mapped, as the system names it.
std::string LoadedPath(const ztest::Plugin& plugin) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCSTR>(plugin.Symbol("ZVDS_Open")), &module)) {
        return "";
    }
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(module, path, sizeof path);
    return std::string(path, length);
}

std::string Text(const std::string& s) {
    return s + std::string(1, '\0');
}

// Every test starts and ends without our keys; the registry outlives the tests.
class WindowsRegistry : public ::testing::Test {
protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear() {
        for (const PluginCase& c : kPlugins) {
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, FamilyKey(c).c_str());
        }
    }
};

class Registration : public WindowsRegistry, public ::testing::WithParamInterface<PluginCase> {
protected:
    void SetUp() override {
        WindowsRegistry::SetUp();
        plugin_ = std::make_unique<ztest::Plugin>(GetParam().path);
        ASSERT_NE(plugin_->RegisterServer, nullptr);
        ASSERT_NE(plugin_->UnregisterServer, nullptr);
    }
    std::unique_ptr<ztest::Plugin> plugin_;
};

TEST_P(Registration, WritesDllPathWithTheModuleFileName) {
    ASSERT_EQ(plugin_->RegisterServer(), 0);
    const Value v = ReadValue(FamilyKey(GetParam()), "DllPath");
    ASSERT_EQ(v.status, ERROR_SUCCESS);
    EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ));
    const std::string path = LoadedPath(*plugin_);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(v.bytes, Text(path));
    EXPECT_EQ(v.bytes.size(), path.size() + 1);
    // The file this test loaded, whatever drive the system shows it on.
    const std::string file = std::string(GetParam().target) + ".dll";
    EXPECT_EQ(path.substr(path.size() - file.size() - 1), "\\" + file) << path;
}

TEST_P(Registration, RegisteringAgainOverwritesAnOldPath) {
    {
        CRegistry old(std::string("Lumetra\\1.0\\Vesk\\Scopes\\") + GetParam().family, 0,
                      HKEY_LOCAL_MACHINE, kBase, REG_OPTION_NON_VOLATILE);
        ASSERT_EQ(old.SetValue("DllPath", "C:\\old\\place\\plugin.dll"), ERROR_SUCCESS);
    }
    ASSERT_EQ(plugin_->RegisterServer(), 0);
    ASSERT_EQ(plugin_->RegisterServer(), 0);
    EXPECT_EQ(ReadValue(FamilyKey(GetParam()), "DllPath").bytes, Text(LoadedPath(*plugin_)));
}

TEST_P(Registration, UnregisteringWhatWasNeverRegisteredLeavesOnlyTheParents) {
    ASSERT_EQ(plugin_->UnregisterServer(), 0);
    EXPECT_FALSE(KeyExists(FamilyKey(GetParam())));
    EXPECT_TRUE(KeyExists(kScopes));
}

// Every plug-in registered, this one unregistered: the others keep their entries.
TEST_P(Registration, UnregisteringLeavesTheOtherFamilies) {
    std::vector<std::unique_ptr<ztest::Plugin>> all;
    std::vector<std::string> others;
    for (const PluginCase& c : kPlugins) {
        all.push_back(std::make_unique<ztest::Plugin>(c.path));
        ASSERT_EQ(all.back()->RegisterServer(), 0) << c.target;
        if (std::string(c.target) != GetParam().target) {
            others.push_back(c.family);
        }
    }
    std::sort(others.begin(), others.end());
    ASSERT_EQ(SubKeys(kScopes).size(), others.size() + 1);

    ASSERT_EQ(plugin_->UnregisterServer(), 0);
    EXPECT_FALSE(KeyExists(FamilyKey(GetParam())));
    EXPECT_EQ(SubKeys(kScopes), others);
    for (size_t i = 0; i < all.size(); ++i) {
        if (std::string(kPlugins[i].target) != GetParam().target) {
            EXPECT_EQ(ReadValue(FamilyKey(kPlugins[i]), "DllPath").bytes, Text(LoadedPath(*all[i])))
                << kPlugins[i].target;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Plugins, Registration, ::testing::ValuesIn(kPlugins),
                         [](const ::testing::TestParamInfo<PluginCase>& info) {
                             return std::string(info.param.target);
                         });

// CRegistry over the system's functions: the key it composes and creates, and
// a deletion that takes the one key only.
TEST_F(WindowsRegistry, CRegistryCreatesItsKeyWithParentsAndDeletesOnlyIt) {
    const PluginCase& c = kPlugins[0];
    {
        CRegistry key(std::string("Lumetra\\1.0\\Vesk\\Scopes\\") + c.family, 0, HKEY_LOCAL_MACHINE,
                      kBase, REG_OPTION_NON_VOLATILE);
        EXPECT_EQ(key.m_strKey, FamilyKey(c));
        EXPECT_EQ(key.m_lResult, ERROR_SUCCESS);
        ASSERT_NE(key.m_hKey, nullptr);
        EXPECT_TRUE(KeyExists(FamilyKey(c)));
        EXPECT_EQ(key.SetValue("DllPath", "C:\\a b\\x.dll"), ERROR_SUCCESS);
        EXPECT_EQ(ReadValue(FamilyKey(c), "DllPath").bytes, Text("C:\\a b\\x.dll"));
        EXPECT_EQ(key.DeleteKey(), ERROR_SUCCESS);
        // Only the status is returned; m_lResult keeps the value write's.
        EXPECT_EQ(key.DeleteKey(), ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(key.m_lResult, ERROR_SUCCESS);
    }
    EXPECT_FALSE(KeyExists(FamilyKey(c)));
    EXPECT_TRUE(KeyExists(kScopes));
}

}  // namespace
