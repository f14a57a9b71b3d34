#include "Registry.h"

#include <cstdio>
#include <vector>

const CRuntimeClass CRegistry::classCRegistry = {"CRegistry", &CObject::classCObject};

const CRuntimeClass* CRegistry::GetRuntimeClass() const {
    return &classCRegistry;
}

CRegistry::CRegistry(const std::string& subKey, uint32_t version, HKEY root, const char* baseKey,
                     DWORD options)
    : m_hKey(nullptr), m_lResult(ERROR_SUCCESS) {
    std::string prefix;
    if (baseKey != nullptr) {
        prefix = std::string(baseKey) + "\\";
    }
    const char* format = version == 0 ? "%s%s" : "%s%s\\%x.%x";
    const unsigned major = version >> 16;
    const unsigned minor = version & 0xFFFFu;
    const int length =
        std::snprintf(nullptr, 0, format, prefix.c_str(), subKey.c_str(), major, minor);
    std::vector<char> text(static_cast<size_t>(length) + 1);
    std::snprintf(text.data(), text.size(), format, prefix.c_str(), subKey.c_str(), major, minor);
    m_strKey.assign(text.data(), static_cast<size_t>(length));

    HKEY key = nullptr;
    DWORD disposition = 0;
    m_lResult = RegCreateKeyExA(root, m_strKey.c_str(), 0, nullptr, options, KEY_ALL_ACCESS,
                                nullptr, &key, &disposition);
    if (m_lResult == ERROR_SUCCESS) {
        m_hKey = key;
    }
}

CRegistry::~CRegistry() {
    if (m_hKey != nullptr) {
        RegCloseKey(m_hKey);
    }
}

LONG CRegistry::SetValue(const char* name, const std::string& value) {
    if (m_hKey == nullptr) {
        // The key was never opened: nothing to write into.
        m_lResult = ERROR_INVALID_HANDLE;
        return m_lResult;
    }
    m_lResult =
        RegSetValueExA(m_hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    return m_lResult;
}

LONG CRegistry::DeleteKey(HKEY root, const char* subKey) {
    return RegDeleteKeyA(root != nullptr ? root : HKEY_LOCAL_MACHINE,
                         subKey != nullptr ? subKey : m_strKey.c_str());
}
