// What one run of mirelund-design is asked: read from the command line, checked, in the engine's units.
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "BestBuildOptions.h"
#include "NoiseOptions.h"
#include "engine/ActiveStage.h"
#include "engine/DesignFile.h"
#include "engine/Network.h"
#include "engine/PartSeries.h"
#include "engine/Tolerance.h"

namespace design {

// Output of --round: the program's own resistor list, or a standard series.
struct Rounding {
    bool toResistorList = false;
    std::optional<riaa::SeriesKind> series;
};

// What is not asked for is what the engine runs.
struct ToleranceRequest {
    double resistorPercent = riaa::ToleranceSettings{}.resistorPercent;
    double capacitorPercent = riaa::ToleranceSettings{}.capacitorPercent;
    bool normal = false;  // uniform within ±tolerance unless asked otherwise
    int builds = riaa::ToleranceSettings{}.builds;
    std::optional<double> loadCapacitancePercent;  // the cartridge's CL, where asked
};

// An active stage as asked: the engine's request, and what the checks after the design need to know.
struct StageRequest {
    riaa::ActiveStageRequest design;
    std::string scaleOption;  // "--r0", "--rin" or "--c1": the option to blame for a scale that cannot be built
    bool r3Given = false;
};

// One --part: an element as built, overriding the design.
struct PartOverride {
    riaa::ElementKind element = riaa::ElementKind::C1;
    double value = 0;  // Ω or µF
    std::string text;       // as typed: a sum stays a sum in the design file and the bill of materials
    bool fromFile = false;  // a design file's part, passed over where the design as changed has no such element
};

struct DesignRequest {
    riaa::CircuitKind circuit = riaa::CircuitKind::LowPass50Hz;
    double c1 = 0;                      // µF
    std::optional<double> rs;           // Ω, in circuit when given
    std::optional<double> rl;           // Ω, in circuit when given
    std::optional<double> c2;           // µF, overrides the calculated C2
    std::string c2Text;                 // --c2 as typed
    std::optional<StageRequest> stage;  // empty: the passive network of circuit
    std::vector<PartOverride> parts;
    riaa::CurveChoice curve;
    bool curveAsked = false;                 // --curve, --iec or --zero-3.18us given
    std::optional<riaa::CurveChoice> against;  // what the design is measured against, where not its own curve
    std::optional<riaa::Cartridge> cartridge;
    Rounding rounding;
    std::optional<ToleranceRequest> tolerance;
    bool netlist = false;
    bool json = false;
    bool help = false;
    std::string helpText;
    bool listCurves = false;
    bool listOpAmps = false;
    // The user's own op-amps, read where --opamp or --opamps asks, and the rows of their file skipped.
    std::vector<riaa::OpAmpRow> userOpAmps;
    std::vector<std::string> opAmpProblems;
    std::optional<NoiseRequest> noise;             // --noise or any of its settings
    std::optional<riaa::BestBuildRequest> best;    // --best
    // --design, --save, --bom: the design read (or a new one) that the run changes, and where to write.
    std::optional<std::string> designPath, savePath, bomPath;
    riaa::DesignDocument document;
    // Each option the design file gave, with the file and key to blame instead of the option.
    std::map<std::string, std::string> fileKeys;
};

// A mistake on the command line: the option it concerns and the reason, for one line on stderr.
class UsageError : public std::runtime_error {
public:
    UsageError(const std::string& option, const std::string& reason)
        : std::runtime_error(option.empty() ? reason : option + ": " + reason), option_(option), reason_(reason) {}
    const std::string& option() const { return option_; }
    const std::string& reason() const { return reason_; }

private:
    std::string option_;
    std::string reason_;
};

// The error as the design file's key says it, where the option it blames came from the file.
UsageError BlamedOnFile(const UsageError& error, const DesignRequest& request);

// Throws UsageError for anything it cannot take; --help fills help and helpText, --curves sets
// listCurves and --opamps listOpAmps, and none of them checks anything else.
DesignRequest ParseDesignRequest(int argc, const char* const* argv);

// The curve with its options as --against takes it: "RIAA+IEC", "Columbia LP+3.18us".
std::string CurveChoiceName(const riaa::CurveChoice& choice);

}  // namespace design
