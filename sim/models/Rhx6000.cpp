#include "Rhx6000.h"

#include <cstdlib>

namespace zsim {

namespace {

// "WAV STA 3" -> true and 3 when the message starts with `command` and a number follows.
bool NumberAfter(const std::string& text, const std::string& command, unsigned& value) {
    if (text.compare(0, command.size(), command) != 0 || text.size() == command.size()) {
        return false;
    }
    char* end = nullptr;
    const unsigned long number = strtoul(text.c_str() + command.size(), &end, 10);
    if (end == text.c_str() + command.size() || *end != '\0') {
        return false;
    }
    value = static_cast<unsigned>(number);
    return true;
}

std::vector<std::string> ChannelNames() {
    std::vector<std::string> names = {"CH1", "CH2"};
    for (int i = 1; i <= 20; ++i) {
        names.push_back("REF" + std::to_string(i));
    }
    return names;
}

}  // namespace

Rhx6000::Rhx6000() {
    for (const std::string& name : ChannelNames()) {
        m_records[name] = DefaultRecord(name);
    }
}

Rhx6000::Record Rhx6000::DefaultRecord(const std::string& channel) {
    // A ramp that starts at a value of its own for every channel.
    unsigned seed = 0;
    for (char c : channel) {
        seed = seed * 31 + static_cast<unsigned char>(c);
    }
    Record points;
    for (size_t i = 0; i < kPoints; ++i) {
        points[i] = static_cast<uint8_t>(seed + i);
    }
    return points;
}

bool Rhx6000::SetRecord(const std::string& channel, const Record& points) {
    auto it = m_records.find(channel);
    if (it == m_records.end()) {
        return false;
    }
    it->second = points;
    return true;
}

void Rhx6000::SendRecord(const std::string& channel) {
    auto it = m_records.find(channel);
    if (it == m_records.end() || m_start > m_end || m_end >= kBlocks) {
        return;  // nothing to send: the controller's read times out
    }
    const size_t block = kPoints / kBlocks;
    const uint8_t* first = it->second.data() + m_start * block;
    Send(std::string(reinterpret_cast<const char*>(first), (m_end - m_start + 1) * block));
}

void Rhx6000::Receive(const std::string& message) {
    m_received.push_back(message);
    const std::string text = CommandText(message);
    unsigned number = 0;
    if (text == "MODEL?") {
        Send(m_model + "\n");
    } else if (text == "VMODE?") {
        Send(m_verticalMode + "\n");
    } else if (text == "MOD?") {
        Send(m_mode + "\n");
    } else if (text == "PAUSE?") {
        Send(m_paused ? "ON\n" : "OFF\n");
    } else if (text == "PAUSE ON") {
        m_paused = true;
    } else if (text == "PAUSE OFF") {
        m_paused = false;
    } else if (NumberAfter(text, "WAV STA ", number)) {
        m_start = number;
    } else if (NumberAfter(text, "WAV END ", number)) {
        m_end = number;
    } else if (text.compare(0, 8, "WAV OUT ") == 0) {
        SendRecord(text.substr(8));
    }
    // Anything else is not understood and ignored, as the instrument does.
}

}  // namespace zsim
