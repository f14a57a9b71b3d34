#include "ScriptedInstrument.h"

namespace zsim {

Instrument::~Instrument() = default;

std::string Instrument::CommandText(const std::string& message) {
    size_t end = message.size();
    while (end > 0 && (message[end - 1] == '\n' || message[end - 1] == '\r' ||
                       message[end - 1] == ' ')) {
        --end;
    }
    return message.substr(0, end);
}

void ScriptedInstrument::Receive(const std::string& message) {
    m_received.push_back(message);
    auto it = m_replies.find(CommandText(message));
    if (it != m_replies.end()) {
        Send(it->second);
    }
}

}  // namespace zsim
