// One registry key, opened (or created with its parents) for the life of one
// export call and closed when the object goes.
#pragma once

#include <string>

#include "Object.h"
#include "RegistryApi.h"

class CRegistry : public CObject {
public:
    static const CRuntimeClass classCRegistry;

    // The key is `baseKey`\`subKey`, or `subKey` alone without a base key,
    // with "\major.minor" (hexadecimal) appended for a non-zero version.
    CRegistry(const std::string& subKey, uint32_t version, HKEY root, const char* baseKey,
              DWORD options);
    ~CRegistry() override;
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    const CRuntimeClass* GetRuntimeClass() const override;

    // Writes `value` as REG_SZ with its terminating NUL; the status is also
    // kept in m_lResult.
    LONG SetValue(const char* name, const std::string& value);
    // Deletes `subKey` (m_strKey when null) under `root` (HKEY_LOCAL_MACHINE
    // when null). The status is only returned.
    LONG DeleteKey(HKEY root = nullptr, const char* subKey = nullptr);

    HKEY m_hKey;           // null until the key is open
    LONG m_lResult;        // status of the last key creation or value write
    std::string m_strKey;  // the composed key path
};
