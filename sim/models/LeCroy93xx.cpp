#include "LeCroy93xx.h"

#include "../Text.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zsim {

namespace {

// Message units without blanks around them.
std::vector<std::string> SplitTrimmed(const std::string& text, char separator) {
    std::vector<std::string> parts = Split(text, separator);
    for (std::string& part : parts) {
        part = Trim(part);
    }
    return parts;
}

// Splits "HEADER arguments" at the first blank.
void SplitHeader(const std::string& command, std::string& header, std::string& arguments) {
    const size_t blank = command.find(' ');
    header = command.substr(0, blank);
    arguments = blank == std::string::npos ? std::string() : Trim(command.substr(blank + 1));
}

void PutU16(std::string& d, size_t at, uint16_t v) {
    d[at] = static_cast<char>(v >> 8);
    d[at + 1] = static_cast<char>(v & 0xFF);
}

void PutU32(std::string& d, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        d[at + i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
    }
}

void PutFloat(std::string& d, size_t at, float v) {
    uint32_t bits = 0;
    memcpy(&bits, &v, sizeof(bits));
    PutU32(d, at, bits);
}

void PutDouble(std::string& d, size_t at, double v) {
    uint64_t bits = 0;
    memcpy(&bits, &v, sizeof(bits));
    PutU32(d, at, static_cast<uint32_t>(bits >> 32));
    PutU32(d, at + 4, static_cast<uint32_t>(bits));
}

void PutText(std::string& d, size_t at, size_t width, const std::string& text) {
    memcpy(&d[at], text.data(), text.size() < width ? text.size() : width - 1);
}

// Offsets of the LECROY_2_2 descriptor fields that the simulator fills.
enum Offset : size_t {
    kDescriptorName = 0,
    kTemplateName = 16,
    kCommType = 32,
    kCommOrder = 34,
    kWaveDescriptor = 36,
    kWaveArray1 = 60,
    kInstrumentName = 76,
    kInstrumentNumber = 92,
    kWaveArrayCount = 116,
    kPointsPerScreen = 120,
    kFirstValidPoint = 124,
    kLastValidPoint = 128,
    kFirstPoint = 132,
    kSparsingFactor = 136,
    kSegmentIndex = 140,
    kSubarrayCount = 144,
    kSweepsPerAcq = 148,
    kVerticalGain = 156,
    kVerticalOffset = 160,
    kMaxValue = 164,
    kMinValue = 168,
    kNominalBits = 172,
    kHorizInterval = 176,
    kHorizOffset = 180,
    kVertUnit = 196,
    kHorUnit = 244,
    kProbeAtt = 328,
    kWaveSource = 344,
};

// A sawtooth with a per-channel phase; every low byte is 10, so line feeds
// occur all through the block.
std::vector<int16_t> DefaultRecord(int channel) {
    std::vector<int16_t> words(50000);
    for (size_t i = 0; i < words.size(); ++i) {
        const int code = static_cast<int>((i / 4 + 37 * channel) % 256);
        words[i] = static_cast<int16_t>(((code - 128) * 256) | 0x0A);
    }
    return words;
}

}  // namespace

LeCroy93xx::LeCroy93xx(const std::string& model, const std::string& serial,
                       const std::string& firmware)
    : m_model(model),
      m_serial(serial),
      m_firmware(firmware),
      m_fourChannels(model.compare(0, 4, "9354") == 0) {
    // Input channels hold an acquisition; memories and math traces start empty.
    for (const std::string& name : TraceNames(m_fourChannels)) {
        m_traces[name] = name[0] == 'C' ? DefaultRecord(name[1] - '0') : std::vector<int16_t>();
    }
}

std::vector<std::string> LeCroy93xx::TraceNames(bool fourChannels) {
    std::vector<std::string> names = {"C1", "C2"};
    if (fourChannels) {
        names.push_back("C3");
        names.push_back("C4");
    }
    for (const char* name : {"M1", "M2", "M3", "M4", "TA", "TB", "TC", "TD"}) {
        names.push_back(name);
    }
    return names;
}

bool LeCroy93xx::HasTrace(const std::string& name) const {
    return m_traces.count(name) != 0;
}

void LeCroy93xx::SetTrace(const std::string& name, std::vector<int16_t> words) {
    m_traces[name] = std::move(words);
}

const std::vector<int16_t>& LeCroy93xx::Trace(const std::string& name) const {
    static const std::vector<int16_t> kNone;
    auto it = m_traces.find(name);
    return it == m_traces.end() ? kNone : it->second;
}

std::vector<int16_t> LeCroy93xx::SelectPoints(const std::vector<int16_t>& record) const {
    const size_t sparsing = m_setup.sparsing > 1 ? m_setup.sparsing : 1;
    if (m_setup.firstPoint >= record.size()) {
        return {};
    }
    size_t count = (record.size() - m_setup.firstPoint + sparsing - 1) / sparsing;
    if (m_setup.maxPoints != 0 && m_setup.maxPoints < count) {
        count = m_setup.maxPoints;
    }
    std::vector<int16_t> points(count);
    for (size_t j = 0; j < count; ++j) {
        points[j] = record[m_setup.firstPoint + j * sparsing];
    }
    return points;
}

std::string LeCroy93xx::Descriptor(const std::string& trace, uint32_t count) const {
    std::string d(kDescriptorLength, '\0');
    PutText(d, kDescriptorName, 16, "WAVEDESC");
    PutText(d, kTemplateName, 16, "LECROY_2_2");
    PutU16(d, kCommType, 1);   // WORD
    PutU16(d, kCommOrder, 0);  // HIFIRST
    PutU32(d, kWaveDescriptor, kDescriptorLength);
    PutU32(d, kWaveArray1, 2 * count);
    PutText(d, kInstrumentName, 16, "LECROY" + m_model);
    PutU32(d, kInstrumentNumber, static_cast<uint32_t>(strtoul(m_serial.c_str(), nullptr, 10)));
    PutU32(d, kWaveArrayCount, count);
    PutU32(d, kPointsPerScreen, 10000);
    PutU32(d, kFirstValidPoint, 0);
    PutU32(d, kLastValidPoint, count == 0 ? 0 : count - 1);
    PutU32(d, kFirstPoint, m_setup.firstPoint);
    PutU32(d, kSparsingFactor, m_setup.sparsing > 1 ? m_setup.sparsing : 1);
    PutU32(d, kSegmentIndex, 0);
    PutU32(d, kSubarrayCount, 1);
    PutU32(d, kSweepsPerAcq, 1);
    PutFloat(d, kVerticalGain, 0.5f / 6400.0f);  // 500 mV/div, 25 codes per division
    PutFloat(d, kVerticalOffset, 0.0f);
    PutFloat(d, kMaxValue, 32512.0f);
    PutFloat(d, kMinValue, -32768.0f);
    PutU16(d, kNominalBits, 8);
    PutFloat(d, kHorizInterval,
             1e-8f * static_cast<float>(m_setup.sparsing > 1 ? m_setup.sparsing : 1));
    PutDouble(d, kHorizOffset, -2.5e-4);
    PutText(d, kVertUnit, 48, "V");
    PutText(d, kHorUnit, 48, "S");
    PutFloat(d, kProbeAtt, 1.0f);
    const bool input = trace.size() == 2 && trace[0] == 'C';
    PutU16(d, kWaveSource, input ? static_cast<uint16_t>(trace[1] - '1') : 9);  // 9: UNKNOWN
    return d;
}

std::string LeCroy93xx::WaveformReply(const std::string& trace) const {
    const std::vector<int16_t> points = SelectPoints(Trace(trace));
    const uint32_t count = static_cast<uint32_t>(points.size());
    std::string reply;
    if (m_header != Header::Off) {
        reply = trace + (m_header == Header::Long ? ":WAVEFORM ALL," : ":WF ALL,");
    }
    char length[16];
    snprintf(length, sizeof(length), "#9%09u", kDescriptorLength + 2 * count);
    reply += length;
    reply += Descriptor(trace, count);
    for (int16_t point : points) {
        const uint16_t word = static_cast<uint16_t>(point);
        reply += static_cast<char>(word >> 8);
        reply += static_cast<char>(word & 0xFF);
    }
    return reply;
}

std::string LeCroy93xx::IdentityReply() const {
    if (!m_identityOverride.empty()) {
        return m_identityOverride;
    }
    const std::string body = "LECROY," + m_model + "," + m_serial + "," + m_firmware;
    return m_header == Header::Off ? body : "*IDN " + body;
}

void LeCroy93xx::Receive(const std::string& message) {
    // One program message may hold several commands separated by ';'; the
    // answers to its queries go out as one response message.
    std::vector<std::string> answers;
    for (const std::string& command : SplitTrimmed(CommandText(message), ';')) {
        if (command.empty()) {
            continue;
        }
        const size_t before = Outbox().size();
        Execute(command);
        while (Outbox().size() > before) {
            answers.push_back(Outbox().back());
            Outbox().pop_back();
        }
    }
    if (answers.empty()) {
        return;
    }
    std::string response;
    for (size_t i = 0; i < answers.size(); ++i) {
        response += (i == 0 ? "" : ";") + answers[i];
    }
    if (m_finalLineFeed) {
        response += '\n';
    }
    Send(std::move(response));
}

void LeCroy93xx::Execute(const std::string& command) {
    std::string header, arguments;
    SplitHeader(Upper(command), header, arguments);
    if (header == "*IDN?") {
        Send(IdentityReply());
        return;
    }
    if (header == "CHDR" || header == "COMM_HEADER") {
        if (arguments == "OFF") {
            m_header = Header::Off;
        } else if (arguments == "SHORT") {
            m_header = Header::Short;
        } else if (arguments == "LONG") {
            m_header = Header::Long;
        } else {
            m_errors.push_back(command);
        }
        return;
    }
    if (header == "WFSU" || header == "WAVEFORM_SETUP") {
        ParseSetup(arguments);
        return;
    }
    // "<trace>:WF?" or "<trace>:WAVEFORM?", optionally with the block name ALL.
    const size_t colon = header.find(':');
    if (colon != std::string::npos) {
        const std::string trace = header.substr(0, colon);
        const std::string query = header.substr(colon + 1);
        if ((query == "WF?" || query == "WAVEFORM?") && (arguments.empty() || arguments == "ALL") &&
            HasTrace(trace)) {
            Send(WaveformReply(trace));
            return;
        }
    }
    m_errors.push_back(command);
}

void LeCroy93xx::ParseSetup(const std::string& arguments) {
    const std::vector<std::string> items = SplitTrimmed(arguments, ',');
    if (items.size() % 2 != 0) {
        m_errors.push_back("WFSU " + arguments);
        return;
    }
    Setup setup = m_setup;
    for (size_t i = 0; i < items.size(); i += 2) {
        char* end = nullptr;
        const unsigned long value = strtoul(items[i + 1].c_str(), &end, 10);
        if (items[i + 1].empty() || *end != '\0') {
            m_errors.push_back("WFSU " + arguments);
            return;
        }
        const uint32_t v = static_cast<uint32_t>(value);
        if (items[i] == "SP") {
            setup.sparsing = v;
        } else if (items[i] == "NP") {
            setup.maxPoints = v;
        } else if (items[i] == "FP") {
            setup.firstPoint = v;
        } else if (items[i] == "SN") {
            setup.segment = v;
        } else {
            m_errors.push_back("WFSU " + arguments);
            return;
        }
    }
    m_setup = setup;
}

}  // namespace zsim
