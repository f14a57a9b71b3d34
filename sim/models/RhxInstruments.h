// Simulated RHX4402A/4403A and RVT8800/8800U oscilloscopes. Both speak one
// dialect: "MODEL?", "<channel>?" answered "<channel> ON" or "<channel> OFF",
// "MOD?", "PAU?", "PAU ON"/"PAU OFF", the "WAV" transfer settings and
// "WAV OUT <channel>", which answers with the channel's waveform block.
// Unknown commands are ignored; an unknown query gets no answer (a read then
// times out). Tests set the state and read it back.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "../Instrument.h"

namespace zsim {

class ZSIM_API RhxDialectInstrument : public Instrument {
public:
    void Receive(const std::string& message) override;

    // The reply to "MODEL?", sent exactly as given (line end included).
    void SetModelReply(std::string reply) { m_model = std::move(reply); }
    const std::string& ModelReply() const { return m_model; }

    // The acquisition mode that "MOD?" reports: "STORAGE", "ROLL", ...
    void SetMode(std::string mode) { m_mode = std::move(mode); }
    const std::string& Mode() const { return m_mode; }

    void SetPaused(bool paused) { m_paused = paused; }
    bool Paused() const { return m_paused; }
    // Every "PAU ON" and "PAU OFF" applied, in order.
    const std::vector<std::string>& PauseCommands() const { return m_pauseCommands; }

    // The instrument's channels, in its own order.
    const std::vector<std::string>& ChannelNames() const { return m_channelNames; }
    void SetChannelOn(const std::string& name, bool on) { m_channelOn[name] = on; }
    bool ChannelOn(const std::string& name) const;
    void SetAllChannels(bool on);

    // The bytes that "WAV OUT <name>" answers with, as one message. A name
    // without a block gets no answer.
    void SetWaveformBlock(const std::string& name, std::string bytes) {
        m_blocks[name] = std::move(bytes);
    }
    const std::string& WaveformBlock(const std::string& name) const;

    // The transfer settings as last set by "WAV COD", "WAV STA", "WAV END".
    const std::string& Coding() const { return m_coding; }
    const std::string& Start() const { return m_start; }
    const std::string& End() const { return m_end; }

    // Every command received, line end removed.
    const std::vector<std::string>& Commands() const { return m_commands; }

protected:
    RhxDialectInstrument(std::string model, std::vector<std::string> channels);

private:
    std::string m_model;
    std::string m_mode = "STORAGE";
    bool m_paused = false;
    std::vector<std::string> m_pauseCommands;
    std::vector<std::string> m_channelNames;
    std::map<std::string, bool> m_channelOn;
    std::map<std::string, std::string> m_blocks;
    std::string m_coding, m_start, m_end;
    std::vector<std::string> m_commands;
};

// RHX4402A/4403A: CH1 to CH4 and REF1 to REF4; 1024 words per channel.
class ZSIM_API Rhx4402Instrument : public RhxDialectInstrument {
public:
    static constexpr size_t kWords = 1024;
    // An RHX4402A in storage mode, running, with CH1 on and a ramp on every channel.
    Rhx4402Instrument();
    // Sends the words most significant byte first.
    void SetWaveform(const std::string& channel, const std::vector<uint16_t>& words);
};

// RVT8800/8800U: CH1, CH2, MEM1 and MEM2; 4096 bytes per channel.
class ZSIM_API Rvt8800Instrument : public RhxDialectInstrument {
public:
    static constexpr size_t kBytes = 4096;
    // An RVT8801 in storage mode, running, with CH1 on and a ramp on every channel.
    Rvt8800Instrument();
    void SetWaveform(const std::string& channel, const std::vector<uint8_t>& bytes);
};

}  // namespace zsim
