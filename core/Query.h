// One command and its text reply: how every driver asks its instrument.
#pragma once

#include <string>

#include "GpibDevice.h"

namespace zvds {

inline std::string Query(CGpibDevice& device, const char* command) {
    device.WriteString(command);
    std::string reply;
    device.ReadString(reply);
    return reply;
}

}  // namespace zvds
