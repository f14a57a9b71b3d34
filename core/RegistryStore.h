// The Linux registry layer's store of HKEY_LOCAL_MACHINE, and a small read API
// for tools that show what is registered.
//
// The store is one text file, machine.reg, in the directory named by the
// environment variable ZVDS_REGISTRY_DIR, or /var/lib/zvds/registry without
// it. Its form is that of exported registry files:
//
//   ZVDS Registry 1
//
//   [HKEY_LOCAL_MACHINE\Software\Morvane]
//   "DllPath"="/usr/lib/zvds/dso_rhx6000.so"
//   "Other"=hex(4):01,00,00,00
//
// A quoted value is REG_SZ data followed by one NUL; any other value is its
// type and exact bytes. In quoted texts \\, \" and \xHH stand for a backslash,
// a quote and a control character. Key and value names are looked up without
// regard to case and stored with the case they were created with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "RegistryApi.h"

namespace zvds {
namespace registry {

constexpr const char* kDirectoryVariable = "ZVDS_REGISTRY_DIR";
constexpr const char* kDefaultDirectory = "/var/lib/zvds/registry";

// The store file of HKEY_LOCAL_MACHINE as the environment now says.
std::string StorePath();

// `key` is a path below HKEY_LOCAL_MACHINE ("" for the root itself). The
// names come in the store's order, with their stored case. ERROR_FILE_NOT_FOUND
// for an absent key or value; other statuses when the store cannot be read.
LONG ListSubKeys(const std::string& key, std::vector<std::string>& names);
LONG ListValues(const std::string& key, std::vector<std::string>& names);
LONG ReadValue(const std::string& key, const std::string& name, DWORD& type,
               std::vector<uint8_t>& data);

}  // namespace registry
}  // namespace zvds
