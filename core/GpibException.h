// The one exception of the plug-ins: a message number, thrown as a pointer to
// a heap object that the catching export frees with Delete().
#pragma once

#include <cstdint>

#include "Object.h"

class CGpibDevice;

class CGpibException : public CException {
public:
    CGpibException(CGpibDevice* device, int32_t number)
        : m_pDevice(device), m_nError(number) {}
    ~CGpibException() override;

    CGpibDevice* m_pDevice;  // the session that raised it; informational only
    int32_t m_nError;
};

// Raises message `number` on behalf of `device`.
[[noreturn]] void ThrowGpibException(CGpibDevice* device, int32_t number);
