// Control of the simulated VISA library, for tests, benchmarks and the demo:
// which instrument answers at which resource, what was called, which call
// fails. The VISA functions themselves are exported under their standard
// names (see VisaExports.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "../core/Visa.h"
#include "Instrument.h"
#include "SimApi.h"

namespace zsim {

enum class Call { OpenDefaultRM, Open, Close, GetAttribute, SetAttribute, Read, Write };

ZSIM_API const char* CallName(Call call);

// One VISA call as the simulator saw it.
struct CallRecord {
    Call call;
    ViSession session;   // the session the call was made on (the new one for viOpen)
    std::string resource;  // viOpen: the name asked for
    ViAttr attribute;    // viGetAttribute / viSetAttribute
    ViAttrState value;   // the value set or returned
    std::string data;    // bytes written, or bytes read
    ViUInt32 count;      // viRead / viWrite: count asked for
    ViStatus status;
};

enum class FaultKind {
    Status,    // the call fails with `status`; a failed read loses the reply
    Empty,     // a read returns no bytes (success); the reply is lost
    Short,     // a read returns the first `keep` bytes of the reply as a whole message
    Replace,   // a read returns `replacement` in place of the reply
};

struct Fault {
    Call call = Call::Read;
    int nth = 1;  // the n-th matching call after arming, from 1
    // Only calls on replies to (reads) or writes of a message that contains this text;
    // for a read, the last message written on that session is looked at.
    std::string command;
    // For attribute calls: only this attribute (0: any).
    ViAttr attribute = 0;
    FaultKind kind = FaultKind::Status;
    ViStatus status = VI_ERROR_TMO;
    size_t keep = 0;
    std::string replacement;
};

// Removes every instrument, instrument session, fault and record; resource
// managers stay open.
ZSIM_API void Reset();
// Binds an instrument to a resource. "GPIB0::5" and "GPIB0::5::INSTR" name the
// same resource; case does not matter.
ZSIM_API void AddInstrument(const std::string& resource, std::shared_ptr<Instrument> instrument);
ZSIM_API void RemoveInstrument(const std::string& resource);

ZSIM_API std::vector<CallRecord> Transcript();
ZSIM_API void ClearTranscript();
// Recording can be switched off where only speed matters.
ZSIM_API void SetRecording(bool on);
// The bytes of every viWrite that reached an instrument, in order.
ZSIM_API std::vector<std::string> Writes();

ZSIM_API void ArmFault(const Fault& fault);
ZSIM_API void ClearFaults();

ZSIM_API bool IsOpen(ViSession session);
ZSIM_API int OpenInstrumentSessions();
ZSIM_API int DefaultRMOpenCount();
// The value of an attribute of an open session, as viGetAttribute would give it.
ZSIM_API bool SessionAttribute(ViSession session, ViAttr attribute, ViAttrState& value);

// Runs fn with the simulator's lock held, for reading or changing an
// instrument model's state while other threads use it.
template <class Fn>
void WithLock(Fn&& fn);
ZSIM_API void Lock();
ZSIM_API void Unlock();

template <class Fn>
void WithLock(Fn&& fn) {
    Lock();
    try {
        fn();
    } catch (...) {
        Unlock();
        throw;
    }
    Unlock();
}

}  // namespace zsim
