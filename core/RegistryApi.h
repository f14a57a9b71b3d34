// The registry functions that CRegistry uses. Windows has them; on Linux the
// core brings its own layer with the same names and argument shapes
// (posix/RegistryStore.cpp), so that CRegistry is one code for both.
#pragma once

#if defined(_WIN32)

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#else

#include <cstdint>

// An open key of the Linux layer; the definition is the layer's own.
struct ZvdsRegistryKey;
typedef ZvdsRegistryKey* HKEY;
typedef int32_t LONG;  // 32 bits on both targets
typedef uint32_t DWORD;
typedef uint8_t BYTE;
typedef DWORD REGSAM;

// The one root the layer keeps a store for.
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000002u)))

// Statuses, with the numbers of the system error codes.
constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_PATH_NOT_FOUND = 3;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_DISK_FULL = 112;
constexpr LONG ERROR_BAD_PATHNAME = 161;
constexpr LONG ERROR_BADDB = 1009;  // the store cannot be parsed
constexpr LONG ERROR_CANTREAD = 1012;
constexpr LONG ERROR_CANTWRITE = 1013;
constexpr LONG ERROR_KEY_DELETED = 1018;

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// Opens `subKey` below `key`, creating it and any missing parent. The class,
// options, access and security arguments are accepted and not used.
LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options,
                     REGSAM access, void* security, HKEY* result, DWORD* disposition);
// Writes a value of any type with exactly `size` bytes of `data`.
LONG RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size);
// Deletes `subKey` below `key` with its values; a key with sub keys stays.
LONG RegDeleteKeyA(HKEY key, const char* subKey);
LONG RegCloseKey(HKEY key);

#endif
