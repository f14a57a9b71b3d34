#include "FuzzInstrument.h"

namespace zfuzz {

std::deque<std::string> SplitPieces(const uint8_t* data, size_t size) {
    std::deque<std::string> pieces;
    size_t pos = 0;
    while (pos + 2 <= size) {
        size_t length = static_cast<size_t>(data[pos]) | static_cast<size_t>(data[pos + 1]) << 8;
        pos += 2;
        if (length > size - pos) {
            length = size - pos;
        }
        pieces.emplace_back(reinterpret_cast<const char*>(data + pos), length);
        pos += length;
    }
    return pieces;
}

void FuzzInstrument::Receive(const std::string& message) {
    const bool query = message.find('?') != std::string::npos || message.rfind("WAV OUT", 0) == 0;
    if (query && !m_replies.empty()) {
        Send(m_replies.front());
        m_replies.pop_front();
    }
}

}  // namespace zfuzz
