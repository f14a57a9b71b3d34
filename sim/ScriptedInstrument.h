// A generic instrument: a table of command -> reply, for the core's tests.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "Instrument.h"

namespace zsim {

class ZSIM_API ScriptedInstrument : public Instrument {
public:
    // The reply (any bytes) sent each time `command` arrives.
    void On(const std::string& command, const std::string& reply) { m_replies[command] = reply; }
    // Queues a reply now, as if the instrument had something to say.
    void Push(const std::string& reply) { Send(reply); }

    void Receive(const std::string& message) override;

    // Every message received, as written (line feed and all).
    const std::vector<std::string>& Received() const { return m_received; }

private:
    std::map<std::string, std::string> m_replies;
    std::vector<std::string> m_received;
};

}  // namespace zsim
