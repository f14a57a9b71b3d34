// A simulated Morvane RHX6000 oscilloscope: model id, vertical mode,
// acquisition mode, run/pause state and a record of 1024 one-byte points for
// each of its 22 channels (two inputs, twenty reference memories).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "../Instrument.h"

namespace zsim {

class ZSIM_API Rhx6000 : public Instrument {
public:
    static constexpr size_t kPoints = 1024;
    static constexpr size_t kBlocks = 8;  // the record is sent in blocks of 128 points
    typedef std::array<uint8_t, kPoints> Record;

    // A running RHX6104 in storage mode, vertical mode "DUAL", every channel
    // holding its own ramp (see DefaultRecord).
    Rhx6000();

    // What "MODEL?" answers (a line feed is appended).
    void SetModel(const std::string& model) { m_model = model; }
    // What "VMODE?" answers: "DUAL", "CH1", "CH2", "ADD", ...
    void SetVerticalMode(const std::string& mode) { m_verticalMode = mode; }
    // What "MOD?" answers: "STORAGE" or "REALTIME", ...
    void SetMode(const std::string& mode) { m_mode = mode; }
    void SetPaused(bool paused) { m_paused = paused; }
    bool Paused() const { return m_paused; }

    // The points of a channel ("CH1", "REF7"); false for a name it does not know.
    bool SetRecord(const std::string& channel, const Record& points);
    static Record DefaultRecord(const std::string& channel);

    // The block range last set with "WAV STA" and "WAV END".
    unsigned WaveStart() const { return m_start; }
    unsigned WaveEnd() const { return m_end; }

    void Receive(const std::string& message) override;
    // Every message received, as written.
    const std::vector<std::string>& Received() const { return m_received; }

private:
    void SendRecord(const std::string& channel);

    std::string m_model = "RHX6104";
    std::string m_verticalMode = "DUAL";
    std::string m_mode = "STORAGE";
    bool m_paused = false;
    unsigned m_start = 0;
    unsigned m_end = kBlocks - 1;
    std::map<std::string, Record> m_records;
    std::vector<std::string> m_received;
};

}  // namespace zsim
