#include "RhxInstruments.h"

namespace zsim {

namespace {

bool TakePrefix(const std::string& text, const char* prefix, std::string& rest) {
    const std::string p(prefix);
    if (text.compare(0, p.size(), p) != 0) {
        return false;
    }
    rest = text.substr(p.size());
    return true;
}

const std::string kNone;

}  // namespace

RhxDialectInstrument::RhxDialectInstrument(std::string model, std::vector<std::string> channels)
    : m_model(std::move(model)), m_channelNames(std::move(channels)) {
    for (const std::string& name : m_channelNames) {
        m_channelOn[name] = false;
    }
}

bool RhxDialectInstrument::ChannelOn(const std::string& name) const {
    auto it = m_channelOn.find(name);
    return it != m_channelOn.end() && it->second;
}

void RhxDialectInstrument::SetAllChannels(bool on) {
    for (const std::string& name : m_channelNames) {
        m_channelOn[name] = on;
    }
}

const std::string& RhxDialectInstrument::WaveformBlock(const std::string& name) const {
    auto it = m_blocks.find(name);
    return it == m_blocks.end() ? kNone : it->second;
}

void RhxDialectInstrument::Receive(const std::string& message) {
    const std::string text = CommandText(message);
    m_commands.push_back(text);
    std::string rest;
    if (text == "MODEL?") {
        Send(m_model);
    } else if (text == "MOD?") {
        Send(m_mode + "\n");
    } else if (text == "PAU?") {
        Send(m_paused ? "PAU ON\n" : "PAU OFF\n");
    } else if (text == "PAU ON" || text == "PAU OFF") {
        m_paused = text == "PAU ON";
        m_pauseCommands.push_back(text);
    } else if (TakePrefix(text, "WAV COD ", rest)) {
        m_coding = rest;
    } else if (TakePrefix(text, "WAV STA ", rest)) {
        m_start = rest;
    } else if (TakePrefix(text, "WAV END ", rest)) {
        m_end = rest;
    } else if (TakePrefix(text, "WAV OUT ", rest)) {
        auto it = m_blocks.find(rest);
        if (it != m_blocks.end()) {
            Send(it->second);
        }
    } else if (!text.empty() && text.back() == '?') {
        const std::string name = text.substr(0, text.size() - 1);
        auto it = m_channelOn.find(name);
        if (it != m_channelOn.end()) {
            Send(name + (it->second ? " ON\n" : " OFF\n"));
        }
    }
}

Rhx4402Instrument::Rhx4402Instrument()
    : RhxDialectInstrument("RHX4402A\n",
                           {"CH1", "CH2", "CH3", "CH4", "REF1", "REF2", "REF3", "REF4"}) {
    SetChannelOn("CH1", true);
    std::vector<uint16_t> ramp(kWords);
    for (size_t i = 0; i < kWords; ++i) {
        ramp[i] = static_cast<uint16_t>(i * 64);
    }
    for (const std::string& name : ChannelNames()) {
        SetWaveform(name, ramp);
    }
}

void Rhx4402Instrument::SetWaveform(const std::string& channel,
                                    const std::vector<uint16_t>& words) {
    std::string bytes;
    bytes.reserve(words.size() * 2);
    for (uint16_t word : words) {
        bytes.push_back(static_cast<char>(word >> 8));
        bytes.push_back(static_cast<char>(word & 0xFF));
    }
    SetWaveformBlock(channel, std::move(bytes));
}

Rvt8800Instrument::Rvt8800Instrument()
    : RhxDialectInstrument("RVT8801\n", {"CH1", "CH2", "MEM1", "MEM2"}) {
    SetChannelOn("CH1", true);
    std::vector<uint8_t> ramp(kBytes);
    for (size_t i = 0; i < kBytes; ++i) {
        ramp[i] = static_cast<uint8_t>(i);
    }
    for (const std::string& name : ChannelNames()) {
        SetWaveform(name, ramp);
    }
}

void Rvt8800Instrument::SetWaveform(const std::string& channel, const std::vector<uint8_t>& bytes) {
    SetWaveformBlock(channel, std::string(bytes.begin(), bytes.end()));
}

}  // namespace zsim
