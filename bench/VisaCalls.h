// The VISA functions as this program defines them (VisaShim.cpp): the
// plug-ins' calls and the baselines' both go through them to the simulator.
#pragma once

#include "Visa.h"

#define ZBENCH_VISA extern "C" __attribute__((visibility("default")))

ZBENCH_VISA ViStatus viOpenDefaultRM(ViSession* rm);
ZBENCH_VISA ViStatus viOpen(ViSession rm, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout,
                            ViSession* vi);
ZBENCH_VISA ViStatus viClose(ViObject vi);
ZBENCH_VISA ViStatus viGetAttribute(ViObject vi, ViAttr attribute, void* value);
ZBENCH_VISA ViStatus viSetAttribute(ViObject vi, ViAttr attribute, ViAttrState value);
ZBENCH_VISA ViStatus viRead(ViSession vi, ViBuf buffer, ViUInt32 count, ViUInt32* received);
ZBENCH_VISA ViStatus viWrite(ViSession vi, ViConstBuf buffer, ViUInt32 count, ViUInt32* written);

namespace zbench {
// Looks the simulator's functions up now, before anything is timed.
void BindSimulatorVisa();
}  // namespace zbench
