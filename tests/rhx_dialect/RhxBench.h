// A simulated RHX4402A or RVT8800 at GPIB0::7 ("DEV7") and the plug-in that
// drives it, loaded as the host loads it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "PluginLoader.h"
#include "SimFixture.h"
#include "models/RhxInstruments.h"

namespace rhxtest {

enum class Family { Rhx4402, Rvt8800 };

const char* FamilyName(Family family);
ztest::Plugin& PluginOf(Family family);
std::shared_ptr<zsim::RhxDialectInstrument> MakeScope(Family family);

class RhxTest : public ztest::SimTest {
protected:
    // Puts a fresh instrument of the family at DEV7 (its state is set before
    // Open), with the plug-in's resource manager already open.
    void Place(Family family);
    // Opens DEV7; the transcript starts after the open.
    void OpenScope();
    void TearDown() override;

    ztest::Plugin& P() const { return PluginOf(family_); }
    // Every command written, failed writes included.
    static std::vector<std::string> Commands();

    Family family_ = Family::Rhx4402;
    std::shared_ptr<zsim::RhxDialectInstrument> scope_;
    int32_t handle_ = 0;
};

}  // namespace rhxtest
