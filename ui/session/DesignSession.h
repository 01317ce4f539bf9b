// The one design every page observes: what a design page calculated, its parts as built, its target and its tolerance runs.
#pragma once

#include <QFlags>
#include <QObject>
#include <QString>
#include <array>
#include <map>
#include <optional>
#include <vector>

#include "engine/BuiltNetwork.h"
#include "engine/Formats.h"
#include "engine/Network.h"
#include "engine/PartSeries.h"
#include "engine/Response.h"
#include "session/SeriesTable.h"
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
    };
    Q_DECLARE_FLAGS(Changes, Change)

    DesignSession(const riaa::NumberLocale& locale, const riaa::ValueList& resistors, QObject* parent = nullptr);
    ~DesignSession() override;

    // --- From the design pages -------------------------------------------------------------------
    // What a calculation of the circuit page left; `alert` is its red state.
    void setPassiveCalculation(const riaa::NetworkState& state, riaa::CircuitKind circuit,
                               const riaa::CalculationOptions& options, bool alert);
    // An active stage as its page designed it (every element in circuit).
    void setActiveDesign(const riaa::BuiltNetwork& design);
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

    // --- Tolerances ------------------------------------------------------------------------------
    // The texts of the tolerance fields, in percent; a bad one keeps the figures that still fit.
    void setToleranceTexts(const QString& resistors, const QString& capacitors, const QString& loadCapacitance,
                           riaa::ToleranceDistribution distribution);
    // Which tolerance fields hold bad text: resistors, capacitors, load capacitance.
    const std::array<bool, 3>& badToleranceFields() const { return badToleranceFields_; }
    // What the fields ask for now; empty while one of them holds bad text.
    const std::optional<riaa::ToleranceSettings>& toleranceSettings() const { return settings_; }
    void cancelTolerance();

    // --- What the pages read ---------------------------------------------------------------------
    const riaa::NumberLocale& locale() const { return locale_; }
    const std::optional<SessionDesign>& design() const { return design_; }
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

    void fillFromDesign();
    void parseFields();
    void evaluate();
    // The network whose tolerances count: the fields' when they read, else the last one on show.
    const std::optional<riaa::BuiltNetwork>& networkOnShow() const;
    void updateToleranceRun();
    void tell(Changes what);

    riaa::NumberLocale locale_;
    const riaa::ValueList& resistors_;
    std::optional<SessionDesign> design_;
    riaa::CurveChoice curve_;
    std::optional<riaa::Cartridge> source_;
    std::array<QString, 4> cartridgeProblems_{};

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
