#include "Families.h"

#include <map>

#include "models/LeCroy93xx.h"
#include "models/Rhx6000.h"
#include "models/RhxInstruments.h"
#include "models/Tds300.h"

namespace reliability {

namespace {

constexpr int32_t kOk = 0;
constexpr int32_t kDifferentModel = 1223;
constexpr int32_t kNotStorage = 1301;

template <class Model>
Bench Paused(bool paused) {
    auto scope = std::make_shared<Model>();
    scope->SetPaused(paused);
    return Bench{scope, [scope] { return scope->Paused(); }};
}

Bench LeCroy(bool) {
    return Bench{std::make_shared<zsim::LeCroy93xx>("9354AM"), nullptr};
}

Bench Tds(bool) {
    return Bench{std::make_shared<zsim::Tds300>("TDS 350"), nullptr};
}

// A channel query that loses its "ON" only hides the channel.
void AddChannelQueries(std::vector<TextRule>& rules, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        rules.push_back({std::string(name) + "?", kOk, kOk, false});
    }
}

std::vector<Family> Build() {
    std::vector<Family> families;
    families.push_back({"dso_lc9350",
                        DSO_LC9350_PATH,
                        "GPIB0::7",
                        "GPIB0::7",
                        "C1",
                        1024,
                        LeCroy,
                        nullptr,
                        nullptr,  // Half of "*IDN LECROY,9354AM,..." still names the model.
                        {{"*IDN?", kDifferentModel, kOk, false}}});

    Family rhx{"dso_rhx4402",
               DSO_RHX4402_PATH,
               "DEV4",
               "GPIB0::4",
               "CH1",
               1024,
               Paused<zsim::Rhx4402Instrument>,
               "PAU ON",
               "PAU OFF",
               {{"MODEL?", kDifferentModel, kDifferentModel, false},
                {"MOD?", kNotStorage, kNotStorage, false},
                {"PAU?", kOk, kOk, true}}};
    AddChannelQueries(rhx.textRules, {"CH1", "CH2", "CH3", "CH4", "REF1", "REF2", "REF3", "REF4"});
    families.push_back(rhx);

    families.push_back({"dso_rhx6000",
                        DSO_RHX6000_PATH,
                        "GPIB0::6::INSTR",
                        "GPIB0::6",
                        "CH2",
                        1024,
                        Paused<zsim::Rhx6000>,
                        "PAUSE ON",
                        "PAUSE OFF",
                        // Half of "RHX6104" is the whole prefix.
                        {{"MODEL?", kDifferentModel, kOk, false},
                         // Without "DUAL" or "CH" only the references are offered.
                         {"VMODE?", kOk, kOk, false},
                         {"MOD?", kNotStorage, kNotStorage, false},
                         {"PAUSE?", kOk, kOk, true}}});

    families.push_back({"dso_tds300",
                        DSO_TDS300_PATH,
                        "DEV9",
                        "GPIB0::9",
                        "CH1",
                        1000,
                        Tds,
                        nullptr,
                        nullptr,
                        // Half of "TEKTRONIX,TDS 350,..." holds both names.
                        {{"*IDN?", kDifferentModel, kOk, false}}});

    Family rvt{"dso_rvt8800",
               DSO_RVT8800_PATH,
               "GPIB0::8",
               "GPIB0::8",
               "MEM1",
               1024,
               [](bool) {
                   auto scope = std::make_shared<zsim::Rvt8800Instrument>();
                   scope->SetChannelOn("MEM1", true);
                   return Bench{scope, nullptr};
               },
               nullptr,
               nullptr,
               {{"MODEL?", kDifferentModel, kDifferentModel, false},
                {"MOD?", kNotStorage, kNotStorage, false}}};
    AddChannelQueries(rvt.textRules, {"CH1", "CH2", "MEM1", "MEM2"});
    families.push_back(rvt);
    return families;
}

}  // namespace

const std::vector<Family>& Families() {
    static const std::vector<Family> families = Build();
    return families;
}

ztest::Plugin& PluginOf(const Family& family) {
    static std::map<std::string, std::unique_ptr<ztest::Plugin>> loaded;
    std::unique_ptr<ztest::Plugin>& plugin = loaded[family.name];
    if (!plugin) {
        plugin.reset(new ztest::Plugin(family.path));
    }
    return *plugin;
}

}  // namespace reliability
