// Splitting a fuzzer's input into pieces, and a simulated instrument that
// answers every query with the next piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "Instrument.h"

namespace zfuzz {

// Pieces as <length, 2 bytes little-endian><bytes>; the last piece takes
// what is left when its length runs past the end.
std::deque<std::string> SplitPieces(const uint8_t* data, size_t size);

// Answers each query ("...?", or "WAV OUT ...") with the next piece; once the
// pieces are used up it stays silent, so that reads time out.
class FuzzInstrument : public zsim::Instrument {
public:
    explicit FuzzInstrument(std::deque<std::string> replies) : m_replies(std::move(replies)) {}
    void Receive(const std::string& message) override;

private:
    std::deque<std::string> m_replies;
};

}  // namespace zfuzz
