// Signals that look like a real bench, for the simulated instruments: values
// from -1 to 1 over one screen, t from 0 to 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "SimApi.h"

namespace zsim {

enum class WaveShape {
    Sine,           // three periods, a little noise
    RingingSquare,  // two periods, overshoot that rings down after each edge
    Ramp,           // sawtooth, two periods
    DecayingBurst,  // a tone burst whose envelope decays
    Flat,           // a quiet line at 0 with noise
};

// `points` values of the shape. The noise is the same on every call.
ZSIM_API std::vector<double> Generate(WaveShape shape, size_t points, double amplitude = 0.8,
                                      double noise = 0.02);

// Quantises -1..1 to 0..(levels - 1), clamped.
ZSIM_API uint32_t Quantise(double value, uint32_t levels);

}  // namespace zsim
