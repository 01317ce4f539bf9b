#include "session/DesignSession.h"

#include <array>
#include <cmath>

#include "engine/Cartridge.h"
#include "engine/Circuits.h"
#include "engine/PartSums.h"
#include "session/ToleranceWorker.h"

namespace {

using riaa::ElementKind;
using riaa::Index;


// The shortest text that reads back as the same double, in the locale's decimal separator and
// without grouping, which the parser would not take.
QString ExactText(double value, const riaa::NumberLocale& locale) {
    return QString::fromStdString(riaa::LocalizeDecimalSeparator(riaa::ShortestExactFixedText(value), locale.decimalSeparator));
}

bool IsPlainNumber(const std::string& text, const riaa::NumberLocale& locale) {
    try {
        riaa::ParseNumber(text, locale);
        return true;
    } catch (const riaa::EngineError&) {
        return false;
    }
}

// A percentage from 0 to the largest tolerance; why not in `problem` (the first one kept).
std::optional<double> ReadPercent(const QString& text, const riaa::NumberLocale& locale, QString& problem) {
    try {
        const double value = riaa::ParseNumber(text.trimmed().toStdString(), locale);
        if (value >= 0 && value <= riaa::kLargestTolerancePercent) return value;
        if (problem.isEmpty()) {
            problem = QStringLiteral("The tolerance must be between 0 % and %1 %")
                          .arg(QString::fromStdString(
                              riaa::RenderNumber(riaa::kLargestTolerancePercent, riaa::patterns::UpToTwo, locale)));
        }
    } catch (const riaa::EngineError& error) {
        if (problem.isEmpty()) problem = QString::fromUtf8(error.what());
    }
    return std::nullopt;
}

}  // namespace

DesignSession::DesignSession(const riaa::NumberLocale& locale, const riaa::ValueList& resistors, QObject* parent)
    : QObject(parent), locale_(locale), resistors_(resistors), worker_(new ToleranceWorker(this)) {
    connect(worker_, &ToleranceWorker::finished, this, [this](const riaa::ToleranceResult& result) {
        resultKey_ = running_;
        result_ = result;
        running_.reset();
        tell(ToleranceChanged);
    });
    connect(worker_, &ToleranceWorker::failed, this, [this](const QString& message) {
        failedKey_ = running_;
        failure_ = message;
        running_.reset();
        tell(ToleranceChanged);
    });
    setToleranceTexts(toleranceTexts_[0], toleranceTexts_[1], toleranceTexts_[2], distribution_);
}

DesignSession::~DesignSession() = default;

void DesignSession::tell(Changes what) { emit changed(what); }

// --- Designs -------------------------------------------------------------------------------------

riaa::CalculationResult DesignSession::calculatePassive(const PassiveInputs& inputs) {
    passive_ = inputs;
    riaa::NetworkState calculated = inputs.state;
    const riaa::CalculationResult result =
        riaa::CalculateNetwork(calculated, inputs.circuit, inputs.options, resistors_, locale_);
    passiveResult_ = result;
    setPassiveCalculation(calculated, inputs.circuit, inputs.options, result.alert);
    return result;
}

void DesignSession::setPassiveCalculation(const riaa::NetworkState& state, riaa::CircuitKind circuit,
                                          const riaa::CalculationOptions& options, bool alert) {
    passive_.state = state;
    passive_.circuit = circuit;
    passive_.options = options;
    useDesign(passiveDesign(state, circuit, options, alert), DesignInUse::Passive);
    tell(DesignChanged | AsBuiltChanged | ToleranceChanged);
}

SessionDesign DesignSession::passiveDesign(const riaa::NetworkState& state, riaa::CircuitKind circuit,
                                           const riaa::CalculationOptions& options, bool alert) const {
    SessionDesign design;
    design.calculated = riaa::MakeBuiltNetwork(state, circuit, options);
    design.calculated.curve = curve_;
    design.calculated.source = source_;
    design.aimedAt = design.calculated;
    if (options.UseStandardResistor && !alert) {
        // Parts are chosen for the value the relations ask for, not for one already rounded to the list.
        riaa::NetworkState exact = state;
        riaa::CalculationOptions unrounded = options;
        unrounded.UseStandardResistor = false;
        try {
            riaa::CalculateNetwork(exact, circuit, unrounded, riaa::ValueList{}, locale_);
            design.aimedAt = riaa::MakeBuiltNetwork(exact, circuit, options);
            design.aimedAt.curve = curve_;
            design.aimedAt.source = source_;
        } catch (const riaa::EngineError&) {
        }
    }
    const riaa::CircuitRow& row = riaa::Row(circuit);
    for (const ElementKind e : {ElementKind::C1, ElementKind::C2, ElementKind::R1, ElementKind::R2}) {
        design.fields[Index(e)] = riaa::HasElement(row, e);
    }
    // Rs and RL are always offered: the fields show them whether or not they are in circuit.
    for (const ElementKind e : {ElementKind::Rs, ElementKind::RL}) {
        design.fields[Index(e)] = true;
        design.optional[Index(e)] = true;
    }
    design.calculated.values[Index(ElementKind::Rs)] = state.Rs;
    design.calculated.values[Index(ElementKind::RL)] = state.RL;
    design.buildable = !alert;
    return design;
}

void DesignSession::setActiveRequest(const riaa::ActiveStageRequest& request,
                                     const std::optional<riaa::StagePageInputs>& pageTexts) {
    active_ = designStage(request);
    if (pageTexts) stagePage_ = pageTexts;
    useDesign(activeDesign(active_->network), DesignInUse::Active);
    tell(DesignChanged | AsBuiltChanged | ToleranceChanged);
}

ActiveStage DesignSession::designStage(const riaa::ActiveStageRequest& request) {
    ActiveStage stage{request, riaa::DesignActiveStage(request), {}};
    // The stage's own figures, from an ideal source; parts too far out of scale for them are refused here.
    stage.figures = riaa::ActiveStageFigures(stage.network);
    return stage;
}

SessionDesign DesignSession::activeDesign(const riaa::BuiltNetwork& network) const {
    SessionDesign design;
    design.calculated = network;
    design.calculated.curve = curve_;
    design.calculated.source = source_;
    design.aimedAt = design.calculated;
    design.fields = network.inCircuit;
    return design;
}

void DesignSession::useDesign(const SessionDesign& design, DesignInUse inUse) {
    design_ = design;
    inUse_ = inUse;
    fillFromDesign();
}

// --- The whole design at once --------------------------------------------------------------------

DesignState DesignSession::designState() const {
    DesignState state;
    if (inUse_ == DesignInUse::Active) {
        state.design = active_->request;
        state.circuitPage = passive_;
    } else {
        state.design = passive_;
    }
    state.stagePage = stagePage_;
    state.curve = curve_;
    state.source = source_;
    state.cartridgeTexts = cartridgeTexts_;
    state.asBuiltTexts = texts_;
    state.inCircuit = inCircuit_;
    state.asBuiltEdited = edited_;
    state.toleranceTexts = toleranceTexts_;
    state.distribution = distribution_;
    state.series = series_;
    state.noise = noise_.inputs();
    return state;
}

void DesignSession::setDesignState(const DesignState& state) {
    // Everything that can be refused is worked out before anything changes.
    const auto* passive = std::get_if<PassiveInputs>(&state.design);
    const PassiveInputs* circuitPage = passive != nullptr ? passive : state.circuitPage ? &*state.circuitPage : nullptr;
    std::optional<riaa::CalculationResult> result;
    riaa::NetworkState calculated;
    std::optional<ActiveStage> stage;
    if (circuitPage != nullptr) {
        calculated = circuitPage->state;
        result = riaa::CalculateNetwork(calculated, circuitPage->circuit, circuitPage->options, resistors_, locale_);
    }
    if (passive == nullptr) stage = designStage(std::get<riaa::ActiveStageRequest>(state.design));
    curve_ = state.curve;
    source_ = state.source;
    cartridgeTexts_ = state.cartridgeTexts;
    cartridgeProblems_.fill(QString());
    stagePage_ = state.stagePage;
    series_ = state.series;
    if (circuitPage != nullptr) {
        passive_ = *circuitPage;
        passive_.state = calculated;
        passiveResult_ = result;
    }
    if (passive != nullptr) {
        // A stage of before belongs to no file: the page shows the file's texts, to be designed at the next edit.
        active_.reset();
        useDesign(passiveDesign(calculated, passive->circuit, passive->options, result->alert), DesignInUse::Passive);
    } else {
        active_ = stage;
        useDesign(activeDesign(stage->network), DesignInUse::Active);
    }
    typeOverDesign(state.asBuiltTexts, state.inCircuit);
    edited_ = edited_ || state.asBuiltEdited;
    toleranceTexts_ = state.toleranceTexts;
    distribution_ = state.distribution;
    readToleranceTexts();
    noise_.setInputs(state.noise);
    parseFields();
    tell(DesignChanged | AsBuiltChanged | ToleranceChanged | TargetChanged | InputsReplaced | SeriesChanged |
         NoiseChanged);
}

void DesignSession::typeOverDesign(const std::array<QString, riaa::kPartCount>& texts,
                                   const std::array<bool, riaa::kPartCount>& inCircuit) {
    const std::array<QString, riaa::kPartCount> filled = texts_;
    const std::array<bool, riaa::kPartCount> filledInCircuit = inCircuit_;
    for (const ElementKind e : riaa::kAllElements) {
        const std::size_t i = Index(e);
        // An empty text keeps the design's own value; a field the design lacks takes nothing.
        if (!design_->fields[i]) continue;
        if (!texts[i].isEmpty()) texts_[i] = texts[i];
        if (design_->optional[i]) inCircuit_[i] = inCircuit[i];
    }
    edited_ = texts_ != filled || inCircuit_ != filledInCircuit;
}

void DesignSession::setStageOpAmp(const riaa::OpAmp& opAmp) {
    if (!design_ || design_->calculated.kind == riaa::DesignKind::Passive) return;
    design_->calculated.opAmp = opAmp;
    design_->aimedAt.opAmp = opAmp;
    // The stage's request takes it too, so that the Active stage page shows it and its next edit keeps it.
    if (active_ && inUse_ == DesignInUse::Active) {
        active_->request.opAmp = opAmp;
        active_->network.opAmp = opAmp;
        // The page's texts follow: the page shows the op-amp picked, and a design file keeps it.
        if (stagePage_) {
            stagePage_->idealOpAmp = opAmp.ideal;
            if (!opAmp.ideal) {
                stagePage_->openLoopGain = ExactText(opAmp.openLoopGainDb, locale_).toStdString();
                stagePage_->gainBandwidth = ExactText(opAmp.gainBandwidthHz, locale_).toStdString();
            }
        }
    }
    parseFields();
    tell(AsBuiltChanged | ToleranceChanged | InputsReplaced);
}

void DesignSession::fillFromDesign() {
    const SessionDesign& design = *design_;
    for (const ElementKind e : riaa::kAllElements) {
        const std::size_t i = Index(e);
        texts_[i] = design.fields[i] ? ExactText(design.calculated.values[i], locale_) : QString();
        inCircuit_[i] = design.fields[i] && design.calculated.inCircuit[i];
    }
    edited_ = false;
    parseFields();
}

// --- As built ------------------------------------------------------------------------------------

void DesignSession::setAsBuiltText(ElementKind element, const QString& text) { setAsBuiltTexts({{element, text}}); }

void DesignSession::setAsBuiltTexts(const std::map<ElementKind, QString>& texts) {
    if (!design_) return;
    for (const auto& [element, text] : texts) texts_[Index(element)] = text;
    edited_ = true;
    parseFields();
    tell(AsBuiltChanged | ToleranceChanged);
}

void DesignSession::setInCircuit(ElementKind element, bool inCircuit) {
    if (!design_ || !design_->optional[Index(element)]) return;
    inCircuit_[Index(element)] = inCircuit;
    edited_ = true;
    parseFields();
    tell(AsBuiltChanged | ToleranceChanged);
}

void DesignSession::restoreCalculated() {
    if (!design_) return;
    fillFromDesign();
    tell(AsBuiltChanged | ToleranceChanged);
}

void DesignSession::parseFields() {
    candidate_.reset();
    problems_.fill(QString());
    evaluated_ = true;
    evaluationProblem_.clear();
    // In the alert state the calculated network cannot be built; what the user types instead can.
    if (!design_ || (!design_->buildable && !edited_)) {
        built_.reset();
        report_.reset();
        updateToleranceRun();
        return;
    }
    riaa::BuiltNetwork network = design_->calculated;
    network.curve = curve_;
    network.source = source_;
    bool allRead = true;
    for (const ElementKind e : riaa::kAllElements) {
        const std::size_t i = Index(e);
        network.remove(e);
        if (!design_->fields[i] || !inCircuit_[i]) continue;
        const std::string text = texts_[i].toStdString();
        try {
            parsed_[i] = riaa::IsCapacitor(e) ? riaa::ParseCapacitorSum(text, locale_)
                                              : riaa::ParseResistorSum(text, locale_);
            // A slip of the exponent is no part: refused here, naming the field, before it reaches a report.
            riaa::CheckPartValue(e, parsed_[i], riaa::ZeroOhmsFor(network, e));
            network.set(e, parsed_[i]);
        } catch (const riaa::EngineError& error) {
            problems_[i] = QString::fromUtf8(error.what());
            allRead = false;
        }
    }
    if (allRead) {
        candidate_ = network;
        evaluated_ = false;
    }
    updateToleranceRun();
}

void DesignSession::evaluate() {
    if (evaluated_) return;
    evaluated_ = true;
    try {
        report_ = riaa::EvaluateAccuracy(*candidate_);
        built_ = candidate_;
    } catch (const riaa::EngineError& error) {
        // What is on show stays until the fields make a network again.
        evaluationProblem_ = QString::fromUtf8(error.what());
    }
}

void DesignSession::setNoiseInputs(const NoiseInputs& inputs) {
    if (inputs == noise_.inputs()) return;
    noise_.setInputs(inputs);
    tell(NoiseChanged);
}

AsBuiltField DesignSession::field(ElementKind element) const {
    AsBuiltField field;
    if (!design_) return field;
    const std::size_t i = Index(element);
    field.offered = design_->fields[i];
    field.inCircuit = inCircuit_[i];
    field.text = texts_[i];
    field.problem = problems_[i];
    if (field.offered && field.inCircuit && field.problem.isEmpty() && (design_->buildable || edited_) &&
        !IsPlainNumber(texts_[i].toStdString(), locale_)) {
        field.total = QStringLiteral("= ") + QString::fromStdString(riaa::FormatPartValueWithUnit(element, parsed_[i], locale_));
    }
    return field;
}

QString DesignSession::message() {
    for (const QString& problem : problems_) {
        if (!problem.isEmpty()) return problem;
    }
    for (const QString& problem : cartridgeProblems_) {
        if (!problem.isEmpty()) return problem;
    }
    evaluate();
    return evaluationProblem_;
}

const std::optional<riaa::BuiltNetwork>& DesignSession::builtNetwork() {
    evaluate();
    return built_;
}

const std::optional<riaa::AccuracyReport>& DesignSession::report() {
    evaluate();
    return report_;
}

std::optional<riaa::BuiltNetwork> DesignSession::calculatedNetwork() const {
    if (!design_ || !design_->buildable) return std::nullopt;
    return design_->aimedAt;
}

std::vector<SeriesTableRow> DesignSession::seriesTable(std::optional<riaa::SeriesKind> capacitorSeries) {
    evaluate();
    const std::optional<riaa::BuiltNetwork> calculated = calculatedNetwork();
    if (!calculated || !built_) return {};
    return MakeSeriesTable(*calculated, *built_, capacitorSeries, resistors_);
}

// --- Target and source ---------------------------------------------------------------------------

void DesignSession::setCurve(const riaa::CurveChoice& curve) {
    if (curve == curve_) return;
    curve_ = curve;
    parseFields();
    tell(TargetChanged | AsBuiltChanged | ToleranceChanged);
}

void DesignSession::setSource(const std::optional<riaa::Cartridge>& source) {
    if (source == source_) return;
    source_ = source;
    parseFields();
    tell(TargetChanged | AsBuiltChanged | ToleranceChanged);
}

void DesignSession::setCartridgeTexts(bool cartridge, const std::array<QString, 4>& texts) {
    cartridgeProblems_.fill(QString());
    if (!cartridge) {
        cartridgeTexts_ = texts;
        if (source_) {
            setSource(std::nullopt);
        } else {
            tell(TargetChanged);
        }
        return;
    }
    riaa::Cartridge read;
    std::array<double*, 4> values{&read.inductanceMh, &read.resistance, &read.loadResistance, &read.loadCapacitancePf};
    bool allRead = true;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string text = texts[i].trimmed().toStdString();
        try {
            // Rc and RL take k and M as the resistor fields do; L and CL are plain numbers of their unit.
            *values[i] = i == 1 || i == 2 ? riaa::ParseResistorSum(text, locale_) : riaa::ParseNumber(text, locale_);
        } catch (const riaa::EngineError& error) {
            cartridgeProblems_[i] = QString::fromUtf8(error.what());
            allRead = false;
        }
    }
    if (allRead) {
        try {
            riaa::CheckCartridge(read);
        } catch (const riaa::EngineError& error) {
            cartridgeProblems_.fill(QString::fromUtf8(error.what()));
            allRead = false;
        }
    }
    if (allRead) cartridgeTexts_ = texts;
    if (allRead && source_ != read) {
        setSource(read);
        return;
    }
    tell(TargetChanged | AsBuiltChanged | ToleranceChanged);
}

// --- Tolerances ----------------------------------------------------------------------------------

void DesignSession::setToleranceTexts(const QString& resistors, const QString& capacitors,
                                      const QString& loadCapacitance, riaa::ToleranceDistribution distribution) {
    toleranceTexts_ = {resistors, capacitors, loadCapacitance};
    distribution_ = distribution;
    readToleranceTexts();
    updateToleranceRun();
    tell(ToleranceChanged);
}

void DesignSession::readToleranceTexts() {
    settingsProblem_.clear();
    std::array<std::optional<double>, 3> percents;
    for (std::size_t i = 0; i < percents.size(); ++i) {
        percents[i] = ReadPercent(toleranceTexts_[i], locale_, settingsProblem_);
        badToleranceFields_[i] = !percents[i];
    }
    settings_.reset();
    if (percents[0] && percents[1] && percents[2]) {
        riaa::ToleranceSettings settings;
        settings.resistorPercent = *percents[0];
        settings.capacitorPercent = *percents[1];
        settings.loadCapacitancePercent = *percents[2];
        settings.distribution = distribution_;
        settings_ = settings;
    }
}

void DesignSession::setSeriesChoices(const SeriesChoices& series) {
    if (series == series_) return;
    series_ = series;
    tell(SeriesChanged);
}

void DesignSession::cancelTolerance() {
    worker_->cancel();
    running_.reset();
    tell(ToleranceChanged);
}

const std::optional<riaa::BuiltNetwork>& DesignSession::networkOnShow() const { return candidate_ ? candidate_ : built_; }

void DesignSession::updateToleranceRun() {
    const std::optional<riaa::BuiltNetwork>& network = networkOnShow();
    if (!network || !settings_) {
        worker_->cancel();
        running_.reset();
        return;
    }
    const RunKey key{*network, *settings_};
    if (resultKey_ == key || failedKey_ == key) {
        worker_->cancel();
        running_.reset();
        return;
    }
    if (running_ == key) return;
    running_ = key;
    worker_->request(key.network, key.settings);
}

ToleranceView DesignSession::tolerance() const {
    ToleranceView view;
    const std::optional<riaa::BuiltNetwork>& network = networkOnShow();
    if (!network) {
        view.message = settingsProblem_;
        return view;
    }
    const bool resultFits = result_ && resultKey_ && resultKey_->network == *network;
    if (!settings_) {
        // Bad text loses nothing: the figures stay while they still belong to the network on show.
        view.status = ToleranceStatus::NotRun;
        view.message = settingsProblem_;
        if (resultFits) {
            view.figures = &*result_;
            view.builds = resultKey_->settings.builds;
        }
        return view;
    }
    if (running_) {
        view.status = ToleranceStatus::Running;
        view.builds = running_->settings.builds;
        return view;
    }
    if (failedKey_ && failedKey_->network == *network && failedKey_->settings == *settings_) {
        view.status = ToleranceStatus::NotRun;
        view.message = failure_;
        return view;
    }
    if (resultFits && resultKey_->settings == *settings_) {
        view.status = ToleranceStatus::Done;
        view.figures = &*result_;
        view.builds = resultKey_->settings.builds;
    }
    return view;
}

const std::vector<riaa::ToleranceBandPoint>* DesignSession::toleranceBand() {
    evaluate();
    const ToleranceView view = tolerance();
    if (view.figures == nullptr || !built_ || resultKey_->network != *built_ || view.figures->band.empty()) {
        return nullptr;
    }
    return &view.figures->band;
}
