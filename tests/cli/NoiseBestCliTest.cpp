// mirelund-design's noise and best build: the figures against the engine's, the op-amps, the user's table, bad input.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "CliRun.h"
#include "engine/ActiveStage.h"
#include "engine/Noise.h"
#include "engine/OpAmps.h"

namespace {

// The application note's stage, every part as built, and the same design made by the engine.
const std::vector<std::string> kNote = {
    "--stage", "non-inverting", "--gain", "35", "--r0", "390", "--c0", "1u", "--hf", "none", "--part", "R1=200k",
    "--part", "C1=15n", "--part", "R2=16k", "--part", "C2=4.7n", "--part", "C0=100u"};

riaa::BuiltNetwork NoteNetwork(const riaa::OpAmp& opAmp, const riaa::Cartridge& cartridge) {
    riaa::ActiveStageRequest request;
    request.scale = 390;
    request.c0 = 1;
    request.highFrequencyZero = riaa::HighFrequencyZero::None;
    request.opAmp = opAmp;
    riaa::BuiltNetwork network = riaa::DesignActiveStage(request);
    using riaa::ElementKind;
    for (const auto& [element, value] : {std::pair{ElementKind::R1, 200e3}, std::pair{ElementKind::C1, 15e-3},
                                         std::pair{ElementKind::R2, 16e3}, std::pair{ElementKind::C2, 4.7e-3},
                                         std::pair{ElementKind::C0, 100.0}}) {
        network.set(element, value);
    }
    network.source = cartridge;
    return network;
}

std::vector<std::string> With(std::vector<std::string> arguments, const std::vector<std::string>& more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

nlohmann::json Json(const std::vector<std::string>& arguments, const std::string& environment = "") {
    const Finished run = Design(With(arguments, {"--json"}), environment);
    EXPECT_EQ(run.status, 0) << run.err;
    return run.status == 0 ? nlohmann::json::parse(run.out) : nlohmann::json::object();
}

TEST(NoiseCli, FiguresAreTheEnginesForTheSameDesign) {
    const riaa::OpAmpRow& row = *riaa::FindOpAmp("NE5534A");
    const nlohmann::json json = Json(With(kNote, {"--opamp", "NE5534A", "--cartridge", "500mH,1k", "--load", "47k,200p"}));
    const riaa::NoiseFigures figures =
        riaa::EvaluateNoise(NoteNetwork(riaa::StageOpAmp(row), riaa::Cartridge{}), riaa::WithOpAmp({}, row));
    const auto near = [&](const char* key, double expected) {
        EXPECT_NEAR(json[key].get<double>(), expected, 1e-9 * std::abs(expected)) << key;
    };
    near("noiseOutputUv", figures.outputUv);
    near("noiseOutputAUv", figures.outputAUv);
    near("einUv", figures.einUv);
    near("einADbu", figures.einADbu);
    near("snrADb", figures.snrADb);
    near("minOverloadMarginDb", figures.headroom->minMarginDb);
    near("minLoadOhm", figures.headroom->minLoadOhm);
    EXPECT_NEAR(json["overloadMarginDb"]["1000"].get<double>(), figures.headroom->margin1kHzDb, 1e-9);
    ASSERT_EQ(json["noiseContributions"].size(), figures.shares.size());
    for (const riaa::NoiseShare& share : figures.shares) {
        EXPECT_NEAR(json["noiseContributions"][share.name].get<double>(), share.share, 1e-12) << share.name;
    }
    EXPECT_EQ(json["opAmp"]["name"], "NE5534A");
    EXPECT_EQ(json["opAmp"]["a0Db"].get<double>(), row.a0Db);
    // The worked figures, an ideal op-amp and the input shorted: 22.9 µV, 13.7 µV A-weighted, en two thirds.
    const nlohmann::json ideal = Json(With(kNote, {"--en", "3.5n", "--in", "0.4p"}));
    EXPECT_NEAR(ideal["noiseOutputUv"].get<double>(), 22.9, 0.05);
    EXPECT_NEAR(ideal["noiseOutputAUv"].get<double>(), 13.7, 0.05);
    EXPECT_NEAR(ideal["noiseContributions"]["en"].get<double>(), 2.0 / 3, 0.02);
    EXPECT_TRUE(ideal["opAmp"]["a0Db"].is_null());
    // A passive network has no op-amp to clip.
    const nlohmann::json passive = Json({"--circuit", "4", "--c1", "10n", "--rs", "1k", "--noise"});
    for (const char* key : {"overloadMarginDb", "minOverloadMarginDb", "minLoadOhm"}) EXPECT_TRUE(passive[key].is_null()) << key;
    EXPECT_GT(passive["einUv"].get<double>(), 0);
}

TEST(NoiseCli, OpAmpByNameInAnyCaseAndTypedValuesOverIt) {
    const riaa::OpAmpRow& row = *riaa::FindOpAmp("OPA1612");
    const nlohmann::json lower = Json(With(kNote, {"--opamp", "opa1612"}));
    EXPECT_EQ(lower, Json(With(kNote, {"--opamp", "OPA1612"})));
    EXPECT_EQ(lower["opAmp"]["enNvRtHz"].get<double>(), row.enNvRtHz);
    EXPECT_EQ(lower["opAmp"]["gbwHz"].get<double>(), row.gbwHz);
    const nlohmann::json typed = Json(With(kNote, {"--opamp", "opa1612", "--en", "2n", "--a0", "90"}));
    EXPECT_EQ(typed["opAmp"]["enNvRtHz"].get<double>(), 2);
    EXPECT_EQ(typed["opAmp"]["inPaRtHz"].get<double>(), row.inPaRtHz);
    EXPECT_EQ(typed["opAmp"]["a0Db"].get<double>(), 90);
    EXPECT_GT(typed["noiseOutputUv"].get<double>(), lower["noiseOutputUv"].get<double>());
    // A noise run's netlist is the one for ngspice's noise analysis.
    EXPECT_NE(Design(With(kNote, {"--opamp", "opa1612", "--netlist"})).out.find(".noise v(out)"), std::string::npos);
}

TEST(NoiseCli, BadInputNamesItsOptionAndPrintsNothingElse) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
        {{"--en", "-1n", "--in", "0.4p"}, "--en"},        {{"--en", "3.5n", "--in", "nan"}, "--in"},
        {{"--opamp", "NE5532", "--fce", "-1"}, "--fce"},   {{"--opamp", "NE5532", "--fci", "1e999"}, "--fci"},
        {{"--opamp", "NE5532", "--swing", "0"}, "--swing"}, {{"--opamp", "NE5532", "--reference", "0"}, "--reference"},
        {{"--opamp", "NE5532", "--temperature", "-273.15"}, "--temperature"},
        {{"--opamp", "LM4563"}, "--opamp"},                {{"--en", "3.5n"}, "--in"},
        {{"--in", "0.4p"}, "--en"},                        {{"--noise"}, "--en"},
    };
    for (const auto& [options, option] : rows) {
        const Finished run = Design(With(kNote, options));
        EXPECT_EQ(run.status, 2) << option;
        EXPECT_EQ(run.out, "") << option;
        EXPECT_EQ(run.err.rfind("mirelund-design: " + option + ": ", 0), 0u) << run.err;
    }
    // Just above each threshold is a setting.
    EXPECT_EQ(Design(With(kNote, {"--opamp", "NE5532", "--temperature", "-273.1", "--fce", "0", "--swing", "1m"})).status, 0);
}

TEST(NoiseCli, OpAmpsListTheTableAfterTheUsersOwnRowsAndSkipABadOne) {
    const std::filesystem::path home = std::filesystem::temp_directory_path() / ("opamps_" + std::to_string(::getpid()));
    std::filesystem::create_directories(home / "mirelund");
    const std::string environment = "XDG_DATA_HOME=" + Quoted(home.string());
    const Finished builtIn = Design({"--opamps"}, environment);
    EXPECT_EQ(builtIn.status, 0);
    for (const riaa::OpAmpRow& row : riaa::BuiltInOpAmps()) EXPECT_NE(builtIn.out.find("\n" + row.name + " "), std::string::npos) << row.name;
    EXPECT_EQ(riaa::BuiltInOpAmps().size(), 8u);
    std::ofstream(home / "mirelund" / "opamps.json")
        << "[\n  {\"name\": \"My5534\", \"enNvRtHz\": 3.2, \"inPaRtHz\": 0.5, \"swingVrms\": 9, \"gbwHz\": 1e7, \"a0Db\": 100},\n"
           "  {\"name\": \"Broken\", \"enNvRtHz\": -1, \"inPaRtHz\": 0.5, \"swingVrms\": 9, \"gbwHz\": 1e7, \"a0Db\": 100}\n]\n";
    const Finished own = Design({"--opamps"}, environment);
    EXPECT_EQ(own.status, 0);
    EXPECT_LT(own.out.find("My5534"), own.out.find("NE5534A"));
    EXPECT_EQ(own.out.find("Broken"), std::string::npos);
    EXPECT_NE(own.err.find("opamps.json, line 3: "), std::string::npos) << own.err;
    EXPECT_EQ(Json(With(kNote, {"--opamp", "my5534"}), environment)["opAmp"]["enNvRtHz"].get<double>(), 3.2);
    std::filesystem::remove_all(home);
}

TEST(BestBuildCli, BuildsComeBestFirstAndEvaluateAgainToTheirError) {
    const std::vector<std::string> network = {"--circuit", "4", "--c1", "10n", "--rs", "1k", "--rl", "1M"};
    const nlohmann::json json = Json(With(network, {"--best", "E12,E24", "--best-range", "4.7n,22n", "--best-count", "4"}));
    const nlohmann::json& builds = json["bestBuilds"];
    ASSERT_EQ(builds.size(), 4u);
    double previous = 0;
    for (const nlohmann::json& build : builds) {
        const double error = build["largestErrorDb"].get<double>();
        EXPECT_GE(std::abs(error), previous);
        previous = std::abs(error);
        std::vector<std::string> parts = network;
        for (const auto& [name, value] : build["parts"].items()) {
            EXPECT_EQ(build["build"][name].size(), 1u) << name;
            EXPECT_DOUBLE_EQ(build["build"][name][0].get<double>(), value.get<double>()) << name;
            parts.insert(parts.end(), {"--part", name + "=" + value.dump()});
        }
        EXPECT_EQ(build["parts"].size(), 4u);
        EXPECT_NEAR(Json(parts)["largestErrorDb"].get<double>(), error, 1e-9);
    }
}

TEST(BestBuildCli, BadInputNamesItsOption) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
        {{"--best", "E12"}, "--best"},       {{"--best", "E48,E24"}, "--best"},  {{"--best", "E12,E6"}, "--best"},
        {{"--best", "E12,E25"}, "--best"},   {{"--best", "E12,E24", "--best-range", "10n,10n"}, "--best-range"},
        {{"--best", "E12,E24", "--best-range", "1n"}, "--best-range"},
        {{"--best", "E12,E24", "--best-count", "0"}, "--best-count"},
        {{"--best-pairs"}, "--best-pairs"},
    };
    for (const auto& [options, option] : rows) {
        const Finished run = Design(With({"--circuit", "4", "--c1", "10n"}, options));
        EXPECT_EQ(run.status, 2) << option;
        EXPECT_EQ(run.err.rfind("mirelund-design: " + option + ": ", 0), 0u) << run.err;
    }
}

}  // namespace
