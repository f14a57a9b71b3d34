#include "Waveforms.h"

#include <cmath>

namespace zsim {

namespace {
const double kPi = 3.14159265358979323846;

// A small fixed generator, so traces are the same from run to run.
struct Noise {
    uint32_t state = 12345;
    double Next() {
        state = state * 1664525u + 1013904223u;
        return (static_cast<double>(state >> 8) / 16777216.0) * 2.0 - 1.0;
    }
};

double Value(WaveShape shape, double t) {
    switch (shape) {
        case WaveShape::Sine:
            return std::sin(2 * kPi * 3 * t);
        case WaveShape::RingingSquare: {
            const double period = 0.5;
            const double phase = std::fmod(t, period) / period;
            const double level = phase < 0.5 ? 0.7 : -0.7;
            const double sinceEdge = (phase < 0.5 ? phase : phase - 0.5) * period;
            const double ring =
                0.3 * std::exp(-sinceEdge * 60) * std::cos(2 * kPi * 40 * sinceEdge);
            return level + (phase < 0.5 ? ring : -ring);
        }
        case WaveShape::Ramp:
            return std::fmod(t * 2, 1.0) * 2 - 1;
        case WaveShape::DecayingBurst:
            return t < 0.1 ? 0.0 : std::exp(-(t - 0.1) * 4) * std::sin(2 * kPi * 10 * (t - 0.1));
        case WaveShape::Flat:
            return 0.0;
    }
    return 0.0;
}
}  // namespace

std::vector<double> Generate(WaveShape shape, size_t points, double amplitude, double noise) {
    std::vector<double> values(points);
    Noise random;
    for (size_t i = 0; i < points; ++i) {
        const double t = points > 1 ? static_cast<double>(i) / static_cast<double>(points - 1) : 0;
        values[i] = amplitude * Value(shape, t) + noise * random.Next();
    }
    return values;
}

uint32_t Quantise(double value, uint32_t levels) {
    const double scaled = (value + 1.0) / 2.0 * (levels - 1);
    if (scaled <= 0) {
        return 0;
    }
    if (scaled >= levels - 1) {
        return levels - 1;
    }
    return static_cast<uint32_t>(std::lround(scaled));
}

}  // namespace zsim
