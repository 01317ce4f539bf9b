// The op-amps phono designers use, as data, and the reader of the user's own table of them (JSON text).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/BuiltNetwork.h"
#include "engine/Noise.h"

namespace riaa {

// One op-amp: typical figures at ±15 V, 25 °C, from the datasheet it names.
struct OpAmpRow {
    std::string name;
    double enNvRtHz = 0;   // voltage noise at 1 kHz, nV/√Hz
    double inPaRtHz = 0;   // current noise at 1 kHz, pA/√Hz
    double fceHz = 0;      // voltage noise's 1/f corner; 0 = white
    double fciHz = 0;      // current noise's 1/f corner; 0 = white
    double gbwHz = 0;      // gain-bandwidth product
    double a0Db = 0;       // open-loop gain at DC
    double swingVrms = 0;  // output swing on ±15 V into 2 kΩ, V rms of a sine
    std::string datasheet; // document number and revision

    bool operator==(const OpAmpRow&) const = default;
};

// The built-in table, in the order the pages list it.
std::span<const OpAmpRow> BuiltInOpAmps();

// The row of this name in any capitalisation, first in `user` then in the built-in table; null if none.
const OpAmpRow* FindOpAmp(std::string_view name, std::span<const OpAmpRow> user = {});

// The row's noise and swing in place of those of `settings` (temperature and reference stay), and
// its open-loop gain and GBW as a stage's single-pole op-amp: what picking the row sets.
NoiseSettings WithOpAmp(NoiseSettings settings, const OpAmpRow& row);
OpAmp StageOpAmp(const OpAmpRow& row);

// What the reader of a user's file found: the good rows, and a sentence for each bad one.
struct OpAmpFileProblem {
    int line = 0;  // 1-based line of the row (or of the syntax error) in the text
    std::string message;
};
struct OpAmpFile {
    std::vector<OpAmpRow> rows;
    std::vector<OpAmpFileProblem> problems;
};

// Reads a JSON array of objects with the keys of the command line's "opAmp" object: "name",
// "enNvRtHz", "inPaRtHz", "swingVrms", "gbwHz", "a0Db", and optionally "fceHz", "fciHz" (0 when left
// out) and "datasheet"; every figure a finite number, none negative, the swing and GBW above 0. A bad row is reported with its line and
// skipped; text that is not JSON gives no rows and one problem. Never throws.
OpAmpFile ParseOpAmpFile(std::string_view text);

}  // namespace riaa
