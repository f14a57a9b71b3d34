#include "RegistryTest.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace ztest {

void RegistryTest::SetUp() {
    std::string pattern = (fs::temp_directory_path() / "zvds-registry-XXXXXX").string();
    ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
    dir_ = pattern;
    setenv(zvds::registry::kDirectoryVariable, dir_.c_str(), 1);
}

void RegistryTest::TearDown() {
    unsetenv(zvds::registry::kDirectoryVariable);
    std::error_code ignored;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir_, ignored);
}

std::string RegistryTest::StoreText() const {
    std::ifstream in(StoreFile(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void RegistryTest::WriteStore(const std::string& text) const {
    std::ofstream(StoreFile(), std::ios::binary) << text;
}

std::map<std::string, std::string> RegistryTest::Snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir_)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory()) {
            files[name + "/"] = "";
        } else {
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            files[name] = text.str();
        }
    }
    return files;
}

std::vector<std::string> AllKeys(const std::string& from) {
    std::vector<std::string> keys;
    std::vector<std::string> names;
    EXPECT_EQ(zvds::registry::ListSubKeys(from, names), ERROR_SUCCESS) << from;
    for (const std::string& name : names) {
        const std::string path = from.empty() ? name : from + "\\" + name;
        keys.push_back(path);
        for (const std::string& below : AllKeys(path)) {
            keys.push_back(below);
        }
    }
    return keys;
}

bool KeyExists(const std::string& key) {
    std::vector<std::string> names;
    return zvds::registry::ListSubKeys(key, names) == ERROR_SUCCESS;
}

std::string ReadBytes(const std::string& key, const std::string& name, DWORD* type) {
    DWORD found = REG_NONE;
    std::vector<uint8_t> data;
    if (zvds::registry::ReadValue(key, name, found, data) != ERROR_SUCCESS) {
        found = REG_NONE;
    }
    if (type != nullptr) {
        *type = found;
    }
    return std::string(data.begin(), data.end());
}

int InChild(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(body());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

}  // namespace ztest
