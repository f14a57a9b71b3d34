#include "DemoBench.h"

#include <memory>

#include "models/LeCroy93xx.h"
#include "models/Rhx6000.h"
#include "models/RhxInstruments.h"
#include "models/Tds300.h"

namespace zsim {

namespace {

struct Assignment {
    const char* address;
    const char* channel;
    WaveShape shape;
};

const Assignment kAssignments[] = {
    {"DEV1", "C1", WaveShape::Sine},           {"DEV1", "C2", WaveShape::RingingSquare},
    {"DEV1", "C3", WaveShape::Ramp},           {"DEV1", "C4", WaveShape::DecayingBurst},
    {"DEV2", "C1", WaveShape::Ramp},           {"DEV2", "C2", WaveShape::DecayingBurst},
    {"DEV3", "CH1", WaveShape::Sine},          {"DEV3", "CH2", WaveShape::RingingSquare},
    {"DEV3", "REF1", WaveShape::Ramp},         {"DEV4", "CH1", WaveShape::Sine},
    {"DEV4", "CH2", WaveShape::RingingSquare}, {"DEV5", "CH1", WaveShape::Sine},
    {"DEV5", "CH2", WaveShape::DecayingBurst}, {"DEV5", "MATH1", WaveShape::RingingSquare},
    {"DEV5", "REF1", WaveShape::Ramp},         {"DEV5", "REF2", WaveShape::Ramp},
    {"DEV6", "CH1", WaveShape::RingingSquare}, {"DEV6", "CH2", WaveShape::Ramp},
    {"DEV6", "MEM1", WaveShape::Sine},
};

// Instrument codes of a shape: `levels` steps over the screen.
std::vector<uint32_t> Codes(WaveShape shape, size_t points, uint32_t levels) {
    std::vector<uint32_t> codes;
    codes.reserve(points);
    for (double v : Generate(shape, points)) {
        codes.push_back(Quantise(v, levels));
    }
    return codes;
}

std::shared_ptr<LeCroy93xx> MakeLeCroy(const char* model, const char* address) {
    auto scope = std::make_shared<LeCroy93xx>(model);
    for (const Assignment& a : kAssignments) {
        if (std::string(a.address) != address) {
            continue;
        }
        // 8-bit ADC code in the high byte as a signed value; the low byte is noise.
        std::vector<int16_t> words;
        uint32_t low = 0x5A;
        for (uint32_t code : Codes(a.shape, kDemoLeCroyRecord, 256)) {
            low = (low * 75 + 74) % 257;
            words.push_back(
                static_cast<int16_t>(static_cast<uint16_t>(((code ^ 0x80) << 8) | (low & 0xFF))));
        }
        scope->SetTrace(a.channel, std::move(words));
    }
    return scope;
}

std::shared_ptr<Rhx4402Instrument> MakeRhx4403() {
    auto scope = std::make_shared<Rhx4402Instrument>();
    scope->SetModelReply("RHX4403A\n");
    for (const Assignment& a : kAssignments) {
        if (std::string(a.address) == "DEV3") {
            std::vector<uint16_t> words;
            for (uint32_t code : Codes(a.shape, Rhx4402Instrument::kWords, 65536)) {
                words.push_back(static_cast<uint16_t>(code));
            }
            scope->SetWaveform(a.channel, words);
            scope->SetChannelOn(a.channel, true);
        }
    }
    return scope;
}

std::shared_ptr<Rhx6000> MakeRhx6000() {
    auto scope = std::make_shared<Rhx6000>();
    scope->SetVerticalMode("DUAL");
    for (const Assignment& a : kAssignments) {
        if (std::string(a.address) == "DEV4") {
            Rhx6000::Record record{};
            const std::vector<uint32_t> codes = Codes(a.shape, Rhx6000::kPoints, 256);
            for (size_t i = 0; i < record.size(); ++i) {
                record[i] = static_cast<uint8_t>(codes[i]);
            }
            scope->SetRecord(a.channel, record);
        }
    }
    return scope;
}

std::shared_ptr<Tds300> MakeTds320() {
    auto scope = std::make_shared<Tds300>("TDS 320");
    for (const Assignment& a : kAssignments) {
        if (std::string(a.address) == "DEV5") {
            Tds300::Record record{};
            const std::vector<uint32_t> codes = Codes(a.shape, Tds300::kPoints, 256);
            for (size_t i = 0; i < record.size(); ++i) {
                record[i] = static_cast<uint8_t>(codes[i]);
            }
            scope->SetRecord(a.channel, record);
        }
    }
    return scope;
}

std::shared_ptr<Rvt8800Instrument> MakeRvt8801() {
    auto scope = std::make_shared<Rvt8800Instrument>();
    for (const Assignment& a : kAssignments) {
        if (std::string(a.address) == "DEV6") {
            std::vector<uint8_t> bytes;
            // Four points per sample: the plug-in adds them up.
            for (uint32_t code : Codes(a.shape, Rvt8800Instrument::kBytes, 256)) {
                bytes.push_back(static_cast<uint8_t>(code));
            }
            scope->SetWaveform(a.channel, bytes);
            scope->SetChannelOn(a.channel, true);
        }
    }
    return scope;
}

}  // namespace

void InstallDemoBench() {
    AddInstrument("GPIB0::1", MakeLeCroy("9354AM", "DEV1"));
    AddInstrument("GPIB0::2", MakeLeCroy("9350AM", "DEV2"));
    AddInstrument("GPIB0::3", MakeRhx4403());
    AddInstrument("GPIB0::4", MakeRhx6000());
    AddInstrument("GPIB0::5", MakeTds320());
    AddInstrument("GPIB0::6", MakeRvt8801());
}

bool DemoShape(const std::string& address, const std::string& channel, WaveShape& shape) {
    for (const Assignment& a : kAssignments) {
        if (address == a.address && channel == a.channel) {
            shape = a.shape;
            return true;
        }
    }
    return false;
}

}  // namespace zsim

void zsim_InstallDemoBench() {
    zsim::InstallDemoBench();
}
