// The seven VISA functions, defined in the benchmark program. A plug-in binds
// VISA from the process's global scope, where this program comes first, so
// its calls arrive here; each is passed on to the simulator's function of the
// same name with the allocation counter switched to the simulator. The
// baseline dialogues call these same functions, so both sides pay the same
// small detour.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "Counting.h"
#include "VisaBinding.h"
#include "VisaCalls.h"

namespace {

// The simulator's seven functions, in the core's table.
using SimulatorVisa = zvds::VisaApi;

template <class Fn>
void Next(const char* name, Fn& out) {
    // The next definition after this program's: the simulator's.
    void* symbol = dlsym(RTLD_NEXT, name);
    if (symbol == nullptr) {
        std::fprintf(stderr, "zvds_bench: no %s after the program's own\n", name);
        std::abort();
    }
    out = reinterpret_cast<Fn>(symbol);
}

SimulatorVisa Bind() {
    SimulatorVisa v{};
    Next("viOpenDefaultRM", v.openDefaultRM);
    Next("viOpen", v.open);
    Next("viClose", v.close);
    Next("viGetAttribute", v.getAttribute);
    Next("viSetAttribute", v.setAttribute);
    Next("viRead", v.read);
    Next("viWrite", v.write);
    return v;
}

const SimulatorVisa& Sim() {
    static const SimulatorVisa visa = Bind();
    return visa;
}

}  // namespace

void zbench::BindSimulatorVisa() {
    Sim();
}

ZBENCH_VISA ViStatus viOpenDefaultRM(ViSession* rm) {
    zbench::InSimulator in;
    return Sim().openDefaultRM(rm);
}

ZBENCH_VISA ViStatus viOpen(ViSession rm, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout,
                            ViSession* vi) {
    zbench::InSimulator in;
    return Sim().open(rm, name, mode, timeout, vi);
}

ZBENCH_VISA ViStatus viClose(ViObject vi) {
    zbench::InSimulator in;
    return Sim().close(vi);
}

ZBENCH_VISA ViStatus viGetAttribute(ViObject vi, ViAttr attribute, void* value) {
    zbench::InSimulator in;
    return Sim().getAttribute(vi, attribute, value);
}

ZBENCH_VISA ViStatus viSetAttribute(ViObject vi, ViAttr attribute, ViAttrState value) {
    zbench::InSimulator in;
    return Sim().setAttribute(vi, attribute, value);
}

ZBENCH_VISA ViStatus viRead(ViSession vi, ViBuf buffer, ViUInt32 count, ViUInt32* received) {
    zbench::InSimulator in;
    return Sim().read(vi, buffer, count, received);
}

ZBENCH_VISA ViStatus viWrite(ViSession vi, ViConstBuf buffer, ViUInt32 count, ViUInt32* written) {
    zbench::InSimulator in;
    return Sim().write(vi, buffer, count, written);
}
