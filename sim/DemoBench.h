// The simulated bench of the host tool's demonstration: one instrument of each
// family at a fixed address, showing signals like a real bench.
//
//   DEV1  LeCroy 9354AM   C1 sine, C2 ringing square, C3 ramp, C4 decaying burst
//   DEV2  LeCroy 9350AM   C1 ramp, C2 decaying burst
//   DEV3  RHX4403A        CH1 sine, CH2 ringing square, REF1 ramp (others off)
//   DEV4  RHX6104 (DUAL)  CH1 sine, CH2 ringing square, REF1..REF20 ramp
//   DEV5  TDS 320         CH1 sine, CH2 decaying burst, MATH1 ringing square, REF1/2 ramp
//   DEV6  RVT8801         CH1 ringing square, CH2 ramp, MEM1 sine (MEM2 off)
#pragma once

#include <string>

#include "Bench.h"
#include "Waveforms.h"

namespace zsim {

// Puts the bench's instruments at their addresses (GPIB0::1 to GPIB0::6).
ZSIM_API void InstallDemoBench();

// The signal shown on a channel of the bench; false when the bench has no
// such channel.
ZSIM_API bool DemoShape(const std::string& address, const std::string& channel, WaveShape& shape);

// Points per record that each instrument of the bench quantises.
constexpr size_t kDemoLeCroyRecord = 49152;  // 12288 points at sparsing 4

}  // namespace zsim

// For programs that load the simulator at run time (the host tool).
extern "C" ZSIM_API void zsim_InstallDemoBench();
