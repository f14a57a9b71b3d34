// dso_lc9350: LeCroy 9350 and 9354 oscilloscopes.
#include "LeCroy.h"

namespace {

const zvds::PluginDriver kDriver = {
    "LeCroy 9350/9354 Series",  // registry key
    true,                       // owns message 1304
    zvds::lc9350::Identify,
    zvds::lc9350::EnumerateChannels,
    zvds::lc9350::ReadWaveform,
    nullptr,  // the common close
};

}  // namespace

const zvds::PluginDriver& zvds::ThisPlugin() {
    return kDriver;
}
