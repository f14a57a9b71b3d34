// Heap allocations of the benchmark program, counted per thread and split
// into those made inside the simulated VISA library and all others.
#pragma once

#include <cstdint>

namespace zbench {

struct Allocations {
    uint64_t ours = 0;       // outside the simulator: the plug-in's (and the benchmark's)
    uint64_t simulator = 0;  // inside a VISA call of the simulator
};

// The counts of this thread so far.
Allocations CountedAllocations();

// While one is alive, this thread's allocations are the simulator's. The VISA
// functions of this program (VisaShim.cpp) hold one around each call.
class InSimulator {
public:
    InSimulator();
    ~InSimulator();
    InSimulator(const InSimulator&) = delete;
    InSimulator& operator=(const InSimulator&) = delete;
};

}  // namespace zbench
