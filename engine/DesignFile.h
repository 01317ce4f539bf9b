// The design file: everything the window needs to show a design again, read from and written to JSON text.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/BuiltNetwork.h"
#include "engine/Kinds.h"
#include "engine/Network.h"
#include "engine/PartSeries.h"
#include "engine/Tolerance.h"

namespace riaa {

inline constexpr std::string_view kDesignFormat = "mirelund-design";
inline constexpr int kDesignFileVersion = 1;

// Keys this version does not know, each with its value as compact JSON text: a newer program's
// settings survive an open and a save by this one.
using UnknownKeys = std::map<std::string, std::string>;

// The circuit page as the user left it.
struct CircuitPageInputs {
    CircuitKind circuit = CircuitKind::LowPass50Hz;
    ElementKind element = ElementKind::C1;  // one of C1 to Rs
    std::string valueText = "0.01";          // the value box's text as typed
    CalculationOptions options;
    double rs = NetworkState{}.Rs;  // Ω
    double rl = NetworkState{}.RL;  // Ω
    std::array<double, kCircuitCount> circuitC1 = NetworkState{}.CircuitC1;  // µF, each circuit's own
    // Typed values the value boxes took into their lists, in the order they were inserted.
    std::vector<std::string> resistorEntries;
    std::vector<std::string> capacitorEntries;
    UnknownKeys unknown;

    bool operator==(const CircuitPageInputs&) const = default;
};

// The Active stage page's controls: texts as typed, as the page keeps them.
struct StagePageInputs {
    DesignKind stage = DesignKind::NonInverting;  // never Passive
    NetworkForm form = NetworkForm::A;
    std::string gain = "35";           // dB at 1 kHz
    bool scaleByC1 = false;
    std::string scaleResistor = "1k";  // R0, or Rin of an inverting stage
    std::string scaleC1 = "10n";
    bool useC0 = false;
    std::string c0 = "100";            // µF unless a suffix says otherwise
    HighFrequencyZero highFrequencyZero = HighFrequencyZero::Pole;
    std::string r3 = "1k";
    bool useRL = true;
    std::string rl = "47k";
    bool idealOpAmp = true;
    std::string openLoopGain = "100";  // dB
    std::string gainBandwidth = "10M"; // Hz
    std::string shelf = "15915";       // µs, for a curve without a bass shelf
    UnknownKeys unknown;

    bool operator==(const StagePageInputs&) const = default;
};

struct CurveInputs {
    CurveChoice choice;
    UnknownKeys unknown;

    bool operator==(const CurveInputs&) const = default;
};

// The cartridge at the input, its four fields as typed: L in mH, Rc and RL in Ω, CL in pF.
struct SourceInputs {
    bool cartridge = false;
    std::array<std::string, 4> texts{"500", "1k", "47k", "200"};
    UnknownKeys unknown;

    bool operator==(const SourceInputs&) const = default;
};

struct AsBuiltPart {
    std::string text;  // as typed: "27k+820" stays a sum
    bool inCircuit = true;
    UnknownKeys unknown;

    bool operator==(const AsBuiltPart&) const = default;
};

struct AsBuiltInputs {
    bool edited = false;  // false: the fields follow the design as calculated
    std::array<std::optional<AsBuiltPart>, kPartCount> parts{};  // indexed by ElementKind
    UnknownKeys unknown;

    bool operator==(const AsBuiltInputs&) const = default;
};

// The Parts page's tolerance fields as typed, in percent.
struct ToleranceInputs {
    std::string resistors = "1";
    std::string capacitors = "2";
    std::string loadCapacitance = "0";
    ToleranceDistribution distribution = ToleranceDistribution::Uniform;
    UnknownKeys unknown;

    bool operator==(const ToleranceInputs&) const = default;
};

// The series the Parts page and the bill of materials buy from.
struct SeriesInputs {
    std::optional<SeriesKind> tableCapacitors;  // empty: "exact"
    SeriesKind pairResistors = SeriesKind::E24;
    SeriesKind pairCapacitors = SeriesKind::E12;
    UnknownKeys unknown;

    bool operator==(const SeriesInputs&) const = default;
};

// The Noise page's settings as typed, in its units: the op-amp picked (none: Custom), then en (nV/√Hz),
// fce (Hz), in (pA/√Hz), fci (Hz), the swing (V rms), the temperature (°C) and the reference (mV).
inline constexpr std::array<std::string_view, 7> kNoiseFileKeys{"en", "fce", "in", "fci", "swing", "temperature",
                                                                "reference"};
struct NoiseFileInputs {
    std::optional<std::string> opAmp;
    std::array<std::string, kNoiseFileKeys.size()> texts{};
    UnknownKeys unknown;

    bool operator==(const NoiseFileInputs&) const = default;
};

struct DesignDocument {
    // Which page's design the other pages show: the active stage's, or else the circuit page's.
    bool activeStage = false;
    std::optional<std::string> title;
    std::optional<std::string> notes;
    // Both pages are kept, whichever designed last: the window comes back with each as it was.
    CircuitPageInputs passive;
    StagePageInputs stage;
    CurveInputs curve;
    SourceInputs source;
    AsBuiltInputs asBuilt;
    ToleranceInputs tolerance;
    SeriesInputs series;
    std::optional<NoiseFileInputs> noise;  // none: the settings a new design starts with
    UnknownKeys unknown;  // the top level's: a "noise" object of a newer program, say

    bool operator==(const DesignDocument&) const = default;
};

// Reads a whole file. Throws EngineError, and gives nothing, for empty text, text that is not JSON
// ("... line 3, column 7"), another format, a version newer than this program's ("... version 2 ..."),
// and a value of the wrong type or out of range, naming its key ("passive.rs must lie between ...").
DesignDocument ReadDesignFile(std::string_view text);

// The file's text: keys in a fixed order, unknown keys after the known ones, numbers as the shortest
// text that reads back exactly; what ReadDesignFile reads back writes the same bytes.
std::string WriteDesignFile(const DesignDocument& document);

}  // namespace riaa
