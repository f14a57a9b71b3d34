// The simulated VISA library: the seven VISA functions over instrument
// models, with per-session attributes, read termination as vendor libraries
// do it, a transcript of every call and injected faults.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <mutex>

#include "Bench.h"
#include "Text.h"

namespace zsim {

namespace {

struct AttributeInfo {
    ViAttr attribute;
    size_t width;  // bytes that viGetAttribute writes
    ViAttrState initial;
    ViUInt16 onlyFor;  // 0: every interface
    bool readOnly;
};

// Defaults as vendor libraries set them for a new session.
const AttributeInfo kAttributes[] = {
    {VI_ATTR_INTF_TYPE, 2, 0, 0, true},
    {VI_ATTR_INTF_NUM, 2, 0, 0, true},
    {VI_ATTR_TMO_VALUE, 4, 2000, 0, false},
    {VI_ATTR_TERMCHAR, 1, '\n', 0, false},
    {VI_ATTR_TERMCHAR_EN, 2, VI_FALSE, 0, false},
    {VI_ATTR_GPIB_READDR_EN, 2, VI_TRUE, VI_INTF_GPIB, false},
    {VI_ATTR_ASRL_BAUD, 4, 9600, VI_INTF_ASRL, false},
    {VI_ATTR_ASRL_DATA_BITS, 2, 8, VI_INTF_ASRL, false},
    {VI_ATTR_ASRL_PARITY, 2, VI_ASRL_PAR_NONE, VI_INTF_ASRL, false},
    {VI_ATTR_ASRL_STOP_BITS, 2, VI_ASRL_STOP_ONE, VI_INTF_ASRL, false},
    {VI_ATTR_ASRL_FLOW_CNTRL, 2, VI_ASRL_FLOW_NONE, VI_INTF_ASRL, false},
    {VI_ATTR_ASRL_END_IN, 2, VI_ASRL_END_TERMCHAR, VI_INTF_ASRL, false},
};

const AttributeInfo* FindAttribute(ViAttr attribute) {
    for (const AttributeInfo& info : kAttributes) {
        if (info.attribute == attribute) {
            return &info;
        }
    }
    return nullptr;
}

struct Session {
    bool isManager = false;
    ViSession manager = 0;
    std::string resource;
    ViUInt16 intfType = 0;
    ViUInt16 intfNum = 0;
    std::map<ViAttr, ViAttrState> attributes;
    std::string lastWrite;
};

struct ArmedFault {
    Fault fault;
    int seen = 0;
};

struct State {
    std::recursive_mutex mutex;
    std::map<std::string, std::shared_ptr<Instrument>> instruments;
    std::map<ViSession, Session> sessions;
    std::vector<CallRecord> transcript;
    std::vector<ArmedFault> faults;
    ViSession nextSession = 0x100;
    int managerOpens = 0;
    bool recording = true;
    std::vector<std::string> writes;
};

State& S() {
    static State* state = new State;  // outlives every static user
    return *state;
}

// "gpib0::5::instr" -> "GPIB0::5"; "GPIB::5" -> "GPIB0::5".
std::string CanonicalResource(const std::string& name) {
    std::string text = Upper(name);
    const std::string suffix = "::INSTR";
    if (text.size() > suffix.size() &&
        text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0) {
        text.erase(text.size() - suffix.size());
    }
    for (const char* prefix : {"GPIB", "ASRL", "TCPIP", "USB", "VXI", "PXI"}) {
        const size_t n = strlen(prefix);
        if (text.compare(0, n, prefix) == 0 && text.compare(n, 2, "::") == 0) {
            text.insert(n, "0");
        }
    }
    return text;
}

bool InterfaceOf(const std::string& canonical, ViUInt16& type, ViUInt16& number) {
    struct Prefix {
        const char* text;
        ViUInt16 type;
    };
    const Prefix prefixes[] = {{"GPIB-VXI", VI_INTF_GPIB_VXI},
                               {"GPIB", VI_INTF_GPIB},
                               {"ASRL", VI_INTF_ASRL},
                               {"TCPIP", VI_INTF_TCPIP},
                               {"USB", VI_INTF_USB},
                               {"VXI", VI_INTF_VXI},
                               {"PXI", VI_INTF_PXI}};
    for (const Prefix& p : prefixes) {
        const size_t n = strlen(p.text);
        if (canonical.compare(0, n, p.text) == 0) {
            type = p.type;
            number = static_cast<ViUInt16>(atoi(canonical.c_str() + n));
            return true;
        }
    }
    return false;
}

void Record(State& s, CallRecord record) {
    if (s.recording) {
        s.transcript.push_back(std::move(record));
    }
}

// The armed fault that applies to this call, if any (counts it either way).
const Fault* TakeFault(State& s, Call call, const std::string& message, ViAttr attribute) {
    for (auto it = s.faults.begin(); it != s.faults.end(); ++it) {
        const Fault& f = it->fault;
        if (f.call != call) {
            continue;
        }
        if (!f.command.empty() && message.find(f.command) == std::string::npos) {
            continue;
        }
        if (f.attribute != 0 && f.attribute != attribute) {
            continue;
        }
        if (++it->seen == f.nth) {
            static thread_local Fault fired;
            fired = f;
            s.faults.erase(it);
            return &fired;
        }
    }
    return nullptr;
}

Session* Find(State& s, ViObject vi) {
    auto it = s.sessions.find(vi);
    return it == s.sessions.end() ? nullptr : &it->second;
}

Instrument* InstrumentOf(State& s, const Session& session) {
    auto it = s.instruments.find(session.resource);
    return it == s.instruments.end() ? nullptr : it->second.get();
}

ViAttrState AttributeOf(const Session& session, ViAttr attribute) {
    auto it = session.attributes.find(attribute);
    return it == session.attributes.end() ? 0 : it->second;
}

// The session and the description of one of its attributes; a status when
// there is no such session or the session has no such attribute.
ViStatus LookUpAttribute(State& s, ViObject vi, ViAttr attribute, Session*& session,
                         const AttributeInfo*& info) {
    session = Find(s, vi);
    if (session == nullptr) {
        return VI_ERROR_INV_OBJECT;
    }
    info = FindAttribute(attribute);
    if (info == nullptr || session->attributes.count(attribute) == 0) {
        return VI_ERROR_NSUP_ATTR;
    }
    return VI_SUCCESS;
}

// One VISA call: holds the simulator's lock for the call, and adds the
// call's record to the transcript when it finishes with its status.
class CallScope {
public:
    CallScope(Call call, ViSession session) : state(S()), m_lock(state.mutex), record{} {
        record.call = call;
        record.session = session;
    }
    ViStatus Finish(ViStatus status) {
        record.status = status;
        Record(state, record);
        return status;
    }

    State& state;

private:
    std::lock_guard<std::recursive_mutex> m_lock;

public:
    CallRecord record;
};

}  // namespace

const char* CallName(Call call) {
    switch (call) {
        case Call::OpenDefaultRM:
            return "viOpenDefaultRM";
        case Call::Open:
            return "viOpen";
        case Call::Close:
            return "viClose";
        case Call::GetAttribute:
            return "viGetAttribute";
        case Call::SetAttribute:
            return "viSetAttribute";
        case Call::Read:
            return "viRead";
        case Call::Write:
            return "viWrite";
    }
    return "?";
}

void Lock() {
    S().mutex.lock();
}
void Unlock() {
    S().mutex.unlock();
}

void Reset() {
    State& s = S();
    std::lock_guard<std::recursive_mutex> lock(s.mutex);
    s.instruments.clear();
    // Resource managers live as long as the process, as in a real library:
    // a plug-in keeps its own open from one test to the next. Session numbers
    // are never reused, so a stale handle never meets a new session.
    for (auto it = s.sessions.begin(); it != s.sessions.end();) {
        it = it->second.isManager ? std::next(it) : s.sessions.erase(it);
    }
    s.transcript.clear();
    s.faults.clear();
    s.writes.clear();
    s.recording = true;
}

void AddInstrument(const std::string& resource, std::shared_ptr<Instrument> instrument) {
    State& s = S();
    std::lock_guard<std::recursive_mutex> lock(s.mutex);
    s.instruments[CanonicalResource(resource)] = std::move(instrument);
}

void RemoveInstrument(const std::string& resource) {
    State& s = S();
    std::lock_guard<std::recursive_mutex> lock(s.mutex);
    s.instruments.erase(CanonicalResource(resource));
}

std::vector<CallRecord> Transcript() {
    State& s = S();
    std::lock_guard<std::recursive_mutex> lock(s.mutex);
    return s.transcript;
}

void ClearTranscript() {
    State& s = S();
    std::lock_guard<std::recursive_mutex> lock(s.mutex);
    s.transcript.clear();
    s.writes.clear();
}

void SetRecording(bool on) {
    State& s = S();
    std::lock_guard<std::recursive_mutex> lock(s.mutex);
    s.recording = on;
}

std::vector<std::string> Writes() {
    State& s = S();
    std::lock_guard<std::recursive_mutex> lock(s.mutex);
    return s.writes;
}

void ArmFault(const Fault& fault) {
    State& s = S();
    std::lock_guard<std::recursive_mutex> lock(s.mutex);
    s.faults.push_back(ArmedFault{fault, 0});
}

void ClearFaults() {
    State& s = S();
    std::lock_guard<std::recursive_mutex> lock(s.mutex);
    s.faults.clear();
}

bool IsOpen(ViSession session) {
    State& s = S();
    std::lock_guard<std::recursive_mutex> lock(s.mutex);
    return Find(s, session) != nullptr;
}

int OpenInstrumentSessions() {
    State& s = S();
    std::lock_guard<std::recursive_mutex> lock(s.mutex);
    return static_cast<int>(std::count_if(s.sessions.begin(), s.sessions.end(),
                                          [](const auto& e) { return !e.second.isManager; }));
}

int DefaultRMOpenCount() {
    State& s = S();
    std::lock_guard<std::recursive_mutex> lock(s.mutex);
    return s.managerOpens;
}

bool SessionAttribute(ViSession session, ViAttr attribute, ViAttrState& value) {
    State& s = S();
    std::lock_guard<std::recursive_mutex> lock(s.mutex);
    Session* found = Find(s, session);
    if (found == nullptr || found->attributes.count(attribute) == 0) {
        return false;
    }
    value = found->attributes[attribute];
    return true;
}

}  // namespace zsim

using namespace zsim;

// The VISA functions with the VISA calling convention; on Windows their names
// and ordinals come from VISA32.def.
#if defined(_WIN32)
#define ZSIM_VISA extern "C"
#else
#define ZSIM_VISA extern "C" __attribute__((visibility("default")))
#endif

ZSIM_VISA ViStatus ZVDS_VISA_CALL viOpenDefaultRM(ViSession* rm) {
    CallScope call(Call::OpenDefaultRM, 0);
    State& s = call.state;
    CallRecord& r = call.record;
    if (const Fault* f = TakeFault(s, Call::OpenDefaultRM, "", 0)) {
        return call.Finish(f->status);
    }
    if (rm == nullptr) {
        return call.Finish(VI_ERROR_INV_OBJECT);
    }
    const ViSession id = s.nextSession++;
    Session session;
    session.isManager = true;
    s.sessions[id] = session;
    ++s.managerOpens;
    *rm = id;
    r.session = id;
    return call.Finish(VI_SUCCESS);
}

ZSIM_VISA ViStatus ZVDS_VISA_CALL viOpen(ViSession rm, ViConstRsrc name, ViAccessMode, ViUInt32,
                                         ViSession* vi) {
    CallScope call(Call::Open, 0);
    State& s = call.state;
    CallRecord& r = call.record;
    r.resource = name ? name : "";
    if (const Fault* f = TakeFault(s, Call::Open, r.resource, 0)) {
        return call.Finish(f->status);
    }
    Session* manager = Find(s, rm);
    if (manager == nullptr || !manager->isManager) {
        return call.Finish(VI_ERROR_INV_OBJECT);
    }
    if (vi == nullptr) {
        return call.Finish(VI_ERROR_INV_OBJECT);
    }
    const std::string canonical = CanonicalResource(r.resource);
    Session session;
    if (canonical.empty() || !InterfaceOf(canonical, session.intfType, session.intfNum)) {
        return call.Finish(VI_ERROR_INV_RSRC_NAME);
    }
    if (s.instruments.count(canonical) == 0) {
        return call.Finish(VI_ERROR_RSRC_NFOUND);
    }
    session.manager = rm;
    session.resource = canonical;
    for (const AttributeInfo& info : kAttributes) {
        if (info.onlyFor == 0 || info.onlyFor == session.intfType) {
            session.attributes[info.attribute] = info.initial;
        }
    }
    session.attributes[VI_ATTR_INTF_TYPE] = session.intfType;
    session.attributes[VI_ATTR_INTF_NUM] = session.intfNum;
    const ViSession id = s.nextSession++;
    s.sessions[id] = session;
    *vi = id;
    r.session = id;
    return call.Finish(VI_SUCCESS);
}

ZSIM_VISA ViStatus ZVDS_VISA_CALL viClose(ViObject vi) {
    CallScope call(Call::Close, vi);
    State& s = call.state;
    if (const Fault* f = TakeFault(s, Call::Close, "", 0)) {
        return call.Finish(f->status);
    }
    Session* session = Find(s, vi);
    if (session == nullptr) {
        return call.Finish(VI_ERROR_INV_OBJECT);
    }
    if (session->isManager) {
        // Closing a resource manager closes every session opened through it.
        for (auto it = s.sessions.begin(); it != s.sessions.end();) {
            it = (it->second.manager == vi) ? s.sessions.erase(it) : std::next(it);
        }
    }
    s.sessions.erase(vi);
    return call.Finish(VI_SUCCESS);
}

ZSIM_VISA ViStatus ZVDS_VISA_CALL viGetAttribute(ViObject vi, ViAttr attribute, void* value) {
    CallScope call(Call::GetAttribute, vi);
    State& s = call.state;
    CallRecord& r = call.record;
    r.attribute = attribute;
    if (const Fault* f = TakeFault(s, Call::GetAttribute, "", attribute)) {
        return call.Finish(f->status);
    }
    Session* session = nullptr;
    const AttributeInfo* info = nullptr;
    if (const ViStatus status = LookUpAttribute(s, vi, attribute, session, info)) {
        return call.Finish(status);
    }
    r.value = session->attributes[attribute];
    if (value != nullptr) {
        switch (info->width) {
            case 1:
                *static_cast<ViByte*>(value) = static_cast<ViByte>(r.value);
                break;
            case 2:
                *static_cast<ViUInt16*>(value) = static_cast<ViUInt16>(r.value);
                break;
            default:
                *static_cast<ViUInt32*>(value) = static_cast<ViUInt32>(r.value);
                break;
        }
    }
    return call.Finish(VI_SUCCESS);
}

ZSIM_VISA ViStatus ZVDS_VISA_CALL viSetAttribute(ViObject vi, ViAttr attribute, ViAttrState value) {
    CallScope call(Call::SetAttribute, vi);
    State& s = call.state;
    CallRecord& r = call.record;
    r.attribute = attribute;
    r.value = value;
    if (const Fault* f = TakeFault(s, Call::SetAttribute, "", attribute)) {
        return call.Finish(f->status);
    }
    Session* session = nullptr;
    const AttributeInfo* info = nullptr;
    if (const ViStatus status = LookUpAttribute(s, vi, attribute, session, info)) {
        return call.Finish(status);
    }
    if (info->readOnly) {
        return call.Finish(VI_ERROR_ATTR_READONLY);
    }
    const bool isBoolean = attribute == VI_ATTR_TERMCHAR_EN || attribute == VI_ATTR_GPIB_READDR_EN;
    if ((isBoolean && value > 1) || (info->width == 1 && value > 0xFF) ||
        (info->width == 2 && !isBoolean && value > 0xFFFF)) {
        return call.Finish(VI_ERROR_NSUP_ATTR_STATE);
    }
    session->attributes[attribute] = value;
    return call.Finish(VI_SUCCESS);
}

ZSIM_VISA ViStatus ZVDS_VISA_CALL viWrite(ViSession vi, ViConstBuf buffer, ViUInt32 count,
                                          ViUInt32* written) {
    CallScope call(Call::Write, vi);
    State& s = call.state;
    CallRecord& r = call.record;
    r.count = count;
    if (buffer != nullptr) {
        r.data.assign(reinterpret_cast<const char*>(buffer), count);
    }
    if (written != nullptr) {
        *written = 0;
    }
    Session* session = Find(s, vi);
    if (session == nullptr || session->isManager) {
        return call.Finish(VI_ERROR_INV_OBJECT);
    }
    if (const Fault* f = TakeFault(s, Call::Write, r.data, 0)) {
        return call.Finish(f->status);  // the instrument never saw it
    }
    session->lastWrite = r.data;
    if (Instrument* instrument = InstrumentOf(s, *session)) {
        if (s.recording) {
            s.writes.push_back(r.data);
        }
        instrument->Receive(r.data);
    }
    if (written != nullptr) {
        *written = count;
    }
    return call.Finish(VI_SUCCESS);
}

ZSIM_VISA ViStatus ZVDS_VISA_CALL viRead(ViSession vi, ViBuf buffer, ViUInt32 count,
                                         ViUInt32* received) {
    CallScope call(Call::Read, vi);
    State& s = call.state;
    CallRecord& r = call.record;
    r.count = count;
    if (received != nullptr) {
        *received = 0;
    }
    Session* session = Find(s, vi);
    if (session == nullptr || session->isManager) {
        return call.Finish(VI_ERROR_INV_OBJECT);
    }
    Instrument* instrument = InstrumentOf(s, *session);
    std::deque<std::string>* outbox = instrument ? &instrument->Outbox() : nullptr;
    if (const Fault* f = TakeFault(s, Call::Read, session->lastWrite, 0)) {
        const bool pending = outbox != nullptr && !outbox->empty();
        switch (f->kind) {
            case FaultKind::Status:
                if (pending) {
                    outbox->pop_front();  // the answer never arrived
                }
                return call.Finish(f->status);
            case FaultKind::Empty:
                if (pending) {
                    outbox->front().clear();
                }
                break;
            case FaultKind::Short:
                if (pending && outbox->front().size() > f->keep) {
                    outbox->front().resize(f->keep);
                }
                break;
            case FaultKind::Replace:
                if (pending) {
                    outbox->front() = f->replacement;
                } else if (outbox != nullptr) {
                    outbox->push_back(f->replacement);
                }
                break;
        }
    }
    if (outbox == nullptr || outbox->empty()) {
        return call.Finish(VI_ERROR_TMO);  // nothing to say: the read times out
    }
    const bool serial = session->intfType == VI_INTF_ASRL;
    const bool stopAtTermChar =
        serial ? AttributeOf(*session, VI_ATTR_ASRL_END_IN) == VI_ASRL_END_TERMCHAR
               : AttributeOf(*session, VI_ATTR_TERMCHAR_EN) != VI_FALSE;
    const char termChar = static_cast<char>(AttributeOf(*session, VI_ATTR_TERMCHAR));

    std::string& message = outbox->front();
    size_t n = 0;
    ViStatus status = VI_SUCCESS;
    for (;;) {
        const bool atEnd = n == message.size();
        if (atEnd && !serial) {
            status = VI_SUCCESS;  // END came with the last byte
            break;
        }
        if (n == count) {
            status = VI_SUCCESS_MAX_CNT;  // the rest stays for the next read
            break;
        }
        if (atEnd) {
            status = VI_ERROR_TMO;  // a serial line has no END: it waits in vain
            break;
        }
        const char c = message[n++];
        if (stopAtTermChar && c == termChar) {
            status = VI_SUCCESS_TERM_CHAR;
            break;
        }
    }
    if (buffer != nullptr) {
        memcpy(buffer, message.data(), n);
    }
    r.data.assign(message.data(), n);
    if (received != nullptr) {
        *received = static_cast<ViUInt32>(n);
    }
    if (n == message.size()) {
        outbox->pop_front();
    } else {
        message.erase(0, n);
    }
    return call.Finish(status);
}
