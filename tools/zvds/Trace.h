// One captured channel, and what the tool makes of traces: CSV, SVG, a
// preview line for the terminal.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace zvds_tool {

struct Trace {
    std::string channel;
    std::vector<uint16_t> samples;
};

// "index,CH1,CH2" then one row per sample; with several captures a leading
// "capture" column numbers them from 1.
void WriteCsv(std::ostream& out, const std::vector<std::vector<Trace>>& captures);

struct PlotLabel {
    std::string plugin;
    std::string address;
};

// A scope screen: 10 x 8 graticule, one colour and one path per channel, a legend.
void WriteSvg(std::ostream& out, const std::vector<Trace>& traces, const PlotLabel& label);

// A single line of block characters, `width` wide, for the terminal.
std::string Preview(const std::vector<uint16_t>& samples, size_t width);

// The full scale of a set of traces: 4095 for 12-bit data, 65535 otherwise.
uint32_t FullScale(const std::vector<Trace>& traces);

std::string JsonString(const std::string& text);

}  // namespace zvds_tool
