// A fresh registry store per test, and ways to read it back whole.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "RegistryStore.h"

namespace ztest {

class RegistryTest : public ::testing::Test {
protected:
    // Points the layer at a new empty directory; removed afterwards.
    void SetUp() override;
    void TearDown() override;

    std::string StoreFile() const { return dir_ + "/machine.reg"; }
    // The store's text; "" when there is no store file.
    std::string StoreText() const;
    void WriteStore(const std::string& text) const;
    // Every regular file of the store's directory with its bytes, and every
    // sub directory (as "name/").
    std::map<std::string, std::string> Snapshot() const;

    std::string dir_;
};

// Every key below `from`, depth first, as full paths.
std::vector<std::string> AllKeys(const std::string& from = "");
bool KeyExists(const std::string& key);
// A value's bytes; `type` receives its type (REG_NONE when absent).
std::string ReadBytes(const std::string& key, const std::string& name, DWORD* type = nullptr);

// Runs `body` in a child process and gives its result (-1 when it did not
// exit normally).
int InChild(const std::function<int()>& body);

}  // namespace ztest
