// A simulated Tektronix TDS 320/350 oscilloscope. It parses messages as the
// instrument does (";" separates commands, a following command continues in
// the subsystem of the one before, ":" starts again at the root, keywords in
// long or short form, any case), answers with response headers until
// "HEADER OFF" arrives, and sends "CURVE?" as a definite-length block in the
// encoding, width, source and start/stop window set with the DATA commands.
// The repeat-addressing setting belongs to the VISA session, not to the
// instrument: read it with zsim::SessionAttribute.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "../Instrument.h"

namespace zsim {

class ZSIM_API Tds300 : public Instrument {
public:
    static constexpr size_t kPoints = 1000;  // the longest record of the 320/350
    typedef std::array<uint8_t, kPoints> Record;

    enum class Encoding { Ascii, RiBinary, RpBinary, SriBinary, SrpBinary };

    // The instrument's settings that a controller can change.
    struct Settings {
        bool headers = true;
        std::string source = "CH1";  // CH1, CH2, MATH, REF1 or REF2
        Encoding encoding = Encoding::RiBinary;
        unsigned width = 1;  // bytes per point, 1 or 2
        unsigned start = 1;  // first point sent, from 1
        unsigned stop = kPoints;
        unsigned recordLength = kPoints;
    };

    // "TDS 320" or "TDS 350" (any text), with every record its own ramp.
    explicit Tds300(const std::string& model = "TDS 320");

    // The whole "*IDN?" answer, without header and line feed.
    void SetIdentity(const std::string& identity) { m_identity = identity; }
    const std::string& Identity() const { return m_identity; }

    Settings& State() { return m_settings; }
    const Settings& State() const { return m_settings; }

    // The points of a source ("CH1", "MATH" or "MATH1", "REF2", ...); false for
    // a source the instrument does not have.
    bool SetRecord(const std::string& source, const Record& points);
    static Record DefaultRecord(const std::string& source);

    void Receive(const std::string& message) override;
    // Every message received, as written.
    const std::vector<std::string>& Received() const { return m_received; }

private:
    // Runs one command of a message; a query appends its answer to `replies`.
    void Execute(const std::vector<std::string>& path, const std::string& argument, bool query,
                 std::vector<std::string>& replies);
    std::string Curve() const;

    std::string m_identity;
    Settings m_settings;
    std::map<std::string, Record> m_records;
    std::vector<std::string> m_received;
};

}  // namespace zsim
