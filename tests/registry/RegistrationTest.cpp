// DllRegisterServer and DllUnregisterServer of every plug-in that is built,
// loaded as an installer loads them, with the store read back whole.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "PluginLoader.h"
#include "Registry.h"
#include "RegistryTest.h"

namespace fs = std::filesystem;

namespace {

using ztest::AllKeys;
using ztest::InChild;
using ztest::ReadBytes;

struct PluginCase {
    const char* target;
    const char* path;
    const char* family;
};

// The plug-ins of this build; dso_test is always there.
const PluginCase kPlugins[] = {
    {"dso_test", DSO_TEST_PATH, "ZVDS Test Plug-in"},
#ifdef DSO_LC9350_PATH
    {"dso_lc9350", DSO_LC9350_PATH, "LeCroy 9350/9354 Series"},
#endif
#ifdef DSO_RHX4402_PATH
    {"dso_rhx4402", DSO_RHX4402_PATH, "Morvane RHX4402A/4403A"},
#endif
#ifdef DSO_RHX6000_PATH
    {"dso_rhx6000", DSO_RHX6000_PATH, "Morvane RHX6000 Series"},
#endif
#ifdef DSO_TDS300_PATH
    {"dso_tds300", DSO_TDS300_PATH, "Tektronix TDS300 Series"},
#endif
#ifdef DSO_RVT8800_PATH
    {"dso_rvt8800", DSO_RVT8800_PATH, "Morvane RVT8800/8800U Series"},
#endif
};

void PrintTo(const PluginCase& c, std::ostream* out) {
    *out << c.target;
}

// Every family a host may find, whether its plug-in is built here or not.
const char* const kAllFamilies[] = {
    "ZVDS Test Plug-in",      "LeCroy 9350/9354 Series", "Morvane RHX4402A/4403A",
    "Morvane RHX6000 Series", "Tektronix TDS300 Series", "Morvane RVT8800/8800U Series",
};

const char kBase[] = "Software\\Morvane";
const char kScopesSub[] = "Lumetra\\1.0\\Vesk\\Scopes\\";
const std::string kScopes = "Software\\Morvane\\Lumetra\\1.0\\Vesk\\Scopes";
const std::vector<std::string> kParents = {
    "Software",
    "Software\\Morvane",
    "Software\\Morvane\\Lumetra",
    "Software\\Morvane\\Lumetra\\1.0",
    "Software\\Morvane\\Lumetra\\1.0\\Vesk",
    kScopes,
};

std::string Text(const std::string& s) {
    return s + std::string(1, '\0');
}

// Writes an entry as a plug-in would, for families whose plug-in is not loaded.
void Enter(const std::string& family, const std::string& path) {
    CRegistry key(kScopesSub + family, 0, HKEY_LOCAL_MACHINE, kBase, REG_OPTION_NON_VOLATILE);
    ASSERT_EQ(key.SetValue("DllPath", path), ERROR_SUCCESS);
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

class RegistrationTest : public ztest::RegistryTest,
                         public ::testing::WithParamInterface<PluginCase> {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        plugin_ = std::make_unique<ztest::Plugin>(GetParam().path);
        ASSERT_NE(plugin_->RegisterServer, nullptr);
        ASSERT_NE(plugin_->UnregisterServer, nullptr);
    }

    std::string FamilyKey() const { return kScopes + "\\" + GetParam().family; }

    std::unique_ptr<ztest::Plugin> plugin_;
};

TEST_P(RegistrationTest, RegisterWritesExactlyItsKey) {
    EXPECT_EQ(plugin_->RegisterServer(), 0);
    std::vector<std::string> expected = kParents;
    expected.push_back(FamilyKey());
    EXPECT_EQ(AllKeys(), expected);
    std::vector<std::string> names;
    ASSERT_EQ(zvds::registry::ListValues(FamilyKey(), names), ERROR_SUCCESS);
    EXPECT_EQ(names, std::vector<std::string>{"DllPath"});
    DWORD type = REG_NONE;
    const std::string data = ReadBytes(FamilyKey(), "DllPath", &type);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(data, Text(GetParam().path));
    EXPECT_EQ(data.size(), strlen(GetParam().path) + 1);
}

TEST_P(RegistrationTest, RegisteringAgainOverwritesThePath) {
    Enter(GetParam().family, "/old/place/plugin.so");
    EXPECT_EQ(plugin_->RegisterServer(), 0);
    EXPECT_EQ(plugin_->RegisterServer(), 0);
    std::vector<std::string> names;
    ASSERT_EQ(zvds::registry::ListValues(FamilyKey(), names), ERROR_SUCCESS);
    EXPECT_EQ(names, std::vector<std::string>{"DllPath"});
    EXPECT_EQ(ReadBytes(FamilyKey(), "DllPath"), Text(GetParam().path));
}

TEST_P(RegistrationTest, UnregisteringWhatWasNeverRegisteredLeavesTheParents) {
    EXPECT_EQ(plugin_->UnregisterServer(), 0);
    EXPECT_EQ(AllKeys(), kParents);
}

TEST_P(RegistrationTest, UnregisteringLeavesTheOtherFamilies) {
    std::vector<std::string> others;
    for (const char* family : kAllFamilies) {
        if (std::string(family) != GetParam().family) {
            others.push_back(family);
            Enter(family, std::string("/opt/other/") + family + ".so");
        }
    }
    ASSERT_EQ(plugin_->RegisterServer(), 0);
    ASSERT_EQ(AllKeys(kScopes).size(), others.size() + 1);

    EXPECT_EQ(plugin_->UnregisterServer(), 0);
    std::vector<std::string> left;
    ASSERT_EQ(zvds::registry::ListSubKeys(kScopes, left), ERROR_SUCCESS);
    EXPECT_EQ(Sorted(left), Sorted(others));
    for (const std::string& family : others) {
        EXPECT_EQ(ReadBytes(kScopes + "\\" + family, "DllPath"),
                  Text("/opt/other/" + family + ".so"));
    }
}

INSTANTIATE_TEST_SUITE_P(Plugins, RegistrationTest, ::testing::ValuesIn(kPlugins),
                         [](const ::testing::TestParamInfo<PluginCase>& info) {
                             return std::string(info.param.target);
                         });

// ---- a store that cannot be written ----

struct Fault {
    const char* what;
    void (*prepare)(const std::string& dir);
    bool needsUnwritableDirectory;  // root writes anyway: skipped then
    bool fullDisk;
};

void PrintTo(const Fault& f, std::ostream* out) {
    *out << f.what;
}

const Fault kFaults[] = {
    {"CorruptStore",
     [](const std::string& dir) {
         fs::remove(dir + "/machine.reg");
         std::ofstream(dir + "/machine.reg") << "ZVDS Registry 1\n[HKEY_LOCAL_MACHINE\\Soft\n";
     },
     false, false},
    {"StoreIsADirectory",
     [](const std::string& dir) {
         fs::remove(dir + "/machine.reg");
         fs::create_directory(dir + "/machine.reg");
     },
     false, false},
    {"DirectoryCannotBeMade",
     [](const std::string& dir) {
         setenv(zvds::registry::kDirectoryVariable, (dir + "/machine.reg/below").c_str(), 1);
     },
     false, false},
    {"DiskFull", [](const std::string&) {}, false, true},
    {"ReadOnlyDirectory", [](const std::string& dir) { chmod(dir.c_str(), 0555); }, true, false},
};

class FaultTest : public ztest::RegistryTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(FaultTest, ExportsGiveZeroAndTheStoreStaysAsItWas) {
    const Fault& fault = GetParam();
    // Sorts after the test family, so a cut new store would differ from the old one.
    Enter("Zz Another Family", "/opt/another.so");
    const auto storeSize = fs::file_size(StoreFile());
    fault.prepare(dir_);
    if (fault.needsUnwritableDirectory && access(dir_.c_str(), W_OK) == 0) {
        GTEST_SKIP() << "this user can write into a read-only directory";
    }
    const auto before = Snapshot();

    const int outcome = InChild([&] {
        if (fault.fullDisk) {
            // No new file may grow beyond the old store.
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit = {static_cast<rlim_t>(storeSize), static_cast<rlim_t>(storeSize)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        ztest::Plugin plugin(DSO_TEST_PATH);
        if (plugin.RegisterServer() != 0 || plugin.UnregisterServer() != 0) {
            return 1;
        }
        CRegistry key(std::string(kScopesSub) + "ZVDS Test Plug-in", 0, HKEY_LOCAL_MACHINE, kBase,
                      REG_OPTION_NON_VOLATILE);
        // The failure is there for whoever looks at the status.
        return (key.m_lResult != ERROR_SUCCESS && key.m_hKey == nullptr) ? 0 : 2;
    });
    EXPECT_EQ(outcome, 0);
    EXPECT_EQ(Snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultTest, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<Fault>& info) {
                             return std::string(info.param.what);
                         });

// ---- several installers at once ----

using ConcurrencyTest = ztest::RegistryTest;

TEST_F(ConcurrencyTest, FiveProcessesRegisteringAtOnceLoseNoEntry) {
    constexpr int kProcesses = 5;
    constexpr int kKeysEach = 10;
    const size_t pluginCount = sizeof kPlugins / sizeof kPlugins[0];
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < kProcesses; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            close(gate[1]);
            char c;
            while (read(gate[0], &c, 1) < 0 && errno == EINTR) {
            }
            // One plug-in through its export, then more keys to meet the others.
            int failures = 0;
            if (static_cast<size_t>(i) < pluginCount) {
                void* plugin = dlopen(kPlugins[i].path, RTLD_NOW | RTLD_LOCAL);
                auto reg = plugin != nullptr
                               ? reinterpret_cast<int32_t (*)()>(dlsym(plugin, "DllRegisterServer"))
                               : nullptr;
                failures += (reg == nullptr || reg() != 0);
            }
            for (int j = 0; j < kKeysEach; ++j) {
                const std::string name = "Family " + std::to_string(i) + "-" + std::to_string(j);
                CRegistry key(kScopesSub + name, 0, HKEY_LOCAL_MACHINE, kBase, 0);
                failures += key.m_lResult != ERROR_SUCCESS;
                failures += key.SetValue("DllPath", "/opt/" + name) != ERROR_SUCCESS;
            }
            _exit(failures == 0 ? 0 : 1);
        }
        ASSERT_GT(child, 0);
        children.push_back(child);
    }
    close(gate[0]);
    close(gate[1]);  // all of them go now
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    std::vector<std::string> families;
    ASSERT_EQ(zvds::registry::ListSubKeys(kScopes, families), ERROR_SUCCESS);
    const size_t plugins = std::min(pluginCount, static_cast<size_t>(kProcesses));
    EXPECT_EQ(families.size(), plugins + kProcesses * kKeysEach);
    for (size_t i = 0; i < plugins; ++i) {
        EXPECT_EQ(ReadBytes(kScopes + "\\" + kPlugins[i].family, "DllPath"),
                  Text(kPlugins[i].path));
    }
    for (int i = 0; i < kProcesses; ++i) {
        for (int j = 0; j < kKeysEach; ++j) {
            const std::string name = "Family " + std::to_string(i) + "-" + std::to_string(j);
            EXPECT_EQ(ReadBytes(kScopes + "\\" + name, "DllPath"), Text("/opt/" + name));
        }
    }
    // Nothing but the store and its lock is left behind.
    EXPECT_EQ(Snapshot().size(), 2u);
}

// ---- the module path ----

struct Placement {
    const char* what;
    bool relative;         // loaded as "./name" from its own directory
    size_t minimumLength;  // of the plug-in's directory
};

void PrintTo(const Placement& p, std::ostream* out) {
    *out << p.what;
}

const Placement kPlacements[] = {
    {"LoadedByARelativeName", true, 0},
    {"PathLongerThanTheEntryHolds", false, 300},
};

class ModulePathTest : public ztest::RegistryTest,
                       public ::testing::WithParamInterface<Placement> {};

TEST_P(ModulePathTest, EntryHoldsTheFullPathCutTo262Characters) {
    std::string dir = fs::canonical(dir_).string() + "/lib";
    while (dir.size() < GetParam().minimumLength) {
        dir += "/" + std::string(100, 'd');
    }
    fs::create_directories(dir);
    const std::string file = dir + "/libdso_test.so";
    fs::copy_file(DSO_TEST_PATH, file);

    const bool relative = GetParam().relative;
    EXPECT_EQ(InChild([&] {
                  if (relative && chdir(dir.c_str()) != 0) {
                      return 3;
                  }
                  void* plugin = dlopen(relative ? "./libdso_test.so" : file.c_str(), RTLD_NOW);
                  auto reg =
                      plugin != nullptr
                          ? reinterpret_cast<int32_t (*)()>(dlsym(plugin, "DllRegisterServer"))
                          : nullptr;
                  return reg != nullptr ? reg() : 4;
              }),
              0);
    EXPECT_EQ(ReadBytes(kScopes + "\\ZVDS Test Plug-in", "DllPath"), Text(file.substr(0, 262)));
}

INSTANTIATE_TEST_SUITE_P(Placements, ModulePathTest, ::testing::ValuesIn(kPlacements),
                         [](const ::testing::TestParamInfo<Placement>& info) {
                             return std::string(info.param.what);
                         });

}  // namespace
