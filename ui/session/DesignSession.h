// The one design every page observes: the design pages' inputs and what they make, its parts as built, its target and its tolerance runs.
#pragma once

#include <QFlags>
#include <QObject>
#include <QString>
#include <array>
#include <map>
#include <optional>
#include <variant>
#include <vector>

#include "engine/ActiveStage.h"
#include "engine/BuiltNetwork.h"
#include "engine/Formats.h"
#include "engine/DesignFile.h"
#include "engine/Network.h"
#include "engine/PartSeries.h"
#include "engine/Response.h"
#include "session/SeriesTable.h"
#include "session/SessionNoise.h"
#include "engine/Tolerance.h"
#include "engine/ValueLists.h"

class ToleranceWorker;

// What a design page handed over: the design as it calculated it, and the values its parts aim at.
struct SessionDesign {
    riaa::BuiltNetwork calculated;  // the as-built fields start from it (resistors rounded where the page rounds)
    riaa::BuiltNetwork aimedAt;     // before rounding to the list: what pairs and series aim at
    std::array<bool, riaa::kPartCount> fields{};  // the elements that have an as-built field
    // Elements whose field may be left out of the circuit (Rs and RL of a passive network).
    std::array<bool, riaa::kPartCount> optional{};
    bool buildable = true;  // false: the circuit page's alert state, whose R1 cannot be built
};

// The passive network as the circuit page edits it.
struct PassiveInputs {
    riaa::NetworkState state;  // C1 of each circuit, Rs and RL; C2, R1 and R2 as the last calculation left them
    riaa::CircuitKind circuit = riaa::CircuitKind::LowPass50Hz;
    riaa::CalculationOptions options;
    riaa::ElementKind element = riaa::ElementKind::C1;  // the element the value box edits
};

// The active stage as its page asked for it, what the engine made of it and the stage's own figures.
struct ActiveStage {
    riaa::ActiveStageRequest request;
    riaa::BuiltNetwork network;  // every element in circuit, aimed at the request's curve
    riaa::StageFigures figures;
};

// Which design page's design the other pages show.
enum class DesignInUse { None, Passive, Active };

// The series the Parts page rounds and pairs with, which the bill of materials buys from.
struct SeriesChoices {
    std::optional<riaa::SeriesKind> tableCapacitors;  // empty: "exact"
    riaa::SeriesKind pairResistors = riaa::SeriesKind::E24;
    riaa::SeriesKind pairCapacitors = riaa::SeriesKind::E12;
    bool operator==(const SeriesChoices&) const = default;
};

inline const std::array<QString, 4> kFirstCartridgeTexts{QStringLiteral("500"), QStringLiteral("1k"),
                                                         QStringLiteral("47k"), QStringLiteral("200")};

// Everything a designer sets, as if typed: what a design file holds and gives back.
struct DesignState {
    std::variant<PassiveInputs, riaa::ActiveStageRequest> design;
    // The circuit page's inputs while a stage is in use: the page shows them calculated, as it left them.
    std::optional<PassiveInputs> circuitPage;
    // The Active stage page's texts as typed (its request alone would give "1000" back for "1k").
    std::optional<riaa::StagePageInputs> stagePage;
    riaa::CurveChoice curve;
    std::optional<riaa::Cartridge> source;
    // The cartridge fields as typed: L, Rc, RL, CL; the source says whether the cartridge is in.
    std::array<QString, 4> cartridgeTexts = kFirstCartridgeTexts;
    // The as-built fields, in element order; an empty text is a field the design does not offer.
    std::array<QString, riaa::kPartCount> asBuiltTexts{};
    std::array<bool, riaa::kPartCount> inCircuit{};
    // The fields were edited, even back to the design's own values: they no longer follow the design.
    bool asBuiltEdited = false;
    // In percent: resistors, capacitors, load capacitance.
    std::array<QString, 3> toleranceTexts{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("0")};
    riaa::ToleranceDistribution distribution = riaa::ToleranceDistribution::Uniform;
    SeriesChoices series;
    NoiseInputs noise;
};

// One as-built field as the pages show it.
struct AsBuiltField {
    bool offered = false;    // the design has this element
    bool inCircuit = false;
    QString text;
    QString problem;         // why the text is refused; empty when it reads
    QString total;           // "= 3.42 nF" beside a sum or a suffix; empty for a plain number
};

enum class ToleranceStatus {
    None,     // no network to run
    Running,
    Done,
    NotRun,   // bad settings or a refused run: the message says why
};

struct ToleranceView {
    ToleranceStatus status = ToleranceStatus::None;
    int builds = 0;                                // of the run in hand, or of the figures shown
    const riaa::ToleranceResult* figures = nullptr;  // the figures that belong to the network on show
    QString message;
};

class DesignSession : public QObject {
    Q_OBJECT
public:
    enum Change {
        DesignChanged = 1,     // a design page handed over a new design
        AsBuiltChanged = 2,    // a field, an in-circuit choice, or what the report says
        ToleranceChanged = 4,  // the tolerance settings, a run starting or finishing (with any of the others)
        TargetChanged = 8,     // the curve or the source
        // The whole design was set at once (a file opened): the design pages show its inputs in their controls.
        InputsReplaced = 16,
        SeriesChanged = 32,  // a series the Parts page rounds or pairs with
        NoiseChanged = 64,   // the noise settings
    };
    Q_DECLARE_FLAGS(Changes, Change)

    DesignSession(const riaa::NumberLocale& locale, const riaa::ValueList& resistors, QObject* parent = nullptr);
    ~DesignSession() override;

    // --- From the design pages -------------------------------------------------------------------
    // Calculates the passive network from these inputs, as the circuit page's handlers do, and makes it
    // the design in use. The inputs are kept even when the calculation throws (an EngineError), as
    // typed; the design in use then stays as it was.
    riaa::CalculationResult calculatePassive(const PassiveInputs& inputs);
    // The element the circuit page's value box edits: part of the inputs, no change to the design.
    void setPassiveElement(riaa::ElementKind element) { passive_.element = element; }
    // What a calculation of the circuit page left; `alert` is its red state.
    void setPassiveCalculation(const riaa::NetworkState& state, riaa::CircuitKind circuit,
                               const riaa::CalculationOptions& options, bool alert);
    // Designs the stage the Active stage page asks for, with its figures, and makes it the design in
    // use. A request the engine refuses throws its EngineError and changes nothing. The page's texts,
    // as typed, are kept with the stage they made.
    void setActiveRequest(const riaa::ActiveStageRequest& request,
                          const std::optional<riaa::StagePageInputs>& pageTexts = std::nullopt);
    // The Active stage page's texts that made the last stage (or a design file gave); empty before.
    const std::optional<riaa::StagePageInputs>& stagePageInputs() const { return stagePage_; }

    // --- The whole design at once ----------------------------------------------------------------
    // The inputs of the design in use (the passive ones before any design), the target, the as-built
    // texts and the tolerance texts.
    DesignState designState() const;
    // Sets all of it as if typed: the design is made again from its inputs, then the as-built texts
    // and the tolerance texts are typed over it. A design the engine refuses throws its EngineError
    // and leaves the session as it was.
    void setDesignState(const DesignState& state);
    // The op-amp of an active design, as the Noise page picks one; the parts stay as they are.
    void setStageOpAmp(const riaa::OpAmp& opAmp);

    // --- Edits of the network as built -----------------------------------------------------------
    void setAsBuiltText(riaa::ElementKind element, const QString& text);
    // Several texts at once, as if typed (a row of the parts table, a pair).
    void setAsBuiltTexts(const std::map<riaa::ElementKind, QString>& texts);
    void setInCircuit(riaa::ElementKind element, bool inCircuit);
    // The fields as the design page calculated them again.
    void restoreCalculated();

    // --- Target and source -----------------------------------------------------------------------
    void setCurve(const riaa::CurveChoice& curve);
    void setSource(const std::optional<riaa::Cartridge>& source);
    // The cartridge fields as typed: L in mH, Rc and RL in ohms (k and M read), CL in pF. A field
    // that does not read, or a cartridge no real one can be, keeps the source as it was.
    void setCartridgeTexts(bool cartridge, const std::array<QString, 4>& texts);
    // Why each cartridge field is refused; empty where it reads.
    const std::array<QString, 4>& cartridgeProblems() const { return cartridgeProblems_; }
    // The cartridge fields that made the source, or as typed while the cartridge is out.
    const std::array<QString, 4>& cartridgeTexts() const { return cartridgeTexts_; }

    // --- Tolerances ------------------------------------------------------------------------------
    // The texts of the tolerance fields, in percent; a bad one keeps the figures that still fit.
    void setToleranceTexts(const QString& resistors, const QString& capacitors, const QString& loadCapacitance,
                           riaa::ToleranceDistribution distribution);
    // Which tolerance fields hold bad text: resistors, capacitors, load capacitance.
    const std::array<bool, 3>& badToleranceFields() const { return badToleranceFields_; }
    // What the fields ask for now; empty while one of them holds bad text.
    const std::optional<riaa::ToleranceSettings>& toleranceSettings() const { return settings_; }
    void cancelTolerance();
    const std::array<QString, 3>& toleranceTexts() const { return toleranceTexts_; }
    riaa::ToleranceDistribution distribution() const { return distribution_; }

    // --- Series ----------------------------------------------------------------------------------
    void setSeriesChoices(const SeriesChoices& series);
    const SeriesChoices& seriesChoices() const { return series_; }

    // --- What the pages read ---------------------------------------------------------------------
    const riaa::NumberLocale& locale() const { return locale_; }
    const std::optional<SessionDesign>& design() const { return design_; }
    DesignInUse designInUse() const { return inUse_; }
    const PassiveInputs& passiveInputs() const { return passive_; }
    // The circuit page's last calculation that went through; empty before the first.
    const std::optional<riaa::CalculationResult>& passiveResult() const { return passiveResult_; }
    // The stage the Active stage page designed last, in use or not; empty before the first.
    const std::optional<ActiveStage>& activeStage() const { return active_; }
    const riaa::CurveChoice& curve() const { return curve_; }
    const std::optional<riaa::Cartridge>& source() const { return source_; }
    AsBuiltField field(riaa::ElementKind element) const;
    bool valuesEdited() const { return edited_; }
    // The first refused field, or why the fields' network cannot be evaluated; empty when all is well.
    QString message();
    // The last network the fields made that could be evaluated, and its report; evaluated when first
    // asked for after a change. Empty before the first design, and in the alert state until an edit.
    const std::optional<riaa::BuiltNetwork>& builtNetwork();
    const std::optional<riaa::AccuracyReport>& report();

    // --- Noise and headroom ----------------------------------------------------------------------
    // The Noise page's inputs as typed; a field that does not read keeps the last settings that did.
    void setNoiseInputs(const NoiseInputs& inputs);
    const NoiseInputs& noiseInputs() const { return noise_.inputs(); }
    const riaa::NoiseSettings& noiseSettings() const { return noise_.settings(); }
    const std::optional<riaa::NoiseField>& noiseProblemField() const { return noise_.problemField(); }
    const QString& noiseProblem() const { return noise_.problem(); }
    // The noise and headroom of the network on show, worked out when first asked for after a change;
    // the last good figures stay while they cannot be (noiseEvaluationProblem() says why).
    const std::optional<riaa::NoiseFigures>& noiseFigures() { return noise_.figures(builtNetwork()); }
    const std::optional<riaa::NoiseSpectrum>& noiseSpectrum(int points) { return noise_.spectrum(builtNetwork(), points); }
    const QString& noiseEvaluationProblem() const { return noise_.evaluationProblem(); }
    // The design's values before rounding, for pairs and series; empty without a buildable design.
    std::optional<riaa::BuiltNetwork> calculatedNetwork() const;
    // The parts table for the network on show, with the capacitors rounded to this series or exact.
    std::vector<SeriesTableRow> seriesTable(std::optional<riaa::SeriesKind> capacitorSeries);
    ToleranceView tolerance() const;
    // The 95 % band of the figures shown, when they belong to the network the report is of.
    const std::vector<riaa::ToleranceBandPoint>* toleranceBand();
    const ToleranceWorker& toleranceWorker() const { return *worker_; }

signals:
    void changed(DesignSession::Changes what);

private:
    struct RunKey {
        riaa::BuiltNetwork network;
        riaa::ToleranceSettings settings;
        bool operator==(const RunKey&) const = default;
    };

    SessionDesign passiveDesign(const riaa::NetworkState& state, riaa::CircuitKind circuit,
                                const riaa::CalculationOptions& options, bool alert) const;
    // Throws the engine's EngineError for a request it refuses.
    static ActiveStage designStage(const riaa::ActiveStageRequest& request);
    SessionDesign activeDesign(const riaa::BuiltNetwork& network) const;
    void useDesign(const SessionDesign& design, DesignInUse inUse);
    // The texts and in-circuit choices of a design state, over the fields the design filled.
    void typeOverDesign(const std::array<QString, riaa::kPartCount>& texts,
                        const std::array<bool, riaa::kPartCount>& inCircuit);
    void readToleranceTexts();
    void fillFromDesign();
    void parseFields();
    void evaluate();
    // The network whose tolerances count: the fields' when they read, else the last one on show.
    const std::optional<riaa::BuiltNetwork>& networkOnShow() const;
    void updateToleranceRun();
    void tell(Changes what);

    riaa::NumberLocale locale_;
    const riaa::ValueList& resistors_;
    PassiveInputs passive_;
    std::optional<riaa::CalculationResult> passiveResult_;
    std::optional<ActiveStage> active_;
    DesignInUse inUse_ = DesignInUse::None;
    std::optional<SessionDesign> design_;
    riaa::CurveChoice curve_;
    std::optional<riaa::Cartridge> source_;
    std::array<QString, 4> cartridgeProblems_{};
    std::array<QString, 4> cartridgeTexts_ = kFirstCartridgeTexts;
    std::optional<riaa::StagePageInputs> stagePage_;
    SeriesChoices series_;

    std::array<QString, riaa::kPartCount> texts_{};
    std::array<bool, riaa::kPartCount> inCircuit_{};
    std::array<QString, riaa::kPartCount> problems_{};
    std::array<double, riaa::kPartCount> parsed_{};
    bool edited_ = false;
    std::optional<riaa::BuiltNetwork> candidate_;  // the fields' network, when every field reads
    bool evaluated_ = true;                        // candidate_ has been evaluated
    QString evaluationProblem_;
    std::optional<riaa::BuiltNetwork> built_;
    std::optional<riaa::AccuracyReport> report_;
    SessionNoise noise_{locale_};

    std::array<QString, 3> toleranceTexts_{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("0")};
    riaa::ToleranceDistribution distribution_ = riaa::ToleranceDistribution::Uniform;
    std::optional<riaa::ToleranceSettings> settings_;
    std::array<bool, 3> badToleranceFields_{};
    QString settingsProblem_;
    ToleranceWorker* worker_ = nullptr;
    std::optional<RunKey> running_;
    std::optional<RunKey> resultKey_;
    std::optional<riaa::ToleranceResult> result_;
    std::optional<RunKey> failedKey_;
    QString failure_;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(DesignSession::Changes)
