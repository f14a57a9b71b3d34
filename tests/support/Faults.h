// Short ways to arm the faults the driver tests use most.
#pragma once

#include <cstddef>
#include <string>

#include "Bench.h"

namespace ztest {

// The write of a message containing `command` fails; the instrument never sees it.
inline zsim::Fault WriteFault(const std::string& command, ViStatus status = VI_ERROR_IO) {
    zsim::Fault fault;
    fault.call = zsim::Call::Write;
    fault.command = command;
    fault.status = status;
    return fault;
}

// The read of the reply to `command` fails (Status, a time-out), returns
// nothing (Empty) or only its first `keep` bytes (Short).
inline zsim::Fault ReplyFault(const std::string& command, zsim::FaultKind kind, size_t keep = 0) {
    zsim::Fault fault;
    fault.call = zsim::Call::Read;
    fault.command = command;
    fault.kind = kind;
    fault.keep = keep;
    return fault;
}

// The reply to `command` is `replacement` instead.
inline zsim::Fault ReplacedReply(const std::string& command, const std::string& replacement) {
    zsim::Fault fault = ReplyFault(command, zsim::FaultKind::Replace);
    fault.replacement = replacement;
    return fault;
}

}  // namespace ztest
