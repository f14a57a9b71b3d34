// Access to the VISA library, bound on first use. The platform file
// (posix/VisaBinding.cpp or win32/VisaBinding.cpp) says where it comes from.
#pragma once

#include "Visa.h"

namespace zvds {

struct VisaApi {
    ViOpenDefaultRMFn openDefaultRM;
    ViOpenFn open;
    ViCloseFn close;
    ViGetAttributeFn getAttribute;
    ViSetAttributeFn setAttribute;
    ViReadFn read;
    ViWriteFn write;
};

// Fills all seven entries from one library; false when none is found.
bool BindVisaApi(VisaApi& api);

// The bound functions, or null while no VISA library can be found. A later
// call tries again, so a library that appears later is still used.
const VisaApi* Visa();

// Thin wrappers that fail with VI_ERROR_LIBRARY_NFOUND when nothing is bound.
namespace visa {
ViStatus OpenDefaultRM(ViSession* rm);
ViStatus Open(ViSession rm, const char* name, ViAccessMode mode, ViUInt32 timeout,
              ViSession* vi);
ViStatus Close(ViObject vi);
ViStatus GetAttribute(ViObject vi, ViAttr attr, void* value);
ViStatus SetAttribute(ViObject vi, ViAttr attr, ViAttrState value);
ViStatus Read(ViSession vi, ViBuf buf, ViUInt32 count, ViUInt32* received);
ViStatus Write(ViSession vi, ViConstBuf buf, ViUInt32 count, ViUInt32* written);
}  // namespace visa

}  // namespace zvds
