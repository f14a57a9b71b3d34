#include "GpibDevice.h"

#include <atomic>
#include <cstring>

#include "GpibException.h"
#include "Messages.h"
#include "VisaBinding.h"

namespace zvds {

namespace {
std::atomic<ViSession> g_defaultRM{0};
}

ViSession DefaultResourceManager() {
    return g_defaultRM.load(std::memory_order_acquire);
}

void EnsureDefaultResourceManager() {
    if (g_defaultRM.load(std::memory_order_acquire) != 0) {
        return;
    }
    ViSession rm = 0;
    if (visa::OpenDefaultRM(&rm) < VI_SUCCESS || rm == 0) {
        return;  // the viOpen that follows fails and reports 1220
    }
    ViSession expected = 0;
    if (!g_defaultRM.compare_exchange_strong(expected, rm, std::memory_order_acq_rel)) {
        visa::Close(rm);  // another thread was first; keep one manager only
    }
}

}  // namespace zvds

using namespace zvds;

CGpibDevice::CGpibDevice() : m_session(0), m_status(VI_SUCCESS), m_intfType(0), m_intfNum(0) {}

CGpibDevice::~CGpibDevice() = default;

void CGpibDevice::RequireSession() {
    if (m_session == 0) {
        ThrowGpibException(this, kMsgNotInitialized);
    }
}

ViStatus CGpibDevice::WriteParts(const char* first, size_t firstLength, const char* second,
                                 size_t secondLength) {
    RequireSession();
    // Serial lines end every command with a line feed; GPIB sends the text as it is.
    const bool serial = m_intfType == VI_INTF_ASRL;
    const size_t length = firstLength + secondLength + (serial ? 1 : 0);
    const char* data = first;
    char local[512];
    std::string heap;
    if (secondLength > 0 || serial) {
        char* joined = local;
        if (length > sizeof(local)) {
            heap.resize(length);
            joined = &heap[0];
        }
        memcpy(joined, first, firstLength);
        if (secondLength > 0) {
            memcpy(joined + firstLength, second, secondLength);
        }
        if (serial) {
            joined[length - 1] = '\n';
        }
        data = joined;
    }
    ViUInt32 written = 0;
    m_status = visa::Write(m_session, reinterpret_cast<ViConstBuf>(data),
                           static_cast<ViUInt32>(length), &written);
    if (m_status < VI_SUCCESS) {
        ThrowGpibException(this, kMsgWriteFailed);
    }
    return m_status;
}

ViStatus CGpibDevice::WriteString(const std::string& command) {
    return WriteParts(command.data(), command.size(), nullptr, 0);
}

ViStatus CGpibDevice::WriteString(const char* command) {
    return WriteParts(command, strlen(command), nullptr, 0);
}

ViStatus CGpibDevice::WriteJoined(const char* first, const char* second) {
    return WriteParts(first, strlen(first), second, second ? strlen(second) : 0);
}

ViStatus CGpibDevice::SetTermCharEnabled(bool enabled) {
    m_status = visa::SetAttribute(m_session, VI_ATTR_TERMCHAR_EN, enabled ? VI_TRUE : VI_FALSE);
    return m_status;
}

ViStatus CGpibDevice::WriteBytes(const void* data, int32_t count) {
    RequireSession();
    SetTermCharEnabled(false);
    ViUInt32 written = 0;
    const ViStatus transfer = visa::Write(m_session, static_cast<ViConstBuf>(data),
                                          static_cast<ViUInt32>(count), &written);
    m_status = transfer;
    const ViStatus restore = SetTermCharEnabled(true);
    if (transfer < VI_SUCCESS || restore < VI_SUCCESS) {
        ThrowGpibException(this, kMsgWriteFailed);
    }
    return m_status;
}

ViStatus CGpibDevice::ReadString(std::string& reply) {
    RequireSession();
    char buffer[kTextReadSize];
    ViUInt32 received = 0;
    m_status = visa::Read(m_session, reinterpret_cast<ViBuf>(buffer), kTextReadSize, &received);
    if (m_status < VI_SUCCESS) {
        ThrowGpibException(this, kMsgReadFailed);
    }
    if (received > kTextReadSize) {
        received = kTextReadSize;  // never trust a count beyond the buffer
    }
    // A NUL ends the text; a trailing line end stays for the caller to trim.
    const void* nul = memchr(buffer, '\0', received);
    const size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - buffer)
                              : static_cast<size_t>(received);
    reply.assign(buffer, length);
    return m_status;
}

ViStatus CGpibDevice::ReadBytesCounted(void* buffer, int32_t count, uint32_t& received) {
    RequireSession();
    received = 0;
    SetTermCharEnabled(false);
    ViUInt32 got = 0;
    const ViStatus transfer =
        visa::Read(m_session, static_cast<ViBuf>(buffer), static_cast<ViUInt32>(count), &got);
    m_status = transfer;
    const ViStatus restore = SetTermCharEnabled(true);
    if (transfer < VI_SUCCESS || restore < VI_SUCCESS) {
        ThrowGpibException(this, kMsgReadFailed);
    }
    received = got > static_cast<ViUInt32>(count) ? static_cast<uint32_t>(count) : got;
    return m_status;
}

ViStatus CGpibDevice::ReadBytes(void* buffer, int32_t count) {
    uint32_t received = 0;
    return ReadBytesCounted(buffer, count, received);
}

int32_t CGpibDevice::GetSession() {
    const int32_t session = static_cast<int32_t>(m_session);
    return (session == 0 || session == -1) ? -1 : session;
}

int32_t CGpibDevice::GetHandle() {
    return GetSession();
}

ViStatus CGpibDevice::GetLastStatus() {
    return m_status;
}

ViSession CGpibDevice::OpenResource(const std::string& resource) {
    m_resource = resource;
    m_status = visa::Open(DefaultResourceManager(), m_resource.c_str(), VI_NO_LOCK, 0, &m_session);
    if (m_status < VI_SUCCESS) {
        ThrowGpibException(this, kMsgOpenFailed);
    }
    ViUInt16 value = 0;
    m_status = visa::GetAttribute(m_session, VI_ATTR_INTF_TYPE, &value);
    m_intfType = value;
    value = 0;
    m_status = visa::GetAttribute(m_session, VI_ATTR_INTF_NUM, &value);
    m_intfNum = value;
    return m_session;
}

bool CGpibDevice::Connect(const std::string& resource, int32_t baud, int32_t parity,
                          int32_t dataBits, int32_t stopBits, bool softwareHandshake,
                          int32_t timeoutMs) {
    OpenResource(resource);
    if (m_session == 0) {
        return false;
    }
    // Configuration failures are not reported: the session keeps its setting.
    if (m_intfType == VI_INTF_ASRL) {
        const ViUInt16 flow = VI_ASRL_FLOW_RTS_CTS | VI_ASRL_FLOW_DTR_DSR |
                              (softwareHandshake ? VI_ASRL_FLOW_XON_XOFF : 0);
        m_status = visa::SetAttribute(m_session, VI_ATTR_ASRL_FLOW_CNTRL, flow);
        m_status = visa::SetAttribute(m_session, VI_ATTR_ASRL_BAUD, static_cast<ViUInt32>(baud));
        m_status =
            visa::SetAttribute(m_session, VI_ATTR_ASRL_PARITY, static_cast<ViUInt32>(parity));
        m_status =
            visa::SetAttribute(m_session, VI_ATTR_ASRL_DATA_BITS, static_cast<ViUInt32>(dataBits));
        m_status = visa::SetAttribute(m_session, VI_ATTR_ASRL_STOP_BITS,
                                      static_cast<ViUInt32>(stopBits * 5 + 10));
        m_status = visa::SetAttribute(m_session, VI_ATTR_TERMCHAR, '\n');
        m_status =
            visa::SetAttribute(m_session, VI_ATTR_TMO_VALUE, static_cast<ViUInt32>(timeoutMs));
    } else if (m_intfType == VI_INTF_GPIB) {
        m_status =
            visa::SetAttribute(m_session, VI_ATTR_TMO_VALUE, static_cast<ViUInt32>(timeoutMs));
    }
    return m_session != 0;
}

bool CGpibDevice::Attach(int32_t handle) {
    m_resource.clear();
    m_session = static_cast<ViSession>(handle);
    if (m_session != 0) {
        ViUInt16 type = 0;
        m_status = visa::GetAttribute(m_session, VI_ATTR_INTF_TYPE, &type);
        if (m_status >= VI_SUCCESS) {
            m_intfType = type;
        }
    }
    return m_session != 0;
}

ViSession CGpibDevice::Detach(bool close) {
    if (close) {
        m_status = visa::Close(m_session);
    }
    const ViSession former = m_session;
    m_session = 0;
    return former;
}

int32_t CGpibDevice::SetOption(int32_t option, int32_t value) {
    m_status = VI_SUCCESS;
    if (option == kOptionRepeatAddressing) {
        m_status = visa::SetAttribute(m_session, VI_ATTR_GPIB_READDR_EN,
                                      static_cast<ViAttrState>(static_cast<uint32_t>(value)));
    }
    return 0;
}
