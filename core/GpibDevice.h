// One VISA instrument session. The object lives for one exported call; the
// session outlives it and is closed only by Detach(true).
#pragma once

#include <cstdint>
#include <string>

#include "Visa.h"

class CGpibDevice {
public:
    CGpibDevice();
    ~CGpibDevice();  // never closes the session
    CGpibDevice(const CGpibDevice&) = delete;
    CGpibDevice& operator=(const CGpibDevice&) = delete;

    // The session operations, in this slot order in every plug-in.
    virtual ViStatus WriteString(const std::string& command);
    virtual ViStatus WriteBytes(const void* data, int32_t count);
    virtual ViStatus ReadString(std::string& reply);
    virtual ViStatus ReadBytes(void* buffer, int32_t count);
    virtual int32_t GetSession();
    virtual int32_t GetHandle();
    virtual ViStatus GetLastStatus();

    // Opens the resource through the plug-in's default resource manager;
    // raises 1220 when VISA cannot open it.
    ViSession OpenResource(const std::string& resource);
    // Opens and configures the session for its interface (serial or GPIB).
    bool Connect(const std::string& resource, int32_t baud, int32_t parity, int32_t dataBits,
                 int32_t stopBits, bool softwareHandshake, int32_t timeoutMs);
    // Takes over a handle from the host; learns the interface type of the
    // session so that serial commands get their line feed in every call.
    bool Attach(int32_t handle);
    ViSession Detach(bool close);

    // WriteString without building a std::string: a fixed command, or two
    // texts sent as one command ("WAV OUT " and the channel name). Short
    // commands are put together on the stack, so a waveform read does not
    // allocate.
    ViStatus WriteString(const char* command);
    ViStatus WriteJoined(const char* first, const char* second);

    // ReadBytes that also says how many bytes arrived.
    ViStatus ReadBytesCounted(void* buffer, int32_t count, uint32_t& received);
    // Sets a session option; only 6 (repeat addressing) does anything.
    // Raises nothing: the status is left in GetLastStatus().
    int32_t SetOption(int32_t option, int32_t value);

    ViUInt16 InterfaceType() const { return m_intfType; }
    ViUInt16 InterfaceNumber() const { return m_intfNum; }
    const std::string& ResourceName() const { return m_resource; }

    static constexpr int32_t kOptionRepeatAddressing = 6;
    static constexpr uint32_t kTextReadSize = 65536;

private:
    ViStatus WriteParts(const char* first, size_t firstLength, const char* second,
                        size_t secondLength);
    ViStatus SetTermCharEnabled(bool enabled);
    void RequireSession();

    ViSession m_session;
    ViStatus m_status;
    std::string m_resource;
    ViUInt16 m_intfType;
    ViUInt16 m_intfNum;
};

namespace zvds {
// The plug-in's default resource manager session (0 until the first open).
ViSession DefaultResourceManager();
// Opens the default resource manager once per process, also when two
// threads ask at the same moment.
void EnsureDefaultResourceManager();
}  // namespace zvds
