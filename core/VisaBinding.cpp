#include "VisaBinding.h"

#include <atomic>
#include <thread>

namespace zvds {

namespace {
// The table lives in static storage, so nothing is left behind when the
// plug-in is unloaded. 0: not bound, 1: a thread is binding, 2: bound.
VisaApi g_table{};
std::atomic<int> g_state{0};
}  // namespace

const VisaApi* Visa() {
    for (;;) {
        int state = g_state.load(std::memory_order_acquire);
        if (state == 2) {
            return &g_table;
        }
        if (state == 0 && g_state.compare_exchange_strong(state, 1, std::memory_order_acq_rel)) {
            const bool bound = BindVisaApi(g_table);
            // Without a library, a later call tries again.
            g_state.store(bound ? 2 : 0, std::memory_order_release);
            return bound ? &g_table : nullptr;
        }
        std::this_thread::yield();  // another thread is binding; it takes moments
    }
}

namespace visa {

ViStatus OpenDefaultRM(ViSession* rm) {
    const VisaApi* api = Visa();
    return api ? api->openDefaultRM(rm) : VI_ERROR_LIBRARY_NFOUND;
}

ViStatus Open(ViSession rm, const char* name, ViAccessMode mode, ViUInt32 timeout,
              ViSession* vi) {
    const VisaApi* api = Visa();
    return api ? api->open(rm, name, mode, timeout, vi) : VI_ERROR_LIBRARY_NFOUND;
}

ViStatus Close(ViObject vi) {
    const VisaApi* api = Visa();
    return api ? api->close(vi) : VI_ERROR_LIBRARY_NFOUND;
}

ViStatus GetAttribute(ViObject vi, ViAttr attr, void* value) {
    const VisaApi* api = Visa();
    return api ? api->getAttribute(vi, attr, value) : VI_ERROR_LIBRARY_NFOUND;
}

ViStatus SetAttribute(ViObject vi, ViAttr attr, ViAttrState value) {
    const VisaApi* api = Visa();
    return api ? api->setAttribute(vi, attr, value) : VI_ERROR_LIBRARY_NFOUND;
}

ViStatus Read(ViSession vi, ViBuf buf, ViUInt32 count, ViUInt32* received) {
    const VisaApi* api = Visa();
    return api ? api->read(vi, buf, count, received) : VI_ERROR_LIBRARY_NFOUND;
}

ViStatus Write(ViSession vi, ViConstBuf buf, ViUInt32 count, ViUInt32* written) {
    const VisaApi* api = Visa();
    return api ? api->write(vi, buf, count, written) : VI_ERROR_LIBRARY_NFOUND;
}

}  // namespace visa
}  // namespace zvds
