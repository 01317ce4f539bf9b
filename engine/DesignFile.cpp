#include "engine/DesignFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <utility>

#include <nlohmann/json.hpp>

#include "engine/Formats.h"
#include "engine/ReplayCurves.h"

namespace riaa {

namespace {

using Json = nlohmann::ordered_json;

// Deeper than any file of ours; a limit keeps the writer's recursion and the fuzzer's inputs in bounds.
constexpr std::size_t kDeepestNesting = 64;

std::string Quoted(std::string_view text) {
    return Json(std::string(text)).dump(-1, ' ', false, Json::error_handler_t::replace);
}

// Builds the document tree and knows, when a number overflows, whose value it was: the parser alone
// would say only where.
class TreeBuilder : public nlohmann::json_sax<Json> {
public:
    explicit TreeBuilder(std::string_view text) : text_(text) {}
    Json root;

    bool null() override { return put(Json(nullptr)); }
    bool boolean(bool value) override { return put(Json(value)); }
    bool number_integer(number_integer_t value) override { return put(Json(value)); }
    bool number_unsigned(number_unsigned_t value) override { return put(Json(value)); }
    bool number_float(number_float_t value, const string_t&) override {
        // A whole number in a float's clothes ("1.0", "1e+06", "-0") is written back as the whole number
        // it is, so it is one from the start: otherwise a key kept unknown would change on its first save.
        if (value == std::trunc(value) && value > -9e18 && value < 9e18) {
            return put(Json(static_cast<std::int64_t>(value)));
        }
        return put(Json(value));
    }
    bool string(string_t& value) override { return put(Json(std::move(value))); }
    bool binary(binary_t&) override { return put(Json(nullptr)); }
    bool start_object(std::size_t) override { return open(Json::object()); }
    bool start_array(std::size_t) override { return open(Json::array()); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool key(string_t& name) override {
        key_ = std::move(name);
        return true;
    }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& error) override {
        // 406: a number beyond a double, which JSON allows and the parser refuses.
        if (error.id == 406) throw EngineError(pathOfValue() + " is not a finite number");
        throw EngineError("The design file is not JSON: " + LineAndColumn(position));
    }

private:
    std::string LineAndColumn(std::size_t position) const {
        const std::string_view read = text_.substr(0, std::min(position, text_.size()));
        const auto lines = std::count(read.begin(), read.end(), '\n');
        const std::size_t lineStart = read.rfind('\n') == std::string_view::npos ? 0 : read.rfind('\n') + 1;
        return "line " + std::to_string(lines + 1) + ", column " + std::to_string(read.size() - lineStart + 1);
    }
    std::string pathOfValue() const {
        std::string path;
        for (const std::string& name : path_) {
            if (!name.empty()) path += (path.empty() ? "" : ".") + name;
        }
        if (!open_.empty() && open_.back()->is_object()) return path.empty() ? key_ : path + "." + key_;
        return path.empty() ? std::string("A value") : path;
    }
    Json* place(Json value) {
        if (open_.empty()) {
            root = std::move(value);
            return &root;
        }
        Json& parent = *open_.back();
        if (parent.is_array()) {
            parent.push_back(std::move(value));
            return &parent.back();
        }
        Json& slot = parent[key_];
        slot = std::move(value);
        return &slot;
    }
    bool put(Json value) {
        place(std::move(value));
        return true;
    }
    bool open(Json container) {
        if (open_.size() >= kDeepestNesting) throw EngineError("The design file nests deeper than a design does");
        const bool inObject = !open_.empty() && open_.back()->is_object();
        path_.push_back(inObject ? key_ : std::string());
        open_.push_back(place(std::move(container)));
        return true;
    }
    bool close() {
        open_.pop_back();
        path_.pop_back();
        return true;
    }

    std::string_view text_;
    std::vector<Json*> open_;
    std::vector<std::string> path_;
    std::string key_;
};

// One object of the file: takes its known keys one by one, with checks that name them, and keeps the rest.
class Fields {
public:
    Fields(const Json& object, std::string path) : object_(object), path_(std::move(path)) {
        if (!object_.is_object()) throw EngineError(path_ + " must be an object");
    }

    const Json* find(std::string_view key) {
        taken_.insert(std::string(key));
        const auto found = object_.find(std::string(key));
        return found == object_.end() ? nullptr : &*found;
    }
    std::string name(std::string_view key) const { return path_.empty() ? std::string(key) : path_ + "." + std::string(key); }

    void text(std::string_view key, std::string& out) {
        if (const Json* value = find(key)) {
            if (!value->is_string()) throw EngineError(name(key) + " must be a text");
            out = value->get<std::string>();
        }
    }
    void optionalText(std::string_view key, std::optional<std::string>& out) {
        if (find(key) == nullptr) return;
        out.emplace();
        text(key, *out);
    }
    void flag(std::string_view key, bool& out) {
        if (const Json* value = find(key)) {
            if (!value->is_boolean()) throw EngineError(name(key) + " must be true or false");
            out = value->get<bool>();
        }
    }
    double number(const Json& value, const std::string& label) const {
        if (!value.is_number()) throw EngineError(label + " must be a number");
        return value.get<double>();
    }
    void part(std::string_view key, bool capacitor, bool mayBeZero, double& out) {
        if (const Json* value = find(key)) out = checkedPart(*value, name(key), capacitor, mayBeZero);
    }
    double checkedPart(const Json& value, const std::string& label, bool capacitor, bool mayBeZero) const {
        const double v = number(value, label);
        CheckPartValue(capacitor, v, label);
        if (!mayBeZero && !(v > 0)) throw EngineError(label + " must be greater than zero");
        return v;
    }
    // A name of a closed set: the key's value must be one of the names.
    template <typename T, std::size_t N>
    void choice(std::string_view key, const std::array<std::pair<std::string_view, T>, N>& names, T& out) {
        const Json* value = find(key);
        if (value == nullptr) return;
        std::string allowed;
        for (const auto& [text, item] : names) {
            if (value->is_string() && value->get<std::string>() == text) {
                out = item;
                return;
            }
            allowed += (allowed.empty() ? "" : ", ") + std::string(text);
        }
        throw EngineError(name(key) + " must be one of " + allowed);
    }
    void texts(std::string_view key, std::vector<std::string>& out) {
        const Json* value = find(key);
        if (value == nullptr) return;
        if (!value->is_array()) throw EngineError(name(key) + " must be a list of texts");
        out.clear();
        for (const Json& item : *value) {
            if (!item.is_string()) throw EngineError(name(key) + " must be a list of texts");
            out.push_back(item.get<std::string>());
        }
    }
    UnknownKeys rest() const {
        UnknownKeys unknown;
        for (const auto& [key, value] : object_.items()) {
            if (!taken_.contains(key)) unknown[key] = value.dump();
        }
        return unknown;
    }

private:
    const Json& object_;
    std::string path_;
    std::set<std::string> taken_;
};

constexpr std::array<std::pair<std::string_view, DesignKind>, 4> kDesignNames{{{"passive", DesignKind::Passive},
                                                                               {"non-inverting", DesignKind::NonInverting},
                                                                               {"inverting", DesignKind::Inverting},
                                                                               {"two-stage", DesignKind::TwoStage}}};
constexpr std::array<std::pair<std::string_view, NetworkForm>, 4> kFormNames{
    {{"A", NetworkForm::A}, {"B", NetworkForm::B}, {"C", NetworkForm::C}, {"D", NetworkForm::D}}};
constexpr std::array<std::pair<std::string_view, HighFrequencyZero>, 3> kZeroNames{
    {{"pole", HighFrequencyZero::Pole}, {"none", HighFrequencyZero::None}, {"3.18us", HighFrequencyZero::At3_18us}}};
constexpr std::array<std::pair<std::string_view, ToleranceDistribution>, 2> kDistributionNames{
    {{"uniform", ToleranceDistribution::Uniform}, {"normal", ToleranceDistribution::Normal}}};
constexpr std::array<std::pair<std::string_view, bool>, 2> kPageNames{{{"passive", false}, {"active", true}}};
constexpr std::array<std::pair<std::string_view, bool>, 2> kScaleNames{{{"resistor", false}, {"C1", true}}};
constexpr std::array<std::pair<std::string_view, ElementKind>, kElementCount> kPassiveElementNames{
    {{"C1", ElementKind::C1}, {"C2", ElementKind::C2}, {"R1", ElementKind::R1}, {"R2", ElementKind::R2},
     {"RL", ElementKind::RL}, {"Rs", ElementKind::Rs}}};
constexpr std::array<std::string_view, 4> kSourceKeys{"L", "Rc", "RL", "CL"};

// A whole number from 0 on, as the parser gives it: unsigned, or signed when it came through a float.
std::optional<std::uint64_t> WholeNumber(const Json& value) {
    if (value.is_number_unsigned()) return value.get<std::uint64_t>();
    if (value.is_number_integer() && value.get<std::int64_t>() >= 0) {
        return static_cast<std::uint64_t>(value.get<std::int64_t>());
    }
    return std::nullopt;
}

template <typename T, std::size_t N>
std::string_view NameOf(const std::array<std::pair<std::string_view, T>, N>& names, T item) {
    for (const auto& [text, candidate] : names) {
        if (candidate == item) return text;
    }
    return names.front().first;
}

void CheckVersion(Fields& top) {
    const Json* format = top.find("format");
    if (format == nullptr || !format->is_string() || format->get<std::string>() != kDesignFormat) {
        throw EngineError("This is not a Mirelund design: its \"format\" is not \"mirelund-design\"");
    }
    const Json* found = top.find("version");
    const std::optional<std::uint64_t> version = found ? WholeNumber(*found) : std::nullopt;
    if (!version || *version < 1) throw EngineError("version must be a whole number from 1 on");
    if (*version > static_cast<std::uint64_t>(kDesignFileVersion)) {
        throw EngineError("This design was saved in version " + std::to_string(*version) + " of the file, newer than this " +
                          "program, which reads version " + std::to_string(kDesignFileVersion));
    }
}

CircuitPageInputs ReadPassive(const Json& object) {
    Fields fields(object, "passive");
    CircuitPageInputs in;
    if (const Json* found = fields.find("circuit")) {
        const std::optional<std::uint64_t> circuit = WholeNumber(*found);
        if (!circuit || *circuit >= std::uint64_t{kCircuitCount}) {
            throw EngineError("passive.circuit must be a whole number from 0 to " + std::to_string(kCircuitCount - 1));
        }
        in.circuit = static_cast<CircuitKind>(*circuit);
    }
    fields.choice("element", kPassiveElementNames, in.element);
    fields.text("value", in.valueText);
    fields.flag("includeRs", in.options.IncludeRs);
    fields.flag("includeRL", in.options.IncludeRL);
    fields.flag("standardResistors", in.options.UseStandardResistor);
    fields.part("Rs", false, true, in.rs);
    fields.part("RL", false, false, in.rl);
    if (const Json* c1 = fields.find("circuitC1")) {
        if (!c1->is_array() || c1->size() != in.circuitC1.size()) {
            throw EngineError("passive.circuitC1 must be a list of " + std::to_string(kCircuitCount) + " numbers");
        }
        for (std::size_t i = 0; i < in.circuitC1.size(); ++i) {
            in.circuitC1[i] = fields.checkedPart((*c1)[i], "passive.circuitC1[" + std::to_string(i) + "]", true, false);
        }
    }
    fields.texts("resistorEntries", in.resistorEntries);
    fields.texts("capacitorEntries", in.capacitorEntries);
    in.unknown = fields.rest();
    return in;
}

StagePageInputs ReadStage(const Json& object) {
    Fields fields(object, "stage");
    StagePageInputs in;
    fields.choice("stage", kDesignNames, in.stage);
    if (in.stage == DesignKind::Passive) throw EngineError("stage.stage must be one of non-inverting, inverting, two-stage");
    fields.choice("network", kFormNames, in.form);
    fields.text("gain", in.gain);
    fields.choice("scale", kScaleNames, in.scaleByC1);
    fields.text("scaleResistor", in.scaleResistor);
    fields.text("scaleC1", in.scaleC1);
    fields.flag("useC0", in.useC0);
    fields.text("C0", in.c0);
    fields.choice("extraZero", kZeroNames, in.highFrequencyZero);
    fields.text("R3", in.r3);
    fields.flag("useRL", in.useRL);
    fields.text("RL", in.rl);
    fields.flag("idealOpAmp", in.idealOpAmp);
    fields.text("openLoopGain", in.openLoopGain);
    fields.text("gainBandwidth", in.gainBandwidth);
    fields.text("shelf", in.shelf);
    in.unknown = fields.rest();
    return in;
}

CurveInputs ReadCurve(const Json& object) {
    Fields fields(object, "curve");
    CurveInputs in;
    std::string name(ReplayCurves()[0].name);
    fields.text("name", name);
    const std::optional<std::size_t> row = FindCurve(name);
    if (!row) throw EngineError("curve.name: no curve is called " + Quoted(name));
    in.choice.curve = *row;
    fields.flag("iecAmendment", in.choice.iecAmendment);
    fields.flag("zero3_18us", in.choice.zero3_18us);
    in.unknown = fields.rest();
    return in;
}

SourceInputs ReadSource(const Json& object) {
    Fields fields(object, "source");
    SourceInputs in;
    fields.flag("cartridge", in.cartridge);
    for (std::size_t i = 0; i < kSourceKeys.size(); ++i) fields.text(kSourceKeys[i], in.texts[i]);
    in.unknown = fields.rest();
    return in;
}

NoiseFileInputs ReadNoise(const Json& object) {
    Fields fields(object, "noise");
    NoiseFileInputs in;
    fields.optionalText("opAmp", in.opAmp);
    for (std::size_t i = 0; i < kNoiseFileKeys.size(); ++i) fields.text(kNoiseFileKeys[i], in.texts[i]);
    in.unknown = fields.rest();
    return in;
}

AsBuiltInputs ReadAsBuilt(const Json& object) {
    Fields fields(object, "asBuilt");
    AsBuiltInputs in;
    fields.flag("edited", in.edited);
    for (const ElementKind e : kAllElements) {
        const Json* value = fields.find(ElementName(e));
        if (value == nullptr) continue;
        Fields partFields(*value, fields.name(ElementName(e)));
        AsBuiltPart part;
        partFields.text("text", part.text);
        partFields.flag("inCircuit", part.inCircuit);
        part.unknown = partFields.rest();
        in.parts[Index(e)] = std::move(part);
    }
    in.unknown = fields.rest();
    return in;
}

ToleranceInputs ReadTolerance(const Json& object) {
    Fields fields(object, "tolerance");
    ToleranceInputs in;
    fields.text("resistors", in.resistors);
    fields.text("capacitors", in.capacitors);
    fields.text("loadCapacitance", in.loadCapacitance);
    fields.choice("distribution", kDistributionNames, in.distribution);
    in.unknown = fields.rest();
    return in;
}

void ReadSeriesName(Fields& fields, std::string_view key, bool exactAllowed, std::optional<SeriesKind>& out) {
    const Json* value = fields.find(key);
    if (value == nullptr) return;
    if (value->is_string() && exactAllowed && value->get<std::string>() == "exact") {
        out.reset();
        return;
    }
    // Written as the program writes them, "E24": a reader that took "e24" would write back other bytes.
    const std::optional<SeriesKind> series = value->is_string() ? SeriesNamed(value->get<std::string>()) : std::nullopt;
    if (!series || SeriesName(*series) != value->get<std::string>()) {
        throw EngineError(fields.name(key) + " must be one of " + (exactAllowed ? "exact, " : "") +
                          "E6, E12, E24, E48, E96, E192");
    }
    out = series;
}

SeriesInputs ReadSeries(const Json& object) {
    Fields fields(object, "series");
    SeriesInputs in;
    ReadSeriesName(fields, "tableCapacitors", true, in.tableCapacitors);
    std::optional<SeriesKind> resistors = in.pairResistors;
    std::optional<SeriesKind> capacitors = in.pairCapacitors;
    ReadSeriesName(fields, "pairResistors", false, resistors);
    ReadSeriesName(fields, "pairCapacitors", false, capacitors);
    in.pairResistors = *resistors;
    in.pairCapacitors = *capacitors;
    in.unknown = fields.rest();
    return in;
}

template <typename Reader>
void ReadObject(Fields& top, std::string_view key, Reader read) {
    if (const Json* value = top.find(key)) read(*value);
}

// --- Writing ---------------------------------------------------------------------------------------

void WriteValue(const Json& value, int depth, std::string& out);

void Indent(int depth, std::string& out) { out.append(static_cast<std::size_t>(depth) * 2, ' '); }

void WriteValue(const Json& value, int depth, std::string& out) {
    if (value.is_number_float()) {
        // Reading refuses them, so they must not be written.
        if (!std::isfinite(value.get<double>())) throw EngineError("A value of the design is not a finite number");
        out += ShortestExactText(value.get<double>());
    } else if (value.is_object() || value.is_array()) {
        const bool object = value.is_object();
        if (value.empty()) {
            out += object ? "{}" : "[]";
            return;
        }
        out += object ? "{\n" : "[\n";
        bool first = true;
        for (const auto& [key, item] : value.items()) {
            if (!first) out += ",\n";
            first = false;
            Indent(depth + 1, out);
            if (object) out += Quoted(key) + ": ";
            WriteValue(item, depth + 1, out);
        }
        out += "\n";
        Indent(depth, out);
        out += object ? "}" : "]";
    } else {
        out += value.dump(-1, ' ', false, Json::error_handler_t::replace);
    }
}

void AddUnknown(Json& object, const UnknownKeys& unknown) {
    for (const auto& [key, text] : unknown) {
        if (!object.contains(key)) object[key] = Json::parse(text);
    }
}

Json PassiveJson(const CircuitPageInputs& in) {
    Json json;
    json["circuit"] = static_cast<int>(in.circuit);
    json["element"] = std::string(NameOf(kPassiveElementNames, in.element));
    json["value"] = in.valueText;
    json["includeRs"] = in.options.IncludeRs;
    json["includeRL"] = in.options.IncludeRL;
    json["standardResistors"] = in.options.UseStandardResistor;
    json["Rs"] = in.rs;
    json["RL"] = in.rl;
    json["circuitC1"] = in.circuitC1;
    json["resistorEntries"] = in.resistorEntries;
    json["capacitorEntries"] = in.capacitorEntries;
    AddUnknown(json, in.unknown);
    return json;
}

Json StageJson(const StagePageInputs& in) {
    Json json;
    json["stage"] = std::string(NameOf(kDesignNames, in.stage));
    json["network"] = std::string(NameOf(kFormNames, in.form));
    json["gain"] = in.gain;
    json["scale"] = std::string(NameOf(kScaleNames, in.scaleByC1));
    json["scaleResistor"] = in.scaleResistor;
    json["scaleC1"] = in.scaleC1;
    json["useC0"] = in.useC0;
    json["C0"] = in.c0;
    json["extraZero"] = std::string(NameOf(kZeroNames, in.highFrequencyZero));
    json["R3"] = in.r3;
    json["useRL"] = in.useRL;
    json["RL"] = in.rl;
    json["idealOpAmp"] = in.idealOpAmp;
    json["openLoopGain"] = in.openLoopGain;
    json["gainBandwidth"] = in.gainBandwidth;
    json["shelf"] = in.shelf;
    AddUnknown(json, in.unknown);
    return json;
}

Json AsBuiltJson(const AsBuiltInputs& in) {
    Json json;
    json["edited"] = in.edited;
    for (const ElementKind e : kAllElements) {
        const std::optional<AsBuiltPart>& part = in.parts[Index(e)];
        if (!part) continue;
        Json entry;
        entry["text"] = part->text;
        entry["inCircuit"] = part->inCircuit;
        AddUnknown(entry, part->unknown);
        json[std::string(ElementName(e))] = std::move(entry);
    }
    AddUnknown(json, in.unknown);
    return json;
}

void AddTarget(const DesignDocument& document, Json& json) {
    Json curve;
    curve["name"] = std::string(CurveRow(document.curve.choice).name);
    curve["iecAmendment"] = document.curve.choice.iecAmendment;
    curve["zero3_18us"] = document.curve.choice.zero3_18us;
    AddUnknown(curve, document.curve.unknown);
    json["curve"] = std::move(curve);
    Json source;
    source["cartridge"] = document.source.cartridge;
    for (std::size_t i = 0; i < kSourceKeys.size(); ++i) source[std::string(kSourceKeys[i])] = document.source.texts[i];
    AddUnknown(source, document.source.unknown);
    json["source"] = std::move(source);
}

void AddParts(const DesignDocument& document, Json& json) {
    const ToleranceInputs& tol = document.tolerance;
    Json tolerance;
    tolerance["resistors"] = tol.resistors;
    tolerance["capacitors"] = tol.capacitors;
    tolerance["loadCapacitance"] = tol.loadCapacitance;
    tolerance["distribution"] = std::string(NameOf(kDistributionNames, tol.distribution));
    AddUnknown(tolerance, tol.unknown);
    json["tolerance"] = std::move(tolerance);
    const SeriesInputs& s = document.series;
    Json series;
    series["tableCapacitors"] = s.tableCapacitors ? SeriesName(*s.tableCapacitors) : std::string("exact");
    series["pairResistors"] = SeriesName(s.pairResistors);
    series["pairCapacitors"] = SeriesName(s.pairCapacitors);
    AddUnknown(series, s.unknown);
    json["series"] = std::move(series);
    if (document.noise) {
        Json noise;
        if (document.noise->opAmp) noise["opAmp"] = *document.noise->opAmp;
        for (std::size_t i = 0; i < kNoiseFileKeys.size(); ++i) noise[std::string(kNoiseFileKeys[i])] = document.noise->texts[i];
        AddUnknown(noise, document.noise->unknown);
        json["noise"] = std::move(noise);
    }
}

}  // namespace

DesignDocument ReadDesignFile(std::string_view text) {
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) throw EngineError("The design file is empty");
    TreeBuilder builder(text);
    Json::sax_parse(text.begin(), text.end(), &builder);
    if (!builder.root.is_object()) {
        throw EngineError("This is not a Mirelund design: its \"format\" is not \"mirelund-design\"");
    }
    Fields top(builder.root, "");
    CheckVersion(top);
    DesignDocument document;
    top.optionalText("title", document.title);
    top.optionalText("notes", document.notes);
    if (top.find("design") == nullptr) throw EngineError("design must say which design the file holds");
    top.choice("design", kPageNames, document.activeStage);
    ReadObject(top, "passive", [&](const Json& v) { document.passive = ReadPassive(v); });
    ReadObject(top, "stage", [&](const Json& v) { document.stage = ReadStage(v); });
    ReadObject(top, "curve", [&](const Json& v) { document.curve = ReadCurve(v); });
    ReadObject(top, "source", [&](const Json& v) { document.source = ReadSource(v); });
    ReadObject(top, "asBuilt", [&](const Json& v) { document.asBuilt = ReadAsBuilt(v); });
    ReadObject(top, "tolerance", [&](const Json& v) { document.tolerance = ReadTolerance(v); });
    ReadObject(top, "series", [&](const Json& v) { document.series = ReadSeries(v); });
    ReadObject(top, "noise", [&](const Json& v) { document.noise = ReadNoise(v); });
    document.unknown = top.rest();
    return document;
}

std::string WriteDesignFile(const DesignDocument& document) {
    Json json;
    json["format"] = std::string(kDesignFormat);
    json["version"] = kDesignFileVersion;
    if (document.title) json["title"] = *document.title;
    if (document.notes) json["notes"] = *document.notes;
    json["design"] = std::string(NameOf(kPageNames, document.activeStage));
    json["passive"] = PassiveJson(document.passive);
    json["stage"] = StageJson(document.stage);
    AddTarget(document, json);
    json["asBuilt"] = AsBuiltJson(document.asBuilt);
    AddParts(document, json);
    AddUnknown(json, document.unknown);
    std::string out;
    WriteValue(json, 0, out);
    out += "\n";
    return out;
}

}  // namespace riaa
