#include "GpibException.h"

CGpibException::~CGpibException() = default;

void ThrowGpibException(CGpibDevice* device, int32_t number) {
    throw new CGpibException(device, number);
}
