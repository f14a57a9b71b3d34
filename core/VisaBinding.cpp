#include "VisaBinding.h"

#include <atomic>

namespace zvds {

namespace {
std::atomic<const VisaApi*> g_api{nullptr};
}

const VisaApi* Visa() {
    const VisaApi* api = g_api.load(std::memory_order_acquire);
    if (api != nullptr) {
        return api;
    }
    VisaApi bound{};
    if (!BindVisaApi(bound)) {
        return nullptr;
    }
    // Two threads binding at once build the same table; one of them is kept
    // for the life of the process (it is never freed, like the library).
    const VisaApi* mine = new VisaApi(bound);
    const VisaApi* expected = nullptr;
    if (g_api.compare_exchange_strong(expected, mine, std::memory_order_acq_rel)) {
        return mine;
    }
    delete mine;
    return expected;
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
