// The design file read and written back, the files it refuses, what a file builds and its bill of materials.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/BillOfMaterials.h"
#include "engine/DesignBuild.h"
#include "engine/DesignFile.h"

namespace {

using namespace riaa;

DesignDocument Passive() {
    DesignDocument d;
    d.title = "Phono \u00B5 \"bench\" one";
    d.notes = "line one\nline two";
    d.passive.circuit = CircuitKind::CompleteRiaaVersion1;
    d.passive.element = ElementKind::R1;
    d.passive.valueText = "27k";
    d.passive.options = {true, false, true};
    d.passive.rs = 0;
    d.passive.rl = 47'000.5;
    d.passive.circuitC1[4] = 0.0123456789012345;
    d.passive.resistorEntries = {"27123", "4.7"};
    d.asBuilt.edited = true;
    d.asBuilt.parts[Index(ElementKind::R1)] = AsBuiltPart{"27k+820", true, {}};
    d.asBuilt.parts[Index(ElementKind::Rs)] = AsBuiltPart{"1k", false, {}};
    d.curve.choice = {3, true, true};
    d.source = {true, {"450", "1.2k", "47k", "150"}, {}};
    d.tolerance = {"0.5", "1", "10", ToleranceDistribution::Normal, {}};
    d.series = {SeriesKind::E24, SeriesKind::E96, SeriesKind::E6, {}};
    d.noise = NoiseFileInputs{"OPA1612", {"1.1", "20", "1.7", "200", "10.2", "27", "5"}, {}};
    return d;
}

DesignDocument Stage(DesignKind kind, NetworkForm form, HighFrequencyZero zero) {
    DesignDocument d;
    d.activeStage = true;
    d.stage.stage = kind;
    d.stage.form = form;
    d.stage.highFrequencyZero = zero;
    d.stage.scaleByC1 = kind == DesignKind::Inverting;
    d.stage.useC0 = true;
    d.stage.idealOpAmp = false;
    d.stage.gainBandwidth = "3.5M";
    // Custom noise figures, as typed, with no op-amp picked.
    d.noise = NoiseFileInputs{std::nullopt, {"1.1", "0", "1,7", "200", "9.9", "-10", "4.5"}, {}};
    return d;
}

std::vector<DesignDocument> EveryKind() {
    return {DesignDocument{},
            Passive(),
            Stage(DesignKind::NonInverting, NetworkForm::A, HighFrequencyZero::Pole),
            Stage(DesignKind::NonInverting, NetworkForm::D, HighFrequencyZero::At3_18us),
            Stage(DesignKind::Inverting, NetworkForm::B, HighFrequencyZero::None),
            Stage(DesignKind::TwoStage, NetworkForm::C, HighFrequencyZero::Pole)};
}

TEST(DesignFileRoundTrip, WriteThenReadGivesTheSameDocumentAndTheSameBytes) {
    for (const DesignDocument& document : EveryKind()) {
        const std::string text = WriteDesignFile(document);
        const DesignDocument read = ReadDesignFile(text);
        EXPECT_EQ(read, document) << text;
        EXPECT_EQ(WriteDesignFile(read), text);
    }
}

TEST(DesignFileRoundTrip, UnknownKeysAtEveryLevelAreKeptAndWrittenBack) {
    std::string text = WriteDesignFile(Passive());
    // What a newer program adds: an object of its own on top, a key in each object, a number in exponent form.
    const auto add = [&](const std::string& after, const std::string& key) {
        const std::size_t at = text.find(after);
        ASSERT_NE(at, std::string::npos) << after;
        text.insert(at + after.size(), key);
    };
    add("\"version\": 1,", "\n  \"extras\": {\"en\": 1.5e-09, \"opAmp\": \"OPA1612\", \"temps\": [20, -3.25, 2.0, -0.0]},");
    add("\"passive\": {", "\n    \"future\": null,");
    add("\"stage\": {", "\n    \"future\": true,");
    add("\"curve\": {", "\n    \"future\": 1,");
    add("\"source\": {", "\n    \"future\": \"x\",");
    add("\"asBuilt\": {", "\n    \"future\": [],");
    add("\"R1\": {", "\n      \"future\": {},");
    add("\"tolerance\": {", "\n    \"future\": 2,");
    add("\"series\": {", "\n    \"future\": 3,");
    add("\"noise\": {", "\n    \"future\": 4,");
    const DesignDocument read = ReadDesignFile(text);
    EXPECT_EQ(read.unknown.at("extras"), R"({"en":1.5e-09,"opAmp":"OPA1612","temps":[20,-3.25,2,0]})");
    for (const UnknownKeys* keys : {&read.passive.unknown, &read.stage.unknown, &read.curve.unknown,
                                    &read.source.unknown, &read.asBuilt.unknown,
                                    &read.asBuilt.parts[Index(ElementKind::R1)]->unknown, &read.tolerance.unknown,
                                    &read.series.unknown, &read.noise->unknown}) {
        EXPECT_EQ(keys->count("future"), 1u);
    }
    const std::string saved = WriteDesignFile(read);
    EXPECT_EQ(ReadDesignFile(saved), read);
    EXPECT_EQ(WriteDesignFile(ReadDesignFile(saved)), saved);
}

struct BadFile {
    const char* what;
    std::string text;
    std::string message;
};

std::string WithKey(const std::string& object, const std::string& key, const std::string& value) {
    return R"({"format": "mirelund-design", "version": 1, "design": "passive", ")" + object + R"(": {")" + key +
           R"(": )" + value + "}}";
}

TEST(DesignFileRefuses, EachBadFileWithItsMessage) {
    const std::vector<BadFile> files{
        {"empty", "", "The design file is empty"},
        {"blanks", " \n\t", "The design file is empty"},
        {"not JSON", "{\n  \"format\": x}", "The design file is not JSON: line 2, column 14"},
        {"cut short", "{\"format\": \"mirelund-design\"", "The design file is not JSON: line 1, column 29"},
        {"no object", "[1]", "This is not a Mirelund design: its \"format\" is not \"mirelund-design\""},
        {"other format", R"({"format": "x", "version": 1})",
         "This is not a Mirelund design: its \"format\" is not \"mirelund-design\""},
        {"newer", R"({"format": "mirelund-design", "version": 2, "design": "passive"})",
         "This design was saved in version 2 of the file, newer than this program, which reads version 1"},
        {"version text", R"({"format": "mirelund-design", "version": "1"})", "version must be a whole number from 1 on"},
        {"version 0", R"({"format": "mirelund-design", "version": 0})", "version must be a whole number from 1 on"},
        {"version 1.5", R"({"format": "mirelund-design", "version": 1.5})", "version must be a whole number from 1 on"},
        {"no design", R"({"format": "mirelund-design", "version": 1})", "design must say which design the file holds"},
        {"1e999", WithKey("passive", "Rs", "1e999"), "passive.Rs is not a finite number"},
        {"1e999 in an unknown key", WithKey("future", "en", "[1, -1e999]"), "future.en is not a finite number"},
        {"noise figure as a number", WithKey("noise", "en", "3.5"), "noise.en must be a text"},
        {"noise op-amp as a number", WithKey("noise", "opAmp", "5534"), "noise.opAmp must be a text"},
        {"negative", WithKey("passive", "Rs", "-1"), "passive.Rs must lie between 0 \u03A9 and 1 T\u03A9"},
        {"zero load", WithKey("passive", "RL", "0"), "passive.RL must be greater than zero"},
        {"too large", WithKey("passive", "RL", "1.5e12"), "passive.RL must lie between 0 \u03A9 and 1 T\u03A9"},
        {"zero C1", WithKey("passive", "circuitC1", "[0.01, 0, 0.01, 0.01, 0.01, 0.01]"),
         "passive.circuitC1[1] must lie between 1 pF and 10,000 \u00B5F"},
        {"five C1", WithKey("passive", "circuitC1", "[1, 1, 1, 1, 1]"), "passive.circuitC1 must be a list of 6 numbers"},
        {"circuit 6", WithKey("passive", "circuit", "6"), "passive.circuit must be a whole number from 0 to 5"},
        {"circuit -1", WithKey("passive", "circuit", "-1"), "passive.circuit must be a whole number from 0 to 5"},
        {"number as text", WithKey("passive", "Rs", "\"1k\""), "passive.Rs must be a number"},
        {"text as number", WithKey("stage", "gain", "35"), "stage.gain must be a text"},
        {"flag as text", WithKey("passive", "includeRs", "\"yes\""), "passive.includeRs must be true or false"},
        {"element", WithKey("passive", "element", "\"R0\""), "passive.element must be one of C1, C2, R1, R2, RL, Rs"},
        {"stage passive", WithKey("stage", "stage", "\"passive\""),
         "stage.stage must be one of non-inverting, inverting, two-stage"},
        {"curve", WithKey("curve", "name", "\"Edison\""), "curve.name: no curve is called \"Edison\""},
        {"series case", WithKey("series", "pairResistors", "\"e24\""),
         "series.pairResistors must be one of E6, E12, E24, E48, E96, E192"},
        {"part not object", WithKey("asBuilt", "R1", "\"27k\""), "asBuilt.R1 must be an object"},
        {"object expected", R"({"format": "mirelund-design", "version": 1, "design": "passive", "curve": 3})",
         "curve must be an object"},
        {"deep", std::string(100, '['), "The design file nests deeper than a design does"},
    };
    for (const BadFile& file : files) {
        try {
            ReadDesignFile(file.text);
            ADD_FAILURE() << file.what << " was read";
        } catch (const EngineError& error) {
            EXPECT_EQ(error.what(), file.message) << file.what;
        }
    }
}

TEST(DesignBuild, TheAsBuiltTextsReplaceTheCalculatedValuesAsTyped) {
    const DesignBuild build = BuildDesign(Passive(), NumberLocale{});
    EXPECT_EQ(build.built.value(ElementKind::R1), 27'820);
    EXPECT_NE(build.calculated.value(ElementKind::R1), 27'820);
    EXPECT_TRUE(build.calculated.has(ElementKind::RL));
    EXPECT_FALSE(build.built.has(ElementKind::Rs));
    EXPECT_EQ(build.built.curve, Passive().curve.choice);
    EXPECT_EQ(build.built.source->loadCapacitancePf, 150);
}

TEST(DesignBuild, AStageIsTheDesignOfItsRequest) {
    const DesignDocument document = Stage(DesignKind::TwoStage, NetworkForm::A, HighFrequencyZero::Pole);
    const ActiveStageRequest request = StageRequestOf(document.stage, document.curve.choice, NumberLocale{});
    EXPECT_EQ(request.opAmp.gainBandwidthHz, 3.5e6);
    EXPECT_EQ(*request.c0, 100);
    EXPECT_EQ(BuildDesign(document, NumberLocale{}).built, DesignActiveStage(request));
}

TEST(DesignBuild, ATextThatDoesNotReadNamesItsKey) {
    DesignDocument document = Stage(DesignKind::NonInverting, NetworkForm::A, HighFrequencyZero::Pole);
    document.stage.gain = "3x";
    EXPECT_THROW(
        try { BuildDesign(document, NumberLocale{}); } catch (const EngineError& error) {
            EXPECT_EQ(std::string(error.what()), "stage.gain: '3x' is not a valid floating point value");
            throw;
        },
        EngineError);
}

std::vector<std::string> Lines(const std::string& csv) {
    std::vector<std::string> lines;
    for (std::size_t begin = 0, end; (end = csv.find("\r\n", begin)) != std::string::npos; begin = end + 2) {
        lines.push_back(csv.substr(begin, end - begin));
    }
    return lines;
}

TEST(BillOfMaterials, APassiveNetworkWithASumHasARowForEachPart) {
    BuiltNetwork network;
    network.circuit = CircuitKind::CompleteRiaaVersion1;
    network.set(ElementKind::C1, 0.01);
    network.set(ElementKind::C2, 3.429e-3);
    network.set(ElementKind::R1, 27'830);
    network.set(ElementKind::R2, 31'612);
    network.set(ElementKind::Rs, 1000);
    network.set(ElementKind::RL, 1e6);
    std::array<std::string, kPartCount> typed{};
    typed[Index(ElementKind::R1)] = "27k+820";
    typed[Index(ElementKind::C2)] = "3.3n + 120p";
    const BomChoices choices{SeriesKind::E96, SeriesKind::E12, "1", "2,5", 2};
    const std::vector<std::string> expected{
        "Designator,Value,Exact,Series,Tolerance,Type,Quantity,Note",
        "C1,10 nF,10 nF,E12,\"2,5 %\",Film capacitor,2,",
        "C2a,3.3 nF,3.3 nF,E12,\"2,5 %\",Film capacitor,2,C2a and C2b in parallel make C2",
        "C2b,120 pF,120 pF,E12,\"2,5 %\",C0G/NP0 ceramic capacitor,2,C2a and C2b in parallel make C2",
        "R1a,27 k\u03A9,27 k\u03A9,E96,1 %,Metal film resistor,2,R1a and R1b in series make R1; not in E96",
        "R1b,820 \u03A9,820 \u03A9,E96,1 %,Metal film resistor,2,R1a and R1b in series make R1; not in E96",
        "R2,31.6 k\u03A9,31.612 k\u03A9,E96,1 %,Metal film resistor,2,",
    };
    EXPECT_EQ(Lines(BillOfMaterials(network, typed, choices, NumberLocale{})), expected);
}

TEST(BillOfMaterials, AStageBuysItsCouplingCapacitorAsAnElectrolyticAndNotTheNextStage) {
    DesignDocument document = Stage(DesignKind::NonInverting, NetworkForm::A, HighFrequencyZero::Pole);
    document.stage.idealOpAmp = true;
    const BuiltNetwork stage = BuildDesign(document, NumberLocale{}).built;
    BomChoices choices = BomChoicesOf(document);
    choices.quantity = 1;
    const std::vector<std::string> lines = Lines(BillOfMaterials(stage, {}, choices, NumberLocale{}));
    std::vector<std::string> designators;
    for (std::size_t i = 1; i < lines.size(); ++i) designators.push_back(lines[i].substr(0, lines[i].find(',')));
    EXPECT_EQ(designators, (std::vector<std::string>{"C1", "C2", "R1", "R2", "R0", "C0", "R3", "C3"}));
    EXPECT_NE(lines[6].find(",100 \u00B5F,100 \u00B5F,exact,2 %,Electrolytic capacitor,1,"), std::string::npos) << lines[6];
    EXPECT_NE(lines[5].find(",E24,1 %,Metal film resistor,1,"), std::string::npos) << lines[5];
}

TEST(BillOfMaterials, RefusesATextThatIsNoSumNamingItsElement) {
    BuiltNetwork network;
    network.set(ElementKind::R1, 1000);
    std::array<std::string, kPartCount> typed{};
    typed[Index(ElementKind::R1)] = "27k+4x7";
    EXPECT_THROW(
        try { BillOfMaterials(network, typed, {}, NumberLocale{}); } catch (const EngineError& error) {
            EXPECT_EQ(std::string(error.what()), "R1: '4x7' is not a valid floating point value");
            throw;
        },
        EngineError);
}

}  // namespace
