// zvds as a person runs it: exit statuses, texts, and the numbers in its CSV
// checked against the waveforms of the simulated bench.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "DemoBench.h"
#include "Process.h"
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

// A Windows program's text output ends its lines with CR LF.
std::string Lines(std::string text) {
#if defined(_WIN32)
    size_t kept = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            text[kept++] = text[i];
        }
    }
    text.resize(kept);
#endif
    return text;
}

class ZvdsTool : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = ::testing::TempDir() + "zvds-tool-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(dir_);
        ASSERT_TRUE(std::filesystem::create_directories(dir_));
        // The Linux registry layer's store; Windows has its own registry.
        ztest::SetEnvironment("ZVDS_REGISTRY_DIR", (dir_ + "/registry").c_str());
    }

    Result Run(const std::vector<std::string>& arguments) {
        const std::string out = dir_ + "/stdout", err = dir_ + "/stderr";
        const int status = ztest::RunProgram(ZVDS_TOOL_PATH, arguments, out, err);
        return Result{status, Lines(ReadFile(out)), Lines(ReadFile(err))};
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
    const Result r = Run({"probe", "lc9350", "DEV1", "--sim"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("12 channels"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  C1  1024 points"), std::string::npos);
    EXPECT_NE(r.out.find("  TD  1024 points"), std::string::npos);
}

TEST_F(ZvdsTool, ProbeJsonForScripts) {
    const Result r = Run({"probe", "tds300", "DEV5", "--sim", "--json"});
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
        const Result r = Run({"read", c.plugin, c.address, c.channel, "--sim", "-o", csv});
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
    const Result r =
        Run({"read", "rvt8800", "DEV6", "CH1", "CH2", "--sim", "--count", "3", "--interval", "0"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("capture,index,CH1,CH2\n1,0,", 0), 0u) << r.out.substr(0, 80);
    EXPECT_NE(r.out.find("\n3,1023,"), std::string::npos);
    EXPECT_NE(r.err.find("3/3"), std::string::npos) << r.err;
}

TEST_F(ZvdsTool, SvgIsXmlWithOnePathPerChannel) {
    const std::string svg = dir_ + "/plot.svg";
    const Result r = Run({"read", "lc9350", "DEV1", "C1", "C2", "C3", "--sim", "-o",
                          ztest::NullDevice(), "--svg", svg});
    ASSERT_EQ(r.status, 0) << r.err;
#if defined(_WIN32)
    // No Python among the Windows programs: the paths are counted here, and the
    // Linux build has the same writer's output read by an XML parser.
    const std::string text = ReadFile(svg);
    size_t paths = 0;
    for (size_t at = text.find("<path "); at != std::string::npos;
         at = text.find("<path ", at + 1)) {
        ++paths;
    }
    EXPECT_EQ(paths, 3u);
    EXPECT_NE(text.find("</svg>"), std::string::npos);
#else
    const std::string check =
        "import sys, xml.etree.ElementTree as E; "
        "r = E.parse(sys.argv[1]).getroot(); "
        "sys.exit(len(r.findall('{http://www.w3.org/2000/svg}path')))";
    EXPECT_EQ(ztest::RunProgram("python3", {"-c", check, svg}, dir_ + "/py.out", dir_ + "/py.err"),
              3)
        << ReadFile(dir_ + "/py.err");
#endif
}

TEST_F(ZvdsTool, DemoWritesAPlotAndCsvPerInstrument) {
    const Result r = Run({"demo", "--out", dir_ + "/demo"});
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
    Result r = Run({"register", DSO_RHX6000_PATH, DSO_TDS300_PATH});
    ASSERT_EQ(r.status, 0) << r.err;
    r = Run({"plugins", "--json"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\"family\": \"Morvane RHX6000 Series\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"loads\": true"), std::string::npos);
    // A registered family name serves as PLUGIN.
    r = Run({"probe", "Tektronix TDS300 Series", "DEV5", "--sim"});
    EXPECT_EQ(r.status, 0) << r.err;
    r = Run({"unregister", DSO_RHX6000_PATH});
    ASSERT_EQ(r.status, 0);
    r = Run({"plugins"});
    EXPECT_EQ(r.out.find("RHX6000"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Tektronix TDS300 Series"), std::string::npos) << r.out;
    // Windows' registry outlives the test: leave nothing behind.
    EXPECT_EQ(Run({"unregister", DSO_TDS300_PATH}).status, 0);
}

TEST_F(ZvdsTool, FailuresAndUsage) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* text;  // in standard error
    };
    const std::vector<Case> cases = {
        {{"probe", "rhx6000", "DEV9", "--sim"}, 1, "Unable to open instrument in device DEV9."},
        {{"probe", "rhx6000", "DEV3", "--sim"}, 1, "Different model access in device DEV3."},
        {{"probe", "rhx6000", "DEV5", "--sim"}, 1, "Error reading from instrument in device DEV5."},
        {{"read", "rhx6000", "DEV4", "CH1", "--sim", "--count", "0"}, 2, "--count"},
        {{"probe", dir_ + "/none.so", "DEV1", "--sim"}, 1, "cannot load"},
        {{"probe", SIM_PATH, "DEV1"}, 1, "not a waveform-source plug-in"},
        {{"probe", "lc9350"}, 2, "usage: zvds probe"},
        {{"probe", "lc9350", "DEV1", "--bogus"}, 2, "unknown option --bogus"},
        {{"frobnicate"}, 2, "unknown command"},
        {{}, 2, "usage: zvds"},
    };
    for (const Case& c : cases) {
        const Result r = Run(c.arguments);
        std::string shown;
        for (const std::string& a : c.arguments) {
            shown += " " + a;
        }
        EXPECT_EQ(r.status, c.status) << shown;
        EXPECT_NE(r.err.find(c.text), std::string::npos) << shown << ": " << r.err;
    }
    EXPECT_EQ(Run({"--help"}).status, 0);
    EXPECT_EQ(Run({"read", "--help"}).status, 0);
}

}  // namespace
