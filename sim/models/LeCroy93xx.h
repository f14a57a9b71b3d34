// A simulated LeCroy 9350 or 9354 as it answers over GPIB with its factory
// settings: short response headers ("CHDR SHORT"), waveforms as a WAVEDESC
// descriptor (template LECROY_2_2, most significant byte first) followed by
// 16-bit data words, each reply ended by a line feed.
//
// The state is changed from tests (and tools) through the public members. An
// instrument that VISA calls may reach from other threads is changed inside
// zsim::WithLock.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "../Instrument.h"

namespace zsim {

class ZSIM_API LeCroy93xx : public Instrument {
public:
    // model: "9350AM", "9354AM", ...; a 9354 has four input channels.
    explicit LeCroy93xx(const std::string& model = "9354AM",
                        const std::string& serial = "935402378",
                        const std::string& firmware = "08.2.2");

    // The traces the instrument knows: C1 to C4 (C1, C2 on a 9350), M1 to M4, TA to TD.
    static std::vector<std::string> TraceNames(bool fourChannels);
    bool HasTrace(const std::string& name) const;

    // Sets a trace's record: raw data words, the ADC code in the high byte.
    // An empty record is a trace without points.
    void SetTrace(const std::string& name, std::vector<int16_t> words);
    const std::vector<int16_t>& Trace(const std::string& name) const;

    // Whether a reply ends with a line feed after the block (default true).
    void SetFinalLineFeed(bool on) { m_finalLineFeed = on; }
    // Replaces the whole reply to "*IDN?" (header included); empty: the real one.
    void SetIdentityReply(const std::string& reply) { m_identityOverride = reply; }

    // The waveform transfer settings, as the last "WFSU" left them.
    struct Setup {
        uint32_t sparsing = 0;    // SP: 0 and 1 both send every point
        uint32_t maxPoints = 0;   // NP: 0 sends all
        uint32_t firstPoint = 0;  // FP
        uint32_t segment = 0;     // SN
    };
    const Setup& WaveformSetup() const { return m_setup; }

    // The points of a record that the current setup sends.
    std::vector<int16_t> SelectPoints(const std::vector<int16_t>& record) const;
    // The reply to "<trace>:WAVEFORM?" with the current settings.
    std::string WaveformReply(const std::string& trace) const;
    // The 346-byte descriptor for `count` points sent from trace `trace`.
    std::string Descriptor(const std::string& trace, uint32_t count) const;

    // Commands that were not understood (a real instrument sets its command
    // error bit and answers nothing).
    const std::vector<std::string>& CommandErrors() const { return m_errors; }

    void Receive(const std::string& message) override;

    static constexpr uint32_t kDescriptorLength = 346;

private:
    enum class Header { Off, Short, Long };

    void Execute(const std::string& command);
    void ParseSetup(const std::string& arguments);
    std::string IdentityReply() const;

    std::string m_model;
    std::string m_serial;
    std::string m_firmware;
    bool m_fourChannels;
    bool m_finalLineFeed = true;
    std::string m_identityOverride;
    Header m_header = Header::Short;
    Setup m_setup;
    std::map<std::string, std::vector<int16_t>> m_traces;
    std::vector<std::string> m_errors;
};

}  // namespace zsim
