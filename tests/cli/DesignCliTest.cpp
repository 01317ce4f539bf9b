// mirelund-design run as a user runs it: its table, its JSON read back, its netlist through ngspice, bad input.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct Finished {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

Finished RunCommand(const std::string& program, const std::vector<std::string>& arguments) {
    const auto errPath = std::filesystem::temp_directory_path() / ("design_err_" + std::to_string(::getpid()));
    std::string command = Quoted(program);
    for (const std::string& argument : arguments) command += " " + Quoted(argument);
    command += " 2>" + Quoted(errPath.string());
    Finished run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, count);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFile(errPath);
    std::filesystem::remove(errPath);
    return run;
}

Finished Design(const std::vector<std::string>& arguments) { return RunCommand(MIRELUND_DESIGN_PATH, arguments); }

TEST(DesignCli, TableShowsTheResultFieldsAndTheReport) {
    const Finished run = Design({"--circuit", "4", "--c1", "10n"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    for (const char* line : {"C1               .01 \u00B5F\n", "C2               3.429 nF\n",
                             "R1               218.7 k\n", "R2               31.8 k\n",
                             "Largest error    +0.0000 dB", "Poles (\u00B5s)       75.00, 3180.00   target 75.00, 3180.00\n",
                             "Zeros (\u00B5s)       318.00   target 318.00\n"}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\nin\n" << run.out;
    }
    EXPECT_EQ(run.out.find("RL "), std::string::npos) << "RL shown without --rl";
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

TEST(DesignCli, NetlistRunsInNgspice) {
    const Finished run = Design({"--circuit", "5", "--c1", "10n", "--rs", "1k", "--rl", "1M", "--netlist"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto path = std::filesystem::temp_directory_path() / ("design_" + std::to_string(::getpid()) + ".cir");
    std::ofstream(path) << run.out;
    const Finished spice = RunCommand(NGSPICE_PATH, {"-b", path.string()});
    std::filesystem::remove(path);
    EXPECT_EQ(spice.status, 0) << spice.out << spice.err;
    EXPECT_EQ(spice.err.find("rror"), std::string::npos) << spice.err;
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
    for (const char* option : {"--circuit", "--c1", "--rs", "--rl", "--round", "--c2", "--tolerance", "--netlist",
                               "--json"}) {
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
    }
    std::size_t examples = 0;
    for (std::size_t at = run.out.find("Example:"); at != std::string::npos; at = run.out.find("Example:", at + 1)) {
        ++examples;
    }
    EXPECT_GE(examples, 12u) << "the program's example and one for each of its eleven options";
}

}  // namespace
