// An instrument model behind a simulated VISA resource: it receives each
// message the controller writes and queues the messages it answers with.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "SimApi.h"

namespace zsim {

class ZSIM_API Instrument {
public:
    virtual ~Instrument();

    // One message as written by one viWrite, line feed included if sent.
    virtual void Receive(const std::string& message) = 0;

    // Replies waiting to be read, oldest first. A read takes bytes from the
    // front message; the message's end is the instrument's END.
    std::deque<std::string>& Outbox() { return m_outbox; }

    // The command text of a message: trailing CR, LF and blanks removed.
    static std::string CommandText(const std::string& message);

protected:
    void Send(std::string reply) { m_outbox.push_back(std::move(reply)); }

private:
    std::deque<std::string> m_outbox;
};

}  // namespace zsim
