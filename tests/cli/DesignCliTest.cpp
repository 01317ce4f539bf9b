// mirelund-design run as a user runs it: its table, its JSON read back, its netlist through ngspice, bad input.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <sys/wait.h>
#include <vector>

#include "CliRun.h"

namespace {

// The application note's measured stage, every part as built: the options only make the design have them.
const std::vector<std::string> kApplicationNote = {
    "--stage", "non-inverting", "--network", "A", "--gain", "35", "--r0", "390", "--c0", "1u", "--hf", "none",
    "--part", "R1=200k", "--part", "C1=15n", "--part", "R2=16k", "--part", "C2=4.7n", "--part", "R0=390",
    "--part", "C0=100u"};

std::vector<std::string> With(std::vector<std::string> arguments, const std::vector<std::string>& more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

TEST(DesignCli, TableShowsTheResultFieldsAndTheReport) {
    struct Table {
        std::vector<std::string> arguments;
        std::vector<std::string> shown;
        std::vector<std::string> notShown;
    };
    const std::vector<Table> tables = {
        {{"--circuit", "4", "--c1", "10n"},
         {"C1               .01 \u00B5F\n", "C2               3.429 nF\n", "R1               218.7 k\n",
          "R2               31.8 k\n", "Largest error    +0.0000 dB",
          "Poles (\u00B5s)       75.00, 3180.00   target 75.00, 3180.00\n", "Zeros (\u00B5s)       318.00   target 318.00\n"},
         {"RL ", "Curve", "Resonance", "Stage"}},
        {{"--stage", "inverting", "--rin", "10k", "--curve", "nartb"},
         {"Stage            inverting\n", "Network          A\n", "Rin              10 k\n", "Gain at 1 kHz    35.00 dB\n",
          "Extra zero       none\n", "Curve            NAB 1949\n", "Largest error    +0.0000 dB"},
         {"Loss", "R0 ", "C0 "}},
        {With(kApplicationNote, {"--cartridge", "500mH,1k", "--load", "47k,100p"}),
         {"C0               100 \u00B5F\n", "Gain at DC       ", " (at 20 Hz: a capacitor blocks DC)\n",
          "Resonance        22746 Hz, Q 0.665; at 10 kHz -0.36 dB, at 20 kHz -2.54 dB"},
         {"R3 "}},
    };
    for (const Table& table : tables) {
        const Finished run = Design(table.arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        for (const std::string& line : table.shown) EXPECT_NE(run.out.find(line), std::string::npos) << line << "\nin\n" << run.out;
        for (const std::string& text : table.notShown) EXPECT_EQ(run.out.find(text), std::string::npos) << text << "\nin\n" << run.out;
    }
    const Finished run = Design({"--circuit", "4", "--c1", "10n"});
    // The table tells the loss, the JSON the level: the same figure with the sign turned.
    const auto json = nlohmann::json::parse(Design({"--circuit", "4", "--c1", "10n", "--json"}).out);
    const std::string lossLabel = "Loss at 1 kHz    ";
    const std::size_t loss = run.out.find(lossLabel);
    ASSERT_NE(loss, std::string::npos) << run.out;
    const double shownLoss = std::stod(run.out.substr(loss + lossLabel.size()));
    EXPECT_GT(shownLoss, 0);
    EXPECT_NEAR(shownLoss, -json["lossAt1kHzDb"].get<double>(), 0.005);
    // Without --builds, as many builds as the engine makes by default.
    const Finished tolerance = Design({"--circuit", "4", "--c1", "10n", "--tolerance", "1%,2%"});
    EXPECT_NE(tolerance.out.find("Tolerance        R 1%, C 2%, uniform, 10000 builds\n"), std::string::npos)
        << tolerance.out;
}

TEST(DesignCli, CaptionNamesTheSameCircuitAsItsNumber) {
    EXPECT_EQ(Design({"--circuit", "complete riaa EQ (version 1)", "--c1", "0.01"}).out,
              Design({"--circuit", "4", "--c1", "10000p"}).out);
}

TEST(DesignCli, JsonReadsBackWithTheEngineNames) {
    const Finished run = Design({"--circuit", "4", "--c1", "100n", "--rs", "1k", "--rl", "47k", "--c2", "33n+1.2n",
                            "--tolerance", "1%,2%", "--builds", "2000", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_DOUBLE_EQ(json["C1"].get<double>(), 0.1);
    EXPECT_NEAR(json["C2"].get<double>(), 0.0342, 1e-12);
    EXPECT_DOUBLE_EQ(json["Rs"].get<double>(), 1000);
    EXPECT_DOUBLE_EQ(json["RL"].get<double>(), 47000);
    EXPECT_DOUBLE_EQ(json["R2"].get<double>(), 3180);
    EXPECT_NEAR(json["R1"].get<double>(), 1 / (1 / 21870.0 - 1 / 47000.0) - 1000, 1e-6) << "R1 corrected for Rs and RL";
    const auto poles = json["realisedPolesUs"].get<std::vector<double>>();
    ASSERT_EQ(poles.size(), 2u);
    EXPECT_LT(poles[0], poles[1]);
    EXPECT_EQ(json["targetZerosUs"].get<std::vector<double>>(), std::vector<double>{318});
    for (const char* key : {"largestErrorDb", "largestErrorHz", "lossAt1kHzDb", "realisedZerosUs", "targetPolesUs"}) {
        EXPECT_TRUE(json.contains(key)) << key;
    }
    const auto& tolerance = json["tolerance"];
    EXPECT_LE(tolerance["p50Db"].get<double>(), tolerance["p95Db"].get<double>());
    EXPECT_LE(tolerance["p95Db"].get<double>(), tolerance["p99Db"].get<double>());
    EXPECT_EQ(tolerance["builds"].get<int>(), 2000);
    // Resistors first, capacitors second; the other way round is another run.
    EXPECT_EQ(tolerance["resistorPercent"].get<double>(), 1);
    EXPECT_EQ(tolerance["capacitorPercent"].get<double>(), 2);
    const auto swapped = nlohmann::json::parse(Design({"--circuit", "4", "--c1", "100n", "--rs", "1k", "--rl", "47k",
                                                       "--c2", "33n+1.2n", "--tolerance", "2%,1%", "--builds", "2000",
                                                       "--json"}).out)["tolerance"];
    EXPECT_NE(swapped["p95Db"].get<double>(), tolerance["p95Db"].get<double>());
}

TEST(DesignCli, RoundingToASeriesChangesTheResistors) {
    const auto json = nlohmann::json::parse(Design({"--circuit", "0", "--c1", "10n", "--round", "E24", "--json"}).out);
    EXPECT_DOUBLE_EQ(json["R1"].get<double>(), 330000);  // 318 kΩ lies nearer 330k than 300k on a log scale
    const auto list = nlohmann::json::parse(Design({"--circuit", "0", "--c1", "10n", "--round", "list", "--json"}).out);
    EXPECT_NE(list["R1"].get<double>(), 318000);
}

// A figure of the JSON, by pointer: a number within a margin, null, or no such key.
TEST(DesignCli, JsonFiguresOfEveryKindOfDesign) {
    enum class Shown { Near, Null, Absent };
    struct Figure {
        std::vector<std::string> arguments;
        std::string pointer;
        Shown shown = Shown::Near;
        double value = 0;
        double within = 0;
    };
    const std::vector<std::string> stage = {"--stage", "non-inverting", "--r0", "1k"};
    const std::vector<std::string> cartridge = {"--cartridge", "500mH,1k", "--load", "47k,100p"};
    const std::vector<Figure> figures = {
        {kApplicationNote, "/gain1kHzDb", Shown::Near, 34.97, 0.005},
        {kApplicationNote, "/R1", Shown::Near, 200000, 0},
        {kApplicationNote, "/C0", Shown::Near, 100, 0},
        {kApplicationNote, "/R3", Shown::Absent},
        {kApplicationNote, "/lossAt1kHzDb", Shown::Absent},
        {With(stage, {"--hf", "pole"}), "/largestErrorDb", Shown::Near, 0, 1e-6},
        {With(stage, {"--hf", "pole"}), "/gainDcDb", Shown::Near, 54.91, 0.005},
        {With(stage, {"--hf", "pole"}), "/resonanceHz", Shown::Null},
        {With(stage, {"--curve", "Decca LP"}), "/targetPolesUs/0", Shown::Near, 50, 1e-9},
        {With(stage, {"--round", "E24"}), "/R1", Shown::Near, 510000, 0},
        {With(stage, {"--round", "E24"}), "/R3", Shown::Near, 1000, 0},
        {With(stage, cartridge), "/resonanceHz", Shown::Near, 22746, 1},
        {With(stage, cartridge), "/resonanceQ", Shown::Near, 0.665, 0.001},
        {With(With(stage, cartridge), {"--tolerance", "0%,0%", "--tolerance-cl", "10%", "--builds", "500"}),
         "/tolerance/p95Db", Shown::Near, 2.62, 0.03},  // 2.54 dB nominal: the cartridge's own peak
        {{"--stage", "inverting", "--rin", "10k"}, "/extraZeroHz", Shown::Null},
        {{"--stage", "two-stage", "--r0", "1k", "--rl", "47k", "--iec"}, "/Cout", Shown::Near, 0.166, 0.001},
        {{"--circuit", "4", "--c1", "0.01\u00B5", "--part", "C2=3.3n+120p"}, "/C2", Shown::Near, 0.00342, 1e-15},
        {{"--circuit", "4", "--c1", "10n"}, "/gainDcDb", Shown::Null},
        {{"--circuit", "4", "--c1", "10n"}, "/network", Shown::Null},
        {{"--circuit", "4", "--c1", "10n"}, "/gain1kHzDb", Shown::Near, -19.91, 0.01},
        {{"--circuit", "4", "--c1", "10n"}, "/R0", Shown::Absent},
        {{"--circuit", "4", "--c1", "10n", "--curve", "NAB 1949"}, "/targetPolesUs/0", Shown::Near, 100, 1e-9},
    };
    for (const Figure& figure : figures) {
        const Finished run = Design(With(figure.arguments, {"--json"}));
        ASSERT_EQ(run.status, 0) << figure.pointer << " " << run.err;
        const auto json = nlohmann::json::parse(run.out);
        const nlohmann::json::json_pointer pointer(figure.pointer);
        if (figure.shown == Shown::Absent) {
            EXPECT_FALSE(json.contains(pointer)) << figure.pointer;
        } else if (figure.shown == Shown::Null) {
            ASSERT_TRUE(json.contains(pointer)) << figure.pointer;
            EXPECT_TRUE(json[pointer].is_null()) << figure.pointer;
        } else {
            ASSERT_TRUE(json.contains(pointer) && json[pointer].is_number()) << figure.pointer << "\n" << run.out;
            EXPECT_NEAR(json[pointer].get<double>(), figure.value, figure.within) << figure.pointer;
        }
    }
}

// A unit or multiplier as the help's examples type it reads as the number alone; a second value shows
// that the op-amp takes part at all.
TEST(DesignCli, UnitsAndMultipliersReadAsTheNumberAlone) {
    const std::vector<std::string> stage = {"--stage", "non-inverting", "--r0", "1k", "--json"};
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> same = {
        {{"--a0", "100dB"}, {"--a0", "100"}},
        {{"--a0", "60 dB"}, {"--a0", "60"}},
        {{"--gbw", "10M"}, {"--gbw", "10000000"}},
        {{"--gbw", "10MHz"}, {"--gbw", "10000000"}},
        {{"--gbw", "300k"}, {"--gbw", "300000"}},
    };
    for (const auto& [typed, plain] : same) {
        const Finished run = Design(With(stage, typed));
        ASSERT_EQ(run.status, 0) << typed[1] << " " << run.err;
        EXPECT_EQ(run.out, Design(With(stage, plain)).out) << typed[1];
    }
    EXPECT_NE(Design(With(stage, {"--a0", "60"})).out, Design(With(stage, {"--a0", "100"})).out);
    EXPECT_NE(Design(With(stage, {"--gbw", "300k"})).out, Design(With(stage, {"--gbw", "10M"})).out);
}

// The stage is designed for RIAA as before; only the curve it is measured against changes.
TEST(DesignCli, AgainstMeasuresTheSameDesignAgainstAnotherCurve) {
    const std::vector<std::string> stage = {"--stage", "non-inverting", "--r0", "1k", "--json"};
    const auto plain = nlohmann::json::parse(Design(stage).out);
    // RIAA as built against RIAA with the 7950 µs high-pass: the high-pass's own loss at 20 Hz, against 1 kHz.
    const auto highPassDb = [](double hz) { return 10 * std::log10(1 + std::pow(2 * std::numbers::pi * hz * 7950e-6, -2)); };
    struct Against {
        std::string typed;
        std::string shown;
        std::optional<double> largestErrorDb;
    };
    for (const Against& against : std::vector<Against>{{"European 78", "European 78", std::nullopt},
                                                       {"RIAA+IEC", "RIAA+IEC", highPassDb(20) - highPassDb(1000)},
                                                       {"nab_1949 + 3.18\u00B5s+iec", "NAB 1949+IEC+3.18us", std::nullopt}}) {
        const Finished run = Design(With(stage, {"--against", against.typed}));
        ASSERT_EQ(run.status, 0) << against.typed << " " << run.err;
        const auto json = nlohmann::json::parse(run.out);
        EXPECT_EQ(json["against"], against.shown);
        EXPECT_EQ(json["curve"], "RIAA");
        for (const char* element : {"R0", "R1", "C1", "R2", "C2", "R3", "C3"}) EXPECT_EQ(json[element], plain[element]);
        EXPECT_GT(std::abs(json["largestErrorDb"].get<double>()), 0.1) << against.typed;
        if (against.largestErrorDb) {
            EXPECT_NEAR(json["largestErrorDb"].get<double>(), *against.largestErrorDb, 1e-3);
        }
    }
    const Finished table = Design({"--stage", "non-inverting", "--r0", "1k", "--against", "European 78"});
    EXPECT_NE(table.out.find("Curve            RIAA\nAgainst          European 78\n"), std::string::npos) << table.out;
}

TEST(DesignCli, NetlistRunsInNgspice) {
    for (const std::vector<std::string>& design :
         {std::vector<std::string>{"--circuit", "5", "--c1", "10n", "--rs", "1k", "--rl", "1M"},
          With(kApplicationNote, {"--a0", "100", "--cartridge", "500mH,1k", "--load", "47k,100p"})}) {
        const Finished run = Design(With(design, {"--netlist"}));
        ASSERT_EQ(run.status, 0) << run.err;
        const auto path = std::filesystem::temp_directory_path() / ("design_" + std::to_string(::getpid()) + ".cir");
        std::ofstream(path) << run.out;
        const Finished spice = RunCommand(NGSPICE_PATH, {"-b", path.string()});
        std::filesystem::remove(path);
        EXPECT_EQ(spice.status, 0) << spice.out << spice.err;
        EXPECT_EQ(spice.err.find("rror"), std::string::npos) << spice.err;
    }
}

struct BadInput {
    std::vector<std::string> arguments;
    std::string message;  // the start of the one line on stderr after "mirelund-design: "
};

TEST(DesignCli, BadInputGivesOneLineAndStatusTwo) {
    const std::vector<BadInput> cases = {
        {{"--circuit", "9", "--c1", "10n"}, "--circuit: '9' is no circuit"},
        {{"--circuit", "6", "--c1", "10n"}, "--circuit: '6' is no circuit"},
        {{"--circuit", "4", "--c1", "4x7"}, "--c1: '4x7' is not a valid floating point value"},
        {{"--circuit", "4", "--c1", "0"}, "--c1: "},
        {{"--circuit", "4", "--c1", "-10n"}, "--c1: "},
        {{"--circuit", "4", "--c1", "1e-300"}, "--c1: C1 must lie between 1 pF and 10,000 \u00B5F"},
        {{"--circuit", "4", "--c1", "10n", "--c2", "20000"}, "--c2: C2 must lie between 1 pF and 10,000 \u00B5F"},
        {{"--circuit", "4", "--c1", "10n", "--rs", "2e12"}, "--rs: Rs must lie between 0 \u03A9 and 1 T\u03A9"},
        {{"--circuit", "4", "--c1", "10n", "--rl", "1e300"}, "--rl: RL must lie between 0 \u03A9 and 1 T\u03A9"},
        {{"--circuit", "4"}, "--c1 is required"},
        {{"--circuit", "4", "--c1", "10n", "--round", "E7"}, "--round: 'E7' is no rounding"},
        {{"--circuit", "4", "--c1", "10n", "--tolerance", "1%"}, "--tolerance: '1%' must be two percentages"},
        {{"--circuit", "4", "--c1", "10n", "--tolerance", "1%,80%"}, "--tolerance: '80%' must lie between"},
        {{"--circuit", "4", "--c1", "10n", "--tolerance", "1%,2%", "--builds", "100001"},
         "--builds: must lie between 1 and 100000\n"},
        {{"--circuit", "0", "--c1", "10n", "--c2", "1n"}, "--c2: this circuit has no C2"},
        {{"--circuit", "0", "--c1", "10n", "--rl", "100k"}, "--rl: The load resistance, RL, is too low"},
        {{"--circuit", "1", "--c1", "10n", "--rs", "10k"}, "--rs: The series resistance, Rs, is too high"},
        {{"--circuit", "4", "--c1", "10n", "--frobnicate"}, "The following argument was not expected: --frobnicate"},
        {{"--c1", "10n"}, "--circuit is required, or --stage"},
        {{"--stage", "foo", "--r0", "1k"}, "--stage: 'foo' is no stage"},
        {{"--stage", "inverting", "--r0", "1k"}, "--r0: an inverting stage has no R0"},
        {{"--stage", "non-inverting"}, "--stage: give the scale, --r0 or --c1"},
        {{"--stage", "non-inverting", "--r0", "1k", "--c1", "10n"}, "--r0: give --r0 or --c1, not both"},
        {{"--stage", "two-stage", "--r0", "1k", "--circuit", "4", "--c2", "1n"}, "--circuit, --c2: only for a passive circuit"},
        {{"--circuit", "4", "--c1", "10n", "--gain", "40", "--shelf", "1"}, "--gain, --shelf: only for an active stage"},
        {{"--stage", "non-inverting", "--r0", "1k", "--network", "E"}, "--network: 'E' is no network: give A, B, C or D"},
        {{"--stage", "non-inverting", "--r0", "1k", "--gain", "-20dB"}, "--gain: The gain is too low"},
        {{"--stage", "non-inverting", "--r0", "1k", "--gain", "3x5dB"}, "--gain: '3x5dB' is not a gain in dB"},
        {{"--stage", "non-inverting", "--r0", "1k", "--hf", "3.18us", "--gain", "40"}, "--gain: a zero at 3.18"},
        {{"--stage", "inverting", "--rin", "1k", "--hf", "none"}, "--hf: only a non-inverting stage"},
        {{"--stage", "non-inverting", "--r0", "1e-300"}, "--r0: C1 would be"},
        {{"--stage", "non-inverting", "--r0", "1k", "--r3", "1e12"}, "--r3: C3 would be"},
        {{"--stage", "inverting", "--rin", "1k", "--r3", "1k"}, "--r3: this design has no R3"},
        {{"--stage", "non-inverting", "--r0", "1k", "--rl", "10k"}, "--rl: this design has no RL"},
        {{"--stage", "non-inverting", "--r0", "1k", "--iec"}, "--iec: the coupling capacitor needs"},
        {{"--stage", "non-inverting", "--r0", "1k", "--a0", "1e6"}, "--a0: '1e6' must lie between 0 dB and 300 dB"},
        {{"--stage", "non-inverting", "--r0", "1k", "--gbw", "1e-300"}, "--gbw: '1e-300' must lie between"},
        {{"--stage", "non-inverting", "--r0", "1k", "--shelf", "100"}, "--shelf: RIAA has a shelf of its own"},
        {{"--stage", "non-inverting", "--r0", "1k", "--curve", "RCA 45", "--shelf", "100"}, "--shelf: The curve's"},
        {{"--stage", "non-inverting", "--r0", "1k", "--curve", ""}, "--curve: '' is no replay curve"},
        {{"--circuit", "2", "--c1", "10n", "--iec"}, "--iec: a section is measured against its own target"},
        {{"--circuit", "2", "--c1", "10n", "--against", "RIAA"}, "--against: a section is measured against its own"},
        {{"--stage", "non-inverting", "--r0", "1k", "--against", "Columbia XP"}, "--against: 'Columbia XP' is no replay"},
        {{"--stage", "non-inverting", "--r0", "1k", "--against", "RIAA+RCA"}, "--against: '+RCA' is no option of a curve"},
        {{"--stage", "non-inverting", "--r0", "1k", "--against", "RIAA+IEC+iec"}, "--against: +iec is given twice"},
        {{"--stage", "two-stage", "--r0", "1k", "--network", "B"}, "--network: two stages have a network of their own"},
        {{"--stage", "non-inverting", "--rin", "1k"}, "--rin: only an inverting stage has Rin"},
        {{"--circuit", "4", "--c1", "10n", "--part", "R3=1k"}, "--part: this design has no R3"},
        {{"--circuit", "4", "--c1", "10n", "--part", "r1=1k"}, "--part: 'r1' is no element"},
        {{"--circuit", "4", "--c1", "10n", "--part", "R1"}, "--part: 'R1' must be NAME=VALUE"},
        {{"--circuit", "4", "--c1", "10n", "--part", "R1=1k", "--part", "R1=2k"}, "--part: R1 is given twice"},
        {{"--circuit", "4", "--c1", "10n", "--part", "C1=1e300"}, "--part: C1 must lie between"},
        {{"--circuit", "4", "--c1", "10n", "--load", "47k,100p"}, "--load: give --cartridge and --load together"},
        {{"--circuit", "4", "--c1", "10n", "--cartridge", "50H,1k", "--load", "47k,100p"}, "--cartridge: The cartridge's"},
        {{"--circuit", "4", "--c1", "10n", "--cartridge", "500mH,1k", "--load", "10,1n"}, "--load: The input's load"},
        {{"--circuit", "4", "--c1", "10n", "--cartridge", "500mH", "--load", "47k,1n"}, "--cartridge: '500mH' must be two"},
        {{"--circuit", "4", "--c1", "10n", "--cartridge", "500mH,1k", "--load", "47k,1n", "--tolerance-cl", "5%"},
         "--tolerance-cl: give --tolerance too"},
    };
    for (const BadInput& bad : cases) {
        const Finished run = Design(bad.arguments);
        EXPECT_EQ(run.status, 2) << bad.message;
        EXPECT_EQ(run.out, "") << bad.message;
        EXPECT_EQ(run.err.rfind("mirelund-design: " + bad.message, 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    // The largest run the engine takes is not refused.
    EXPECT_EQ(Design({"--circuit", "4", "--c1", "10n", "--tolerance", "1%,2%", "--builds", "100000"}).status, 0);
}

TEST(DesignCli, HelpDocumentsEveryOptionWithAnExample) {
    const Finished run = Design({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* option : {"--circuit", "--c1", "--rs", "--rl", "--round", "--c2", "--stage", "--network", "--gain",
                               "--r0", "--rin", "--c0", "--hf", "--r3", "--a0", "--gbw", "--shelf", "--part", "--curve",
                               "--iec", "--zero-3.18us", "--against", "--curves", "--cartridge", "--load", "--tolerance",
                               "--tolerance-cl", "--distribution", "--builds", "--netlist", "--json", "--design", "--save",
                               "--bom", "--noise", "--opamp", "--opamps", "--en", "--in", "--fce", "--fci", "--swing",
                               "--temperature", "--reference", "--best", "--best-pairs", "--best-range", "--best-count"}) {
        // The option itself, not one whose name it begins (--tolerance in --tolerance-cl).
        const std::string example = "Example: " + std::string(option);
        bool found = false;
        for (std::size_t at = run.out.find(example); at != std::string::npos && !found; at = run.out.find(example, at + 1)) {
            const std::size_t next = at + example.size();
            found = next < run.out.size() && (run.out[next] == ' ' || run.out[next] == '\n');
        }
        EXPECT_TRUE(found) << option;
    }
    const Finished curves = Design({"--curves"});
    EXPECT_EQ(curves.status, 0);
    EXPECT_NE(curves.out.find("NAB 1949             NARTB"), std::string::npos) << curves.out;
}

// A scratch file's path, gone when the test ends.
struct Scratch {
    std::filesystem::path path;
    explicit Scratch(const std::string& name)
        : path(std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()))) {}
    ~Scratch() { std::filesystem::remove(path); }
};

// What --save writes, --design reads back as the same run: the same table, the same JSON, the same bytes saved again.
TEST(DesignFileCli, SaveThenDesignGivesTheSameOutput) {
    const std::vector<std::vector<std::string>> designs = {
        {"--circuit", "4", "--c1", "100n", "--rs", "1k", "--rl", "47k", "--round", "E96", "--c2", "33n+1.2n"},
        {"--stage", "two-stage", "--r0", "1k", "--rl", "47k", "--iec", "--a0", "90", "--gbw", "3M"},
        {"--stage", "non-inverting", "--r0", "390", "--c0", "100u", "--hf", "none", "--part", "R1=180k+22k",
         "--cartridge", "500mH,1k", "--load", "47k,100p", "--tolerance", "1%,2%", "--tolerance-cl", "10%", "--builds",
         "300", "--against", "RIAA+IEC"},
        {"--stage", "inverting", "--rin", "10k", "--opamp", "lm4562", "--en", "3n", "--reference", "10m",
         "--temperature", "40"},
    };
    const Scratch saved("design_saved"), again("design_again");
    for (const std::vector<std::string>& design : designs) {
        for (const char* output : {"--json", "--netlist"}) {
            const Finished run = Design(With(design, {output, "--save", saved.path.string()}));
            ASSERT_EQ(run.status, 0) << run.err;
            const Finished read = Design({output, "--design", saved.path.string(), "--save", again.path.string()});
            ASSERT_EQ(read.status, 0) << read.err;
            EXPECT_EQ(read.out, run.out) << design[0] << " " << output;
            EXPECT_EQ(ReadFile(again.path), ReadFile(saved.path)) << design[0];
        }
        EXPECT_EQ(Design({"--design", saved.path.string()}).out, Design(design).out) << design[0];
    }
}

// An option beside --design is the file with that field changed; a scale or a curve typed replaces the file's whole.
TEST(DesignFileCli, OptionBesideDesignChangesIt) {
    const std::vector<std::string> network = {"--circuit", "4", "--c1", "100n", "--rs", "1k", "--rl", "47k"};
    const std::vector<std::string> stage = {"--stage", "two-stage", "--r0", "1k", "--rl", "47k", "--iec"};
    struct Change {
        std::vector<std::string> saved, beside, typed;
    };
    const std::vector<Change> changes = {
        {network, {"--rl", "100k"}, {"--circuit", "4", "--c1", "100n", "--rs", "1k", "--rl", "100k"}},
        {network, {"--rs", ""}, {"--circuit", "4", "--c1", "100n", "--rl", "47k"}},
        {network, {"--stage", "inverting", "--rin", "10k"}, {"--stage", "inverting", "--rin", "10k"}},
        {stage, {"--c1", "10n"}, {"--stage", "two-stage", "--c1", "10n", "--rl", "47k", "--iec"}},
        {stage, {"--curve", "RIAA"}, {"--stage", "two-stage", "--r0", "1k", "--rl", "47k"}},
        {stage, {"--circuit", "5"}, {"--circuit", "5", "--c1", "10n"}},
        // A typed op-amp brings its own noise, A0 and GBW; the file's reference level stays.
        {{"--stage", "inverting", "--rin", "10k", "--opamp", "lm4562", "--en", "3n", "--reference", "10m"},
         {"--opamp", "tl072"},
         {"--stage", "inverting", "--rin", "10k", "--opamp", "tl072", "--reference", "10m"}},
    };
    const Scratch saved("design_changed");
    for (const Change& change : changes) {
        ASSERT_EQ(Design(With(change.saved, {"--save", saved.path.string()})).status, 0);
        const Finished run = Design(With({"--design", saved.path.string()}, change.beside));
        ASSERT_EQ(run.status, 0) << change.beside[0] << " " << run.err;
        EXPECT_EQ(run.out, Design(change.typed).out) << change.beside[0];
    }
}

// A file that cannot be read, or written, is named with its problem on one line, status 2, nothing on stdout.
TEST(DesignFileCli, BadFileExitsTwoNamingIt) {
    const Scratch file("design_bad"), kept("design_kept");
    ASSERT_EQ(Design({"--stage", "inverting", "--rin", "10k", "--save", file.path.string()}).status, 0);
    const std::string good = ReadFile(file.path);
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        return text.replace(text.find(from), from.size(), to);
    };
    const std::string name = file.path.string();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"{\"format\": \"mirelund-design\",\n", name + ": The design file is not JSON: line 2, column 1"},
        {replaced("\"version\": 1", "\"version\": 2"), name + ": This design was saved in version 2 of the file"},
        {replaced("\"network\": \"A\"", "\"network\": \"E\""), name + ": stage.network must be one of A, B, C, D"},
        {replaced("\"scaleResistor\": \"10000\"", "\"scaleResistor\": \"2,2k\""),
         name + ": stage.scaleResistor: '2,2k' has a comma"},
        {replaced("\"gain\": \"35\"", "\"gain\": \"3x\""), name + ": stage.gain: '3x' is not a gain in dB"},
        {"", "Cannot open " + name + ": the file is empty"},
    };
    for (const auto& [text, message] : cases) {
        std::ofstream(file.path, std::ios::trunc) << text;
        const Finished run = Design({"--design", name});
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_EQ(run.out, "") << message;
        EXPECT_EQ(run.err.rfind("mirelund-design: " + message, 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    std::filesystem::remove(file.path);
    EXPECT_EQ(Design({"--design", name}).err, "mirelund-design: Cannot open " + name + ": No such file or directory\n");
    for (const char* option : {"--save", "--bom"}) {
        const Finished run = Design({"--circuit", "4", "--c1", "10n", option, "/nonexistent/design"});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "mirelund-design: Cannot save /nonexistent/design: No such file or directory\n");
    }
    // A run refused leaves the file it would have saved as it was.
    std::ofstream(kept.path) << good;
    EXPECT_EQ(Design({"--circuit", "4", "--c1", "0", "--save", kept.path.string()}).status, 2);
    EXPECT_EQ(ReadFile(kept.path), good);
}

// A sum typed is bought as its parts; a design's value as the series' nearest, with the tolerance asked.
TEST(DesignFileCli, BomRowsOfANetworkWithAPairSum) {
    const Scratch bom("design_bom");
    const Finished run = Design({"--circuit", "4", "--c1", "10n", "--part", "R1=200k+18k", "--round", "E24",
                                 "--tolerance", "0.5%,5%", "--builds", "1", "--bom", bom.path.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, Design({"--circuit", "4", "--c1", "10n", "--part", "R1=200k+18k", "--round", "E24",
                               "--tolerance", "0.5%,5%", "--builds", "1"}).out);
    EXPECT_EQ(ReadFile(bom.path),
              "Designator,Value,Exact,Series,Tolerance,Type,Quantity,Note\r\n"
              "C1,10 nF,10 nF,exact,5 %,Film capacitor,2,\r\n"
              "C2,3.429 nF,3.42936 nF,exact,5 %,Film capacitor,2,\r\n"
              "R1a,200 k\u03A9,200 k\u03A9,E24,0.5 %,Metal film resistor,2,R1a and R1b in series make R1\r\n"
              "R1b,18 k\u03A9,18 k\u03A9,E24,0.5 %,Metal film resistor,2,R1a and R1b in series make R1\r\n"
              "R2,33 k\u03A9,31.8 k\u03A9,E24,0.5 %,Metal film resistor,2,\r\n");
}

}  // namespace
