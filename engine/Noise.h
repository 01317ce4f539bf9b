// Noise and headroom of a design as built: every source's share at the output, EIN, SNR and the overload margin.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/BuiltNetwork.h"
#include "engine/Formats.h"

namespace riaa {

inline constexpr double kBoltzmann = 1.380649e-23;  // J/K
inline constexpr double kZeroCelsius = 273.15;      // K
inline constexpr double kDbuVolts = 0.7746;         // 0 dBu: 1 mW into 600 Ω
inline constexpr double kNoiseLowHz = 20;
inline constexpr double kNoiseHighHz = 20'000;
// The grid the noise is integrated on: log-spaced from 20 Hz, 600 steps to 20 kHz.
inline constexpr int kNoisePointsPerDecade = 200;

// What the noise figures depend on beyond the design: the op-amp's noise and swing, the
// temperature and the level the SNR and the margin are measured against.
struct NoiseSettings {
    double enNvRtHz = 3.5;      // op-amp voltage noise at 1 kHz, nV/√Hz
    double fceHz = 0;           // its 1/f corner: en²(1 + fce/f); 0 = white
    double inPaRtHz = 0.4;      // current noise into each input at 1 kHz, pA/√Hz
    double fciHz = 0;           // its 1/f corner
    double swingVrms = 9;       // the op-amp's output before it clips, V rms
    double temperatureC = 27;   // 300.15 K, what ngspice assumes
    double referenceV = 5e-3;   // the cartridge's level at 1 kHz, V rms

    bool operator==(const NoiseSettings&) const = default;
};

// The settings one by one, for a page or an option that names the one at fault.
enum class NoiseField { En, Fce, In, Fci, Swing, Temperature, Reference };
inline constexpr int kNoiseFieldCount = 7;

// A setting refused; what() names the field, field() says which it is.
class NoiseSettingError : public EngineError {
public:
    NoiseSettingError(NoiseField field, const std::string& message) : EngineError(message), field_(field) {}
    NoiseField field() const { return field_; }

private:
    NoiseField field_;
};

// Throws NoiseSettingError naming the field for a value no noise figure can be worked out from: a
// noise figure or corner that is negative or not finite, a swing or reference not above 0, a
// temperature at or below absolute zero.
void CheckNoiseField(NoiseField field, double value);
void CheckNoiseSettings(const NoiseSettings& settings);
double& FieldOf(NoiseSettings& settings, NoiseField field);

// A source's part of the unweighted output noise power; the shares of a design sum to 1.
// Names: "en", "in+", "in-", "source", and the design's resistors by element name.
struct NoiseShare {
    std::string name;
    double share = 0;
};

// The op-amp's headroom over 20 Hz to 20 kHz: 20·log10(swing / |emf → op-amp output| / reference).
struct Headroom {
    double margin20HzDb = 0;
    double margin1kHzDb = 0;
    double margin20kHzDb = 0;
    double minMarginDb = 0;
    double minMarginHz = 0;
    double minLoadOhm = 0;  // the smallest impedance the op-amp's output drives
    double minLoadHz = 0;
};

struct NoiseFigures {
    double outputUv = 0;   // rms at the output, 20 Hz to 20 kHz
    double outputAUv = 0;  // A-weighted
    double einUv = 0;      // referred to the emf by the gain at 1 kHz
    double einAUv = 0;
    double einDbu = 0;
    double einADbu = 0;
    double snrDb = 0;      // 20·log10(reference / EIN)
    double snrADb = 0;
    std::vector<NoiseShare> shares;   // largest first
    std::optional<Headroom> headroom; // none for a passive network
};

// Every figure at once. Throws EngineError for bad settings (CheckNoiseSettings) and for a design
// whose gain at 1 kHz is zero or not finite.
NoiseFigures EvaluateNoise(const BuiltNetwork& network, const NoiseSettings& settings);

// The curves of the Noise page, on `points` log-spaced frequencies from 20 Hz to 20 kHz: each
// source's density referred to the emf (output density over |gain| at that frequency), in V/√Hz,
// named as the shares; their total; the overload margin (empty for a passive network).
struct NoiseSpectrum {
    std::vector<double> hz;
    std::vector<std::string> names;
    std::vector<std::vector<double>> inputDensity;  // [source][point]
    std::vector<double> totalInputDensity;
    std::vector<double> marginDb;
};
NoiseSpectrum EvaluateNoiseSpectrum(const BuiltNetwork& network, const NoiseSettings& settings, int points);

// The A-weighting of IEC 61672-1 as a power ratio, exactly 1 at 1 kHz.
double AWeightingPower(double hz);

}  // namespace riaa
