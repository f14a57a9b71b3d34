// zvds as a person runs it: exit statuses, texts, and the numbers in its CSV
// checked against the waveforms of the simulated bench.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "DemoBench.h"
#include "Waveforms.h"

namespace {

struct Result {
    int status;
    std::string out;
    std::string err;
};

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class ZvdsTool : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = ::testing::TempDir() + "zvds-tool-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_EQ(system(("rm -rf '" + dir_ + "' && mkdir -p '" + dir_ + "'").c_str()), 0);
        setenv("ZVDS_REGISTRY_DIR", (dir_ + "/registry").c_str(), 1);
    }

    Result Run(const std::string& arguments) {
        const std::string out = dir_ + "/stdout", err = dir_ + "/stderr";
        const std::string command = std::string("'") + ZVDS_TOOL_PATH + "' " + arguments + " >'" +
                                    out + "' 2>'" + err + "'";
        const int raw = system(command.c_str());
        return Result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
    }

    std::string dir_;
};

// The CSV's columns after the index, as numbers.
std::vector<std::vector<long>> Columns(const std::string& csv) {
    std::vector<std::vector<long>> columns;
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);  // header
    while (std::getline(lines, line)) {
        std::istringstream cells(line);
        std::string cell;
        std::getline(cells, cell, ',');  // index
        for (size_t c = 0; std::getline(cells, cell, ','); ++c) {
            if (columns.size() <= c) {
                columns.resize(c + 1);
            }
            columns[c].push_back(std::stol(cell));
        }
    }
    return columns;
}

std::vector<uint32_t> BenchCodes(const char* address, const char* channel, size_t points,
                                 uint32_t levels) {
    zsim::WaveShape shape{};
    EXPECT_TRUE(zsim::DemoShape(address, channel, shape)) << address << " " << channel;
    std::vector<uint32_t> codes;
    for (double v : zsim::Generate(shape, points)) {
        codes.push_back(zsim::Quantise(v, levels));
    }
    return codes;
}

TEST_F(ZvdsTool, ProbeListsTheChannels) {
    const Result r = Run("probe lc9350 DEV1 --sim");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("12 channels"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  C1  1024 points"), std::string::npos);
    EXPECT_NE(r.out.find("  TD  1024 points"), std::string::npos);
}

TEST_F(ZvdsTool, ProbeJsonForScripts) {
    const Result r = Run("probe tds300 DEV5 --sim --json");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"result\": 0"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("{\"name\": \"MATH1\", \"points\": 1000}"), std::string::npos) << r.out;
}

TEST_F(ZvdsTool, ReadGivesTheBenchWaveformsAsCsv) {
    struct Case {
        const char* plugin;
        const char* address;
        const char* channel;
    };
    for (const Case& c : {Case{"rhx6000", "DEV4", "CH1"}, Case{"rhx4402", "DEV3", "CH2"},
                          Case{"rvt8800", "DEV6", "CH2"}, Case{"tds300", "DEV5", "CH1"}}) {
        const std::string csv = dir_ + "/" + c.plugin + ".csv";
        const Result r = Run(std::string("read ") + c.plugin + " " + c.address + " " + c.channel +
                             " --sim -o '" + csv + "'");
        ASSERT_EQ(r.status, 0) << c.plugin << ": " << r.err;
        const auto columns = Columns(ReadFile(csv));
        ASSERT_EQ(columns.size(), 1u) << c.plugin;
        std::vector<long> expected;
        const std::string plugin = c.plugin;
        if (plugin == "rhx6000") {
            for (uint32_t code : BenchCodes(c.address, c.channel, 1024, 256))
                expected.push_back(16 * code);
        } else if (plugin == "tds300") {
            for (uint32_t code : BenchCodes(c.address, c.channel, 1000, 256))
                expected.push_back(16 * code);
        } else if (plugin == "rhx4402") {
            for (uint32_t code : BenchCodes(c.address, c.channel, 1024, 65536))
                expected.push_back(code);
        } else {
            const auto codes = BenchCodes(c.address, c.channel, 4096, 256);
            for (size_t i = 0; i < 1024; ++i) {
                expected.push_back(
                    4 * (codes[4 * i] + codes[4 * i + 1] + codes[4 * i + 2] + codes[4 * i + 3]));
            }
        }
        EXPECT_EQ(columns[0], expected) << c.plugin;
        // The preview goes to the terminal, one line per channel.
        EXPECT_EQ(r.out.rfind(c.channel, 0), 0u) << r.out;
    }
}

TEST_F(ZvdsTool, ReadSeveralCapturesNumbersThemAndShowsProgress) {
    const Result r = Run("read rvt8800 DEV6 CH1 CH2 --sim --count 3 --interval 0");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("capture,index,CH1,CH2\n1,0,", 0), 0u) << r.out.substr(0, 80);
    EXPECT_NE(r.out.find("\n3,1023,"), std::string::npos);
    EXPECT_NE(r.err.find("3/3"), std::string::npos) << r.err;
}

TEST_F(ZvdsTool, SvgIsXmlWithOnePathPerChannel) {
    const std::string svg = dir_ + "/plot.svg";
    const Result r = Run("read lc9350 DEV1 C1 C2 C3 --sim -o /dev/null --svg '" + svg + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string check =
        "python3 -c \"import sys, xml.etree.ElementTree as E; "
        "r = E.parse(sys.argv[1]).getroot(); "
        "sys.exit(len(r.findall('{http://www.w3.org/2000/svg}path')))\" '" +
        svg + "'";
    const int raw = system(check.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 3);
}

TEST_F(ZvdsTool, DemoWritesAPlotAndCsvPerInstrument) {
    const Result r = Run("demo --out '" + dir_ + "/demo'");
    ASSERT_EQ(r.status, 0) << r.err << r.out;
    for (const char* base : {"lc9350-DEV1", "lc9350-DEV2", "rhx4402-DEV3", "rhx6000-DEV4",
                             "tds300-DEV5", "rvt8800-DEV6"}) {
        const std::string svg = ReadFile(dir_ + "/demo/" + base + ".svg");
        EXPECT_NE(svg.find("</svg>"), std::string::npos) << base;
        const auto columns = Columns(ReadFile(dir_ + "/demo/" + base + ".csv"));
        EXPECT_EQ(columns.size(), 2u) << base;
    }
    EXPECT_NE(r.out.find("tds300    DEV5"), std::string::npos) << r.out;
}

TEST_F(ZvdsTool, RegisterListAndUnregister) {
    Result r = Run(std::string("register '") + DSO_RHX6000_PATH + "' '" + DSO_TDS300_PATH + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    r = Run("plugins --json");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\"family\": \"Morvane RHX6000 Series\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"loads\": true"), std::string::npos);
    // A registered family name serves as PLUGIN.
    r = Run("probe 'Tektronix TDS300 Series' DEV5 --sim");
    EXPECT_EQ(r.status, 0) << r.err;
    r = Run(std::string("unregister '") + DSO_RHX6000_PATH + "'");
    ASSERT_EQ(r.status, 0);
    r = Run("plugins");
    EXPECT_EQ(r.out.find("RHX6000"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Tektronix TDS300 Series"), std::string::npos) << r.out;
}

TEST_F(ZvdsTool, FailuresAndUsage) {
    struct Case {
        std::string arguments;
        int status;
        const char* text;  // in standard error
    };
    const std::vector<Case> cases = {
        {"probe rhx6000 DEV9 --sim", 1, "Unable to open instrument in device DEV9."},
        {"probe rhx6000 DEV3 --sim", 1, "Different model access in device DEV3."},
        {"probe rhx6000 DEV5 --sim", 1, "Error reading from instrument in device DEV5."},
        {"read rhx6000 DEV4 CH1 --sim --count 0", 2, "--count"},
        {"probe '" + dir_ + "/none.so' DEV1 --sim", 1, "cannot load"},
        {std::string("probe '") + SIM_PATH + "' DEV1", 1, "not a waveform-source plug-in"},
        {"probe lc9350", 2, "usage: zvds probe"},
        {"probe lc9350 DEV1 --bogus", 2, "unknown option --bogus"},
        {"frobnicate", 2, "unknown command"},
        {"", 2, "usage: zvds"},
    };
    for (const Case& c : cases) {
        const Result r = Run(c.arguments);
        EXPECT_EQ(r.status, c.status) << c.arguments;
        EXPECT_NE(r.err.find(c.text), std::string::npos) << c.arguments << ": " << r.err;
    }
    EXPECT_EQ(Run("--help").status, 0);
    EXPECT_EQ(Run("read --help").status, 0);
}

}  // namespace
